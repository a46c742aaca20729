#include "image/RasterPrimitives.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstddef>

namespace pictoform {

namespace {

uint8_t ToByte(double value) {
    return static_cast<uint8_t>(std::clamp(value, 0.0, 255.0));
}

bool Finite(const PenPoint& p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

uint8_t Blend(uint8_t under, uint8_t over, int a) {
    return static_cast<uint8_t>(std::min(under * (255 - a) + over * (a + 1), 65280) >> 8);
}

// Where one pixel's bytes are, so the fills write all three planes together.
struct PixelRef {
    uint8_t* bgr;
    uint8_t* alpha;
    uint8_t* coverage;
};

PixelRef PixelAt(CLayerImage& image, int x, int y) {
    const size_t i = static_cast<size_t>(y) * image.Width() + x;
    return {image.ColourBits() + static_cast<size_t>(y) * image.Stride() + 3 * x,
            image.AlphaPlane() + i, image.CoveragePlane() + i};
}

void Empty(const PixelRef& p) {
    p.bgr[0] = p.bgr[1] = p.bgr[2] = 255;
    *p.alpha = 0;
    *p.coverage = 0;
}

void ApplyPixelRule(const PixelRef& p, uint8_t stamp, const PixelColor& colour, bool erase) {
    if (!StampAllows(stamp, *p.coverage)) return;
    if (erase) {
        Empty(p);
        return;
    }
    if (*p.coverage == 0) {
        p.bgr[0] = colour.blue;
        p.bgr[1] = colour.green;
        p.bgr[2] = colour.red;
        *p.alpha = colour.alpha;
    } else {
        p.bgr[0] = Blend(p.bgr[0], colour.blue, colour.alpha);
        p.bgr[1] = Blend(p.bgr[1], colour.green, colour.alpha);
        p.bgr[2] = Blend(p.bgr[2], colour.red, colour.alpha);
        *p.alpha = static_cast<uint8_t>(std::min(*p.alpha + colour.alpha, 255));
    }
    *p.coverage = stamp;
}

// Walks a line of blocks as both pen lines do, after the half-block shift:
// one step per unit along the major axis, both ends included. Calls
// step(blockX, blockY, t - t0, t1 - t0). Only the steps whose major block can
// lie inside the image are visited, so far-away ends cost nothing.
template <class Step>
void WalkBlockLine(const CLayerImage& image, double x0, double y0, double x1, double y1,
                   Step step) {
    const bool xMajor = std::fabs(y1 - y0) <= std::fabs(x1 - x0);
    const double t0 = xMajor ? x0 : y0;
    const double t1 = xMajor ? x1 : y1;
    const double m0 = xMajor ? y0 : x0;
    const double m1 = xMajor ? y1 : x1;
    const double slope = (m1 - m0) / (t1 - t0);
    const double lo = std::min(t0, t1);
    const double hi = std::max(t0, t1);
    const int blocks = (xMajor ? image.Width() : image.Height()) / 3;

    // Truncation puts block b at -1 < t < b + 1; a step or two more is harmless.
    const double first = std::max(0.0, std::floor(-1.0 - lo));
    const double last = std::min(std::floor(hi - lo), std::ceil(blocks - lo));
    if (!(first <= last)) return;
    const double start = lo + first;
    const long long count = static_cast<long long>(last - first);
    for (long long k = 0; k <= count; ++k) {
        const double t = start + static_cast<double>(k);
        const int major = SaturatingInt(t);
        const int minor = SaturatingInt((t - t0) * slope + m0);
        if (xMajor)
            step(major, minor, t - t0, t1 - t0);
        else
            step(minor, major, t - t0, t1 - t0);
    }
}

} // namespace

void PaintPixel(CLayerImage& image, int x, int y, const PixelColor& colour, bool erase) {
    if (x < 0 || y < 0 || x >= image.Width() || y >= image.Height()) return;
    ApplyPixelRule(PixelAt(image, x, y), image.PaintStamp(), colour, erase);
}

PixelRect NormalizeCoverage(CLayerImage& image) {
    PixelRect changed;
    const int w = image.Width();
    for (int y = 0; y < image.Height(); ++y) {
        uint8_t* row = image.CoveragePlane() + static_cast<size_t>(y) * w;
        // Most rows hold no mark; finding that is one pass the compiler vectorises.
        uint8_t most = 0;
        for (int x = 0; x < w; ++x) most = std::max(most, row[x]);
        if (most <= 1) continue;
        int first = 0;
        while (row[first] <= 1) ++first;
        int last = w - 1;
        while (row[last] <= 1) --last;
        for (int x = first; x <= last; ++x) row[x] = row[x] != 0;
        changed = changed.United({first, y, last + 1, y + 1});
    }
    return changed;
}

void DrawPenLine(CLayerImage& image, const PenOutputs& pen, float x0, float y0, float x1,
                 float y1) {
    if (image.IsNull() || pen.colours.empty()) return;
    if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x1) || !std::isfinite(y1))
        return;
    const double ax = x0 + 0.5, ay = y0 + 0.5, bx = x1 + 0.5, by = y1 + 0.5;
    if (x0 == x1 && y0 == y1) {
        image.BlendBlock(SaturatingInt(ax), SaturatingInt(ay), pen.colours.front().Rgba32(), 3);
        return;
    }
    const bool single = pen.colours.size() == 1;
    WalkBlockLine(image, ax, ay, bx, by, [&](int blockX, int blockY, double along, double span) {
        const PixelColor& colour =
            single ? pen.single
                   : pen.table[std::clamp(SaturatingInt(along * 255.0 / span), 0, 255)];
        image.BlendBlock(blockX, blockY, colour.Rgba32(), 3);
    });
}

