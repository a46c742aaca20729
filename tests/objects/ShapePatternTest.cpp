#include <limits>
#include <memory>

#include <gtest/gtest.h>

#include "objects/MaskedPattern.h"
#include "objects/ObjectPens.h"
#include "objects/RectPattern.h"
#include "objects/TriPattern.h"
#include "objects/UAATextPattern.h"
#include "support/BoxTextRasterizer.h"

using namespace pictoform;
using namespace pictoform::objecttest;

namespace {
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();
} // namespace

TEST(ShapePatterns, EveryKindOfObjectWithEveryGradientKind) {
    // Frames (0, 0)-(30, 30), S = (0.3, 0.2) on pixel (9, 6), E = (0.8, 0.7). At (15, 6),
    // 0.2 right of S: linear 0.2 x 0.5 / 0.5 of 255, radial 0.2 / 0.7071, rectangle 0.2 of
    // the outline's 0.5. The vertex kind there: max(x, y) / 30 of the way from entry 1 to
    // 2 across the frame; in an unmoved 2 x 2 grid the corner colours mixed bilinearly at
    // the grid points; (x + y) / 30 in the triangle.
    std::vector<std::unique_ptr<CPattern>> objects;
    for (int grid : {0, 2}) {
        auto rect = std::make_unique<CRectPattern>();
        rect->InitRect(0, 0, 30, 30, 0);
        auto ellipse = std::make_unique<CMaskedPattern>();
        ASSERT_TRUE(ellipse->CreateEllipse(0, 0, 30, 30));
        if (grid) rect->InitMorphGrid(grid, grid), ellipse->InitMorphGrid(grid, grid);
        objects.push_back(std::move(rect));
        objects.push_back(std::move(ellipse));
    }
    auto tri = std::make_unique<CTriPattern>();
    ASSERT_TRUE(tri->InitTriangle({0, 0}, {30, 0}, {0, 30}));
    objects.push_back(std::move(tri));
    auto text = std::make_unique<CUAATextPattern>(); // one glyph box over all its 10 x 10
    ASSERT_TRUE(text->CreatePixelText(0, 0, 30, 30, "A", Font(20), test::BoxTextRasterizer{}));
    objects.push_back(std::move(text));
    const Px vertex[] = {{120, 60, 30, 255, 1}, {120, 60, 30, 255, 1}, {144, 72, 36, 255, 1},
                         {144, 72, 36, 255, 1}, {168, 84, 42, 255, 1}, {120, 60, 30, 255, 1}};

    for (int kind : {kGradientVertex, kGradientLinear, kGradientRadial, kGradientRectangle}) {
        CMultiColorPen pen;
        SetUpPen(pen, kPenMultiColour, kind, {},
                 kind == kGradientVertex ? PixelColor{240, 120, 60, 255}
                                         : PixelColor{255, 255, 255, 255});
        const auto& table = pen.Outputs().table;
        const int index = kind == kGradientLinear ? 51 : kind == kGradientRadial ? 72 : 102;
        for (size_t k = 0; k < objects.size(); ++k) {
            const CLayerImage image = Rendered(*objects[k], pen, 31, 31);
            if (kind == kGradientVertex) {
                EXPECT_EQ(At(image, 15, 6), vertex[k]) << k;
            } else {
                EXPECT_EQ(At(image, 9, 6), Of(table[0])) << kind << " " << k;
                EXPECT_EQ(At(image, 15, 6), Of(table[index])) << kind << " " << k;
            }
        }
    }

    // A frame that is not finite draws nothing.
    CMultiColorPen pen;
    SetUpPen(pen, kPenSingleColour, kGradientVertex, {1, 2, 3, 255});
    for (const auto& object : objects)
        for (float bad : {kNaN, kInf}) {
            SetFrame(*object, {0, 0}, {bad, 0}, {0, 30});
            EXPECT_EQ(CoverageMap(Rendered(*object, pen, 31, 31)), Map(31, std::string(31, '.')));
        }
}

