#pragma once
// Measuring and drawing text for the text objects. The desktop draws with the
// toolkit's fonts; tests use a rasteriser whose glyphs are known boxes.

#include <string>

#include "image/LayerImage.h"

namespace pictoform {

// A font as the program keeps it: what the user picked in the font dialog.
struct FontDescription {
    std::string family = "Tahoma";
    // The character height in pixels (positive), as the font dialog's point
    // size becomes on a 96-dpi screen: 12 points are 16 pixels.
    int pixelHeight = 16;
    // 100 to 900, 400 regular, 700 bold.
    int weight = 400;
    bool italic = false;

    friend bool operator==(const FontDescription&, const FontDescription&) = default;
};

struct TextExtent {
    int width = 0;
    int height = 0;
};

class TextRasterizer {
public:
    virtual ~TextRasterizer() = default;

    // The box the text needs when drawn from its top-left corner, lines
    // broken only at its line breaks.
    [[nodiscard]] virtual TextExtent Measure(const std::string& utf8Text,
                                             const FontDescription& font) const = 0;
    // Draws the text in black from target's top-left corner, clipped to the
    // target, without painting any background: pixels outside the glyphs keep
    // their colour. Only the colour plane is drawn.
    virtual void Draw(const std::string& utf8Text, const FontDescription& font,
                      CLayerImage& target) const = 0;

protected:
    TextRasterizer() = default;
    TextRasterizer(const TextRasterizer&) = default;
    TextRasterizer& operator=(const TextRasterizer&) = default;
};

} // namespace pictoform
