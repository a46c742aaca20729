#pragma once
// The "Subdivide" dialog's model: how many columns and rows the morph grid of
// a drawing object gets, typed into two digit-only edits with up-down controls.

#include <string>
#include <string_view>

namespace pictoform {

class CSubdivideDialog {
public:
    static constexpr const char* kTitle = "Subdivide";
    // The up-down controls' range; typed values are not held to it.
    static constexpr int kMinDivisions = 1;
    static constexpr int kMaxDivisions = 10;

    CSubdivideDialog() = default;

    [[nodiscard]] const std::string& HorizontalText() const { return m_horizontalText; }
    [[nodiscard]] const std::string& VerticalText() const { return m_verticalText; }
    // The edits take digits only; anything else typed is dropped.
    void SetHorizontalText(std::string_view text);
    void SetVerticalText(std::string_view text);
    // An up-down click: the edit's value moved by delta within the range.
    void StepHorizontal(int delta);
    void StepVertical(int delta);

    // What OK hands back: the edits as they read, unchecked. An empty edit
    // reads 0; a run of digits too long for an int stops at its largest value.
    [[nodiscard]] int Horizontal() const;
    [[nodiscard]] int Vertical() const;

private:
    std::string m_horizontalText = "1";
    std::string m_verticalText = "1";
};

} // namespace pictoform
