// Colour arithmetic on pictures: exact channel values, empty pixels untouched.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "colour/ColorAdjust.h"

using namespace pictoform;

namespace {

using Colours = std::vector<PixelColor>;

// The colours as a row of covered pixels after `filter`; an empty pixel
// after them must keep its bytes.
template <class Filter> Colours After(const Colours& colours, Filter filter) {
    CLayerImage picture;
    picture.Create(static_cast<int>(colours.size()) + 1, 1);
    int x = 0;
    for (const PixelColor& c : colours) picture.SetBlock(x++, 0, c, 1);
    picture.SetBlock(x, 0, PixelColor{100, 150, 200, 77}, 1);
    picture.CoveragePlane()[x] = 0;
    filter(picture);
    Colours out;
    for (int i = 0; i < x; ++i) out.push_back(picture.GetPixel(i, 0));
    EXPECT_EQ(picture.GetPixel(x, 0), (PixelColor{100, 150, 200, 77}));
    return out;
}

} // namespace

TEST(ColorAdjust, ScaleChannelsLimitsAtBothEnds) {
    EXPECT_EQ(After({{200, 100, 50, 128}}, [](auto& p) { ScaleChannels(p, 2, 1, 1, 1); }),
              (Colours{{255, 100, 50, 128}}));
    EXPECT_EQ(After({{201, 3, 1, 255}}, [](auto& p) { ScaleChannels(p, .5f, .5f, .5f, .5f); }),
              (Colours{{100, 1, 0, 127}}));
    // Factors no channel can hold still land in range.
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_EQ(After({{10, 20, 30, 40}},
                    [=](auto& p) { ScaleChannels(p, inf, -3.0f, std::nanf(""), 1e30f); }),
              (Colours{{255, 0, 0, 255}}));
}

TEST(ColorAdjust, FiltersChangeColourNeverAlpha) {
    EXPECT_EQ(After({{100, 200, 255, 90}}, [](auto& p) { Brighten(p, std::sqrt(2.0f)); }),
              (Colours{{141, 255, 255, 90}}));
    // Contrast divides pixels dark in all three channels; the rest times v plus 2.
    EXPECT_EQ(After({{100, 50, 127, 255}, {128, 10, 10, 255}}, [](auto& p) { Contrast(p, 2); }),
              (Colours{{50, 25, 63, 255}, {255, 22, 22, 255}}));
    EXPECT_EQ(After({{100, 50, 127, 255}, {200, 10, 10, 255}}, [](auto& p) { Contrast(p, .5f); }),
              (Colours{{200, 100, 254, 255}, {102, 7, 7, 255}}));
    // Each channel moves against the mean of the other two.
    EXPECT_EQ(After({{200, 100, 0, 255}}, [](auto& p) { Saturate(p, 0.5f); }),
              (Colours{{125, 100, 75, 255}}));
    EXPECT_EQ(After({{200, 100, 0, 255}}, [](auto& p) { Saturate(p, 2); }),
              (Colours{{255, 100, 0, 255}}));
    EXPECT_EQ(After({{0, 128, 255, 60}}, [](auto& p) { Invert(p); }), (Colours{{255, 127, 0, 60}}));
    EXPECT_EQ(After({{10, 20, 31, 60}, {1, 1, 0, 255}}, [](auto& p) { Grayscale(p); }),
              (Colours{{20, 20, 20, 60}, {0, 0, 0, 255}}));
}
