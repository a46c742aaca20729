#include "editor/ViewGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "image/RasterPrimitives.h"

namespace pictoform {

namespace {

// Integer division toward zero, as the rest of the program divides; wide
// enough that no window point overflows.
int Div(int64_t a, int64_t b) {
    return static_cast<int>(std::clamp<int64_t>(a / b, INT32_MIN, INT32_MAX));
}

} // namespace

ViewGeometry ViewGeometry::Fit(int clientWidth, int clientHeight, int width, int height) {
    ViewGeometry g;
    if (width < 1 || height < 1) return g;
    int zoom = std::min(std::max(clientWidth, 0) / width, std::max(clientHeight, 0) / height);
    if (zoom < 1) {
        zoom = 1;
    } else if (zoom > 5) {
        zoom = std::min(zoom, 16);
        if (zoom * width > 500) zoom = 500 / width;
        if (zoom * height > 500) zoom = 500 / height;
        // A very wide format can take the 500-pixel rule below 1.
        zoom = std::max(zoom, 1);
    }
    g.zoom = zoom;
    const int64_t cw = int64_t{zoom} * width + 1;
    const int64_t ch = int64_t{zoom} * height + 1;
    g.canvasWidth = static_cast<int>(std::min<int64_t>(cw, INT32_MAX));
    g.canvasHeight = static_cast<int>(std::min<int64_t>(ch, INT32_MAX));
    g.originX = Div(int64_t{clientWidth} - cw, 2);
    g.originY = Div(int64_t{clientHeight} - ch, 2);
    return g;
}

ViewGeometry::IconPixel ViewGeometry::WindowToIconPixel(int wx, int wy) const {
    return {Div(int64_t{wx} - originX, zoom), Div(int64_t{wy} - originY, zoom)};
}

ViewGeometry::CanvasPoint ViewGeometry::WindowToCanvas(int wx, int wy) const {
    const float z = static_cast<float>(zoom);
    const float cx = std::trunc(static_cast<float>(int64_t{wx} - originX) * 3.0f / z);
    const float cy = std::trunc(static_cast<float>(int64_t{wy} - originY) * 3.0f / z);
    return {cx, cy};
}

ViewGeometry::IconPixel ViewGeometry::CanvasToWindow(float cx, float cy) const {
    const float k = static_cast<float>(zoom) * 0.33333334f;
    return {SaturatingInt(originX + static_cast<double>(cx * k)),
            SaturatingInt(originY + static_cast<double>(cy * k))};
}

} // namespace pictoform
