#include "dialogs/ColourDialogs.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QSlider>
#include <QToolTip>

#include "panels/PanelSupport.h"

namespace pictoform {

namespace {

constexpr const char* kChannelLabels[kChannelCount] = {"Red", "Green", "Blue", "Alpha"};

QDialogButtonBox* OkCancel(QDialog* dialog) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

// The slider's setting shows beside it while it is dragged, and stays as its tooltip.
void ShowSliderTip(QSlider* slider, const std::string& text) {
    const QString tip = QString::fromStdString(text);
    slider->setToolTip(tip);
    if (slider->isVisible()) {
        QToolTip::showText(slider->mapToGlobal(QPoint(slider->width() / 2, 0)), tip, slider);
    }
}

// The headings over the previews and the marks under a slider.
void AddPreviewHeadings(QDialog* dialog) {
    auto* before = new QLabel(kBeforeHeading, dialog);
    before->move(PicturePreview::kFrameLeft[0], 6);
    auto* after = new QLabel(kAfterHeading, dialog);
    after->move(PicturePreview::kFrameLeft[1], 6);
}

void AddScaleMarks(QDialog* dialog, int left, int width, int y) {
    for (int i = 0; i < 3; ++i) {
        auto* mark = new QLabel(kScaleMarks[i], dialog);
        mark->setAlignment(Qt::AlignCenter);
        mark->setGeometry(left + i * (width / 2) - 12, y, 24, 16);
    }
}

QSlider* PictureSlider(QDialog* dialog, int min, int max, int value) {
    auto* slider = new QSlider(Qt::Horizontal, dialog);
    slider->setRange(min, max);
    slider->setValue(value);
    slider->setToolTip("0%");
    return slider;
}

// Below the two preview frames.
constexpr int kPreviewBottom = PicturePreview::kFrameTop + PicturePreview::kFrameSize + 10;
constexpr int kPreviewDialogWidth = PicturePreview::kFrameLeft[1] + PicturePreview::kFrameSize + 6;

} // namespace

EditColorDialog::EditColorDialog(const PixelColor& colour, QWidget* parent)
    : QDialog(parent), m_model(colour) {
    setWindowTitle("Edit color");
    const int paletteRight = EditColorModel::kPaletteX + EditColorModel::kPaletteWidth;
    for (int c = 0; c < kChannelCount; ++c) {
        const auto i = static_cast<size_t>(c);
        const int y = 10 + 30 * c;
        auto* label = new QLabel(kChannelLabels[i], this);
        label->setGeometry(10, y, 44, 24);
        m_sliders[i] = new QSlider(Qt::Horizontal, this);
        m_sliders[i]->setRange(EditColorModel::kSliderMin, EditColorModel::kSliderMax);
        m_sliders[i]->setGeometry(56, y, paletteRight - 56 - 46, 24);
        m_values[i] = new QLineEdit(this);
        m_values[i]->setReadOnly(true);
        m_values[i]->setAlignment(Qt::AlignRight);
        m_values[i]->setGeometry(paletteRight - 40, y, 40, 24);
        connect(m_sliders[i], &QSlider::valueChanged, this, [this, c](int position) {
            m_model.MoveSlider(static_cast<ColourChannel>(c), position);
            ShowColour();
        });
    }
    m_swatch = new ColourSwatch([this] { return m_model.Colour(); }, this);
    m_swatch->setGeometry(paletteRight + 10, EditColorModel::kPaletteY, 60,
                          EditColorModel::kPaletteHeight);
    auto* buttons = OkCancel(this);
    const int buttonsTop = EditColorModel::kPaletteY + EditColorModel::kPaletteHeight + 12;
    buttons->setGeometry(10, buttonsTop, paletteRight + 60, buttons->sizeHint().height());
    setFixedSize(paletteRight + 80, buttonsTop + buttons->sizeHint().height() + 10);
    ShowColour();
}

void EditColorDialog::ShowColour() {
    for (int c = 0; c < kChannelCount; ++c) {
        const auto i = static_cast<size_t>(c);
        const auto channel = static_cast<ColourChannel>(c);
        const QSignalBlocker block(m_sliders[i]);
        m_sliders[i]->setValue(m_model.SliderPosition(channel));
        m_values[i]->setText(QString::fromStdString(m_model.ValueText(channel)));
    }
    m_swatch->update();
}

void EditColorDialog::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    PainterSurface surface(painter);
    m_model.Paint(surface);
}

