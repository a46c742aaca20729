#include "colour/DropShadow.h"

#include <gtest/gtest.h>

#include <climits>

namespace pictoform {
namespace {

TEST(ShadowSettingsTest, OptionsMoveAllPassesAndSetTheirStrength) {
    ShadowSettings shadow;
    EXPECT_EQ(shadow.OptionX(), 2);
    EXPECT_EQ(shadow.OptionY(), 2);

    // The default colour gives back the default strengths.
    shadow.ApplyOptions(2, 2, ShadowSettings::kDefaultColour);
    EXPECT_EQ(shadow.Passes(), ShadowSettings::kDefaultPasses);

    const PixelColor red{200, 0, 0, 201};
    shadow.ApplyOptions(5, -1, red);
    const std::array<ShadowPass, 5> moved{
        {{30, 6, -1}, {30, 5, 0}, {30, 5, -2}, {30, 4, -1}, {80, 4, -2}}};
    EXPECT_EQ(shadow.Passes(), moved);
    EXPECT_EQ(shadow.Colour(), red);
    EXPECT_EQ(shadow.OptionX(), 5);
    EXPECT_EQ(shadow.OptionY(), -1);
}

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
class ShadowPassTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(source.Create(3, 3));
        ASSERT_TRUE(target.Create(3, 3));
        source.SetBlock(1, 1, PixelColor{1, 2, 3, 200}, 1);
    }
    CLayerImage source;
    CLayerImage target;
    const PixelColor colour{10, 20, 30, 255};
};

TEST_F(ShadowPassTest, EmptyTargetTakesTheShadowColour) {
    LayShadowPass(source, target, colour, 40, 1, -1);
    EXPECT_EQ(target.GetPixel(2, 0), (PixelColor{10, 20, 30, 31}));
    EXPECT_EQ(target.CoveragePlane()[2], 1);
    // Nothing else was touched.
    int covered = 0;
    for (int i = 0; i < 9; ++i) covered += target.CoveragePlane()[i];
    EXPECT_EQ(covered, 1);
}

TEST_F(ShadowPassTest, CoveredTargetIsDarkenedWithTheShadowWeights) {
    target.SetBlock(2, 2, PixelColor{200, 100, 0, 50}, 1);
    LayShadowPass(source, target, colour, 40, 1, 1);
    // (old * 225 + colour * 31) >> 8, alpha added.
    EXPECT_EQ(target.GetPixel(2, 2), (PixelColor{176, 90, 3, 81}));
}

TEST_F(ShadowPassTest, OffsetsBeyondTheTargetLayNothing) {
    for (auto [dx, dy] : {std::pair{2, 0}, {-2, 0}, {0, 2}, {INT_MAX, 0}, {0, INT_MIN}}) {
        LayShadowPass(source, target, colour, 40, dx, dy);
    }
    for (int i = 0; i < 9; ++i) EXPECT_EQ(target.CoveragePlane()[i], 0) << i;
}

TEST_F(ShadowPassTest, AllFivePassesLandInCanvasUnits) {
    CLayerImage big;
    ASSERT_TRUE(big.Create(20, 20));
    LayShadow(source, big, ShadowSettings{});
    // The centre pixel (1, 1) lands three canvas units per icon pixel away.
    for (const ShadowPass& pass : ShadowSettings::kDefaultPasses) {
        EXPECT_EQ(big.CoveragePlane()[(1 + 3 * pass.dy) * 20 + 1 + 3 * pass.dx], 1);
    }
    // Pass 5 (strength 40) on an empty pixel: 40 * 200 >> 8.
    EXPECT_EQ(big.GetPixel(4, 4).alpha, 31);
}

} // namespace
} // namespace pictoform
