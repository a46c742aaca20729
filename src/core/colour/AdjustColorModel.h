#pragma once
// The "Adjust Color" dialog without its window: four sliders that scale red,
// green, blue and alpha, a before/after preview, and on OK the scaling
// applied to the target picture.

#include <array>
#include <string>

#include "colour/ColorAdjust.h"
#include "colour/PicturePreview.h"
#include "image/LayerImage.h"

namespace pictoform {

class AdjustColorModel {
public:
    static constexpr int kSliderMin = 0;
    static constexpr int kSliderMax = 200;
    static constexpr int kSliderStart = 100;
    using Factors = std::array<float, kChannelCount>;

    // The target must outlive the model; it is only changed by Accept.
    explicit AdjustColorModel(CLayerImage& target);

    // 2 ^ ((position - 100) / 100): 0.5 at the left end, 1 in the middle, 2 at the right.
    [[nodiscard]] static float FactorAt(int position);
    // "Red:", "Green:", "Blue:", "Alpha:".
    [[nodiscard]] static const char* SliderLabel(ColourChannel channel);

    [[nodiscard]] int SliderPosition(ColourChannel channel) const;
    // The setting of the slider moved last, relative to the middle, as "%d%%".
    [[nodiscard]] const std::string& TooltipText() const { return m_tooltip; }
    // The factors the sliders stand at now.
    [[nodiscard]] Factors CurrentFactors() const;
    // The factors the after preview shows.
    [[nodiscard]] const Factors& LastFactors() const { return m_lastFactors; }

    // Moves one slider (kept within its range). The after preview follows
    // only when some factor moves by 0.05 or more from the one last previewed;
    // returns whether it did, that is whether the dialog must repaint.
    bool MoveSlider(ColourChannel channel, int position);
    // OK: scales the target by the sliders' factors unless all four are
    // within 0.05 of 1. Returns whether the target was changed.
    bool Accept();

    [[nodiscard]] PicturePreview& Preview() { return m_preview; }
    [[nodiscard]] const PicturePreview& Preview() const { return m_preview; }

private:
    CLayerImage& m_target;
    std::array<int, kChannelCount> m_positions;
    Factors m_lastFactors;
    std::string m_tooltip = "0%";
    PicturePreview m_preview;
};

} // namespace pictoform
