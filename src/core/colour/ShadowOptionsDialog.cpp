#include "colour/ShadowOptionsDialog.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdint>

namespace pictoform {

namespace {

void Step(std::string& text, int delta) {
    const int64_t value = std::clamp<int64_t>(int64_t{CDSOPTDialog::ReadOffset(text)} + delta,
                                              CDSOPTDialog::kSpinMin, CDSOPTDialog::kSpinMax);
    text = std::to_string(value);
}

} // namespace

CDSOPTDialog::CDSOPTDialog(UiServices& ui, int x, int y, const PixelColor& colour)
    : m_ui(ui), m_xText(std::to_string(x)), m_yText(std::to_string(y)), m_colour(colour) {}

void CDSOPTDialog::StepX(int delta) {
    Step(m_xText, delta);
}
void CDSOPTDialog::StepY(int delta) {
    Step(m_yText, delta);
}

bool CDSOPTDialog::ChooseColour() {
    const std::optional<PixelColor> edited = m_ui.EditColor(m_colour);
    if (!edited) return false;
    m_colour = *edited;
    return true;
}

void CDSOPTDialog::Default() {
    m_xText = std::to_string(kDefaultX);
    m_yText = std::to_string(kDefaultY);
    m_colour = kDefaultColour;
}

int CDSOPTDialog::ReadOffset(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    // Counted as a negative number so that INT_MIN itself can be typed.
    int64_t value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        value = std::max<int64_t>(value * 10 - (text[i] - '0'), int64_t{INT_MIN});
    }
    if (!negative) value = std::min<int64_t>(-value, INT_MAX);
    return static_cast<int>(value);
}

} // namespace pictoform
