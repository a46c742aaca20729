#include "colour/EditColorModel.h"

#include <algorithm>
#include <array>

namespace pictoform {

namespace {

struct Rgb {
    int r, g, b;
};

// The hues at the segment boundaries; the last closes the circle.
constexpr std::array<Rgb, 7> kHues = {{{255, 0, 0},
                                       {255, 255, 0},
                                       {0, 255, 0},
                                       {0, 255, 255},
                                       {0, 0, 255},
                                       {255, 0, 255},
                                       {255, 0, 0}}};

int Lerp(int from, int to, int step, int steps) {
    return from + (to - from) * step / steps;
}

// White at the top, the colour at mid-height, black toward the bottom.
Rgb Shade(const Rgb& colour, int y, int height) {
    const int mid = height / 2;
    if (y < mid || mid == 0) {
        const int steps = std::max(mid, 1);
        return {Lerp(255, colour.r, y, steps), Lerp(255, colour.g, y, steps),
                Lerp(255, colour.b, y, steps)};
    }
    const int steps = height - mid;
    return {Lerp(colour.r, 0, y - mid, steps), Lerp(colour.g, 0, y - mid, steps),
            Lerp(colour.b, 0, y - mid, steps)};
}

uint8_t Byte(int v) {
    return static_cast<uint8_t>(std::clamp(v, 0, 255));
}

size_t IndexOf(ColourChannel channel) {
    return static_cast<size_t>(std::clamp(static_cast<int>(channel), 0, kChannelCount - 1));
}

template <typename Colour> auto& ChannelOf(Colour& colour, ColourChannel channel) {
    switch (IndexOf(channel)) {
    case 0:
        return colour.red;
    case 1:
        return colour.green;
    case 2:
        return colour.blue;
    default:
        return colour.alpha;
    }
}

} // namespace

bool BuildPickingPalette(CLayerImage& image, int width, int height) {
    if (!image.Create(width, height)) return false;
    const int segment = std::max((width - 15) / 6, 1);
    const int hueColumns = std::min(6 * segment, width);
    for (int x = 0; x < width; ++x) {
        Rgb column{};
        const bool grey = x >= hueColumns;
        if (!grey) {
            const Rgb& from = kHues[static_cast<size_t>(x / segment)];
            const Rgb& to = kHues[static_cast<size_t>(x / segment) + 1];
            const int step = x % segment;
            column = {Lerp(from.r, to.r, step, segment), Lerp(from.g, to.g, step, segment),
                      Lerp(from.b, to.b, step, segment)};
        }
        for (int y = 0; y < height; ++y) {
            Rgb c;
            if (grey) {
                const int g = Lerp(255, 0, y, std::max(height - 1, 1));
                c = {g, g, g};
            } else {
                c = Shade(column, y, height);
            }
            PixelColor pixel{Byte(c.r), Byte(c.g), Byte(c.b), 255};
            image.SetBlock(x, y, pixel, 1);
        }
    }
    return true;
}

EditColorModel::EditColorModel(const PixelColor& colour) : m_colour(colour) {
    BuildPickingPalette(m_palette, kPaletteWidth, kPaletteHeight);
}

int EditColorModel::SliderPosition(ColourChannel channel) const {
    return ChannelOf(m_colour, channel);
}

std::string EditColorModel::ValueText(ColourChannel channel) const {
    return std::to_string(SliderPosition(channel));
}

void EditColorModel::MoveSlider(ColourChannel channel, int position) {
    ChannelOf(m_colour, channel) =
        static_cast<uint8_t>(std::clamp(position, kSliderMin, kSliderMax));
}

bool EditColorModel::LeftButtonDown(int x, int y) {
    return Pick(x, y);
}

bool EditColorModel::MouseMove(int x, int y, bool leftHeld, bool rightHeld) {
    return DragPicks(leftHeld, rightHeld) && Pick(x, y);
}

bool EditColorModel::Pick(int x, int y) {
    const std::optional<PixelColor> picked = PickFromPalette(m_palette, kPaletteX, kPaletteY, x, y);
    if (!picked) return false;
    m_colour.red = picked->red;
    m_colour.green = picked->green;
    m_colour.blue = picked->blue;
    return true;
}

std::optional<PixelColor> PickFromPalette(const CLayerImage& palette, int left, int top, int x,
                                          int y) {
    const int px = x - left;
    const int py = y - top;
    if (px < 0 || py < 0 || px >= palette.Width() || py >= palette.Height()) return std::nullopt;
    PixelColor picked = palette.GetPixel(px, py);
    picked.alpha = 0;
    return picked;
}

void EditColorModel::Paint(Surface& surface) const {
    m_palette.BlitTo(surface, kPaletteX, kPaletteY, 0, 0);
}

} // namespace pictoform
