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

struct PenOutputs {
    // One entry, the single colour, in single-colour mode; the stops in
    // ascending position (StopPosition()) in multi-colour mode.
    std::vector<PixelColor> colours;
    // The single colour; its erase flag says whether painting clears.
    PixelColor single;
    // The gradient sampled at 256 positions.
    std::array<PixelColor, 256> table{};
    int gradientKind = kGradientVertex;
};

} // namespace pictoform
