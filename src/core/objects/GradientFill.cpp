#include "objects/GradientFill.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "colour/MultiColorPen.h"

namespace pictoform {

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;
constexpr PixelColor kGrey{100, 100, 100, 100};
// A point exactly on the gradient's end (one |G| from S, or on the rectangle
// outline) must reach the last step, though float rounding may leave it a
// hair short.
constexpr double kIndexBias = 1e-4;
// Likewise a pixel on a mask pixel's edge belongs to that mask pixel, not to
// the one before it (the text's 3 x 3 blocks depend on it).
constexpr double kMaskBias = 1e-6;

// A table index from a distance counted in table steps: toward zero, and
// 255 for anything at or past the end, negative, infinite or NaN (the
// values a degenerate gradient gives).
int TableIndex(double steps) {
    steps += kIndexBias;
    if (!(steps >= 0.0) || steps >= 255.0) return 255;
    return static_cast<int>(steps);
}

int RectangleIndex(const std::vector<RectangleCorner>& outline, const GradientReference& ref,
                   double du, double dv) {
    const size_t n = outline.size();
    if (n == 0) return 255;
    double theta = std::atan2(dv, du);
    if (theta < 0.0) theta += kTwoPi;
    size_t hi = 0;
    while (hi < n && !(outline[hi].angle > theta)) ++hi;
    size_t lo = 0;
    if (hi == n) {
        lo = n - 1;
        hi = 0;
    } else {
        lo = hi == 0 ? n - 1 : hi - 1;
    }
    const RectangleCorner& cl = outline[lo];
    const RectangleCorner& ch = outline[hi];
    // Each corner's distance from the ray's line (|sin(theta - angle)| times its
    // distance from S), and how far along the ray it lies, both from the corner's
    // own coordinates: the float angles are too coarse when the ray runs through
    // a corner.
    const double su = ref.startU255 / 255.0, sv = ref.startV255 / 255.0;
    const double length = std::hypot(du, dv);
    auto off = [&](const RectangleCorner& k) {
        return std::fabs(du * (k.v - sv) - dv * (k.u - su)) / length;
    };
    auto along = [&](const RectangleCorner& k) {
        return (du * (k.u - su) + dv * (k.v - sv)) / length;
    };
    const double sLo = off(cl), sHi = off(ch);
    double bu = 0.0, bv = 0.0;
    if (sLo + sHi > 1e-6 * std::max(cl.distance, ch.distance)) {
        const double w = sLo / (sLo + sHi);
        bu = (1.0 - w) * cl.u + w * ch.u - su;
        bv = (1.0 - w) * cl.v + w * ch.v - sv;
    } else {
        // Both corners on the ray's line (a flat outline, E on an axis through S):
        // the outline reaches as far as the corner ahead.
        const RectangleCorner& ahead = along(cl) >= along(ch) ? cl : ch;
        if (!(along(ahead) > 0.0)) return 255;
        bu = ahead.u - su;
        bv = ahead.v - sv;
    }
    const double edge2 = bu * bu + bv * bv;
    // Nothing of the outline lies this way: the pixel is outside it.
    if (!(edge2 > 0.0)) return 255;
    return TableIndex(std::sqrt((du * du + dv * dv) / edge2));
}

int GradientIndex(const PenOutputs& pen, const GradientReference& ref, double du, double dv) {
    // S itself takes the first colour however the gradient degenerates.
    if (du == 0.0 && dv == 0.0) return 0;
    const double gx = ref.gx, gy = ref.gy;
    const double g2 = gx * gx + gy * gy;
    switch (pen.gradientKind) {
    case kGradientLinear:
        if (!(g2 > 0.0)) return 255;
        return TableIndex(std::fabs(du * gx + dv * gy) / g2);
    case kGradientRadial:
        if (!(g2 > 0.0)) return 255;
        return TableIndex(std::sqrt(du * du + dv * dv) / std::sqrt(g2));
    default:
        return RectangleIndex(pen.rectangleOutline, ref, du, dv);
    }
}

uint8_t ChannelOf(double value) {
    return static_cast<uint8_t>(std::clamp(value, 0.0, 255.0));
}

// Values spread linearly over a triangle as FillTriangle spreads its
// colours: each value at the span's first pixel from the vertex a and the
// two gradients, then advanced by the x-gradient pixel by pixel. perPixel
// gets (x, y, values).
template <size_t N, class PerPixel>
void ScanInterpolated(const CLayerImage& image, const GradientVertex& a, const GradientVertex& b,
                      const GradientVertex& c, const std::array<std::array<double, N>, 3>& values,
                      PerPixel perPixel) {
    const double ax = a.point.x, ay = a.point.y;
    const double ex = b.point.x - ax, ey = b.point.y - ay;
    const double fx = c.point.x - ax, fy = c.point.y - ay;
    const double d = fy * ex - fx * ey;
    if (!(std::fabs(d) >= 0.00001)) return; // degenerate, or a vertex is not finite
    std::array<double, N> base{}, gradX{}, gradY{};
    for (size_t k = 0; k < N; ++k) {
        base[k] = values[0][k];
        const double toB = values[1][k] - base[k];
        const double toC = values[2][k] - base[k];
        gradX[k] = (fy * toB - ey * toC) / d;
        gradY[k] = (ex * toC - fx * toB) / d;
    }
    ScanTriangleSpans(image.Width(), image.Height(), a.point, b.point, c.point,
                      [&](int y, int begin, int end) {
                          std::array<double, N> v;
                          for (size_t k = 0; k < N; ++k)
                              v[k] = base[k] + gradX[k] * (begin - ax) + gradY[k] * (y - ay);
                          for (int x = begin; x < end; ++x) {
                              perPixel(x, y, v);
                              for (size_t k = 0; k < N; ++k) v[k] += gradX[k];
                          }
                      });
}

// Paints one pixel of a fill: erase empties it; a transparent colour leaves it.
void PaintFillPixel(CLayerImage& image, int x, int y, const PixelColor& colour, bool erase) {
    if (erase)
        PaintPixel(image, x, y, colour, true);
    else if (colour.alpha != 0)
        PaintPixel(image, x, y, colour, false);
}

PixelColor Mix(const std::array<PixelColor, 4>& c, float u, float v) {
    const double w[4] = {(1.0 - u) * (1.0 - v), u * (1.0 - v), static_cast<double>(u) * v,
                         (1.0 - u) * v};
    auto channel = [&](uint8_t PixelColor::*field) {
        double sum = 0.0;
        for (int k = 0; k < 4; ++k) sum += w[k] * (c[k].*field);
        return ChannelOf(sum);
    };
    return {channel(&PixelColor::red), channel(&PixelColor::green), channel(&PixelColor::blue),
            channel(&PixelColor::alpha)};
}

} // namespace

