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
    // When set, a strength counts only where this is not 0: a layer at full
    // opacity passes its alpha and coverage planes and needs no strength row.
    const uint8_t* fromCoverage;
    bool blendAlways;
    size_t pixels;
};
void CompositeRow(const CompositeRowArgs& row);

// One row of blocks of the 3 x 3 reduction, where the answer is plain: a
// block wholly covered once, with some alpha, takes the kernel's weighted
// sum over 16 (weights 1 2 1 / 2 4 2 / 1 2 1), alpha likewise, and becomes
// covered; a block with nothing covered, or no alpha where it is covered,
// becomes clear white. Every other block (partly covered, or covered more
// than once somewhere) is marked pending and its pixel left to the caller.
struct ReduceRowArgs {
    // The block row's three source rows, from its first block on.
    const uint8_t* colour[3]; // blue, green, red
    const uint8_t* alpha[3];
    const uint8_t* coverage[3];
    uint8_t* to; // blue, green, red
    uint8_t* toAlpha;
    uint8_t* toCoverage;
    uint8_t* pending; // 1 where the caller must reduce the block, else 0
    size_t blocks;
};
void ReduceRow(const ReduceRowArgs& row);

// Pixels of four bytes (blue, green, red, alpha), as 32-bit bitmaps hold
// them, split into a colour row (blue, green, red) and an alpha row.
void SplitBgraRow(const uint8_t* bgra, uint8_t* bgr, uint8_t* alpha, size_t pixels);
// A colour row (blue, green, red) and an alpha row joined into PNG's
// order: red, green, blue, alpha.
void JoinRgbaRow(const uint8_t* bgr, const uint8_t* alpha, uint8_t* rgba, size_t pixels);

// One row of a PNG picture under each of PNG's five filters (none, sub, up,
// average, Paeth), `left` bytes a pixel, into out[0] to out[4]; prev is the
// row above (zeros above the first row). score[f] is the sum of out[f]'s
// bytes read as signed numbers, without their signs: the filter that
// scores least usually compresses best (libpng chooses by the same rule).
// The rows must not overlap.
struct PngFilterRowArgs {
    const uint8_t* cur;
    const uint8_t* prev;
    size_t left;
    size_t bytes;
    uint8_t* out[5];
};
void FilterPngRow(const PngFilterRowArgs& row, uint32_t (&score)[5]);

} // namespace pictoform
