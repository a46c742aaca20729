#pragma once

#include <QDialog>

#include <functional>

#include "sysicons/SysIconSet.h"

class QAction;
class QListWidget;
class QMenu;
class QPushButton;

namespace pictoform {

class Workspace;

// "Change System Icons": the shell's own desktop objects with their icons,
// replaced from an icon file or an icon of a module, and restored from the
// backup made the first time the dialog opened.
class CChangeSysIconDialog : public QDialog {
    Q_OBJECT
public:
    // The set keeps "sysiconinfo.ini" in folder. The registry, shell and ui
    // are borrowed for the dialog's life.
    CChangeSysIconDialog(const std::string& folder, Registry& registry, Shell& shell,
                         UiServices& ui, QWidget* parent);
    ~CChangeSysIconDialog() override;

    [[nodiscard]] QListWidget& List() { return *m_list; }
    [[nodiscard]] QMenu& ItemMenu() { return *m_menu; }
    [[nodiscard]] QAction& ReplaceIcoAction() { return *m_replaceIco; }
    [[nodiscard]] QAction& ReplaceDllAction() { return *m_replaceDll; }
    [[nodiscard]] QAction& RestoreAction() { return *m_restore; }
    [[nodiscard]] QPushButton& RestoreAllButton() { return *m_restoreAll; }
    [[nodiscard]] const CSysIconSet& Set() const { return m_set; }

    // Shows the item menu at a point of the list when an item is there.
    void ShowItemMenu(const QPoint& listPoint);

private:
    void ReplaceWithIconFile();
    void ReplaceWithModuleIcon();
    void RestoreSelected();
    void RestoreEverything();
    // After a replacement: why the desktop will not show it, when it will not.
    void ReportThemeError();
    // The selected rows, in list order; rows and items share their indices.
    [[nodiscard]] std::vector<size_t> SelectedRows() const;
    void Refill();

    UiServices& m_ui;
    Shell& m_shell;
    CSysIconSet m_set;
    int m_listener = 0;
    // While a command works through its items the list must not be refilled
    // under it: a refill can drop items and move the indices.
    bool m_inCommand = false;
    QListWidget* m_list = nullptr;
    QMenu* m_menu = nullptr;
    QAction* m_replaceIco = nullptr;
    QAction* m_replaceDll = nullptr;
    QAction* m_restore = nullptr;
    QPushButton* m_restoreAll = nullptr;
};

// The runner of the command that opens the dialog. The registry file and the
// shell are made on first use and kept for the program's run; the set's file
// lives beside the workspace's system icon file.
[[nodiscard]] std::function<void()> SystemIconsRunner(Workspace& workspace, QWidget* parent);

} // namespace pictoform
