#pragma once
// How an object's pixels take their colours from the pen: triangles whose
// pixels are coloured by their frame coordinates through the gradient, and
// the rectangle gradient's outline.

#include <array>
#include <functional>

#include "image/LayerImage.h"
#include "image/PenOutputs.h"
#include "image/RasterPrimitives.h"
#include "objects/Pattern.h"

namespace pictoform {

// A triangle corner: where it lies on the canvas (with a colour for the
// vertex kind) and the frame coordinates it carries.
struct GradientVertex {
    PenPoint point;
    float u = 0.0f;
    float v = 0.0f;
};

// The gradient start S times 255 and the vector G = E - S in frame units.
struct GradientReference {
    float startU255 = 0.0f;
    float startV255 = 0.0f;
    float gx = 0.0f;
    float gy = 0.0f;
};

[[nodiscard]] GradientReference MakeGradientReference(const CPattern& object);

// The pen's colour for frame coordinates scaled by 255 (the gradient kinds
// 2, 3 and 4; a single-colour pen gives its colour). The index of the colour
// table stays within 0 to 255 for every position of S and E.
[[nodiscard]] PixelColor GradientColour(const PenOutputs& pen, const GradientReference& ref,
                                        float u255, float v255);

void FillTrianglePen(CLayerImage& image, const GradientVertex& a, const GradientVertex& b,
                     const GradientVertex& c, const PenOutputs& pen, const GradientReference& ref);

// As FillTrianglePen, through a mask: only pixels whose mask pixel (found from
// the frame coordinates) is covered are painted; the vertex kind interpolates
// the corners' colours.
void FillTriangleMasked(CLayerImage& image, const GradientVertex& a, const GradientVertex& b,
                        const GradientVertex& c, const CLayerImage& mask, const PenOutputs& pen,
                        const GradientReference& ref);

// Shared by the shapes and masks that fill their frame or its morph grid.

// The colours the vertex kind gives the frame's corners, in the order left-top,
// right-top, right-bottom, left-bottom: colour-list entries 1, 2, 3, 4, the
// last entry repeating (all transparent when the list is empty).
[[nodiscard]] std::array<PixelColor, 4> CornerColours(const PenOutputs& pen);

// The frame point (u, v) as a triangle corner that carries (u, v).
[[nodiscard]] GradientVertex FrameVertex(const CPattern& object, float u, float v,
                                         const PixelColor& colour);

// Whether origin, U and V are all finite; a frame that is not draws nothing.
[[nodiscard]] bool FrameIsFinite(const CPattern& object);

using TriangleSink =
    std::function<void(const GradientVertex&, const GradientVertex&, const GradientVertex&)>;

// The quad p0 p1 p2 p3 (in order round it) as two triangles split along p0-p2.
void SplitQuad(const GradientVertex& p0, const GradientVertex& p1, const GradientVertex& p2,
               const GradientVertex& p3, const TriangleSink& triangle);

// Two triangles per morph-grid cell, the grid points placed through the frame,
// each carrying its undeformed grid position and the corner colours mixed
// bilinearly there. Nothing without a grid.
void ForEachMorphTriangle(const CPattern& object, const std::array<PixelColor, 4>& corners,
                          const TriangleSink& triangle);

// Rebuilds the pen's rectangle outline from the object's gradient points when
// the pen is in multi-colour mode with the rectangle kind; otherwise nothing.
void PrepareRectangleGradient(const CPattern& object, CMultiColorPen& pen);

} // namespace pictoform
