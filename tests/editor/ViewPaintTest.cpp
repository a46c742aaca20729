#include "editor/ViewPaint.h"

#include <gtest/gtest.h>

#include <functional>

#include "editor/MouseFixture.h"
#include "icon/IconFormat.h"

namespace pictoform {
namespace {

using test::Rgb;
using test::ScreenPixel;

// Compares every pixel of the screen with what the rule gives; stops at the
// first few differences so a failure stays readable.
void ExpectScreen(const CLayerImage& screen, const std::function<Rgb(int, int)>& expected) {
    int failures = 0;
    for (int y = 0; y < screen.Height() && failures < 5; ++y) {
        for (int x = 0; x < screen.Width() && failures < 5; ++x) {
            const Rgb want = expected(x, y);
            const Rgb got = ScreenPixel(screen, x, y);
            if (!(want == got)) {
                ADD_FAILURE() << "(" << x << ", " << y << "): got " << int{got.r} << ","
                              << int{got.g} << "," << int{got.b} << " want " << int{want.r} << ","
                              << int{want.g} << "," << int{want.b};
                ++failures;
            }
        }
    }
}

constexpr Rgb kGrey{150, 150, 150};
constexpr Rgb kGridGrey{180, 180, 180};
constexpr Rgb kWhite{255, 255, 255};

// The canvas of a zoomed format at (cx, cy) inside it: the grid's dotted
// lines every zoom pixels, else the icon pixel's block, with its centre dot.
Rgb ZoomedCanvas(int cx, int cy, int zoom, int w, int h, Rgb block, Rgb dot) {
    const int gridRight = w * zoom;
    const int gridBottom = h * zoom;
    if (cy % zoom == 0 && cx % 2 == 1 && cx < gridRight) return kGridGrey;
    if (cx % zoom == 0 && cy % 2 == 1 && cy < gridBottom) return kGridGrey;
    if (cx >= gridRight || cy >= gridBottom) return kWhite;
    if (cx % zoom == zoom / 2 && cy % zoom == zoom / 2) return dot;
    return block;
}

class ViewPaintTest : public ::testing::Test {
protected:
    ViewGeometry Paint(CIconFormat& format, int clientW, int clientH, int zoom = 0,
                       bool scrolled = false, int scrollX = 0, int scrollY = 0) {
        painter.Resize(clientW, clientH);
        PaintScene scene{.format = &format,
                         .currentLayer = format.FirstLayer(),
                         .visibleLayers = format.VisibleLayers(),
                         .pen = &pen,
                         .shadow = &shadow,
                         .zoom = zoom,
                         .scrolled = scrolled,
                         .scrollX = scrollX,
                         .scrollY = scrollY};
        return painter.Paint(scene);
    }

    LayerCounter counter;
    CMultiColorPen pen;
    ShadowSettings shadow;
    CViewPainter painter;
    const CLayerImage& screen = painter.Screen();
};

// An empty format shows white blocks with black dots. A red layer at half
// opacity: alpha 255 * 0.5 = 127 blended with weight 128 over white gives
// (255, 127, 127) at alpha 127; the centre dot is that colour times its alpha.
TEST_F(ViewPaintTest, FittedFormatShowsBlocksGridDotsAndGreyBandsAndNoFormatAllGrey) {
    struct Case {
        int side, zoom;
        bool halfRed;
        Rgb block, dot;
    };
    for (const Case& c : {Case{16, 16, false, kWhite, {0, 0, 0}},
                          Case{48, 10, true, {255, 127, 127}, {126, 63, 63}}}) {
        SCOPED_TRACE(c.side);
        CIconFormat format(8, c.side, c.side, kDepth32, counter);
        CIconLayer* layer = format.FirstLayer();
        if (c.halfRed) {
            for (int y = 0; y < c.side; ++y)
                for (int x = 0; x < c.side; ++x)
                    layer->Working().SetBlock(x, y, PixelColor{255, 0, 0, 255}, 3);
            layer->SetOpacity(0.5f);
        }
        const ViewGeometry g = Paint(format, 1000, 800);
        ASSERT_EQ(g.zoom, c.zoom);
        EXPECT_EQ(format.Zoom(), c.zoom);
        ExpectScreen(screen, [&](int x, int y) {
            const int cx = x - g.originX;
            const int cy = y - g.originY;
            if (cx < 0 || cy < 0 || cx >= g.canvasWidth || cy >= g.canvasHeight) return kGrey;
            return ZoomedCanvas(cx, cy, c.zoom, c.side, c.side, c.block, c.dot);
        });
        if (c.halfRed) {
            EXPECT_EQ(format.Final().GetPixel(20, 30), (PixelColor{255, 127, 127, 127}));
        }
    }
    // No format: all grey.
    painter.Resize(30, 20);
    PaintScene none{.visibleLayers = {}, .pen = &pen, .shadow = &shadow};
    painter.Paint(none);
    ExpectScreen(screen, [](int, int) { return kGrey; });
}

// A scrolled window (or one smaller than the canvas, centred on it) shows
// exactly the part of the canvas that a window large enough for all of it
// shows there: pixels, dots, grid, outline and hot spot cross, cut at every
// edge.
TEST_F(ViewPaintTest, ScrolledWindowShowsTheSameCanvasCut) {
    CIconFormat format(3, 48, 48, kDepth32, counter);
    CIconLayer* layer = format.FirstLayer();
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 48; ++x) {
            if ((x + y) % 5 == 0) continue;
            layer->Working().SetBlock(
                x, y, PixelColor{uint8_t(5 * x), uint8_t(5 * y), 90, uint8_t(100 + 3 * x)}, 3);
        }
    }
    layer->OutlinePoints() = {{20, 31}, {100, 40}, {90, 130}};
    format.SetCursorHotSpot(HotSpot{17, 23});
    const int zoom = 12;
    const ViewGeometry whole = Paint(format, 600, 600, zoom, true, 0, 0);
    ASSERT_EQ(whole.canvasWidth, 577);
    ASSERT_EQ(whole.originX, 11);
    ASSERT_EQ(whole.maxScrollX, 0);
    CLayerImage reference;
    ASSERT_TRUE(reference.CloneFrom(screen));

    struct Case {
        int scrollX, scrollY, shownX, shownY;
    };
    // Scrolls beyond the canvas are held to it (577 - 100 and 577 - 70).
    for (const Case& c : {Case{0, 0, 0, 0}, Case{37, 251, 37, 251}, Case{5, 6, 5, 6},
                          Case{-9, 9999, 0, 507}, Case{9999, 1, 477, 1}}) {
        const ViewGeometry g = Paint(format, 100, 70, zoom, true, c.scrollX, c.scrollY);
        ASSERT_EQ(g.scrollX, c.shownX);
        ASSERT_EQ(g.scrollY, c.shownY);
        EXPECT_EQ(g.originX, -c.shownX);
        ExpectScreen(screen, [&](int x, int y) {
            return ScreenPixel(reference, 11 + c.shownX + x, 11 + c.shownY + y);
        });
    }
}

} // namespace
} // namespace pictoform
