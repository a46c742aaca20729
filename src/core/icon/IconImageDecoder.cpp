#include "icon/IconImageDecoder.h"

#include <algorithm>
#include <cstring>

#include "icon/ColorReduction.h"
#include "icon/PngCodec.h"
#include "image/PixelRows.h"
#include "io/ByteReader.h"

namespace pictoform {

namespace {

constexpr size_t kBitmapHeaderBytes = 40;

bool EndsPast(const char* what, size_t end, size_t size, std::string& reason) {
    reason =
        std::string(what) + " ends at byte " + std::to_string(end) + " of " + std::to_string(size);
    return false;
}

// Palette size by the first rule that holds.
int32_t DecidePaletteSize(uint16_t headerBits, const ImageEntryInfo& e) {
    auto bits = [&](uint16_t n) {
        return headerBits == n || (e.entryBitsCount && e.bitCount == n);
    };
    if (bits(8)) return 256;
    if (bits(4) || e.colourCount == 16) return 16;
    if (bits(2) || e.colourCount == 4) return 4;
    if (bits(1) || e.colourCount == 2) return 2;
    return -1;
}

bool DecodePngImage(std::span<const uint8_t> png, IconImageRec& rec, std::string& reason) {
    PngPixels px;
    if (!DecodePng(png, kMaxPngSide, px, reason)) {
        reason = "holds " + reason;
        return false;
    }
    // A PNG of another size than its entry is taken at its own size; records
    // from the readers run bottom row first, as bitmaps do.
    rec = RecordFromPng(px, true);
    rec.png = true;
    // The PNG alone: an entry may give it more bytes than it has.
    rec.storedPng.assign(png.begin(), png.begin() + static_cast<ptrdiff_t>(PngLength(png)));
    return true;
}

// A PNG's size from its header chunk, without decoding it.
bool ReadPngHeader(std::span<const uint8_t> png, IconImageRec& rec, std::string& reason) {
    constexpr size_t kIhdrEnd = 8 + 8 + 13;
    if (png.size() < kIhdrEnd || std::memcmp(png.data() + 12, "IHDR", 4) != 0) {
        reason = "holds a PNG without its header";
        return false;
    }
    const uint32_t width = PngNumber(png, 16), height = PngNumber(png, 20);
    if (width < 1 || height < 1 || width > uint32_t(kMaxPngSide) ||
        height > uint32_t(kMaxPngSide)) {
        reason = "holds a PNG of " + std::to_string(width) + " x " + std::to_string(height) +
                 " pixels; at most " + std::to_string(kMaxPngSide) + " a side can be opened";
        return false;
    }
    rec.width = static_cast<int32_t>(width);
    rec.height = static_cast<int32_t>(height);
    rec.depth = kDepth32;
    rec.png = true;
    return true;
}

} // namespace

bool DecodeIconImage(std::span<const uint8_t> file, size_t start, const ImageEntryInfo& e,
                     IconImageRec& rec, std::string& reason) {
    rec = IconImageRec{};
    const size_t size = file.size();
    if (start > size || size - start < kBitmapHeaderBytes) {
        return EndsPast("header", start + kBitmapHeaderBytes, size, reason);
    }
    // Where the entry says the image ends; only a 32-bit image's missing mask
    // is judged by it, everything else by the bytes that are there.
    const uint64_t declaredEnd = start + e.declaredBytes;

    if (HasPngSignature(file.subspan(start))) {
        if (declaredEnd > size) return EndsPast("data", declaredEnd, size, reason);
        if (e.headerOnly) return ReadPngHeader(file.subspan(start, e.declaredBytes), rec, reason);
        return DecodePngImage(file.subspan(start, e.declaredBytes), rec, reason);
    }

    ByteReader r(file);
    uint32_t headerSize = 0;
    int32_t headerWidth = 0, headerHeight = 0;
    uint16_t headerBits = 0;
    (void)(r.Seek(start) && r.ReadU32(headerSize) && r.ReadI32(headerWidth) &&
           r.ReadI32(headerHeight) && r.Seek(start + 14) && r.ReadU16(headerBits));
    // Later bitmap headers are longer; the palette follows whatever length
    // the header gives. Shorter ones (the old core header) are not icons.
    if (headerSize < kBitmapHeaderBytes) {
        reason = "has a bitmap header of " + std::to_string(headerSize) + " bytes";
        return false;
    }
    if (start + headerSize > size) return EndsPast("header", start + headerSize, size, reason);
    // The bitmap's own size is the one its rows are laid out by (its height
    // counts the mask too); a directory that disagrees is wrong, as in
    // cursors whose entry gives the bitmap's height or icons that give twice
    // it. A bitmap size out of bounds leaves the directory's.
    const int32_t bitmapHeight = headerHeight / 2;
    const bool bitmapSizeUsable =
        headerWidth >= 1 && headerWidth <= 256 && bitmapHeight >= 1 && bitmapHeight <= 256;
    rec.width = bitmapSizeUsable ? headerWidth : e.width;
    rec.height = bitmapSizeUsable ? bitmapHeight : e.height;
    if (rec.width < 1 || rec.height < 1 || rec.width > 256 || rec.height > 256) {
        reason = "has a size of " + std::to_string(rec.width) + " x " + std::to_string(rec.height);
        return false;
    }

    const size_t w = static_cast<size_t>(rec.width);
    const size_t h = static_cast<size_t>(rec.height);
    const size_t n = w * h;
    rec.paletteSize = DecidePaletteSize(headerBits, e);

    const size_t paletteStart = start + headerSize;
    const size_t paletteBytes = rec.paletteSize > 0 ? static_cast<size_t>(rec.paletteSize) * 4 : 0;
    int bits = 0;
    size_t colourBytes = 0;
    if (rec.paletteSize > 0) {
        rec.depth = rec.paletteSize;
        bits = BitsPerPixelOf(rec.depth);
        colourBytes = static_cast<size_t>(RowStride(rec.width, bits)) * h;
    } else if (headerBits == 32) {
        rec.depth = kDepth32;
        colourBytes = n * 4;
    } else {
        // Every other depth without a palette is taken as 24 bits.
        rec.depth = kDepth24;
        colourBytes = static_cast<size_t>(RowStride(rec.width, 24)) * h;
    }
    const size_t colourEnd = paletteStart + paletteBytes + colourBytes;
    if (colourEnd > size) return EndsPast("data", colourEnd, size, reason);

    const size_t maskStride = static_cast<size_t>(RowStride(rec.width, 1));
    const size_t maskEnd = colourEnd + maskStride * h;
    // Some writers end an image after its colours, as its entry's size says;
    // what follows belongs to another image. A 32-bit image then takes its
    // mask from alpha. Any other is opaque, unless the mask fits before the
    // next image after all (a writer that left it out of the size). A mask
    // cut off by the end of the data is damage instead, and is found when
    // only listing too: a listing must not pass a file that cannot be opened.
    const uint64_t room = std::min<uint64_t>(e.nextImage, size);
    const bool noMask = rec.depth == kDepth32
                            ? maskEnd > declaredEnd
                            : colourEnd <= declaredEnd && declaredEnd < maskEnd && room < maskEnd;
    if (!noMask && maskEnd > size) return EndsPast("mask", maskEnd, size, reason);
    if (e.headerOnly) return true;

    const uint8_t* palette = file.data() + paletteStart;
    rec.palette.assign(palette, palette + paletteBytes);
    const uint8_t* px = palette + paletteBytes;
    rec.colours.resize(n * 3);
    if (rec.depth == kDepth32) {
        rec.alpha.resize(n);
        SplitBgraRow(px, rec.colours.data(), rec.alpha.data(), n);
    } else if (rec.depth == kDepth24) {
        const size_t stride = static_cast<size_t>(RowStride(rec.width, 24));
        for (size_t y = 0; y < h; ++y) std::memcpy(&rec.colours[y * w * 3], px + y * stride, w * 3);
    } else {
        const size_t stride = static_cast<size_t>(RowStride(rec.width, bits));
        for (size_t y = 0; y < h; ++y) {
            const std::span<const uint8_t> row(px + y * stride, stride);
            for (size_t x = 0; x < w; ++x) {
                const unsigned i = PackedIndexAt(row, x, bits);
                std::memcpy(&rec.colours[(y * w + x) * 3], palette + i * 4, 3);
            }
        }
    }

    rec.mask.resize(n);
    if (noMask) {
        for (size_t p = 0; p < n; ++p) {
            rec.mask[p] = rec.depth != kDepth32 || rec.alpha[p] != 0 ? 1 : 0;
        }
        return true;
    }
    const uint8_t* maskRows = file.data() + colourEnd;
    for (size_t y = 0; y < h; ++y) {
        const std::span<const uint8_t> row(maskRows + y * maskStride, maskStride);
        for (size_t x = 0; x < w; ++x) rec.mask[y * w + x] = PackedIndexAt(row, x, 1) ? 0 : 1;
    }
    // Editors from before alpha wrote 32-bit images with every alpha byte 0
    // and the shape in the mask; read as they were meant, not as nothing.
    if (rec.depth == kDepth32 &&
        std::all_of(rec.alpha.begin(), rec.alpha.end(), [](uint8_t a) { return a == 0; })) {
        for (size_t p = 0; p < n; ++p) rec.alpha[p] = rec.mask[p] ? 255 : 0;
    }
    return true;
}

} // namespace pictoform
