#include <climits>
#include <cmath>

#include "image/RasterPrimitives.h"

namespace pictoform {

namespace {

// A disc of the given diameter around (x, y). Its box starts where the band
// of the same width starts, so disc and band meet without a seam for odd
// widths too.
void Disc(CLayerImage& image, double x, double y, int width, const PixelColor& colour) {
    const double left = std::ceil(x - width * 0.5);
    const double top = std::ceil(y - width * 0.5);
    FillEllipse(image, SaturatingInt(left), SaturatingInt(left + width), SaturatingInt(top),
                SaturatingInt(top + width), colour);
}

// The quadrilateral from a to b, offset by +-(nx, ny), as two triangles whose
// vertices take the colour of their end.
void Band(CLayerImage& image, double ax, double ay, const PixelColor& aColour, double bx, double by,
          const PixelColor& bColour, double nx, double ny, bool erase) {
    auto at = [](double x, double y, const PixelColor& colour) {
        return PenPoint{static_cast<float>(x), static_cast<float>(y), colour};
    };
    const PenPoint a1 = at(ax + nx, ay + ny, aColour);
    const PenPoint a2 = at(ax - nx, ay - ny, aColour);
    const PenPoint b1 = at(bx + nx, by + ny, bColour);
    const PenPoint b2 = at(bx - nx, by - ny, bColour);
    FillTriangle(image, a1, a2, b2, erase);
    FillTriangle(image, a1, b2, b1, erase);
}

// Stops paint; only the single colour carries an erase switch.
PixelColor Painting(PixelColor colour) {
    colour.SetErase(false);
    return colour;
}

} // namespace

void StrokeRound(CLayerImage& image, const PenPoint& p0, const PenPoint& p1, int width) {
    const StrokeStamp stamp(image);
    if (image.IsNull() || width <= 0) return;
    if (!std::isfinite(p0.x) || !std::isfinite(p0.y) || !std::isfinite(p1.x) ||
        !std::isfinite(p1.y))
        return;
    if (p0.x == p1.x && p0.y == p1.y) {
        const int half = width / 2;
        const double x = p1.x, y = p1.y;
        FillEllipse(image, SaturatingInt(x - half), SaturatingInt(x + half),
                    SaturatingInt(y - half), SaturatingInt(y + half), p0.colour);
        return;
    }
    const double dx = static_cast<double>(p0.x) - p1.x;
    const double dy = static_cast<double>(p0.y) - p1.y;
    const double scale = width * 0.5 / std::hypot(dx, dy);
    Disc(image, p1.x, p1.y, width, p1.colour);
    Disc(image, p0.x, p0.y, width, p0.colour);
    Band(image, p0.x, p0.y, p0.colour, p1.x, p1.y, p1.colour, -dy * scale, dx * scale,
         p0.colour.IsErase());
}

void StrokeWithStops(CLayerImage& image, const PenOutputs& pen, int x0, int y0, int x1, int y1,
                     int width) {
    const StrokeStamp stamp(image);
    if (image.IsNull() || pen.colours.empty() || width <= 0) return;
    const bool single = pen.colours.size() == 1;
    const double dx = static_cast<double>(x1) - x0;
    const double dy = static_cast<double>(y1) - y0;
    if (dx != 0.0 || dy != 0.0) {
        const double len = std::hypot(dx, dy);
        const double nx = width * dy / len * 0.5;
        const double ny = -width * dx / len * 0.5;
        if (single) {
            Band(image, x0, y0, pen.single, x1, y1, pen.single, nx, ny, pen.single.IsErase());
        } else {
            for (size_t i = 0; i + 1 < pen.colours.size(); ++i) {
                const PixelColor& from = pen.colours[i];
                const PixelColor& to = pen.colours[i + 1];
                const double s = from.StopPosition(), t = to.StopPosition();
                Band(image, x0 + s * dx, y0 + s * dy, from, x0 + t * dx, y0 + t * dy, to, nx, ny,
                     false);
            }
        }
    }
    Disc(image, x1, y1, width, single ? pen.single : Painting(pen.colours.back()));
    Disc(image, x0, y0, width, single ? pen.single : Painting(pen.colours.front()));
}

} // namespace pictoform
