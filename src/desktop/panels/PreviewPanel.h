#pragma once
// The preview pane: the current format's final image at its real size,
// centred, with the bands around it in the selection colour. With more than
// one format it plays them as an animated cursor shows them.

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include "panels/AnimationPlayer.h"

class QToolButton;

namespace pictoform {

class CIconFormat;
class CPictoformView;
class Workspace;

class PreviewPanel : public QWidget {
    Q_OBJECT
public:
    PreviewPanel(Workspace& workspace, CPictoformView& view, QWidget* parent);
    ~PreviewPanel() override;
    [[nodiscard]] QSize sizeHint() const override { return QSize(140, 140); }
    [[nodiscard]] QToolButton& PlayButton() const { return *m_play; }
    [[nodiscard]] const AnimationPlayer& Player() const { return m_player; }

public slots:
    // The formats, their times or their order may have changed.
    void Refresh();
    void TogglePlay();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // Shows the player's frame and waits for the next.
    void ShowFrame();
    void Tick();
    [[nodiscard]] const CIconFormat* PlayingFrame() const;

    Workspace& m_workspace;
    CPictoformView& m_view;
    AnimationPlayer m_player;
    QToolButton* m_play = nullptr;
    QTimer m_timer;
    QElapsedTimer m_clock;
};

} // namespace pictoform
