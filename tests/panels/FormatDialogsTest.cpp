// The New Format and Custom Size dialogs, driven field by field.

#include <gtest/gtest.h>

#include "panels/AnimationPlayer.h"
#include "panels/FrameTimeDialog.h"
#include "panels/NewFormatDialog.h"
#include "panels/PictureSizeDialog.h"
#include "support/ScriptedUiServices.h"

using namespace pictoform;
using namespace pictoform::test;

namespace {

std::string Texts(const std::vector<ComboItem>& items) {
    std::string out;
    for (const ComboItem& item : items) out += item.text + "=" + std::to_string(item.data) + ";";
    return out;
}

} // namespace

TEST(NewFormatDialog, ChoicesAreRememberedAndCustomTakesTheSizeDialogsAnswer) {
    ScriptedUiServices ui;
    NewFormatMemory memory;
    {
        CNewFmtDialog dialog(memory, ui);
        EXPECT_EQ(Texts(dialog.SizeItems()),
                  "16 X 16=1048592;24 X 24=1572888;32 X 32=2097184;48 X 48=3145776;"
                  "64 X 64=4194368;72 X 72=4718664;96 X 96=6291552;128 X 128=8388736;"
                  "256 X 256=16777472;Custom(32 X 32)=2097184;");
        EXPECT_EQ(Texts(dialog.DepthItems()),
                  "Monochrome=2;16 Color=16;256 Color=256;True Color=24;Windows XP=32;");
        EXPECT_EQ(std::pair(dialog.SizeSelection(), dialog.DepthSelection()), std::pair(2, 4));
        EXPECT_EQ(dialog.Result(), (FormatChoice{32, 32, 32}));
        dialog.SelectSize(6, {});
        dialog.SelectDepth(2);
        dialog.SelectDepth(-1); // a drop-down list keeps its selection
        EXPECT_EQ(dialog.Result(), (FormatChoice{96, 96, 256}));
    }
    {
        // Reopened on the same choices; the custom item offers the last size chosen.
        CNewFmtDialog dialog(memory, ui);
        EXPECT_EQ(std::pair(dialog.SizeSelection(), dialog.DepthSelection()), std::pair(6, 2));
        EXPECT_EQ(dialog.SizeItems().back().text, "Custom(96 X 96)");
        dialog.SelectSize(9, [&](CSizeDialog& size) {
            EXPECT_EQ(size.WidthText(), "96");
            size.SetWidthText("200");
            size.SetHeightText("20");
            EXPECT_FALSE(size.Ok());
            size.SetWidthText("100");
            return size.Ok();
        });
        // 256 is on the list, but Custom keeps its own limit.
        EXPECT_EQ(Texts({dialog.SizeItems().begin() + 7, dialog.SizeItems().end()}),
                  "128 X 128=8388736;256 X 256=16777472;Custom(100 X 20)=6553620;");
        EXPECT_EQ(dialog.Result(), (FormatChoice{100, 20, 256}));
    }
    CNewFmtDialog dialog(memory, ui);
    EXPECT_EQ(dialog.SizeSelection(), 9);
    EXPECT_EQ(dialog.SizeItems().back().text, "Custom(100 X 20)");
    dialog.SelectSize(9, [](CSizeDialog&) { return false; }); // cancelled: nothing changes
    EXPECT_EQ(dialog.Result(), (FormatChoice{100, 20, 256}));
}

TEST(SizeDialog, RefusesZeroAndSizesAbove128AndTakesDigitsOnly) {
    const char* zero = "Cannot make an icon with 0 !";
    const char* big = "Cannot make an icon bigger than 128!";
    const std::tuple<const char*, const char*, const char*, int, int> cases[] = {
        {"0", "5", zero, 7, 9},          {"5", "", zero, 7, 9},
        {"129", "5", big, 7, 9},         {"5", "99999999999", big, 7, 9},
        {"0", "300", zero, 7, 9},        {"128", "128", nullptr, 128, 128},
        {"a1b2", "0007", nullptr, 12, 7}};
    for (const auto& [width, height, message, w, h] : cases) {
        ScriptedUiServices ui;
        CSizeDialog dialog(ui, 7, 9);
        dialog.SetWidthText(width);
        dialog.SetHeightText(height);
        EXPECT_EQ(dialog.Ok(), message == nullptr) << width << " x " << height;
        EXPECT_EQ(std::pair(dialog.Width(), dialog.Height()), std::pair(w, h));
        ASSERT_EQ(ui.Messages().size(), message ? 1u : 0u);
        EXPECT_TRUE(!message || ui.WasAsked(message, "Error"));
    }
}

