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

// The window's view of the display: grey everywhere but the canvas, which is
// the display's top-left part placed at the origin (and cut off where it
// does not fit).
void PresentCanvas(const CLayerImage& display, CLayerImage& screen, const ViewGeometry& g) {
    screen.Fill(kViewGrey, 0, 0);
    const int64_t x0 = std::max<int64_t>(0, g.originX);
    const int64_t y0 = std::max<int64_t>(0, g.originY);
    const int64_t x1 =
        std::min<int64_t>({int64_t{screen.Width()}, int64_t{g.originX} + g.canvasWidth,
                           int64_t{g.originX} + display.Width()});
    const int64_t y1 =
        std::min<int64_t>({int64_t{screen.Height()}, int64_t{g.originY} + g.canvasHeight,
                           int64_t{g.originY} + display.Height()});
    if (x1 <= x0) return;
    for (int64_t y = y0; y < y1; ++y) {
        const uint8_t* from = display.ColourBits() +
                              static_cast<size_t>(y - g.originY) * display.Stride() +
                              3 * static_cast<size_t>(x0 - g.originX);
        uint8_t* to = screen.ColourBits() + static_cast<size_t>(y) * screen.Stride() +
                      3 * static_cast<size_t>(x0);
        std::memcpy(to, from, 3 * static_cast<size_t>(x1 - x0));
    }
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
    const ViewGeometry g =
        ViewGeometry::Fit(clientWidth, clientHeight, format->Width(), format->Height());
    format->SetZoom(g.zoom);
    // The canvas is drawn into the display from its top-left corner; one
    // larger than the window would otherwise lose its far part when centred.
    if (display.Width() < g.canvasWidth || display.Height() < g.canvasHeight) {
        if (!display.Create(std::max(clientWidth, g.canvasWidth),
                            std::max(clientHeight, g.canvasHeight))) {
            screen.Fill(kViewGrey, 0, 0);
            return g;
        }
    }

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
    if (PaletteEntriesOf(format->Depth()) > 0) {
        // A format of few colours is shown in the colours it will be saved in.
        CLayerImage::Downsample3x(composite, nullptr, 0, format->Final(), !soft);
        format->ShowStoredColours();
        CLayerImage::ShowZoomed(format->Final(), display, g.zoom);
    } else {
        CLayerImage::Downsample3x(composite, &display, g.zoom, format->Final(), !soft);
    }
    if (g.zoom >= 4) display.DrawGrid(g.zoom, format->Width(), format->Height());

    DisplayPainter painter(display);
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
