#pragma once
// The preview pane: the current format's final image at its real size,
// centred, with the bands around it in the selection colour.

#include <QWidget>

namespace pictoform {

class Workspace;

class PreviewPanel : public QWidget {
    Q_OBJECT
public:
    PreviewPanel(Workspace& workspace, QWidget* parent);
    [[nodiscard]] QSize sizeHint() const override { return QSize(140, 140); }

public slots:
    void Refresh() { update(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Workspace& m_workspace;
};

} // namespace pictoform
