// Reading icon and cursor files. Nothing the file says is trusted: every
// offset, count and size is checked against the bytes that are there before
// it is used or allocated by.

#include <cstring>

#include "icon/ByteReader.h"
#include "icon/ColorReduction.h"
#include "icon/IconFile.h"
#include "icon/PngCodec.h"

namespace pictoform {

namespace {

constexpr size_t kHeaderBytes = 6;
constexpr size_t kEntryBytes = 16;
constexpr size_t kBitmapHeaderBytes = 40;

struct DirEntry {
    int32_t width = 0;
    int32_t height = 0;
    uint8_t colourCount = 0;
    uint16_t planes = 0;
    uint16_t bitCount = 0;
    uint32_t bytes = 0;
    uint32_t offset = 0;
};

std::string EndsPast(size_t index, const char* what, size_t end, size_t size) {
    return "image " + std::to_string(index) + " " + what + " ends at byte " + std::to_string(end) +
           " of " + std::to_string(size);
}

DirEntry ReadEntry(std::span<const uint8_t> file, size_t index) {
    ByteReader r(file);
    DirEntry e;
    uint8_t w = 0, h = 0, reserved = 0;
    // The directory was checked to lie inside the file.
    (void)(r.Seek(kHeaderBytes + kEntryBytes * index) && r.ReadU8(w) && r.ReadU8(h) &&
           r.ReadU8(e.colourCount) && r.ReadU8(reserved) && r.ReadU16(e.planes) &&
           r.ReadU16(e.bitCount) && r.ReadU32(e.bytes) && r.ReadU32(e.offset));
    e.width = w == 0 ? 256 : w;
    e.height = h == 0 ? 256 : h;
    return e;
}

// Palette size by the first rule that holds; the cursor's entry fields are
// its hot spot and take no part.
int32_t DecidePaletteSize(uint16_t headerBits, const DirEntry& e, bool iconFile) {
    auto bits = [&](uint16_t n) { return headerBits == n || (iconFile && e.bitCount == n); };
    if (bits(8)) return 256;
    if (bits(4) || e.colourCount == 16) return 16;
    if (bits(2) || e.colourCount == 4) return 4;
    if (bits(1) || e.colourCount == 2) return 2;
    return -1;
}

} // namespace

bool CIconFile::ReadIconData(std::span<const uint8_t> file) {
    ClearImages();
    m_fileType = 0;
    m_decodedPixels = 0;
    m_error.clear();

    ByteReader r(file);
    uint16_t reserved = 0, type = 0, count = 0;
    if (!r.ReadU16(reserved) || !r.ReadU16(type) || !r.ReadU16(count)) {
        return Fail("file is too short to be an icon (" + std::to_string(file.size()) +
                    " bytes)");
    }
    if (type != kIconType && type != kCursorType) {
        if (file.size() >= 12 && std::memcmp(file.data(), "RIFF", 4) == 0 &&
            std::memcmp(file.data() + 8, "ACON", 4) == 0) {
            return Fail("animated cursors are not supported yet");
        }
        return Fail("not an icon or cursor file (type " + std::to_string(type) + ")");
    }
    if (count == 0) return Fail("file holds no images");
    const size_t directoryEnd = kHeaderBytes + kEntryBytes * count;
    if (directoryEnd > file.size()) {
        return Fail("directory of " + std::to_string(count) + " images ends at byte " +
                    std::to_string(directoryEnd) + " of " + std::to_string(file.size()));
    }
    m_fileType = type;
    for (size_t i = 0; i < count; ++i) {
        if (!DecodeEntry(file, i)) {
            ClearImages();
            m_fileType = 0;
            return false;
        }
    }
    (void)First();
    return true;
}

bool CIconFile::DecodeEntry(std::span<const uint8_t> file, size_t index) {
    const DirEntry e = ReadEntry(file, index);
    const size_t size = file.size();
    if (m_fileType == kCursorType) {
        // With several images the last one read wins.
        m_hotSpot->x = e.planes;
        m_hotSpot->y = e.bitCount;
        m_entryHotSpots.push_back(*m_hotSpot);
    }
    const size_t start = e.offset;
    if (start + kBitmapHeaderBytes > size) {
        return Fail(EndsPast(index, "header", start + kBitmapHeaderBytes, size));
    }
    // Where the entry says the image ends; only a 32-bit image's missing mask
    // is judged by it, everything else by the bytes that are there.
    const size_t declaredEnd = start + static_cast<size_t>(e.bytes);

    IconImageRec rec;
    if (HasPngSignature(file.subspan(start))) {
        if (declaredEnd > size) return Fail(EndsPast(index, "data", declaredEnd, size));
        PngPixels png;
        std::string reason;
        if (!DecodePng(file.subspan(start, e.bytes), 256, png, reason)) {
            return Fail("image " + std::to_string(index) + ": " + reason);
        }
        // A PNG of another size than its entry is taken at its own size.
        rec.width = png.width;
        rec.height = png.height;
        const size_t n = rec.PixelCount();
        if (m_decodedPixels + n > kMaxDecodedPixels) {
            return Fail("file decodes to more than " + std::to_string(kMaxDecodedPixels) +
                        " pixels");
        }
        rec.colours.resize(n * 3);
        rec.alpha.resize(n);
        rec.mask.resize(n);
        // Records from the reader run bottom row first, as bitmaps do.
        for (int32_t y = 0; y < rec.height; ++y) {
            const uint8_t* src = png.bgra.data() + static_cast<size_t>(rec.height - 1 - y) *
                                                       static_cast<size_t>(rec.width) * 4;
            const size_t row = static_cast<size_t>(y) * static_cast<size_t>(rec.width);
            for (int32_t x = 0; x < rec.width; ++x, src += 4) {
                const size_t p = row + static_cast<size_t>(x);
                std::memcpy(&rec.colours[p * 3], src, 3);
                rec.alpha[p] = src[3];
                rec.mask[p] = src[3] != 0 ? 1 : 0;
            }
        }
        rec.depth = kDepth32;
        m_decodedPixels += n;
        m_images.push_back(std::move(rec));
        return true;
    }

    ByteReader r(file);
    uint32_t headerSize = 0;
    uint16_t headerBits = 0;
    (void)(r.Seek(start) && r.ReadU32(headerSize) && r.Seek(start + 14) && r.ReadU16(headerBits));
    // Later bitmap headers are longer; the palette follows whatever length
    // the header gives. Shorter ones (the old core header) are not icons.
    if (headerSize < kBitmapHeaderBytes) {
        return Fail("image " + std::to_string(index) + " has a bitmap header of " +
                    std::to_string(headerSize) + " bytes");
    }
    if (start + headerSize > size) return Fail(EndsPast(index, "header", start + headerSize, size));

    rec.width = e.width;
    rec.height = e.height;
    const size_t w = static_cast<size_t>(rec.width);
    const size_t h = static_cast<size_t>(rec.height);
    const size_t n = w * h;
    if (m_decodedPixels + n > kMaxDecodedPixels) {
        return Fail("file decodes to more than " + std::to_string(kMaxDecodedPixels) + " pixels");
    }
    rec.paletteSize = DecidePaletteSize(headerBits, e, m_fileType == kIconType);

    size_t pos = start + headerSize;
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
    const size_t colourEnd = pos + paletteBytes + colourBytes;
    if (colourEnd > size) return Fail(EndsPast(index, "data", colourEnd, size));

    const uint8_t* palette = file.data() + pos;
    rec.palette.assign(palette, palette + paletteBytes);
    const uint8_t* px = palette + paletteBytes;
    rec.colours.resize(n * 3);
    if (rec.depth == kDepth32) {
        rec.alpha.resize(n);
        for (size_t p = 0; p < n; ++p, px += 4) {
            std::memcpy(&rec.colours[p * 3], px, 3);
            rec.alpha[p] = px[3];
        }
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

    const size_t maskStride = static_cast<size_t>(RowStride(rec.width, 1));
    const size_t maskEnd = colourEnd + maskStride * h;
    rec.mask.resize(n);
    if (rec.depth == kDepth32 && maskEnd > declaredEnd) {
        // Some writers end a 32-bit image after its colours, as its entry's
        // size says; what follows belongs to another image, so the mask comes
        // from alpha. A mask cut off by the end of the file is damage instead.
        for (size_t p = 0; p < n; ++p) rec.mask[p] = rec.alpha[p] != 0 ? 1 : 0;
    } else {
        if (maskEnd > size) return Fail(EndsPast(index, "mask", maskEnd, size));
        const uint8_t* maskRows = file.data() + colourEnd;
        for (size_t y = 0; y < h; ++y) {
            const std::span<const uint8_t> row(maskRows + y * maskStride, maskStride);
            for (size_t x = 0; x < w; ++x) rec.mask[y * w + x] = PackedIndexAt(row, x, 1) ? 0 : 1;
        }
    }
    m_decodedPixels += n;
    m_images.push_back(std::move(rec));
    return true;
}

} // namespace pictoform
