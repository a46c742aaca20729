// The colour panel driven as the user drives it: the single colour with its
// sliders, palette and Erase switch, the two modes, and the presets, listed,
// chosen, added and overwritten. Colours are compared as 0xAABBGGRR.

#include <gtest/gtest.h>

#include <bit>
#include <filesystem>

#include "panels/AdvColorDialog.h"
#include "support/ScriptedUiServices.h"
#include "support/TestPaths.h"
#include "support/TestSupport.h"

using namespace pictoform;
using namespace pictoform::test;

namespace {

// A .gpr whose stops, given as 0xAABBGGRR, are spread evenly from 0 to 1.
std::vector<uint8_t> Gpr(const std::vector<uint32_t>& stops) {
    std::vector<uint8_t> b;
    auto u32 = [&](uint32_t v) {
        for (int s = 0; s < 32; s += 8) b.push_back(static_cast<uint8_t>(v >> s));
    };
    u32(static_cast<uint32_t>(stops.size()));
    for (size_t i = 0; i < stops.size(); ++i) {
        u32(stops[i]); // red, green, blue, alpha
        u32(std::bit_cast<uint32_t>(static_cast<float>(i) / static_cast<float>(stops.size() - 1)));
        u32(0);
    }
    return b;
}

// The new pen's stops: red and blue at alpha 200.
const std::vector<uint8_t> kInitialStopsFile = Gpr({0xc80000ff, 0xc8ff0000});

std::vector<std::string> Names(const CAdvColorDialog& panel) {
    std::vector<std::string> names;
    for (size_t i = 0; i < panel.PresetCount(); ++i) names.push_back(panel.PresetName(i));
    return names;
}

class AdvColorDialog : public ::testing::Test {
protected:
    ScriptedUiServices ui;
    TestPaths paths;
};

} // namespace

TEST_F(AdvColorDialog, SingleColourEraseAndMultiColourReachThePen) {
    CAdvColorDialog panel(ui, paths);
    int repaints = 0;
    panel.SetNotify([&] { ++repaints; });
    std::string texts;
    for (int c = 0; c < 4; ++c) texts += panel.ValueText(static_cast<ColourChannel>(c)) + " ";
    EXPECT_EQ(texts, "255 180 60 255 ");
    EXPECT_EQ(panel.GetPen().SingleColor().Rgba32(), 0xff3cb4ffu);

    EXPECT_TRUE(panel.OnCommand(CAdvColorDialog::kEraseCommand));
    EXPECT_TRUE(panel.StateOf(CAdvColorDialog::kEraseCommand).checked);
    EXPECT_EQ(repaints, 1);
    EXPECT_EQ(panel.GetPen().Outputs().colours[0].word2, 1u);
    panel.MoveSlider(ColourChannel::Red, 7); // the sliders are off while erasing
    EXPECT_FALSE(panel.SlidersEnabled());
    panel.OnCommand(CAdvColorDialog::kEraseCommand);
    panel.MoveSlider(ColourChannel::Red, 300);
    panel.MoveSlider(ColourChannel::Blue, 7);
    EXPECT_EQ(panel.CurrentColour().Rgba32(), 0xff07b4ffu);

    // The colour picker's colour and words; the Erase switch, not the
    // picked word, reaches the pen.
    panel.SetColor(0x80112233, 5, 7);
    EXPECT_EQ(panel.ValueText(ColourChannel::Alpha), "128");
    EXPECT_EQ(panel.GetPen().SingleColor().word1, 5u);
    EXPECT_EQ(panel.GetPen().SingleColor().word2, 0u);

    EXPECT_FALSE(panel.StateOf(CAdvColorDialog::kReverseCommand).enabled);
    panel.SelectTab(CAdvColorDialog::kMultiColourTab);
    panel.OnCommand(CAdvColorDialog::kEraseCommand); // not in this mode
    EXPECT_FALSE(panel.IsErase());
    EXPECT_EQ(panel.GetPen().Outputs().table[0].Rgba32(), 0xc80000ffu);
    panel.OnCommand(CAdvColorDialog::kReverseCommand);
    EXPECT_EQ(panel.GetPen().Outputs().table[0].Rgba32(), 0xc8ff0000u);

    // The colour picker with no stop selected: the strip's warning, no change.
    panel.SetColor(0xff00ff00, 0, 0);
    EXPECT_TRUE(ui.WasAsked("Select a node in multi-color strip or switch to single color mode",
                            "Warning"));
    EXPECT_EQ(panel.GetPen().Stop(0).Rgba32(), 0xc80000ffu);
    panel.GetPen().Select(1);
    panel.SetColor(0x4000ff00, 0, 0);
    EXPECT_EQ(panel.GetPen().Stop(1).Rgba32(), 0x4000ff00u);
    EXPECT_EQ(panel.CurrentColour().Rgba32(), 0x80112233u);
}

