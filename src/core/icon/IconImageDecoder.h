#pragma once
// Decoding one image as icon files, animated-cursor frames and program
// resources hold it: a bitmap (header, palette, colours, AND mask) or a PNG.

#include <cstdint>
#include <span>
#include <string>

#include "icon/IconImageRec.h"

namespace pictoform {

// What the directory entry (or group entry) says of an image.
struct ImageEntryInfo {
    int32_t width = 0;  // 1 to 256
    int32_t height = 0; // 1 to 256
    uint8_t colourCount = 0;
    uint16_t bitCount = 0;
    // In an icon the entry's bit count takes part in choosing the palette; in
    // a cursor that field is the hot spot.
    bool entryBitsCount = true;
    // Bytes the entry gives the image, counted from its start.
    uint64_t declaredBytes = 0;
    // Where the next image's bytes begin (or the data ends): a mask that the
    // entry's size leaves out is taken as missing only when it would run
    // into them.
    uint64_t nextImage = UINT64_MAX;
    // Only the size, depth and storage are read (to list the image); its
    // planes stay empty.
    bool headerOnly = false;
};

// Decodes the image that starts at `start` of `data`, reading nothing outside
// `data`. Records come out bottom row first. On failure `reason` completes a
// sentence that starts "image N ", e.g. "data ends at byte 4120 of 4096".
[[nodiscard]] bool DecodeIconImage(std::span<const uint8_t> data, size_t start,
                                   const ImageEntryInfo& entry, IconImageRec& out,
                                   std::string& reason);

} // namespace pictoform
