#pragma once
// The "Edit color" dialog without its window: four sliders for red, green,
// blue and alpha, their value texts, and a palette to pick colours from.

#include <optional>
#include <string>

#include "colour/ColorAdjust.h"
#include "image/LayerImage.h"
#include "image/PixelColor.h"
#include "image/Surface.h"

namespace pictoform {

// Fills image (created at width x height, opaque and covered) with the
// picking palette of the colour dialogs: six hue segments of (width - 15) / 6
// columns, red, yellow, green, cyan, blue, magenta and back toward red, each
// column running from white at the top to the pure hue at mid-height and on
// toward black; the columns right of them hold a grey ramp, white at the top.
// False, with the image null, for a size the image cannot take.
bool BuildPickingPalette(CLayerImage& image, int width, int height);

// The colour under (x, y) of a palette shown with its top-left corner at
// (left, top), or nothing outside it. Alpha and the pen's words are 0.
std::optional<PixelColor> PickFromPalette(const CLayerImage& palette, int left, int top, int x,
                                          int y);
// A drag picks while exactly one button is held.
constexpr bool DragPicks(bool leftHeld, bool rightHeld) {
    return leftHeld != rightHeld;
}

class EditColorModel {
public:
    static constexpr int kSliderMin = 0;
    static constexpr int kSliderMax = 255;
    static constexpr int kPaletteWidth = 210;
    static constexpr int kPaletteHeight = 50;
    // Where the palette sits in the dialog's client area.
    static constexpr int kPaletteX = 10;
    static constexpr int kPaletteY = 140;

    explicit EditColorModel(const PixelColor& colour);

    // The colour being edited; the caller takes it after OK. Its two words
    // are the caller's and are handed back as they came.
    [[nodiscard]] const PixelColor& Colour() const { return m_colour; }
    [[nodiscard]] int SliderPosition(ColourChannel channel) const;
    // The read-only value box of a channel: "%d".
    [[nodiscard]] std::string ValueText(ColourChannel channel) const;

    // The channel becomes the position (kept within 0 to 255).
    void MoveSlider(ColourChannel channel, int position);

    // A left-button press at client (x, y); picks when it lies on the palette.
    // Returns whether a colour was picked (the swatch and sliders follow).
    bool LeftButtonDown(int x, int y);
    // A mouse move; picks when exactly one of the two buttons is held.
    bool MouseMove(int x, int y, bool leftHeld, bool rightHeld);

    [[nodiscard]] const CLayerImage& Palette() const { return m_palette; }
    // Draws the palette at its place.
    void Paint(Surface& surface) const;

private:
    // Takes red, green and blue of the palette pixel under (x, y); alpha and
    // the words stay.
    bool Pick(int x, int y);

    PixelColor m_colour;
    CLayerImage m_palette;
};

} // namespace pictoform
