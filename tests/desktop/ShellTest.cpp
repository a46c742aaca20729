#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QDockWidget>
#include <QDropEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScrollBar>
#include <QSettings>
#include <QTabBar>
#include <QTest>
#include <QToolBar>
#include <QToolTip>
#include <QUrl>
#include <QWheelEvent>

#include "ImageConvert.h"
#include "MainFrame.h"
#include "QtClipboard.h"
#include "QtPictureReader.h"
#include "QtTextRasterizer.h"
#include "QtUiServices.h"
#include "desktop/DesktopSupport.h"
#include "editor/CommandFixture.h"
#include "editor/PictureImport.h"
#include "editor/Workspace.h"
#include "icon/IconFile.h"
#include "icon/IconTestImages.h"
#include "panels/ColourPanel.h"
#include "panels/FormatListPanel.h"
#include "panels/PanelSupport.h"
#include "panels/PictureSizeDialog.h"
#include "panels/StripWidget.h"
#include "panels/ToolsPanel.h"

namespace pictoform {
namespace {

class ShellTest : public test::CommandFixture {
protected:
    ShellTest() {
        QSettings().clear();
        frame = std::make_unique<MainFrame>(workspace, view);
        frame->resize(1100, 800);
        frame->show();
        QApplication::processEvents();
    }

    void Mouse(QEvent::Type type, int iconX, int iconY, Qt::MouseButton button) {
        test::SendCanvasMouse(frame->Canvas(), view.Geometry(), type, iconX, iconY, button);
    }

