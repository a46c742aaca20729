#include "editor/ViewGeometry.h"

#include <gtest/gtest.h>

#include <tuple>

namespace pictoform {
namespace {

std::pair<int, int> Xy(ViewGeometry::IconPixel p) {
    return {p.x, p.y};
}

TEST(ViewGeometryTest, ZoomFollowsTheClientAndTheLimits) {
    struct Case {
        int clientW, clientH, w, h, zoom, originX, originY;
    };
    // 1000 x 800: 16 x 16 stops at the ceiling of 16; 48 x 48 at 500 div 48.
    // A zoom of 5 or less is never held to 500 pixels; a client smaller than
    // the format gives zoom 1 and a negative origin.
    for (const Case& c :
         {Case{1000, 800, 16, 16, 16, 371, 271}, Case{1000, 800, 48, 48, 10, 259, 159},
          Case{600, 400, 256, 256, 1, 171, 71}, Case{700, 600, 128, 100, 5, 29, 49},
          Case{100, 50, 256, 256, 1, -78, -103}, Case{4000, 4000, 600, 10, 1, 1699, 1994}}) {
        const ViewGeometry g = ViewGeometry::Fit(c.clientW, c.clientH, c.w, c.h);
        EXPECT_EQ(std::tuple(g.zoom, g.canvasWidth, g.canvasHeight, g.originX, g.originY),
                  std::tuple(c.zoom, c.zoom * c.w + 1, c.zoom * c.h + 1, c.originX, c.originY))
            << c.w << "x" << c.h;
    }
}

TEST(ViewGeometryTest, WindowPointsMapToPixelsAndCanvasUnits) {
    const ViewGeometry g = ViewGeometry::Fit(1000, 800, 48, 48); // zoom 10, origin (259, 159)
    const auto pixel = [&g](int x, int y) { return Xy(g.WindowToIconPixel(x, y)); };
    EXPECT_EQ(pixel(259, 159), std::pair(0, 0));
    EXPECT_EQ(pixel(278, 169), std::pair(1, 1));
    // 19 screen pixels in: 19 * 3 / 10 = 5.7, truncated.
    EXPECT_EQ(g.WindowToCanvas(278, 159).x, 5.0f);
    // Left of the canvas, division truncates toward zero as everywhere.
    EXPECT_EQ(pixel(255, 159), std::pair(0, 0));
    EXPECT_EQ(g.WindowToCanvas(249, 159).x, -3.0f);
    // Back: canvas 30 (icon pixel 10) shows 100 screen pixels in.
    EXPECT_EQ(Xy(g.CanvasToWindow(30.0f, 0.0f)), std::pair(359, 159));
}

TEST(ViewGeometryTest, ChosenZoomCentresWhatFitsAndScrollsWhatDoesNot) {
    struct Case {
        int clientW, clientH, w, h, zoom, scrollX, scrollY;
        int shownZoom, originX, originY, maxX, maxY;
    };
    // 48 x 48 at 32 is 1537 wide: scrolls on both axes, held to 1537 - client.
    // At 4 it is 193 and centres; a zoom beyond 1..64 is held to it.
    for (const Case& c : {Case{400, 300, 48, 48, 32, 100, 2000, 32, -100, -1237, 1137, 1237},
                          Case{400, 300, 48, 48, 4, 100, 50, 4, 103, 53, 0, 0},
                          Case{400, 300, 48, 16, 16, -5, 0, 16, 0, 21, 369, 0},
                          Case{400, 300, 16, 16, 500, 0, 0, 64, 0, 0, 625, 725},
                          Case{400, 300, 16, 16, 0, 0, 0, 1, 191, 141, 0, 0}}) {
        const ViewGeometry g =
            ViewGeometry::Place(c.clientW, c.clientH, c.w, c.h, c.zoom, c.scrollX, c.scrollY);
        EXPECT_EQ(std::tuple(g.zoom, g.originX, g.originY, g.maxScrollX, g.maxScrollY),
                  std::tuple(c.shownZoom, c.originX, c.originY, c.maxX, c.maxY))
            << c.zoom;
    }
}

TEST(ViewGeometryTest, ZoomStepsStopAtTheEndsAndLeaveAFittedZoomForItsNeighbours) {
    EXPECT_EQ(ViewGeometry::NextZoomIn(64), 64);
    EXPECT_EQ(ViewGeometry::NextZoomOut(1), 1);
    // From a fitted zoom between steps, to the steps either side.
    EXPECT_EQ(ViewGeometry::NextZoomIn(10), 12);
    EXPECT_EQ(ViewGeometry::NextZoomOut(10), 8);
    EXPECT_EQ(ViewGeometry::NextZoomOut(12), 8);
}

} // namespace
} // namespace pictoform
