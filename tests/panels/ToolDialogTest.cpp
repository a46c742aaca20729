// The tools panel driven as the user drives it: tool buttons, the pencil's
// and eraser's menus, the width and mask lists, and the buttons' faces.

#include <gtest/gtest.h>

#include <cstdio>

#include "panels/ToolDialog.h"

using namespace pictoform;
using B = ToolButton;

namespace {

// The current code in hex, "W" / "M" for an enabled width / mask list, and
// the checked entries of the current button's menu.
std::string State(const CToolDialog& panel) {
    char code[8];
    std::snprintf(code, sizeof code, "%x", panel.GetCurrentTool());
    std::string s = code;
    if (panel.WidthListEnabled()) s += " W";
    if (panel.MaskListEnabled()) s += " M";
    for (const ToolMenuEntry& e : panel.MenuEntries(panel.CurrentButton()))
        if (e.checked) s += " " + e.text;
    return s;
}

} // namespace

TEST(ToolDialog, ButtonsAndMenusSetTheToolAndTheListsItUses) {
    CToolDialog panel(std::vector<MaskEntry>{{"arrow", "/m/arrow.msk"}, {"bolt", "/m/bolt.msk"}});
    std::vector<std::string> seen{State(panel)};
    for (B b : {B::Pencil, B::Line, B::RectangleFrame, B::Rectangle, B::Ellipse, B::ColorPicker,
                B::Eraser, B::Text, B::FloodFill, B::Mask, B::Triangle, B::Selection}) {
        panel.LeftButtonDown(b);
        seen.push_back(State(panel));
    }
    EXPECT_EQ(seen,
              (std::vector<std::string>{"0", "101 W R&ound", "300 W", "700 W", "701", "600", "900",
                                        "a01 W &Square", "b00", "d00", "f00 M", "c00", "0"}));
    EXPECT_EQ(panel.PreviousButton(), B::Triangle);

    // Menu commands from any tool; the square pencil has no width.
    seen.clear();
    for (int command : {CToolDialog::kPencilSquareCommand, CToolDialog::kPencilLeftDiagonalCommand,
                        CToolDialog::kPencilRightDiagonalCommand, CToolDialog::kPencilRoundCommand,
                        CToolDialog::kEraserRoundCommand, CToolDialog::kEraserSquareCommand}) {
        panel.LeftButtonDown(B::Mask);
        EXPECT_TRUE(panel.OnCommand(command));
        seen.push_back(State(panel));
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"102 &Square", "104 W &Left Diagonal",
                                              "103 W &Right Diagonal", "101 W R&ound",
                                              "a00 W &Round", "a01 W &Square"}));
    EXPECT_FALSE(panel.OnCommand(32900));

    // The square pencil stays square, without width, when clicked later.
    ASSERT_TRUE(panel.OnCommand(CToolDialog::kPencilSquareCommand));
    panel.LeftButtonDown(B::Line);
    panel.LeftButtonDown(B::Pencil);
    EXPECT_EQ(State(panel), "102 &Square");
    // A right press on the Eraser, its menu dismissed: the Eraser is the tool
    // and its width list is on.
    panel.LeftButtonDown(B::Mask);
    EXPECT_FALSE(panel.RightButtonDown(B::Line)); // no menu to open
    EXPECT_TRUE(panel.RightButtonDown(B::Eraser));
    EXPECT_EQ(State(panel), "a01 W &Square");

    panel.ChooseWidth(4);
    panel.ChooseWidth(8); // no such item
    EXPECT_EQ(panel.PenWidth(), 5);
    EXPECT_EQ(panel.GetMaskPath(), "/m/arrow.msk");
    panel.ChooseMask(1);
    panel.ChooseMask(2);
    EXPECT_EQ(panel.GetMaskPath(), "/m/bolt.msk");
    EXPECT_EQ(CToolDialog(std::vector<MaskEntry>{}).GetMaskPath(), "");
}

TEST(ToolDialog, SwapToolsReturnsToTheToolBeforeTheColourPicker) {
    CToolDialog panel(std::vector<MaskEntry>{});
    int changes = 0;
    panel.SetChangeListener([&] { ++changes; });
    panel.SwapTools(); // nothing to return to: the selection tool stays
    EXPECT_EQ(State(panel), "0");
    EXPECT_EQ(changes, 0);

    panel.LeftButtonDown(B::Pencil);
    panel.LeftButtonDown(B::ColorPicker);
    panel.LeftButtonDown(B::ColorPicker); // pressed again: still back to the pencil
    changes = 0;
    panel.SwapTools();
    EXPECT_EQ(changes, 1);                   // the buttons repaint
    EXPECT_EQ(State(panel), "101 W R&ound"); // the pencil's width can be set again
    EXPECT_EQ(panel.PreviousButton(), B::ColorPicker);

    panel.MouseMove(B::Text);
    EXPECT_EQ(panel.Look(B::Text), ButtonLook::Hot);
    panel.MouseMove(B::Pencil); // current outranks hot
    EXPECT_EQ(panel.Look(B::Pencil), ButtonLook::Current);
    EXPECT_EQ(panel.Look(B::Text), ButtonLook::Plain);
}

TEST(ToolDialog, ButtonFacesOutlineFillTriangleAndIconPlace) {
    auto rgb = [](const CLayerImage& image, int x, int y) {
        return image.GetPixel(x, y).Rgba32() & 0xffffff;
    };
    const PixelColor grey{240, 240, 240, 255};
    CLayerImage face;
    IconPlace icon = DrawToolButton(face, 40, 36, ButtonLook::Current, true, grey);
    EXPECT_EQ(std::vector<int>({icon.x, icon.y}), std::vector<int>({4, 2}));
    EXPECT_EQ(rgb(face, 39, 20), 0xc56a31u); // (49, 106, 197)
    EXPECT_EQ(rgb(face, 1, 1), 0xd0b9a9u);   // (169, 185, 208)
    // Column 40 - 6 + k holds k black pixels upwards from row 34.
    std::string rows;
    for (int y = 30; y <= 35; ++y) {
        for (int x = 34; x <= 39; ++x) rows += rgb(face, x, y) == 0 ? '#' : '.';
        rows += '|';
    }
    EXPECT_EQ(rows, "......|....#.|...##.|..###.|.####.|......|");

    icon = DrawToolButton(face, 40, 36, ButtonLook::Hot, false, grey);
    EXPECT_EQ(std::vector<int>({icon.x, icon.y}), std::vector<int>({3, 1}));
    EXPECT_EQ(rgb(face, 38, 34), 0xe1d4ccu); // (204, 212, 225), no triangle
    icon = DrawToolButton(face, 41, 37, ButtonLook::Plain, false, grey);
    EXPECT_EQ(std::vector<int>({icon.x, icon.y}), std::vector<int>({4, 2}));
    EXPECT_EQ(rgb(face, 0, 0), 0xf0f0f0u);
}
