#pragma once

#include "objects/Pattern.h"

namespace pictoform {

// Pixels lifted out of a layer (or pasted), moved as a block that always
// lands on whole icon pixels. The pen plays no part.
class CCopiedPattern : public CPattern {
public:
    CCopiedPattern() = default;
    [[nodiscard]] PatternKind Kind() const override { return PatternKind::Copied; }

    // Takes the covered pixels of the rectangle (either corner order,
    // clipped to source) and frames them; unless keepSource they are cut out
    // of the source. False, with nothing changed, for an empty region.
    [[nodiscard]] bool CreateFromSelection(CLayerImage& source, int x0, int y0, int x1, int y1,
                                           bool keepSource);

    void DrawFrame(DisplayPainter& painter, int zoom, bool showGradient) const override;
    void Render(CLayerImage& target, CMultiColorPen& pen) const override;
    [[nodiscard]] int HitTestHandle(float x, float y, int zoom, bool showGradient) override;
    void DragHandle(float px, float py, float dx, float dy) override;

    // The object's own pixels, at the size of the lifted rectangle.
    [[nodiscard]] CLayerImage& Picture() { return m_picture; }
    [[nodiscard]] const CLayerImage& Picture() const { return m_picture; }

    // Where Render lays the picture: the origin snapped down to an icon pixel.
    [[nodiscard]] int SnappedX() const;
    [[nodiscard]] int SnappedY() const;

private:
    CLayerImage m_picture;
};

} // namespace pictoform