void DrawBlendLine(CLayerImage& image, const PenPoint& p0, const PenPoint& p1) {
    if (image.IsNull() || !Finite(p0) || !Finite(p1)) return;
    if (p0.x == p1.x && p0.y == p1.y) {
        image.BlendBlock(SaturatingInt(p0.x + 0.5), SaturatingInt(p0.y + 0.5), p0.colour.Rgba32(),
                         3);
        return;
    }
    const PixelColor& c0 = p0.colour;
    const PixelColor& c1 = p1.colour;
    auto channel = [](uint8_t from, uint8_t to, double along, double span) {
        return ToByte(std::trunc((to - from) * along / span + from));
    };
    WalkBlockLine(image, p0.x + 0.5, p0.y + 0.5, p1.x + 0.5, p1.y + 0.5,
                  [&](int blockX, int blockY, double along, double span) {
                      const PixelColor colour{channel(c0.red, c1.red, along, span),
                                              channel(c0.green, c1.green, along, span),
                                              channel(c0.blue, c1.blue, along, span),
                                              channel(c0.alpha, c1.alpha, along, span)};
                      image.BlendBlock(blockX, blockY, colour.Rgba32(), 3);
                  });
}

bool ScanTriangleSpans(int width, int height, const PenPoint& a, const PenPoint& b,
                       const PenPoint& c, const std::function<void(int, int, int)>& span) {
    if (width <= 0 || height <= 0 || !Finite(a) || !Finite(b) || !Finite(c)) return false;
    // In doubles no product of two float coordinates can overflow.
    const double ax = a.x, ay = a.y, bx = b.x, by = b.y, cx = c.x, cy = c.y;
    const double minX = std::min({ax, bx, cx}), maxX = std::max({ax, bx, cx});
    const double minY = std::min({ay, by, cy}), maxY = std::max({ay, by, cy});
    if (maxX < 0 || minX > width - 1 || maxY < 0 || minY > height - 1) return false;
    const double d = (cy - ay) * (bx - ax) - (cx - ax) * (by - ay);
    if (std::fabs(d) < 0.00001) return false;

    const double lastRow = std::min(maxY, static_cast<double>(height));
    for (int y = static_cast<int>(std::max(minY, 0.0)); y < lastRow; ++y) {
        double left = HUGE_VAL, right = -HUGE_VAL;
        auto cross = [&](double xa, double ya, double xb, double yb) {
            if (y < std::min(ya, yb) || y > std::max(ya, yb)) return;
            const double x = ya == yb ? xa : xa + (xa - xb) * (y - ya) / (ya - yb);
            left = std::min(left, x);
            right = std::max(right, x);
        };
        cross(ax, ay, bx, by);
        cross(bx, by, cx, cy);
        cross(cx, cy, ax, ay);
        if (left > right) continue; // the row passes between the vertices' rows
        const int begin = static_cast<int>(std::clamp(left, 0.0, static_cast<double>(width)));
        const int end = static_cast<int>(std::clamp(right, 0.0, static_cast<double>(width)));
        if (begin < end) span(y, begin, end);
    }
    return true;
}

