#include "panels/ColourPanel.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QSlider>
#include <QTabBar>
#include <QToolBar>

#include "editor/PictoformView.h"
#include "editor/Workspace.h"
#include "panels/PanelSupport.h"
#include "panels/StripWidget.h"

namespace pictoform {

namespace {

constexpr const char* kChannelLabels[4] = {"Red", "Green", "Blue", "Alpha"};
// The single-colour controls above the palette.
constexpr int kControlsTop = 58;
constexpr int kRowHeight = 28;

} // namespace

ColourPanel::ColourPanel(Workspace& workspace, CPictoformView& view, QWidget* parent)
    : QWidget(parent), m_colours(workspace.Colours()), m_view(view) {
    m_tabs = new QTabBar(this);
    for (const char* title : CAdvColorDialog::kTabTitles) m_tabs->addTab(title);
    m_tabs->setDrawBase(false);
    connect(m_tabs, &QTabBar::currentChanged, this, [this](int tab) {
        m_colours.SelectTab(tab);
        Refresh();
        RepaintView(m_view, this);
    });

    m_singleBar = new QToolBar(this);
    m_singleBar->setIconSize(QSize(16, 16));
    m_erase = m_singleBar->addAction(GlyphIcon(Glyph::Erase), "Erase");
    m_erase->setCheckable(true);
    connect(m_erase, &QAction::triggered, this,
            [this] { Command(CAdvColorDialog::kEraseCommand); });
    // The colour by number: #RRGGBB or #RRGGBBAA.
    m_hex = new QLineEdit(this);
    m_hex->setFixedWidth(96);
    m_hex->setToolTip("Color as #RRGGBB or #RRGGBBAA");
    m_singleBar->addWidget(m_hex);
    connect(m_hex, &QLineEdit::editingFinished, this,
            [this] { Typed(*m_hex, m_colours.TypeHex(m_hex->text().toStdString())); });

    m_multiBar = new QToolBar(this);
    m_multiBar->setIconSize(QSize(16, 16));
    m_reverse = m_multiBar->addAction(GlyphIcon(Glyph::Reverse), "Reverse");
    m_reverse->setCheckable(true);
    connect(m_reverse, &QAction::triggered, this,
            [this] { Command(CAdvColorDialog::kReverseCommand); });
    m_addPreset = m_multiBar->addAction(GlyphIcon(Glyph::AddPreset), "Add to presets");
    connect(m_addPreset, &QAction::triggered, this,
            [this] { Command(CAdvColorDialog::kAddPresetCommand); });

    m_swatch = new ColourSwatch([this] { return m_colours.CurrentColour(); }, this);
    for (int c = 0; c < kChannelCount; ++c) {
        const auto i = static_cast<size_t>(c);
        m_labels[i] = new QLabel(kChannelLabels[i], this);
        m_sliders[i] = new QSlider(Qt::Horizontal, this);
        m_sliders[i]->setRange(0, 255);
        m_values[i] = new QLineEdit(this);
        m_values[i]->setAlignment(Qt::AlignRight);
        connect(m_values[i], &QLineEdit::editingFinished, this, [this, c, i] {
            Typed(*m_values[i], m_colours.TypeValue(static_cast<ColourChannel>(c),
                                                    m_values[i]->text().toStdString()));
        });
        connect(m_sliders[i], &QSlider::valueChanged, this, [this, c](int position) {
            m_colours.MoveSlider(static_cast<ColourChannel>(c), position);
            Changed();
        });
    }

    m_strip = new StripWidget(m_colours.Strip(), this);
    m_strip->SetEdited([this] { RepaintView(m_view, this); });
    m_presets = new QListWidget(this);
    m_presets->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(m_presets, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row < 0) return;
        m_colours.ChoosePreset(row);
        m_strip->update();
        RepaintView(m_view, this);
    });

    m_colours.SetPanelListener([this] { Refresh(); });
    setMouseTracking(false);
    Refresh();
}

ColourPanel::~ColourPanel() {
    m_colours.SetPanelListener({});
}

void ColourPanel::Changed() {
    Refresh();
    RepaintView(m_view, this);
}

void ColourPanel::Typed(QLineEdit& field, bool accepted) {
    // A value the colour cannot take stays in the field, marked, and the
    // colour stays as it was.
    field.setProperty("invalid", !accepted);
    field.setStyleSheet(accepted ? QString() : QString("background-color: #ffd0d0;"));
    if (accepted) Changed();
}

void ColourPanel::ShowValue(QLineEdit& field, const std::string& value) {
    // A refused value stays while its field has the focus, to be mended.
    if (field.property("invalid").toBool() && field.hasFocus()) return;
    field.setProperty("invalid", false);
    field.setStyleSheet(QString());
    field.setText(QString::fromStdString(value));
}