// The sizes offered ticked: the usual ones up to the picture's longer side
// (its own side too), all of them for a drawing, the nearest when none fits.
TEST(PictureSizeDialog, TicksTheUsualSizesThePictureFills) {
    const struct {
        PictureInfo info;
        std::vector<int> ticked;
    } cases[] = {
        {{48, 30, false}, {16, 24, 32, 48}},
        {{20, 40, false}, {16, 24, 32}},
        {{10, 10, false}, {16}},
        {{10, 10, true}, {16, 24, 32, 48, 256}},
        {{300, 200, false}, {16, 24, 32, 48, 256}},
    };
    for (const auto& c : cases) {
        const CPictureSizeDialog dialog("p.png", c.info, CPictureSizeDialog::Mode::ManySizes);
        EXPECT_EQ(dialog.Chosen(), c.ticked) << c.info.width << " x " << c.info.height;
    }
}

// The player walks the steps by the clock, each for its jiffies, looping;
// a step of no time still takes one, and changed steps keep the place.
TEST(AnimationPlayerTest, StepsFollowTheClockAndLoop) {
    AnimationPlayer player;
    player.SetSteps({{2, 6}, {0, 3}, {1, 0}});
    ASSERT_TRUE(player.CanPlay());
    EXPECT_FALSE(player.Advance(500.0)) << "paused, the clock stands";
    player.Play();
    const double jiffy = AnimationPlayer::kJiffyMs;
    struct Tick {
        double jiffies;
        uint32_t frame;
    };
    // 6 + 3 + 1 = 10 jiffies a round.
    for (const Tick& t : {Tick{5.5, 2}, Tick{0.5, 0}, Tick{2.9, 0}, Tick{0.1, 1}, Tick{1, 2},
                          Tick{10, 2}, Tick{26, 0}, Tick{1007, 2}}) {
        player.Advance(t.jiffies * jiffy);
        EXPECT_EQ(player.Frame(), t.frame) << t.jiffies;
    }
    EXPECT_NEAR(player.UntilNext(), 3 * jiffy, 1e-6); // 3 jiffies into a 6-jiffy step
    player.SetSteps({{0, 4}});
    EXPECT_FALSE(player.Playing()) << "one frame is no animation";
    EXPECT_EQ(player.Frame(), 0u);
}

// What is played and saved: the order's steps, each with the time the file
// gave it while its frame keeps the time it was read with.
TEST(AnimationStepsTest, OrderAndRatesAsReadUntilAFrameGetsANewTime) {
    struct Case {
        const char* what;
        std::vector<int32_t> frameTimes;
        std::vector<uint32_t> sequence, stepRates;
        std::vector<std::pair<uint32_t, uint32_t>> steps;
    };
    // Without an order every frame plays once; a frame of no time has a new frame's.
    const Case cases[] = {
        {"no order", {5, 0, 7}, {}, {}, {{0, 5}, {1, kNewFrameTime}, {2, 7}}},
        {"rates as read", {4, 6, 3}, {2, 0, 2}, {3, 0, 9}, {{2, 3}, {0, 4}, {2, 9}}},
        {"frame 2 given a new time", {4, 6, 5}, {2, 0, 2}, {3, 0, 9}, {{2, 5}, {0, 4}, {2, 5}}},
        // An order naming a frame that is gone is dropped, and its rates with it.
        {"order beyond the frames", {4, 6}, {0, 5}, {1, 2}, {{0, 4}, {1, 6}}},
    };
    for (const Case& c : cases) {
        AnimationInfo info;
        info.sequence = c.sequence;
        info.stepRates = c.stepRates;
        std::vector<std::pair<uint32_t, uint32_t>> steps;
        for (const AnimationStep& step : AnimationSteps(c.frameTimes, info)) {
            steps.emplace_back(step.frame, step.jiffies);
        }
        EXPECT_EQ(steps, c.steps) << c.what;
    }
}

TEST(FrameTimeDialogTest, JiffiesAreHeldToTheirRangeAndShownInMilliseconds) {
    struct Case {
        int typed, kept;
        const char* shown;
    };
    for (const Case& c : {Case{10, 10, "= 167 ms"}, Case{0, 1, "= 17 ms"},
                          Case{60, 60, "= 1000 ms"}, Case{99999, 36000, "= 600000 ms"}}) {
        CFrameTimeDialog dialog(5);
        dialog.SetJiffies(c.typed);
        EXPECT_EQ(dialog.Jiffies(), c.kept);
        EXPECT_EQ(dialog.Milliseconds(), c.shown);
    }
}
