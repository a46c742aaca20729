#include "ImageConvert.h"

#include <cstring>

namespace pictoform {

QImage WrapImage(const CLayerImage& image) {
    if (image.IsNull()) return {};
    return QImage(image.ColourBits(), image.Width(), image.Height(), image.Stride(),
                  QImage::Format_BGR888);
}

QImage ToQImage(const CLayerImage& image) {
    return WrapImage(image).copy();
}

void FromQImage(const QImage& source, CLayerImage& target) {
    if (source.isNull()) return;
    if (target.Width() != source.width() || target.Height() != source.height() || target.IsNull()) {
        if (!target.Create(source.width(), source.height())) return;
    }
    const QImage bgr = source.convertToFormat(QImage::Format_BGR888);
    const size_t rowBytes = static_cast<size_t>(3) * static_cast<size_t>(bgr.width());
    for (int y = 0; y < bgr.height(); ++y) {
        std::memcpy(target.ColourBits() + static_cast<size_t>(y) * target.Stride(),
                    bgr.constScanLine(y), rowBytes);
    }
}

} // namespace pictoform
