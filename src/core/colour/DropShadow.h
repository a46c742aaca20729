#pragma once
// The drop shadow laid under a floating object: five soft passes, each a
// faint copy of the object's shape in the shadow colour, offset a little.
// Together they make the shadow's blur; the options dialog moves them as one.

#include <array>

#include "image/LayerImage.h"
#include "image/PixelColor.h"

namespace pictoform {

struct ShadowPass {
    int alpha = 0;
    // In icon pixels.
    int dx = 0;
    int dy = 0;
    friend bool operator==(const ShadowPass&, const ShadowPass&) = default;
};

// The shadow's colour and passes. One instance serves the whole program and
// lives only while it runs; every start has the defaults.
class ShadowSettings {
public:
    static constexpr std::array<ShadowPass, 5> kDefaultPasses{
        {{15, 3, 2}, {15, 2, 3}, {15, 2, 1}, {15, 1, 2}, {40, 1, 1}}};
    static constexpr PixelColor kDefaultColour{0, 0, 0, 100};
    // The options dialog keeps offsets within this; larger typed values are
    // limited so that the passes' offsets stay far from overflowing.
    static constexpr int kOffsetLimit = 100000;

    [[nodiscard]] const std::array<ShadowPass, 5>& Passes() const { return m_passes; }
    [[nodiscard]] const PixelColor& Colour() const { return m_colour; }

    // What the options dialog shows as the shadow's position: the second
    // pass's x offset and the first pass's y offset.
    [[nodiscard]] int OptionX() const { return m_passes[1].dx; }
    [[nodiscard]] int OptionY() const { return m_passes[0].dy; }

    // The dialog's result: every pass moves by the change of X and Y, so the
    // passes keep their spacing; the colour's alpha sets the passes' alphas.
    void ApplyOptions(int x, int y, const PixelColor& colour);

private:
    std::array<ShadowPass, 5> m_passes = kDefaultPasses;
    PixelColor m_colour = kDefaultColour;
};

// Lays one pass of the shadow of source's covered pixels onto target, each
// source pixel (x, y) landing on (x + dx, y + dy): an empty target pixel takes
// the shadow colour at the pass's strength, a covered one is darkened toward
// it. The strength of each pixel is alpha times the source pixel's alpha.
void LayShadowPass(const CLayerImage& source, CLayerImage& target, const PixelColor& colour,
                   int alpha, int dx, int dy);

// All five passes of the settings, their offsets in canvas units (three per
// icon pixel), in order.
void LayShadow(const CLayerImage& source, CLayerImage& target, const ShadowSettings& settings);

} // namespace pictoform
