#include "QtTextRasterizer.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>

#include "ImageConvert.h"

namespace pictoform {

namespace {

constexpr int kTextFlags = Qt::AlignLeft | Qt::AlignTop;

QString FamilyOrFallback(const std::string& family) {
    const QString wanted = QString::fromStdString(family);
    if (!wanted.isEmpty() && QFontDatabase::families().contains(wanted, Qt::CaseInsensitive)) {
        return wanted;
    }
    return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
}

} // namespace

QFont ToQFont(const FontDescription& font) {
    QFont result(FamilyOrFallback(font.family));
    result.setPixelSize(std::max(font.pixelHeight, 1));
    result.setWeight(static_cast<QFont::Weight>(std::clamp(font.weight, 100, 900)));
    result.setItalic(font.italic);
    // The glyphs become a coverage mask of whatever is not white, so grey
    // edge pixels would only fatten them; the 3 x 3 reduction smooths instead.
    result.setStyleStrategy(QFont::NoAntialias);
    return result;
}

FontDescription FromQFont(const QFont& font) {
    FontDescription result;
    result.family = font.family().toStdString();
    if (font.pixelSize() > 0) {
        result.pixelHeight = font.pixelSize();
    } else {
        result.pixelHeight =
            std::max(1, static_cast<int>(std::lround(font.pointSizeF() * 96.0 / 72.0)));
    }
    result.weight = std::clamp(static_cast<int>(font.weight()), 100, 900);
    result.italic = font.italic();
    return result;
}

TextExtent QtTextRasterizer::Measure(const std::string& utf8Text,
                                     const FontDescription& font) const {
    const QFontMetrics metrics(ToQFont(font));
    const QRect box = metrics.boundingRect(QRect(), kTextFlags, QString::fromStdString(utf8Text));
    return {box.width(), box.height()};
}

void QtTextRasterizer::Draw(const std::string& utf8Text, const FontDescription& font,
                            CLayerImage& target) const {
    if (target.IsNull()) return;
    // Shares the colour plane, so the glyphs land in the image itself.
    QImage canvas(target.ColourBits(), target.Width(), target.Height(), target.Stride(),
                  QImage::Format_BGR888);
    QPainter painter(&canvas);
    painter.setFont(ToQFont(font));
    painter.setPen(Qt::black);
    painter.drawText(QRect(0, 0, target.Width(), target.Height()), kTextFlags,
                     QString::fromStdString(utf8Text));
}

} // namespace pictoform
