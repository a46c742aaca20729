#include "Application.h"

#include <QApplication>
#include <QFileInfo>
#include <QScreen>
#include <QTimer>

#include "dialogs/InstallDialogs.h"

namespace pictoform {

Application::Application(const QStringList& arguments)
    : m_paths(QCoreApplication::applicationDirPath().toStdString()), m_workspace(m_ui, m_paths),
      m_view(m_workspace), m_recovery(m_paths.RecoveryDir()) {
    m_workspace.SetText(&m_text);
    m_workspace.SetClipboard(&m_clipboard);
    m_workspace.SetPictures(&m_pictures);
    // Without a history folder the user has been told; editing goes on without undo.
    (void)m_workspace.StartHistory();

    // The file named on the command line, as a full path so that the title
    // and the recent files name it wherever the program is started from.
    const QString named =
        arguments.size() > 1 ? QFileInfo(arguments[1]).absoluteFilePath() : QString();
    // A large picture or a drawing asks which sizes to make before the window exists.
    InstallDialogRunners(m_workspace, nullptr);
    m_view.InitialUpdate(named.toStdString());

    m_frame = std::make_unique<MainFrame>(m_workspace, m_view);
    if (!m_view.Path().empty()) m_frame->RememberFile(QString::fromStdString(m_view.Path()));
    m_ui.SetParent(m_frame.get());
    InstallDialogRunners(m_workspace, m_frame.get());
}

Application::~Application() {
    m_ui.SetParent(nullptr);
    m_frame.reset();
}

void Application::Show() {
    // Also the size where no window manager maximises.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        m_frame->setGeometry(screen->availableGeometry());
    }
    m_frame->showMaximized();
    m_frame->RefreshAll();
}

void Application::StartRecovery() {
    // After the window is up, so that the question has a window to belong to.
    QTimer::singleShot(0, m_frame.get(), [this] {
        if (OfferRecovery(m_recovery, m_view, m_ui)) {
            if (!m_view.Path().empty()) {
                m_frame->RememberFile(QString::fromStdString(m_view.Path()));
            }
            m_frame->RefreshAll();
        }
        m_seenChanges = m_view.ChangeCount();
        // A second is short next to the ten between copies, and a tick that
        // has nothing to do costs nothing.
        QObject::connect(&m_recoveryTimer, &QTimer::timeout, m_frame.get(), [this] {
            KeepRecoveryCopy(m_recovery, m_schedule, m_view, m_seenChanges,
                             QApplication::mouseButtons() == Qt::NoButton,
                             RecoverySchedule::Clock::now());
        });
        m_recoveryTimer.start(1000);
    });
}

} // namespace pictoform
