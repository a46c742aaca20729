#pragma once
// "Edit color", "Adjust Color" and "Filter": windows over their core models,
// which hold every value rule; these only show and forward.

#include <QDialog>
#include <array>
#include <optional>

#include "colour/AdjustColorModel.h"
#include "colour/EditColorModel.h"
#include "colour/FilterDialogModel.h"

class QLineEdit;
class QSlider;

namespace pictoform {

class ColourSwatch;

class EditColorDialog : public QDialog {
    Q_OBJECT
public:
    EditColorDialog(const PixelColor& colour, QWidget* parent);
    [[nodiscard]] EditColorModel& Model() { return m_model; }
    [[nodiscard]] QSlider& Slider(int channel) { return *m_sliders[static_cast<size_t>(channel)]; }
    [[nodiscard]] QLineEdit& Value(int channel) { return *m_values[static_cast<size_t>(channel)]; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void ShowColour();

    EditColorModel m_model;
    ColourSwatch* m_swatch = nullptr;
    std::array<QSlider*, kChannelCount> m_sliders{};
    std::array<QLineEdit*, kChannelCount> m_values{};
};

class AdjustColorDialog : public QDialog {
    Q_OBJECT
public:
    AdjustColorDialog(AdjustColorModel& model, QWidget* parent);
    [[nodiscard]] QSlider& Slider(int channel) { return *m_sliders[static_cast<size_t>(channel)]; }
    // OK: the model changes the picture (unless the sliders stand near the middle).
    void accept() override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    AdjustColorModel& m_model;
    std::array<QSlider*, kChannelCount> m_sliders{};
};

class FilterDialog : public QDialog {
    Q_OBJECT
public:
    FilterDialog(FilterDialogModel& model, QWidget* parent);
    [[nodiscard]] QSlider& Slider() { return *m_slider; }
    // OK: the model filters the picture with the value last previewed.
    void accept() override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    FilterDialogModel& m_model;
    QSlider* m_slider = nullptr;
};

// The edited colour after OK (its two words as they came), nothing after Cancel.
std::optional<PixelColor> RunEditColorDialog(QWidget* parent, const PixelColor& colour);
// True for OK, the target picture then changed as the model's Accept says.
bool RunAdjustColorDialog(QWidget* parent, AdjustColorModel& model);
bool RunFilterDialog(QWidget* parent, FilterDialogModel& model);

} // namespace pictoform
