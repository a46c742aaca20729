#include "support/BoxTextRasterizer.h"

#include <algorithm>
#include <functional>

namespace pictoform::test {

namespace {

// Calls glyph(line, column, isSpace) for each character (UTF-8 code point).
void ForEachGlyph(const std::string& text, const std::function<void(int, int, bool)>& glyph) {
    int line = 0;
    int column = 0;
    for (unsigned char ch : text) {
        if ((ch & 0xC0) == 0x80) continue; // the rest of a multi-byte character
        if (ch == '\n') {
            ++line;
            column = 0;
            continue;
        }
        glyph(line, column++, ch == ' ');
    }
}

} // namespace

TextExtent BoxTextRasterizer::Measure(const std::string& utf8Text,
                                      const FontDescription& font) const {
    if (utf8Text.empty()) return {};
    const int lines = 1 + static_cast<int>(std::count(utf8Text.begin(), utf8Text.end(), '\n'));
    int columns = 0;
    ForEachGlyph(utf8Text, [&](int, int column, bool) { columns = std::max(columns, column + 1); });
    return {columns * Advance(font), lines * font.pixelHeight};
}

void BoxTextRasterizer::Draw(const std::string& utf8Text, const FontDescription& font,
                             CLayerImage& target) const {
    if (target.IsNull()) return;
    ForEachGlyph(utf8Text, [&](int line, int column, bool space) {
        if (space) return;
        const int x0 = column * Advance(font);
        const int y0 = line * font.pixelHeight;
        const int x1 = std::min(x0 + GlyphWidth(font), target.Width());
        const int y1 = std::min(y0 + font.pixelHeight, target.Height());
        for (int y = y0; y < y1; ++y) {
            uint8_t* row = target.ColourBits() + static_cast<size_t>(y) * target.Stride();
            for (int x = x0; x < x1; ++x) row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = 0;
        }
    });
}

} // namespace pictoform::test
