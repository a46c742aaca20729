#include "objects/Pattern.h"

#include <cmath>

#include "colour/MultiColorPen.h"
#include "objects/GradientFill.h"

namespace pictoform {

namespace {

float Dot(Vec2 a, Vec2 b) {
    return a.x * b.x + a.y * b.y;
}

// Whether d projected on the axis lies within its length. A zero axis lets
// every point through, so a flat frame is judged by its other axis alone.
bool WithinAxis(Vec2 axis, Vec2 d) {
    const float length = std::sqrt(Dot(axis, axis));
    const Vec2 unit = length > 0.0f ? Vec2{axis.x / length, axis.y / length} : axis;
    const float along = Dot(unit, d);
    return along >= 0.0f && along <= length;
}

} // namespace

void CPattern::InitFrame(int left, int top, int right, int bottom) {
    PatternGeometry& g = m_geometry;
    const float l = static_cast<float>(left);
    const float t = static_cast<float>(top);
    const float r = static_cast<float>(right);
    const float b = static_cast<float>(bottom);
    g.origin = {l, t};
    g.axisU = {r - l, 0.0f};
    g.axisV = {0.0f, b - t};
    g.rotationCentre = {(l + r) * 0.5f, (t + b) * 0.5f};
    // A short frame keeps its rotation handle 10 units below the centre so
    // that it never sits on the centre.
    const float handleY =
        std::fabs(b - t) * 0.25f <= 10.0f ? g.rotationCentre.y + 10.0f : b * 0.75f + t * 0.25f;
    g.rotationHandle = {g.rotationCentre.x, handleY};
    g.gradientStart = {0.3f, 0.2f};
    g.gradientEnd = {0.8f, 0.7f};
}

std::string CPattern::HandleName(int index) {
    switch (index) {
    case kHandleLeftTop:
        return "left top";
    case kHandleLeftCenter:
        return "left center";
    case kHandleLeftBottom:
        return "left bottom";
    case kHandleCenterTop:
        return "center top";
    case kHandleCenterBottom:
        return "center bottom";
    case kHandleRightTop:
        return "right top";
    case kHandleRightCenter:
        return "right center";
    case kHandleRightBottom:
        return "right bottom";
    case kHandleMove:
        return "move object";
    case kHandleRotationCentre:
        return "rotation reference";
    case kHandleRotate:
        return "rotate object";
    case kHandleGradientStart:
        return "gradient start";
    case kHandleGradientEnd:
        return "gradient end";
    default:
        return {};
    }
}

Vec2 CPattern::FramePoint(float u, float v) const {
    const PatternGeometry& g = m_geometry;
    return {g.origin.x + u * g.axisU.x + v * g.axisV.x, g.origin.y + u * g.axisU.y + v * g.axisV.y};
}

void CPattern::Move(float dx, float dy) {
    for (Vec2* p : {&m_geometry.origin, &m_geometry.rotationCentre, &m_geometry.rotationHandle}) {
        p->x += dx;
        p->y += dy;
    }
}

void CPattern::Rotate(float cx, float cy, float angle) {
    const float s = std::sin(angle);
    const float c = std::cos(angle);
    PatternGeometry& g = m_geometry;
    const float dx = g.origin.x - cx;
    const float dy = g.origin.y - cy;
    g.origin = {cx + dx * c + dy * s, cy - dx * s + dy * c};
    for (Vec2* axis : {&g.axisU, &g.axisV}) {
        *axis = {axis->x * c + axis->y * s, axis->y * c - axis->x * s};
    }
    g.angle -= angle;
}

bool CPattern::Contains(float x, float y) const {
    const Vec2 d{x - m_geometry.origin.x, y - m_geometry.origin.y};
    return WithinAxis(m_geometry.axisU, d) && WithinAxis(m_geometry.axisV, d);
}

void CPattern::Render(CLayerImage& /*target*/, CMultiColorPen& pen) const {
    PrepareRectangleGradient(*this, pen);
}

void CPattern::InitMorphGrid(int columns, int rows) {
    // The dialog asks for a few cells; anything else would divide by zero
    // or ask for a grid no frame could show.
    if (HasMorphGrid() || columns <= 0 || rows <= 0 || columns > kMaxMorphCells ||
        rows > kMaxMorphCells) {
        return;
    }
    std::vector<Vec2> points;
    points.reserve(static_cast<size_t>(columns + 1) * static_cast<size_t>(rows + 1));
    for (int j = 0; j <= rows; ++j) {
        for (int i = 0; i <= columns; ++i) {
            points.push_back({static_cast<float>(i) / static_cast<float>(columns),
                              static_cast<float>(j) / static_cast<float>(rows)});
        }
    }
    SetMorphGrid(columns, rows, std::move(points));
}

// HitTestHandle, DragHandle, DrawFrame, HandlePosition and the protected
// frame helpers follow in PatternHandles.cpp.

} // namespace pictoform
