#include "QtShell.h"

#include <QDesktopServices>
#include <QImage>
#include <QImageReader>
#include <QUrl>

#include <cstring>

namespace pictoform {

bool QtShell::Open(const std::string& target) {
    return QDesktopServices::openUrl(QUrl::fromUserInput(QString::fromStdString(target)));
}

std::optional<ShellIcon> QtShell::ExtractVectorIcon(const std::string& path) const {
    QImageReader reader(QString::fromStdString(path));
    reader.setScaledSize(QSize(ShellIcon::kSide, ShellIcon::kSide));
    const QImage read = reader.read();
    if (read.isNull()) return std::nullopt;
    const QImage image = read.convertToFormat(QImage::Format_ARGB32)
                             .scaled(ShellIcon::kSide, ShellIcon::kSide, Qt::IgnoreAspectRatio,
                                     Qt::SmoothTransformation);
    ShellIcon icon;
    icon.width = icon.height = ShellIcon::kSide;
    icon.bgra.resize(static_cast<size_t>(ShellIcon::kSide) * ShellIcon::kSide * 4);
    // ARGB32 is blue, green, red, alpha in memory on a little-endian machine.
    for (int y = 0; y < ShellIcon::kSide; ++y) {
        std::memcpy(&icon.bgra[static_cast<size_t>(y) * ShellIcon::kSide * 4],
                    image.constScanLine(y), static_cast<size_t>(ShellIcon::kSide) * 4);
    }
    return icon;
}

} // namespace pictoform
