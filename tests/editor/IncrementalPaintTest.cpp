// A stroke's step and an object's drag redraw only what they changed; after
// every step the window must show exactly what a whole repaint shows, and
// nothing may change outside the part the window is told to update.

#include <cstring>
#include <functional>
#include <random>

#include "MouseFixture.h"

namespace pictoform::test {
namespace {

class IncrementalPaintTest : public MouseFixture {
protected:
    // Three layers shown, the lower two covered in translucent stripes, the
    // middle one at part opacity; the top one is painted on.
    void LayOutLayers() {
        CLayerDialog& layers = workspace.LayerPanel();
        for (int i = 1; i <= 2; ++i) {
            ASSERT_TRUE(layers.AddLayer());
            layers.ClickItem(i, 2);
        }
        const std::vector<CIconLayer*> shown = layers.CollectVisibleLayers();
        ASSERT_EQ(shown.size(), 3u);
        for (int i = 0; i < 2; ++i) {
            CLayerImage& c = shown[i]->Committed();
            for (int y = 0; y < c.Height() / 3; ++y)
                for (int x = (y + i) % 3; x < c.Width() / 3; x += 3)
                    c.SetBlock(x, y, {static_cast<uint8_t>(90 * i), 120, 200, 150}, 3);
            c.CopyTo(shown[i]->Working());
        }
        // The panel lists the layers bottom first, as they are shown.
        layers.SelectItem(1);
        ASSERT_EQ(layers.GetActiveLayer(), shown[1]);
        layers.MoveSlider(60);
        layers.SelectItem(2);
        ASSERT_EQ(layers.GetActiveLayer(), shown[2]);
    }

    // One step of a drag, or its end, repainted as the window repaints it,
    // then checked.
    void Step(int x, int y) {
        Check([&] { Mouse().Move(x, y, mouse::kLeft); });
    }
    void Finish(int x, int y) {
        Check([&] { Mouse().Release(x, y); });
    }
    void Check(const std::function<void()>& step) {
        CLayerImage before;
        ASSERT_TRUE(before.CloneFrom(view.Screen()));
        step();
        view.PaintStep();
        const CLayerImage& after = view.Screen();
        const PixelRect updated = view.Updated();
        if (updated != PixelRect{0, 0, after.Width(), after.Height()}) ++partialSteps;

        // The whole repaint on a painter of its own, leaving the format's
        // composite and final pictures as the partial one left them, so that
        // a fault carried from step to step is not mended here.
        CLayerImage composite, final;
        ASSERT_TRUE(composite.CloneFrom(Format().Composite()));
        ASSERT_TRUE(final.CloneFrom(Format().Final()));
        CViewPainter whole;
        whole.Resize(after.Width(), after.Height());
        PaintScene scene = view.Scene();
        whole.Paint(scene);
        ASSERT_TRUE(composite.CopyTo(Format().Composite()));
        ASSERT_TRUE(final.CopyTo(Format().Final()));
        int wrong = 0, outside = 0;
        for (int row = 0; row < after.Height(); ++row) {
            const size_t at = static_cast<size_t>(row) * after.Stride();
            const size_t bytes = 3 * static_cast<size_t>(after.Width());
            if (std::memcmp(after.ColourBits() + at, whole.Screen().ColourBits() + at, bytes))
                ++wrong;
            for (int col = 0; col < after.Width(); ++col) {
                const bool inside =
                    col >= updated.x0 && col < updated.x1 && row >= updated.y0 && row < updated.y1;
                if (!inside && std::memcmp(after.ColourBits() + at + 3 * col,
                                           before.ColourBits() + at + 3 * col, 3))
                    ++outside;
            }
        }
        EXPECT_EQ(wrong, 0) << "rows unlike a whole repaint";
        EXPECT_EQ(outside, 0) << "pixels changed outside the update";
    }

