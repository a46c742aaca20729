#pragma once
// A picture as files and other programs hand it over: straight (not
// premultiplied) blue-green-red-alpha, top row first, no padding.

#include <cstdint>
#include <vector>

namespace pictoform {

struct BgraPicture {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> bgra;
};

} // namespace pictoform
