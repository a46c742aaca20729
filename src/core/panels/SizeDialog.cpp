#include "panels/SizeDialog.h"

#include "panels/DigitEdit.h"

#include <algorithm>
#include <cctype>

namespace pictoform {

namespace {

// A long run of digits stays just above the range rather than wrapping into it.
int ValueOf(const std::string& digits) {
    return DigitsValue(digits, CSizeDialog::kMaxSide + 1);
}

void Step(std::string& text, int delta) {
    const int value =
        std::clamp(ValueOf(text) + delta, CSizeDialog::kMinSide, CSizeDialog::kMaxSide);
    text = std::to_string(value);
}

} // namespace

CSizeDialog::CSizeDialog(UiServices& ui, int width, int height)
    : m_ui(ui), m_width(width), m_height(height), m_widthText(std::to_string(width)),
      m_heightText(std::to_string(height)) {}

void CSizeDialog::SetWidthText(std::string_view text) {
    m_widthText = DigitsOf(text);
}
void CSizeDialog::SetHeightText(std::string_view text) {
    m_heightText = DigitsOf(text);
}
void CSizeDialog::StepWidth(int delta) {
    Step(m_widthText, delta);
}
void CSizeDialog::StepHeight(int delta) {
    Step(m_heightText, delta);
}

bool CSizeDialog::Ok() {
    const int width = ValueOf(m_widthText);
    const int height = ValueOf(m_heightText);
    if (width == 0 || height == 0) {
        (void)m_ui.ShowMessage("Cannot make an icon with 0 !", "Error", MessageIcon::None,
                               MessageButtons::Ok);
        return false;
    }
    if (width > kMaxSide || height > kMaxSide) {
        (void)m_ui.ShowMessage("Cannot make an icon bigger than 128!", "Error", MessageIcon::None,
                               MessageButtons::Ok);
        return false;
    }
    m_width = width;
    m_height = height;
    return true;
}

} // namespace pictoform
