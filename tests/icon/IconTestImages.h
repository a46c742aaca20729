#pragma once
// Records for the writer tests, rows top row first as the writer takes them.

#include <functional>

#include "icon/IconImageRec.h"

namespace pictoform::test {

struct Px {
    uint8_t r = 0, g = 0, b = 0, a = 255;
    bool operator==(const Px&) const = default;
};

// pixel(x, y) gives the colour and alpha of each pixel; alpha 0 is transparent.
inline IconImageRec MakeImage(int32_t w, int32_t h, int32_t depth,
                              const std::function<Px(int, int)>& pixel) {
    IconImageRec rec;
    rec.width = w;
    rec.height = h;
    rec.depth = depth;
    const size_t n = static_cast<size_t>(w) * static_cast<size_t>(h);
    rec.colours.resize(n * 3);
    rec.mask.resize(n);
    if (depth == kDepth32) rec.alpha.resize(n);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const size_t p =
                static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x);
            const Px c = pixel(x, y);
            rec.colours[p * 3] = c.b;
            rec.colours[p * 3 + 1] = c.g;
            rec.colours[p * 3 + 2] = c.r;
            rec.mask[p] = c.a != 0 ? 1 : 0;
            if (depth == kDepth32) rec.alpha[p] = c.a;
        }
    }
    return rec;
}

// Every pixel the same colour.
inline IconImageRec MakeImage(int32_t w, int32_t h, int32_t depth, Px colour) {
    return MakeImage(w, h, depth, [colour](int, int) { return colour; });
}

// Pixel (x, y), y from the top, of a record as the reader gives it (bottom row first).
inline Px ReadPixel(const IconImageRec& rec, int x, int y) {
    const size_t p = static_cast<size_t>(rec.height - 1 - y) * static_cast<size_t>(rec.width) +
                     static_cast<size_t>(x);
    Px c;
    c.b = rec.colours[p * 3];
    c.g = rec.colours[p * 3 + 1];
    c.r = rec.colours[p * 3 + 2];
    c.a = rec.HasAlpha() ? rec.alpha[p] : (rec.mask[p] ? 255 : 0);
    return c;
}

} // namespace pictoform::test
