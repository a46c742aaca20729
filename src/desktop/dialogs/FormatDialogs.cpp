#include "dialogs/FormatDialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "panels/PanelSupport.h"

namespace pictoform {

namespace {

// OK and the cancel button under a dialog's fields.
QHBoxLayout* OkCancelRow(QDialog* dialog, const char* cancelText, QPushButton** ok) {
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    *ok = new QPushButton("OK", dialog);
    (*ok)->setDefault(true);
    row->addWidget(*ok);
    if (cancelText != nullptr) {
        auto* cancel = new QPushButton(cancelText, dialog);
        QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
        row->addWidget(cancel);
    }
    return row;
}

} // namespace

CustomSizeDialog::CustomSizeDialog(CSizeDialog& model, QWidget* parent)
    : QDialog(parent), m_model(model) {
    setWindowTitle("Custom Size");
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    m_width = new UpDownEdit([this] { return m_model.WidthText(); },
                             [this](std::string_view text) { m_model.SetWidthText(text); },
                             [this](int delta) { m_model.StepWidth(delta); }, this);
    m_height = new UpDownEdit([this] { return m_model.HeightText(); },
                              [this](std::string_view text) { m_model.SetHeightText(text); },
                              [this](int delta) { m_model.StepHeight(delta); }, this);
    form->addRow("Width:", m_width);
    form->addRow("Height:", m_height);
    layout->addLayout(form);
    QPushButton* ok = nullptr;
    layout->addLayout(OkCancelRow(this, nullptr, &ok));
    connect(ok, &QPushButton::clicked, this, &CustomSizeDialog::Ok);
}

void CustomSizeDialog::Ok() {
    if (m_model.Ok()) accept();
}

NewFormatDialog::NewFormatDialog(CNewFmtDialog& model, QWidget* parent,
                                 CNewFmtDialog::SizeDialogRunner sizeRunner)
    : QDialog(parent), m_model(model), m_sizeRunner(std::move(sizeRunner)) {
    setWindowTitle("New Format");
    if (!m_sizeRunner) {
        m_sizeRunner = [this](CSizeDialog& size) { return RunCustomSizeDialog(this, size); };
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Select Resolution", this));
    m_sizes = new QComboBox(this);
    layout->addWidget(m_sizes);
    layout->addWidget(new QLabel("Select Colorbit", this));
    m_depths = new QComboBox(this);
    for (const ComboItem& item : m_model.DepthItems()) {
        m_depths->addItem(QString::fromStdString(item.text), item.data);
    }
    m_depths->setCurrentIndex(m_model.DepthSelection());
    layout->addWidget(m_depths);
    FillSizes();
    // activated, not currentIndexChanged: choosing Custom again must ask again.
    connect(m_sizes, &QComboBox::activated, this, &NewFormatDialog::PickSize);
    connect(m_depths, &QComboBox::activated, this,
            [this](int position) { m_model.SelectDepth(position); });
    QPushButton* ok = nullptr;
    layout->addLayout(OkCancelRow(this, "cancel", &ok));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

void NewFormatDialog::FillSizes() {
    const QSignalBlocker block(m_sizes);
    m_sizes->clear();
    for (const ComboItem& item : m_model.SizeItems()) {
        m_sizes->addItem(QString::fromStdString(item.text), item.data);
    }
    m_sizes->setCurrentIndex(m_model.SizeSelection());
}

void NewFormatDialog::PickSize(int position) {
    m_model.SelectSize(position, m_sizeRunner);
    FillSizes();
}

bool RunCustomSizeDialog(QWidget* parent, CSizeDialog& model) {
    CustomSizeDialog dialog(model, parent);
    return dialog.exec() == QDialog::Accepted;
}

PictureSizeDialog::PictureSizeDialog(CPictureSizeDialog& model, QWidget* parent)
    : QDialog(parent), m_model(model) {
    setWindowTitle(QString::fromStdString(model.Caption()));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QString::fromStdString(model.Prompt()), this));
    auto* grid = new QGridLayout;
    const bool one = model.GetMode() == CPictureSizeDialog::Mode::OneSize;
    const auto& sizes = CPictureSizeDialog::Sizes();
    for (size_t i = 0; i < sizes.size(); ++i) {
        const QString text = QString("%1 x %1").arg(sizes[i]);
        QAbstractButton* button = one ? static_cast<QAbstractButton*>(new QRadioButton(text, this))
                                      : new QCheckBox(text, this);
        button->setObjectName(QString("size%1").arg(sizes[i]));
        button->setChecked(model.IsChecked(i));
        connect(button, &QAbstractButton::toggled, this, [this, i](bool checked) {
            m_model.SetChecked(i, checked);
            Refresh();
        });
        grid->addWidget(button, static_cast<int>(i % 5), static_cast<int>(i / 5));
        m_buttons.push_back(button);
    }
    layout->addLayout(grid);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    Refresh();
}

void PictureSizeDialog::Refresh() {
    // With nothing chosen there is nothing to make.
    m_ok->setEnabled(m_model.CanAccept());
}

FrameTimeDialog::FrameTimeDialog(CFrameTimeDialog& model, QWidget* parent)
    : QDialog(parent), m_model(model) {
    setWindowTitle("Frame Time");
    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel("Show this frame for", this));
    m_jiffies = new QSpinBox(this);
    m_jiffies->setObjectName("jiffies");
    m_jiffies->setRange(CFrameTimeDialog::kMinJiffies, CFrameTimeDialog::kMaxJiffies);
    m_jiffies->setValue(model.Jiffies());
    m_jiffies->setSuffix(" jiffies (1/60 s)");
    row->addWidget(m_jiffies);
    m_milliseconds = new QLabel(QString::fromStdString(model.Milliseconds()), this);
    row->addWidget(m_milliseconds);
    layout->addLayout(row);
    connect(m_jiffies, &QSpinBox::valueChanged, this, [this](int value) {
        m_model.SetJiffies(value);
        m_milliseconds->setText(QString::fromStdString(m_model.Milliseconds()));
    });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

bool RunFrameTimeDialog(QWidget* parent, CFrameTimeDialog& model) {
    FrameTimeDialog dialog(model, parent);
    return dialog.exec() == QDialog::Accepted;
}

bool RunPictureSizeDialog(QWidget* parent, CPictureSizeDialog& model) {
    PictureSizeDialog dialog(model, parent);
    return dialog.exec() == QDialog::Accepted;
}

bool RunNewFormatDialog(QWidget* parent, CNewFmtDialog& model) {
    NewFormatDialog dialog(model, parent);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace pictoform
