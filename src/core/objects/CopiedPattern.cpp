#include "objects/CopiedPattern.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "image/RasterPrimitives.h"

namespace pictoform {

namespace {

// The origin's icon pixel in canvas units. The division by 3 is the float
// product the display uses too, so that frame and pixels always agree.
int SnapToIconPixel(float canvas) {
    const int64_t snapped = int64_t{SaturatingInt(static_cast<double>(canvas * 0.33333334f))} * 3;
    return static_cast<int>(std::clamp<int64_t>(snapped, std::numeric_limits<int>::min(),
                                                std::numeric_limits<int>::max()));
}

} // namespace

bool CCopiedPattern::CreateFromSelection(CLayerImage& source, int x0, int y0, int x1, int y1,
                                         bool keepSource) {
    if (!m_picture.CopyRegionFrom(source, x0, y0, x1, y1, keepSource)) return false;
    // The region's corner as the copy found it: the lesser corner, clipped at 0.
    const int left = std::max(std::min(x0, x1), 0);
    const int top = std::max(std::min(y0, y1), 0);
    InitFrame(left, top, left + m_picture.Width(), top + m_picture.Height());
    return true;
}

void CCopiedPattern::DrawFrame(DisplayPainter& painter, int zoom, bool /*showGradient*/) const {
    DrawSnappedOutline(painter, zoom);
}

void CCopiedPattern::Render(CLayerImage& target, CMultiColorPen& /*pen*/) const {
    CLayerImage::Composite(m_picture, target, false, SnappedX(), SnappedY(), 1.0f);
}

int CCopiedPattern::HitTestHandle(float x, float y, int /*zoom*/, bool /*showGradient*/) {
    return Contains(x, y) ? kHandleMove : kHandleNone;
}

void CCopiedPattern::DragHandle(float /*px*/, float /*py*/, float dx, float dy) {
    if (ActiveHandle() == kHandleMove) Move(dx, dy);
}

int CCopiedPattern::SnappedX() const {
    return SnapToIconPixel(m_geometry.origin.x);
}

int CCopiedPattern::SnappedY() const {
    return SnapToIconPixel(m_geometry.origin.y);
}

} // namespace pictoform
