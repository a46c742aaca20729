#include "icon/IconImageRec.h"

#include <algorithm>
#include <cstring>

#include "image/LayerImage.h"

namespace pictoform {

bool IsValidDepthCode(int32_t depth) {
    return BitsPerPixelOf(depth) != 0;
}

int BitsPerPixelOf(int32_t depth) {
    switch (depth) {
    case kDepth2:
        return 1;
    case kDepth4:
        return 2;
    case kDepth16:
        return 4;
    case kDepth256:
        return 8;
    case kDepth24:
        return 24;
    case kDepth32:
        return 32;
    default:
        return 0;
    }
}

int PaletteEntriesOf(int32_t depth) {
    switch (depth) {
    case kDepth2:
    case kDepth4:
    case kDepth16:
    case kDepth256:
        return depth;
    default:
        return 0;
    }
}

int32_t RowStride(int32_t width, int bitsPerPixel) {
    const int64_t bits = static_cast<int64_t>(width) * bitsPerPixel;
    return static_cast<int32_t>(((bits + 31) / 32) * 4);
}

bool IconImageRec::IsConsistent() const {
    if (width <= 0 || height <= 0) return false;
    const size_t n = PixelCount();
    return colours.size() == n * 3 && mask.size() == n && (alpha.empty() || alpha.size() == n);
}

namespace {
void FlipPlane(std::vector<uint8_t>& plane, size_t rowBytes, int32_t rows) {
    if (plane.size() != rowBytes * static_cast<size_t>(rows)) return;
    // Whole rows through a spare one: memcpy outruns a swap a byte at a time.
    std::vector<uint8_t> spare(rowBytes);
    for (int32_t top = 0, bottom = rows - 1; top < bottom; ++top, --bottom) {
        uint8_t* upper = plane.data() + static_cast<size_t>(top) * rowBytes;
        uint8_t* lower = plane.data() + static_cast<size_t>(bottom) * rowBytes;
        std::memcpy(spare.data(), upper, rowBytes);
        std::memcpy(upper, lower, rowBytes);
        std::memcpy(lower, spare.data(), rowBytes);
    }
}
} // namespace

IconImageRec RecordOf(const CLayerImage& picture) {
    PixelExport pixels = picture.ExportPixels();
    IconImageRec rec;
    rec.height = pixels.height;
    rec.width = pixels.width;
    rec.colours = std::move(pixels.colours);
    rec.alpha = std::move(pixels.alpha);
    rec.mask = std::move(pixels.coverage);
    return rec;
}

void FlipRows(IconImageRec& rec) {
    if (rec.width <= 0 || rec.height <= 0) return;
    const size_t w = static_cast<size_t>(rec.width);
    FlipPlane(rec.colours, w * 3, rec.height);
    FlipPlane(rec.alpha, w, rec.height);
    FlipPlane(rec.mask, w, rec.height);
}

} // namespace pictoform
