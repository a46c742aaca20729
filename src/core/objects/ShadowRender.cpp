#include "objects/ShadowRender.h"

namespace pictoform {

void RenderObject(const CPattern& object, CMultiColorPen& pen, CLayerImage& target,
                  CLayerImage& scratch, const ShadowSettings& shadow, bool withShadow) {
    if (!withShadow || !pen.ShadowEnabled()) {
        object.Render(target, pen);
        return;
    }
    scratch.Fill(255, 0, 0);
    object.Render(scratch, pen);
    LayShadow(scratch, target, shadow);
    CLayerImage::Composite(scratch, target, false, 0, 0, 1.0f);
}

} // namespace pictoform
