#pragma once
// What one file or document may cost, in one place. Every reader and the
// open path check against these before they allocate: a small file must
// never take memory or time out of proportion to its size, whoever made it.

#include <cstddef>
#include <cstdint>
#include <string>

namespace pictoform {

// Bytes read from disk.
// Icon, cursor, animated cursor and Xcursor files: the largest real ones are
// a few MB.
inline constexpr size_t kMaxIconFileBytes = 256u * 1024u * 1024u;
// Pictoform projects hold every layer PNG-compressed: a document at the
// editing limit below compresses to far less.
inline constexpr size_t kMaxProjectFileBytes = 512u * 1024u * 1024u;
// Programs and libraries are read whole to find their icons.
inline constexpr size_t kMaxModuleFileBytes = 256u * 1024u * 1024u;
// Settings files the program keeps (registry stand-in, item list) and an
// install.inf: text a person could write.
inline constexpr size_t kMaxRegistryFileBytes = 16u * 1024u * 1024u;
inline constexpr size_t kMaxInfoFileBytes = 64u * 1024u * 1024u;
inline constexpr size_t kMaxInfBytes = 1024u * 1024u;

// Entries.
// Resources listed in one program: real ones hold a few thousand, and each
// costs memory.
inline constexpr size_t kMaxModuleResources = 256u * 1024u;
// Text of resource type and name strings read or held for one program: real
// names are a few bytes each, but entries can share one name of 64K
// characters, and every entry listed holds a copy.
inline constexpr size_t kMaxResourceNameBytes = 4u * 1024u * 1024u;

// Decoded pixels.
// The largest side of one image (a PNG-compressed one; bitmaps stop at 256).
inline constexpr int32_t kMaxPngSide = 1024;
// Pixels decoded from one file, all images together: entries may share bytes
// and a PNG may compress a plain picture a thousandfold, so the file's size
// alone does not bound them. 8 M pixels are 40 MB of planes, 8 images of
// 1024 x 1024, and keep the command-line tool under 128 MB whatever it does
// with them.
inline constexpr size_t kMaxDecodedPixels = 8u * 1024u * 1024u;
// Why a file whose images pass kMaxDecodedPixels is refused, whatever its kind.
inline std::string TooManyPixels() {
    return "its images hold more than " + std::to_string(kMaxDecodedPixels / 1000000) +
           " million pixels in all, more than Pictoform reads from one file";
}
// A picture is held whole while its sizes are made: 40 million pixels are
// 160 MB, more than any icon needs and less than a desktop can spare.
inline constexpr int64_t kMaxPicturePixels = 40'000'000;

// Memory a document may take to edit: its formats' layers at three times
// each side, composites and final images. The largest real icons (sizes up
// to 1024 a side) need about 200 MB.
inline constexpr uint64_t kMaxDocumentBytes = 1'000'000'000;

} // namespace pictoform
