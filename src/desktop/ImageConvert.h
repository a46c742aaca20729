#pragma once

#include <QImage>

#include "image/LayerImage.h"

namespace pictoform {

// The image's colour plane seen as a QImage without copying: the rows are
// already blue-green-red, top row first, padded to 4 bytes. The QImage is valid
// only while the image keeps its buffers; a null image gives a null QImage.
QImage WrapImage(const CLayerImage& image);
// A QImage that owns its pixels, for keeping after the image changes.
QImage ToQImage(const CLayerImage& image);
// Copies the picture's colours into the image's colour plane, recreating the
// image (white, transparent, empty) when the sizes differ. Alpha and coverage
// are left as they are.
void FromQImage(const QImage& source, CLayerImage& target);

} // namespace pictoform
