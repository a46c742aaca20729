#pragma once
// The predesigned masks: reading a mask file and listing the mask folder.
//
// A mask file is "pat", the width and the height as big-endian 16-bit
// values, then one byte per pixel, top row first; anything after is ignored.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/AppPaths.h"

namespace pictoform {

struct MaskImage {
    int width = 0;
    int height = 0;
    // width * height bytes, row after row from the top; they become the
    // coverage plane of the mask object's picture as they are.
    std::vector<uint8_t> pixels;
};

// Reads a mask file. On failure mask is left as it was and, when whyRefused
// is given, it says why. A size that the file does not back with bytes is
// refused before anything is allocated for it.
[[nodiscard]] bool ReadMaskFile(const std::string& path, MaskImage& mask,
                                std::string* whyRefused = nullptr);

struct MaskEntry {
    std::string title; // the file name without its extension, as the mask list shows it
    std::string path;  // the full path, which the mask tool reads
};

// The mask files of a folder whose names start with a letter: those starting
// with 'a' first, then 'b', ... to 'z'; a letter and the ".msk" ending match
// in either case, as they do on the file systems the masks come from. Within
// a letter, by name. A missing folder gives an empty list.
[[nodiscard]] std::vector<MaskEntry> ListMaskFolder(const std::string& folder);
// The same over the program's mask folder.
[[nodiscard]] std::vector<MaskEntry> ListMaskLibrary(const AppPaths& paths);

} // namespace pictoform