void ColourPanel::Command(int id) {
    (void)m_colours.OnCommand(id);
    Changed();
}

void ColourPanel::Refresh() {
    const bool single = m_colours.IsSingleMode();
    {
        const QSignalBlocker block(m_tabs);
        m_tabs->setCurrentIndex(m_colours.Mode());
    }
    m_singleBar->setVisible(single);
    ShowValue(*m_hex, m_colours.HexText());
    m_hex->setEnabled(m_colours.SlidersEnabled());
    m_swatch->setVisible(single);
    for (int c = 0; c < kChannelCount; ++c) {
        const auto i = static_cast<size_t>(c);
        const auto channel = static_cast<ColourChannel>(c);
        const QSignalBlocker block(m_sliders[i]);
        m_sliders[i]->setValue(m_colours.SliderPosition(channel));
        m_sliders[i]->setEnabled(m_colours.SlidersEnabled());
        ShowValue(*m_values[i], m_colours.ValueText(channel));
        m_values[i]->setEnabled(m_colours.SlidersEnabled());
        m_labels[i]->setVisible(single);
        m_sliders[i]->setVisible(single);
        m_values[i]->setVisible(single);
    }
    m_multiBar->setVisible(!single);
    m_strip->setVisible(!single);
    m_presets->setVisible(!single);
    const struct {
        QAction* action;
        int id;
    } commands[] = {{m_erase, CAdvColorDialog::kEraseCommand},
                    {m_reverse, CAdvColorDialog::kReverseCommand},
                    {m_addPreset, CAdvColorDialog::kAddPresetCommand}};
    for (const auto& command : commands) {
        const CAdvColorDialog::CommandState state = m_colours.StateOf(command.id);
        command.action->setEnabled(state.enabled);
        command.action->setChecked(state.checked);
    }
    RefreshPresets();
    m_swatch->update();
    m_strip->update();
    update();
}

void ColourPanel::RefreshPresets() {
    const QSignalBlocker block(m_presets);
    const int count = static_cast<int>(m_colours.PresetCount());
    while (m_presets->count() > count) delete m_presets->takeItem(m_presets->count() - 1);
    for (int i = 0; i < count; ++i) {
        const QString name = QString::fromStdString(m_colours.PresetName(static_cast<size_t>(i)));
        if (i < m_presets->count())
            m_presets->item(i)->setText(name);
        else
            m_presets->addItem(name);
    }
    m_presets->setCurrentRow(m_colours.SelectedPreset());
}

void ColourPanel::resizeEvent(QResizeEvent*) {
    Layout();
}

void ColourPanel::Layout() {
    const int cx = width();
    m_tabs->setGeometry(0, 0, cx, 24);
    const int barHeight = std::max(m_singleBar->sizeHint().height(), 24);
    const CAdvColorDialog::Layout layout =
        CAdvColorDialog::LayoutFor(cx, height(), barHeight, StripWidget::kHeight);
    const auto place = [](QWidget* widget, const CAdvColorDialog::Rect& r) {
        widget->setGeometry(r.x, r.y, r.width, r.height);
    };
    place(m_singleBar, layout.toolbar);
    place(m_multiBar, layout.toolbar);
    place(m_strip, layout.strip);
    place(m_presets, layout.presetList);

    m_swatch->setGeometry(10, kControlsTop, 42, 4 * kRowHeight - 4);
    const int valueWidth = 36;
    const int sliderLeft = 104;
    const int sliderWidth = std::max(CAdvColorDialog::kPaletteX + CAdvColorDialog::kPaletteWidth -
                                         valueWidth - 6 - sliderLeft,
                                     40);
    for (size_t i = 0; i < m_sliders.size(); ++i) {
        const int y = kControlsTop + static_cast<int>(i) * kRowHeight;
        m_labels[i]->setGeometry(60, y, 44, 24);
        m_sliders[i]->setGeometry(sliderLeft, y, sliderWidth, 24);
        m_values[i]->setGeometry(sliderLeft + sliderWidth + 6, y, valueWidth, 24);
    }
}

void ColourPanel::paintEvent(QPaintEvent*) {
    if (!m_colours.IsSingleMode()) return;
    QPainter painter(this);
    PainterSurface surface(painter);
    m_colours.PaintPalette(surface);
}

void ColourPanel::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !m_colours.IsSingleMode()) return;
    const QPoint at = event->position().toPoint();
    if (m_colours.LeftButtonDown(at.x(), at.y())) Changed();
}

void ColourPanel::mouseMoveEvent(QMouseEvent* event) {
    if (!m_colours.IsSingleMode()) return;
    const QPoint at = event->position().toPoint();
    if (m_colours.MouseMove(at.x(), at.y(), event->buttons() & Qt::LeftButton,
                            event->buttons() & Qt::RightButton)) {
        Changed();
    }
}

} // namespace pictoform
