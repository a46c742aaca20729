#pragma once
// What the dialog tests share: a script that works modal windows and popup
// menus from inside their own event loops, and a main window with the real
// Qt services and dialog runners installed.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include <cstdlib>
#include <deque>
#include <functional>

#include "IconViewerDialog.h"
#include "MainFrame.h"
#include "QtUiServices.h"
#include "desktop/DesktopSupport.h"
#include "dialogs/ColourDialogs.h"
#include "dialogs/FormatDialogs.h"
#include "dialogs/InstallDialogs.h"
#include "dialogs/ObjectDialogs.h"
#include "editor/PictoformView.h"
#include "editor/ViewCommands.h"
#include "editor/Workspace.h"
#include "icon/ModuleFixtures.h"
#include "objects/CopiedPattern.h"
#include "panels/PanelSupport.h"
#include "support/TestPaths.h"
#include "support/TestSupport.h"

namespace pictoform::test {
// Each test file has its own copy: the fixture is built for these files only.
namespace {

// How long a window may take to open, or stay open unclaimed, before the
// test gives up on it and closes it: a test fails, it never hangs.
constexpr qint64 kPatienceMs = 5000;

inline void Close(QWidget& widget) {
    if (auto* dialog = qobject_cast<QDialog*>(&widget)) {
        dialog->reject();
    } else {
        widget.close();
    }
}

// Steps for the windows that a call is about to open, taken in order: each
// waits for a modal window of its title (or for a popup menu) and acts on
// it from inside the window's own event loop. The polling goes on while an
// act runs its own nested window, so one step may open the next one's.
class ModalScript {
public:
    using Act = std::function<void(QWidget&)>;

    ModalScript() {
        QObject::connect(&m_poll, &QTimer::timeout, &m_context, [this] { Poll(); });
        m_poll.start(10);
        m_since.start();
    }
    ~ModalScript() {
        for (const Step& step : m_steps)
            ADD_FAILURE() << "never opened: " << step.title.toStdString();
    }
    ModalScript(const ModalScript&) = delete;
    ModalScript& operator=(const ModalScript&) = delete;

    void Then(const QString& title, Act act) { m_steps.push_back({title, false, std::move(act)}); }
    void ThenMenu(std::function<void(QMenu&)> act) {
        m_steps.push_back({"popup menu", true, [act = std::move(act)](QWidget& widget) {
                               act(static_cast<QMenu&>(widget));
                           }});
    }
    [[nodiscard]] size_t Pending() const { return m_steps.size(); }

private:
    struct Step {
        QString title;
        bool menu = false;
        Act act;
    };

    void Poll() {
        if (m_starting) return;
        QWidget* open = QApplication::activePopupWidget();
        if (!open) open = QApplication::activeModalWidget();
        if (open != m_lastSeen) {
            m_lastSeen = open;
            m_since.restart();
        }
        const Step* next = m_steps.empty() ? nullptr : &m_steps.front();
        const bool isMenu = qobject_cast<QMenu*>(open) != nullptr;
        if (open && next && !m_handled.contains(open) && next->menu == isMenu &&
            (isMenu || open->windowTitle() == next->title)) {
            Start(*open);
        } else if ((open || next) && m_since.elapsed() > kPatienceMs) {
            const std::string waiting = next ? next->title.toStdString() : "nothing";
            if (open) {
                ADD_FAILURE() << "left open: \"" << open->windowTitle().toStdString()
                              << "\", waiting for " << waiting;
                Close(*open);
            } else {
                ADD_FAILURE() << "never opened: " << waiting;
                m_steps.pop_front();
            }
            m_since.restart();
        }
    }

    // The act runs from a timer of its own: a timer does not fire again
    // while its handler is still running, and the poll must go on meanwhile.
    void Start(QWidget& open) {
        Step step = std::move(m_steps.front());
        m_steps.pop_front();
        m_handled.append(&open);
        m_starting = true;
        QTimer::singleShot(0, &m_context, [this, step = std::move(step), widget = QPointer(&open)] {
            m_starting = false;
            if (!widget) return;
            step.act(*widget);
            if (widget && widget->isVisible()) {
                ADD_FAILURE() << step.title.toStdString() << " still open after its step";
                Close(*widget);
            }
        });
    }

