#include "panels/SubdivideDialog.h"

#include "panels/DigitEdit.h"

#include <algorithm>
#include <cctype>
#include <climits>

namespace pictoform {

namespace {

int ValueOf(const std::string& digits) {
    return DigitsValue(digits, INT_MAX);
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
