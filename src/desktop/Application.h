#pragma once
// Everything one run of the program is made of, in the order it needs: the
// data folders, the Qt services, the workspace, the document's view and the
// main window. main() makes one; the start-up benchmark makes many.

#include <QStringList>
#include <QTimer>

#include <memory>

#include "MainFrame.h"
#include "QtClipboard.h"
#include "QtPictureReader.h"
#include "QtTextRasterizer.h"
#include "QtUiServices.h"
#include "editor/PictoformView.h"
#include "editor/ProgramPaths.h"
#include "editor/Recovery.h"
#include "editor/Workspace.h"

namespace pictoform {

class Application {
public:
    // arguments as QCoreApplication::arguments() gives them: the program,
    // then an optional file to open. A QApplication must exist.
    explicit Application(const QStringList& arguments);
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;
    ~Application();

    // Shows the main window over the screen's available area.
    void Show();
    // Once the window shows: offers the work that runs which died left
    // behind, then keeps a copy of unsaved work for the next start.
    void StartRecovery();
    [[nodiscard]] MainFrame& Frame() { return *m_frame; }
    [[nodiscard]] Workspace& Space() { return m_workspace; }
    [[nodiscard]] CPictoformView& View() { return m_view; }

private:
    // Declared in the order they are made; the frame goes first and the
    // workspace (with its history folder) after everything that borrows it.
    ProgramPaths m_paths;
    QtUiServices m_ui;
    QtTextRasterizer m_text;
    QtClipboard m_clipboard;
    QtPictureReader m_pictures;
    Workspace m_workspace;
    CPictoformView m_view;
    // After the view, so that a run that ends removes its copy first.
    RecoveryStore m_recovery;
    RecoverySchedule m_schedule;
    uint64_t m_seenChanges = 0;
    QTimer m_recoveryTimer;
    std::unique_ptr<MainFrame> m_frame;
};

} // namespace pictoform