    QObject m_context; // stops pending acts with the script
    QTimer m_poll;
    QElapsedTimer m_since;
    QPointer<QWidget> m_lastSeen;
    QList<QPointer<QWidget>> m_handled;
    std::deque<Step> m_steps;
    bool m_starting = false;
};

inline QPushButton& Button(QWidget& window, const QString& text) {
    for (QPushButton* button : window.findChildren<QPushButton*>()) {
        if (button->text().remove('&') == text) return *button;
    }
    ADD_FAILURE() << "no button " << text.toStdString() << " in "
                  << window.windowTitle().toStdString();
    static QPushButton none;
    return none;
}

template <typename T> T& As(QWidget& widget) {
    T* typed = qobject_cast<T*>(&widget);
    if (!typed) {
        ADD_FAILURE() << widget.windowTitle().toStdString() << " is not the expected class";
        std::abort();
    }
    return *typed;
}

// Replaces an edit's text by typing, as the user does.
inline void Type(QLineEdit& edit, const QString& text) {
    edit.selectAll();
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QTest::keyClicks(&edit, text);
}

// A menu as text: "|" a separator, "text;" a command, "text{...}" a submenu;
// "-" marks a disabled entry and "*" a checked one.
inline std::string Describe(const QMenu& menu) {
    std::string out;
    for (const QAction* action : menu.actions()) {
        if (action->isSeparator()) {
            out += "|";
            continue;
        }
        out += action->text().toStdString();
        if (!action->isEnabled()) out += "-";
        if (action->isChecked()) out += "*";
        out += action->menu() ? "{" + Describe(*action->menu()) + "}" : ";";
    }
    return out;
}

inline QAction* Entry(const QMenu& menu, const QString& text) {
    for (QAction* action : menu.actions()) {
        if (action->text() == text) return action;
    }
    ADD_FAILURE() << "no menu entry " << text.toStdString();
    return nullptr;
}

// Chooses an entry from the keyboard, as the user would; the entries
// before the last are submenus opened on the way.
inline void Choose(QMenu& menu, const QStringList& path) {
    QMenu* current = &menu;
    for (qsizetype i = 0; i < path.size(); ++i) {
        QAction* action = Entry(*current, path[i]);
        if (!action) {
            menu.close();
            return;
        }
        current->setActiveAction(action);
        if (i + 1 == path.size()) {
            QTest::keyClick(current, Qt::Key_Return);
            return;
        }
        QTest::keyClick(current, Qt::Key_Right);
        current = action->menu();
        if (!current || QApplication::activePopupWidget() != current) {
            ADD_FAILURE() << "submenu " << path[i].toStdString() << " did not open";
            menu.close();
            return;
        }
    }
}

class DialogsTest : public ::testing::Test {
protected:
    DialogsTest() {
        // Qt's own file and font dialogs, whatever the desktop would offer.
        QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs, true);
        QSettings().clear();
        paths.historyRoot = temp.File("History");
        paths.presets = temp.File("Presets");
        EXPECT_TRUE(workspace.StartHistory());
        view.InitialUpdate("");
        frame = std::make_unique<MainFrame>(workspace, view);
        ui.SetParent(frame.get());
        InstallDialogRunners(workspace, frame.get());
        frame->resize(1100, 800);
        frame->show();
        QApplication::processEvents();
    }
    ~DialogsTest() override {
        EXPECT_EQ(script.Pending(), 0u);
        QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs, false);
    }

    // A 6 x 6 picture (2 x 2 icon pixels) of (100, 200, 255).
    static CLayerImage BluePicture() {
        CLayerImage target;
        EXPECT_TRUE(target.Create(6, 6));
        target.SetBlock(0, 0, PixelColor{100, 200, 255, 255}, 6);
        return target;
    }

    void Mouse(QEvent::Type type, int iconX, int iconY, Qt::MouseButton button) {
        SendCanvasMouse(frame->Canvas(), view.Geometry(), type, iconX, iconY, button);
    }
    void Drag(int x0, int y0, int x1, int y1) {
        Mouse(QEvent::MouseButtonPress, x0, y0, Qt::LeftButton);
        Mouse(QEvent::MouseMove, x1, y1, Qt::LeftButton);
        Mouse(QEvent::MouseButtonRelease, x1, y1, Qt::LeftButton);
    }
    CPattern* Object() { return workspace.CurrentLayer()->ActiveObject(); }

    // First, so that a window opened by mistake while the rest is built is
    // closed with a failure, and last to go.
    ModalScript script;
    test::TempDir temp;
    test::TestPaths paths;
    QtUiServices ui;
    Workspace workspace{ui, paths};
    CPictoformView view{workspace};
    std::unique_ptr<MainFrame> frame;
};

} // namespace
} // namespace pictoform::test
