// The handles of a drawing object: where they are, which one the pointer is
// on, what dragging each does, and how the frame shows on the display.

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "image/RasterPrimitives.h"
#include "objects/Pattern.h"

namespace pictoform {

namespace {

constexpr DisplayColor kBlack{0, 0, 0};
constexpr DisplayColor kYellow{255, 255, 0};
constexpr DisplayColor kGreen{0, 255, 0};
constexpr DisplayColor kRed{255, 0, 0};
constexpr DisplayColor kGradientEndColour{128, 130, 145};

constexpr int kCircleRadius = 5;
constexpr int kMorphSquare = 4;
// Screen positions are kept this far inside the int range, so that the
// circles and squares drawn around them cannot overflow; all of it is far
// outside any display and is clipped away.
constexpr int kScreenLimit = 1 << 29;

float Dot(Vec2 a, Vec2 b) {
    return a.x * b.x + a.y * b.y;
}
Vec2 Sub(Vec2 a, Vec2 b) {
    return {a.x - b.x, a.y - b.y};
}
Vec2 Add(Vec2 a, Vec2 b) {
    return {a.x + b.x, a.y + b.y};
}
Vec2 Scale(Vec2 a, float k) {
    return {a.x * k, a.y * k};
}

struct ScreenPoint {
    int x;
    int y;
};

int ToScreen(float canvas, float scale) {
    return std::clamp(SaturatingInt(static_cast<double>(canvas * scale)), -kScreenLimit,
                      kScreenLimit);
}

ScreenPoint ToScreen(Vec2 p, int zoom) {
    const float k = DisplayScale(zoom);
    return {ToScreen(p.x, k), ToScreen(p.y, k)};
}

// A zoom below 1 would make the handles' reach infinite (or NaN).
float HandleRadiusSquared(int zoom) {
    const float z = static_cast<float>(std::max(zoom, 1));
    return 225.0f / (z * z);
}

bool Near(Vec2 handle, float x, float y, float r2) {
    const float dx = x - handle.x;
    const float dy = y - handle.y;
    return dx * dx + dy * dy <= r2;
}

void Circle(DisplayPainter& painter, ScreenPoint p) {
    painter.Ellipse(p.x - kCircleRadius, p.y - kCircleRadius, p.x + kCircleRadius,
                    p.y + kCircleRadius);
}

// A circle in its own colour; the painter's brush is put back afterwards.
void ColouredCircle(DisplayPainter& painter, ScreenPoint p, DisplayColor colour) {
    const DisplayPainter::State before = painter.SaveState();
    painter.SetBrush(colour);
    Circle(painter, p);
    if (before.hasBrush)
        painter.SetBrush(before.brushColour);
    else
        painter.SetNoBrush();
}

void Line(DisplayPainter& painter, Vec2 from, Vec2 to, int zoom) {
    const ScreenPoint a = ToScreen(from, zoom);
    const ScreenPoint b = ToScreen(to, zoom);
    painter.Line(a.x, a.y, b.x, b.y);
}

// Truncated to whole icon pixels, as the pixel-aligned kinds place themselves.
int64_t IconPixels(float canvas) {
    return SaturatingInt(static_cast<double>(canvas * 0.33333334f));
}

int ClampScreen(int64_t v) {
    return static_cast<int>(std::clamp<int64_t>(v, -kScreenLimit, kScreenLimit));
}

} // namespace

Vec2 CPattern::HandlePosition(int index) const {
    const PatternGeometry& g = m_geometry;
    switch (index) {
    case kHandleLeftTop:
        return FramePoint(0.0f, 0.0f);
    case kHandleLeftCenter:
        return FramePoint(0.0f, 0.5f);
    case kHandleLeftBottom:
        return FramePoint(0.0f, 1.0f);
    case kHandleCenterTop:
        return FramePoint(0.5f, 0.0f);
    case kHandleCenterBottom:
        return FramePoint(0.5f, 1.0f);
    case kHandleRightTop:
        return FramePoint(1.0f, 0.0f);
    case kHandleRightCenter:
        return FramePoint(1.0f, 0.5f);
    case kHandleRightBottom:
        return FramePoint(1.0f, 1.0f);
    case kHandleMove:
        return FramePoint(0.5f, 0.5f);
    case kHandleRotationCentre:
        return g.rotationCentre;
    case kHandleRotate:
        return g.rotationHandle;
    case kHandleGradientStart:
        return FramePoint(g.gradientStart.x, g.gradientStart.y);
    case kHandleGradientEnd:
        return FramePoint(g.gradientEnd.x, g.gradientEnd.y);
    case kHandleMorphPoint:
        if (m_activeMorphPoint >= 0 &&
            static_cast<size_t>(m_activeMorphPoint) < m_morphGrid.size()) {
            const Vec2& p = m_morphGrid[static_cast<size_t>(m_activeMorphPoint)];
            return FramePoint(p.x, p.y);
        }
        return g.origin;
    default:
        return g.origin;
    }
}

int CPattern::HitGradientHandle(float x, float y, int zoom) const {
    const float r2 = HandleRadiusSquared(zoom);
    for (int handle : {kHandleGradientEnd, kHandleGradientStart}) {
        if (Near(HandlePosition(handle), x, y, r2)) return handle;
    }
    return kHandleNone;
}

int CPattern::HitTestHandle(float x, float y, int zoom, bool showGradient) {
    if (!m_morphMode) {
        const float r2 = HandleRadiusSquared(zoom);
        for (int handle :
             {0, 1, 2, 3, 4, 5, 6, 7, int{kHandleRotate}, int{kHandleRotationCentre}}) {
            if (Near(HandlePosition(handle), x, y, r2)) return handle;
        }
        if (showGradient) {
            const int gradient = HitGradientHandle(x, y, zoom);
            if (gradient != kHandleNone) return gradient;
        }
    } else {
        const float h = 12.0f / static_cast<float>(std::max(zoom, 1));
        for (size_t i = 0; i < m_morphGrid.size(); ++i) {
            const Vec2 p = FramePoint(m_morphGrid[i].x, m_morphGrid[i].y);
            if (std::fabs(x - p.x) <= h && std::fabs(y - p.y) <= h) {
                m_activeMorphPoint = static_cast<int>(i);
                return kHandleMorphPoint;
            }
        }
    }
    return Contains(x, y) ? kHandleMove : kHandleNone;
}

void CPattern::SetFramePointFromPointer(Vec2& point, float px, float py) const {
    const PatternGeometry& g = m_geometry;
    const Vec2 d{px - g.origin.x, py - g.origin.y};
    // Too short an axis cannot place the point along it; the old value stays.
    const float uu = Dot(g.axisU, g.axisU);
    if (uu >= 20.0f) point.x = Dot(d, g.axisU) / uu;
    const float vv = Dot(g.axisV, g.axisV);
    if (vv >= 20.0f) point.y = Dot(d, g.axisV) / vv;
}

void CPattern::DragHandle(float px, float py, float dx, float dy) {
    PatternGeometry& g = m_geometry;
    const Vec2 p{px, py};
    // The frame keeps its orientation: the dragged edges follow the pointer's
    // projection onto the two directions of the current angle.
    const float c = std::cos(g.angle);
    const float s = std::sin(g.angle);
    const Vec2 dirU{c, s};
    const Vec2 dirV{s, -c};
    const auto moveRotationPoints = [&](float mx, float my) {
        for (Vec2* q : {&g.rotationCentre, &g.rotationHandle}) {
            q->x += mx;
            q->y += my;
        }
    };
    const float halfX = dx * 0.5f;
    const float halfY = dy * 0.5f;

    if (!m_morphMode) {
        switch (m_activeHandle) {
        case kHandleLeftTop: {
            const Vec2 f = Add(Add(g.origin, g.axisU), g.axisV);
            g.axisU = Scale(dirU, Dot(Sub(f, p), dirU));
            g.axisV = Scale(dirV, Dot(Sub(f, p), dirV));
            g.origin = Sub(Sub(f, g.axisU), g.axisV);
            moveRotationPoints(halfX, halfY);
            break;
        }
        case kHandleLeftCenter: {
            const Vec2 f = Add(Add(g.origin, g.axisU), g.axisV);
            g.axisU = Scale(dirU, Dot(Sub(f, p), dirU));
            g.origin = Sub(Sub(f, g.axisU), g.axisV);
            moveRotationPoints(halfX, 0.0f);
            break;
        }
        case kHandleLeftBottom: {
            const Vec2 f = Add(g.origin, g.axisU);
            g.axisU = Scale(dirU, Dot(Sub(f, p), dirU));
            g.axisV = Scale(dirV, -Dot(Sub(f, p), dirV));
            g.origin = Sub(f, g.axisU);
            moveRotationPoints(halfX, halfY);
            break;
        }
        case kHandleCenterTop: {
            const Vec2 f = Add(Add(g.origin, g.axisU), g.axisV);
            g.axisV = Scale(dirV, Dot(Sub(f, p), dirV));
            g.origin = Sub(Sub(f, g.axisU), g.axisV);
            moveRotationPoints(0.0f, halfY);
            break;
        }
        case kHandleCenterBottom:
            g.axisV = Scale(dirV, -Dot(Sub(g.origin, p), dirV));
            moveRotationPoints(0.0f, halfY);
            break;
        case kHandleRightTop: {
            const Vec2 f = Add(g.origin, g.axisV);
            g.axisU = Scale(dirU, -Dot(Sub(f, p), dirU));
            g.axisV = Scale(dirV, Dot(Sub(f, p), dirV));
            g.origin = Sub(f, g.axisV);
            moveRotationPoints(halfX, halfY);
            break;
        }
        case kHandleRightCenter:
            g.axisU = Scale(dirU, -Dot(Sub(g.origin, p), dirU));
            moveRotationPoints(halfX, 0.0f);
            break;
        case kHandleRightBottom:
            g.axisU = Scale(dirU, Dot(Sub(p, g.origin), dirU));
            g.axisV = Scale(dirV, Dot(Sub(p, g.origin), dirV));
            moveRotationPoints(halfX, halfY);
            break;
        case kHandleRotationCentre:
            g.rotationCentre = p;
            break;
        case kHandleRotate: {
            g.rotationHandle = p;
            const Vec2 r = Sub(p, g.rotationCentre);
            const float rr = Dot(r, r);
            if (rr > 0.0f) {
                // The angle the pointer's movement sweeps about the centre.
                Rotate(g.rotationCentre.x, g.rotationCentre.y, -(r.x * dy - r.y * dx) / rr);
            }
            break;
        }
        case kHandleGradientStart:
            SetFramePointFromPointer(g.gradientStart, px, py);
            break;
        case kHandleGradientEnd:
            SetFramePointFromPointer(g.gradientEnd, px, py);
            break;
        default:
            break;
        }
    } else if (m_activeHandle == kHandleMorphPoint && m_activeMorphPoint >= 0 &&
               static_cast<size_t>(m_activeMorphPoint) < m_morphGrid.size()) {
        SetFramePointFromPointer(m_morphGrid[static_cast<size_t>(m_activeMorphPoint)], px, py);
    }
    if (m_activeHandle == kHandleMove) Move(dx, dy);
}

void CPattern::DrawGradientHandles(DisplayPainter& painter, int zoom) const {
    const Vec2 start = HandlePosition(kHandleGradientStart);
    const Vec2 end = HandlePosition(kHandleGradientEnd);
    Line(painter, start, end, zoom);
    ColouredCircle(painter, ToScreen(start, zoom), kRed);
    ColouredCircle(painter, ToScreen(end, zoom), kGradientEndColour);
}

void CPattern::DrawSnappedOutline(DisplayPainter& painter, int zoom) const {
    const DisplayPainter::State before = painter.SaveState();
    const int64_t a = IconPixels(m_geometry.origin.x) * zoom;
    const int64_t b = IconPixels(m_geometry.origin.y) * zoom;
    const int64_t c = a + IconPixels(m_geometry.axisU.x) * zoom;
    const int64_t d = b + IconPixels(m_geometry.axisV.y) * zoom;
    const int left = ClampScreen(a);
    const int top = ClampScreen(b);
    const int right = ClampScreen(c);
    const int bottom = ClampScreen(d);
    painter.SetInvert(false);
    painter.SetPen(PenStyle::Dotted, kBlack);
    painter.MoveTo(left, top);
    painter.LineTo(right, top);
    painter.LineTo(right, bottom);
    painter.LineTo(left, bottom);
    painter.LineTo(left, top);
    painter.RestoreState(before);
}

void CPattern::DrawFrame(DisplayPainter& painter, int zoom, bool showGradient) const {
    const DisplayPainter::State before = painter.SaveState();
    painter.SetInvert(false);
    painter.SetPen(PenStyle::Dotted, kBlack);
    const ScreenPoint o = ToScreen(FramePoint(0.0f, 0.0f), zoom);
    const ScreenPoint ov = ToScreen(FramePoint(0.0f, 1.0f), zoom);
    const ScreenPoint ouv = ToScreen(FramePoint(1.0f, 1.0f), zoom);
    const ScreenPoint ou = ToScreen(FramePoint(1.0f, 0.0f), zoom);
    painter.MoveTo(o.x, o.y);
    painter.LineTo(ov.x, ov.y);
    painter.LineTo(ouv.x, ouv.y);
    painter.LineTo(ou.x, ou.y);
    painter.LineTo(o.x, o.y);

    if (m_morphMode) {
        for (const Vec2& point : m_morphGrid) {
            const ScreenPoint p = ToScreen(FramePoint(point.x, point.y), zoom);
            painter.FillRect(p.x - kMorphSquare, p.y - kMorphSquare, p.x + kMorphSquare,
                             p.y + kMorphSquare, kYellow);
        }
        painter.RestoreState(before);
        return;
    }

    if (showGradient) DrawGradientHandles(painter, zoom);
    Line(painter, m_geometry.rotationCentre, m_geometry.rotationHandle, zoom);
    ColouredCircle(painter, ToScreen(m_geometry.rotationCentre, zoom), kYellow);
    ColouredCircle(painter, ToScreen(m_geometry.rotationHandle, zoom), kGreen);
    // The frame handles go in the painter's own brush, last the left-top one.
    for (int handle = kHandleRightBottom; handle >= kHandleLeftTop; --handle) {
        Circle(painter, ToScreen(HandlePosition(handle), zoom));
    }
    painter.RestoreState(before);
}

} // namespace pictoform