GradientReference MakeGradientReference(const CPattern& object) {
    const Vec2& s = object.GradientStart();
    const Vec2& e = object.GradientEnd();
    return {s.x * 255.0f, s.y * 255.0f, e.x - s.x, e.y - s.y};
}

PixelColor GradientColour(const PenOutputs& pen, const GradientReference& ref, float u255,
                          float v255) {
    if (pen.colours.size() == 1) return pen.single;
    const int kind = pen.gradientKind;
    if (kind != kGradientLinear && kind != kGradientRadial && kind != kGradientRectangle)
        return kGrey;
    const double du = static_cast<double>(u255) - ref.startU255;
    const double dv = static_cast<double>(v255) - ref.startV255;
    return pen.table[static_cast<size_t>(GradientIndex(pen, ref, du, dv))];
}

void FillTrianglePen(CLayerImage& image, const GradientVertex& a, const GradientVertex& b,
                     const GradientVertex& c, const PenOutputs& pen, const GradientReference& ref) {
    if (image.IsNull()) return;
    const bool erase = pen.colours.size() == 1 && pen.single.IsErase();
    auto frame = [](const GradientVertex& p) {
        return std::array<double, 2>{p.u * 255.0, p.v * 255.0};
    };
    ScanInterpolated<2>(image, a, b, c, {frame(a), frame(b), frame(c)},
                        [&](int x, int y, const std::array<double, 2>& v) {
                            if (erase) {
                                PaintPixel(image, x, y, pen.single, true);
                                return;
                            }
                            const PixelColor colour = GradientColour(
                                pen, ref, static_cast<float>(v[0]), static_cast<float>(v[1]));
                            PaintFillPixel(image, x, y, colour, false);
                        });
}

void FillTriangleMasked(CLayerImage& image, const GradientVertex& a, const GradientVertex& b,
                        const GradientVertex& c, const CLayerImage& mask, const PenOutputs& pen,
                        const GradientReference& ref) {
    if (image.IsNull() || mask.IsNull()) return;
    const int maskWidth = mask.Width();
    const int maskHeight = mask.Height();
    const bool single = pen.colours.size() == 1;
    const bool erase = single && pen.single.IsErase();
    const int kind = pen.gradientKind;
    // Frame coordinates times 255, the mask position, then the corner's colour.
    auto values = [&](const GradientVertex& p) {
        const PixelColor& k = p.point.colour;
        return std::array<double, 8>{p.u * 255.0,
                                     p.v * 255.0,
                                     p.u * static_cast<double>(maskWidth),
                                     p.v * static_cast<double>(maskHeight),
                                     static_cast<double>(k.red),
                                     static_cast<double>(k.green),
                                     static_cast<double>(k.blue),
                                     static_cast<double>(k.alpha)};
    };
    const uint8_t* coverage = mask.CoveragePlane();
    ScanInterpolated<8>(
        image, a, b, c, {values(a), values(b), values(c)},
        [&](int x, int y, const std::array<double, 8>& v) {
            // Clamped to the mask: the edges of the frame, and any rounding past them,
            // read the mask's border pixels.
            const int mx = std::clamp(SaturatingInt(v[2] + kMaskBias), 0, maskWidth - 1);
            const int my = std::clamp(SaturatingInt(v[3] + kMaskBias), 0, maskHeight - 1);
            if (coverage[static_cast<size_t>(my) * maskWidth + mx] == 0) return;
            PixelColor colour = kGrey;
            if (single)
                colour = pen.single;
            else if (kind == kGradientVertex)
                colour = {ChannelOf(v[4]), ChannelOf(v[5]), ChannelOf(v[6]), ChannelOf(v[7])};
            else
                colour =
                    GradientColour(pen, ref, static_cast<float>(v[0]), static_cast<float>(v[1]));
            PaintFillPixel(image, x, y, colour, erase);
        });
}

