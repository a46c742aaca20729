// Colour arithmetic on pictures: exact channel values, empty pixels untouched.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "colour/ColorAdjust.h"

using namespace pictoform;

namespace {

// A row of covered pixels in the given colours, then one empty pixel whose
// bytes the filters must not touch.
CLayerImage Row(std::initializer_list<PixelColor> colours) {
    CLayerImage picture;
    picture.Create(static_cast<int>(colours.size()) + 1, 1);
    int x = 0;
    for (const PixelColor& c : colours) picture.SetBlock(x++, 0, c, 1);
    picture.SetBlock(x, 0, PixelColor{100, 150, 200, 77}, 1);
    picture.CoveragePlane()[x] = 0;
    return picture;
}

std::vector<PixelColor> Pixels(const CLayerImage& picture) {
    std::vector<PixelColor> out;
    for (int x = 0; x < picture.Width() - 1; ++x) out.push_back(picture.GetPixel(x, 0));
    EXPECT_EQ(picture.GetPixel(picture.Width() - 1, 0), (PixelColor{100, 150, 200, 77}));
    return out;
}

using Colours = std::vector<PixelColor>;

} // namespace

TEST(ScaleChannels, LimitsAtBothEndsAndTouchesOnlyCoveredPixels) {
    CLayerImage doubledRed = Row({{200, 100, 50, 128}});
    ScaleChannels(doubledRed, 2.0f, 1.0f, 1.0f, 1.0f);
    EXPECT_EQ(Pixels(doubledRed), (Colours{{255, 100, 50, 128}}));

    CLayerImage halved = Row({{201, 3, 1, 255}});
    ScaleChannels(halved, 0.5f, 0.5f, 0.5f, 0.5f);
    EXPECT_EQ(Pixels(halved), (Colours{{100, 1, 0, 127}}));
}

TEST(ScaleChannels, FactorsNoChannelCanHoldStayInRange) {
    CLayerImage picture = Row({{10, 20, 30, 40}});
    ScaleChannels(picture, std::numeric_limits<float>::infinity(), -3.0f, std::nanf(""), 1e30f);
    EXPECT_EQ(Pixels(picture), (Colours{{255, 0, 0, 255}}));
}

TEST(Brighten, ScalesColourButNeverAlpha) {
    CLayerImage picture = Row({{100, 200, 255, 90}});
    Brighten(picture, std::sqrt(2.0f));
    EXPECT_EQ(Pixels(picture), (Colours{{141, 255, 255, 90}}));
}

TEST(Contrast, DarkPixelsDivideAndTheRestMultiplyPlusTwo) {
    CLayerImage up = Row({{100, 50, 127, 255}, {128, 10, 10, 255}});
    Contrast(up, 2.0f);
    EXPECT_EQ(Pixels(up), (Colours{{50, 25, 63, 255}, {255, 22, 22, 255}}));

    CLayerImage down = Row({{100, 50, 127, 255}, {200, 10, 10, 255}});
    Contrast(down, 0.5f);
    EXPECT_EQ(Pixels(down), (Colours{{200, 100, 254, 255}, {102, 7, 7, 255}}));
}

TEST(Saturate, MovesEachChannelAgainstTheMeanOfTheOthers) {
    CLayerImage less = Row({{200, 100, 0, 255}});
    Saturate(less, 0.5f);
    EXPECT_EQ(Pixels(less), (Colours{{125, 100, 75, 255}}));

    CLayerImage more = Row({{200, 100, 0, 255}});
    Saturate(more, 2.0f);
    EXPECT_EQ(Pixels(more), (Colours{{255, 100, 0, 255}}));

    CLayerImage same = Row({{13, 170, 250, 255}});
    Saturate(same, 1.0f);
    EXPECT_EQ(Pixels(same), (Colours{{13, 170, 250, 255}}));
}

TEST(InvertAndGrayscale, WorkOnColourOnly) {
    CLayerImage inverted = Row({{0, 128, 255, 60}});
    Invert(inverted);
    EXPECT_EQ(Pixels(inverted), (Colours{{255, 127, 0, 60}}));

    CLayerImage grey = Row({{10, 20, 31, 60}, {1, 1, 0, 255}});
    Grayscale(grey);
    EXPECT_EQ(Pixels(grey), (Colours{{20, 20, 20, 60}, {0, 0, 0, 255}}));
}
