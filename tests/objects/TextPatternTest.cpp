#include <gtest/gtest.h>

#include "objects/ObjectPens.h"
#include "objects/UAATextPattern.h"
#include "support/BoxTextRasterizer.h"

using namespace pictoform;
using namespace pictoform::objecttest;

namespace {

const test::BoxTextRasterizer kBoxes;

} // namespace

TEST(TextPatterns, SmoothTextIsTripledAndReducesToPartialAlpha) {
    // Height 2 tripled is 6: glyphs 3 wide, a gap of 1; "AB" measures 8 x 6 from (1.5, 2).
    CMaskedPattern text;
    ASSERT_TRUE(text.CreateSmoothText(1.5f, 2.0f, "AB", Font(2), kBoxes));
    EXPECT_EQ(text.Origin(), (Vec2{1, 2}));
    EXPECT_EQ(text.AxisU(), (Vec2{8, 0}));
    EXPECT_EQ(CoverageMap(text.Mask()), Map(6, "###.###."));
    EXPECT_FALSE(CMaskedPattern{}.CreateSmoothText(0, 0, "", Font(2), kBoxes));

    // Icon pixel (0, 0) holds canvas (1, 2) and (2, 2): kernel weights 2 + 1 of 16; (0, 1)
    // columns 1 and 2: 8 + 4; (1, 1) columns 3 and 5 around the gap: 4 + 4.
    CMultiColorPen pen;
    SetUpPen(pen, kPenSingleColour, kGradientLinear, {0, 0, 0, 255});
    const CLayerImage canvas = Rendered(text, pen, 12, 9);
    CLayerImage icon = Make(4, 3);
    CLayerImage::Downsample3x(canvas, nullptr, 1, icon, false);
    EXPECT_EQ(At(icon, 0, 0).a, 255 * 3 / 16);
    EXPECT_EQ(At(icon, 0, 1).a, 255 * 12 / 16);
    EXPECT_EQ(At(icon, 1, 1).a, 255 * 8 / 16);
}

TEST(TextPatterns, PixelTextKeepsToWholeIconPixels) {
    // "AB" at height 4: glyphs 2 wide, a gap of 1; 6 x 4 mask pixels over 18 x 12 units,
    // whether the box dragged was 18 x 12 or had units to spare (20 x 14).
    CUAATextPattern text;
    EXPECT_FALSE(CUAATextPattern{}.CreatePixelText(0, 0, 2, 30, "AB", Font(4), kBoxes));
    CMultiColorPen pen;
    SetUpPen(pen, kPenSingleColour, kGradientLinear, {7, 8, 9, 255});
    for (const int spare : {0, 2}) {
        SCOPED_TRACE(spare);
        ASSERT_TRUE(text.CreatePixelText(21 + spare, 15 + spare, 3, 3, "AB", Font(4), kBoxes));
        EXPECT_EQ(CoverageMap(text.Mask()), Map(4, "##.##."));
        EXPECT_EQ(text.AxisU(), (Vec2{18, 0}));
        text.SetActiveHandle(kHandleMove);
        // Moved by 0, 1, 2 and 3 units in all: only the last shows, one icon pixel on.
        for (int moved = 0; moved <= 3; ++moved) {
            if (moved > 0) text.DragHandle(0, 0, 1, 1);
            const int at = moved == 3 ? 6 : 3;
            const CLayerImage canvas = Rendered(text, pen, 30, 21);
            for (int y = 0; y < 21; ++y)
                for (int x = 0; x < 30; ++x) {
                    const int mx = (x - at) / 3, my = (y - at) / 3;
                    const bool glyph = x >= at && y >= at && mx < 6 && my < 4 && mx % 3 != 2;
                    ASSERT_EQ(At(canvas, x, y), (glyph ? Px{7, 8, 9, 255, 1} : kEmpty))
                        << moved << ": " << x << "," << y;
                }
        }
    }

    // Handles: the gradient points at (9, 6) and (24, 21) when shown, else move or none.
    ASSERT_TRUE(text.CreatePixelText(0, 0, 30, 30, "A", Font(4), kBoxes));
    const int hits[][4] = {{24, 21, 1, kHandleGradientEnd}, {9, 6, 1, kHandleGradientStart},
                           {9, 6, 0, kHandleMove},          {0, 0, 1, kHandleMove},
                           {15, 25, 1, kHandleMove},        {31, 0, 1, kHandleNone}};
    for (const auto& h : hits)
        EXPECT_EQ(text.HitTestHandle(h[0], h[1], 3, h[2] != 0), h[3]) << h[0] << "," << h[1];
    text.SetActiveHandle(kHandleGradientStart);
    text.DragHandle(15, 3, 6, -3);
    EXPECT_EQ(text.GradientStart(), (Vec2{0.5f, 0.1f}));
    // Its frame shows the start's red circle at (15, 3) only when asked to.
    for (const bool shown : {true, false}) {
        CLayerImage display = Make(40, 40);
        DisplayPainter painter(display);
        text.DrawFrame(painter, 3, shown);
        EXPECT_EQ(At(display, 15, 3), (shown ? Px{255, 0, 0, 0, 0} : kEmpty)) << shown;
    }
    const PatternGeometry before = text.Geometry();
    for (int handle : {kHandleRightBottom, kHandleRotate, kHandleRotationCentre}) {
        text.SetActiveHandle(handle);
        text.DragHandle(40, 40, 10, 10);
        EXPECT_EQ(text.Geometry(), before) << handle;
    }
}
