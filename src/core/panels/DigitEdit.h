#pragma once
// The digits-only number edits of the small dialogs.

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <string>
#include <string_view>

namespace pictoform {

// What such an edit keeps of a typed text: its digits.
inline std::string DigitsOf(std::string_view text) {
    std::string digits;
    for (char c : text) {
        if (std::isdigit(static_cast<unsigned char>(c))) digits.push_back(c);
    }
    return digits;
}

// The edit's value: 0 when empty; a long run of digits stops at ceiling
// rather than wrapping.
inline int DigitsValue(std::string_view digits, int ceiling) {
    int64_t value = 0;
    for (char c : digits) value = std::min<int64_t>(value * 10 + (c - '0'), ceiling);
    return static_cast<int>(value);
}

} // namespace pictoform