void FillTriangle(CLayerImage& image, const PenPoint& a, const PenPoint& b, const PenPoint& c,
                  bool erase) {
    if (image.IsNull()) return;
    const double ax = a.x, ay = a.y;
    const double ex = b.x - ax, ey = b.y - ay; // edge a->b
    const double fx = c.x - ax, fy = c.y - ay; // edge a->c
    const double d = fy * ex - fx * ey;
    if (!(std::fabs(d) >= 0.00001)) return; // degenerate, or a vertex is not finite
    const PixelColor* vertex[3] = {&a.colour, &b.colour, &c.colour};
    // Per channel (red, green, blue, alpha): the value at a and its gradient.
    double base[4], gradX[4], gradY[4];
    for (int k = 0; k < 4; ++k) {
        auto value = [k](const PixelColor& p) {
            const uint8_t v[4] = {p.red, p.green, p.blue, p.alpha};
            return static_cast<double>(v[k]);
        };
        base[k] = value(*vertex[0]);
        const double toB = value(*vertex[1]) - base[k];
        const double toC = value(*vertex[2]) - base[k];
        gradX[k] = (fy * toB - ey * toC) / d;
        gradY[k] = (ex * toC - fx * toB) / d;
    }
    const uint8_t stamp = image.PaintStamp();

    ScanTriangleSpans(image.Width(), image.Height(), a, b, c, [&](int y, int begin, int end) {
        double v[4];
        for (int k = 0; k < 4; ++k) v[k] = base[k] + gradX[k] * (begin - ax) + gradY[k] * (y - ay);
        PixelRef p = PixelAt(image, begin, y);
        for (int x = begin; x < end; ++x, p.bgr += 3, ++p.alpha, ++p.coverage) {
            // Just outside the triangle the extrapolation may leave 0..255.
            const double r = std::clamp(v[0], 0.0, 255.0), g = std::clamp(v[1], 0.0, 255.0);
            const double bl = std::clamp(v[2], 0.0, 255.0), al = std::clamp(v[3], 0.0, 255.0);
            for (int k = 0; k < 4; ++k) v[k] += gradX[k];
            if (!StampAllows(stamp, *p.coverage)) continue;
            if (erase) {
                Empty(p);
                continue;
            }
            if (al == 0.0) continue;
            if (*p.coverage == 0) {
                p.bgr[0] = static_cast<uint8_t>(bl);
                p.bgr[1] = static_cast<uint8_t>(g);
                p.bgr[2] = static_cast<uint8_t>(r);
                *p.alpha = static_cast<uint8_t>(al);
            } else {
                const int w = static_cast<int>(1.0 + al);
                auto mix = [w](uint8_t old, double next) {
                    const int sum = static_cast<int>(old * (256 - w) + w * next);
                    return static_cast<uint8_t>(std::min(sum, 65280) >> 8);
                };
                p.bgr[0] = mix(p.bgr[0], bl);
                p.bgr[1] = mix(p.bgr[1], g);
                p.bgr[2] = mix(p.bgr[2], r);
                *p.alpha = static_cast<uint8_t>(std::min(static_cast<int>(*p.alpha + al), 255));
            }
            *p.coverage = stamp;
        }
    });
}

void FillEllipse(CLayerImage& image, int x0, int x1, int y0, int y1, const PixelColor& colour) {
    if (image.IsNull() || x0 == x1 || y0 == y1) return;
    if (x0 > x1) std::swap(x0, x1);
    if (y0 > y1) std::swap(y0, y1);
    // Doubles: the sums of two ints must not overflow.
    const double rx = (static_cast<double>(x1) - x0) * 0.5;
    const double ry = (static_cast<double>(y1) - y0) * 0.5;
    const double cx = (static_cast<double>(x0) + x1) * 0.5;
    const double cy = (static_cast<double>(y0) + y1) * 0.5;
    const bool erase = colour.IsErase();
    const uint8_t stamp = image.PaintStamp();
    const int right = std::min(x1, image.Width());
    const double height = image.Height();
    for (int x = std::max(x0, 0); x < right; ++x) {
        const double h = ry * std::sqrt(std::max(0.0, 1.0 - (x - cx) * (x - cx) / (rx * rx)));
        const int top = static_cast<int>(std::clamp(std::trunc(cy - h), 0.0, height));
        const int bottom = static_cast<int>(std::clamp(std::ceil(cy + h), 0.0, height));
        for (int y = top; y < bottom; ++y)
            ApplyPixelRule(PixelAt(image, x, y), stamp, colour, erase);
    }
}

int SaturatingInt(double value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483647.0) return INT_MAX;
    if (value <= -2147483648.0) return INT_MIN;
    return static_cast<int>(value);
}

} // namespace pictoform
