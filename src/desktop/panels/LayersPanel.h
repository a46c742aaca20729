#pragma once
// The layers pane: the shown format's layers as the layers model draws them
// (visibility and active columns, thumbnail, name), clicks handed to the
// model, the opacity slider with its tooltip, and the four layer commands on
// a toolbar and the list's pop-up menu.

#include <QWidget>

class QSlider;

namespace pictoform {

class Workspace;
class CPictoformView;
class OwnerDrawnList;
enum class LayerStateIcon;

class LayersPanel : public QWidget {
    Q_OBJECT
public:
    static constexpr int kAddLayer = 32859;
    static constexpr int kDeleteLayer = 32860;
    static constexpr int kMoveUp = 32861;
    static constexpr int kMoveDown = 32862;

    LayersPanel(Workspace& workspace, CPictoformView& view, QWidget* parent);

    [[nodiscard]] OwnerDrawnList& List() { return *m_list; }
    [[nodiscard]] QSlider& Opacity() { return *m_slider; }
    // One of the four layer commands on the layers model.
    void RunCommand(int id);

public slots:
    void Refresh();

private:
    void DrawItem(QPainter& painter, int index, const QRect& rect);
    void Click(int index, int x);
    void MoveSlider(int position);
    void ShowMenu(const QPoint& globalPos);

    Workspace& m_workspace;
    CPictoformView& m_view;
    OwnerDrawnList* m_list = nullptr;
    QSlider* m_slider = nullptr;
};

} // namespace pictoform
