#include <QApplication>
#include <QFileInfo>
#include <QScreen>
#include <QStringList>

#include "MainFrame.h"
#include "QtClipboard.h"
#include "QtTextRasterizer.h"
#include "QtUiServices.h"
#include "dialogs/InstallDialogs.h"
#include "editor/PictoformView.h"
#include "editor/ProgramPaths.h"
#include "editor/Workspace.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName("Pictoform");
    QCoreApplication::setApplicationName("Pictoform");
    QCoreApplication::setApplicationVersion(PICTOFORM_VERSION);

    using namespace pictoform;
    const ProgramPaths paths(QCoreApplication::applicationDirPath().toStdString());
    QtUiServices ui;
    QtTextRasterizer text;
    QtClipboard clipboard;
    // Declared after the services it borrows, so it goes first; its history
    // folder is removed as it goes.
    Workspace workspace(ui, paths);
    workspace.SetText(&text);
    workspace.SetClipboard(&clipboard);
    // Without a history folder the user has been told; editing goes on without undo.
    (void)workspace.StartHistory();

    CPictoformView view(workspace);
    // The file named on the command line, as a full path so that the title
    // and the recent files name it wherever the program is started from.
    const QStringList arguments = QCoreApplication::arguments();
    const QString named =
        arguments.size() > 1 ? QFileInfo(arguments[1]).absoluteFilePath() : QString();
    view.InitialUpdate(named.toStdString());

    MainFrame frame(workspace, view);
    if (!view.Path().empty()) frame.RememberFile(QString::fromStdString(view.Path()));
    ui.SetParent(&frame);
    InstallDialogRunners(workspace, &frame);
    // Also the size where no window manager maximises.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        frame.setGeometry(screen->availableGeometry());
    }
    frame.showMaximized();
    frame.RefreshAll();
    return QApplication::exec();
}
