// The small dialogs the view's commands open: Subdivide, Add Text and the
// drop-shadow options, driven field by field.

#include <gtest/gtest.h>

#include <climits>

#include "colour/ShadowOptionsDialog.h"
#include "panels/SubdivideDialog.h"
#include "panels/TextInputDialog.h"
#include "support/ScriptedUiServices.h"

using namespace pictoform;
using namespace pictoform::test;

TEST(CommandDialogs, SubdivideTakesDigitsAndTextInputChangesTheRunsFontOnOk) {
    CSubdivideDialog subdivide;
    EXPECT_EQ(std::pair(subdivide.Horizontal(), subdivide.Vertical()), std::pair(1, 1));
    subdivide.StepHorizontal(-1); // the spins stop at 1 and 10; typing does not
    subdivide.StepVertical(12);
    EXPECT_EQ(subdivide.HorizontalText() + "," + subdivide.VerticalText(), "1,10");
    subdivide.SetHorizontalText("-2a5");
    subdivide.SetVerticalText("99999999999999");
    EXPECT_EQ(std::pair(subdivide.Horizontal(), subdivide.Vertical()), std::pair(25, INT_MAX));

    ScriptedUiServices ui;
    FontDescription runFont;
    CTextInputDialog text(ui, runFont);
    const FontDescription bold{"DejaVu Sans", 24, 700, true};
    ui.QueueFont(std::nullopt);
    ui.QueueFont(bold);
    EXPECT_FALSE(text.ChooseFont());
    EXPECT_TRUE(text.ChooseFont());
    EXPECT_EQ(runFont, bold);
    EXPECT_EQ(CTextInputDialog(ui, runFont).Font(), bold); // the next text starts with it
}

TEST(CommandDialogs, ShadowOptionsEditTheCallersValuesAndDefaultRestoresTheFactoryOnes) {
    ScriptedUiServices ui;
    const PixelColor red{200, 10, 20, 180};
    CDSOPTDialog dialog(ui, 5, -4, red);
    EXPECT_EQ(dialog.XText() + "," + dialog.YText(), "5,-4");
    dialog.StepX(7); // spins stop at -10 and 10
    dialog.StepY(-9);
    EXPECT_EQ(std::pair(dialog.X(), dialog.Y()), std::pair(10, -10));
    dialog.SetXText("25");
    dialog.SetYText("none");
    EXPECT_EQ(std::pair(dialog.X(), dialog.Y()), std::pair(25, 0));
    // "Edit color": Cancel keeps the colour, OK takes all of the edited one.
    const PixelColor edited{1, 2, 3, 40, 7, 9};
    ui.QueueEditColor(std::nullopt);
    ui.QueueEditColor(edited);
    EXPECT_FALSE(dialog.ChooseColour());
    EXPECT_EQ(dialog.Colour(), red);
    EXPECT_TRUE(dialog.ChooseColour());
    EXPECT_EQ(dialog.Colour(), edited);
    EXPECT_EQ(ui.EditColorRequests(), (std::vector<PixelColor>{red, red}));
    dialog.Default();
    EXPECT_EQ(dialog.XText() + "," + dialog.YText(), "2,2");
    EXPECT_EQ(dialog.Colour(), (PixelColor{0, 0, 0, 100, 0, 0}));

    // The offsets read like typed integers.
    const std::pair<const char*, int> cases[] = {{"25", 25},
                                                 {"-7", -7},
                                                 {"+3", 3},
                                                 {"  -12xy", -12},
                                                 {"4-5", 4},
                                                 {"", 0},
                                                 {"abc", 0},
                                                 {"--3", 0},
                                                 {"99999999999", INT_MAX},
                                                 {"-2147483648", INT_MIN},
                                                 {"-99999999999", INT_MIN}};
    for (const auto& [text, value] : cases)
        EXPECT_EQ(CDSOPTDialog::ReadOffset(text), value) << text;
}
