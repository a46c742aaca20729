#include "colour/ColorAdjust.h"

#include <cstdint>

namespace pictoform {

namespace {

// Truncation toward zero into a channel. Everything below 1 (NaN too) is 0
// and everything from 255 up is 255, so no float ever converts out of range.
uint8_t ToChannel(float value) {
    if (!(value >= 1.0f)) return 0;
    if (value >= 255.0f) return 255;
    return static_cast<uint8_t>(value);
}

// Calls fn(bgr, alpha) for every covered pixel.
template <typename Fn> void ForEachCovered(CLayerImage& picture, Fn fn) {
    if (picture.IsNull()) return;
    const int width = picture.Width();
    uint8_t* alpha = picture.AlphaPlane();
    const uint8_t* coverage = picture.CoveragePlane();
    for (int y = 0; y < picture.Height(); ++y) {
        uint8_t* bgr = picture.ColourBits() + static_cast<size_t>(y) * picture.Stride();
        const size_t row = static_cast<size_t>(y) * width;
        for (int x = 0; x < width; ++x, bgr += 3) {
            if (coverage[row + x]) fn(bgr, alpha[row + x]);
        }
    }
}

} // namespace

void ScaleChannels(CLayerImage& picture, float fr, float fg, float fb, float fa) {
    ForEachCovered(picture, [=](uint8_t* bgr, uint8_t& alpha) {
        bgr[2] = ToChannel(bgr[2] * fr);
        bgr[1] = ToChannel(bgr[1] * fg);
        bgr[0] = ToChannel(bgr[0] * fb);
        alpha = ToChannel(alpha * fa);
    });
}

void Brighten(CLayerImage& picture, float f) {
    ForEachCovered(picture, [=](uint8_t* bgr, uint8_t&) {
        for (int c = 0; c < 3; ++c) bgr[c] = ToChannel(bgr[c] * f);
    });
}

void Contrast(CLayerImage& picture, float v) {
    const float inverse = 1.0f / v;
    ForEachCovered(picture, [=](uint8_t* bgr, uint8_t&) {
        const bool dark = bgr[0] < 128 && bgr[1] < 128 && bgr[2] < 128;
        for (int c = 0; c < 3; ++c) bgr[c] = ToChannel(dark ? bgr[c] * inverse : bgr[c] * v + 2.0f);
    });
}

void Saturate(CLayerImage& picture, float s) {
    const float others = (1.0f - s) * 0.5f;
    ForEachCovered(picture, [=](uint8_t* bgr, uint8_t&) {
        const int b = bgr[0], g = bgr[1], r = bgr[2];
        bgr[2] = ToChannel(static_cast<float>(g + b) * others + static_cast<float>(r) * s);
        bgr[1] = ToChannel(static_cast<float>(r + b) * others + static_cast<float>(g) * s);
        bgr[0] = ToChannel(static_cast<float>(r + g) * others + static_cast<float>(b) * s);
    });
}

void Invert(CLayerImage& picture) {
    ForEachCovered(picture, [](uint8_t* bgr, uint8_t&) {
        for (int c = 0; c < 3; ++c) bgr[c] = static_cast<uint8_t>(255 - bgr[c]);
    });
}

void Grayscale(CLayerImage& picture) {
    ForEachCovered(picture, [](uint8_t* bgr, uint8_t&) {
        const auto mean = static_cast<uint8_t>((bgr[0] + bgr[1] + bgr[2]) / 3);
        bgr[0] = bgr[1] = bgr[2] = mean;
    });
}

} // namespace pictoform
