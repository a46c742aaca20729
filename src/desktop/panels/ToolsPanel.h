#pragma once
// The drawing tools pane: twelve tool buttons painted as the tools model
// says, the Pencil and Eraser pop-up menus, the pen width list and the mask
// list, each enabled as the model says.

#include <QPixmap>
#include <QTimer>
#include <QWidget>
#include <array>
#include <cstdint>

class QComboBox;

namespace pictoform {

class Workspace;
class CToolDialog;
enum class ToolButton : int;

// The 32 x 32 picture of a tool; the pencil and eraser show their shape.
QPixmap ToolIcon(ToolButton button, uint16_t code);

class ToolButtonWidget : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSide = 40;
    ToolButtonWidget(CToolDialog& tools, ToolButton button, QWidget* parent);
    [[nodiscard]] QSize sizeHint() const override { return QSize(kSide, kSide); }
    [[nodiscard]] ToolButton Button() const { return m_button; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool event(QEvent* event) override;

private:
    void OpenMenu();

    CToolDialog& m_tools;
    ToolButton m_button;
    bool m_hovered = false;
    // Shows the tooltip after the tools panel's own delay, not the style's.
    QTimer m_tooltipTimer;
};

class ToolsPanel : public QWidget {
    Q_OBJECT
public:
    ToolsPanel(Workspace& workspace, QWidget* parent);
    ~ToolsPanel() override;

    [[nodiscard]] ToolButtonWidget& Button(ToolButton button);
    [[nodiscard]] QComboBox& WidthList() { return *m_widths; }
    [[nodiscard]] QComboBox& MaskList() { return *m_masks; }

public slots:
    void Refresh();

signals:
    // The current tool, its shape or a list choice changed.
    void Changed();

private:
    CToolDialog& m_tools;
    std::array<ToolButtonWidget*, 12> m_buttons{};
    QComboBox* m_widths = nullptr;
    QComboBox* m_masks = nullptr;
};

} // namespace pictoform