TEST(ShapePatterns, SingleColourEraseClearsTheShapeExactly) {
    // Except that a rectangle with the vertex kind paints the single colour; a mask
    // erases with every kind.
    const PixelColor erase = Erasing({9, 9, 9, 255});
    const Px grey{50, 50, 50, 255, 1};
    for (int kind : {kGradientVertex, kGradientLinear, kGradientRadial, kGradientRectangle}) {
        CMultiColorPen pen;
        SetUpPen(pen, kPenSingleColour, kind, erase);
        CRectPattern rect;
        rect.InitRect(1, 1, 9, 7, 0);
        CMaskedPattern ellipse;
        ASSERT_TRUE(ellipse.CreateEllipse(1, 1, 9, 7));
        const CLayerImage r = Rendered(rect, pen, 10, 8, true);
        const CLayerImage e = Rendered(ellipse, pen, 10, 8, true);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 10; ++x) {
                const bool inside = x >= 1 && x < 9 && y >= 1 && y < 7;
                const Px painted = kind == kGradientVertex ? Px{9, 9, 9, 255, 1} : kEmpty;
                ASSERT_EQ(At(r, x, y), inside ? painted : grey) << kind << ": " << x << "," << y;
                const bool shape = inside && At(ellipse.Mask(), x - 1, y - 1).c;
                ASSERT_EQ(At(e, x, y), shape ? kEmpty : grey) << kind << ": " << x << "," << y;
            }
    }
}

TEST(ShapePatterns, FrameBandIsHeldToHalfTheFrame) {
    // Half-transparent, so a pixel painted twice would show. Thickness 20 across a
    // width of 30 holds the inset at 0.5: the band meets in the middle and covers each
    // pixel once, for the vertex kind as well. Thickness 5 leaves 5 to 24 by 5 to 54.
    const PixelColor colour{0, 0, 200, 128};
    for (int kind : {kGradientLinear, kGradientVertex})
        for (int thickness : {20, 5}) {
            CMultiColorPen pen;
            SetUpPen(pen, kPenSingleColour, kind, colour);
            CRectPattern frame;
            frame.InitRect(0, 0, 30, 60, thickness);
            const CLayerImage image = Rendered(frame, pen, 30, 60);
            for (int y = 0; y < 60; ++y)
                for (int x = 0; x < 30; ++x) {
                    const bool band = thickness == 20 || x < 5 || x >= 25 || y < 5 || y >= 55;
                    ASSERT_EQ(At(image, x, y), band ? Of(colour) : kEmpty)
                        << kind << " " << thickness << ": " << x << "," << y;
                }
        }
}

TEST(ShapePatterns, TriangleFrameCornersAndMorphGrid) {
    CTriPattern tri;
    ASSERT_TRUE(tri.InitTriangle({15, 60}, {0, 0}, {30, 0})); // twice as tall as wide
    EXPECT_EQ(tri.Geometry().origin, (Vec2{0, 0}));
    EXPECT_EQ(tri.AxisU(), (Vec2{30, 0}));
    EXPECT_EQ(tri.AxisV(), (Vec2{0, 60}));
    tri.InitMorphGrid(4, 4);
    EXPECT_EQ(tri.MorphGrid(), (std::vector<Vec2>{{0.5f, 1}, {0, 0}, {1, 0}}));
    for (float y : {5.0f, kNaN}) EXPECT_FALSE(CTriPattern{}.InitTriangle({0, 5}, {10, y}, {20, 5}));
    EXPECT_FALSE(CTriPattern{}.InitTriangle({3, 0}, {3, 10}, {3, 4}));

    // (0, 0), (16, 0), (0, 16) with its third corner dragged to (16, 16): the half of the
    // square on and right of the diagonal.
    CTriPattern bent;
    ASSERT_TRUE(bent.InitTriangle({0, 0}, {16, 0}, {0, 16}));
    bent.InitMorphGrid(0, 0);
    bent.SetMorphMode(true);
    ASSERT_EQ(bent.HitTestHandle(0, 16, 3, false), kHandleMorphPoint);
    bent.SetActiveHandle(kHandleMorphPoint);
    bent.DragHandle(16, 16, 16, 0);
    CMultiColorPen pen;
    SetUpPen(pen, kPenSingleColour, kGradientLinear, {1, 2, 3, 255});
    const CLayerImage image = Rendered(bent, pen, 17, 17);
    for (int y = 0; y < 17; ++y)
        for (int x = 0; x < 17; ++x)
            ASSERT_EQ(At(image, x, y).c != 0, x >= y && x < 16) << x << "," << y;
}
