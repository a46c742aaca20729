#pragma once

#include <cstdint>
#include <string>

#include "objects/Pattern.h"
#include "platform/TextRasterizer.h"

namespace pictoform {

// A shape given by a mask (covered mask pixels belong to it), filled with the
// pen's colours through the frame: ellipses, predesigned masks, smooth text.
class CMaskedPattern : public CPattern {
public:
    CMaskedPattern() = default;
    [[nodiscard]] PatternKind Kind() const override { return PatternKind::Masked; }

    // The ellipse inscribed in the box, in canvas units, either corner order.
    // False when the box is empty.
    [[nodiscard]] bool CreateEllipse(int left, int top, int right, int bottom);
    // A one-unit frame at (x, y) over a mask of width x height bytes, top row
    // first, non-zero meaning inside; the caller then drags handle 7 to size it.
    // False when the bytes do not make a mask.
    [[nodiscard]] bool CreateFromMask(int x, int y, const uint8_t* maskBytes, int maskWidth,
                                      int maskHeight);
    // The text at three times the font's height from the canvas point
    // (px, py), so that the 3 x 3 reduction smooths its edges. False for a
    // text that measures empty, or (with tooLarge set) one whose mask would
    // pass kMaxMaskPixels.
    [[nodiscard]] bool CreateSmoothText(float px, float py, const std::string& utf8Text,
                                        const FontDescription& font,
                                        const TextRasterizer& rasterizer, bool* tooLarge = nullptr);

    // A mask holds five bytes a unit: 32 million units are 160 MB, room for
    // 200 characters of 72 points drawn three times their size.
    static constexpr int64_t kMaxMaskPixels = 32'000'000;
    static constexpr int64_t kMaskBytesPerPixel = 5;

    void Render(CLayerImage& target, CMultiColorPen& pen) const override;

    [[nodiscard]] CLayerImage& Mask() { return m_mask; }
    [[nodiscard]] const CLayerImage& Mask() const { return m_mask; }

protected:
    // A side beyond this is refused whatever the area, so that every
    // coordinate in the mask stays far inside an int.
    static constexpr int64_t kMaxMaskSide = 1 << 17;

    // Makes the mask white and empty at this size; false, with the mask
    // released, for a side below 1 or above kMaxMaskSide, or an area above
    // kMaxMaskPixels.
    [[nodiscard]] bool CreateMask(int64_t width, int64_t height);
    // Draws the text into the mask (already made at its size) and marks every
    // drawn pixel as part of the shape.
    void RasterizeText(const std::string& utf8Text, const FontDescription& font,
                       const TextRasterizer& rasterizer);
    // The fill through the mask, with each frame corner's canvas position
    // snapped down to a multiple of 3 when snap is set.
    void RenderMasked(CLayerImage& target, CMultiColorPen& pen, bool snap) const;

    CLayerImage m_mask;
};

} // namespace pictoform
