#pragma once

#include "objects/MaskedPattern.h"

namespace pictoform {

// Text for formats of fewer than 32 bits: one mask pixel per icon pixel,
// always on whole icon pixels; it can be moved and given a gradient, nothing else.
class CUAATextPattern : public CMaskedPattern {
public:
    CUAATextPattern() = default;
    [[nodiscard]] PatternKind Kind() const override { return PatternKind::PixelText; }

    // The rectangle is in canvas units; the mask is a third of it each way.
    // False when that leaves no mask pixel.
    [[nodiscard]] bool CreatePixelText(int left, int top, int right, int bottom,
                                       const std::string& utf8Text, const FontDescription& font,
                                       const TextRasterizer& rasterizer);

    void DrawFrame(DisplayPainter& painter, int zoom, bool showGradient) const override;
    void Render(CLayerImage& target, CMultiColorPen& pen) const override;
    [[nodiscard]] int HitTestHandle(float x, float y, int zoom, bool showGradient) override;
    void DragHandle(float px, float py, float dx, float dy) override;
};

} // namespace pictoform
