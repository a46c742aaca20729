#pragma once
// The one picture that stands for a file: what a file manager shows for an
// icon, cursor, animated cursor or Xcursor file, and what the icon theme
// gets for a replaced desktop icon.

#include <cstdint>
#include <span>
#include <string>

#include "image/BgraPicture.h"

namespace pictoform {

// The picture of the image a side x side picture is best made from, top row
// first, at its own size: of an icon, cursor or Xcursor file, or of icon
// group `group` of a program (counted as ListModuleIconGroups counts them),
// the smallest image at least `side` pixels on its longer side, else the
// largest, the deepest of equals; of an animated cursor, the frame it shows
// first; a PNG picture as it is (group 0 only). Only that image is decoded.
// False, with a reason, when there is none.
[[nodiscard]] bool ReadPictureForSide(std::span<const uint8_t> bytes, int group, int side,
                                      BgraPicture& out, std::string& reason);

// A file's thumbnail, at most side pixels on its longer side: that picture
// (of a program, its first icon group), scaled down with its shape kept when
// it is larger. A smaller one stays as it is: file managers show small
// thumbnails at their own size rather than blur them.
[[nodiscard]] bool MakeThumbnail(std::span<const uint8_t> bytes, int side, BgraPicture& out,
                                 std::string& reason);

} // namespace pictoform
