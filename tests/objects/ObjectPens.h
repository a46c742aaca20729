#pragma once
// Shared by the object fill tests: pens set up through the pen's saved state,
// so that mode, kind, single colour and stops are exactly what a test names,
// and a picture of which pixels are covered.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "colour/MultiColorPen.h"
#include "image/PlanePixels.h"
#include "objects/Pattern.h"
#include "platform/TextRasterizer.h"

namespace pictoform::objecttest {

using imagetest::At;
using imagetest::Erasing;
using imagetest::kEmpty;
using imagetest::Make;
using imagetest::Px;
using imagetest::Stop;
using Map = std::vector<std::string>;

inline Px Of(const PixelColor& c) {
    return {c.red, c.green, c.blue, c.alpha, 1};
}

// Stops default to opaque black at 0 and white at 1: table entry i has red, green and blue i.
inline void SetUpPen(CMultiColorPen& pen, int mode, int kind, PixelColor single = {},
                     PixelColor last = {255, 255, 255, 255}) {
    std::vector<uint8_t> b;
    auto word = [&](uint32_t v) {
        for (int s = 0; s < 32; s += 8) b.push_back(static_cast<uint8_t>(v >> s));
    };
    auto colour = [&](const PixelColor& c) {
        b.insert(b.end(), {c.red, c.green, c.blue, c.alpha});
        word(c.word1);
        word(c.word2);
    };
    for (int w : {kind, 0, 2}) word(static_cast<uint32_t>(w));
    colour(single);
    word(static_cast<uint32_t>(mode));
    word(0);
    colour(Stop({0, 0, 0, 255}, 0));
    colour(Stop(last, 1));
    ASSERT_TRUE(pen.RestoreState(b));
}

inline void SetFrame(CPattern& object, Vec2 origin, Vec2 u, Vec2 v) {
    PatternGeometry g = object.Geometry();
    g.origin = origin;
    g.axisU = u;
    g.axisV = v;
    object.SetGeometry(g);
}

inline FontDescription Font(int pixelHeight) {
    FontDescription font;
    font.pixelHeight = pixelHeight;
    return font;
}

// The object rendered into a fresh w x h picture, or one all covered in grey 50.
inline CLayerImage Rendered(const CPattern& object, CMultiColorPen& pen, int w, int h,
                            bool covered = false) {
    CLayerImage image = Make(w, h);
    if (covered) image.Fill(50, 255, 1);
    object.Render(image, pen);
    return image;
}

// One string a row: '#' where the coverage plane is non-zero, '.' elsewhere.
inline Map CoverageMap(const CLayerImage& img) {
    Map rows(static_cast<size_t>(img.Height()), std::string(static_cast<size_t>(img.Width()), '.'));
    for (int y = 0; y < img.Height(); ++y)
        for (int x = 0; x < img.Width(); ++x)
            if (At(img, x, y).c) rows[y][x] = '#';
    return rows;
}

} // namespace pictoform::objecttest
