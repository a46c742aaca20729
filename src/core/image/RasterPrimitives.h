#pragma once
// The drawing routines that the painting tools and the drawing objects use on
// a CLayerImage: lines of 3 x 3 blocks, shaded triangles, filled ellipses,
// brush strokes made of both, and the scanline flood fill.
//
// The triangle and ellipse fills obey the image's paint stamp: with stamp 1
// they paint every pixel they reach; above 1 they skip pixels whose coverage
// is already at or above the stamp, and every pixel they paint gets coverage =
// stamp. The strokes raise the stamp to 20 while they draw so that the
// segments of one stroke never paint a pixel twice; NormalizeCoverage brings
// the marks back to 1 when the stroke is over.
//
// Every routine clips to the image and ignores a null image; non-finite
// coordinates draw nothing.

#include <cstdint>
#include <functional>

#include "image/LayerImage.h"
#include "image/PenOutputs.h"
#include "image/PixelColor.h"

namespace pictoform {

// A point of a stroke, or a triangle vertex, with its colour. The layout
// (two floats, then the colour record) is what the history files keep. A new
// point is grey 100, 100, 100, 100 until it is given a colour.
struct PenPoint {
    float x = 0.0f;
    float y = 0.0f;
    PixelColor colour{100, 100, 100, 100};
};

static_assert(sizeof(PenPoint) == 20, "two floats and a colour record, no padding");

// The coverage the flood fill leaves on the pixels it has painted, until it ends.
inline constexpr uint8_t kFloodVisited = 10;
// The stamp of a stroke in progress.
inline constexpr uint8_t kStrokeStamp = 20;

// Raises the stamp for the duration of a stroke's step, and always puts the
// one before back.
class StrokeStamp {
public:
    explicit StrokeStamp(CLayerImage& image) : m_image(image), m_before(image.PaintStamp()) {
        m_image.SetPaintStamp(kStrokeStamp);
    }
    ~StrokeStamp() { m_image.SetPaintStamp(m_before); }
    StrokeStamp(const StrokeStamp&) = delete;
    StrokeStamp& operator=(const StrokeStamp&) = delete;

private:
    CLayerImage& m_image;
    uint8_t m_before;
};

// The pixel rule that every fill shares, at (x, y) if it is inside the image
// and passes the stamp test: erase empties the pixel; an empty pixel takes the
// colour and its alpha; a covered one blends with weights a + 1 and 255 - a and
// adds the alphas. Coverage becomes the stamp (except when erasing).
void PaintPixel(CLayerImage& image, int x, int y, const PixelColor& colour, bool erase);

// Every non-zero coverage byte becomes 1.
// Returns the pixels it changed.
PixelRect NormalizeCoverage(CLayerImage& image);

// Lines in block units: each step blends one 3 x 3 block, under the stamp
// like the fills. DrawPenLine colours
// the line from the pen (its single colour, or the table from entry 0 at the
// first end to 255 at the second); DrawBlendLine runs from p0's colour to p1's.
void DrawPenLine(CLayerImage& image, const PenOutputs& pen, float x0, float y0, float x1, float y1);
void DrawBlendLine(CLayerImage& image, const PenPoint& p0, const PenPoint& p1);

// Calls span(y, xBegin, xEnd) for each row of the triangle with the columns
// xBegin <= x < xEnd that FillTriangle paints, top row first, all inside a
// width x height image. Returns false, calling nothing, for a triangle that
// lies wholly outside, is degenerate or has a non-finite vertex. For fills
// that colour the pixels their own way.
bool ScanTriangleSpans(int width, int height, const PenPoint& a, const PenPoint& b,
                       const PenPoint& c, const std::function<void(int, int, int)>& span);

// A triangle whose red, green, blue and alpha are interpolated between the
// vertices. Pixels where the alpha comes out 0 are left alone.
void FillTriangle(CLayerImage& image, const PenPoint& a, const PenPoint& b, const PenPoint& c,
                  bool erase);

// The ellipse inscribed in the box x0..x1, y0..y1 (end exclusive, either
// order), painted by PaintPixel with the colour's own erase flag.
void FillEllipse(CLayerImage& image, int x0, int x1, int y0, int y1, const PixelColor& colour);

// A round-ended brush segment of the given width from p0 to p1, each end in
// its point's colour; a single dot when p0 and p1 are the same point.
void StrokeRound(CLayerImage& image, const PenPoint& p0, const PenPoint& p1, int width);

// A wide line with round ends, coloured along its length by the pen's colour
// list (or all in the single colour, which may erase).
void StrokeWithStops(CLayerImage& image, const PenOutputs& pen, int x0, int y0, int x1, int y1,
                     int width);

// Toward zero, saturating, NaN to 0: coordinates far outside the image must
// still give an int that the clipping then rejects.
[[nodiscard]] int SaturatingInt(double value);

// Fills the 4-connected region of pixels that have the seed's coverage and
// colour (alpha aside) with the pen's single colour, or with its table laid
// out as a linear or radial gradient from the origin along the vector. The
// vertex and rectangle kinds fill nothing. Ends with NormalizeCoverage.
void FloodFill(CLayerImage& image, int x, int y, const PenOutputs& pen, float originX,
               float originY, float vectorX, float vectorY);

} // namespace pictoform
