#include "objects/Pattern.h"

#include <cmath>
#include <limits>
#include <numbers>

#include <gtest/gtest.h>

using namespace pictoform;

namespace {

// The base object with every operation of its own.
class Frame : public CPattern {
public:
    Frame(int left, int top, int right, int bottom) { InitFrame(left, top, right, bottom); }
    [[nodiscard]] PatternKind Kind() const override { return PatternKind::Rect; }
};

void ExpectNear(Vec2 expected, Vec2 actual) {
    EXPECT_NEAR(actual.x, expected.x, 1e-3f);
    EXPECT_NEAR(actual.y, expected.y, 1e-3f);
}
float Dot(Vec2 a, Vec2 b) {
    return a.x * b.x + a.y * b.y;
}

void DragTo(CPattern& object, int handle, Vec2 to, Vec2 from) {
    object.SetActiveHandle(handle);
    object.DragHandle(to.x, to.y, to.x - from.x, to.y - from.y);
}

uint32_t Rgb(const CLayerImage& img, int x, int y) {
    const uint8_t* bgr = img.ColourBits() + y * img.Stride() + 3 * x;
    return uint32_t{bgr[2]} << 16 | uint32_t{bgr[1]} << 8 | bgr[0];
}

} // namespace

TEST(PatternGeometryTest, HandlesAfterTurnsAndResizesThatKeepTheOppositePoint) {
    EXPECT_EQ(Frame(0, 0, 30, 30).RotationHandle(), (Vec2{15, 25})); // 30 * 0.25 <= 10
    Frame f(0, 0, 30, 60);
    f.Rotate(0, 0, std::numbers::pi_v<float> / 2); // U -> (0, -30), V -> (60, 0)
    const Vec2 turned[] = {{0, 0},    {30, 0},   {60, 0}, {0, -15}, {60, -15}, {0, -30}, {30, -30},
                           {60, -30}, {30, -15}, {0, 0},  {15, 30}, {15, 45},  {12, -9}, {42, -24}};
    for (int h = 0; h <= kHandleGradientEnd; ++h) ExpectNear(turned[h], f.HandlePosition(h));

    // By hand at angle 0: the left-top corner from (0, 0) to (-6, 3).
    Frame g(0, 0, 30, 60);
    DragTo(g, kHandleLeftTop, {-6, 3}, {0, 0});
    EXPECT_EQ(
        g.Geometry(),
        (PatternGeometry{
            {-6, 3}, {36, 0}, {0, 57}, 0, {12, 31.5f}, {12, 46.5f}, {0.3f, 0.2f}, {0.8f, 0.7f}}));

    // Per handle: the frame point that stays; whether U, V follow the pointer
    // (the rotation points then take half the movement along x, y).
    const int table[8][4] = {{1, 1, 1, 1}, {1, 1, 1, 0}, {1, 0, 1, 1}, {1, 1, 0, 1},
                             {0, 0, 0, 1}, {0, 1, 1, 1}, {0, 0, 1, 0}, {0, 0, 1, 1}};
    for (float degrees : {0.0f, 30.0f, 90.0f, 180.0f}) {
        for (int h = 0; h < 8; ++h) {
            SCOPED_TRACE(testing::Message() << "handle " << h << " at " << degrees);
            const auto [fu, fv, movesU, movesV] = table[h];
            Frame r(0, 0, 30, 60);
            r.Rotate(15, 30, degrees * std::numbers::pi_v<float> / 180);
            const Vec2 fixed = r.FramePoint(fu, fv);
            const Vec2 from = r.HandlePosition(h);
            const Vec2 to{from.x + 7, from.y - 4};
            DragTo(r, h, to, from);
            const Vec2 dirU{std::cos(r.Angle()), std::sin(r.Angle())};
            const Vec2 dirV{dirU.y, -dirU.x};
            ExpectNear(fixed, r.FramePoint(fu, fv));
            EXPECT_NEAR(Dot(r.AxisU(), dirV), 0, 1e-3f);
            EXPECT_NEAR(Dot(r.AxisV(), dirU), 0, 1e-3f);
            // The handle lands on the pointer along the axes that moved.
            const float alongU = Dot(movesU ? to : from, dirU);
            const float alongV = Dot(movesV ? to : from, dirV);
            ExpectNear({alongU * dirU.x + alongV * dirV.x, alongU * dirU.y + alongV * dirV.y},
                       r.HandlePosition(h));
            ExpectNear({15 + 3.5f * movesU, 30 - 2.0f * movesV}, r.RotationCentre());
        }
    }
}