    int partialSteps = 0;
};

TEST_F(IncrementalPaintTest, RandomStrokesAndObjectDragsRepaintAsAWholeRepaintDoes) {
    struct Window {
        int width, height, zoom, scrollX, scrollY;
        int32_t depth;
    };
    // Fitted with grey bands around; zoomed in and scrolled, so that blocks,
    // grid and overlays are cut at every edge of the window; hard edges at
    // a zoom without grid or dots.
    const Window windows[] = {{300, 250, 0, 0, 0, kDepth32},
                              {170, 130, 7, 61, 45, kDepth32},
                              {130, 120, 3, 0, 0, kDepth24}};
    std::mt19937 random(20261207);
    const auto pick = [&random](int from, int to) {
        return std::uniform_int_distribution<int>(from, to)(random);
    };
    const ToolCode strokes[] = {kToolPencilRound,         kToolPencilSquare,
                                kToolPencilRightDiagonal, kToolPencilLeftDiagonal,
                                kToolEraserRound,         kToolEraserSquare};
    for (const Window& w : windows) {
        SCOPED_TRACE(w.zoom);
        UseFormat(40, 36, w.depth);
        LayOutLayers();
        // The cursor's cross is an overlay each step draws again.
        view.SetHotSpot({9, 11});
        partialSteps = 0;
        view.Resize(w.width, w.height);
        view.Paint();
        if (w.zoom > 0) {
            view.ZoomAbout(w.zoom, 0, 0);
            view.ScrollTo(w.scrollX, w.scrollY);
        }
        view.Paint();
        const auto somewhere = [&] {
            // A little beyond the window too: strokes run off the canvas.
            return Pt{pick(-10, w.width + 10), pick(-10, w.height + 10)};
        };
        for (int stroke = 0; stroke < 40 && !HasFailure(); ++stroke) {
            workspace.Colours().SetColor(
                PixelColor{static_cast<uint8_t>(pick(0, 255)), static_cast<uint8_t>(pick(0, 255)),
                           static_cast<uint8_t>(pick(0, 255)), static_cast<uint8_t>(pick(40, 255))}
                    .Rgba32(),
                0, 0);
            const bool object = pick(0, 3) == 0;
            if (object) {
                // A rectangle made by a drag, then moved from its middle,
                // with or without its shadow.
                Pen().SetShadowEnabled(pick(0, 1) == 1);
                Use(kToolRectangle);
                const Pt a = somewhere();
                Mouse().Press(a.x, a.y);
                view.Paint();
                Step(a.x + 25, a.y + 20);
                Step(a.x + pick(30, 60), a.y + pick(30, 60));
                Mouse().Release(a.x + 40, a.y + 40);
                view.Paint();
                if (!Object()) continue;
                const Vec2 middle = Object()->HandlePosition(8);
                const auto [mx, my] = view.Geometry().CanvasToWindow(middle.x, middle.y);
                Mouse().Press(mx, my);
                view.Paint();
                for (int move = 1; move <= 4; ++move) Step(mx + 9 * move, my - 5 * move);
                Finish(mx + 36, my - 20);
                continue;
            }
            const ToolCode tool = strokes[pick(0, 5)];
            Use(tool, pick(1, 8));
            // A press outside any object merges what is active first.
            const Pt start = somewhere();
            Mouse().Press(start.x, start.y);
            view.Paint();
            for (int move = pick(2, 6); move > 0; --move) {
                const Pt to = somewhere();
                Step(to.x, to.y);
                // (A press on an active object drags it instead.)
                if (Object()) continue;
                EXPECT_TRUE(Layer().Working().DifferenceFrom(Layer().Committed()).Empty())
                    << "the working picture fell behind the stroke";
            }
            Finish(start.x, start.y);
            if (!Object()) {
                EXPECT_TRUE(Layer().Working().DifferenceFrom(Layer().Committed()).Empty())
                    << "the view does not show the stroke as it is kept";
            }
        }
        // Most steps took the partial path; the rest were whole because
        // they made an object.
        EXPECT_GT(partialSteps, 100);
    }
}

} // namespace
} // namespace pictoform::test
