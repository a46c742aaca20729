#pragma once
// What the drawing routines read of the pen, as plain data, so that the
// image core needs nothing from the colour code that fills it.

#include <array>
#include <vector>

#include "image/PixelColor.h"

namespace pictoform {

enum GradientKind : int {
    kGradientVertex = 0,
    kGradientLinear = 2,
    kGradientRadial = 3,
    kGradientRectangle = 4,
};

// One corner of the rectangle gradient's outline, seen from the gradient's
// start: its angle (0 to 2 pi), its distance and its frame coordinates.
struct RectangleCorner {
    float angle = 0.0f;
    float distance = 0.0f;
    float u = 0.0f;
    float v = 0.0f;
};

struct PenOutputs {
    // One entry, the single colour, in single-colour mode; the stops in
    // ascending position (StopPosition()) in multi-colour mode.
    std::vector<PixelColor> colours;
    // The single colour; its erase flag says whether painting clears.
    PixelColor single;
    // The gradient sampled at 256 positions.
    std::array<PixelColor, 256> table{};
    int gradientKind = kGradientVertex;
    // The rectangle gradient's corners in ascending angle; rebuilt by each
    // object before it renders with that kind.
    std::vector<RectangleCorner> rectangleOutline;
};

} // namespace pictoform
