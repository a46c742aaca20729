// The painting tools through the mouse: pencil nibs, line, eraser, flood
// fill, colour picker, the lost button and the hot-spot mode, checked on the
// pixels of the pictures and the records of the history.

#include <algorithm>
#include <array>

#include "editor/MouseFixture.h"

namespace pictoform {
namespace {

using test::MouseFixture;
using test::Pt;

class MouseToolsTest : public MouseFixture {
protected:
    void SetSingleColour(const PixelColor& colour) {
        workspace.Colours().SetColor(colour.Rgba32(), 0, 0);
    }
    // Two opaque stops, black to white.
    void UseBlackToWhite() {
        workspace.Colours().SelectTab(CAdvColorDialog::kMultiColourTab);
        CMultiColorPen& pen = Pen();
        pen.Select(0);
        pen.SetNodeColor(0xFF000000u, ui);
        pen.Select(static_cast<int>(pen.LastEndIndex()));
        pen.SetNodeColor(0xFFFFFFFFu, ui);
        pen.ClearSelection();
    }
    uint32_t TableEntry(int index) { return Pen().Outputs().table[index].Rgba32(); }
    uint32_t CommittedAt(int x, int y) { return Layer().Committed().GetPixel(x, y).Rgba32(); }
};

TEST_F(MouseToolsTest, RoundAndDiagonalNibsSweepTheirShapes) {
    struct Probe {
        int x, y;
        bool covered;
    };
    struct Case {
        ToolCode tool;
        bool pressPaints;
        std::vector<Probe> probes;
    };
    // A drag from (30, 30) to (60, 30) with a nib 6 units wide: the round nib
    // has radius 3; the diagonal nibs run from (-3, -3) to (3, 3) around the
    // point (right) or from (3, -3) to (-3, 3) (left), so just right of the
    // start the right one covers the row above and the left one the row below.
    const std::vector<Case> cases = {
        {kToolPencilRound,
         true,
         {{30, 30, true}, {45, 31, true}, {45, 35, false}, {64, 30, false}, {26, 30, false}}},
        {kToolPencilRightDiagonal,
         false,
         {{45, 30, true}, {29, 28, true}, {29, 32, false}, {60, 31, true}, {60, 28, false}}},
        {kToolPencilLeftDiagonal,
         false,
         {{45, 30, true}, {29, 28, false}, {29, 32, true}, {60, 31, false}, {60, 28, true}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tool);
        RemoveActiveObject(Layer());
        Layer().Committed().Fill(255, 0, 0);
        Use(c.tool, 2);
        Mouse().Press(30, 30);
        EXPECT_EQ(Covered(Layer().Committed(), 30, 30), c.pressPaints);
        Mouse().Move(45, 30, mouse::kLeft);
        Mouse().Move(60, 30, mouse::kLeft);
        Mouse().Release(60, 30);
        for (const Probe& p : c.probes) {
            EXPECT_EQ(Covered(Layer().Committed(), p.x, p.y), p.covered) << p.x << "," << p.y;
        }
        // The stroke marks are gone before the picture is recorded, so the
        // picture that undo and redo bring back takes later strokes normally.
        ASSERT_TRUE(Layer().Undo(true));
        ASSERT_TRUE(Layer().Redo(true));
        const CLayerImage& done = Layer().Committed();
        const uint8_t* coverage = done.CoveragePlane();
        EXPECT_EQ(*std::max_element(coverage, coverage + done.Width() * done.Height()), 1);
    }
}

// However the pointer lingers, turns or goes back, a stroke lays each pixel
// down once: a translucent colour comes out the same all along it.
TEST_F(MouseToolsTest, ATranslucentStrokeCoversEachPixelOnce) {
    const PixelColor half{255, 0, 0, 128};
    SetSingleColour(half);
    for (ToolCode tool :
         {kToolPencilSquare, kToolPencilRound, kToolPencilRightDiagonal, kToolPencilLeftDiagonal}) {
        SCOPED_TRACE(tool);
        Layer().Committed().Fill(0, 0, 0);
        Use(tool, tool == kToolPencilSquare ? 1 : 4);
        Drag({{30, 30}, {31, 30}, {31, 31}, {45, 30}, {60, 36}, {45, 30}, {46, 31}});
        const CLayerImage& done = Layer().Committed();
        int covered = 0, other = 0;
        for (int y = 0; y < done.Height(); ++y) {
            for (int x = 0; x < done.Width(); ++x) {
                if (!Covered(done, x, y)) continue;
                ++covered;
                other += done.GetPixel(x, y).Rgba32() != half.Rgba32();
            }
        }
        EXPECT_GT(covered, 3 * 3 * 8);
        EXPECT_EQ(other, 0) << "of " << covered << " pixels";
    }
    // The picker takes the colour back as the file holds it, not as the
    // screen lays it over white.
    Use(kToolColorPicker);
    SetSingleColour(kRed);
    Click(45, 30);
    EXPECT_EQ(workspace.Colours().CurrentColour().Rgba32(), half.Rgba32());
}

TEST_F(MouseToolsTest, MultiColourStrokesStepThroughTheTableAndCarryTheIndexOver) {
    UseBlackToWhite();
    Use(kToolPencilSquare);
    // 4 units to entry 2, 8 more to entry 6; the next stroke starts at 6,
    // and 3 units more make 7.5, which is entry 7.
    Drag({{1, 1}, {5, 1}, {13, 1}});
    Drag({{1, 10}, {1, 13}});
    EXPECT_NE(TableEntry(2), TableEntry(6));
    for (auto [x, y, entry] : {std::array{1, 1, 0}, {4, 1, 2}, {13, 1, 6}, {1, 10, 6}, {1, 13, 7}})
        EXPECT_EQ(CommittedAt(x, y), TableEntry(entry)) << x << "," << y;
    EXPECT_EQ(History(), "3 3 [3]");
}

TEST_F(MouseToolsTest, LinesShowWhileDraggedAndAreDrawnAgainByRedo) {
    struct Case {
        int32_t depth;
        const char* pixels; // the final image's first three rows, 8 wide
    };
    // A one-pixel pen on a 256-colour format draws whole pixels from (1, 1)
    // to (6, 1); on a 32-bit one it is a soft stroke through the same pixels.
    const std::vector<Case> cases = {{256, "........\n.######.\n........\n"}, {kDepth32, nullptr}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.depth);
        UseFormat(16, 16, c.depth);
        SetSingleColour(kRed);
        Use(kToolLine);
        Mouse().Press(4, 4);
        Mouse().Move(10, 10, mouse::kLeft);
        Mouse().Move(19, 4, mouse::kLeft);
        EXPECT_TRUE(Covered(Layer().Working(), 16, 4));
        EXPECT_FALSE(Covered(Layer().Working(), 10, 10)) << "the preview follows the pointer";
        EXPECT_FALSE(Covered(Layer().Committed(), 16, 4));
        Mouse().Release(19, 4);
        view.Paint();
        if (c.pixels) {
            EXPECT_EQ(Rows(Format().Final(), 0, 0, 8, 3, true), c.pixels);
        }
        EXPECT_NE(Format().Final().GetPixel(4, 1).alpha, 0);
        EXPECT_EQ(Format().Final().GetPixel(4, 3).alpha, 0);
        EXPECT_EQ(History(), "3 [65281]");
        // Redo draws the line again from its record.
        const auto drawn = Planes(Layer().Committed());
        ASSERT_TRUE(Layer().Undo(Format().SoftEdges()));
        EXPECT_FALSE(Covered(Layer().Committed(), 16, 4));
        ASSERT_TRUE(Layer().Redo(Format().SoftEdges()));
        EXPECT_TRUE(Planes(Layer().Committed()) == drawn);
    }
}

TEST_F(MouseToolsTest, ErasersEmptyASquareOfWholePixelsOrARoundSpot) {
    FillLayer(kRed);
    Use(kToolEraserSquare, 3);
    Hover(30, 30);
    EXPECT_EQ(Mouse().Cursor(), ViewCursor::Eraser);
    Mouse().Press(30, 30);
    EXPECT_EQ(view.Overlay().eraser, EraserOutline::Square);
    EXPECT_EQ(view.Overlay().penWidth, 3);
    Mouse().Release(30, 30);
    EXPECT_EQ(view.Overlay().eraser, EraserOutline::None);
    // Pixel (10, 10) and one pixel around it: canvas 27 to 35.
    EXPECT_EQ(Rows(Layer().Working(), 25, 30, 38, 31), "##.........##\n");
    EXPECT_EQ(Rows(Layer().Working(), 30, 25, 31, 38), "#\n#\n.\n.\n.\n.\n.\n.\n.\n.\n.\n#\n#\n");
    EXPECT_EQ(History(), "3 [3]");

    FillLayer(kRed);
    Use(kToolEraserRound, 3);
    Click(90, 90);
    // Radius 4 about (90, 90): its middle row empties 87 to 93; a corner stays.
    EXPECT_EQ(Rows(Layer().Working(), 84, 90, 96, 91), "###.......##\n");
    EXPECT_TRUE(Covered(Layer().Working(), 93, 93));
    EXPECT_EQ(History(), "3 3 [3]");
}

TEST_F(MouseToolsTest, FloodFillLaysLinearAndRadialGradientsFromTheDrag) {
    UseBlackToWhite();
    Use(kToolFloodFill);
    Pen().SetGradientKind(kGradientVertex);
    struct Probe {
        int x, y, entry;
    };
    struct Case {
        int kind; // before the fill
        Pt from, to;
        int kindAfter;
        std::vector<Probe> probes;
    };
    // Linear along 51 units: entry 5 per unit across, the same down a column.
    // Radial with radius 51: 17 units away in any direction is entry 85.
    // (The entries themselves are FloodFillTest's.)
    const std::vector<Case> cases = {
        {kGradientVertex, {0, 0}, {51, 0}, kGradientLinear, {{10, 5, 50}, {10, 140, 50}}},
        {kGradientRadial, {60, 60}, {111, 60}, kGradientRadial, {{77, 60, 85}, {60, 43, 85}}},
    };
    for (const Case& c : cases) {
        Layer().Committed().Fill(255, 0, 0);
        Pen().SetGradientKind(c.kind);
        Mouse().Press(c.from.x, c.from.y);
        Mouse().Move(c.to.x, c.to.y, mouse::kLeft);
        EXPECT_TRUE(view.Overlay().fillLine);
        Mouse().Release(c.to.x, c.to.y);
        EXPECT_FALSE(view.Overlay().fillLine);
        EXPECT_EQ(Pen().GradientKind(), c.kindAfter);
        for (const Probe& p : c.probes) {
            EXPECT_EQ(CommittedAt(p.x, p.y), TableEntry(p.entry)) << p.x << "," << p.y;
        }
    }
    EXPECT_EQ(History(), "3 3 [3]");
}

TEST_F(MouseToolsTest,
       SquareNibPaintsWholePixelsUntilAMovementWithoutTheButtonAndThePickerTakesThem) {
    SetSingleColour(kRed);
    Use(kToolPencilSquare);
    Drag({{4, 4}, {10, 4}, {10, 13}});
    EXPECT_EQ(Rows(Format().Final(), 0, 0, 6, 6, true),
              "......\n.###..\n...#..\n...#..\n...#..\n......\n");
    EXPECT_EQ(Format().Final().GetPixel(3, 4), kRed);
    EXPECT_EQ(History(), "3 [3]");
    EXPECT_TRUE(view.Modified());

    Mouse().Press(4, 31);
    Mouse().Move(10, 31, mouse::kLeft);
    // Released outside the window: the next movement comes without the button.
    Mouse().Move(10, 40, 0);
    EXPECT_EQ(History(), "3 3 [3]");
    EXPECT_TRUE(Layer().StrokePoints().empty());
    // Held again without a press: nothing is painted.
    Mouse().Move(10, 49, mouse::kLeft);
    view.Paint();
    EXPECT_EQ(Rows(Format().Final(), 0, 9, 5, 13, true), ".....\n.###.\n.....\n.....\n");
    EXPECT_FALSE(Covered(Layer().Committed(), 10, 49));
    // Any other button or key with it ends a stroke as well.
    Mouse().Press(4, 67);
    Mouse().Move(10, 67, mouse::kLeft | mouse::kShift);
    EXPECT_EQ(History(), "3 3 3 [3]");

    // The colour picker hands the colour back and returns to the pencil;
    // it only reads the picture, so the work stays as it was saved.
    SetSingleColour(PixelColor{1, 2, 3, 255});
    view.SetModified(false);
    Use(kToolColorPicker);
    Hover(4, 4);
    EXPECT_EQ(Mouse().Cursor(), ViewCursor::ColourPicker);
    Mouse().Press(4, 4);
    EXPECT_EQ(workspace.Colours().CurrentColour().Rgba32(), kRed.Rgba32());
    EXPECT_EQ(workspace.Tools().GetCurrentTool(), kToolColorPicker);
    Mouse().Release(4, 4);
    EXPECT_EQ(workspace.Tools().GetCurrentTool(), kToolPencilSquare);
    EXPECT_EQ(History(), "3 3 3 [3]");
    EXPECT_FALSE(view.Modified());
}

TEST_F(MouseToolsTest, HotSpotModeTakesTheNextPressInsideTheIcon) {
    Use(kToolPencilSquare);
    Mouse().SetHotSpotMode(true);
    Hover(10, 7);
    EXPECT_EQ(Mouse().Cursor(), ViewCursor::HotSpot);
    EXPECT_EQ(Mouse().Tooltip(), "3, 2");
    // Just left of the canvas is pixel -1, not 0.
    Hover(-1, 7);
    EXPECT_EQ(Mouse().Tooltip(), "");
    Click(-1, 7);
    Click(150, 7);
    ASSERT_EQ(ui.Messages().size(), 2u);
    EXPECT_EQ(ui.Messages()[0].text, "(-1,2) Invalid Hot Spot!");
    EXPECT_EQ(ui.Messages()[1].text, "(50,2) Invalid Hot Spot!");
    EXPECT_TRUE(Mouse().HotSpotMode());
    EXPECT_EQ(view.HotSpot().x, 0);

    Click(10, 7);
    ASSERT_EQ(ui.Messages().size(), 3u);
    EXPECT_EQ(ui.Messages()[2].text, "Hot spot has been set at (3,2).");
    EXPECT_EQ(std::pair(view.HotSpot().x, view.HotSpot().y), std::pair(3, 2));
    EXPECT_FALSE(Mouse().HotSpotMode());
    EXPECT_EQ(Mouse().Cursor(), ViewCursor::Default);
    EXPECT_EQ(Mouse().Tooltip(), "");
    // Setting it painted nothing and recorded nothing.
    EXPECT_FALSE(Covered(Layer().Committed(), 10, 7));
    EXPECT_EQ(History(), "[3]");
}

} // namespace
} // namespace pictoform
