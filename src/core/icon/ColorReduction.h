#pragma once
// Reduces true-colour pixels to a small palette by halving boxes of the RGB
// cube, without dithering. The box that errs most is always halved next, so
// the palette goes where the picture needs it.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace pictoform {

// bgr: blue, green, red per pixel, pixelCount pixels, no row padding.
// On success `palette` holds limit entries of blue, green, red, reserved
// (reserved 0 for 1-bit indices, else 255; unused entries all zero) and
// `indices` the packed index of every pixel in pixel order, most significant
// bits first. A picture of no more distinct colours than the limit keeps
// every colour exactly. Fails (both outputs emptied) when bitsPerIndex is not
// 1, 2, 4 or 8, when limit is below 1, or when bgr holds fewer than
// pixelCount pixels.
[[nodiscard]] bool ReduceColors(std::span<const uint8_t> bgr, size_t pixelCount, int limit,
                                int bitsPerIndex, std::vector<uint8_t>& palette,
                                std::vector<uint8_t>& indices);

// The palette and indices an image of 2, 4, 16 or 256 colours is stored
// with: every entry of the palette as the file holds it, and one index per
// pixel (not packed). Transparent pixels (mask 0) are stored black: at 4, 16
// and 256 colours they take a reserved black last entry (at 4 only when
// there are any) and no part in the reduction; at 2 colours they take part
// as black, and their entry is made black.
struct PaletteImage {
    std::vector<uint8_t> palette;
    std::vector<uint8_t> indices;
};
[[nodiscard]] bool ReduceForDepth(std::span<const uint8_t> bgr, std::span<const uint8_t> mask,
                                  int32_t depth, PaletteImage& out);

// Reads index p of an array packed as ReduceColors and the file rows pack it.
// Inline: readers call it for every pixel of every row.
[[nodiscard]] inline unsigned PackedIndexAt(std::span<const uint8_t> packed, size_t p, int bits) {
    const size_t perByte = 8 / static_cast<size_t>(bits);
    const uint8_t byte = packed[p / perByte];
    const int shift = 8 - bits * static_cast<int>(p % perByte + 1);
    return (byte >> shift) & ((1u << bits) - 1);
}
// Writes index p into such an array (the caller zeroed it and sized it).
void SetPackedIndex(std::span<uint8_t> packed, size_t p, int bits, unsigned value);

} // namespace pictoform
