#pragma once

#include <QString>
#include <QWidget>

#include "Cursors.h"

class QMenu;

namespace pictoform {

class CPictoformView;
struct MenuEntry;

// The editing canvas: copies the view's screen picture to the window and
// hands the mouse to the view. It knows no rule of its own.
class CanvasWidget : public QWidget {
    Q_OBJECT
public:
    CanvasWidget(CPictoformView& view, QWidget* parent);

    // Rebuilds the view's picture and shows it.
    void Repaint();

signals:
    // The pictures may have changed: the panels that show them want
    // refreshing; once the button is up (finished), the command states too.
    void Edited(bool finished);
    // A command of the object menu was picked.
    void CommandChosen(int id);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void ShowObjectMenu(const MenuEntry& menu, const QPoint& globalPosition);
    // The cursor and tooltip the view names for where the pointer is.
    void FollowPointer(const QPoint& globalPosition);

    CPictoformView& m_view;
    CursorSet m_cursors;
    QString m_tooltip;
};

} // namespace pictoform
