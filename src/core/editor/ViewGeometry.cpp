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

int ViewGeometry::FitZoom(int clientWidth, int clientHeight, int width, int height) {
    if (width < 1 || height < 1) return 1;
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
    return zoom;
}

ViewGeometry ViewGeometry::Fit(int clientWidth, int clientHeight, int width, int height) {
    return Centred(clientWidth, clientHeight, width, height,
                   FitZoom(clientWidth, clientHeight, width, height));
}

ViewGeometry ViewGeometry::Centred(int clientWidth, int clientHeight, int width, int height,
                                   int zoom) {
    if (width < 1 || height < 1) return {};
    zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
    // Half the overhang: the middle of a canvas larger than the client.
    const auto middle = [zoom](int client, int size) {
        return Div(std::max<int64_t>(int64_t{zoom} * size + 1 - client, 0), 2);
    };
    return Place(clientWidth, clientHeight, width, height, zoom, middle(clientWidth, width),
                 middle(clientHeight, height));
}

ViewGeometry ViewGeometry::Place(int clientWidth, int clientHeight, int width, int height, int zoom,
                                 int scrollX, int scrollY) {
    ViewGeometry g;
    if (width < 1 || height < 1) return g;
    g.zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
    const auto axis = [&g](int client, int size, int scroll, int& canvas, int& origin, int& shown,
                           int& most) {
        const int64_t extent = int64_t{g.zoom} * size + 1;
        canvas = static_cast<int>(std::min<int64_t>(extent, INT32_MAX));
        if (extent <= client) {
            origin = Div(int64_t{client} - extent, 2);
            return;
        }
        most = static_cast<int>(std::min<int64_t>(extent - client, INT32_MAX));
        shown = std::clamp(scroll, 0, most);
        origin = -shown;
    };
    axis(clientWidth, width, scrollX, g.canvasWidth, g.originX, g.scrollX, g.maxScrollX);
    axis(clientHeight, height, scrollY, g.canvasHeight, g.originY, g.scrollY, g.maxScrollY);
    return g;
}

namespace {

constexpr int kZoomSteps[] = {1, 2, 3, 4, 6, 8, 12, 16, 24, 32, 48, 64};

} // namespace

int ViewGeometry::NextZoomIn(int zoom) {
    for (int step : kZoomSteps) {
        if (step > zoom) return step;
    }
    return kMaxZoom;
}

int ViewGeometry::NextZoomOut(int zoom) {
    int below = kMinZoom;
    for (int step : kZoomSteps) {
        if (step >= zoom) break;
        below = step;
    }
    return below;
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
