#pragma once
// One decoded icon image as exchanged with the file engine.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "io/Limits.h"

namespace pictoform {

// Colour depth of an image or format: palette sizes 2, 4, 16, 256, or bits
// per pixel 24 and 32 (32 carries alpha).
enum DepthCode : int32_t {
    kDepth2 = 2,
    kDepth4 = 4,
    kDepth16 = 16,
    kDepth256 = 256,
    kDepth24 = 24,
    kDepth32 = 32,
};

[[nodiscard]] bool IsValidDepthCode(int32_t depth);
// Bits per pixel that a depth code is stored with: 1, 2, 4, 8, 24 or 32; 0 for an invalid code.
[[nodiscard]] int BitsPerPixelOf(int32_t depth);
// Palette entries written for a depth: 2, 4, 16, 256, or 0 for true colour.
[[nodiscard]] int PaletteEntriesOf(int32_t depth);
// Bytes of one row of a bitmap with this many bits per pixel, padded to 32 bits.
[[nodiscard]] int32_t RowStride(int32_t width, int bitsPerPixel);

// Where a cursor points, in pixels from the image's top-left corner.
struct HotSpot {
    uint16_t x = 0;
    uint16_t y = 0;
    friend bool operator==(const HotSpot&, const HotSpot&) = default;
};

// Frames of an animated cursor without a display rate of their own are shown
// for this long, in sixtieths of a second.
inline constexpr int32_t kDefaultAnimatedRate = 240;
// What a new frame is shown for until the user says otherwise.
inline constexpr int32_t kNewFrameTime = 10;

// What an Xcursor image was read with beyond its pixels, so that saving the
// file again gives it back as it came.
struct XcursorAsRead {
    // The size a desktop asks for to get this image; 0 for its width.
    uint32_t nominalSize = 0;
    // Its delay in milliseconds, written back while the display time is still
    // the one it was read as (a 30 ms frame must not become 33 ms).
    std::optional<uint32_t> delay;
    friend bool operator==(const XcursorAsRead&, const XcursorAsRead&) = default;
};

struct IconImageRec {
    int32_t height = 0;
    int32_t width = 0;
    // Blue, green, red per pixel, rows packed without padding. Records from the
    // readers hold rows bottom row first (file order); records handed to the
    // writers hold them top row first.
    std::vector<uint8_t> colours;
    // Opacity per pixel; empty when the image carries none. Filled by the
    // readers for 32-bit images only, read by the writers for depth 32 only.
    std::vector<uint8_t> alpha;
    // 1 = opaque, 0 = transparent.
    std::vector<uint8_t> mask;
    // The file's palette as read: blue, green, red, reserved per entry.
    std::vector<uint8_t> palette;
    int32_t paletteSize = -1;
    int32_t depth = kDepth32;
    // Display time of an animated-cursor frame in sixtieths of a second.
    int32_t frameTime = 0;
    // Stored PNG-compressed (as read, or as it is to be written; 32 bits only).
    bool png = false;
    // A cursor image's own hot spot; the writers fall back to the engine's
    // loaded hot spot for an image that has none.
    std::optional<HotSpot> hotSpot;
    // Empty unless the image came from an Xcursor file.
    XcursorAsRead xcursor;
    // A PNG-stored image's bytes as the file held them, so that it can be
    // handed on unchanged; whoever changes the pixels empties it.
    std::vector<uint8_t> storedPng;

    [[nodiscard]] bool HasAlpha() const { return !alpha.empty(); }
    [[nodiscard]] size_t PixelCount() const {
        return static_cast<size_t>(width) * static_cast<size_t>(height);
    }
    // Whether the planes' sizes agree with width and height (alpha may be absent).
    [[nodiscard]] bool IsConsistent() const;
};

class CLayerImage;
// A picture's planes as a record (top row first, coverage as the mask, 32 bits).
[[nodiscard]] IconImageRec RecordOf(const CLayerImage& picture);

// Reverses the row order of every plane: turns a record as read (bottom row
// first) into one for the writers (top row first), and back.
void FlipRows(IconImageRec& rec);

} // namespace pictoform
