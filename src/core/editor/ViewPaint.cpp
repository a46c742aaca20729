#include "editor/ViewPaint.h"

#include <algorithm>
#include <cstring>

#include "image/DisplayPainter.h"
#include "image/RasterPrimitives.h"
#include "objects/Pattern.h"
#include "objects/ShadowRender.h"

namespace pictoform {

namespace {

void DrawOutlinePoints(DisplayPainter& painter, const std::vector<CanvasPoint>& points, int zoom) {
    if (points.size() < 2) return;
    auto shown = [zoom](const CanvasPoint& p) {
        return std::pair{SaturatingInt(static_cast<double>(SaturatingInt(p.x)) * zoom / 3),
                         SaturatingInt(static_cast<double>(SaturatingInt(p.y)) * zoom / 3)};
    };
    painter.SetPen(PenStyle::Dotted, DisplayColor{});
    auto [x0, y0] = shown(points.front());
    painter.MoveTo(x0, y0);
    for (size_t i = 1; i < points.size(); ++i) {
        auto [x, y] = shown(points[i]);
        painter.LineTo(x, y);
    }
    if (points.size() > 2) painter.LineTo(x0, y0);
}

void DrawFillLine(DisplayPainter& painter, const PaintScene& scene, const ViewGeometry& g) {
    const auto& stroke = scene.currentLayer->StrokePoints();
    if (stroke.empty()) return;
    const float k = DisplayScale(g.zoom);
    painter.SetPen(PenStyle::Solid, DisplayColor{});
    painter.SetInvert(true);
    painter.Line(scene.pointerX - g.originX, scene.pointerY - g.originY,
                 SaturatingInt(stroke.back().x * k), SaturatingInt(stroke.back().y * k));
    painter.SetInvert(false);
}

void DrawEraserOutline(DisplayPainter& painter, const PaintScene& scene, const ViewGeometry& g) {
    const int64_t zoom = g.zoom;
    const int64_t size = int64_t{scene.penWidth} * zoom;
    const int64_t half = scene.penWidth / 2;
    const int64_t px = (int64_t{scene.pointerX} - g.originX) / zoom;
    const int64_t py = (int64_t{scene.pointerY} - g.originY) / zoom;
    const int left = SaturatingInt(static_cast<double>((px - half) * zoom));
    const int top = SaturatingInt(static_cast<double>((py - half) * zoom));
    const int right = SaturatingInt(static_cast<double>(left) + static_cast<double>(size));
    const int bottom = SaturatingInt(static_cast<double>(top) + static_cast<double>(size));
    painter.SetPen(PenStyle::Solid, DisplayColor{});
    if (scene.eraser == EraserOutline::Round) {
        painter.SetNoBrush();
        painter.Ellipse(left, top, right, bottom);
        return;
    }
    painter.MoveTo(left, top);
    painter.LineTo(right, top);
    painter.LineTo(right, bottom);
    painter.LineTo(left, bottom);
    painter.LineTo(left, top);
}

// A small cross on the hot spot's pixel, inverting what is under it so that
// it shows on any colour. The vertical arm leaves out the middle, which the
// horizontal one has inverted already and would otherwise turn back.
void DrawHotSpot(DisplayPainter& painter, HotSpot spot, int zoom) {
    const int cx = SaturatingInt((2.0 * spot.x + 1) * zoom / 2);
    const int cy = SaturatingInt((2.0 * spot.y + 1) * zoom / 2);
    const int arm = std::max(zoom, 4);
    painter.SetPen(PenStyle::Solid, DisplayColor{});
    painter.SetInvert(true);
    painter.Line(cx - arm, cy, cx + arm + 1, cy);
    painter.Line(cx, cy - arm, cx, cy);
    painter.Line(cx, cy + 1, cx, cy + arm + 1);
    painter.SetInvert(false);
}

// The window's view of the display: grey everywhere but the canvas, whose
// shown part the display holds from its top-left.
void PresentCanvas(const CLayerImage& display, CLayerImage& screen, const ViewGeometry& g) {
    screen.Fill(kViewGrey, 0, 0);
    const int64_t x0 = std::max(g.originX, 0);
    const int64_t y0 = std::max(g.originY, 0);
    const int64_t columns =
        std::min<int64_t>({int64_t{screen.Width()} - x0, int64_t{g.canvasWidth} - g.scrollX,
                           int64_t{display.Width()}});
    const int64_t rows =
        std::min<int64_t>({int64_t{screen.Height()} - y0, int64_t{g.canvasHeight} - g.scrollY,
                           int64_t{display.Height()}});
    if (columns <= 0) return;
    for (int64_t y = 0; y < rows; ++y) {
        const uint8_t* from = display.ColourBits() + static_cast<size_t>(y) * display.Stride();
        uint8_t* to = screen.ColourBits() + static_cast<size_t>(y0 + y) * screen.Stride() +
                      3 * static_cast<size_t>(x0);
        std::memcpy(to, from, 3 * static_cast<size_t>(columns));
    }
}

ViewGeometry PlaceCanvas(const PaintScene& scene, int clientWidth, int clientHeight) {
    const int w = scene.format->Width();
    const int h = scene.format->Height();
    if (scene.zoom <= 0 && !scene.scrolled)
        return ViewGeometry::Fit(clientWidth, clientHeight, w, h);
    const int zoom =
        scene.zoom > 0 ? scene.zoom : ViewGeometry::FitZoom(clientWidth, clientHeight, w, h);
    if (scene.scrolled) {
        return ViewGeometry::Place(clientWidth, clientHeight, w, h, zoom, scene.scrollX,
                                   scene.scrollY);
    }
    return ViewGeometry::Centred(clientWidth, clientHeight, w, h, zoom);
}

} // namespace

ViewGeometry PaintView(PaintScene& scene, int clientWidth, int clientHeight, CLayerImage& display,
                       CLayerImage& screen) {
    CIconFormat* format = scene.format;
    if (!format || !format->IsValid() || !scene.pen || !scene.shadow) {
        screen.Fill(kViewGrey, 0, 0);
        return {};
    }
    const bool soft = format->SoftEdges();
    const ViewGeometry g = PlaceCanvas(scene, clientWidth, clientHeight);
    format->SetZoom(g.zoom);

    CIconLayer* layer = scene.currentLayer;
    const CPattern* object = layer ? layer->ActiveObject() : nullptr;
    if (object) {
        layer->Committed().CopyTo(layer->Working());
        RenderObject(*object, *scene.pen, layer->Working(), format->Composite(), *scene.shadow);
    }

    CLayerImage& composite = format->Composite();
    composite.Fill(255, 0, soft ? 1 : 0);
    for (CIconLayer* visible : scene.visibleLayers) {
        CLayerImage::Composite(visible->Working(), composite, !soft, 0, 0, visible->Opacity());
    }
    display.Fill(255, 0, 1);
    format->Final().Fill(255, 0, 1);
    CLayerImage::Downsample3x(composite, nullptr, 0, format->Final(), !soft);
    // A format of few colours is shown in the colours it will be saved in.
    if (PaletteEntriesOf(format->Depth()) > 0) format->ShowStoredColours();
    // Only the part of the canvas the window shows is drawn, so that a large
    // zoom costs no more than the window.
    CLayerImage::ShowZoomed(format->Final(), display, g.zoom, g.scrollX, g.scrollY);
    if (g.zoom >= 4) {
        display.DrawGrid(g.zoom, format->Width(), format->Height(), g.scrollX, g.scrollY);
    }

    DisplayPainter painter(display);
    painter.SetOrigin(g.scrollX, g.scrollY);
    if (object) {
        const bool showGradient =
            scene.pen->Mode() == kPenMultiColour && scene.pen->GradientKind() != kGradientVertex;
        object->DrawFrame(painter, g.zoom, showGradient);
    } else if (layer) {
        DrawOutlinePoints(painter, layer->OutlinePoints(), g.zoom);
    }
    if (format->CursorHotSpot()) DrawHotSpot(painter, *format->CursorHotSpot(), g.zoom);
    if (layer && scene.fillLine) DrawFillLine(painter, scene, g);
    if (scene.eraser != EraserOutline::None) DrawEraserOutline(painter, scene, g);

    PresentCanvas(display, screen, g);
    return g;
}

} // namespace pictoform
