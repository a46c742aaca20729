#pragma once
// Pixels read and written straight through the planes' layout, so that the
// image tests check the bytes themselves and do not lean on GetPixel.

#include <gtest/gtest.h>

#include <ostream>

#include "image/LayerImage.h"

namespace pictoform::imagetest {

struct Px {
    int r, g, b, a, c;
    friend bool operator==(const Px&, const Px&) = default;
    friend std::ostream& operator<<(std::ostream& os, const Px& p) {
        return os << "(" << p.r << "," << p.g << "," << p.b << " a" << p.a << " c" << p.c << ")";
    }
};
inline constexpr Px kEmpty{255, 255, 255, 0, 0};

inline Px At(const CLayerImage& img, int x, int y) {
    const uint8_t* bgr = img.ColourBits() + y * img.Stride() + 3 * x;
    const size_t i = static_cast<size_t>(y) * img.Width() + x;
    return {bgr[2], bgr[1], bgr[0], img.AlphaPlane()[i], img.CoveragePlane()[i]};
}

inline void Put(CLayerImage& img, int x, int y, Px p) {
    uint8_t* bgr = img.ColourBits() + y * img.Stride() + 3 * x;
    bgr[0] = static_cast<uint8_t>(p.b);
    bgr[1] = static_cast<uint8_t>(p.g);
    bgr[2] = static_cast<uint8_t>(p.r);
    const size_t i = static_cast<size_t>(y) * img.Width() + x;
    img.AlphaPlane()[i] = static_cast<uint8_t>(p.a);
    img.CoveragePlane()[i] = static_cast<uint8_t>(p.c);
}

// A colour with the erase word set, and a strip stop at `position`.
inline PixelColor Erasing(PixelColor c) {
    c.SetErase(true);
    return c;
}
inline PixelColor Stop(PixelColor c, float position) {
    c.SetStopPosition(position);
    return c;
}

inline CLayerImage Make(int w, int h) {
    CLayerImage img;
    EXPECT_TRUE(img.Create(w, h));
    return img;
}

} // namespace pictoform::imagetest
