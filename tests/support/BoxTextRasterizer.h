#pragma once
// A text rasteriser whose glyphs are known boxes, so that a test knows every
// pixel of a text mask: each character is a solid black box pixelHeight / 2
// wide and pixelHeight tall followed by a one-pixel gap; a space is the gap
// and an empty box; '\n' starts a new line pixelHeight further down.

#include <string>

#include "platform/TextRasterizer.h"

namespace pictoform::test {

class BoxTextRasterizer : public TextRasterizer {
public:
    [[nodiscard]] static int GlyphWidth(const FontDescription& font) {
        return font.pixelHeight / 2;
    }
    // Glyph width plus the gap.
    [[nodiscard]] static int Advance(const FontDescription& font) { return GlyphWidth(font) + 1; }

    [[nodiscard]] TextExtent Measure(const std::string& utf8Text,
                                     const FontDescription& font) const override;
    void Draw(const std::string& utf8Text, const FontDescription& font,
              CLayerImage& target) const override;
};

} // namespace pictoform::test
