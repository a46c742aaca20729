#include "CanvasWidget.h"

#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>
#include <QWheelEvent>

#include "ImageConvert.h"
#include "MenuSupport.h"
#include "editor/PictoformView.h"
#include "editor/ViewCommands.h"
#include "editor/ViewMouse.h"

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

// One notch of a wheel, in the units Qt reports.
constexpr int kNotch = 120;

} // namespace

CanvasWidget::CanvasWidget(CPictoformView& view, QWidget* parent)
    : QAbstractScrollArea(parent), m_view(view) {
    setObjectName("canvas");
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setObjectName("canvasViewport");
    viewport()->setMouseTracking(true);
    // The view's picture covers every pixel, so nothing needs clearing first.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(64, 64);
}

void CanvasWidget::Repaint() {
    m_view.Paint();
    SyncScrollBars();
    viewport()->update();
    ShowStatus(m_pointer.x() >= 0 ? &m_pointer : nullptr);
}

void CanvasWidget::RepaintStep() {
    // A stroke's step redraws only the part of the window it changed.
    m_view.PaintStep();
    const PixelRect& updated = m_view.Updated();
    viewport()->update(
        QRect(updated.x0, updated.y0, updated.x1 - updated.x0, updated.y1 - updated.y0));
    ShowStatus(m_pointer.x() >= 0 ? &m_pointer : nullptr);
}

void CanvasWidget::SyncScrollBars() {
    const ViewGeometry& g = m_view.Geometry();
    m_syncing = true;
    for (auto [bar, most, at, page] :
         {std::tuple{horizontalScrollBar(), g.maxScrollX, g.scrollX, viewport()->width()},
          std::tuple{verticalScrollBar(), g.maxScrollY, g.scrollY, viewport()->height()}}) {
        bar->setRange(0, most);
        bar->setPageStep(page);
        bar->setSingleStep(std::max(g.zoom, 8));
        bar->setValue(at);
    }
    m_syncing = false;
}

void CanvasWidget::scrollContentsBy(int, int) {
    if (m_syncing) return;
    m_view.ScrollTo(horizontalScrollBar()->value(), verticalScrollBar()->value());
    Repaint();
}

void CanvasWidget::paintEvent(QPaintEvent* event) {
    const CLayerImage& screen = m_view.Screen();
    QPainter painter(viewport());
    if (screen.IsNull()) {
        painter.fillRect(viewport()->rect(), QColor(150, 150, 150));
        return;
    }
    // Only the part asked for: a stroke's step updates a few blocks.
    const QRect part = event->rect();
    painter.drawImage(part, WrapImage(screen), part);
}

void CanvasWidget::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    m_view.Resize(viewport()->width(), viewport()->height());
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
    } else if (event->button() == Qt::MiddleButton) {
        // The middle button drags the canvas under the window.
        m_panning = true;
        m_panStart = at;
        m_panScroll = {m_view.Geometry().scrollX, m_view.Geometry().scrollY};
        viewport()->setCursor(Qt::ClosedHandCursor);
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
    m_pointer = at;
    if (m_panning) {
        const QPoint to = m_panScroll - (at - m_panStart);
        m_view.ScrollTo(to.x(), to.y());
        Repaint();
        return;
    }
    const unsigned flags = MoveFlags(*event);
    m_view.Mouse().Move(at.x(), at.y(), flags);
    // Without the button nothing is drawn; only the cursor and tooltip follow.
    if (flags & mouse::kLeft) {
        RepaintStep();
        emit Edited(false);
    } else {
        ShowStatus(&m_pointer);
    }
    FollowPointer(event->globalPosition().toPoint());
}

void CanvasWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::MiddleButton && m_panning) {
        m_panning = false;
        FollowPointer(event->globalPosition().toPoint());
        return;
    }
    if (event->button() != Qt::LeftButton) return;
    const QPoint at = event->position().toPoint();
    m_view.Mouse().Release(at.x(), at.y());
    RepaintStep();
    FollowPointer(event->globalPosition().toPoint());
    emit Edited(true);
}

void CanvasWidget::wheelEvent(QWheelEvent* event) {
    const QPoint delta = event->angleDelta();
    if (event->modifiers() & Qt::ControlModifier) {
        // Ctrl+wheel zooms about the pointer, a zoom step per notch; fine
        // wheels and touchpads send parts of a notch, which add up.
        m_wheelAngle += delta.y();
        const int notches = m_wheelAngle / kNotch;
        m_wheelAngle -= notches * kNotch;
        event->accept();
        if (notches == 0) return;
        int zoom = m_view.Geometry().zoom;
        for (int i = 0; i < std::abs(notches); ++i) {
            zoom = notches > 0 ? ViewGeometry::NextZoomIn(zoom) : ViewGeometry::NextZoomOut(zoom);
        }
        const QPoint at = event->position().toPoint();
        m_view.ZoomAbout(zoom, at.x(), at.y());
        Repaint();
        return;
    }
    if ((event->modifiers() & Qt::ShiftModifier) && delta.x() == 0) {
        // Shift turns the vertical wheel sideways.
        QScrollBar* bar = horizontalScrollBar();
        bar->setValue(bar->value() - delta.y() * 3 * bar->singleStep() / kNotch);
        event->accept();
        return;
    }
    QAbstractScrollArea::wheelEvent(event);
}

void CanvasWidget::leaveEvent(QEvent* event) {
    QAbstractScrollArea::leaveEvent(event);
    m_pointer = {-1, -1};
    ShowStatus(nullptr);
}

void CanvasWidget::ShowStatus(const QPoint* at) {
    std::optional<CPictoformView::HotSpotPoint> pointer;
    if (at) pointer = CPictoformView::HotSpotPoint{at->x(), at->y()};
    emit StatusChanged(QString::fromStdString(m_view.StatusText(pointer)));
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
    viewport()->setCursor(m_cursors.For(m_view.Mouse().Cursor()));
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