void PrepareRectangleGradient(const CPattern& object, CMultiColorPen& pen) {
    if (pen.Mode() != kPenMultiColour || pen.GradientKind() != kGradientRectangle) return;
    std::vector<RectangleCorner>& outline = pen.RectangleOutline();
    outline.clear();
    const Vec2& s = object.GradientStart();
    const Vec2& e = object.GradientEnd();
    const double phi = std::atan2(static_cast<double>(e.y) - s.y, static_cast<double>(e.x) - s.x);
    const float length = static_cast<float>(
        std::hypot(static_cast<double>(e.x) - s.x, static_cast<double>(e.y) - s.y));
    const Vec2 corners[4] = {
        e, {2 * s.x - e.x, e.y}, {2 * s.x - e.x, 2 * s.y - e.y}, {e.x, 2 * s.y - e.y}};
    const double angles[4] = {phi, std::numbers::pi - phi, std::numbers::pi + phi, kTwoPi - phi};
    for (int k = 0; k < 4; ++k) {
        double angle = std::fmod(angles[k], kTwoPi);
        if (angle < 0.0) angle += kTwoPi;
        // Non-finite points give NaN angles, which would not sort.
        if (!std::isfinite(angle)) angle = 0.0;
        float stored = static_cast<float>(angle);
        if (stored >= static_cast<float>(kTwoPi)) stored = 0.0f;
        outline.push_back({stored, length, corners[k].x, corners[k].y});
    }
    std::stable_sort(
        outline.begin(), outline.end(),
        [](const RectangleCorner& a, const RectangleCorner& b) { return a.angle < b.angle; });
}

std::array<PixelColor, 4> CornerColours(const PenOutputs& pen) {
    std::array<PixelColor, 4> corners{};
    if (pen.colours.empty()) return corners;
    for (size_t k = 0; k < 4; ++k) corners[k] = pen.colours[std::min(k, pen.colours.size() - 1)];
    return corners;
}

GradientVertex FrameVertex(const CPattern& object, float u, float v, const PixelColor& colour) {
    const Vec2 p = object.FramePoint(u, v);
    return {PenPoint{p.x, p.y, colour}, u, v};
}

bool FrameIsFinite(const CPattern& object) {
    for (const Vec2* p : {&object.Origin(), &object.AxisU(), &object.AxisV()})
        if (!std::isfinite(p->x) || !std::isfinite(p->y)) return false;
    return true;
}

void SplitQuad(const GradientVertex& p0, const GradientVertex& p1, const GradientVertex& p2,
               const GradientVertex& p3, const TriangleSink& triangle) {
    // Both halves list the shared edge from p2 to p0, so its crossings come out
    // identical and the two spans meet without a gap or an overlap.
    triangle(p0, p1, p2);
    triangle(p2, p0, p3);
}

void ForEachMorphTriangle(const CPattern& object, const std::array<PixelColor, 4>& corners,
                          const TriangleSink& triangle) {
    const int columns = object.MorphColumns();
    const int rows = object.MorphRows();
    if (columns < 1 || rows < 1 ||
        object.MorphGrid().size() != static_cast<size_t>(columns + 1) * (rows + 1))
        return;
    auto point = [&](int i, int j) {
        const float u = static_cast<float>(i) / static_cast<float>(columns);
        const float v = static_cast<float>(j) / static_cast<float>(rows);
        const Vec2& grid = object.MorphPoint(i, j);
        const Vec2 p = object.FramePoint(grid.x, grid.y);
        return GradientVertex{PenPoint{p.x, p.y, Mix(corners, u, v)}, u, v};
    };
    for (int j = 0; j < rows; ++j)
        for (int i = 0; i < columns; ++i)
            SplitQuad(point(i, j), point(i + 1, j), point(i + 1, j + 1), point(i, j + 1), triangle);
}

} // namespace pictoform
