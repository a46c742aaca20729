// The edit and Magic commands on the current layer: pixels of the committed
// picture and of the object, and the records they leave for undo.

#include <functional>

#include "colour/AdjustColorModel.h"
#include "colour/FilterDialogModel.h"
#include "colour/ShadowOptionsDialog.h"
#include "editor/CommandFixture.h"
#include "editor/ViewMouse.h"
#include "objects/MaskedPattern.h"
#include "objects/TriPattern.h"
#include "panels/NewFormatDialog.h"
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

TEST_F(Commands, CancelDropsTheLineUnderWayAndTheFormatCommandsReachTheList) {
    view.Resize(145, 145);
    view.Paint();
    workspace.Colours().SetColor(kRed.Rgba32(), 0, 0);
    // The line's preview is in the working picture until the release.
    workspace.Tools().LeftButtonDown(ToolButton::Line);
    view.Mouse().Press(10, 10);
    view.Mouse().Move(40, 10, mouse::kLeft);
    ASSERT_FALSE(Layer().StrokePoints().empty());
    ASSERT_EQ(Pixels(Layer().Working(), {{9, 3}}), "255 0 0 255");
    ASSERT_TRUE(Run(kCancel));
    EXPECT_TRUE(Layer().StrokePoints().empty());
    EXPECT_EQ(Pixels(Layer().Working(), {{3, 3}, {9, 3}, {13, 3}}), "-|-|-");
    view.Mouse().Release(40, 10);
    EXPECT_EQ(Pixels(Layer().Committed(), {{3, 3}, {9, 3}}), "-|-")
        << "a cancelled line is not kept";

    // New Format asks for size and depth, New Blank Format too; both go last.
    workspace.Dialogs().newFormat = [](CNewFmtDialog& dialog) {
        dialog.SelectSize(0, {});
        dialog.SelectDepth(0);
        return true;
    };
    ASSERT_TRUE(Run(kNewFormat));
    ASSERT_TRUE(Run(kNewBlankFormat));
    CPreviewDialog& list = workspace.FormatList();
    ASSERT_EQ(list.Count(), 3);
    auto order = [&] {
        std::string out;
        for (int i = 0; i < list.Count(); ++i)
            out += std::to_string(list.Item(i).format->Width()) + " ";
        return out;
    };
    EXPECT_EQ(order(), "48 16 16 ");
    ASSERT_TRUE(list.SelectItem(0));
    ASSERT_TRUE(Run(kFormatDown));
    EXPECT_EQ(order(), "16 48 16 ");
    ASSERT_TRUE(Run(kFormatUp));
    EXPECT_EQ(order(), "48 16 16 ");
    // Delete asks first, No being the safe answer (that the last format is
    // never deleted is PreviewDialogTest's).
    view.SetModified(false);
    ui.QueueAnswer(MessageAnswer::No);
    ASSERT_TRUE(Run(kDeleteFormat));
    EXPECT_EQ(order(), "48 16 16 ");
    EXPECT_FALSE(view.Modified()) << "a declined delete changes nothing";
    ui.QueueAnswer(MessageAnswer::Yes);
    ASSERT_TRUE(Run(kDeleteFormat));
    EXPECT_EQ(order(), "16 16 ");
    EXPECT_TRUE(view.Modified());
    EXPECT_EQ(ui.Messages().back().text, "Delete the format 48X48(WinXP)?");
    EXPECT_EQ(ui.Messages().back().buttons, MessageButtons::YesNoDefaultNo);
    // A command with nothing to do changes nothing either: the last format
    // down, a cancelled New Format.
    workspace.Dialogs().newFormat = [](CNewFmtDialog&) { return false; };
    for (const auto& [selected, id] :
         {std::pair{1, kFormatDown}, {0, kFormatUp}, {0, kNewFormat}}) {
        ASSERT_TRUE(list.SelectItem(selected));
        view.SetModified(false);
        ASSERT_TRUE(Run(id));
        EXPECT_FALSE(view.Modified()) << id;
    }
    EXPECT_EQ(order(), "16 16 ");
}

// The status bar's words; another format starts fitted. (Zooming about the
// pointer, zoom steps, scrolling and pressing where the status bar points are
// ShellTest's, through the window.)
TEST_F(Commands, StatusBarNamesTheZoomAndThePixelAndAnotherFormatStartsFitted) {
    view.Resize(400, 300);
    view.Paint();
    ASSERT_EQ(view.Geometry().zoom, 6); // fitted: 300 / 48
    EXPECT_EQ(view.StatusText(std::nullopt), "Zoom 600% (fit)");
    view.ZoomAbout(12, 250, 100);
    view.Paint();
    // (A painted pixel's colour in it is ShellTest's, through the window.)
    const ViewGeometry& g = view.Geometry();
    EXPECT_EQ(view.StatusText(CPictoformView::HotSpotPoint{g.originX + 12 * 19, g.originY + 240}),
              "Zoom 1200%   Pixel 19, 20   transparent");
    // A translucent pixel's colour as the file will hold it, not as the
    // screen lays it over white.
    Paint(19, 20, PixelColor{255, 0, 16, 128});
    view.Paint();
    EXPECT_EQ(view.StatusText(CPictoformView::HotSpotPoint{g.originX + 12 * 19, g.originY + 240}),
              "Zoom 1200%   Pixel 19, 20   #FF0010 alpha 128");

    // Below depth 32 a translucent pixel is laid over white, and the file
    // keeps no alpha.
    ASSERT_TRUE(workspace.FormatList().AddNewFormat({16, 16, kDepth24}, false));
    ASSERT_TRUE(workspace.FormatList().SelectItem(1));
    Paint(0, 0, PixelColor{255, 0, 16, 128});
    view.Paint();
    EXPECT_TRUE(view.Commands().Update(kZoomFit).checked);
    EXPECT_EQ(view.StatusText(
                  CPictoformView::HotSpotPoint{view.Geometry().originX, view.Geometry().originY}),
              "Zoom 1600% (fit)   Pixel 0, 0   #FF7E86 alpha 255");
}

TEST_F(Commands, WorkDoneOnlyThroughCommandsAndTheLayersPanelIsUnsavedWork) {
    Paint(0, 0, kRed);
    Paint(1, 0, kRed);
    // Whether the action leaves unsaved work where a save left none.
    const auto marks = [&](const std::function<void()>& action) {
        view.SetModified(false);
        action();
        return view.Modified();
    };
    for (const int id :
         {kCopy, kSetHotspot, kSetHotspot, kShadowEnabled, command::kGradientRadial}) {
        EXPECT_FALSE(marks([&] { ASSERT_TRUE(Run(id)); })) << id;
    }
    EXPECT_TRUE(marks([&] { ASSERT_TRUE(Run(kUndo)); })) << "an undo after saving is unsaved work";
    EXPECT_TRUE(marks([&] { ASSERT_TRUE(Run(kInvert)); }));

    CLayerDialog& layers = workspace.LayerPanel();
    EXPECT_TRUE(marks([&] { ASSERT_TRUE(layers.AddLayer()); }));
    // Choosing the layer to paint on changes nothing; its visibility does.
    EXPECT_FALSE(marks([&] { layers.ClickItem(1, 100); }));
    EXPECT_TRUE(marks([&] { layers.ClickItem(1, 2); }));
    EXPECT_TRUE(marks([&] { layers.MoveSlider(100); }));
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
