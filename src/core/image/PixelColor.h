#pragma once

#include <bit>
#include <cstdint>

namespace pictoform {

// A colour as the image core takes and returns it: four bytes, then two words
// that belong to the pen. word1 holds a gradient stop's position (the bits of
// a float from 0 to 1), word2 the erase switch of the pen's single colour.
// The image operations write both words as 0 and never read them.
struct PixelColor {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t alpha = 0;
    uint32_t word1 = 0;
    uint32_t word2 = 0;

    float StopPosition() const { return std::bit_cast<float>(word1); }
    void SetStopPosition(float position) { word1 = std::bit_cast<uint32_t>(position); }

    bool IsErase() const { return word2 != 0; }
    void SetErase(bool erase) { word2 = erase ? 1u : 0u; }

    // The one-word form: red in the low byte, then green, blue, alpha on top.
    constexpr uint32_t Rgba32() const {
        return uint32_t{red} | uint32_t{green} << 8 | uint32_t{blue} << 16 | uint32_t{alpha} << 24;
    }
    static constexpr PixelColor FromRgba32(uint32_t rgba) {
        return PixelColor{static_cast<uint8_t>(rgba), static_cast<uint8_t>(rgba >> 8),
                          static_cast<uint8_t>(rgba >> 16), static_cast<uint8_t>(rgba >> 24)};
    }

    friend bool operator==(const PixelColor&, const PixelColor&) = default;
};

static_assert(sizeof(PixelColor) == 12, "four bytes and two words, no padding");

} // namespace pictoform
