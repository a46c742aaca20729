#include "colour/DropShadow.h"

#include <gtest/gtest.h>

#include <climits>

namespace pictoform {
namespace {

TEST(ShadowSettingsTest, TypedExtremesDoNotOverflowTheOffsets) {
    ShadowSettings shadow;
    shadow.ApplyOptions(INT_MAX, INT_MIN, ShadowSettings::kDefaultColour);
    EXPECT_EQ(shadow.OptionX(), ShadowSettings::kOffsetLimit);
    EXPECT_EQ(shadow.OptionY(), -ShadowSettings::kOffsetLimit);
    for (const ShadowPass& pass : shadow.Passes()) {
        EXPECT_LE(pass.dx, ShadowSettings::kOffsetLimit);
        EXPECT_GE(pass.dy, -ShadowSettings::kOffsetLimit);
    }
}

// A 3 x 3 source whose centre pixel is covered with alpha 200, laid with
// strength 40 (a = 40 * 200 >> 8 = 31) in the colour (10, 20, 30).
TEST(ShadowPassTest, EmptyPixelsTakeTheColourCoveredOnesDarkenAndFarOffsetsLayNothing) {
    CLayerImage source, target;
    ASSERT_TRUE(source.Create(3, 3) && target.Create(3, 3));
    source.SetBlock(1, 1, PixelColor{1, 2, 3, 200}, 1);
    const PixelColor colour{10, 20, 30, 255};
    for (auto [dx, dy] : {std::pair{2, 0}, {-2, 0}, {0, 2}, {INT_MAX, 0}, {0, INT_MIN}})
        LayShadowPass(source, target, colour, 40, dx, dy);
    target.SetBlock(2, 2, PixelColor{200, 100, 0, 50}, 1);
    LayShadowPass(source, target, colour, 40, 1, -1);
    LayShadowPass(source, target, colour, 40, 1, 1);
    EXPECT_EQ(target.GetPixel(2, 0), (PixelColor{10, 20, 30, 31}));
    // (old * 225 + colour * 31) >> 8, alpha added.
    EXPECT_EQ(target.GetPixel(2, 2), (PixelColor{176, 90, 3, 81}));
    for (int i = 0; i < 9; ++i) EXPECT_EQ(target.CoveragePlane()[i], i == 2 || i == 8) << i;
}

} // namespace
} // namespace pictoform
