#include "objects/GradientFill.h"

#include <limits>

#include <gtest/gtest.h>

#include "objects/ObjectPens.h"
#include "objects/RectPattern.h"

using namespace pictoform;
using namespace pictoform::objecttest;

namespace {

// The table index at frame point (u, v) for gradient points s and e: the
// pen's table is replaced by one whose red is the index.
int IndexAt(int kind, Vec2 s, Vec2 e, float u, float v) {
    CRectPattern object;
    object.InitRect(0, 0, 30, 30, 0);
    PatternGeometry g = object.Geometry();
    g.gradientStart = s;
    g.gradientEnd = e;
    object.SetGeometry(g);
    CMultiColorPen pen;
    SetUpPen(pen, kPenMultiColour, kind);
    PrepareRectangleGradient(object, pen);
    PenOutputs out = pen.Outputs();
    for (int i = 0; i < 256; ++i) out.table[i] = {static_cast<uint8_t>(i), 0, 0, 255};
    return GradientColour(out, MakeGradientReference(object), u * 255, v * 255).red;
}

} // namespace

TEST(GradientFill, IndexPerKindStaysWithinTheTable) {
    constexpr int L = kGradientLinear, R = kGradientRadial, Q = kGradientRectangle;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const Vec2 s{0.3f, 0.2f}, e{0.8f, 0.7f}, c{0.5f, 0.5f}, x{0.75f, 0.5f}, y{0.5f, 0.75f};
    struct Case {
        int kind;
        Vec2 s, e;
        float u, v;
        int index;
    } cases[] = {
        // At S, at S + G / 2, at S +- 2G (capped, mirrored), across G; radial 0.5 / |G|.
        {L, s, e, 0.3f, 0.2f, 0},
        {R, s, e, 0.3f, 0.2f, 0},
        {Q, s, e, 0.3f, 0.2f, 0},
        {L, s, e, 0.55f, 0.45f, 127},
        {L, s, e, 1.3f, 1.2f, 255},
        {L, s, e, -0.7f, -0.8f, 255},
        {L, s, e, 0.4f, 0.1f, 0},
        {R, s, e, 0.55f, 0.45f, 127},
        {R, s, e, 0.8f, 0.2f, 180},
        // S = (0.5, 0.5), E = (1, 1): the outline is the frame.
        {Q, c, {1, 1}, 1, 1, 255},
        {Q, c, {1, 1}, 0, 0, 255},
        {Q, c, {1, 1}, 0, 1, 255},
        {Q, c, {1, 1}, 1, 0.5f, 255},
        {Q, c, {1, 1}, 0.75f, 0.5f, 127},
        {Q, c, {1, 1}, 0.75f, 0.75f, 127},
        {Q, s, e, 0.55f, 0.2f, 127},
        // E on S, or on an axis through S (a flat outline): only S and the line stay inside.
        {L, c, c, 0.5f, 0.5f, 0},
        {L, c, c, 0.6f, 0.5f, 255},
        {R, c, c, 0.6f, 0.7f, 255},
        {Q, c, c, 0.5f, 0.5f, 0},
        {Q, c, c, 0.6f, 0.5f, 255},
        {Q, c, x, 0.625f, 0.5f, 127},
        {Q, c, x, 0.5f, 0.6f, 255},
        {Q, c, x, 0.625f, 0.6f, 255},
        {Q, c, y, 0.5f, 0.625f, 127},
        {Q, c, y, 0.6f, 0.5f, 255},
        {L, c, x, 0.625f, 0.9f, 127},
        {L, {nan, 0}, e, 0.5f, 0.5f, 255},
        {Q, {nan, 0}, e, 0.5f, 0.5f, 255},
    };
    for (const Case& k : cases)
        EXPECT_EQ(IndexAt(k.kind, k.s, k.e, k.u, k.v), k.index)
            << "kind " << k.kind << " S (" << k.s.x << "," << k.s.y << ") E (" << k.e.x << ","
            << k.e.y << ") at (" << k.u << "," << k.v << ")";
}

TEST(GradientFill, MaskedTrianglesSampleTheMaskClampedToIt) {
    // A 2 x 1 mask, left pixel inside, over a 6 x 1 strip whose corners carry u from
    // -0.5 to 2: mask x = 2u, so pixels 0 to 2 read column 0 (below it, clamped) and 3
    // to 5 column 1 (beyond it, clamped).
    CLayerImage mask = Make(2, 1);
    mask.CoveragePlane()[0] = 1;
    PenOutputs pen;
    pen.colours = {PixelColor{}, PixelColor{}}; // vertex kind: the corners' colours
    const PixelColor k{10, 20, 30, 255};
    const GradientVertex lt{{0, 0, k}, -0.5f, 0}, rt{{6, 0, k}, 2, 0};
    const GradientVertex rb{{6, 1, k}, 2, 1}, lb{{0, 1, k}, -0.5f, 1};
    CLayerImage image = Make(7, 1);
    FillTriangleMasked(image, lt, rt, rb, mask, pen, {});
    FillTriangleMasked(image, rb, lt, lb, mask, pen, {});
    EXPECT_EQ(CoverageMap(image), Map{"###...."});
    EXPECT_EQ(At(image, 1, 0), Of(k));
}
