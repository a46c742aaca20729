#include "panels/SubdivideDialog.h"

#include <algorithm>
#include <cctype>
#include <climits>

namespace pictoform {

namespace {

std::string DigitsOf(std::string_view text) {
    std::string digits;
    for (char c : text) {
        if (std::isdigit(static_cast<unsigned char>(c))) digits.push_back(c);
    }
    return digits;
}

int ValueOf(const std::string& digits) {
    long long value = 0;
    for (char c : digits) value = std::min<long long>(value * 10 + (c - '0'), INT_MAX);
    return static_cast<int>(value);
}

void Step(std::string& text, int delta) {
    const long long value =
        std::clamp<long long>(static_cast<long long>(ValueOf(text)) + delta,
                              CSubdivideDialog::kMinDivisions, CSubdivideDialog::kMaxDivisions);
    text = std::to_string(value);
}

} // namespace

void CSubdivideDialog::SetHorizontalText(std::string_view text) {
    m_horizontalText = DigitsOf(text);
}
void CSubdivideDialog::SetVerticalText(std::string_view text) {
    m_verticalText = DigitsOf(text);
}
void CSubdivideDialog::StepHorizontal(int delta) {
    Step(m_horizontalText, delta);
}
void CSubdivideDialog::StepVertical(int delta) {
    Step(m_verticalText, delta);
}
int CSubdivideDialog::Horizontal() const {
    return ValueOf(m_horizontalText);
}
int CSubdivideDialog::Vertical() const {
    return ValueOf(m_verticalText);
}

} // namespace pictoform
