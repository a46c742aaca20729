#include "colour/ColorStrip.h"

#include <ostream>
#include <tuple>

#include <gtest/gtest.h>

#include "colour/MultiColorPen.h"
#include "support/ScriptedUiServices.h"

using namespace pictoform;
using pictoform::test::ScriptedUiServices;

namespace {

struct Rgb {
    int r, g, b;
    friend bool operator==(const Rgb&, const Rgb&) = default;
    friend std::ostream& operator<<(std::ostream& os, const Rgb& c) {
        return os << "(" << c.r << "," << c.g << "," << c.b << ")";
    }
};

// Read through the documented layout: blue, green, red, rows Stride() apart.
Rgb At(const CLayerImage& image, int x, int y) {
    const uint8_t* bgr = image.ColourBits() + y * image.Stride() + 3 * x;
    return {bgr[2], bgr[1], bgr[0]};
}

constexpr Rgb kBackground{240, 240, 240};
constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kRed{255, 0, 0};

// A 216 x 40 control: the strip runs from x = 6 to 206 (W = 200) and stop
// buttons are hit on rows 20 to 38.
class ColorStrip : public ::testing::Test {
protected:
    ColorStrip() : strip(pen, ui) {
        pen.SetChangeListener([this] { ++changes; });
        strip.Resize(216, 40);
    }

    // Presses at `from`, moves to each x in turn with the left button, lets go.
    void Drag(int from, std::initializer_list<int> moves) {
        strip.Press(from, 30);
        for (int x : moves) strip.Move(x, 30, true);
        strip.Release();
    }

    CMultiColorPen pen;
    ScriptedUiServices ui;
    CColorStripModel strip;
    int changes = 0;
};

} // namespace

TEST_F(ColorStrip, PressHitsTheButtons) {
    const int hits[][3] = {{1, 30, 0},   {11, 30, 0},   {12, 30, -1}, {201, 20, 1},
                           {211, 38, 1}, {206, 19, -1}, {206, 39, -1}};
    for (auto [x, y, stop] : hits) EXPECT_EQ(strip.HitTest(x, y), stop) << x << "," << y;
    EXPECT_TRUE(strip.Press(206, 30));
    EXPECT_EQ(pen.SelectedIndex(), 1);
    EXPECT_TRUE(strip.Press(100, 30)); // a press beside every stop clears
    EXPECT_EQ(pen.SelectedIndex(), -1);
    // Of two stops in one place, the later one in the list is hit.
    Drag(206, {150});
    Drag(206, {150});
    ASSERT_EQ(pen.StopCount(), 4u);
    EXPECT_EQ(strip.HitTest(150, 30), 2);
}

TEST_F(ColorStrip, EndStopPeelsOffAfterTenPixelsOfALeftButtonDrag) {
    strip.Press(6, 30);
    EXPECT_FALSE(strip.Move(40, 30, false)); // ignored, and the last position stays
    strip.Move(14, 30, true);
    EXPECT_EQ(pen.StopCount(), 2u);
    strip.Move(17, 30, true);
    ASSERT_EQ(pen.StopCount(), 3u);
    EXPECT_EQ(pen.SelectedIndex(), 1);
    EXPECT_EQ(pen.Stop(1).Rgba32(), 0xC80000FFu);
    EXPECT_FLOAT_EQ(pen.Stop(1).StopPosition(), 11.0f / 200.0f);
    EXPECT_EQ(pen.Stop(0).StopPosition(), 0.0f);
    // From then on it follows the mouse, from the end's position.
    strip.Move(106, 30, true);
    EXPECT_FLOAT_EQ(pen.Stop(1).StopPosition(), 0.5f);
    EXPECT_FALSE(strip.Release());

    // Inwards from the right end means to the left.
    Drag(206, {200, 195});
    ASSERT_EQ(pen.StopCount(), 4u);
    EXPECT_EQ(pen.Stop(3).StopPosition(), 1.0f);
    EXPECT_EQ(pen.Stop(2).blue, 255);
    EXPECT_FLOAT_EQ(pen.Stop(2).StopPosition(), 1.0f - 11.0f / 200.0f);
    strip.Press(100, 30); // nothing selected: moves do nothing
    EXPECT_FALSE(strip.Move(150, 30, true));
}

TEST_F(ColorStrip, ReleaseNearAnEndDeletes) {
    Drag(6, {20, 10}); // 4 pixels from the left end
    EXPECT_EQ(pen.StopCount(), 2u);
    Drag(206, {190, 202}); // 4 pixels from the right end
    EXPECT_EQ(pen.StopCount(), 2u);
    Drag(6, {20, 12});
    Drag(206, {190, 200});
    ASSERT_EQ(pen.StopCount(), 4u);
    EXPECT_FLOAT_EQ(pen.Stop(1).StopPosition(), 6.0f / 200.0f);
    EXPECT_FLOAT_EQ(pen.Stop(2).StopPosition(), 194.0f / 200.0f);
}

