#include "CanvasWidget.h"

#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include "ImageConvert.h"
#include "MenuSupport.h"
#include "editor/PictoformView.h"
#include "editor/ViewCommands.h"

namespace pictoform {

namespace {

unsigned MoveFlags(const QMouseEvent& event) {
    unsigned flags = 0;
    if (event.buttons() & Qt::LeftButton) flags |= mouse::kLeft;
    if (event.buttons() & Qt::RightButton) flags |= mouse::kRight;
    if (event.buttons() & Qt::MiddleButton) flags |= mouse::kMiddle;
    if (event.modifiers() & Qt::ShiftModifier) flags |= mouse::kShift;
    if (event.modifiers() & Qt::ControlModifier) flags |= mouse::kControl;
    return flags;
}

} // namespace

CanvasWidget::CanvasWidget(CPictoformView& view, QWidget* parent) : QWidget(parent), m_view(view) {
    setObjectName("canvas");
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    // The view's picture covers every pixel, so nothing needs clearing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(64, 64);
}

void CanvasWidget::Repaint() {
    m_view.Paint();
    update();
}

void CanvasWidget::paintEvent(QPaintEvent*) {
    const CLayerImage& screen = m_view.Screen();
    QPainter painter(this);
    if (screen.IsNull()) {
        painter.fillRect(rect(), QColor(150, 150, 150));
        return;
    }
    painter.drawImage(0, 0, WrapImage(screen));
}

void CanvasWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_view.Resize(width(), height());
    Repaint();
}

void CanvasWidget::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        m_view.Mouse().Press(at.x(), at.y());
    } else if (event->button() == Qt::RightButton) {
        const std::optional<MenuEntry> menu = m_view.Mouse().RightClick(at.x(), at.y());
        Repaint();
        if (menu) ShowObjectMenu(*menu, event->globalPosition().toPoint());
        FollowPointer(event->globalPosition().toPoint());
        return;
    } else {
        return;
    }
    Repaint();
    FollowPointer(event->globalPosition().toPoint());
    emit Edited(false);
}

void CanvasWidget::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    const unsigned flags = MoveFlags(*event);
    m_view.Mouse().Move(at.x(), at.y(), flags);
    // Without the button nothing is drawn; only the cursor and tooltip follow.
    if (flags & mouse::kLeft) {
        Repaint();
        emit Edited(false);
    }
    FollowPointer(event->globalPosition().toPoint());
}

void CanvasWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const QPoint at = event->position().toPoint();
    m_view.Mouse().Release(at.x(), at.y());
    Repaint();
    FollowPointer(event->globalPosition().toPoint());
    emit Edited(true);
}

void CanvasWidget::ShowObjectMenu(const MenuEntry& menu, const QPoint& globalPosition) {
    QMenu popup(this);
    const CViewCommands& commands = m_view.Commands();
    FillMenu(popup, menu.submenu, [&commands](const MenuEntry& entry, QMenu& into) {
        QAction* action = into.addAction(MenuText(entry.text));
        action->setData(entry.id);
        ApplyUpdate(*action, commands.Update(entry.id), MenuText(entry.text));
    });
    const QAction* chosen = popup.exec(globalPosition);
    if (chosen && chosen->data().toInt() != 0) emit CommandChosen(chosen->data().toInt());
}

void CanvasWidget::FollowPointer(const QPoint& globalPosition) {
    setCursor(m_cursors.For(m_view.Mouse().Cursor()));
    const QString tip = QString::fromStdString(m_view.Mouse().Tooltip());
    if (tip == m_tooltip) return;
    m_tooltip = tip;
    if (tip.isEmpty()) {
        QToolTip::hideText();
    } else {
        QToolTip::showText(globalPosition, tip, this);
    }
}

} // namespace pictoform
