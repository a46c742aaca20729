#pragma once
// The colour pane in its two modes, all through the colour model: one colour
// (swatch, four sliders with their values, the picking palette, Erase) or the
// multi-colour strip (Reverse, the presets, "Add to presets").

#include <QWidget>
#include <array>

class QAction;
class QLineEdit;
class QListWidget;
class QSlider;
class QTabBar;
class QToolBar;
class QLabel;

namespace pictoform {

class Workspace;
class CPictoformView;
class CAdvColorDialog;
class ColourSwatch;
class StripWidget;

class ColourPanel : public QWidget {
    Q_OBJECT
public:
    ColourPanel(Workspace& workspace, CPictoformView& view, QWidget* parent);
    ~ColourPanel() override;

    [[nodiscard]] QTabBar& Tabs() { return *m_tabs; }
    [[nodiscard]] QSlider& Slider(int channel) { return *m_sliders[static_cast<size_t>(channel)]; }
    [[nodiscard]] QLineEdit& Value(int channel) { return *m_values[static_cast<size_t>(channel)]; }
    [[nodiscard]] QLineEdit& Hex() { return *m_hex; }
    [[nodiscard]] StripWidget& Strip() { return *m_strip; }
    [[nodiscard]] QListWidget& Presets() { return *m_presets; }
    [[nodiscard]] QAction& EraseAction() { return *m_erase; }
    [[nodiscard]] QAction& ReverseAction() { return *m_reverse; }
    [[nodiscard]] QAction& AddPresetAction() { return *m_addPreset; }
    [[nodiscard]] QSize sizeHint() const override { return QSize(262, 240); }
    [[nodiscard]] QSize minimumSizeHint() const override { return QSize(262, 230); }

public slots:
    void Refresh();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void Command(int id);
    void Typed(QLineEdit& field, bool accepted);
    void ShowValue(QLineEdit& field, const std::string& value);
    void Layout();
    void RefreshPresets();
    void Changed();

    CAdvColorDialog& m_colours;
    CPictoformView& m_view;
    QTabBar* m_tabs = nullptr;
    QToolBar* m_singleBar = nullptr;
    QToolBar* m_multiBar = nullptr;
    QAction* m_erase = nullptr;
    QAction* m_reverse = nullptr;
    QAction* m_addPreset = nullptr;
    ColourSwatch* m_swatch = nullptr;
    std::array<QLabel*, 4> m_labels{};
    std::array<QSlider*, 4> m_sliders{};
    std::array<QLineEdit*, 4> m_values{};
    QLineEdit* m_hex = nullptr;
    StripWidget* m_strip = nullptr;
    QListWidget* m_presets = nullptr;
};

} // namespace pictoform
