#pragma once

#include <QFont>

#include "platform/TextRasterizer.h"

namespace pictoform {

// The program's font as a QFont. A family the desktop does not have becomes
// the desktop's general sans font, so "Tahoma" still gives readable text.
QFont ToQFont(const FontDescription& font);
// What the font dialog picked, in the program's terms: a size given in
// points becomes pixels on a 96-dpi screen (12 points are 16 pixels).
FontDescription FromQFont(const QFont& font);

// Draws with QPainter straight onto the image's colour plane.
class QtTextRasterizer : public TextRasterizer {
public:
    TextExtent Measure(const std::string& utf8Text, const FontDescription& font) const override;
    void Draw(const std::string& utf8Text, const FontDescription& font,
              CLayerImage& target) const override;
};

} // namespace pictoform
