#include "QtClipboard.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QRandomGenerator>

#include <memory>

#include "ImageConvert.h"

namespace pictoform {

QtClipboard::QtClipboard()
    : m_runToken(QString::number(QCoreApplication::applicationPid()) + "-" +
                 QString::number(QRandomGenerator::global()->generate64(), 16)) {}

void QtClipboard::PutImage(const CLayerImage& picture) {
    if (picture.IsNull()) return;
    auto data = std::make_unique<QMimeData>();
    data->setImageData(ToQImage(picture));
    m_lastMarker = (m_runToken + "-" + QString::number(++m_copies)).toUtf8();
    data->setData(kMarkerType, m_lastMarker);
    // The clipboard takes the data over.
    QGuiApplication::clipboard()->setMimeData(data.release());
}

bool QtClipboard::OwnsClipboard() const {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data && !m_lastMarker.isEmpty() && data->hasFormat(kMarkerType) &&
           data->data(kMarkerType) == m_lastMarker;
}

bool QtClipboard::TakeImage(CLayerImage& picture) {
    const QImage image = QGuiApplication::clipboard()->image();
    if (image.isNull()) return false;
    // A picture with transparency keeps it; one without is opaque.
    const bool hasAlpha = image.hasAlphaChannel();
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    if (!picture.Create(argb.width(), argb.height())) return false;
    picture.Fill(255, 0, 0);
    for (int y = 0; y < argb.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x) {
            const int alpha = hasAlpha ? qAlpha(row[x]) : 255;
            if (alpha == 0) continue;
            picture.SetBlock(
                x, y,
                PixelColor{static_cast<uint8_t>(qRed(row[x])), static_cast<uint8_t>(qGreen(row[x])),
                           static_cast<uint8_t>(qBlue(row[x])), static_cast<uint8_t>(alpha)},
                1);
        }
    }
    return true;
}

} // namespace pictoform
