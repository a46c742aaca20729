// Reading icon and cursor files. Nothing the file says is trusted: every
// offset, count and size is checked against the bytes that are there before
// it is used or allocated by.

#include <algorithm>
#include <cstring>

#include "icon/IconFile.h"
#include "icon/IconImageDecoder.h"
#include "icon/XcursorFile.h"
#include "io/ByteReader.h"

namespace pictoform {

namespace {

constexpr size_t kHeaderBytes = 6;
constexpr size_t kEntryBytes = 16;

struct DirEntry {
    int32_t width = 0;
    int32_t height = 0;
    uint8_t colourCount = 0;
    uint16_t planes = 0;
    uint16_t bitCount = 0;
    uint32_t bytes = 0;
    uint32_t offset = 0;
};

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

} // namespace

bool CIconFile::ReadIconData(std::span<const uint8_t> file) {
    ClearImages();
    m_fileType = 0;
    m_decodedPixels = 0;
    m_error.clear();

    // Xcursor files go by their content: they usually have no name ending.
    if (IsXcursorData(file)) {
        std::string reason;
        bool read = false;
        if (m_decodeOnly) {
            read = ListXcursorData(file, m_images, reason);
            if (read && m_decodeOnly && *m_decodeOnly < m_images.size()) {
                read = ReadXcursorImage(file, *m_decodeOnly, m_images[*m_decodeOnly], reason);
            }
        } else {
            read = ReadXcursorData(file, m_images, reason);
        }
        if (!read) {
            ClearImages();
            return Fail(reason);
        }
        m_xcursor = true;
        return true;
    }
    ByteReader r(file);
    uint16_t reserved = 0, type = 0, count = 0;
    if (!r.ReadU16(reserved) || !r.ReadU16(type) || !r.ReadU16(count)) {
        return Damaged("file is too short to be an icon (" + std::to_string(file.size()) +
                       " bytes)");
    }
    if (type != kIconType && type != kCursorType) {
        if (IsAnimatedCursorData(file)) return ReadAnimatedData(file);
        return Fail("not an icon or cursor file (type " + std::to_string(type) + ")");
    }
    if (count == 0) return Damaged("file holds no images");
    const size_t directoryEnd = kHeaderBytes + kEntryBytes * count;
    if (directoryEnd > file.size()) {
        return Damaged("directory of " + std::to_string(count) + " images ends at byte " +
                       std::to_string(directoryEnd) + " of " + std::to_string(file.size()));
    }
    m_fileType = type;
    // Where each image's bytes begin, in order, so that an image can be told
    // where the next one starts.
    std::vector<uint32_t> starts;
    starts.reserve(count);
    for (size_t i = 0; i < count; ++i) starts.push_back(ReadEntry(file, i).offset);
    std::sort(starts.begin(), starts.end());
    for (size_t i = 0; i < count; ++i) {
        const uint32_t start = ReadEntry(file, i).offset;
        const auto next = std::upper_bound(starts.begin(), starts.end(), start);
        const uint64_t nextImage = next == starts.end() ? file.size() : *next;
        if (!DecodeEntry(file, i, nextImage)) {
            ClearImages();
            m_fileType = 0;
            return false;
        }
    }
    (void)First();
    return true;
}

bool CIconFile::DecodeEntry(std::span<const uint8_t> file, size_t index, uint64_t nextImage) {
    const DirEntry e = ReadEntry(file, index);
    if (m_fileType == kCursorType) {
        // Every image keeps its own; the loaded hot spot is the last one read.
        m_hotSpot->x = e.planes;
        m_hotSpot->y = e.bitCount;
    }
    ImageEntryInfo info;
    info.width = e.width;
    info.height = e.height;
    info.colourCount = e.colourCount;
    info.bitCount = e.bitCount;
    info.entryBitsCount = m_fileType == kIconType;
    info.declaredBytes = e.bytes;
    info.nextImage = nextImage;
    info.headerOnly = !DecodesNext();
    IconImageRec rec;
    std::string reason;
    if (!DecodeIconImage(file, e.offset, info, rec, reason)) {
        return Damaged("image " + std::to_string(index) + " " + reason);
    }
    if (m_fileType == kCursorType) rec.hotSpot = HotSpot{e.planes, e.bitCount};
    return AppendDecoded(std::move(rec));
}

bool CIconFile::AppendDecoded(IconImageRec&& rec) {
    // A listed image holds no pixels.
    if (!DecodesNext()) {
        m_images.push_back(std::move(rec));
        return true;
    }
    // One image is at most 1024 x 1024, so checking after the decode bounds
    // what is held all the same.
    if (m_decodedPixels + rec.PixelCount() > kMaxDecodedPixels) {
        return Fail(TooManyPixels());
    }
    m_decodedPixels += rec.PixelCount();
    m_images.push_back(std::move(rec));
    return true;
}

} // namespace pictoform