TEST(PatternGeometryTest, RotationHandleTurnsBySweptAngleAndMoveTakesEverything) {
    Frame f(0, 0, 60, 60); // centre (30, 30), handle (30, 45)
    f.SetActiveHandle(kHandleRotate);
    f.DragHandle(31, 45, 1, 0); // r = (1, 15): phi = 15 / 226
    EXPECT_NEAR(f.Angle(), -15.0f / 226, 1e-6f);
    ExpectNear({60 * std::cos(15.0f / 226), -60 * std::sin(15.0f / 226)}, f.AxisU());
    ExpectNear({30, 30}, f.HandlePosition(kHandleMove));
    const PatternGeometry before = f.Geometry();
    f.DragHandle(32, 60, 1, 15);   // along r = (2, 30): no turn
    f.DragHandle(30, 30, -2, -30); // onto the centre: nothing, no NaN
    EXPECT_EQ(f.Angle(), before.angle);
    ExpectNear(before.origin, f.Origin());
    EXPECT_EQ(f.RotationHandle(), (Vec2{30, 30}));

    Frame m(0, 0, 30, 30);
    DragTo(m, kHandleMove, {106, 97}, {100, 100});
    EXPECT_EQ(m.Geometry(),
              (PatternGeometry{
                  {6, -3}, {30, 0}, {0, 30}, 0, {21, 12}, {21, 22}, {0.3f, 0.2f}, {0.8f, 0.7f}}));
}

TEST(PatternGeometryTest, HitTestRadiiOrderGradientAndMorphHandles) {
    Frame f(0, 0, 30, 30); // centre (15, 15), handle (15, 25), gradient (9, 6) -> (24, 21)
    // x, y, zoom, show gradient, expected
    const float cases[][5] = {{3, 4, 3, 0, 0},    {4, 4, 3, 0, 8},   {0.7f, 0.7f, 15, 0, 0},
                              {1, 1, 15, 0, 8},   {-2, 0, 15, 0, 9}, {15, 20, 3, 0, 11},
                              {15, 19, 3, 0, 10}, {9, 6, 3, 1, 12},  {9, 6, 3, 0, 8},
                              {24, 21, 3, 1, 13}, {31, 33, 3, 0, 7}, {200, 200, 0, 1, 9}};
    for (const auto& c : cases) {
        EXPECT_EQ(f.HitTestHandle(c[0], c[1], static_cast<int>(c[2]), c[3] != 0), c[4])
            << c[0] << "," << c[1];
    }
    EXPECT_EQ(Frame(0, 0, 6, 6).HitTestHandle(0, 3, 3, false), 0); // 0 before 1

    f.InitMorphGrid(2, 2);
    f.InitMorphGrid(3, 1); // changes nothing
    ASSERT_EQ(f.MorphGrid().size(), 9u);
    EXPECT_EQ(f.MorphPoint(1, 2), (Vec2{0.5f, 1}));
    f.SetMorphMode(true);
    // Squares of +-4 units at zoom 3 and nothing else: x, y, expected, active point.
    const float morph[][4] = {{19, 15, 14, 4}, {19.5f, 15, 8, 4}, {0, 0, 14, 0},
                              {24, 21, 8, 0},  {-3, -3, 14, 0},   {-5, 0, 9, 0}};
    for (const auto& c : morph) {
        EXPECT_EQ(f.HitTestHandle(c[0], c[1], 3, true), c[2]) << c[0] << "," << c[1];
        EXPECT_EQ(f.ActiveMorphPoint(), c[3]);
    }
    EXPECT_EQ(f.HitTestHandle(15, 15, 3, false), kHandleMorphPoint);
    DragTo(f, kHandleMorphPoint, {21, 9}, {15, 15});
    EXPECT_EQ(f.MorphPoint(1, 1), (Vec2{0.7f, 0.3f}));
    EXPECT_EQ(f.Origin(), (Vec2{0, 0}));
}

TEST(PatternGeometryTest, GradientPointsNeedLongAxesAndInsideOutFramesStayConsistent) {
    // An axis of squared length 16 cannot place a point along it: that coordinate stays.
    Frame f(0, 0, 30, 60), thin(0, 0, 30, 4), narrow(0, 0, 4, 30), point(5, 5, 5, 5);
    DragTo(f, kHandleGradientStart, {15, 15}, {0, 0});
    DragTo(thin, kHandleGradientEnd, {-15, 2}, {0, 0});
    DragTo(narrow, kHandleGradientEnd, {2, -15}, {0, 0});
    DragTo(point, kHandleGradientEnd, {9, 9}, {0, 0});
    EXPECT_EQ(f.GradientStart(), (Vec2{0.5f, 0.25f}));
    EXPECT_EQ(thin.GradientEnd(), (Vec2{-0.5f, 0.7f}));
    EXPECT_EQ(narrow.GradientEnd(), (Vec2{0.8f, -0.5f}));
    EXPECT_EQ(point.GradientEnd(), (Vec2{0.8f, 0.7f}));
    EXPECT_TRUE(Frame(0, 0, 30, 0).Contains(10, 50)); // a flat frame: only U decides
    EXPECT_FALSE(Frame(0, 0, 30, 0).Contains(31, 0));

    Frame g(0, 0, 30, 30); // right-bottom dragged past the left-top corner
    DragTo(g, kHandleRightBottom, {-10, -20}, {30, 30});
    EXPECT_EQ(g.AxisU(), (Vec2{-10, 0}));
    EXPECT_EQ(g.AxisV(), (Vec2{0, -20}));
    EXPECT_TRUE(g.Contains(-10, -20));
    EXPECT_FALSE(g.Contains(5, 5));
    EXPECT_EQ(g.HitTestHandle(-2, -15, 15, false), kHandleMove);
    EXPECT_EQ(g.HitTestHandle(-10, -20, 15, false), kHandleRightBottom);
}

