#include "objects/RectPattern.h"

#include <algorithm>
#include <cmath>

#include "colour/MultiColorPen.h"
#include "objects/GradientFill.h"

namespace pictoform {

namespace {

// The band's inset in frame units along an axis: the thickness over the
// axis's length, held to half the frame so that the band meets in the middle
// rather than folding over itself.
float Inset(int thickness, const Vec2& axis) {
    const double length = std::hypot(static_cast<double>(axis.x), static_cast<double>(axis.y));
    if (!(length > 0.0)) return thickness > 0 ? 0.5f : -0.5f;
    return static_cast<float>(std::clamp(thickness / length, -0.5, 0.5));
}

} // namespace

void CRectPattern::InitRect(int left, int top, int right, int bottom, int thickness) {
    InitFrame(left, top, right, bottom);
    m_thickness = thickness;
}

void CRectPattern::Render(CLayerImage& target, CMultiColorPen& pen) const {
    CPattern::Render(target, pen);
    if (!FrameIsFinite(*this)) return;
    const PenOutputs& out = pen.Outputs();
    const bool vertexKind = out.gradientKind == kGradientVertex;
    if (vertexKind && out.colours.empty()) return;
    const std::array<PixelColor, 4> c = CornerColours(out);
    const GradientReference ref = MakeGradientReference(*this);
    const TriangleSink fill = [&](const GradientVertex& a, const GradientVertex& b,
                                  const GradientVertex& d) {
        if (vertexKind)
            FillTriangle(target, a.point, b.point, d.point, false);
        else
            FillTrianglePen(target, a, b, d, out, ref);
    };

    const GradientVertex outer[4] = {FrameVertex(*this, 0, 0, c[0]), FrameVertex(*this, 1, 0, c[1]),
                                     FrameVertex(*this, 1, 1, c[2]),
                                     FrameVertex(*this, 0, 1, c[3])};
    if (m_thickness != 0) {
        // The vertex kind takes the same held inset; while the band fits it is
        // the outer corners moved by the thickness along U and V.
        const float iu = Inset(m_thickness, AxisU());
        const float iv = Inset(m_thickness, AxisV());
        const GradientVertex inner[4] = {
            FrameVertex(*this, iu, iv, c[0]), FrameVertex(*this, 1 - iu, iv, c[1]),
            FrameVertex(*this, 1 - iu, 1 - iv, c[2]), FrameVertex(*this, iu, 1 - iv, c[3])};
        for (int k = 0; k < 4; ++k) {
            const int next = (k + 1) % 4;
            SplitQuad(outer[k], outer[next], inner[next], inner[k], fill);
        }
    } else if (HasMorphGrid()) {
        ForEachMorphTriangle(*this, c, fill);
    } else {
        SplitQuad(outer[0], outer[1], outer[2], outer[3], fill);
    }
}

} // namespace pictoform
