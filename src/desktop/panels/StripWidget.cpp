#include "panels/StripWidget.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "ImageConvert.h"
#include "colour/ColorStrip.h"
#include "panels/PanelSupport.h"

namespace pictoform {

StripWidget::StripWidget(CColorStripModel& strip, QWidget* parent)
    : QWidget(parent), m_strip(strip) {
    setFixedHeight(kHeight);
    setFocusPolicy(Qt::StrongFocus);
}

void StripWidget::Changed(bool repaint) {
    if (!repaint) return;
    update();
    if (m_edited) m_edited();
}

void StripWidget::resizeEvent(QResizeEvent*) {
    m_strip.Resize(width(), height());
}

void StripWidget::paintEvent(QPaintEvent*) {
    m_strip.SetBackground(ToPixelColor(palette().color(QPalette::Window)));
    const CLayerImage& picture = m_strip.Picture();
    if (picture.IsNull()) return;
    QPainter painter(this);
    painter.drawImage(0, 0, WrapImage(picture));
}

void StripWidget::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    if (event->button() != Qt::LeftButton) return;
    const QPoint at = event->position().toPoint();
    Changed(m_strip.Press(at.x(), at.y()));
}

void StripWidget::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    const bool leftAlone =
        event->buttons() == Qt::LeftButton && event->modifiers() == Qt::NoModifier;
    Changed(m_strip.Move(at.x(), at.y(), leftAlone));
}

void StripWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) Changed(m_strip.Release());
}

void StripWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) Changed(m_strip.DoubleClick());
}

bool StripWidget::event(QEvent* event) {
    // Delete belongs to the strip while it has the focus: the window's Delete
    // (Remove) would otherwise take it and remove the object on the canvas.
    if (event->type() == QEvent::ShortcutOverride &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        event->accept();
        return true;
    }
    return QWidget::event(event);
}

void StripWidget::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Delete)
        Changed(m_strip.DeleteKey());
    else
        QWidget::keyPressEvent(event);
}

} // namespace pictoform
