// The modal dialogs, message boxes and menus run as the program runs them:
// each is opened by its Run... function, a QtUiServices method or a command,
// filled in while its exec() loop runs, and closed; then the answer that came
// back and what the models hold are checked.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
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

#include "CanvasWidget.h"
#include "IconViewerDialog.h"
#include "MainFrame.h"
#include "QtUiServices.h"
#include "dialogs/ColourDialogs.h"
#include "dialogs/FormatDialogs.h"
#include "dialogs/InstallDialogs.h"
#include "dialogs/ObjectDialogs.h"
#include "editor/MenuModel.h"
#include "editor/PictoformView.h"
#include "editor/ViewCommands.h"
#include "editor/Workspace.h"
#include "icon/ModuleFixtures.h"
#include "objects/CopiedPattern.h"
#include "panels/PanelSupport.h"
#include "support/TestPaths.h"
#include "support/TestSupport.h"

namespace pictoform {
namespace {

// How long a window may take to open, or stay open unclaimed, before the
// test gives up on it and closes it: a test fails, it never hangs.
constexpr qint64 kPatienceMs = 5000;

void Close(QWidget& widget) {
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
        m_poll.setInterval(10);
        QObject::connect(&m_poll, &QTimer::timeout, &m_context, [this] { Poll(); });
        m_poll.start();
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
        if (!open) {
            if (!m_steps.empty() && m_since.elapsed() > kPatienceMs) {
                ADD_FAILURE() << "never opened: " << m_steps.front().title.toStdString();
                m_steps.pop_front();
                m_since.restart();
            }
            return;
        }
        const bool handled = m_handled.contains(open);
        if (!handled && !m_steps.empty()) {
            const bool isMenu = qobject_cast<QMenu*>(open) != nullptr;
            const Step& next = m_steps.front();
            if (next.menu == isMenu && (isMenu || open->windowTitle() == next.title)) {
                Start(*open);
                return;
            }
        }
        if (m_since.elapsed() > kPatienceMs) {
            ADD_FAILURE() << "left open: \"" << open->windowTitle().toStdString() << "\""
                          << (m_steps.empty()
                                  ? std::string()
                                  : ", waiting for " + m_steps.front().title.toStdString());
            Close(*open);
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

QString WithoutMnemonic(QString text) {
    return text.remove('&');
}

QPushButton& Button(QWidget& window, const QString& text) {
    for (QPushButton* button : window.findChildren<QPushButton*>()) {
        if (WithoutMnemonic(button->text()) == text) return *button;
    }
    ADD_FAILURE() << "no button " << text.toStdString() << " in "
                  << window.windowTitle().toStdString();
    static QPushButton none;
    return none;
}

QStringList Labels(QWidget& window) {
    QStringList texts;
    for (const QLabel* label : window.findChildren<QLabel*>()) {
        if (!label->text().isEmpty()) texts << label->text();
    }
    return texts;
}

QStringList Items(const QComboBox& combo) {
    QStringList items;
    for (int i = 0; i < combo.count(); ++i) items << combo.itemText(i);
    return items;
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
void Type(QLineEdit& edit, const QString& text) {
    edit.selectAll();
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QTest::keyClicks(&edit, text);
}

// A menu as text: "|" a separator, "text;" a command, "text{...}" a submenu;
// "-" marks a disabled entry and "*" a checked one.
std::string Describe(const QMenu& menu) {
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

QAction* Entry(const QMenu& menu, const QString& text) {
    for (QAction* action : menu.actions()) {
        if (action->text() == text) return action;
    }
    ADD_FAILURE() << "no menu entry " << text.toStdString();
    return nullptr;
}

// Chooses an entry from the keyboard, as the user would; the entries
// before the last are submenus opened on the way.
void Choose(QMenu& menu, const QStringList& path) {
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
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < 2; ++x) target.SetBlock(x, y, PixelColor{100, 200, 255, 255}, 3);
        }
        return target;
    }

    // A mouse event at the middle of an icon pixel of the canvas.
    void Mouse(QEvent::Type type, int iconX, int iconY, Qt::MouseButton button) {
        const ViewGeometry& g = view.Geometry();
        const QPointF at(g.originX + iconX * g.zoom + g.zoom / 2,
                         g.originY + iconY * g.zoom + g.zoom / 2);
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
        QMouseEvent event(type, at, frame->Canvas().mapToGlobal(at), button, held, Qt::NoModifier);
        QApplication::sendEvent(&frame->Canvas(), &event);
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

TEST_F(DialogsTest, NewFormatTakesAListSizeACustomSizeAndADepth) {
    CPreviewDialog& formats = workspace.FormatList();
    ASSERT_EQ(formats.Count(), 1);
    script.Then("New Format", [](QWidget& window) {
        auto& dialog = As<NewFormatDialog>(window);
        EXPECT_EQ(Labels(window), QStringList({"Select Resolution", "Select Colorbit"}));
        EXPECT_EQ(Items(dialog.Sizes()),
                  QStringList({"16 X 16", "24 X 24", "32 X 32", "48 X 48", "64 X 64", "72 X 72",
                               "96 X 96", "128 X 128", "Custom(32 X 32)"}));
        EXPECT_EQ(dialog.Sizes().currentText(), "32 X 32");
        EXPECT_EQ(Items(dialog.Depths()),
                  QStringList({"Monochrome", "16 Color", "256 Color", "True Color", "Windows XP"}));
        EXPECT_EQ(dialog.Depths().currentText(), "Windows XP");
        // End on the size list picks "Custom", which asks for the size.
        QTest::keyClick(&dialog.Sizes(), Qt::Key_End);
        EXPECT_EQ(dialog.Sizes().currentText(), "Custom(100 X 20)");
        QTest::keyClick(&dialog.Depths(), Qt::Key_Up);
        QTest::keyClick(&dialog.Depths(), Qt::Key_Up);
        EXPECT_EQ(dialog.Depths().currentText(), "256 Color");
        Button(window, "OK").click();
    });
    script.Then("Custom Size", [this](QWidget& window) {
        auto& dialog = As<CustomSizeDialog>(window);
        EXPECT_EQ(Labels(window), QStringList({"Width:", "Height:"}));
        EXPECT_EQ(dialog.WidthEdit().Edit().text(), "32");
        // Only OK: no cancel button on this one.
        EXPECT_EQ(window.findChildren<QPushButton*>().size(), 1);
        Type(dialog.WidthEdit().Edit(), "2x00");
        EXPECT_EQ(dialog.WidthEdit().Edit().text(), "200");
        // Too big: the error box, and the dialog stays open.
        script.Then("Error", [](QWidget& box) {
            auto& message = As<QMessageBox>(box);
            EXPECT_EQ(message.text(), "Cannot make an icon bigger than 128!");
            EXPECT_EQ(message.icon(), QMessageBox::NoIcon);
            EXPECT_EQ(message.standardButtons(), QMessageBox::Ok);
            message.button(QMessageBox::Ok)->click();
        });
        Button(window, "OK").click();
        EXPECT_TRUE(window.isVisible());
        Type(dialog.WidthEdit().Edit(), "100");
        Type(dialog.HeightEdit().Edit(), "19");
        QTest::keyClick(&dialog.HeightEdit().Edit(), Qt::Key_Up);
        EXPECT_EQ(dialog.HeightEdit().Edit().text(), "20");
        Button(window, "OK").click();
    });
    frame->RunCommand(command::kNewFormat);
    EXPECT_EQ(script.Pending(), 0u);
    ASSERT_EQ(formats.Count(), 2);
    const CIconFormat& added = *formats.Item(1).format;
    EXPECT_EQ(added.Width(), 100);
    EXPECT_EQ(added.Height(), 20);
    EXPECT_EQ(added.Depth(), kDepth256);

    // The choices are remembered; cancel adds nothing.
    script.Then("New Format", [](QWidget& window) {
        auto& dialog = As<NewFormatDialog>(window);
        EXPECT_EQ(dialog.Sizes().currentText(), "Custom(100 X 20)");
        EXPECT_EQ(dialog.Depths().currentText(), "256 Color");
        QTest::keyClick(&dialog.Sizes(), Qt::Key_Home);
        Button(window, "cancel").click();
    });
    frame->RunCommand(command::kNewFormat);
    EXPECT_EQ(formats.Count(), 2);
}

TEST_F(DialogsTest, CustomSizeRefusesZeroAndEscapeKeepsTheSize) {
    CSizeDialog model(ui, 48, 24);
    script.Then("Custom Size", [this](QWidget& window) {
        auto& dialog = As<CustomSizeDialog>(window);
        EXPECT_EQ(dialog.HeightEdit().Edit().text(), "24");
        Type(dialog.HeightEdit().Edit(), "0");
        script.Then("Error", [](QWidget& box) {
            EXPECT_EQ(As<QMessageBox>(box).text(), "Cannot make an icon with 0 !");
            As<QMessageBox>(box).button(QMessageBox::Ok)->click();
        });
        Button(window, "OK").click();
        EXPECT_TRUE(window.isVisible());
        QTest::keyClick(&window, Qt::Key_Escape);
    });
    EXPECT_FALSE(RunCustomSizeDialog(frame.get(), model));
    EXPECT_EQ(model.Width(), 48);
    EXPECT_EQ(model.Height(), 24);
}

TEST_F(DialogsTest, SubdivideHandsBackTheTypedAndSteppedCounts) {
    CSubdivideDialog model;
    script.Then("Subdivide", [](QWidget& window) {
        auto& dialog = As<SubdivideDialog>(window);
        EXPECT_EQ(Labels(window), QStringList({"Horizontal Division", "Vertical Division"}));
        EXPECT_EQ(dialog.HorizontalEdit().Edit().text(), "1");
        Type(dialog.HorizontalEdit().Edit(), "-4");
        EXPECT_EQ(dialog.HorizontalEdit().Edit().text(), "4");
        QTest::keyClick(&dialog.VerticalEdit().Edit(), Qt::Key_Up);
        QTest::keyClick(&dialog.VerticalEdit().Edit(), Qt::Key_Up);
        window.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    EXPECT_TRUE(RunSubdivideDialog(frame.get(), model));
    EXPECT_EQ(model.Horizontal(), 4);
    EXPECT_EQ(model.Vertical(), 3);

    // Through Morph on a rectangle: Cancel leaves no grid, OK makes one.
    workspace.Tools().LeftButtonDown(ToolButton::Rectangle);
    Drag(4, 4, 14, 12);
    ASSERT_NE(Object(), nullptr);
    script.Then("Subdivide", [](QWidget& window) {
        window.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
    });
    frame->RunCommand(command::kMorph);
    EXPECT_FALSE(Object()->HasMorphGrid());
    EXPECT_FALSE(Object()->MorphMode());
    script.Then("Subdivide", [](QWidget& window) {
        auto& dialog = As<SubdivideDialog>(window);
        Type(dialog.HorizontalEdit().Edit(), "3");
        Type(dialog.VerticalEdit().Edit(), "2");
        window.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    frame->RunCommand(command::kMorph);
    ASSERT_TRUE(Object()->HasMorphGrid());
    EXPECT_EQ(Object()->MorphColumns(), 3);
    EXPECT_EQ(Object()->MorphRows(), 2);
    EXPECT_TRUE(Object()->MorphMode());
}

TEST_F(DialogsTest, AddTextTakesLinesAndTheFontDialogsChoice) {
    // A family the font dialog lists with a bold face.
    QString family;
    for (const QString& f : QFontDatabase::families()) {
        if (QFontDatabase::styles(f).contains("Bold") && (family.isEmpty() || f == "DejaVu Sans"))
            family = f;
    }
    ASSERT_FALSE(family.isEmpty()) << "no installed font has a bold face";
    CTextInputDialog model(ui, workspace.TextFont());
    script.Then("Add Text", [&](QWidget& window) {
        auto& dialog = As<TextInputDialog>(window);
        QTest::keyClicks(&dialog.TextEdit(), "Hi");
        QTest::keyClick(&dialog.TextEdit(), Qt::Key_Return);
        QTest::keyClicks(&dialog.TextEdit(), "yo");
        // The font button opens the desktop's font dialog on the run's font.
        script.Then("Select Font", [&](QWidget& fontWindow) {
            auto& fonts = As<QFontDialog>(fontWindow);
            QFont chosen(family);
            chosen.setPointSize(18);
            chosen.setBold(true);
            fonts.setCurrentFont(chosen);
            fonts.accept();
        });
        Button(window, "Font").click();
        EXPECT_EQ(dialog.TextEdit().font().pixelSize(), 24);
        // Only OK.
        EXPECT_EQ(window.findChild<QDialogButtonBox*>()->buttons().size(), 1);
        window.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    EXPECT_TRUE(RunTextInputDialog(frame.get(), model));
    EXPECT_EQ(model.Text(), "Hi\nyo");
    // The run's font, for every later text.
    EXPECT_EQ(workspace.TextFont().family, family.toStdString());
    EXPECT_EQ(workspace.TextFont().pixelHeight, 24);
    EXPECT_EQ(workspace.TextFont().weight, 700);
    EXPECT_FALSE(workspace.TextFont().italic);

    // Cancelling the font dialog keeps the font; Escape cancels the text.
    CTextInputDialog again(ui, workspace.TextFont());
    script.Then("Add Text", [&](QWidget& window) {
        script.Then("Select Font", [](QWidget& fonts) { As<QFontDialog>(fonts).reject(); });
        Button(window, "Font").click();
        QTest::keyClick(&window, Qt::Key_Escape);
    });
    EXPECT_FALSE(RunTextInputDialog(frame.get(), again));
    EXPECT_EQ(workspace.TextFont().pixelHeight, 24);
}

TEST_F(DialogsTest, EditColorReturnsTheSlidersColourWithItsWordsOrNothing) {
    script.Then("Edit color", [](QWidget& window) {
        auto& dialog = As<EditColorDialog>(window);
        EXPECT_EQ(Labels(window), QStringList({"Red", "Green", "Blue", "Alpha"}));
        for (int c = 0; c < 4; ++c) {
            EXPECT_EQ(dialog.Slider(c).minimum(), 0);
            EXPECT_EQ(dialog.Slider(c).maximum(), 255);
            EXPECT_TRUE(dialog.Value(c).isReadOnly());
        }
        EXPECT_EQ(dialog.Value(1).text(), "2");
        QTest::keyClick(&dialog.Slider(0), Qt::Key_End);
        QTest::keyClick(&dialog.Slider(1), Qt::Key_PageUp);
        for (int i = 0; i < 3; ++i) QTest::keyClick(&dialog.Slider(2), Qt::Key_Right);
        QTest::keyClick(&dialog.Slider(3), Qt::Key_Home);
        QStringList values;
        for (int c = 0; c < 4; ++c) values << dialog.Value(c).text();
        EXPECT_EQ(values, QStringList({"255", "12", "6", "0"}));
        window.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    EXPECT_EQ(ui.EditColor(PixelColor{1, 2, 3, 40, 7, 9}), (PixelColor{255, 12, 6, 0, 7, 9}));

    // A pick from the palette (its middle row of column 0 is pure red) keeps alpha.
    script.Then("Edit color", [](QWidget& window) {
        auto& dialog = As<EditColorDialog>(window);
        QTest::mouseClick(&window, Qt::LeftButton, {}, QPoint(10, 165));
        EXPECT_EQ(dialog.Slider(0).value(), 255);
        EXPECT_EQ(dialog.Slider(2).value(), 0);
        window.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    EXPECT_EQ(RunEditColorDialog(frame.get(), PixelColor{1, 2, 3, 40}),
              (PixelColor{255, 0, 0, 40}));

    script.Then("Edit color", [](QWidget& window) {
        QTest::keyClick(&As<EditColorDialog>(window).Slider(0), Qt::Key_End);
        window.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
    });
    EXPECT_EQ(ui.EditColor(PixelColor{1, 2, 3, 40}), std::nullopt);
}

TEST_F(DialogsTest, AdjustColorPreviewsTheSlidersAndOkScalesThePicture) {
    CLayerImage target = BluePicture();
    AdjustColorModel model(target);
    const int x0 = model.Preview().OriginX();
    const int y0 = model.Preview().OriginY();
    const int after = PicturePreview::kAfterOffset;
    script.Then("Adjust Color", [&](QWidget& window) {
        auto& dialog = As<AdjustColorDialog>(window);
        EXPECT_EQ(Labels(window), QStringList({"Before:", "After:", "Red:", "Green:", "Blue:",
                                               "Alpha:", "-1", "0", "+1"}));
        for (int c = 0; c < 4; ++c) {
            EXPECT_EQ(dialog.Slider(c).minimum(), 0);
            EXPECT_EQ(dialog.Slider(c).maximum(), 200);
            EXPECT_EQ(dialog.Slider(c).value(), 100);
        }
        EXPECT_EQ(dialog.Slider(0).toolTip(), "0%");
        // A step of one is below what the preview follows.
        QTest::keyClick(&dialog.Slider(1), Qt::Key_Left);
        EXPECT_EQ(dialog.Slider(1).toolTip(), "-1%");
        QTest::keyClick(&dialog.Slider(1), Qt::Key_Right);
        EXPECT_EQ(window.grab().toImage().pixelColor(x0 + after, y0), QColor(100, 200, 255));
        QTest::keyClick(&dialog.Slider(2), Qt::Key_Home);
        EXPECT_EQ(dialog.Slider(2).toolTip(), "-100%");
        EXPECT_EQ(model.SliderPosition(ColourChannel::Blue), 0);
        const QImage shown = window.grab().toImage();
        EXPECT_EQ(shown.pixelColor(x0, y0), QColor(100, 200, 255));
        EXPECT_EQ(shown.pixelColor(x0 + after + 1, y0 + 1), QColor(100, 200, 127));
        EXPECT_EQ(target.GetPixel(0, 0), (PixelColor{100, 200, 255, 255}));
        window.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    EXPECT_TRUE(RunAdjustColorDialog(frame.get(), model));
    EXPECT_EQ(target.GetPixel(0, 0), (PixelColor{100, 200, 127, 255}));
    EXPECT_EQ(target.GetPixel(5, 5), (PixelColor{100, 200, 127, 255}));

    CLayerImage kept = BluePicture();
    AdjustColorModel cancelled(kept);
    script.Then("Adjust Color", [](QWidget& window) {
        QTest::keyClick(&As<AdjustColorDialog>(window).Slider(0), Qt::Key_End);
        window.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
    });
    EXPECT_FALSE(RunAdjustColorDialog(frame.get(), cancelled));
    EXPECT_EQ(kept.GetPixel(0, 0), (PixelColor{100, 200, 255, 255}));
}

TEST_F(DialogsTest, FilterPreviewsItsValueAndOkAppliesIt) {
    CLayerImage target = BluePicture();
    FilterDialogModel brighten(target, FilterKind::Brighten);
    const int x0 = brighten.Preview().OriginX() + PicturePreview::kAfterOffset;
    const int y0 = brighten.Preview().OriginY();
    script.Then("Filter -- Brighten", [&](QWidget& window) {
        auto& dialog = As<FilterDialog>(window);
        EXPECT_EQ(Labels(window), QStringList({"Before:", "After:", "Value:", "-1", "0", "+1"}));
        EXPECT_EQ(dialog.Slider().minimum(), 0);
        EXPECT_EQ(dialog.Slider().maximum(), 200);
        EXPECT_EQ(dialog.Slider().value(), 100);
        QTest::keyClick(&dialog.Slider(), Qt::Key_End);
        EXPECT_EQ(dialog.Slider().toolTip(), "100%");
        EXPECT_FLOAT_EQ(brighten.Value(), 2.0f);
        EXPECT_EQ(window.grab().toImage().pixelColor(x0, y0), QColor(141, 255, 255));
        window.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    EXPECT_TRUE(RunFilterDialog(frame.get(), brighten));
    EXPECT_EQ(target.GetPixel(3, 0), (PixelColor{141, 255, 255, 255}));

    CLayerImage kept = BluePicture();
    FilterDialogModel saturation(kept, FilterKind::Saturation);
    script.Then("Filter -- Saturation", [&](QWidget& window) {
        auto& dialog = As<FilterDialog>(window);
        for (int i = 0; i < 3; ++i) QTest::keyClick(&dialog.Slider(), Qt::Key_PageDown);
        EXPECT_EQ(dialog.Slider().toolTip(), "-30%");
        window.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
    });
    EXPECT_FALSE(RunFilterDialog(frame.get(), saturation));
    EXPECT_EQ(kept.GetPixel(0, 0), (PixelColor{100, 200, 255, 255}));
}

TEST_F(DialogsTest, ShadowOptionsMoveThePassesAndTakeTheSwatchColour) {
    script.Then("Dropping Shadow Option", [this](QWidget& window) {
        auto& dialog = As<ShadowOptionsDialog>(window);
        EXPECT_EQ(Labels(window), QStringList({"X - offset:", "Y - offset:", "Shadow Color"}));
        EXPECT_EQ(dialog.XEdit().Edit().text(), "2");
        EXPECT_EQ(dialog.YEdit().Edit().text(), "2");
        Type(dialog.XEdit().Edit(), "5");
        QTest::keyClick(&dialog.YEdit().Edit(), Qt::Key_Down);
        EXPECT_EQ(dialog.YEdit().Edit().text(), "1");
        // The swatch opens "Edit color" on the shadow colour.
        script.Then("Edit color", [](QWidget& colour) {
            auto& edit = As<EditColorDialog>(colour);
            EXPECT_EQ(edit.Value(3).text(), "100");
            QTest::keyClick(&edit.Slider(0), Qt::Key_PageUp);
            QTest::keyClick(&edit.Slider(3), Qt::Key_End);
            colour.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        });
        QTest::mouseClick(&dialog.Swatch(), Qt::LeftButton);
        window.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    frame->RunCommand(command::kShadowOption);
    const ShadowSettings& shadow = workspace.Shadow();
    EXPECT_EQ(shadow.OptionX(), 5);
    EXPECT_EQ(shadow.OptionY(), 1);
    EXPECT_EQ(shadow.Colour(), (PixelColor{10, 0, 0, 255}));
    // Every pass moved by (+3, -1); the alphas follow the colour's.
    const std::array<ShadowPass, 5> moved{
        {{38, 6, 1}, {38, 5, 2}, {38, 5, 0}, {38, 4, 1}, {102, 4, 0}}};
    EXPECT_EQ(shadow.Passes(), moved);

    // Default, then Cancel: nothing changes.
    script.Then("Dropping Shadow Option", [](QWidget& window) {
        auto& dialog = As<ShadowOptionsDialog>(window);
        EXPECT_EQ(dialog.XEdit().Edit().text(), "5");
        Button(window, "Default").click();
        EXPECT_EQ(dialog.XEdit().Edit().text(), "2");
        window.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
    });
    frame->RunCommand(command::kShadowOption);
    EXPECT_EQ(shadow.OptionX(), 5);
    EXPECT_EQ(shadow.Passes(), moved);
}

TEST_F(DialogsTest, EnterFileNameHandsBackTheEditedName) {
    script.Then("Enter File Name", [](QWidget& window) {
        auto& edit = *window.findChild<QLineEdit*>();
        EXPECT_EQ(edit.text(), "Warm");
        EXPECT_EQ(edit.selectedText(), "Warm");
        // Typing replaces the proposal.
        QTest::keyClicks(&edit, "Cool 2");
        window.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    EXPECT_EQ(ui.EnterFileName("Warm"), "Cool 2");
    script.Then("Enter File Name", [](QWidget& window) {
        QTest::keyClick(window.findChild<QLineEdit*>(), Qt::Key_Backspace);
        window.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    EXPECT_EQ(ui.EnterFileName("Warm"), "");
    script.Then("Enter File Name", [](QWidget& window) {
        window.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
    });
    EXPECT_EQ(ui.EnterFileName("Warm"), std::nullopt);
}

TEST_F(DialogsTest, MessageBoxesShowCaptionTextIconAndButtonsAndAnswerTheClick) {
    struct Case {
        MessageIcon icon;
        MessageButtons buttons;
        QMessageBox::Icon shownIcon;
        QMessageBox::StandardButtons shown;
        QMessageBox::StandardButton click; // NoButton: closed without a button
        MessageAnswer answer;
    };
    const Case cases[] = {
        {MessageIcon::Information, MessageButtons::Ok, QMessageBox::Information, QMessageBox::Ok,
         QMessageBox::Ok, MessageAnswer::Ok},
        {MessageIcon::Question, MessageButtons::YesNoCancel, QMessageBox::Question,
         QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::No,
         MessageAnswer::No},
        {MessageIcon::Exclamation, MessageButtons::YesNo, QMessageBox::Warning,
         QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes, MessageAnswer::Yes},
        {MessageIcon::Error, MessageButtons::OkCancel, QMessageBox::Critical,
         QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel, MessageAnswer::Cancel},
        {MessageIcon::None, MessageButtons::YesNo, QMessageBox::NoIcon,
         QMessageBox::Yes | QMessageBox::No, QMessageBox::NoButton, MessageAnswer::No},
        {MessageIcon::None, MessageButtons::YesNoCancel, QMessageBox::NoIcon,
         QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::NoButton,
         MessageAnswer::Cancel},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(n);
        const std::string caption = "Caption " + std::to_string(++n);
        script.Then(QString::fromStdString(caption), [&](QWidget& window) {
            auto& box = As<QMessageBox>(window);
            EXPECT_EQ(box.text(), "Save changes?");
            EXPECT_EQ(box.icon(), c.shownIcon);
            EXPECT_EQ(box.standardButtons(), c.shown);
            EXPECT_EQ(box.parentWidget(), frame.get());
            if (c.click == QMessageBox::NoButton) {
                box.reject();
            } else {
                box.button(c.click)->click();
            }
        });
        EXPECT_EQ(ui.ShowMessage("Save changes?", caption, c.icon, c.buttons), c.answer);
    }
}

TEST_F(DialogsTest, ChooseFileSavesWithTheFiltersExtensionAndOpensAnExistingFile) {
    const QString dir = QString::fromStdString(temp.Path());
    const auto fill = [dir](QWidget& window, const QString& name) {
        auto& dialog = As<QFileDialog>(window);
        dialog.setDirectory(dir);
        Type(*dialog.findChild<QLineEdit*>("fileNameEdit"), name);
        QPushButton* accept = nullptr;
        for (QAbstractButton* b : dialog.findChild<QDialogButtonBox*>()->buttons()) {
            if (dialog.findChild<QDialogButtonBox*>()->buttonRole(b) ==
                QDialogButtonBox::AcceptRole) {
                accept = qobject_cast<QPushButton*>(b);
            }
        }
        ASSERT_NE(accept, nullptr);
        accept->click();
    };

    FileDialogRequest save;
    save.kind = FileDialogRequest::Kind::Save;
    save.filter = CPictoformView::kSaveFilter;
    save.filterIndex = 2;
    save.fileName = "untitled";
    script.Then("Save As", [&](QWidget& window) {
        auto& dialog = As<QFileDialog>(window);
        EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
        EXPECT_EQ(dialog.nameFilters(), QStringList({"Icon Files (*.ico)", "Cursor Files (*.cur)",
                                                     "Animated Cursors (*.ani)"}));
        EXPECT_EQ(dialog.selectedNameFilter(), "Cursor Files (*.cur)");
        EXPECT_EQ(dialog.findChild<QLineEdit*>("fileNameEdit")->text(), "untitled");
        fill(window, "picture");
    });
    EXPECT_EQ(ui.ChooseFile(save), temp.File("picture.cur"));

    // Another type chosen in the dialog gives its extension; an existing
    // file is confirmed first.
    test::WriteBytes(temp.File("old.ani"), {1});
    script.Then("Save As", [&](QWidget& window) {
        auto& types = *window.findChild<QComboBox*>("fileTypeCombo");
        ASSERT_EQ(types.count(), 3);
        QTest::keyClick(&types, Qt::Key_End);
        EXPECT_EQ(As<QFileDialog>(window).defaultSuffix(), "ani");
        script.Then("Save As", [](QWidget& question) {
            auto& box = As<QMessageBox>(question);
            EXPECT_TRUE(box.text().contains("old.ani")) << box.text().toStdString();
            box.button(QMessageBox::Yes)->click();
        });
        fill(window, "old");
    });
    EXPECT_EQ(ui.ChooseFile(save), temp.File("old.ani"));

    FileDialogRequest open;
    open.filter = CPictoformView::kOpenFilter;
    script.Then("Open", [&](QWidget& window) {
        auto& dialog = As<QFileDialog>(window);
        EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptOpen);
        EXPECT_EQ(dialog.fileMode(), QFileDialog::ExistingFile);
        EXPECT_EQ(dialog.selectedNameFilter(), "Icon Files (*.ico *.cur *.ani)");
        fill(window, "old.ani");
    });
    EXPECT_EQ(ui.ChooseFile(open), temp.File("old.ani"));

    script.Then("Open", [](QWidget& window) { As<QFileDialog>(window).reject(); });
    EXPECT_EQ(ui.ChooseFile(open), std::nullopt);
}

TEST_F(DialogsTest, IconViewerListsTheModulesIconsAndReturnsTheChosenIndex) {
    const std::string dll = temp.File("lib.dll");
    test::WriteBytes(dll, test::BuildPe(false, test::SampleResources(false)).bytes);
    const auto ok = [](QWidget& window) {
        window.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    };
    script.Then("Pictoform Icon Viewer", [&](QWidget& window) {
        auto& dialog = As<IconViewerDialog>(window);
        QListWidget& list = dialog.List();
        ASSERT_EQ(list.count(), 3);
        EXPECT_EQ(list.item(0)->text(), "icon 1");
        EXPECT_EQ(list.item(2)->text(), "icon 3");
        // Each item shows the model's preview, its bytes blue, green, red, alpha.
        const std::vector<uint8_t>& bgra = dialog.Model().PreviewBgra(1);
        const QImage shown = list.item(1)->icon().pixmap(32, 32).toImage();
        ASSERT_EQ(shown.size(), QSize(32, 32));
        int opaque = 0;
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 32; ++x) {
                const size_t p = static_cast<size_t>(y * 32 + x) * 4;
                const QColor pixel = shown.pixelColor(x, y);
                ASSERT_EQ(pixel.alpha(), bgra[p + 3]) << x << "," << y;
                // Qt may keep the pixmap premultiplied: colours are exact where opaque.
                if (bgra[p + 3] != 255) continue;
                ++opaque;
                ASSERT_EQ(pixel, QColor(bgra[p + 2], bgra[p + 1], bgra[p])) << x << "," << y;
            }
        }
        EXPECT_GE(opaque, 20);
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                          list.visualItemRect(list.item(1)).center());
        ok(window);
    });
    EXPECT_EQ(ui.ChooseModuleIcon(dll), 1);

    // A double-click chooses at once.
    script.Then("Pictoform Icon Viewer", [](QWidget& window) {
        QListWidget& list = As<IconViewerDialog>(window).List();
        const QPoint at = list.visualItemRect(list.item(2)).center();
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, at);
    });
    EXPECT_EQ(ui.ChooseModuleIcon(dll), 2);

    // OK with nothing selected, and Cancel, choose nothing.
    script.Then("Pictoform Icon Viewer", ok);
    EXPECT_EQ(ui.ChooseModuleIcon(dll), std::nullopt);
    script.Then("Pictoform Icon Viewer", [](QWidget& window) {
        QListWidget& list = As<IconViewerDialog>(window).List();
        list.setCurrentRow(0);
        window.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
    });
    EXPECT_EQ(ui.ChooseModuleIcon(dll), std::nullopt);

    // A file without icons: the warning instead of the viewer.
    const std::string empty = temp.File("none.dll");
    test::WriteBytes(empty, {'M', 'Z', 0, 0});
    script.Then("Pictoform", [](QWidget& window) {
        auto& box = As<QMessageBox>(window);
        EXPECT_EQ(box.text(), "No Icon!");
        EXPECT_EQ(box.icon(), QMessageBox::Warning);
        box.button(QMessageBox::Ok)->click();
    });
    EXPECT_EQ(ui.ChooseModuleIcon(empty), std::nullopt);
}

TEST_F(DialogsTest, TheCanvasMenuFitsTheObjectAndRunsTheChosenCommand) {
    // Every icon pixel its own even red, so that a flip and a halving show exactly.
    CIconLayer& layer = *workspace.CurrentLayer();
    CLayerImage& committed = layer.Committed();
    for (int y = 0; y < committed.Height() / 3; ++y) {
        for (int x = 0; x < committed.Width() / 3; ++x) {
            const auto red = static_cast<uint8_t>(40 + 4 * x);
            committed.SetBlock(x, y, PixelColor{red, static_cast<uint8_t>(3 * y), 90, 255}, 3);
        }
    }
    committed.CopyTo(layer.Working());
    frame->RefreshAll();

    // Outside any object the right button shows no menu.
    Mouse(QEvent::MouseButtonPress, 30, 30, Qt::RightButton);

    workspace.Tools().LeftButtonDown(ToolButton::Selection);
    Drag(2, 2, 8, 6);
    ASSERT_NE(Object(), nullptr);
    ASSERT_EQ(Object()->Kind(), PatternKind::Copied);
    CLayerImage& lifted = static_cast<CCopiedPattern&>(*Object()).Picture();
    CLayerImage before;
    ASSERT_TRUE(before.CloneFrom(lifted));
    std::string shown;
    script.ThenMenu([&shown](QMenu& menu) {
        shown = Describe(menu);
        Choose(menu, {"Flip &Horizontal"});
    });
    Mouse(QEvent::MouseButtonPress, 4, 4, Qt::RightButton);
    EXPECT_EQ(shown, "&Filter{&Brighten...;&Contrast...;&Invert;&Grayscale;&Saturation...;&Adjust "
                     "color...;}|&Drop Shadow{&Enabled;&Shadow Option...;}|Flip &Vertical;Flip "
                     "&Horizontal;|Re&move\tDelete;De&select;");
    const int w = lifted.Width();
    ASSERT_GT(w, 3);
    for (int y = 0; y < lifted.Height(); ++y) {
        for (int x = 0; x < w; ++x) {
            ASSERT_EQ(lifted.GetPixel(x, y), before.GetPixel(w - 1 - x, y)) << x << "," << y;
        }
    }

    // From a submenu into a dialog: "Adjust color..." with red at the left end halves red.
    ASSERT_TRUE(before.CloneFrom(lifted));
    script.ThenMenu([](QMenu& menu) { Choose(menu, {"&Filter", "&Adjust color..."}); });
    script.Then("Adjust Color", [](QWidget& window) {
        QTest::keyClick(&As<AdjustColorDialog>(window).Slider(0), Qt::Key_Home);
        window.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    Mouse(QEvent::MouseButtonPress, 4, 4, Qt::RightButton);
    EXPECT_EQ(script.Pending(), 0u);
    for (int y = 0; y < lifted.Height(); ++y) {
        for (int x = 0; x < w; ++x) {
            PixelColor expected = before.GetPixel(x, y);
            expected.red = static_cast<uint8_t>(expected.red / 2);
            ASSERT_EQ(lifted.GetPixel(x, y), expected) << x << "," << y;
        }
    }

    // A rectangle: no filters and no flips; its checked shadow entry; Remove takes it away.
    frame->RunCommand(command::kDeselect);
    ASSERT_EQ(Object(), nullptr);
    workspace.Colours().GetPen().SetShadowEnabled(true);
    workspace.Tools().LeftButtonDown(ToolButton::Rectangle);
    Drag(10, 10, 20, 16);
    ASSERT_NE(Object(), nullptr);
    ASSERT_EQ(Object()->Kind(), PatternKind::Rect);
    script.ThenMenu([&shown](QMenu& menu) {
        shown = Describe(menu);
        Choose(menu, {"Re&move\tDelete"});
    });
    Mouse(QEvent::MouseButtonPress, 15, 13, Qt::RightButton);
    EXPECT_EQ(shown, "&Gradient{Vertex;Linear*;Radial;Rectangle;}|&Drop "
                     "Shadow{&Enabled*;&Shadow Option...;}&Morph;|Re&move\tDelete;De&select;");
    EXPECT_EQ(Object(), nullptr);

    // Escape closes the menu and runs nothing.
    Drag(10, 10, 20, 16);
    ASSERT_NE(Object(), nullptr);
    script.ThenMenu([](QMenu& menu) { QTest::keyClick(&menu, Qt::Key_Escape); });
    Mouse(QEvent::MouseButtonPress, 15, 13, Qt::RightButton);
    EXPECT_NE(Object(), nullptr);
}

TEST_F(DialogsTest, F6MovesTheFocusThroughTheCanvasAndTheShownPanes) {
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    frame->Canvas().setFocus();
    ASSERT_EQ(QApplication::focusWidget(), &frame->Canvas());
    const auto focusIn = [this](int pane) {
        const QWidget* focused = QApplication::focusWidget();
        if (pane == 0) return focused == &frame->Canvas();
        const QWidget* panel = frame->Pane(pane)->widget();
        return focused != nullptr && (focused == panel || panel->isAncestorOf(focused));
    };
    frame->Pane(3)->hide();
    for (int pane : {1, 2, 4, 5, 0}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6);
        EXPECT_TRUE(focusIn(pane)) << pane;
    }
    for (int pane : {5, 4}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6, Qt::ShiftModifier);
        EXPECT_TRUE(focusIn(pane)) << pane;
    }
}

} // namespace
} // namespace pictoform
