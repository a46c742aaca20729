#include "panels/PreviewPanel.h"

#include <QPainter>

#include "ImageConvert.h"
#include "editor/Workspace.h"
#include "panels/PanelSupport.h"

namespace pictoform {

PreviewPanel::PreviewPanel(Workspace& workspace, QWidget* parent)
    : QWidget(parent), m_workspace(workspace) {}

void PreviewPanel::paintEvent(QPaintEvent*) {
    const SameIconPaint paint = m_workspace.Preview().Paint(width(), height());
    QPainter painter(this);
    for (const PanelRect& band : paint.bands)
        painter.fillRect(ToQRect(band), ToQColor(kPreviewBand));
    if (paint.picture != nullptr && !paint.picture->IsNull()) {
        painter.drawImage(ToQRect(paint.pictureRect).topLeft(), WrapImage(*paint.picture));
    }
}

} // namespace pictoform
