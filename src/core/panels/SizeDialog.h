#pragma once
// The "Custom Size" dialog's model: width and height edits of digits only,
// each with an up-down control, and the checks made on OK.

#include <string>
#include <string_view>

#include "platform/UiServices.h"

namespace pictoform {

class CSizeDialog {
public:
    // The up-down controls' range; OK also refuses what lies above it.
    static constexpr int kMinSide = 1;
    static constexpr int kMaxSide = 128;

    // The edits start with the given size.
    CSizeDialog(UiServices& ui, int width, int height);

    [[nodiscard]] const std::string& WidthText() const { return m_widthText; }
    [[nodiscard]] const std::string& HeightText() const { return m_heightText; }
    // The edits take digits only; anything else typed is dropped.
    void SetWidthText(std::string_view text);
    void SetHeightText(std::string_view text);
    // An up-down click: the edit's value moved by delta within the range.
    void StepWidth(int delta);
    void StepHeight(int delta);

    // Reads the edits. True (the dialog closes) for a size within 1 to 128;
    // otherwise the user is told why and the dialog stays open.
    [[nodiscard]] bool Ok();
    // The size taken on OK; before that, the size given at construction.
    [[nodiscard]] int Width() const { return m_width; }
    [[nodiscard]] int Height() const { return m_height; }

private:
    UiServices& m_ui;
    int m_width;
    int m_height;
    std::string m_widthText;
    std::string m_heightText;
};

} // namespace pictoform