    std::unique_ptr<MainFrame> frame;
};

// What a Qt menu holds, in the core's terms: "|" for a separator, "text=id"
// for a command, "text{...}" for a submenu.
std::string Describe(const QMenu& menu) {
    std::string out;
    for (const QAction* action : menu.actions()) {
        if (action->isSeparator()) {
            out += "|";
        } else if (action->menu()) {
            out += action->text().toStdString() + "{" + Describe(*action->menu()) + "}";
        } else if (action->data().toInt() != 0) {
            out +=
                action->text().toStdString() + "=" + std::to_string(action->data().toInt()) + ";";
        } else if (!action->isVisible() || !action->isEnabled()) {
            // The recent-file slots: the disabled placeholder, the hidden entries.
            if (out.back() != '*') out += "*";
        }
    }
    return out;
}

std::string Describe(const std::vector<MenuEntry>& entries) {
    std::string out;
    for (const MenuEntry& entry : entries) {
        if (entry.IsSeparator()) {
            out += "|";
        } else if (!entry.submenu.empty()) {
            out += entry.text + "{" + Describe(entry.submenu) + "}";
        } else if (entry.id == command::kRecentFile) {
            out += "*";
        } else {
            out += entry.text + "=" + std::to_string(entry.id) + ";";
        }
    }
    return out;
}

TEST_F(ShellTest, MenusToolbarAndKeysFollowTheCoreModel) {
    const QList<QAction*> top = frame->menuBar()->actions();
    const std::vector<MenuEntry>& menus = MainMenu();
    ASSERT_EQ(top.size(), static_cast<qsizetype>(menus.size() + 1));
    for (size_t i = 0, q = 0; i < menus.size(); ++i, ++q) {
        if (q == 2) ++q;
        EXPECT_EQ(top[q]->text().toStdString(), menus[i].text);
        EXPECT_EQ(Describe(*top[q]->menu()), Describe(menus[i].submenu)) << menus[i].text;
    }
    EXPECT_EQ(Describe(*top[2]->menu()),
              "Zoom &In=32953;Zoom &Out=32954;&Fit=32955;&Actual Pixels (1:1)=32956;|"
              "Drawing Tools=32771;Color=32772;Layers=32773;Format "
              "List=32830;Preview=32831;|&Customize...=35001;");

    std::vector<int> bar;
    for (const QAction* action : frame->ToolBar().actions()) bar.push_back(action->data().toInt());
    EXPECT_EQ(bar, ToolBarCommands());

    std::string keys;
    for (int id : {command::kNew,        command::kOpen,          command::kSave,
                   command::kUndo,       command::kRedo,          command::kSaveAs,
                   command::kExit,       command::kCut,           command::kCopy,
                   command::kPaste,      command::kSelectAll,     command::kZoomIn,
                   command::kZoomOut,    command::kZoomFit,       command::kRemove,
                   command::kCancel,     MainFrame::kHelp,        MainFrame::kContextHelp,
                   MainFrame::kNextPane, MainFrame::kPreviousPane}) {
        ASSERT_NE(frame->Action(id), nullptr) << id;
        for (const QKeySequence& key : frame->Action(id)->shortcuts())
            keys += key.toString().toStdString() + " ";
        keys += "|";
    }
    EXPECT_EQ(keys, "Ctrl+N |Ctrl+O |Ctrl+S |Ctrl+Z |Ctrl+Y Ctrl+Shift+Z |Ctrl+Shift+S |Ctrl+Q "
                    "|Ctrl+X Shift+Del |Ctrl+C Ctrl+Ins |Ctrl+V Shift+Ins |Ctrl+A |Ctrl++ Ctrl+= "
                    "|Ctrl+- |Ctrl+0 |Del |Esc |F1 |Shift+F1 |F6 |Shift+F6 |");
}

TEST_F(ShellTest, PanesSitWhereTheLayoutSaysAndToggleFromTheViewMenu) {
    const char* titles[] = {"Drawing Tools", "Color", "Layers", "Format List", "Preview"};
    const Qt::DockWidgetArea sides[] = {Qt::RightDockWidgetArea, Qt::RightDockWidgetArea,
                                        Qt::RightDockWidgetArea, Qt::LeftDockWidgetArea,
                                        Qt::LeftDockWidgetArea};
    for (int pane = 1; pane <= 5; ++pane) {
        QDockWidget* dock = frame->Pane(pane);
        ASSERT_NE(dock, nullptr);
        EXPECT_EQ(dock->windowTitle(), titles[pane - 1]);
        EXPECT_EQ(frame->dockWidgetArea(dock), sides[pane - 1]);
    }
    // Stacked top to bottom in their columns.
    EXPECT_LT(frame->Pane(1)->y(), frame->Pane(2)->y());
    EXPECT_LT(frame->Pane(2)->y(), frame->Pane(3)->y());
    EXPECT_LT(frame->Pane(4)->y(), frame->Pane(5)->y());

    QAction* showLayers = frame->Action(command::kShowLayers);
    ASSERT_TRUE(showLayers->isChecked());
    frame->RunCommand(command::kShowLayers);
    EXPECT_FALSE(frame->Pane(3)->isVisible());
    EXPECT_FALSE(showLayers->isChecked());
    showLayers->trigger();
    EXPECT_TRUE(frame->Pane(3)->isVisible());
    EXPECT_TRUE(showLayers->isChecked());
}

// Ctrl+wheel zooms about the pointer, the keys step the zoom, the canvas
// scrolls with its bars, and the pencil still paints the pixel the window
// shows under the pointer; the status bar follows.
TEST_F(ShellTest, ZoomedCanvasScrollsAndPaintsWhereThePointerIs) {
    CanvasWidget& canvas = frame->Canvas();
    while (view.Geometry().zoom < 16) frame->Action(command::kZoomIn)->trigger();
    const ViewGeometry& g = view.Geometry();
    ASSERT_GT(g.maxScrollX, 0);
    const QPointF at(g.originX + 30 * g.zoom + 1, g.originY + 12 * g.zoom + 1);
    QWheelEvent wheel(at, canvas.viewport()->mapToGlobal(at), QPoint(), QPoint(0, 120),
                      Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(canvas.viewport(), &wheel);
    EXPECT_EQ(view.Geometry().zoom, 24);
    const auto under = view.Mouse().PixelUnder(int(at.x()), int(at.y()));
    EXPECT_EQ(std::pair(under.x, under.y), std::pair(30, 12));

    while (view.Geometry().zoom < 32) frame->Action(command::kZoomIn)->trigger();
    ASSERT_EQ(view.Geometry().zoom, 32);
    QApplication::processEvents();
    EXPECT_TRUE(canvas.horizontalScrollBar()->isVisible());
    EXPECT_EQ(canvas.horizontalScrollBar()->maximum(), view.Geometry().maxScrollX);
    canvas.horizontalScrollBar()->setValue(0);
    canvas.verticalScrollBar()->setValue(canvas.verticalScrollBar()->maximum());
    EXPECT_EQ(view.Geometry().scrollX, 0);
    EXPECT_EQ(view.Geometry().scrollY, view.Geometry().maxScrollY);

    workspace.Tools().LeftButtonDown(ToolButton::Pencil);
    workspace.Colours().SetColor(0xFF0000FFu, 0, 0);
    Mouse(QEvent::MouseButtonPress, 2, 47, Qt::LeftButton);
    Mouse(QEvent::MouseButtonRelease, 2, 47, Qt::LeftButton);
    const QImage shown = canvas.viewport()->grab().toImage();
    EXPECT_EQ(shown.pixelColor(view.Geometry().originX + 2 * 32 + 3,
                               view.Geometry().originY + 47 * 32 + 3),
              QColor(255, 0, 0));
    Mouse(QEvent::MouseMove, 2, 47, Qt::NoButton);
    EXPECT_EQ(frame->findChild<QLabel*>("status")->text(),
              "Zoom 3200%   Pixel 2, 47   #FF0000 alpha 255");

    frame->Action(command::kZoomFit)->trigger();
    QApplication::processEvents();
    EXPECT_FALSE(canvas.horizontalScrollBar()->isVisible());
}

TEST_F(ShellTest, ANamedFileIsPaintedSavedAndUndoneFromTheKeyboard) {
    // Two clear formats, as the command line would hand them to the program.
    const test::Px clear{0, 0, 0, 0};
    const std::string path = temp.File("named.ico");
    ASSERT_TRUE(CIconFile().WriteIconFile(
        path, {test::MakeImage(16, 16, kDepth32, clear), test::MakeImage(32, 32, kDepth32, clear)},
        0));
    view.InitialUpdate(path);
    frame->RefreshAll();
    QApplication::processEvents();
    auto* formats = frame->findChild<FormatListPanel*>();
    ASSERT_NE(formats, nullptr);
    EXPECT_EQ(formats->List().Count(), 2);
    // "[*]" is Qt's place for the unsaved-work mark.
    EXPECT_EQ(frame->windowTitle().toStdString(), path + "[*] - Pictoform");
    EXPECT_FALSE(frame->isWindowModified());
    EXPECT_TRUE(frame->windowIcon().availableSizes().contains(QSize(256, 256)));

    workspace.Tools().LeftButtonDown(ToolButton::Pencil);
    workspace.Colours().SetColor(0xFF0000FFu, 0, 0);
    Mouse(QEvent::MouseButtonPress, 3, 4, Qt::LeftButton);
    Mouse(QEvent::MouseMove, 6, 4, Qt::LeftButton);
    Mouse(QEvent::MouseButtonRelease, 6, 4, Qt::LeftButton);
    EXPECT_TRUE(frame->isWindowModified()) << "the title marks the stroke";
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    QTest::keyClick(frame.get(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_FALSE(frame->isWindowModified());
    CIconFile saved;
    ASSERT_TRUE(saved.ReadIconFile(path)) << saved.LastError();
    ASSERT_EQ(saved.Images().size(), 2u);
    EXPECT_EQ(test::ReadPixel(saved.Images()[0], 5, 4), (test::Px{255, 0, 0, 255}));

    QTest::keyClick(frame.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(workspace.CurrentFormat()->Final().GetPixel(5, 4).alpha, 0);
    EXPECT_TRUE(frame->isWindowModified());
    QTest::keyClick(frame.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(workspace.CurrentFormat()->Final().GetPixel(5, 4).alpha, 255) << "redone";

    // A tool picked in its panel changes the toolbar at once.
    QAction* vertex = nullptr;
    for (QAction* action : frame->ToolBar().actions())
        if (action->data().toInt() == command::kGradientVertex) vertex = action;
    ASSERT_NE(vertex, nullptr);
    EXPECT_TRUE(vertex->isEnabled());
    auto* tools = frame->findChild<ToolsPanel*>();
    ASSERT_NE(tools, nullptr);
    QTest::mouseClick(&tools->Button(ToolButton::FloodFill), Qt::LeftButton);
    EXPECT_FALSE(vertex->isEnabled()) << "a fill has no vertex gradient";
}

// Closing, opening and a new icon ask about unsaved work first: Cancel keeps
// everything (no file dialog, no new icon); the layout is kept on closing.
TEST_F(ShellTest, UnsavedWorkIsAskedAboutBeforeItIsClosedOrReplaced) {
    ASSERT_TRUE(workspace.FormatList().AddNewFormat(FormatChoice{16, 16, kDepth32}, false));
    view.SetModified(true);
    for (int i = 0; i < 3; ++i) ui.QueueAnswer(MessageAnswer::Cancel);
    QCloseEvent refused;
    QApplication::sendEvent(frame.get(), &refused);
    frame->RunCommand(command::kOpen);
    frame->RunCommand(command::kNew);
    EXPECT_FALSE(refused.isAccepted());
    EXPECT_TRUE(ui.WasAsked("Save changes before closing?", "Pictoform"));
    EXPECT_EQ(ui.Messages().size(), 3u);
    EXPECT_TRUE(ui.files.Requests().empty());
    EXPECT_EQ(workspace.FormatList().Count(), 2);
    EXPECT_FALSE(QSettings().contains("NormalLayout"));

    ui.QueueAnswer(MessageAnswer::No);
    frame->RunCommand(command::kNew);
    EXPECT_EQ(workspace.FormatList().Count(), 1);
    EXPECT_EQ(frame->windowTitle(), "Untitled[*] - Pictoform");

    view.SetModified(true);
    ui.QueueAnswer(MessageAnswer::No);
    frame->Pane(5)->hide();
    QCloseEvent accepted;
    QApplication::sendEvent(frame.get(), &accepted);
    EXPECT_TRUE(accepted.isAccepted());
    EXPECT_TRUE(QSettings().contains("NormalLayout"));

    // A new window takes the saved layout: the hidden pane stays hidden.
    MainFrame again(workspace, view);
    again.show();
    EXPECT_FALSE(again.Pane(5)->isVisible());
    EXPECT_TRUE(again.Pane(4)->isVisible());
}

TEST_F(ShellTest, RecentFilesKeepFourNewestFirst) {
    for (const char* path : {"/a.ico", "/b.ico", "/c.cur", "/d.ani", "/e.ico", "/c.cur"}) {
        frame->RememberFile(path);
    }
    EXPECT_EQ(frame->RecentFiles(), QStringList({"/c.cur", "/e.ico", "/d.ani", "/b.ico"}));
}

TEST(QtSeams, TextIsDrawnBlackInsideItsMeasuredBox) {
    const QtTextRasterizer text;
    const FontDescription font{"NoSuchFamilyAnywhere", 30, 700, false};
    const TextExtent box = text.Measure("Hi", font);
    ASSERT_GT(box.width, 10);
    ASSERT_GT(box.height, 20);
    CLayerImage target;
    ASSERT_TRUE(target.Create(box.width + 20, box.height + 20));
    text.Draw("Hi", font, target);
    int black = 0;
    for (int y = 0; y < target.Height(); ++y) {
        for (int x = 0; x < target.Width(); ++x) {
            const PixelColor p = target.GetPixel(x, y);
            const int grey = p.red;
            // No smoothing: every pixel is paper or ink, and ink lies in the box.
            ASSERT_TRUE((grey == 0 || grey == 255) && p.green == grey && p.blue == grey);
            if (grey != 0) continue;
            ++black;
            EXPECT_LT(x, box.width);
            EXPECT_LT(y, box.height);
        }
    }
    EXPECT_GT(black, 40);
    EXPECT_EQ(target.GetPixel(0, 0).alpha, 0); // only the colour plane is drawn
    // Sizes in points, as the font dialog gives them, DialogsTest.AddText... pins.
    EXPECT_EQ(FromQFont(ToQFont({"Tahoma", 16, 700, true})).pixelHeight, 16);
}

TEST(QtSeams, TheClipboardKnowsItsOwnCopyAndTakesOthersOpaque) {
    QtClipboard clipboard;
    CLayerImage picture;
    ASSERT_TRUE(picture.Create(5, 2));
    picture.SetBlock(1, 0, PixelColor{10, 20, 30, 255}, 1);
    picture.SetBlock(4, 1, PixelColor{200, 100, 50, 255}, 1);
    // The picture is handed to Qt without a copy; its rows are padded to 16 bytes.
    EXPECT_EQ(WrapImage(picture).constBits(), picture.ColourBits());
    clipboard.PutImage(picture);
    EXPECT_TRUE(clipboard.OwnsClipboard());
    CLayerImage back;
    ASSERT_TRUE(clipboard.TakeImage(back));
    ASSERT_EQ(back.Width(), 5);
    EXPECT_EQ(back.GetPixel(1, 0), (PixelColor{10, 20, 30, 255}));
    EXPECT_EQ(back.GetPixel(4, 1), (PixelColor{200, 100, 50, 255}));
    EXPECT_EQ(back.GetPixel(0, 0), (PixelColor{255, 255, 255, 255}));

    // Another program's copy, or another run's, is not ours.
    QtClipboard otherRun;
    otherRun.PutImage(picture);
    EXPECT_FALSE(clipboard.OwnsClipboard());
    QImage outside(3, 1, QImage::Format_ARGB32);
    outside.setPixel(0, 0, qRgba(1, 2, 3, 0));
    outside.setPixel(1, 0, qRgba(40, 50, 60, 128));
    outside.setPixel(2, 0, qRgba(70, 80, 90, 255));
    QGuiApplication::clipboard()->setImage(outside);
    EXPECT_FALSE(otherRun.OwnsClipboard());
    ASSERT_TRUE(clipboard.TakeImage(back));
    // Its transparency comes along; a picture without any comes opaque.
    EXPECT_EQ(back.GetPixel(2, 0), (PixelColor{70, 80, 90, 255}));
    EXPECT_EQ(back.GetPixel(1, 0), (PixelColor{40, 50, 60, 128}));
    EXPECT_EQ(back.GetPixel(0, 0).alpha, 0);
    QGuiApplication::clipboard()->setImage(outside.convertToFormat(QImage::Format_RGB32));
    ASSERT_TRUE(clipboard.TakeImage(back));
    EXPECT_EQ(back.GetPixel(0, 0).alpha, 255);
    EXPECT_EQ(back.GetPixel(1, 0).alpha, 255);
}

// New Icon from Picture and Import Picture as Format, with the pictures
// Qt reads: a drawing is rendered at each size (so its edges
// stay sharp), an XPM is read and scaled; both keep their transparency.
TEST_F(ShellTest, PicturesAndDrawingsBecomeIconsThroughQt) {
    QtPictureReader reader;
    workspace.SetPictures(&reader);
    const std::string svg = temp.File("half.svg");
    const std::string text = "<svg xmlns='http://www.w3.org/2000/svg' width='100' height='100'>"
                             "<rect x='0' y='0' width='50' height='100' fill='#0000ff'/></svg>";
    test::WriteBytes(svg, {text.begin(), text.end()});
    // A drawing is offered every usual size (PictureSizeDialog's), all taken.
    workspace.Dialogs().pictureSizes = [](CPictureSizeDialog&) { return true; };
    ASSERT_TRUE(view.IsOpenable(svg));
    ui.QueueFile(svg);
    frame->Action(command::kNewFromPicture)->trigger();
    ASSERT_EQ(workspace.FormatList().Count(), 5);
    for (int i = 0; i < 5; ++i) {
        const CIconFormat& format = *workspace.FormatList().Item(i).format;
        const int half = format.Width() / 2;
        EXPECT_EQ(format.Final().GetPixel(half - 1, 3), (PixelColor{0, 0, 255, 255}))
            << format.Width();
        EXPECT_EQ(format.Final().GetPixel(half, 3).alpha, 0) << format.Width();
    }

    QImage picture(40, 40, QImage::Format_ARGB32);
    picture.fill(qRgba(0, 0, 0, 0));
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 20; ++x) picture.setPixel(x, y, qRgba(250, 200, 0, 255));
    // XPM: a kind only Qt reads here, with its "None" colour for clear.
    const std::string xpm = temp.File("half.xpm");
    ASSERT_TRUE(view.IsPicture(xpm));
    ASSERT_TRUE(picture.save(QString::fromStdString(xpm)));
    ui.QueueFile(xpm);
    frame->Action(command::kImportPicture)->trigger();
    ASSERT_EQ(workspace.FormatList().Count(), 6);
    const CIconFormat& imported = *workspace.CurrentFormat();
    EXPECT_EQ(imported.Width(), 16) << "the current format's size is offered first";
    EXPECT_EQ(imported.Final().GetPixel(7, 10), (PixelColor{250, 200, 0, 255}));
    EXPECT_EQ(imported.Final().GetPixel(8, 10).alpha, 0);
}

TEST(QtSeams, FileFiltersBecomeQtFiltersWithTheirExtensions) {
    const struct {
        std::string filter;
        QString expected;
    } cases[] = {
        {std::string(CPictoformView::kOpenFilter) + PictureFilter(PngPictureReader()),
         "Icon Files (*.ico *.cur *.ani)=ico;;Pictoform project (*.pfi)=pfi;;Programs (*.dll "
         "*.exe)=dll;;Xcursor (*)=;;Pictures (*.png)=png"},
        {CPictoformView::kSaveFilter,
         "Icon Files (*.ico)=ico;;Cursor Files (*.cur)=cur;;Animated Cursors (*.ani)=ani;;Xcursor "
         "(*)=;;Pictoform project (*.pfi)=pfi"},
        {"All Files|*.*|Broken|", "All Files (*.*)="},
        {"", ""},
    };
    for (const auto& c : cases) {
        QStringList shown;
        for (const QtFileFilter& f : ConvertFileFilter(c.filter))
            shown << f.text + "=" + f.extension;
        EXPECT_EQ(shown.join(";;"), c.expected) << c.filter;
    }
}

TEST(QtSeams, TheUserGuideIsFoundInstalledOrInTheSourceTree) {
    test::TempDir temp;
    QDir(QString::fromStdString(temp.Path())).mkpath("prefix/bin");
    QDir(QString::fromStdString(temp.Path())).mkpath("prefix/share/pictoform/docs");
    const QString bin = QString::fromStdString(temp.File("prefix/bin"));
    EXPECT_EQ(MainFrame::FindUserGuide(bin), "");
    test::WriteBytes(temp.File("prefix/share/pictoform/docs/index.html"), {'<', '>'});
    EXPECT_TRUE(MainFrame::FindUserGuide(bin).endsWith("share/pictoform/docs/index.html"));
}

TEST_F(ShellTest, KeysFollowTheStateOfTheMomentAndStayWithTheWidgetThatHasTheFocus) {
    // The Edit menu opened with nothing floating disables Copy; a selection
    // made afterwards must enable it again at once, for Ctrl+C to work.
    QtClipboard clipboard;
    workspace.SetClipboard(&clipboard);
    QMenu* edit = frame->menuBar()->actions()[1]->menu();
    ASSERT_NE(edit, nullptr);
    emit edit->aboutToShow();
    EXPECT_FALSE(frame->Action(command::kCopy)->isEnabled());
    workspace.Tools().LeftButtonDown(ToolButton::Selection);
    Mouse(QEvent::MouseButtonPress, 2, 2, Qt::LeftButton);
    Mouse(QEvent::MouseMove, 8, 8, Qt::LeftButton);
    Mouse(QEvent::MouseButtonRelease, 8, 8, Qt::LeftButton);
    ASSERT_NE(workspace.CurrentLayer()->ActiveObject(), nullptr);
    EXPECT_TRUE(frame->Action(command::kCopy)->isEnabled());
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    QApplication::clipboard()->clear();
    QTest::keyClick(frame.get(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_FALSE(QApplication::clipboard()->image().isNull()) << "Ctrl+C copied the selection";

    // Delete in the colour strip deletes its selected stop, not the object.
    auto* colour = frame->findChild<ColourPanel*>();
    ASSERT_NE(colour, nullptr);
    colour->Tabs().setCurrentIndex(1);
    StripWidget& strip = colour->Strip();
    const int y = StripWidget::kHeight - 9;
    const size_t stops = workspace.Colours().GetPen().StopCount();
    // A drag off the left end stop peels a new stop off it.
    QTest::mousePress(&strip, Qt::LeftButton, {}, QPoint(6, y));
    QMouseEvent drag(QEvent::MouseMove, QPointF(80, y), strip.mapToGlobal(QPointF(80, y)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&strip, &drag);
    QTest::mouseRelease(&strip, Qt::LeftButton, {}, QPoint(80, y));
    ASSERT_EQ(workspace.Colours().GetPen().StopCount(), stops + 1);
    strip.setFocus();
    QTest::keyClick(&strip, Qt::Key_Delete);
    EXPECT_EQ(workspace.Colours().GetPen().StopCount(), stops);
    EXPECT_NE(workspace.CurrentLayer()->ActiveObject(), nullptr) << "the selection stays";
    workspace.SetClipboard(nullptr);
}

TEST_F(ShellTest, FilesDroppedOnTheWindowOpenAsFileOpenWouldOpenThem) {
    const auto drop = [&](const std::vector<std::string>& paths) {
        auto* data = new QMimeData;
        QList<QUrl> urls;
        for (const std::string& path : paths)
            urls << QUrl::fromLocalFile(QString::fromStdString(path));
        data->setUrls(urls);
        const QPoint at = frame->Canvas().geometry().center();
        QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(frame.get(), &enter);
        QDropEvent dropped(QPointF(at), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        if (enter.isAccepted()) QApplication::sendEvent(frame.get(), &dropped);
        QApplication::processEvents();
        delete data;
        return enter.isAccepted();
    };
    const std::string ico = temp.File("dropped.ico");
    ASSERT_TRUE(CIconFile().WriteIconFile(ico, {test::MakeImage(24, 24, kDepth24, test::Px{})}, 0));
    const std::string text = temp.File("notes.txt");
    test::WriteBytes(text, {'h', 'i'});

    EXPECT_FALSE(drop({text})) << "a file it cannot open is refused at the door";
    EXPECT_TRUE(drop({text, ico}));
    EXPECT_EQ(workspace.FormatList().Count(), 1);
    EXPECT_EQ(workspace.CurrentFormat()->Width(), 24);
    EXPECT_EQ(frame->windowTitle().toStdString(), ico + "[*] - Pictoform");
    // A picture joins the icon as a format of the size asked for (how it is
    // scaled to fit FileFlowTest and PictureScaleTest pin).
    std::string asked;
    workspace.Dialogs().pictureSizes = [&](CPictureSizeDialog& dialog) {
        asked = dialog.Caption() + ": " + dialog.Prompt();
        dialog.SetChecked(0, true);
        return true;
    };
    QImage picture(12, 10, QImage::Format_ARGB32);
    picture.fill(qRgba(10, 200, 30, 255));
    const std::string png = temp.File("dropped.png");
    ASSERT_TRUE(picture.save(QString::fromStdString(png)));
    EXPECT_TRUE(drop({png}));
    EXPECT_EQ(asked, "Import Picture as Format: Size of the format to make from dropped.png (12 x "
                     "10):");
    ASSERT_EQ(workspace.FormatList().Count(), 2);
    EXPECT_EQ(workspace.CurrentFormat()->Width(), 16);
    EXPECT_EQ(workspace.CurrentFormat()->Final().GetPixel(3, 3), (PixelColor{10, 200, 30, 255}));
    EXPECT_TRUE(view.Modified());
    EXPECT_EQ(view.Path(), ico) << "the icon stays the document";
}

TEST_F(ShellTest, ToolTipsOfTheToolsShowAfterTheirOwnDelay) {
    auto* tools = frame->findChild<ToolsPanel*>();
    ASSERT_NE(tools, nullptr);
    ToolButtonWidget& line = tools->Button(ToolButton::Line);
    QTest::mouseMove(&line, QPoint(10, 10));
    QMouseEvent hover(QEvent::MouseMove, QPointF(10, 10), line.mapToGlobal(QPointF(10, 10)),
                      Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&line, &hover);
    QTest::qWait(CToolDialog::kTooltipDelayMs / 2);
    EXPECT_FALSE(QToolTip::isVisible());
    EXPECT_TRUE(QTest::qWaitFor([] { return QToolTip::isVisible(); }, 400));
    EXPECT_EQ(QToolTip::text(), line.toolTip());
}

} // namespace
} // namespace pictoform
