#pragma once
// Where the current format sits in the view's window and how window points
// map to icon pixels and canvas units (three per icon pixel).

#include <cstdint>

namespace pictoform {

// Division that rounds toward minus infinity, and toward plus infinity, for
// window points left of or above the canvas too.
constexpr int64_t FloorDiv(int64_t a, int64_t b) {
    const int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}
constexpr int64_t CeilDiv(int64_t a, int64_t b) {
    return -FloorDiv(-a, b);
}

struct ViewGeometry {
    static constexpr int kMinZoom = 1;
    static constexpr int kMaxZoom = 64;

    // Screen pixels per icon pixel.
    int zoom = 1;
    // Window position of the canvas's top-left corner; negative when the
    // canvas is larger than the window and scrolled.
    int originX = 0;
    int originY = 0;
    // The zoomed picture plus one line for the grid's last line.
    int canvasWidth = 0;
    int canvasHeight = 0;
    // The canvas point at the window's left and top edge, from 0 to the
    // largest scroll (0 on an axis where the canvas fits and is centred).
    int scrollX = 0;
    int scrollY = 0;
    int maxScrollX = 0;
    int maxScrollY = 0;
    friend bool operator==(const ViewGeometry&, const ViewGeometry&) = default;

    // The zoom that fits a width x height format into the client area: as
    // large as fits, at least 1; above 5 it is held at 16 and the canvas at
    // 500 pixels a side. The canvas is centred, also when even zoom 1 is
    // larger than the client (it then scrolls from the middle).
    [[nodiscard]] static int FitZoom(int clientWidth, int clientHeight, int width, int height);
    [[nodiscard]] static ViewGeometry Fit(int clientWidth, int clientHeight, int width, int height);
    // A zoom with the canvas centred, scrolled to its middle where it is
    // larger than the client.
    [[nodiscard]] static ViewGeometry Centred(int clientWidth, int clientHeight, int width,
                                              int height, int zoom);
    // A chosen zoom (held to 1..64): on each axis a canvas that fits the
    // client is centred; a larger one shows from the scroll position, held
    // to the canvas.
    [[nodiscard]] static ViewGeometry Place(int clientWidth, int clientHeight, int width,
                                            int height, int zoom, int scrollX, int scrollY);
    // The zoom steps of Zoom In and Zoom Out from any zoom, fitted or not.
    [[nodiscard]] static int NextZoomIn(int zoom);
    [[nodiscard]] static int NextZoomOut(int zoom);

    struct IconPixel {
        int x = 0;
        int y = 0;
    };
    struct CanvasPoint {
        float x = 0.0f;
        float y = 0.0f;
    };
    [[nodiscard]] IconPixel WindowToIconPixel(int wx, int wy) const;
    // Truncated toward zero, as whole canvas units.
    [[nodiscard]] CanvasPoint WindowToCanvas(int wx, int wy) const;
    // The window point where a canvas point shows.
    [[nodiscard]] IconPixel CanvasToWindow(float cx, float cy) const;
};

} // namespace pictoform
