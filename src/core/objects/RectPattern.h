#pragma once

#include "objects/Pattern.h"

namespace pictoform {

// A filled rectangle, or with a thickness a rectangular frame.
class CRectPattern : public CPattern {
public:
    CRectPattern() = default;
    [[nodiscard]] PatternKind Kind() const override { return PatternKind::Rect; }

    // Thickness in canvas units; 0 fills the whole rectangle.
    void InitRect(int left, int top, int right, int bottom, int thickness);
    void Render(CLayerImage& target, CMultiColorPen& pen) const override;

    [[nodiscard]] int Thickness() const { return m_thickness; }

private:
    int m_thickness = 0;
};

} // namespace pictoform
