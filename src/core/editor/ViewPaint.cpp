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

int Narrow(int64_t v) {
    return static_cast<int>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

// The icon pixels whose zoomed blocks reach into an area of the display,
// whether or not they lie inside the format.
PixelRect IconAreaUnder(const PixelRect& shown, const ViewGeometry& g) {
    if (shown.Empty()) return {};
    return {Narrow(FloorDiv(int64_t{shown.x0} + g.scrollX, g.zoom)),
            Narrow(FloorDiv(int64_t{shown.y0} + g.scrollY, g.zoom)),
            Narrow(CeilDiv(int64_t{shown.x1} + g.scrollX, g.zoom)),
            Narrow(CeilDiv(int64_t{shown.y1} + g.scrollY, g.zoom))};
}

} // namespace

bool CViewPainter::Setting::operator==(const Setting& other) const = default;

void CViewPainter::Resize(int clientWidth, int clientHeight) {
    m_clientWidth = std::max(clientWidth, 1);
    m_clientHeight = std::max(clientHeight, 1);
    (void)m_display.Create(m_clientWidth, m_clientHeight);
    (void)m_screen.Create(m_clientWidth, m_clientHeight);
    m_last.reset();
}

void CViewPainter::FillScreenGrey(const PixelRect& kept) {
    // The window shows the colour plane alone; the screen's alpha and
    // coverage are never read, so they are not filled.
    const PixelRect keep = kept.Intersected(m_screen.Whole());
    const auto fill = [&](int y, int x0, int x1) {
        std::fill_n(m_screen.Bgr(x0, y), 3 * static_cast<size_t>(x1 - x0), kViewGrey);
    };
    if (keep.Empty()) {
        std::fill_n(m_screen.ColourBits(),
                    static_cast<size_t>(m_screen.Stride()) * static_cast<size_t>(m_screen.Height()),
                    kViewGrey);
        return;
    }
    for (int y = 0; y < m_screen.Height(); ++y) {
        if (y < keep.y0 || y >= keep.y1) {
            fill(y, 0, m_screen.Width());
        } else {
            fill(y, 0, keep.x0);
            fill(y, keep.x1, m_screen.Width());
        }
    }
}

bool CViewPainter::Paintable(const PaintScene& scene) {
    return scene.format && scene.format->IsValid() && scene.pen && scene.shadow;
}

CViewPainter::Setting CViewPainter::SettingOf(const PaintScene& scene,
                                              const ViewGeometry& g) const {
    Setting setting;
    setting.format = scene.format;
    setting.width = scene.format->Width();
    setting.height = scene.format->Height();
    setting.depth = scene.format->Depth();
    setting.soft = scene.format->SoftEdges();
    setting.geometry = g;
    for (const CIconLayer* layer : scene.visibleLayers)
        setting.layers.emplace_back(layer, layer->Opacity());
    setting.current = scene.currentLayer;
    setting.object = scene.currentLayer ? scene.currentLayer->ActiveObject() : nullptr;
    return setting;
}

PixelRect CViewPainter::RenderActiveObject(const PaintScene& scene) {
    CIconLayer* layer = scene.currentLayer;
    const CPattern* object = layer ? layer->ActiveObject() : nullptr;
    if (!object) return {};
    layer->Committed().CopyTo(layer->Working());
    const CLayerImage& working = layer->Working();
    if (m_scratch.Width() != working.Width() || m_scratch.Height() != working.Height())
        (void)m_scratch.Create(working.Width(), working.Height());
    RenderObject(*object, *scene.pen, layer->Working(), m_scratch, *scene.shadow);
    // In icon pixels: every block the object (or its shadow) reached.
    return BlocksOf(layer->Working().DifferenceFrom(layer->Committed()));
}

void CViewPainter::RedrawArea(const PaintScene& scene, const PixelRect& area) {
    CIconFormat& format = *scene.format;
    const bool soft = format.SoftEdges();
    const PixelRect tripled = Tripled(area);
    CLayerImage& composite = format.Composite();
    composite.FillRect(tripled, 255, 0, soft ? 1 : 0);
    for (const CIconLayer* visible : scene.visibleLayers) {
        CLayerImage::Composite(visible->Working(), composite, !soft, 0, 0, visible->Opacity(),
                               tripled);
    }
    format.Final().FillRect(area, 255, 0, 1);
    CLayerImage::Downsample3x(composite, format.Final(), !soft, area);
    // A format of few colours is shown in the colours it will be saved in.
    if (PaletteEntriesOf(format.Depth()) > 0) format.ShowStoredColours();
}

PixelRect CViewPainter::ShowArea(const PaintScene& scene, const ViewGeometry& g,
                                 const PixelRect& area) {
    // Whole blocks, so that every pixel drawn comes out as a whole repaint
    // draws it; only the part of the canvas the window shows is drawn, so
    // that a large zoom costs no more than the window.
    const PixelRect shown = CLayerImage::ZoomedArea(area, m_display, g.zoom, g.scrollX, g.scrollY);
    if (shown.Empty()) return {};
    const CIconFormat& format = *scene.format;
    // ShowZoomed draws every block of the icon; the rest of what is shown
    // (past the canvas's edges, where the grid's last line falls) is white.
    const PixelRect icon = CLayerImage::ZoomedArea(area.Intersected(format.Final().Whole()),
                                                   m_display, g.zoom, g.scrollX, g.scrollY);
    if (icon.Empty()) {
        m_display.FillRect(shown, 255, 0, 1);
    } else {
        for (const PixelRect& band : {PixelRect{shown.x0, shown.y0, shown.x1, icon.y0},
                                      PixelRect{shown.x0, icon.y1, shown.x1, shown.y1},
                                      PixelRect{shown.x0, icon.y0, icon.x0, icon.y1},
                                      PixelRect{icon.x1, icon.y0, shown.x1, icon.y1}})
            m_display.FillRect(band, 255, 0, 1);
    }
    CLayerImage::ShowZoomed(format.Final(), m_display, g.zoom, g.scrollX, g.scrollY, area);
    if (g.zoom >= 4) {
        m_display.DrawGrid(g.zoom, format.Width(), format.Height(), g.scrollX, g.scrollY, shown);
    }
    return shown;
}

