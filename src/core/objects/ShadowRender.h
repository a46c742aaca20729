#pragma once
// Laying a floating object into a picture, with its drop shadow when the
// pen's shadow switch is on. The view's repaint and the merge both use it,
// so what the user sees while placing the object is what gets merged.

#include "colour/DropShadow.h"
#include "colour/MultiColorPen.h"
#include "image/LayerImage.h"
#include "objects/Pattern.h"

namespace pictoform {

// Renders object onto target. With the shadow on, the object is first
// rendered alone into scratch (which is cleared; it should be target's size),
// its shadow passes are laid onto target and then the object over them.
// withShadow lets a caller leave the shadow out whatever the pen says.
void RenderObject(const CPattern& object, CMultiColorPen& pen, CLayerImage& target,
                  CLayerImage& scratch, const ShadowSettings& shadow, bool withShadow = true);

} // namespace pictoform
