#pragma once
// PNG pixels through libpng, for PNG-compressed icon images and PNG files.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "icon/IconImageRec.h"
#include "image/BgraPicture.h"

namespace pictoform {

[[nodiscard]] bool HasPngSignature(std::span<const uint8_t> data);
// A PNG's four-byte number at `at` (most significant byte first); the
// caller has checked the four bytes are there.
[[nodiscard]] uint32_t PngNumber(std::span<const uint8_t> data, size_t at);
// Bytes from the signature to the end of the IEND chunk, by the chunks'
// lengths; 0 when the data ends first.
[[nodiscard]] size_t PngLength(std::span<const uint8_t> data);

using PngPixels = BgraPicture;

// Decodes a PNG held in memory. Images with a side above maxSide are refused
// before their pixels are allocated. Reasons are noun phrases, such as
// "damaged PNG data (...)", that fit after "cannot read 'x': " or "image 3 holds ".
[[nodiscard]] bool DecodePng(std::span<const uint8_t> data, int32_t maxSide, PngPixels& out,
                             std::string& reason);

// Encodes top-row-first BGRA pixels as an 8-bit RGBA PNG.
[[nodiscard]] bool EncodePng(const PngPixels& pixels, std::vector<uint8_t>& out,
                             std::string& reason);
// The same for pixels held in some other layout: fill(y, rgba) writes row y
// (top first) as red, green, blue, alpha bytes.
[[nodiscard]] bool EncodeRgbaRows(int32_t width, int32_t height,
                                  const std::function<void(size_t y, uint8_t* rgba)>& fill,
                                  std::vector<uint8_t>& out, std::string& reason);

// One byte a pixel, as an 8-bit grey PNG and back: rows `stride` bytes apart.
struct GreyPixels {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> grey;
};
[[nodiscard]] bool EncodeGreyPng(int32_t width, int32_t height, const uint8_t* grey, size_t stride,
                                 std::vector<uint8_t>& out, std::string& reason);
[[nodiscard]] bool DecodeGreyPng(std::span<const uint8_t> data, int32_t maxSide, GreyPixels& out,
                                 std::string& reason);

// A PNG's pixels as a 32-bit record: alpha kept, mask from alpha != 0, rows
// bottom row first (as the readers give them) or top row first (as the
// writers take them).
[[nodiscard]] IconImageRec RecordFromPng(const PngPixels& png, bool bottomRowFirst);

// Planes (blue, green, red colours, one byte a pixel for alpha and mask)
// encoded as a 32-bit PNG, rows in the planes' own order: alpha where there
// is an alpha plane, otherwise the mask as opaque or transparent. Planes
// too small for the size are refused.
bool EncodePlanesPng(int32_t width, int32_t height, std::span<const uint8_t> colours,
                     std::span<const uint8_t> alpha, std::span<const uint8_t> mask,
                     std::vector<uint8_t>& out, std::string& reason);

} // namespace pictoform
