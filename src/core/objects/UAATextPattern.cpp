#include "objects/UAATextPattern.h"

#include <algorithm>

namespace pictoform {

bool CUAATextPattern::CreatePixelText(int left, int top, int right, int bottom,
                                      const std::string& utf8Text, const FontDescription& font,
                                      const TextRasterizer& rasterizer) {
    // A box dragged from right to left must not give mirrored glyphs.
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    const int64_t columns = (int64_t{right} - left) / 3;
    const int64_t rows = (int64_t{bottom} - top) / 3;
    if (!CreateMask(columns, rows)) return false;
    // The frame is exactly the mask's icon pixels: a box with units to spare
    // would stretch the glyphs over it, and a move of one unit change them.
    InitFrame(left, top, static_cast<int>(left + 3 * columns), static_cast<int>(top + 3 * rows));
    RasterizeText(utf8Text, font, rasterizer);
    return true;
}

void CUAATextPattern::DrawFrame(DisplayPainter& painter, int zoom, bool showGradient) const {
    if (showGradient) DrawGradientHandles(painter, zoom);
    DrawSnappedOutline(painter, zoom);
}

void CUAATextPattern::Render(CLayerImage& target, CMultiColorPen& pen) const {
    RenderMasked(target, pen, true);
}

int CUAATextPattern::HitTestHandle(float x, float y, int zoom, bool showGradient) {
    if (showGradient) {
        const int handle = HitGradientHandle(x, y, zoom);
        if (handle != kHandleNone) return handle;
    }
    return Contains(x, y) ? kHandleMove : kHandleNone;
}

void CUAATextPattern::DragHandle(float px, float py, float dx, float dy) {
    switch (ActiveHandle()) {
    case kHandleGradientStart:
        SetFramePointFromPointer(m_geometry.gradientStart, px, py);
        break;
    case kHandleGradientEnd:
        SetFramePointFromPointer(m_geometry.gradientEnd, px, py);
        break;
    case kHandleMove:
        Move(dx, dy);
        break;
    default:
        break;
    }
}

} // namespace pictoform