void EditColorDialog::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::LeftButton && m_model.LeftButtonDown(at.x(), at.y())) ShowColour();
}

void EditColorDialog::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (m_model.MouseMove(at.x(), at.y(), event->buttons() & Qt::LeftButton,
                          event->buttons() & Qt::RightButton)) {
        ShowColour();
    }
}

AdjustColorDialog::AdjustColorDialog(AdjustColorModel& model, QWidget* parent)
    : QDialog(parent), m_model(model) {
    setWindowTitle("Adjust Color");
    AddPreviewHeadings(this);
    const int sliderLeft = 60;
    const int sliderWidth = kPreviewDialogWidth - sliderLeft - 10;
    for (int c = 0; c < kChannelCount; ++c) {
        const auto i = static_cast<size_t>(c);
        const auto channel = static_cast<ColourChannel>(c);
        const int y = kPreviewBottom + 28 * c;
        auto* label = new QLabel(AdjustColorModel::SliderLabel(channel), this);
        label->setGeometry(5, y, 50, 24);
        m_sliders[i] = PictureSlider(this, AdjustColorModel::kSliderMin,
                                     AdjustColorModel::kSliderMax, m_model.SliderPosition(channel));
        m_sliders[i]->setGeometry(sliderLeft, y, sliderWidth, 24);
        connect(m_sliders[i], &QSlider::valueChanged, this, [this, channel, i](int position) {
            const bool repaint = m_model.MoveSlider(channel, position);
            ShowSliderTip(m_sliders[i], m_model.TooltipText());
            if (repaint) update();
        });
    }
    const int marksTop = kPreviewBottom + 28 * kChannelCount;
    AddScaleMarks(this, sliderLeft, sliderWidth, marksTop);
    auto* buttons = OkCancel(this);
    buttons->setGeometry(5, marksTop + 26, kPreviewDialogWidth - 10, buttons->sizeHint().height());
    setFixedSize(kPreviewDialogWidth, marksTop + 36 + buttons->sizeHint().height());
}

void AdjustColorDialog::accept() {
    (void)m_model.Accept();
    QDialog::accept();
}

void AdjustColorDialog::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    PainterSurface surface(painter);
    m_model.Preview().Paint(surface);
}

FilterDialog::FilterDialog(FilterDialogModel& model, QWidget* parent)
    : QDialog(parent), m_model(model) {
    setWindowTitle(QString::fromStdString(m_model.Title()));
    AddPreviewHeadings(this);
    auto* label = new QLabel(FilterDialogModel::kValueLabel, this);
    label->setGeometry(5, kPreviewBottom, 50, 24);
    const int sliderLeft = 60;
    const int sliderWidth = kPreviewDialogWidth - sliderLeft - 10;
    m_slider = PictureSlider(this, FilterDialogModel::kSliderMin, FilterDialogModel::kSliderMax,
                             m_model.SliderPosition());
    m_slider->setGeometry(sliderLeft, kPreviewBottom, sliderWidth, 24);
    connect(m_slider, &QSlider::valueChanged, this, [this](int position) {
        const bool repaint = m_model.MoveSlider(position);
        ShowSliderTip(m_slider, m_model.TooltipText());
        if (repaint) update();
    });
    AddScaleMarks(this, sliderLeft, sliderWidth, kPreviewBottom + 26);
    auto* buttons = OkCancel(this);
    buttons->setGeometry(5, kPreviewBottom + 52, kPreviewDialogWidth - 10,
                         buttons->sizeHint().height());
    setFixedSize(kPreviewDialogWidth, kPreviewBottom + 62 + buttons->sizeHint().height());
}

void FilterDialog::accept() {
    (void)m_model.Accept();
    QDialog::accept();
}

void FilterDialog::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    PainterSurface surface(painter);
    m_model.Preview().Paint(surface);
}

std::optional<PixelColor> RunEditColorDialog(QWidget* parent, const PixelColor& colour) {
    EditColorDialog dialog(colour, parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Model().Colour();
}

bool RunAdjustColorDialog(QWidget* parent, AdjustColorModel& model) {
    AdjustColorDialog dialog(model, parent);
    return dialog.exec() == QDialog::Accepted;
}

bool RunFilterDialog(QWidget* parent, FilterDialogModel& model) {
    FilterDialog dialog(model, parent);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace pictoform
