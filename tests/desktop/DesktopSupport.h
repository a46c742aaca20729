#pragma once
// Small helpers the desktop tests share.

#include <QApplication>
#include <QMouseEvent>

#include "CanvasWidget.h"
#include "editor/ViewGeometry.h"

namespace pictoform::test {

// A mouse event at the middle of an icon pixel of the canvas, as the view
// lays it out now.
inline void SendCanvasMouse(CanvasWidget& canvas, const ViewGeometry& g, QEvent::Type type,
                            int iconX, int iconY, Qt::MouseButton button) {
    const QPointF at(g.originX + iconX * g.zoom + g.zoom / 2,
                     g.originY + iconY * g.zoom + g.zoom / 2);
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
    QMouseEvent event(type, at, canvas.viewport()->mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(canvas.viewport(), &event);
}

} // namespace pictoform::test
