#include "panels/SameIconDialog.h"

#include <algorithm>

namespace pictoform {

SameIconPaint CSameIconDialog::Paint(int clientWidth, int clientHeight) const {
    SameIconPaint paint;
    const CIconFormat* shown = Shown();
    if (!shown || shown->Final().IsNull()) return paint;
    const CLayerImage& picture = shown->Final();
    paint.picture = &picture;
    const int left = (clientWidth - picture.Width()) / 2;
    const int top = (clientHeight - picture.Height()) / 2;
    paint.pictureRect = {left, top, left + picture.Width(), top + picture.Height()};

    // A picture larger than the client leaves no band on that side.
    const int innerLeft = std::clamp(left, 0, clientWidth);
    const int innerRight = std::clamp(paint.pictureRect.right, innerLeft, clientWidth);
    const int innerTop = std::clamp(top, 0, clientHeight);
    const int innerBottom = std::clamp(paint.pictureRect.bottom, innerTop, clientHeight);
    const PanelRect bands[] = {
        {0, 0, clientWidth, innerTop},
        {0, innerBottom, clientWidth, clientHeight},
        {0, innerTop, innerLeft, innerBottom},
        {innerRight, innerTop, clientWidth, innerBottom},
    };
    for (const PanelRect& band : bands) {
        if (!band.IsEmpty()) paint.bands.push_back(band);
    }
    return paint;
}

} // namespace pictoform
