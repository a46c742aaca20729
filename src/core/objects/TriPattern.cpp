#include "objects/TriPattern.h"

#include <algorithm>
#include <cmath>

#include "colour/MultiColorPen.h"
#include "objects/GradientFill.h"

namespace pictoform {

bool CTriPattern::InitTriangle(const PenPoint& a, const PenPoint& b, const PenPoint& c) {
    const PenPoint* points[3] = {&a, &b, &c};
    for (const PenPoint* p : points)
        if (!std::isfinite(p->x) || !std::isfinite(p->y)) return false;
    const double minX = std::min({a.x, b.x, c.x}), maxX = std::max({a.x, b.x, c.x});
    const double minY = std::min({a.y, b.y, c.y}), maxY = std::max({a.y, b.y, c.y});
    const double width = maxX - minX, height = maxY - minY;
    if (width == 0.0 || height == 0.0) return false;
    InitFrame(SaturatingInt(minX), SaturatingInt(minY), SaturatingInt(maxX), SaturatingInt(maxY));
    for (size_t k = 0; k < 3; ++k) {
        m_vertices[k].u = static_cast<float>((points[k]->x - minX) / width);
        m_vertices[k].v = static_cast<float>((points[k]->y - minY) / height);
        m_vertices[k].colour = points[k]->colour;
    }
    return true;
}

void CTriPattern::InitMorphGrid(int /*columns*/, int /*rows*/) {
    if (HasMorphGrid()) return;
    std::vector<Vec2> points;
    for (const Vertex& v : m_vertices) points.push_back({v.u, v.v});
    SetMorphGrid(0, 2, std::move(points));
}

void CTriPattern::Render(CLayerImage& target, CMultiColorPen& pen) const {
    CPattern::Render(target, pen);
    if (!FrameIsFinite(*this)) return;
    const PenOutputs& out = pen.Outputs();
    const bool vertexKind = out.gradientKind == kGradientVertex;
    if (vertexKind && out.colours.empty()) return;
    // Once morphed, the grid's three points are the corners.
    const bool morphed = MorphGrid().size() == 3;
    std::array<GradientVertex, 3> corner;
    for (size_t k = 0; k < 3; ++k) {
        const Vec2 uv = morphed ? MorphGrid()[k] : Vec2{m_vertices[k].u, m_vertices[k].v};
        const PixelColor colour =
            out.colours.empty() ? PixelColor{} : out.colours[std::min(k, out.colours.size() - 1)];
        corner[k] = FrameVertex(*this, uv.x, uv.y, colour);
    }
    if (vertexKind)
        FillTriangle(target, corner[0].point, corner[1].point, corner[2].point, false);
    else
        FillTrianglePen(target, corner[0], corner[1], corner[2], out, MakeGradientReference(*this));
}

} // namespace pictoform
