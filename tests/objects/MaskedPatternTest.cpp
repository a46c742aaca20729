#include "objects/MaskedPattern.h"

#include <algorithm>
#include <tuple>

#include <gtest/gtest.h>

#include "objects/ObjectPens.h"

using namespace pictoform;
using namespace pictoform::objecttest;

TEST(MaskedPattern, EllipseStretchedKeepsItsOutline) {
    // Given right to left. Inscribed in 8 x 6, columns 1 and 7 reach rows 1 to 4 only.
    CMaskedPattern ellipse;
    ASSERT_TRUE(ellipse.CreateEllipse(8, 6, 0, 0));
    EXPECT_EQ(ellipse.Origin(), (Vec2{0, 0}));
    EXPECT_EQ(ellipse.AxisU(), (Vec2{8, 0}));
    EXPECT_EQ(CoverageMap(ellipse.Mask()),
              (Map{"..#####.", ".#######", ".#######", ".#######", ".#######", "..#####."}));
    EXPECT_FALSE(CMaskedPattern{}.CreateEllipse(3, 0, 3, 9));

    // Twice as wide, the mask is sampled through the frame: each column becomes two.
    CMultiColorPen pen;
    SetUpPen(pen, kPenSingleColour, kGradientLinear, {1, 2, 3, 255});
    SetFrame(ellipse, {0, 0}, {16, 0}, {0, 6});
    const CLayerImage image = Rendered(ellipse, pen, 16, 6);
    EXPECT_EQ(CoverageMap(image),
              (Map{"....##########..", "..##############", "..##############", "..##############",
                   "..##############", "....##########.."}));
    EXPECT_EQ(At(image, 8, 3), (Px{1, 2, 3, 255, 1}));
}

TEST(MaskedPattern, MaskBytesAreCopiedAndAnyNonZeroIsInside) {
    const uint8_t bytes[6] = {0, 7, 255, 0, 1, 0};
    CMaskedPattern shape;
    ASSERT_TRUE(shape.CreateFromMask(5, 6, bytes, 3, 2));
    EXPECT_EQ(shape.Origin(), (Vec2{5, 6}));
    EXPECT_EQ(shape.AxisU(), (Vec2{1, 0}));
    EXPECT_TRUE(std::equal(bytes, bytes + 6, shape.Mask().CoveragePlane()));
    for (auto [data, w, h] : {std::tuple<const uint8_t*, int, int>{nullptr, 3, 2},
                              {bytes, 0, 2},
                              {bytes, 3, -2},
                              {bytes, 200000, 1}})
        EXPECT_FALSE(CMaskedPattern{}.CreateFromMask(0, 0, data, w, h)) << w << " x " << h;

    CMultiColorPen pen;
    SetUpPen(pen, kPenMultiColour, kGradientLinear);
    SetFrame(shape, {0, 0}, {9, 0}, {0, 6});
    EXPECT_EQ(CoverageMap(Rendered(shape, pen, 9, 6)),
              (Map{"...######", "...######", "...######", "...###...", "...###...", "...###..."}));
}
