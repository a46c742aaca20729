#pragma once

#include <QIcon>
#include <QMainWindow>
#include <QStringList>

#include <map>
#include <memory>
#include <optional>
#include <vector>

class QDockWidget;
class QLabel;
class QMimeData;
class QMenu;
class QToolBar;

namespace pictoform {

class CPictoformView;
class CanvasWidget;
class ColourPanel;
class FormatListPanel;
class LayersPanel;
class PreviewPanel;
class ToolsPanel;
class Workspace;

// The program's icon at the sizes it ships in, for every window of it.
[[nodiscard]] QIcon ProgramIcon();

// How the toolbar looks, as the user customised it.
struct BarSettings {
    std::vector<int> hiddenCommands;
    int iconSize = 24;
    bool textUnderIcons = false;
};

// The customisation dialog of the toolbar: which buttons (id and name) show,
// the icon size and text under the icons. The new settings after OK.
std::optional<BarSettings> RunCustomizeDialog(QWidget* parent,
                                              const std::vector<std::pair<int, QString>>& buttons,
                                              const BarSettings& current);

// The main window: menus, the toolbar, the canvas in the middle and the five
// panes around it. Every command goes through RunCommand.
class MainFrame : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kRecentFileCount = 4;
    // Commands of the shell that no menu shows but keys reach.
    static constexpr int kHelp = 57670;
    static constexpr int kContextHelp = 57669;
    static constexpr int kNextPane = 57680;
    static constexpr int kPreviousPane = 57681;

    MainFrame(Workspace& workspace, CPictoformView& view);
    ~MainFrame() override;

    // The action a menu or key runs for a command id; null for an unknown id.
    [[nodiscard]] QAction* Action(int id) const;
    // Pane 1 to 5: tools, colour, layers, format list, preview.
    [[nodiscard]] QDockWidget* Pane(int pane) const;
    [[nodiscard]] PreviewPanel& Preview() const { return *m_preview; }
    [[nodiscard]] CanvasWidget& Canvas() const { return *m_canvas; }
    [[nodiscard]] QToolBar& ToolBar() const { return *m_toolBar; }
    [[nodiscard]] QStringList RecentFiles() const;

    // Adds a file at the top of the recent files (at most four, no repeats).
    void RememberFile(const QString& path);
    [[nodiscard]] const BarSettings& Bars() const { return m_bars; }
    void ApplyBars(const BarSettings& bars);

    // The user guide's index.html for a program in executableDir; empty when missing.
    [[nodiscard]] static QString FindUserGuide(const QString& executableDir);

public slots:
    void RunCommand(int id);
    // After anything that may have changed the icon: the canvas, the panels,
    // the title and the toolbar's states.
    void RefreshAll();
    // Enabling, checks and texts of the toolbar from the core.
    void RefreshActions();

protected:
    void closeEvent(QCloseEvent* event) override;
    // Files dropped on the window open as File > Open would open them.
    void dragEnterEvent(QDragEnterEvent* event) override;
    // The first dropped file the program can open, or "".
    [[nodiscard]] QString DroppedFile(const QMimeData* data);
    void dropEvent(QDropEvent* event) override;

private:
    void BuildMenus();
    void BuildToolBar();
    void BuildPanes();
    void BuildShortcuts();
    QAction* CommandAction(int id, const QString& text);
    void RefreshMenu(QMenu& menu);
    void RefreshRecentFiles();
    void OpenRecentFile(int index);
    void CyclePane(bool forward);
    void ShowAbout();
    void OpenHelp();
    void RefreshTitle();
    void Customize();
    void SaveSettings();
    void RestoreSettings();

    Workspace& m_workspace;
    CPictoformView& m_view;
    std::unique_ptr<CanvasWidget> m_canvas;
    // The zoom and what is under the pointer; owned by the status bar.
    QLabel* m_status = nullptr;
    // Panes before the panels they hold, so that the panels go first.
    std::vector<std::unique_ptr<QDockWidget>> m_panes;
    std::unique_ptr<ToolsPanel> m_tools;
    std::unique_ptr<ColourPanel> m_colour;
    std::unique_ptr<LayersPanel> m_layers;
    std::unique_ptr<FormatListPanel> m_formats;
    std::unique_ptr<PreviewPanel> m_preview;
    QToolBar* m_toolBar = nullptr;         // owned by the window
    std::map<int, QAction*> m_actions;     // menu actions, owned by their menus or the window
    std::map<int, QAction*> m_toolActions; // the toolbar's own, so buttons hide on their own
    std::map<int, QString> m_ownTexts;
    std::vector<QAction*> m_recentActions;
    QAction* m_noRecentFile = nullptr;
    BarSettings m_bars;
};

} // namespace pictoform
