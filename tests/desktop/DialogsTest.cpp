// The dialogs of formats, objects, text and colours run as the program runs
// them: each is opened by its Run... function or a command, filled in while
// its exec() loop runs, and closed; then the answer that came back and what
// the models hold are checked.

#include "desktop/DialogFixture.h"

namespace pictoform::test {
namespace {

TEST_F(DialogsTest, NewFormatTakesAListSizeACustomSizeAndADepth) {
    // The lists' texts and the remembered choices are the model's, pinned by
    // the NewFormatDialog tests; here the widgets show and take them.
    CPreviewDialog& formats = workspace.FormatList();
    script.Then("New Format", [](QWidget& window) {
        auto& dialog = As<NewFormatDialog>(window);
        EXPECT_EQ(dialog.Sizes().currentText(), "32 X 32");
        EXPECT_EQ(dialog.Depths().currentText(), "Windows XP");
        // End on the size list picks "Custom", which asks for the size.
        QTest::keyClick(&dialog.Sizes(), Qt::Key_End);
        EXPECT_EQ(dialog.Sizes().currentText(), "Custom(100 X 20)");
        QTest::keyClick(&dialog.Depths(), Qt::Key_Up);
        QTest::keyClick(&dialog.Depths(), Qt::Key_Up);
        Button(window, "OK").click();
    });
    script.Then("Custom Size", [this](QWidget& window) {
        auto& dialog = As<CustomSizeDialog>(window);
        EXPECT_EQ(dialog.WidthEdit().Edit().text(), "32");
        Type(dialog.WidthEdit().Edit(), "2x00");
        EXPECT_EQ(dialog.WidthEdit().Edit().text(), "200");
        // Too big: the error box (its words are SizeDialog's), and the dialog stays open.
        script.Then("Error",
                    [](QWidget& box) { As<QMessageBox>(box).button(QMessageBox::Ok)->click(); });
        Button(window, "OK").click();
        EXPECT_TRUE(window.isVisible());
        Type(dialog.WidthEdit().Edit(), "100");
        Type(dialog.HeightEdit().Edit(), "19");
        QTest::keyClick(&dialog.HeightEdit().Edit(), Qt::Key_Up);
        EXPECT_EQ(dialog.HeightEdit().Edit().text(), "20");
        Button(window, "OK").click();
    });
    frame->RunCommand(command::kNewFormat);
    ASSERT_EQ(formats.Count(), 2);
    const CIconFormat& added = *formats.Item(1).format;
    EXPECT_EQ(std::tuple(added.Width(), added.Height(), added.Depth()), std::tuple(100, 20, 256));

    // Cancel adds nothing.
    script.Then("New Format", [](QWidget& window) {
        auto& dialog = As<NewFormatDialog>(window);
        QTest::keyClick(&dialog.Sizes(), Qt::Key_Home);
        Button(window, "cancel").click();
    });
    frame->RunCommand(command::kNewFormat);
    EXPECT_EQ(formats.Count(), 2);
}

TEST_F(DialogsTest, SubdivideFromMorphMakesTheTypedAndSteppedGrid) {
    workspace.Tools().LeftButtonDown(ToolButton::Rectangle);
    Drag(4, 4, 14, 12);
    ASSERT_NE(Object(), nullptr);
    script.Then("Subdivide", [](QWidget& window) {
        window.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
    });
    frame->RunCommand(command::kMorph);
    EXPECT_FALSE(Object()->MorphMode());
    script.Then("Subdivide", [](QWidget& window) {
        auto& dialog = As<SubdivideDialog>(window);
        Type(dialog.HorizontalEdit().Edit(), "3");
        QTest::keyClick(&dialog.VerticalEdit().Edit(), Qt::Key_Up);
        window.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    frame->RunCommand(command::kMorph);
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
        window.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    EXPECT_TRUE(RunTextInputDialog(frame.get(), model));
    EXPECT_EQ(model.Text(), "Hi\nyo");
    // The run's font, for every later text.
    EXPECT_EQ(workspace.TextFont(), (FontDescription{family.toStdString(), 24, 700, false}));

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
        EXPECT_EQ(window.grab().toImage().pixelColor(10, 165), QColor(255, 0, 0));
        QTest::mouseClick(&window, Qt::LeftButton, {}, QPoint(10, 165));
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

TEST_F(DialogsTest, FilterPreviewsItsValueAndOkAppliesIt) {
    CLayerImage target = BluePicture();
    FilterDialogModel brighten(target, FilterKind::Brighten);
    const int x0 = brighten.Preview().OriginX() + PicturePreview::kAfterOffset;
    const int y0 = brighten.Preview().OriginY();
    script.Then("Filter -- Brighten", [&](QWidget& window) {
        auto& dialog = As<FilterDialog>(window);
        QTest::keyClick(&dialog.Slider(), Qt::Key_End);
        EXPECT_EQ(dialog.Slider().toolTip(), "100%");
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
        window.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
    });
    EXPECT_FALSE(RunFilterDialog(frame.get(), saturation));
    EXPECT_EQ(kept.GetPixel(0, 0), (PixelColor{100, 200, 255, 255}));
}

TEST_F(DialogsTest, ShadowOptionsMoveThePassesAndTakeTheSwatchColour) {
    script.Then("Dropping Shadow Option", [this](QWidget& window) {
        auto& dialog = As<ShadowOptionsDialog>(window);
        Type(dialog.XEdit().Edit(), "5");
        QTest::keyClick(&dialog.YEdit().Edit(), Qt::Key_Down); // from the default 2
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
}

TEST_F(DialogsTest, EnterFileNameHandsBackTheEditedName) {
    script.Then("Enter File Name", [](QWidget& window) {
        auto& edit = *window.findChild<QLineEdit*>();
        EXPECT_EQ(edit.text(), "Warm");
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

} // namespace
} // namespace pictoform::test
