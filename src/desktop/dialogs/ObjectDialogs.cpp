#include "dialogs/ObjectDialogs.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "QtTextRasterizer.h"
#include "panels/PanelSupport.h"

namespace pictoform {

namespace {

QDialogButtonBox* OkCancel(QDialog* dialog, QDialogButtonBox::StandardButtons which) {
    auto* buttons = new QDialogButtonBox(which, dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

} // namespace

SubdivideDialog::SubdivideDialog(CSubdivideDialog& model, QWidget* parent)
    : QDialog(parent), m_model(model) {
    setWindowTitle(CSubdivideDialog::kTitle);
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    m_horizontal =
        new UpDownEdit([this] { return m_model.HorizontalText(); },
                       [this](std::string_view text) { m_model.SetHorizontalText(text); },
                       [this](int delta) { m_model.StepHorizontal(delta); }, this);
    m_vertical = new UpDownEdit([this] { return m_model.VerticalText(); },
                                [this](std::string_view text) { m_model.SetVerticalText(text); },
                                [this](int delta) { m_model.StepVertical(delta); }, this);
    form->addRow("Horizontal Division", m_horizontal);
    form->addRow("Vertical Division", m_vertical);
    layout->addLayout(form);
    layout->addWidget(OkCancel(this, QDialogButtonBox::Ok | QDialogButtonBox::Cancel));
}

TextInputDialog::TextInputDialog(CTextInputDialog& model, QWidget* parent)
    : QDialog(parent), m_model(model) {
    setWindowTitle(CTextInputDialog::kTitle);
    auto* layout = new QVBoxLayout(this);
    m_edit = new QPlainTextEdit(this);
    m_edit->setPlainText(QString::fromStdString(m_model.Text()));
    connect(m_edit, &QPlainTextEdit::textChanged, this,
            [this] { m_model.SetText(m_edit->toPlainText().toStdString()); });
    layout->addWidget(m_edit, 1);
    auto* row = new QHBoxLayout;
    auto* font = new QPushButton(CTextInputDialog::kFontButton, this);
    connect(font, &QPushButton::clicked, this, &TextInputDialog::ChooseFont);
    row->addWidget(font);
    row->addStretch(1);
    row->addWidget(OkCancel(this, QDialogButtonBox::Ok));
    layout->addLayout(row);
    resize(320, 200);
    ShowFont();
}

void TextInputDialog::ChooseFont() {
    if (m_model.ChooseFont()) ShowFont();
}

void TextInputDialog::ShowFont() {
    // The text's own font, held to sizes and weights Qt takes; smoothed for
    // reading here, though the canvas draws it without smoothing.
    QFont font = ToQFont(m_model.Font());
    font.setStyleStrategy(QFont::PreferDefault);
    m_edit->setFont(font);
}

ShadowOptionsDialog::ShadowOptionsDialog(CDSOPTDialog& model, QWidget* parent)
    : QDialog(parent), m_model(model) {
    setWindowTitle(CDSOPTDialog::kTitle);
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    m_x = new UpDownEdit([this] { return m_model.XText(); },
                         [this](std::string_view text) { m_model.SetXText(text); },
                         [this](int delta) { m_model.StepX(delta); }, this);
    m_y = new UpDownEdit([this] { return m_model.YText(); },
                         [this](std::string_view text) { m_model.SetYText(text); },
                         [this](int delta) { m_model.StepY(delta); }, this);
    form->addRow("X - offset:", m_x);
    form->addRow("Y - offset:", m_y);
    m_swatch = new ColourSwatch([this] { return m_model.Colour(); }, this);
    m_swatch->setFixedSize(60, 30);
    m_swatch->setCursor(Qt::PointingHandCursor);
    m_swatch->setToolTip("Shadow Color");
    m_swatch->SetClicked([this] {
        if (m_model.ChooseColour()) m_swatch->update();
    });
    form->addRow("Shadow Color", m_swatch);
    layout->addLayout(form);
    auto* row = new QHBoxLayout;
    auto* reset = new QPushButton("Default", this);
    connect(reset, &QPushButton::clicked, this, &ShadowOptionsDialog::Default);
    row->addWidget(reset);
    row->addStretch(1);
    row->addWidget(OkCancel(this, QDialogButtonBox::Ok | QDialogButtonBox::Cancel));
    layout->addLayout(row);
}

void ShadowOptionsDialog::Default() {
    m_model.Default();
    m_x->Sync();
    m_y->Sync();
    m_swatch->update();
}

bool RunSubdivideDialog(QWidget* parent, CSubdivideDialog& model) {
    SubdivideDialog dialog(model, parent);
    return dialog.exec() == QDialog::Accepted;
}

bool RunTextInputDialog(QWidget* parent, CTextInputDialog& model) {
    TextInputDialog dialog(model, parent);
    return dialog.exec() == QDialog::Accepted;
}

bool RunShadowOptionsDialog(QWidget* parent, CDSOPTDialog& model) {
    ShadowOptionsDialog dialog(model, parent);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace pictoform
