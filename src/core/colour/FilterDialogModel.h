#pragma once
// The "Filter" dialog without its window: one slider, a before/after
// preview, and on OK the filter applied to the target picture.

#include <string>

#include "colour/PicturePreview.h"
#include "image/LayerImage.h"

namespace pictoform {

enum class FilterKind : int { Contrast = 1, Brighten = 2, Saturation = 3 };

class FilterDialogModel {
public:
    static constexpr int kSliderMin = 0;
    static constexpr int kSliderMax = 200;
    static constexpr int kSliderStart = 100;
    static constexpr const char* kValueLabel = "Value:";

    // The target must outlive the model; it is only changed by Accept.
    FilterDialogModel(CLayerImage& target, FilterKind kind);

    // 2 ^ ((position - 100) / 100): 0.5 at the left end, 1 in the middle, 2 at the right.
    [[nodiscard]] static float ValueAt(int position);
    // Runs the kind's filter with a dialog value (brighten takes its square root).
    static void Apply(FilterKind kind, CLayerImage& picture, float value);

    [[nodiscard]] FilterKind Kind() const { return m_kind; }
    [[nodiscard]] std::string Title() const;
    [[nodiscard]] int SliderPosition() const { return m_position; }
    // The slider's setting relative to the middle, as "%d%%".
    [[nodiscard]] std::string TooltipText() const;
    // The value the after preview shows, and the one OK applies.
    [[nodiscard]] float Value() const { return m_value; }

    // Moves the slider (kept within its range). The after preview follows only
    // when the value moves by 0.05 or more from the one last previewed;
    // returns whether it did, that is whether the dialog must repaint.
    bool MoveSlider(int position);
    // OK: filters the target with the value last previewed unless that is
    // within 0.01 of 1. Returns whether the target was changed.
    bool Accept();

    [[nodiscard]] PicturePreview& Preview() { return m_preview; }
    [[nodiscard]] const PicturePreview& Preview() const { return m_preview; }

private:
    CLayerImage& m_target;
    FilterKind m_kind;
    float m_value = 1.0f;
    int m_position = kSliderStart;
    PicturePreview m_preview;
};

} // namespace pictoform