TEST(PatternGeometryTest, DrawFrameDotsTheOutlineColoursTheHandlesAndClips) {
    // Zoom 3: one display pixel a canvas unit. Corners (10, 10) and (40, 70),
    // centre (25, 40), rotation handle (25, 55), gradient (19, 22) -> (34, 52).
    Frame f(10, 10, 40, 70);
    CLayerImage shown, plain, morph;
    ASSERT_TRUE(shown.Create(80, 80) && plain.Create(80, 80) && morph.Create(80, 80));
    DisplayPainter painter(shown), plainPainter(plain), morphPainter(morph);
    painter.SetBrush({100, 100, 100});
    f.DrawFrame(painter, 3, true);
    f.DrawFrame(plainPainter, 3, false);
    // x, y, colour with the gradient and a grey brush, colour without the
    // gradient: the left edge at steps 5-9 of the dots, the bottom at 65-69, the
    // top (last, leftwards) at 171-175; the gradient line (x = 19 + round(i / 2))
    // and the line from centre to rotation handle; then the circles.
    const uint32_t W = 0xFFFFFF, G = 0x646464;
    // clang-format off
    const uint32_t dots[][4] = {
        {10, 15, W, W}, {10, 16, 0, 0}, {10, 18, 0, 0}, {10, 19, W, W}, {15, 70, W, W},
        {16, 70, 0, 0}, {19, 70, W, W}, {19, 10, W, W}, {17, 10, W, W}, {16, 10, 0, 0},
        {15, 10, 0, 0}, {22, 28, 0, W}, {23, 29, 0, W}, {24, 31, W, W}, {25, 45, W, W},
        {25, 46, 0, 0}, {19, 22, 0xFF0000, W}, {34, 52, 0x808291, W},
        {25, 40, 0xFFFF00, 0xFFFF00}, {25, 55, 0x00FF00, 0x00FF00}, {9, 9, G, W},
        {40, 70, G, W}, {36, 40, G, W}, {45, 40, W, W}};
    // clang-format on
    for (const auto& d : dots) {
        EXPECT_EQ(Rgb(shown, d[0], d[1]), d[2]) << d[0] << "," << d[1];
        EXPECT_EQ(Rgb(plain, d[0], d[1]), d[3]) << d[0] << "," << d[1];
    }
    f.InitMorphGrid(1, 1); // yellow squares p-4..p+3 at the grid points, no circles
    f.SetMorphMode(true);
    f.DrawFrame(morphPainter, 3, true);
    EXPECT_EQ(Rgb(morph, 6, 6), 0xFFFF00u);
    EXPECT_EQ(Rgb(morph, 43, 73), 0xFFFF00u);
    EXPECT_EQ(Rgb(morph, 44, 74) & Rgb(morph, 14, 14) & Rgb(morph, 25, 40), W);

    // Only the top edge crosses this display (row 5); every other point is a
    // trillion units away or not a number.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    f.SetGeometry({{-1e12f, 5},
                   {2e12f, 0},
                   {0, 1e12f},
                   0,
                   {1e12f, 1e12f},
                   {nan, -1e30f},
                   {std::numeric_limits<float>::infinity(), 0},
                   {0.8f, 0.7f}});
    f.SetMorphMode(false);
    CLayerImage far;
    ASSERT_TRUE(far.Create(60, 12));
    DisplayPainter farPainter(far);
    f.DrawFrame(farPainter, 3, true);
    int black = 0; // right of the circle of handle 3 at (0, 5): three on, three off
    for (int x = 6; x < 54; ++x) {
        EXPECT_EQ(Rgb(far, x, 5), Rgb(far, x + 6, 5)) << x;
        black += Rgb(far, x, 5) == 0;
    }
    EXPECT_EQ(black, 24);
    EXPECT_EQ(Rgb(far, 30, 4) & Rgb(far, 30, 6), W);
}
