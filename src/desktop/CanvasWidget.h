#pragma once

#include <QAbstractScrollArea>
#include <QPoint>
#include <QString>

#include "Cursors.h"

class QMenu;

namespace pictoform {

class CPictoformView;
struct MenuEntry;

// The editing canvas: copies the view's screen picture to the window, hands
// the mouse to the view and scrolls the view when the canvas is larger than
// the window. It knows no rule of its own. Mouse events arrive at its
// viewport, in the viewport's coordinates.
class CanvasWidget : public QAbstractScrollArea {
    Q_OBJECT
public:
    CanvasWidget(CPictoformView& view, QWidget* parent);

    // Rebuilds the view's picture and shows it.
    void Repaint();
    // After a step of the mouse: only what it changed, when it knows.
    void RepaintStep();

signals:
    // The pictures may have changed: the panels that show them want
    // refreshing; once the button is up (finished), the command states too.
    void Edited(bool finished);
    // A command of the object menu was picked.
    void CommandChosen(int id);
    // The status bar's text for the pointer (or, off the canvas, the zoom).
    void StatusChanged(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void ShowObjectMenu(const MenuEntry& menu, const QPoint& globalPosition);
    // The cursor and tooltip the view names for where the pointer is.
    void FollowPointer(const QPoint& globalPosition);
    // The scroll bars follow the view's geometry.
    void SyncScrollBars();
    void ShowStatus(const QPoint* at);

    CPictoformView& m_view;
    CursorSet m_cursors;
    QString m_tooltip;
    bool m_syncing = false;
    // A middle-button drag: where it started and the scroll then.
    bool m_panning = false;
    QPoint m_panStart;
    QPoint m_panScroll;
    QPoint m_pointer{-1, -1};
    // Ctrl+wheel turning not yet a whole notch.
    int m_wheelAngle = 0;
};

} // namespace pictoform
