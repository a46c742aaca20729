// The edit and Magic commands on the current layer: pixels of the committed
// picture and of the object, and the records they leave for undo.

#include "colour/AdjustColorModel.h"
#include "colour/FilterDialogModel.h"
#include "colour/ShadowOptionsDialog.h"
#include "editor/CommandFixture.h"
#include "objects/MaskedPattern.h"
#include "objects/TriPattern.h"
#include "panels/SubdivideDialog.h"

namespace pictoform::test {
namespace {

using Commands = CommandFixture;
using namespace command;

TEST_F(Commands, UpdateFollowsTheObjectAndThePenAndMorphBuildsItsGridOnce) {
    auto flags = [&](std::initializer_list<int> ids, bool checked = false) {
        std::string out;
        for (int id : ids) {
            const CommandUpdate update = view.Commands().Update(id);
            out += (checked ? update.checked : update.enabled) ? "1" : "0";
        }
        return out;
    };
    auto objectFlags = [&] {
        return flags(
            {kCut, kCopy, kBrighten, kAdjustColor, kFlipVertical, kRemove, kMorph, kPaste});
    };
    const auto gradients = {command::kGradientVertex, command::kGradientLinear,
                            command::kGradientRadial, command::kGradientRectangle};
    EXPECT_EQ(objectFlags(), "00000001");
    Paint(0, 0, kRed);
    Lift(0, 0, 1, 1);
    EXPECT_EQ(objectFlags(), "11111111");
    auto ellipse = std::make_unique<CMaskedPattern>();
    ASSERT_TRUE(ellipse->CreateEllipse(0, 0, 30, 30));
    StartObject(workspace, Layer(), std::move(ellipse));
    EXPECT_EQ(objectFlags(), "00001111");
    // A division the grid refuses leaves the object out of morph mode.
    workspace.Dialogs().subdivide = [](CSubdivideDialog& dialog) {
        dialog.SetHorizontalText("0");
        return true;
    };
    Run(kMorph);
    EXPECT_FALSE(Layer().ActiveObject()->MorphMode());
    auto triangle = std::make_unique<CTriPattern>();
    ASSERT_TRUE(triangle->InitTriangle({0, 0}, {30, 0}, {0, 30}));
    StartObject(workspace, Layer(), std::move(triangle));
    EXPECT_EQ(objectFlags(), "00000111");
    Run(kMorph);
    EXPECT_EQ(view.Commands().Update(kMorph).text, "Cancel &Morph");
    EXPECT_EQ(Layer().ActiveObject()->MorphRows(), 2);
    Run(kMorph);
    EXPECT_EQ(view.Commands().Update(kMorph).text, "&Morph");

    Run(command::kGradientRectangle);
    Run(kShadowEnabled);
    EXPECT_EQ(flags(gradients, true) + flags({kShadowEnabled}, true), "00011");
    workspace.Tools().LeftButtonDown(ToolButton::FloodFill);
    EXPECT_EQ(flags(gradients), "0110");
    EXPECT_FALSE(Run(kExit)); // the shell's, not the view's
}

TEST_F(Commands, DeselectMergesWithTheShadowWhenItIsOnAndItsOptionsMoveIt) {
    workspace.Dialogs().shadowOptions = [&](CDSOPTDialog& dialog) {
        EXPECT_EQ(dialog.XText() + "," + dialog.YText(), "2,2");
        dialog.SetXText("4");
        ui.QueueEditColor(PixelColor{0, 0, 255, 200});
        return dialog.ChooseColour();
    };
    // Icon pixels (5, 5), (6, 6), (7, 6), (8, 6), (8, 7) after merging a red
    // (5, 5). The options move X by 2 and take the alphas from 200: 30, then 80.
    const std::pair<bool, const char*> cases[] = {
        {false, "255 0 0 255|-|-|-|-"},
        {true, "255 0 0 255|0 0 0 39|0 0 0 14|-|0 0 0 14"},
        {true, "255 0 0 255|-|-|0 0 255 79|0 0 255 29"},
    };
    for (const auto& [shadow, pixels] : cases) {
        Layer().Committed().Fill(255, 0, 0);
        Paint(5, 5, kRed);
        Lift(5, 5, 6, 6);
        Pen().SetShadowEnabled(shadow);
        if (pixels == cases[2].second) Run(kShadowOption);
        Run(kDeselect);
        EXPECT_EQ(Pixels(Layer().Committed(), {{5, 5}, {6, 6}, {7, 6}, {8, 6}, {8, 7}}), pixels);
    }
    EXPECT_EQ(History(), "3 3 3 3 3 3 [3]");
}

TEST_F(Commands, SelectAllThenFiltersAreRecordedForUndoAndFlipsAreNot) {
    Paint(0, 0, PixelColor{100, 50, 200, 255});
    Run(kSelectAll);
    EXPECT_EQ(Pixels(Layer().Committed(), {{0, 0}}), "-");
    EXPECT_EQ(Copied()->Picture().Width(), 144);
    auto pixels = [&] { return Pixels(Copied()->Picture(), {{0, 0}, {47, 0}}); };
    Run(kInvert);
    EXPECT_EQ(pixels(), "155 205 55 255|-");
    Run(kUndo);
    EXPECT_EQ(pixels(), "100 50 200 255|-");
    Run(kRedo);
    Run(kUndo);
    Run(kGrayscale);
    workspace.Dialogs().adjustColor = [](AdjustColorModel& model) {
        model.MoveSlider(ColourChannel::Red, 0); // half
        return model.Accept();
    };
    Run(kAdjustColor);
    EXPECT_EQ(pixels(), "58 116 116 255|-");
    EXPECT_EQ(History(), "3 3 4 2 2 [2]");
    std::vector<FilterKind> kinds;
    workspace.Dialogs().filter = [&](FilterDialogModel& model) {
        kinds.push_back(model.Kind());
        return false;
    };
    for (int id : {kBrighten, kContrast, kSaturation, kFlipHorizontal}) Run(id);
    EXPECT_EQ(kinds,
              (std::vector{FilterKind::Brighten, FilterKind::Contrast, FilterKind::Saturation}));
    EXPECT_EQ(pixels(), "-|58 116 116 255");
    EXPECT_EQ(History(), "3 3 4 2 2 [2]");
    // Undo goes back to the record before the flip.
    Run(kUndo);
    EXPECT_EQ(pixels(), "116 116 116 255|-");
}

} // namespace
} // namespace pictoform::test