PixelRect CViewPainter::DrawOverlays(const PaintScene& scene, const ViewGeometry& g) {
    DisplayPainter painter(m_display);
    painter.SetOrigin(g.scrollX, g.scrollY);
    const CIconLayer* layer = scene.currentLayer;
    const CPattern* object = layer ? layer->ActiveObject() : nullptr;
    if (object) {
        const bool showGradient =
            scene.pen->Mode() == kPenMultiColour && scene.pen->GradientKind() != kGradientVertex;
        object->DrawFrame(painter, g.zoom, showGradient);
    } else if (layer) {
        DrawOutlinePoints(painter, layer->OutlinePoints(), g.zoom);
    }
    if (scene.format->CursorHotSpot()) DrawHotSpot(painter, *scene.format->CursorHotSpot(), g.zoom);
    if (layer && scene.fillLine) DrawFillLine(painter, scene, g);
    if (scene.eraser != EraserOutline::None) DrawEraserOutline(painter, scene, g);
    return painter.Touched();
}

PixelRect CViewPainter::ScreenPartOf(const ViewGeometry& g, const PixelRect& area) const {
    // The display holds the shown part of the canvas from its top-left; the
    // screen shows it from the canvas's window position on.
    const int x0 = std::max(g.originX, 0);
    const int y0 = std::max(g.originY, 0);
    const int64_t columns =
        std::min<int64_t>({int64_t{m_screen.Width()} - x0, int64_t{g.canvasWidth} - g.scrollX,
                           int64_t{m_display.Width()}});
    const int64_t rows =
        std::min<int64_t>({int64_t{m_screen.Height()} - y0, int64_t{g.canvasHeight} - g.scrollY,
                           int64_t{m_display.Height()}});
    const PixelRect copied = area.Intersected({0, 0, Narrow(columns), Narrow(rows)});
    if (copied.Empty()) return {};
    return {x0 + copied.x0, y0 + copied.y0, x0 + copied.x1, y0 + copied.y1};
}

void CViewPainter::Present(const ViewGeometry& g, const PixelRect& area) {
    const PixelRect to = ScreenPartOf(g, area);
    // The display's pixel at (x, y) goes to the screen at origin + (x, y).
    const int originX = std::max(g.originX, 0);
    const int originY = std::max(g.originY, 0);
    const size_t bytes = 3 * static_cast<size_t>(to.x1 - to.x0);
    for (int y = to.y0; y < to.y1; ++y)
        std::memcpy(m_screen.Bgr(to.x0, y), m_display.Bgr(to.x0 - originX, y - originY), bytes);
    if (!to.Empty()) m_updated = m_updated.United(to);
}

ViewGeometry CViewPainter::Paint(PaintScene& scene) {
    m_last.reset();
    m_updated = m_screen.Whole();
    if (!Paintable(scene)) {
        FillScreenGrey();
        return {};
    }
    const ViewGeometry g = PlaceCanvas(scene, m_clientWidth, m_clientHeight);
    scene.format->SetZoom(g.zoom);
    m_object = RenderActiveObject(scene);
    RedrawArea(scene, scene.format->Final().Whole());
    (void)ShowArea(scene, g, IconAreaUnder(m_display.Whole(), g));
    m_overlays = DrawOverlays(scene, g);
    FillScreenGrey(ScreenPartOf(g, m_display.Whole()));
    Present(g, m_display.Whole());
    m_updated = m_screen.Whole();
    m_last = SettingOf(scene, g);
    return g;
}

ViewGeometry CViewPainter::PaintChanged(PaintScene& scene, const PixelRect& changed) {
    if (!m_last || !Paintable(scene) || PaletteEntriesOf(scene.format->Depth()) > 0)
        return Paint(scene);
    const ViewGeometry g = PlaceCanvas(scene, m_clientWidth, m_clientHeight);
    if (!(SettingOf(scene, g) == *m_last)) return Paint(scene);
    m_updated = {};
    // The object's pixels where it was and where it is now.
    const PixelRect object = RenderActiveObject(scene);
    const PixelRect area =
        changed.United(object).United(m_object).Intersected(scene.format->Final().Whole());
    m_object = object;
    RedrawArea(scene, area);
    // The last overlays' pixels come back from the canvas under them; apart
    // from the change, so that a stroke far from a cursor's hot-spot cross
    // does not redraw all that lies between them.
    const PixelRect changedShown = ShowArea(scene, g, area);
    const PixelRect restored = ShowArea(scene, g, IconAreaUnder(m_overlays, g));
    const PixelRect overlays = DrawOverlays(scene, g);
    for (const PixelRect& part : {changedShown, restored, overlays}) Present(g, part);
    m_overlays = overlays;
    return g;
}

} // namespace pictoform
