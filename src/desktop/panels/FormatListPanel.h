#pragma once
// The format list pane: one item per format of the icon, drawn as the format
// list's model says, its selection the current format, and the five format
// commands on a small toolbar and the list's pop-up menu.

#include <QWidget>

namespace pictoform {

class Workspace;
class CPictoformView;
class OwnerDrawnList;

class FormatListPanel : public QWidget {
    Q_OBJECT
public:
    static constexpr int kItemHeight = 80;

    FormatListPanel(Workspace& workspace, CPictoformView& view, QWidget* parent);

    [[nodiscard]] OwnerDrawnList& List() { return *m_list; }
    // A format command through the view, then the list and the view repainted.
    void RunCommand(int id);

public slots:
    void Refresh();

private:
    void DrawItem(QPainter& painter, int index, const QRect& rect);
    void Select(int index);
    void ShowMenu(const QPoint& globalPos);

    Workspace& m_workspace;
    CPictoformView& m_view;
    OwnerDrawnList* m_list = nullptr;
};

} // namespace pictoform
