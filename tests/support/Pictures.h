#pragma once
// Pictures as the interop, command-line and module tests compare them, and
// the helpers that get them into and out of other programs.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "icon/IconImageRec.h"
#include "icon/PngCodec.h"
#include "support/TestSupport.h"

namespace pictoform::test {

// An image as other programs give it: red, green, blue, alpha, top row first.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;
};

using PixelFn = std::function<std::array<uint8_t, 4>(int x, int y)>; // red, green, blue, alpha

Picture Paint(int width, int height, const PixelFn& fn);
// A well-mixed value for pixel (x, y), for patterns that differ by seed.
uint32_t Hash(int x, int y, uint32_t seed);

// The pixels of a record as our readers give it (bottom row first).
Picture PictureOf(const IconImageRec& rec);
// The pixels of a record as the writers take it (top row first).
Picture PictureOfSource(const IconImageRec& rec);
// A record for the writers (top row first). Below depth 32 only fully
// opaque pixels stay visible.
IconImageRec ToRecord(const Picture& pic, int32_t depth);

// Between our PNG codec's buffers (blue, green, red, alpha) and pictures.
Picture PictureOfPng(const PngPixels& png);
PngPixels PngOfPicture(const Picture& pic);
Picture ReadPngFile(const std::string& path);

// Equal sizes and pixels; the colour of a fully transparent pixel is not compared.
::testing::AssertionResult SamePixels(const Picture& expected, const Picture& actual);

// Runs a Python script with Pillow; a failing script fails the test.
CommandResult RunPython(const std::string& script, const std::vector<std::string>& args);
// Writes each picture, as (path, picture), as an 8-bit RGBA PNG made by Pillow.
void SavePngs(const TempDir& dir, const std::vector<std::pair<std::string, Picture>>& files);
// Pillow's decode of every image of each file (an icon file or a PNG), in file order.
std::vector<std::vector<Picture>> PillowDecode(const std::vector<std::string>& paths);

// icotool -x: one PNG per image, in file order. `warnings` receives what
// icotool says on its error stream.
std::vector<std::string> IcotoolExtract(const TempDir& dir, const std::string& path,
                                        std::string* warnings = nullptr);

} // namespace pictoform::test
