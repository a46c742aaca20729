#pragma once
// Xcursor files, the cursors X11 and Wayland desktops load, through
// libXcursor: each image becomes a 32-bit record with its hot spot and its
// delay as a display time; written back with each image's width as its
// nominal size.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "icon/IconImageRec.h"

namespace pictoform {

// An Xcursor file starts "Xcur", whatever its name.
[[nodiscard]] bool IsXcursorData(std::span<const uint8_t> data);

// The images of every nominal size, in file order, bottom row first as the
// icon readers give them. A file whose table or images do not fit in it, or
// whose images are larger than kMaxPngSide, is refused with a reason before
// anything is decoded.
[[nodiscard]] bool ReadXcursorData(std::span<const uint8_t> data, std::vector<IconImageRec>& images,
                                   std::string& reason);

// The same records without their planes, from the file's table and image
// headers alone (no pixel limit applies: nothing is decoded).
[[nodiscard]] bool ListXcursorData(std::span<const uint8_t> data, std::vector<IconImageRec>& images,
                                   std::string& reason);

// Image `index` of the list alone, checked as ListXcursorData checks the
// file and decoded by itself.
[[nodiscard]] bool ReadXcursorImage(std::span<const uint8_t> data, size_t index,
                                    IconImageRec& image, std::string& reason);

// One image per record, top row first as the writers take them (its alpha,
// or its mask as opaque and transparent), hot spot held inside the image,
// delay from the display time.
[[nodiscard]] bool EncodeXcursor(std::span<const IconImageRec> images, std::vector<uint8_t>& out,
                                 std::string& reason);

// Display times are counted in jiffies (1/60 s), Xcursor delays in
// milliseconds: the nearest jiffy (at least one), and back.
[[nodiscard]] int32_t JiffiesOfDelay(uint32_t milliseconds);
[[nodiscard]] uint32_t DelayOfJiffies(int32_t jiffies);

} // namespace pictoform
