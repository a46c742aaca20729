#pragma once

#include <array>

#include "image/RasterPrimitives.h"
#include "objects/Pattern.h"

namespace pictoform {

class CTriPattern : public CPattern {
public:
    struct Vertex {
        float u = 0.0f;
        float v = 0.0f;
        PixelColor colour{100, 100, 100, 100};
    };

    CTriPattern() = default;
    [[nodiscard]] PatternKind Kind() const override { return PatternKind::Triangle; }

    // False, making nothing, when the three points lie on one horizontal or
    // vertical line (their box has no width or no height).
    [[nodiscard]] bool InitTriangle(const PenPoint& a, const PenPoint& b, const PenPoint& c);
    void Render(CLayerImage& target, CMultiColorPen& pen) const override;
    // A triangle's grid is its three corners (columns 0, rows 2), whatever is asked.
    void InitMorphGrid(int columns, int rows) override;

    [[nodiscard]] const std::array<Vertex, 3>& Vertices() const { return m_vertices; }

private:
    std::array<Vertex, 3> m_vertices{};
};

} // namespace pictoform
