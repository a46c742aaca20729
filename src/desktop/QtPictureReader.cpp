#include "QtPictureReader.h"

#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QSvgRenderer>

#include <algorithm>
#include <cstring>
#include <new>

#include "editor/PictureImport.h"

namespace pictoform {

namespace {

bool IsDrawing(const std::string& path) {
    const QString suffix = QFileInfo(QString::fromStdString(path)).suffix().toLower();
    return suffix == "svg" || suffix == "svgz";
}

// Qt's straight-alpha ARGB words are blue, green, red, alpha in memory on
// the little-endian machines this runs on; copied row by row for the stride.
BgraPicture FromImage(const QImage& image) {
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    BgraPicture out;
    out.width = argb.width();
    out.height = argb.height();
    const size_t row = static_cast<size_t>(out.width) * 4;
    out.bgra.resize(row * static_cast<size_t>(out.height));
    for (int y = 0; y < out.height; ++y) {
        std::memcpy(out.bgra.data() + row * static_cast<size_t>(y), argb.constScanLine(y), row);
    }
    return out;
}

} // namespace

std::vector<std::string> QtPictureReader::Extensions() const {
    std::vector<std::string> kinds;
    for (const QByteArray& format : QImageReader::supportedImageFormats()) {
        kinds.push_back(format.toLower().toStdString());
    }
    for (const char* drawing : {"svg", "svgz"}) {
        if (std::find(kinds.begin(), kinds.end(), drawing) == kinds.end()) kinds.push_back(drawing);
    }
    return kinds;
}

bool QtPictureReader::Probe(const std::string& path, PictureInfo& info, std::string& reason) {
    const QString name = QString::fromStdString(path);
    if (IsDrawing(path)) {
        QSvgRenderer drawing(name);
        if (!drawing.isValid()) {
            reason = "it is not a drawing that can be read (damaged or not SVG)";
            return false;
        }
        // A drawing without a size of its own still has the shape of its view box.
        QSizeF size = drawing.defaultSize();
        if (size.isEmpty()) size = drawing.viewBoxF().size();
        if (size.isEmpty()) size = QSizeF(256, 256);
        info = {std::max(qRound(size.width()), 1), std::max(qRound(size.height()), 1), true};
        return true;
    }
    QImageReader reader(name);
    const QSize size = reader.size();
    if (!reader.canRead() || !size.isValid()) {
        reason = reader.errorString().toStdString();
        if (reason.empty()) reason = "it is not a picture that can be read";
        return false;
    }
    info = {size.width(), size.height(), false};
    return true;
}

bool QtPictureReader::Read(const std::string& path, int width, int height, BgraPicture& out,
                           std::string& reason) {
    const QString name = QString::fromStdString(path);
    if (IsDrawing(path)) {
        QSvgRenderer drawing(name);
        if (!drawing.isValid() || width < 1 || height < 1) {
            reason = "it is not a drawing that can be read (damaged or not SVG)";
            return false;
        }
        QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
        if (image.isNull()) {
            reason = "there is not enough memory to draw it at " + std::to_string(width) + " x " +
                     std::to_string(height);
            return false;
        }
        image.fill(Qt::transparent);
        QPainter painter(&image);
        drawing.render(&painter);
        painter.end();
        out = FromImage(image);
        return true;
    }
    QImageReader reader(name);
    // Room for the largest picture the core takes, and no more, whatever the header said.
    reader.setAllocationLimit(static_cast<int>(kMaxPicturePixels * 4 / (1024 * 1024) + 1));
    try {
        const QImage image = reader.read();
        if (image.isNull()) {
            reason =
                "the file is damaged or incomplete (" + reader.errorString().toStdString() + ")";
            return false;
        }
        out = FromImage(image);
    } catch (const std::bad_alloc&) {
        out = {};
        reason = "there is not enough memory to read it";
        return false;
    }
    return true;
}

} // namespace pictoform
