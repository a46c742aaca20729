#include "colour/ColorStrip.h"

#include <ostream>

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
constexpr Rgb kLight{255, 255, 255};
constexpr Rgb kShadow{160, 160, 160};
constexpr Rgb kDarkShadow{105, 105, 105};

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

TEST_F(ColorStrip, EndStopPeelsOffAfterTenPixels) {
    strip.Press(6, 30);
    strip.Move(14, 30, true);
    EXPECT_EQ(pen.StopCount(), 2u);
    EXPECT_EQ(pen.Stop(0).StopPosition(), 0.0f);
    strip.Move(17, 30, true);
    ASSERT_EQ(pen.StopCount(), 3u);
    EXPECT_EQ(pen.SelectedIndex(), 1);
    EXPECT_EQ(pen.Stop(1).red, 255);
    EXPECT_EQ(pen.Stop(1).alpha, 200);
    EXPECT_FLOAT_EQ(pen.Stop(1).StopPosition(), 11.0f / 200.0f);
    EXPECT_EQ(pen.Stop(0).StopPosition(), 0.0f);
    EXPECT_TRUE(pen.IsEndStop(0));
    // From then on it follows the mouse, from the end's position.
    strip.Move(106, 30, true);
    EXPECT_FLOAT_EQ(pen.Stop(1).StopPosition(), 0.5f);
    EXPECT_FALSE(strip.Release());
    EXPECT_EQ(pen.StopCount(), 3u);

    // Inwards from the right end means to the left.
    Drag(206, {200, 195});
    ASSERT_EQ(pen.StopCount(), 4u);
    EXPECT_EQ(pen.Stop(3).StopPosition(), 1.0f);
    EXPECT_EQ(pen.Stop(2).blue, 255);
    EXPECT_FLOAT_EQ(pen.Stop(2).StopPosition(), 1.0f - 11.0f / 200.0f);
}

TEST_F(ColorStrip, OnlyALeftButtonDragMoves) {
    strip.Press(6, 30);
    EXPECT_FALSE(strip.Move(40, 30, false));
    EXPECT_EQ(pen.StopCount(), 2u);
    // An ignored move leaves the last mouse position where it was.
    strip.Move(45, 30, true);
    EXPECT_FLOAT_EQ(pen.Stop(1).StopPosition(), 39.0f / 200.0f);
    strip.Press(100, 30); // nothing selected: moves do nothing
    EXPECT_FALSE(strip.Move(150, 30, true));
}

TEST_F(ColorStrip, ReleaseNearAnEndDeletes) {
    Drag(6, {20, 10}); // 4 pixels from the left end
    EXPECT_EQ(pen.StopCount(), 2u);
    Drag(206, {190, 202}); // 4 pixels from the right end
    EXPECT_EQ(pen.StopCount(), 2u);
    Drag(6, {20, 12});
    EXPECT_EQ(pen.StopCount(), 3u);
    Drag(206, {190, 200});
    EXPECT_EQ(pen.StopCount(), 4u);
    EXPECT_FLOAT_EQ(pen.Stop(1).StopPosition(), 6.0f / 200.0f);
    EXPECT_FLOAT_EQ(pen.Stop(2).StopPosition(), 194.0f / 200.0f);
}

TEST_F(ColorStrip, DeleteKeySparesTheEnds) {
    Drag(6, {106});
    strip.Press(6, 30);
    EXPECT_FALSE(strip.DeleteKey());
    strip.Press(206, 30);
    EXPECT_FALSE(strip.DeleteKey());
    EXPECT_EQ(pen.StopCount(), 3u);
    strip.Press(106, 30);
    const int before = changes;
    EXPECT_TRUE(strip.DeleteKey());
    EXPECT_EQ(pen.StopCount(), 2u);
    EXPECT_EQ(pen.SelectedIndex(), -1);
    EXPECT_EQ(changes, before + 1);
}

