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
    // Transparency is dropped: a picture from outside is pasted opaque.
    const QImage opaque = image.convertToFormat(QImage::Format_RGB32);
    if (!picture.Create(opaque.width(), opaque.height())) return false;
    picture.Fill(255, 255, 1);
    FromQImage(opaque, picture);
    return true;
}

} // namespace pictoform