TEST_F(ColorStrip, DeleteKeySparesTheEndsAndDoubleClickNeedsASelection) {
    EXPECT_FALSE(strip.DoubleClick()); // no selection: no dialog
    EXPECT_TRUE(ui.EditColorRequests().empty());
    Drag(6, {106});
    for (int end : {6, 206}) {
        strip.Press(end, 30);
        EXPECT_FALSE(strip.DeleteKey());
    }
    EXPECT_EQ(pen.StopCount(), 3u);
    strip.Press(106, 30);
    ui.QueueEditColor(std::nullopt); // cancelled: the stop stays
    EXPECT_FALSE(strip.DoubleClick());
    EXPECT_EQ(pen.Stop(1).Rgba32(), 0xC80000FFu);
    const int before = changes;
    EXPECT_TRUE(strip.DeleteKey());
    EXPECT_EQ(pen.StopCount(), 2u);
    EXPECT_EQ(pen.SelectedIndex(), -1);
    EXPECT_EQ(changes, before + 1);
}

TEST_F(ColorStrip, BandIsTheGradientOverACheckerboardWithTheStopButtons) {
    const CLayerImage& picture = strip.Picture();
    ASSERT_EQ(picture.Width() * 100 + picture.Height(), 21640);
    // x = 7: (253, 0, 1, alpha 200) on a dark cell; x = 8: (252, 0, 2) on a
    // light cell, then dark again one cell down; the last column of the band,
    // x = 205: (1, 0, 253), light cell. The background around. The end
    // buttons: colour in columns 2..8, rows 23..37, raised edges around. An
    // unselected stop's mark runs from mid-height to the button.
    const Rgb kLight{255, 255, 255}, kGrey{160, 160, 160};
    const std::tuple<int, int, Rgb> probes[] = {
        {7, 0, {225, 27, 28}},  {8, 0, {251, 54, 56}},   {8, 8, {224, 27, 29}},
        {6, 19, {226, 27, 27}}, {205, 0, {55, 54, 252}}, {5, 0, kBackground},
        {206, 0, kBackground},  {100, 20, kBackground},  {0, 30, kBackground},
        {11, 30, kBackground},  {3, 21, kBackground},    {2, 23, kRed},
        {1, 30, kLight},        {9, 30, kGrey},          {10, 30, {105, 105, 105}},
        {5, 38, kGrey},         {202, 23, {0, 0, 255}},  {6, 20, kBlack},
        {6, 21, kBlack}};
    for (auto [x, y, colour] : probes) EXPECT_EQ(At(picture, x, y), colour) << x << "," << y;
    // Reverse changes the table, not the strip.
    pen.SetReverse(true);
    EXPECT_EQ(At(strip.Picture(), 8, 0), (Rgb{251, 54, 56}));
}

TEST_F(ColorStrip, SelectedStopIsFramedAndMarkedAcrossTheBand) {
    // A new stop peeled 50 pixels off the left end sits at x = 56, selected.
    strip.Press(6, 30);
    strip.Move(56, 30, true);
    const CLayerImage& picture = strip.Picture();
    EXPECT_EQ(At(picture, 52, 23), kRed);
    EXPECT_EQ(At(picture, 58, 37), kRed);
    EXPECT_EQ(At(picture, 56, 0), kBlack);
    for (int x = 50; x <= 61; ++x) EXPECT_EQ(At(picture, x, 21), kBlack) << x;
    for (int y = 21; y < 40; ++y) {
        EXPECT_EQ(At(picture, 50, y), kBlack) << y;
        EXPECT_EQ(At(picture, 61, y), kBlack) << y;
    }
    // The band between the two red stops is plain red on the checkerboard; the
    // left end, no longer selected, keeps only its short mark.
    EXPECT_EQ(At(picture, 33, 0), (Rgb{226, 27, 27}));
    EXPECT_EQ(At(picture, 6, 0), (Rgb{226, 27, 27}));
}

TEST_F(ColorStrip, TinyControlsStayQuiet) {
    strip.Resize(10, 10); // narrower than the margins: no strip width
    strip.Press(6, 5);
    strip.Move(50, 5, true);
    strip.Release();
    EXPECT_EQ(pen.StopCount(), 2u);
    EXPECT_FALSE(strip.Picture().IsNull());
    strip.Resize(0, 0);
    EXPECT_TRUE(strip.Picture().IsNull());
}
