#include "objects/CopiedPattern.h"

#include <array>
#include <utility>

#include <gtest/gtest.h>

#include "colour/MultiColorPen.h"
#include "image/PlanePixels.h"

using namespace pictoform;
using namespace pictoform::imagetest;

namespace {

// 30 x 30: pixel (x, y) covered in colour (x, y, 7) on even rows, empty on odd ones.
CLayerImage Source() {
    CLayerImage img = Make(30, 30);
    for (int y = 0; y < 30; y += 2)
        for (int x = 0; x < 30; ++x) Put(img, x, y, {x, y, 7, 255, 1});
    return img;
}

} // namespace

TEST(CopiedPatternTest, SelectionIsNormalisedClampedAndCutOut) {
    CLayerImage forward = Source(), backward = Source(), kept = Source();
    CCopiedPattern a, b, edge, none;
    ASSERT_TRUE(a.CreateFromSelection(forward, 3, 4, 12, 10, false));
    ASSERT_TRUE(b.CreateFromSelection(backward, 12, 10, 3, 4, false));
    EXPECT_EQ(b.Geometry(), a.Geometry());
    EXPECT_EQ(b.Geometry(),
              (PatternGeometry{
                  {3, 4}, {9, 0}, {0, 6}, 0, {7.5f, 7}, {7.5f, 17}, {0.3f, 0.2f}, {0.8f, 0.7f}}));
    EXPECT_EQ(At(b.Picture(), 8, 4), (Px{11, 8, 7, 255, 1}));
    EXPECT_EQ(At(b.Picture(), 8, 5), kEmpty);
    EXPECT_EQ(At(backward, 11, 8).c, 0); // cut out; the neighbours stay
    EXPECT_EQ(At(backward, 12, 4), (Px{12, 4, 7, 255, 1}));

    ASSERT_TRUE(edge.CreateFromSelection(kept, 9, 40, -6, 24, true)); // clamped
    EXPECT_EQ(edge.Origin(), (Vec2{0, 24}));
    EXPECT_EQ(edge.AxisU(), (Vec2{9, 0}));
    EXPECT_EQ(edge.AxisV(), (Vec2{0, 6}));
    EXPECT_EQ(At(kept, 0, 24), (Px{0, 24, 7, 255, 1}));
    EXPECT_FALSE(none.CreateFromSelection(kept, 31, 0, 40, 10, false)); // wholly outside
    EXPECT_FALSE(none.CreateFromSelection(kept, -9, -9, 0, 30, false));
    EXPECT_TRUE(none.Picture().IsNull());
}

TEST(CopiedPatternTest, MovesOnlyLandsOnWholeIconPixelsAndShowsItsOutline) {
    CLayerImage layer = Source();
    CCopiedPattern object;
    ASSERT_TRUE(object.CreateFromSelection(layer, 6, 6, 9, 9, false));
    EXPECT_EQ(object.HitTestHandle(5, 6, 3, true), kHandleNone); // beside the corner
    EXPECT_EQ(object.HitTestHandle(6, 6, 3, true), kHandleMove);
    object.SetActiveHandle(kHandleRightBottom);
    object.DragHandle(20, 20, 14, 14);
    EXPECT_EQ(object.Origin(), (Vec2{6, 6}));
    EXPECT_EQ(object.AxisU(), (Vec2{3, 0}));

    // Dragged by (2, 3) it lands at (6, 9): x stays short of a pixel; one
    // unit more across, at (9, 9).
    CMultiColorPen pen;
    object.SetActiveHandle(kHandleMove);
    for (auto [dx, dy, x, y] : {std::array{2, 3, 6, 9}, std::array{1, 0, 9, 9}}) {
        object.DragHandle(0, 0, static_cast<float>(dx), static_cast<float>(dy));
        CLayerImage target = Make(15, 15);
        target.Fill(100, 255, 1);
        object.Render(target, pen);
        EXPECT_EQ(std::pair(object.SnappedX(), object.SnappedY()), std::pair(x, y));
        EXPECT_EQ(At(target, x, y), (Px{6, 6, 7, 255, 1}));
        EXPECT_EQ(At(target, x, y + 1), (Px{100, 100, 100, 255, 1})); // an empty row
        EXPECT_EQ(At(target, x + 2, y + 2), (Px{8, 8, 7, 255, 1}));
        EXPECT_EQ(At(target, x - 1, y), (Px{100, 100, 100, 255, 1}));
    }

    // From (5, 5) at zoom 4: (4, 4) -> (16, 4) -> (16, 12) -> (4, 12), dotted, no handles.
    object.SetGeometry({{5, 5}, {9, 0}, {0, 6}, 0, {}, {}, {0.3f, 0.2f}, {0.8f, 0.7f}});
    CLayerImage display = Make(20, 16);
    DisplayPainter painter(display);
    object.DrawFrame(painter, 4, true);
    const int black[][2] = {{4, 4}, {6, 4}, {16, 4}, {16, 6}, {16, 12}, {4, 8}};
    const int white[][2] = {{7, 4}, {16, 7}, {17, 4}, {3, 3}, {10, 8}, {4, 9}};
    for (const auto& p : black) EXPECT_EQ(At(display, p[0], p[1]).r, 0) << p[0] << "," << p[1];
    for (const auto& p : white) EXPECT_EQ(At(display, p[0], p[1]).r, 255) << p[0] << "," << p[1];
}
