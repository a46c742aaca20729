#include "colour/DropShadow.h"

#include <algorithm>
#include <cstdint>

namespace pictoform {

namespace {

int LimitOffset(int64_t value) {
    return static_cast<int>(
        std::clamp<int64_t>(value, -ShadowSettings::kOffsetLimit, ShadowSettings::kOffsetLimit));
}

} // namespace

void ShadowSettings::ApplyOptions(int x, int y, const PixelColor& colour) {
    const int64_t moveX = int64_t{LimitOffset(x)} - OptionX();
    const int64_t moveY = int64_t{LimitOffset(y)} - OptionY();
    for (ShadowPass& pass : m_passes) {
        pass.dx = LimitOffset(pass.dx + moveX);
        pass.dy = LimitOffset(pass.dy + moveY);
    }
    m_colour = colour;
    const int a = colour.alpha;
    for (size_t i = 0; i < 4; ++i) m_passes[i].alpha = static_cast<int>(a * 0.15);
    m_passes[4].alpha = static_cast<int>(a * 0.4);
}

void LayShadowPass(const CLayerImage& source, CLayerImage& target, const PixelColor& colour,
                   int alpha, int dx, int dy) {
    if (source.IsNull() || target.IsNull()) return;
    const int strength = std::clamp(alpha, 0, 255);
    // The rows and columns of source whose shifted place lies inside target.
    const int64_t x0 = std::max<int64_t>(0, -int64_t{dx});
    const int64_t y0 = std::max<int64_t>(0, -int64_t{dy});
    const int64_t x1 = std::min<int64_t>(source.Width(), int64_t{target.Width()} - dx);
    const int64_t y1 = std::min<int64_t>(source.Height(), int64_t{target.Height()} - dy);
    const uint8_t* srcAlpha = source.AlphaPlane();
    const uint8_t* srcCover = source.CoveragePlane();
    uint8_t* dstAlpha = target.AlphaPlane();
    uint8_t* dstCover = target.CoveragePlane();
    for (int64_t y = y0; y < y1; ++y) {
        const int ty = static_cast<int>(y + dy);
        uint8_t* row = target.ColourBits() + static_cast<size_t>(ty) * target.Stride();
        for (int64_t x = x0; x < x1; ++x) {
            const size_t s = static_cast<size_t>(y) * source.Width() + static_cast<size_t>(x);
            if (srcCover[s] == 0) continue;
            const int tx = static_cast<int>(x + dx);
            const size_t t = static_cast<size_t>(ty) * target.Width() + static_cast<size_t>(tx);
            const int a = (strength * srcAlpha[s]) >> 8;
            uint8_t* bgr = row + 3 * static_cast<size_t>(tx);
            if (dstCover[t] == 0) {
                bgr[0] = colour.blue;
                bgr[1] = colour.green;
                bgr[2] = colour.red;
                dstAlpha[t] = static_cast<uint8_t>(a);
                dstCover[t] = 1;
                continue;
            }
            // The shadow's own weights, 256 - a and a: not the paint rule's.
            const uint8_t channels[3] = {colour.blue, colour.green, colour.red};
            for (int c = 0; c < 3; ++c) {
                bgr[c] = static_cast<uint8_t>(
                    std::min(bgr[c] * (256 - a) + channels[c] * a, 65280) >> 8);
            }
            dstAlpha[t] = static_cast<uint8_t>(std::min(dstAlpha[t] + a, 255));
        }
    }
}

void LayShadow(const CLayerImage& source, CLayerImage& target, const ShadowSettings& settings) {
    for (const ShadowPass& pass : settings.Passes()) {
        LayShadowPass(source, target, settings.Colour(), pass.alpha, pass.dx * 3, pass.dy * 3);
    }
}

} // namespace pictoform
