#include "objects/MaskedPattern.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#include "colour/MultiColorPen.h"
#include "objects/GradientFill.h"

namespace pictoform {

namespace {

// Down to a whole icon pixel (a multiple of 3 canvas units).
float SnapToIconPixel(float c) {
    return std::floor(c * 0.33333334f) * 3.0f;
}

} // namespace

bool CMaskedPattern::CreateMask(int64_t width, int64_t height) {
    if (width < 1 || height < 1 || width > kMaxMaskSide || height > kMaxMaskSide ||
        width * height > kMaxMaskPixels) {
        m_mask = CLayerImage{};
        return false;
    }
    if (!m_mask.Create(static_cast<int>(width), static_cast<int>(height))) return false;
    m_mask.SetPaintStamp(1);
    return true;
}

bool CMaskedPattern::CreateEllipse(int left, int top, int right, int bottom) {
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    const int64_t width = int64_t{right} - left;
    const int64_t height = int64_t{bottom} - top;
    if (!CreateMask(width, height)) return false;
    InitFrame(left, top, right, bottom);
    FillEllipse(m_mask, 0, static_cast<int>(width), 0, static_cast<int>(height),
                PixelColor{0, 0, 0, 255});
    return true;
}

bool CMaskedPattern::CreateFromMask(int x, int y, const uint8_t* maskBytes, int maskWidth,
                                    int maskHeight) {
    if (!maskBytes || x == INT_MAX || y == INT_MAX) return false;
    if (!CreateMask(maskWidth, maskHeight)) return false;
    InitFrame(x, y, x + 1, y + 1);
    std::memcpy(m_mask.CoveragePlane(), maskBytes,
                static_cast<size_t>(maskWidth) * static_cast<size_t>(maskHeight));
    return true;
}

bool CMaskedPattern::CreateSmoothText(float px, float py, const std::string& utf8Text,
                                      const FontDescription& font, const TextRasterizer& rasterizer,
                                      bool* tooLarge) {
    if (tooLarge) *tooLarge = false;
    if (!std::isfinite(px) || !std::isfinite(py)) return false;
    if (font.pixelHeight <= 0 || font.pixelHeight > INT_MAX / 3) return false;
    FontDescription tall = font;
    tall.pixelHeight *= 3;
    const TextExtent extent = rasterizer.Measure(utf8Text, tall);
    if (extent.width <= 0 || extent.height <= 0) return false;
    const int left = SaturatingInt(px);
    const int top = SaturatingInt(py);
    const int right = SaturatingInt(static_cast<double>(px) + extent.width);
    const int bottom = SaturatingInt(static_cast<double>(py) + extent.height);
    if (!CreateMask(int64_t{right} - left, int64_t{bottom} - top)) {
        if (tooLarge) *tooLarge = true;
        return false;
    }
    InitFrame(left, top, right, bottom);
    RasterizeText(utf8Text, tall, rasterizer);
    return true;
}

void CMaskedPattern::RasterizeText(const std::string& utf8Text, const FontDescription& font,
                                   const TextRasterizer& rasterizer) {
    rasterizer.Draw(utf8Text, font, m_mask);
    m_mask.MarkNonWhite(PixelColor{0, 0, 0, 0});
}

void CMaskedPattern::Render(CLayerImage& target, CMultiColorPen& pen) const {
    RenderMasked(target, pen, false);
}

void CMaskedPattern::RenderMasked(CLayerImage& target, CMultiColorPen& pen, bool snap) const {
    CPattern::Render(target, pen);
    if (m_mask.IsNull() || !FrameIsFinite(*this)) return;
    const PenOutputs& out = pen.Outputs();
    const std::array<PixelColor, 4> c = CornerColours(out);
    const GradientReference ref = MakeGradientReference(*this);
    const TriangleSink fill = [&](const GradientVertex& a, const GradientVertex& b,
                                  const GradientVertex& d) {
        FillTriangleMasked(target, a, b, d, m_mask, out, ref);
    };
    if (!snap && HasMorphGrid()) {
        ForEachMorphTriangle(*this, c, fill);
        return;
    }
    GradientVertex corner[4] = {FrameVertex(*this, 0, 0, c[0]), FrameVertex(*this, 1, 0, c[1]),
                                FrameVertex(*this, 1, 1, c[2]), FrameVertex(*this, 0, 1, c[3])};
    if (snap) {
        for (GradientVertex& v : corner) {
            v.point.x = SnapToIconPixel(v.point.x);
            v.point.y = SnapToIconPixel(v.point.y);
        }
    }
    SplitQuad(corner[0], corner[1], corner[2], corner[3], fill);
}

} // namespace pictoform