TEST_F(AdvColorDialog, ColoursTypedByNumberOrRefusedWithTheColourKept) {
    CAdvColorDialog panel(ui, paths);
    panel.MoveSlider(ColourChannel::Alpha, 9); // a six-digit colour is opaque whatever it was
    EXPECT_EQ(panel.HexText(), "#FFB43C09");
    struct Case {
        const char* text;
        bool hex;
        bool accepted;
        PixelColor after;
    };
    // Each case starts from the colour the one before it left.
    const Case cases[] = {
        {" 200 ", false, true, {200, 180, 60, 9}},
        {"256", false, false, {200, 180, 60, 9}},
        {"-1", false, false, {200, 180, 60, 9}},
        {"12a", false, false, {200, 180, 60, 9}},
        {"", false, false, {200, 180, 60, 9}},
        {"#102030", true, true, {16, 32, 48, 255}},
        {"a0b0c080", true, true, {160, 176, 192, 128}},
        {"#12345", true, false, {160, 176, 192, 128}},
        {"#12345G", true, false, {160, 176, 192, 128}},
        {"#1020304050", true, false, {160, 176, 192, 128}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const bool accepted =
            c.hex ? panel.TypeHex(c.text) : panel.TypeValue(ColourChannel::Red, c.text);
        EXPECT_EQ(accepted, c.accepted);
        EXPECT_EQ(panel.CurrentColour(), c.after);
    }
    EXPECT_EQ(panel.HexText(), "#A0B0C080");
    // While erasing the colour takes no numbers.
    ASSERT_TRUE(panel.OnCommand(CAdvColorDialog::kEraseCommand));
    EXPECT_FALSE(panel.TypeValue(ColourChannel::Green, "1"));
    EXPECT_FALSE(panel.TypeHex("#000000"));
}

TEST_F(AdvColorDialog, SwatchAndPalettePicksThatKeepAlpha) {
    CLayerImage swatch;
    DrawColourSwatch(swatch, 30, 24, CAdvColorDialog::kInitialColour);
    // Outline, white margin, and opaque orange the same on both kinds of cell.
    // clang-format off
    const uint32_t opaque[][3] = {{0, 0, 0xff5a5a5a}, {2, 2, 0xffffffff}, {3, 3, 0xff3bb3fe},
                                  {10, 3, 0xff3bb3fe}, {27, 20, 0xffffffff}};
    // clang-format on
    // Black at alpha 100: light cells (-255 * 100 + 65025) >> 8 = 154, dark
    // ones (-128 * 100 + 32640) >> 8 = 77, cells of 7 counted from (3, 3).
    const uint32_t clear[][3] = {{9, 9, 0xff9a9a9a}, {10, 3, 0xff4d4d4d}, {10, 10, 0xff9a9a9a}};
    for (const auto& p : opaque) EXPECT_EQ(swatch.GetPixel(p[0], p[1]).Rgba32(), p[2]);
    DrawColourSwatch(swatch, 30, 24, PixelColor{0, 0, 0, 100});
    for (const auto& p : clear) EXPECT_EQ(swatch.GetPixel(p[0], p[1]).Rgba32(), p[2]);

    CAdvColorDialog panel(ui, paths);
    panel.MoveSlider(ColourChannel::Alpha, 100);
    struct Case {
        int x, y;
        bool left, right; // a move with these buttons; a press when neither
        uint32_t after;
    } const cases[] = {
        {10, 180, false, false, 0x64ffffff}, // top left: white
        {10, 200, false, false, 0x640000ff}, // mid-height: pure red
        {47, 200, true, false, 0x6400ffff},  // second hue segment: yellow
        {232, 219, false, true, 0x64000000}, // grey ramp, bottom row: black
        {250, 200, false, false, 0x64000000}, {10, 220, false, false, 0x64000000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
        (void)(c.left || c.right ? panel.MouseMove(c.x, c.y, c.left, c.right)
                                 : panel.LeftButtonDown(c.x, c.y));
        EXPECT_EQ(panel.CurrentColour().Rgba32(), c.after);
    }
    panel.SelectTab(CAdvColorDialog::kMultiColourTab); // no palette there
    EXPECT_FALSE(panel.LeftButtonDown(10, 200));
}

TEST_F(AdvColorDialog, PresetsOfBothFoldersAreListedChosenAsCopiesAndAddedForTheUser) {
    TempDir shipped, home;
    const std::string user = home.File("data/pictoform/Presets");
    std::filesystem::create_directories(user);
    const std::vector<uint8_t> sunset = Gpr({0xff0000ff, 0xffffffff, 0xffff0000});
    WriteBytes(shipped.File("Sunset.gpr"), sunset);
    WriteBytes(shipped.File("fire.GPR"), Gpr({0xff0000ff, 0xffffffff}));
    WriteBytes(shipped.File("Ocean.gpr"), Gpr({0xffff0000, 0xffffffff}));
    WriteBytes(shipped.File("broken.gpr"), {1, 0, 0, 0, 1, 2, 3, 4}); // one stop: no strip
    WriteBytes(user + "/Ocean.gpr", Gpr({0xffffffff, 0xffff0000}));   // the user's own Ocean
    paths.presets = shipped.Path();
    paths.userPresets = user;
    CAdvColorDialog panel(ui, paths);
    EXPECT_EQ(Names(panel), (std::vector<std::string>{"fire", "Ocean", "Sunset"}));
    EXPECT_EQ(panel.PresetPath(1), user + "/Ocean.gpr");

    panel.SelectTab(CAdvColorDialog::kMultiColourTab);
    panel.ChoosePreset(2);
    CMultiColorPen& pen = panel.GetPen();
    ASSERT_EQ(pen.StopCount(), 3u);
    EXPECT_EQ(pen.Stop(1).Rgba32(), 0xffffffffu);
    EXPECT_EQ(pen.Outputs().table[0].Rgba32(), 0xff0000ffu);
    pen.Select(1); // editing the strip afterwards leaves the preset alone
    panel.SetColor(0xff00ff00, 0, 0);
    EXPECT_EQ(panel.PresetPen(2).Stop(1).Rgba32(), 0xffffffffu);
    panel.ChoosePreset(1);
    panel.ChoosePreset(3); // no such item
    EXPECT_EQ(panel.SelectedPreset(), 1);
    EXPECT_EQ(pen.Stop(0).Rgba32(), 0xffffffffu);

    // Saved under a shipped preset's name: the user's copy takes the item's
    // place, the shipped file stays as it came.
    ui.QueueFileName("Sunset");
    panel.AddToPresets();
    EXPECT_EQ(ReadBytes(user + "/Sunset.gpr"), Gpr({0xffffffff, 0xffff0000}));
    EXPECT_EQ(ReadBytes(shipped.File("Sunset.gpr")), sunset);
    EXPECT_EQ(panel.PresetPath(2), user + "/Sunset.gpr");

    ui.QueueFileName("../escape");
    ui.QueueFileName(std::string(300, 'x')); // longer than a file name may be
    panel.AddToPresets();
    panel.AddToPresets();
    ASSERT_EQ(ui.Messages().size(), 2u);
    EXPECT_EQ(ui.Messages()[0].text, "A preset name cannot contain \"/\".");
    EXPECT_EQ(ui.Messages()[1].caption, "Error");
    EXPECT_FALSE(FileExists(home.File("data/pictoform/escape.gpr")));
    EXPECT_EQ(Names(panel), (std::vector<std::string>{"fire", "Ocean", "Sunset"}));
}

TEST_F(AdvColorDialog, AddToPresetsWritesNewFilesAndAsksBeforeOverriding) {
    TempDir dir;
    const std::string presets = dir.File("Presets");
    paths.presets = presets;
    CAdvColorDialog panel(ui, paths); // no folder yet
    panel.SelectTab(CAdvColorDialog::kMultiColourTab);
    // Cancel, then OK with nothing typed: nothing is made.
    for (const auto& name : {std::optional<std::string>(), std::optional<std::string>("")}) {
        ui.QueueFileName(name);
        panel.OnCommand(CAdvColorDialog::kAddPresetCommand);
    }
    EXPECT_FALSE(std::filesystem::exists(presets));
    for (const char* name : {"Mine", "Other"}) {
        ui.QueueFileName(name);
        panel.AddToPresets();
    }
    EXPECT_EQ(ui.FileNameRequests(), (std::vector<std::string>{"", "", "", ""}));
    EXPECT_EQ(Names(panel), (std::vector<std::string>{"Mine", "Other"}));
    EXPECT_EQ(ReadBytes(presets + "/Mine.gpr"), kInitialStopsFile);

    panel.ChoosePreset(0);
    panel.GetPen().Select(0);
    panel.SetColor(0xff00ff00, 0, 0); // the first stop turns green
    // The chosen preset's name is proposed; No leaves file and list alone.
    ui.QueueFileName("Mine");
    ui.QueueAnswer(MessageAnswer::No);
    panel.AddToPresets();
    EXPECT_EQ(ui.FileNameRequests().back(), "Mine");
    EXPECT_TRUE(ui.WasAsked("Override " + presets + "/Mine.gpr?", "Pictoform"));
    EXPECT_EQ(ReadBytes(presets + "/Mine.gpr"), kInitialStopsFile);
    EXPECT_EQ(panel.PresetPen(0).Stop(0).Rgba32(), 0xc80000ffu);
    // Yes: the file and the item of that name take the stops, no item added.
    ui.QueueFileName("Mine");
    ui.QueueAnswer(MessageAnswer::Yes);
    panel.AddToPresets();
    EXPECT_EQ(Names(panel), (std::vector<std::string>{"Mine", "Other"}));
    EXPECT_EQ(ReadBytes(presets + "/Mine.gpr")[5], 0xff); // green of the first stop
    EXPECT_EQ(panel.PresetPen(0).Stop(0).Rgba32(), 0xff00ff00u);

    // Overwriting another preset than the chosen one: that one's item takes
    // the stops, the chosen item keeps its own.
    panel.SetColor(0xffff0000, 0, 0);
    ui.QueueFileName("Other");
    ui.QueueAnswer(MessageAnswer::Yes);
    panel.AddToPresets();
    EXPECT_EQ(panel.PresetPen(1).Stop(0).Rgba32(), 0xffff0000u);
    EXPECT_EQ(panel.PresetPen(0).Stop(0).Rgba32(), 0xff00ff00u);
    CAdvColorDialog again(ui, paths);
    EXPECT_EQ(again.PresetPen(1).Stop(0).Rgba32(), 0xffff0000u);
}
