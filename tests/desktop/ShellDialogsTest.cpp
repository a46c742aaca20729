// The shell's questions and menus run as the program runs them: message
// boxes, the file dialog, the icon viewer, the canvas's right-button menu and
// the F6 pane cycle.

#include "desktop/DialogFixture.h"

namespace pictoform::test {
namespace {

using ShellDialogsTest = DialogsTest;

TEST_F(ShellDialogsTest, MessageBoxesShowCaptionTextIconAndButtonsAndAnswerTheClick) {
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

TEST_F(ShellDialogsTest, ChooseFileSavesWithTheFiltersExtensionAndOpensAnExistingFile) {
    const QString dir = QString::fromStdString(temp.Path());
    // The name typed, then what the dialog's accept button does.
    const auto fill = [dir](QWidget& window, const QString& name) {
        auto& dialog = As<QFileDialog>(window);
        dialog.setDirectory(dir);
        Type(*dialog.findChild<QLineEdit*>("fileNameEdit"), name);
        static_cast<QDialog&>(dialog).accept();
    };

    const FileDialogRequest save{FileDialogRequest::Kind::Save, "untitled",
                                 CPictoformView::kSaveFilter, 2};
    script.Then("Save As", [&](QWidget& window) {
        auto& dialog = As<QFileDialog>(window);
        EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
        // The filters' texts QtSeams.FileFiltersBecomeQtFilters... pins.
        EXPECT_EQ(dialog.selectedNameFilter(), "Cursor Files (*.cur)");
        EXPECT_EQ(dialog.findChild<QLineEdit*>("fileNameEdit")->text(), "untitled");
        fill(window, "picture");
    });
    EXPECT_EQ(ui.ChooseFile(save), temp.File("picture.cur"));

    // Another type chosen in the dialog gives its extension (Xcursor files
    // have none); an existing file is confirmed first.
    test::WriteBytes(temp.File("old"), {1});
    script.Then("Save As", [&](QWidget& window) {
        auto& types = *window.findChild<QComboBox*>("fileTypeCombo");
        ASSERT_EQ(types.count(), 5);
        QTest::keyClick(&types, Qt::Key_End);
        EXPECT_EQ(As<QFileDialog>(window).defaultSuffix(), "pfi");
        QTest::keyClick(&types, Qt::Key_Up);
        EXPECT_EQ(As<QFileDialog>(window).defaultSuffix(), "");
        script.Then("Save As", [](QWidget& question) {
            auto& box = As<QMessageBox>(question);
            EXPECT_TRUE(box.text().contains("old")) << box.text().toStdString();
            box.button(QMessageBox::Yes)->click();
        });
        fill(window, "old");
    });
    EXPECT_EQ(ui.ChooseFile(save), temp.File("old"));
    test::WriteBytes(temp.File("old.ani"), {1});

    const FileDialogRequest open{FileDialogRequest::Kind::Open, "", CPictoformView::kOpenFilter};
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

TEST_F(ShellDialogsTest, IconViewerListsTheModulesIconsAndReturnsTheChosenIndex) {
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

TEST_F(ShellDialogsTest, TheCanvasMenuFitsTheObjectAndRunsTheChosenCommand) {
    // Grey 100, so that a halving of red and a doubling of blue show exactly.
    CIconLayer& layer = *workspace.CurrentLayer();
    layer.Committed().Fill(100, 255, 1);
    layer.Committed().CopyTo(layer.Working());
    frame->RefreshAll();

    // Outside any object the right button shows no menu.
    Mouse(QEvent::MouseButtonPress, 30, 30, Qt::RightButton);

    workspace.Tools().LeftButtonDown(ToolButton::Selection);
    Drag(2, 2, 8, 6);
    ASSERT_NE(Object(), nullptr);
    ASSERT_EQ(Object()->Kind(), PatternKind::Copied);
    // Which entries an object's menu holds, and what flips and filters do,
    // ObjectToolsTest and CommandsTest pin; here a chosen entry runs, from a
    // submenu into a dialog: "Adjust color..." with red at the left end halves
    // red, blue at the right end doubles blue; its previews show before and
    // after, the middle of each frame on the picture.
    script.ThenMenu([](QMenu& menu) { Choose(menu, {"&Filter", "&Adjust color..."}); });
    script.Then("Adjust Color", [](QWidget& window) {
        auto& dialog = As<AdjustColorDialog>(window);
        QTest::keyClick(&dialog.Slider(0), Qt::Key_Home);
        QTest::keyClick(&dialog.Slider(2), Qt::Key_End);
        EXPECT_EQ(dialog.Slider(2).toolTip(), "100%");
        const QImage shown = window.grab().toImage();
        const int x = PicturePreview::kFrameLeft[0], y = PicturePreview::kFrameTop;
        const int middle = PicturePreview::kFrameSize / 2;
        EXPECT_EQ(shown.pixelColor(x, y), QColor(Qt::black));
        EXPECT_EQ(shown.pixelColor(x + middle, y + middle), QColor(100, 100, 100));
        EXPECT_EQ(shown.pixelColor(x + PicturePreview::kAfterOffset + middle, y + middle),
                  QColor(50, 100, 200));
        window.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    Mouse(QEvent::MouseButtonPress, 4, 4, Qt::RightButton);
    EXPECT_EQ(static_cast<CCopiedPattern&>(*Object()).Picture().GetPixel(0, 1),
              (PixelColor{50, 100, 200, 255}));

    // A rectangle's menu as Qt shows it, checked entries and submenus; Remove takes it away.
    frame->RunCommand(command::kDeselect);
    ASSERT_EQ(Object(), nullptr);
    workspace.Colours().GetPen().SetShadowEnabled(true);
    workspace.Tools().LeftButtonDown(ToolButton::Rectangle);
    Drag(10, 10, 20, 16);
    ASSERT_NE(Object(), nullptr);
    std::string shown;
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

TEST_F(ShellDialogsTest, F6MovesTheFocusThroughTheCanvasAndTheShownPanes) {
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
} // namespace pictoform::test