TEST_F(ColorStrip, DoubleClickEditsTheSelectedStop) {
    EXPECT_FALSE(strip.DoubleClick()); // no selection: no dialog
    EXPECT_TRUE(ui.EditColorRequests().empty());

    Drag(6, {106});
    strip.Press(106, 30);
    strip.Release();
    ui.QueueEditColor(std::nullopt);
    EXPECT_FALSE(strip.DoubleClick());
    EXPECT_EQ(pen.Stop(1).red, 255);

    ui.QueueEditColor(PixelColor{10, 20, 30, 40, 0, 0});
    EXPECT_TRUE(strip.DoubleClick());
    ASSERT_EQ(ui.EditColorRequests().size(), 2u);
    EXPECT_EQ(ui.EditColorRequests()[1], (PixelColor{255, 0, 0, 200, 0, 0}));
    EXPECT_EQ(pen.Stop(1).Rgba32(), 0x281E140Au);
    EXPECT_FLOAT_EQ(pen.Stop(1).StopPosition(), 0.5f);
}

TEST_F(ColorStrip, BandIsTheGradientOverACheckerboard) {
    const CLayerImage& picture = strip.Picture();
    ASSERT_EQ(picture.Width(), 216);
    ASSERT_EQ(picture.Height(), 40);
    // x = 7: (253, 0, 1, alpha 200) on a dark cell.
    EXPECT_EQ(At(picture, 7, 0), (Rgb{225, 27, 28}));
    // x = 8: (252, 0, 2) on a light cell, then dark again one cell down.
    EXPECT_EQ(At(picture, 8, 0), (Rgb{251, 54, 56}));
    EXPECT_EQ(At(picture, 8, 8), (Rgb{224, 27, 29}));
    EXPECT_EQ(At(picture, 6, 19), (Rgb{226, 27, 27}));
    // The last column of the band, x = 205: (1, 0, 253), light cell.
    EXPECT_EQ(At(picture, 205, 0), (Rgb{55, 54, 252}));
    EXPECT_EQ(At(picture, 5, 0), kBackground);
    EXPECT_EQ(At(picture, 206, 0), kBackground);
    EXPECT_EQ(At(picture, 100, 20), kBackground);

    // Reverse changes the table, not the strip.
    pen.SetReverse(true);
    EXPECT_EQ(At(strip.Picture(), 8, 0), (Rgb{251, 54, 56}));
}

TEST_F(ColorStrip, StopButtonsAndMarks) {
    const CLayerImage& picture = strip.Picture();
    // The left end at x = 6: its colour in columns 2..8, rows 23..37.
    EXPECT_EQ(At(picture, 2, 23), (Rgb{255, 0, 0}));
    EXPECT_EQ(At(picture, 1, 30), kLight);
    EXPECT_EQ(At(picture, 5, 22), kLight);
    EXPECT_EQ(At(picture, 9, 30), kShadow);
    EXPECT_EQ(At(picture, 5, 38), kShadow);
    EXPECT_EQ(At(picture, 10, 30), kDarkShadow);
    EXPECT_EQ(At(picture, 5, 39), kDarkShadow);
    EXPECT_EQ(At(picture, 0, 30), kBackground);
    EXPECT_EQ(At(picture, 11, 30), kBackground);
    // The right end at x = 206.
    EXPECT_EQ(At(picture, 202, 23), (Rgb{0, 0, 255}));
    EXPECT_EQ(At(picture, 210, 30), kDarkShadow);
    // An unselected stop's mark runs from mid-height to the button.
    EXPECT_EQ(At(picture, 6, 20), kBlack);
    EXPECT_EQ(At(picture, 6, 21), kBlack);
    EXPECT_EQ(At(picture, 3, 21), kBackground);

    // A new stop peeled 50 pixels off the left end sits at x = 56, selected.
    strip.Press(6, 30);
    strip.Move(56, 30, true);
    strip.Picture();
    EXPECT_EQ(At(picture, 52, 23), (Rgb{255, 0, 0}));
    EXPECT_EQ(At(picture, 58, 37), (Rgb{255, 0, 0}));
    EXPECT_EQ(At(picture, 56, 0), kBlack);
    for (int x = 50; x <= 61; ++x) EXPECT_EQ(At(picture, x, 21), kBlack) << x;
    for (int y = 21; y < 40; ++y) {
        EXPECT_EQ(At(picture, 50, y), kBlack) << y;
        EXPECT_EQ(At(picture, 61, y), kBlack) << y;
    }
    // The band between the two red stops is plain red on the checkerboard.
    EXPECT_EQ(At(picture, 33, 0), (Rgb{226, 27, 27}));
    // The left end is no longer selected: only its short mark remains.
    EXPECT_EQ(At(picture, 6, 0).r, 226);
    EXPECT_EQ(At(picture, 0, 30), kBackground);
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
