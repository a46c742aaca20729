#pragma once

#include <cstddef>
#include <cstdint>

namespace pictoform {

// One row of source pixels laid over target pixels as Composite lays them.
// Each source pixel has a strength (its alpha times the layer's opacity, 0
// where uncovered): 0 leaves the target pixel alone; over an empty target
// (coverage 0) the pixel is copied unless blendAlways; otherwise its colour
// is blended with weights 255 - a under and a + 1 over, its alpha added
// (at most 255). Pixels laid down become covered. The rows must not overlap.
struct CompositeRowArgs {
    uint8_t* to; // blue, green, red
    uint8_t* toAlpha;
    uint8_t* toCoverage;
    const uint8_t* from; // blue, green, red
    const uint8_t* strength;
    bool blendAlways;
    size_t pixels;
};
void CompositeRow(const CompositeRowArgs& row);

} // namespace pictoform
