#pragma once
// Where the current format sits in the view's window and how window points
// map to icon pixels and canvas units (three per icon pixel).

namespace pictoform {

struct ViewGeometry {
    // Screen pixels per icon pixel.
    int zoom = 1;
    // Window position of the canvas's top-left corner; negative when the
    // canvas is larger than the window.
    int originX = 0;
    int originY = 0;
    // The zoomed picture plus one line for the grid's last line.
    int canvasWidth = 0;
    int canvasHeight = 0;

    // The zoom that fits a width x height format into the client area: as
    // large as fits, at least 1; above 5 it is held at 16 and the canvas at
    // 500 pixels a side. The canvas is centred.
    [[nodiscard]] static ViewGeometry Fit(int clientWidth, int clientHeight, int width, int height);

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
