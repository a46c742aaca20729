#pragma once
// The editing view's repaint: from the current format's layers (and the
// active object with its shadow) to the picture the window shows. A whole
// repaint rebuilds the composite, final and display images from the layers;
// after a change whose extent is known, only that part is rebuilt.

#include <optional>
#include <vector>

#include "colour/DropShadow.h"
#include "colour/MultiColorPen.h"
#include "editor/ViewGeometry.h"
#include "icon/IconFormat.h"
#include "icon/IconLayer.h"
#include "image/LayerImage.h"

namespace pictoform {

enum class EraserOutline { None, Round, Square };

// What one repaint draws. Pointers borrow; a null format paints all grey.
struct PaintScene {
    CIconFormat* format = nullptr;
    // The layers panel's selected layer: its active object is rendered and framed.
    CIconLayer* currentLayer = nullptr;
    // In the layers panel's order; the first is laid down first.
    std::vector<CIconLayer*> visibleLayers;
    CMultiColorPen* pen = nullptr;
    const ShadowSettings* shadow = nullptr;

    // The overlays of a drag in progress: the flood fill's gradient line from
    // the pointer to the last stroke point, and the eraser's outline under
    // the pointer (penWidth icon pixels wide).
    bool fillLine = false;
    EraserOutline eraser = EraserOutline::None;
    int pointerX = 0;
    int pointerY = 0;
    int penWidth = 1;

    // The zoom the user chose (0: fit the window) and, for a canvas larger
    // than the window, the canvas point at its top-left corner (the middle
    // of the canvas when not scrolled).
    int zoom = 0;
    bool scrolled = false;
    int scrollX = 0;
    int scrollY = 0;
};

// The grey of the window around the canvas.
inline constexpr uint8_t kViewGrey = 150;

// The window's pictures and what the last repaint drew into them: display
// (the part of the zoomed canvas the window shows, from its top-left, with
// the overlays) and screen (the client area as the window shows it: grey
// bands around a canvas that fits, the scrolled part of one that does not).
class CViewPainter {
public:
    // Both pictures at the client size; the next repaint is a whole one.
    void Resize(int clientWidth, int clientHeight);

    // Everything again. Stores the zoom in the format and returns the geometry.
    ViewGeometry Paint(PaintScene& scene);
    // The same picture as Paint, after a change confined to the icon pixels
    // in changed (of the format's layers) and the overlays: only those
    // pixels, the active object's pixels before and after, and the overlays
    // before and after are drawn again. It is a whole repaint when anything
    // else differs from the last repaint: the format, its size or depth, a
    // format of few colours (its saved colours depend on every pixel), the
    // size, zoom or scroll, the layers shown or their opacity, the object.
    ViewGeometry PaintChanged(PaintScene& scene, const PixelRect& changed);

    [[nodiscard]] const CLayerImage& Display() const { return m_display; }
    [[nodiscard]] const CLayerImage& Screen() const { return m_screen; }
    // The screen pixels the last repaint may have changed.
    [[nodiscard]] const PixelRect& Updated() const { return m_updated; }

private:
    // What a repaint depends on besides the pixels; a partial repaint
    // needs all of it unchanged.
    struct Setting {
        const CIconFormat* format = nullptr;
        int width = 0;
        int height = 0;
        int32_t depth = 0;
        bool soft = false;
        ViewGeometry geometry;
        std::vector<std::pair<const CIconLayer*, float>> layers;
        const CIconLayer* current = nullptr;
        const CPattern* object = nullptr;
        bool operator==(const Setting& other) const;
    };
    [[nodiscard]] static bool Paintable(const PaintScene& scene);
    [[nodiscard]] Setting SettingOf(const PaintScene& scene, const ViewGeometry& g) const;
    // Lays the active object over the current layer's committed pixels and
    // returns the icon pixels it changed.
    PixelRect RenderActiveObject(const PaintScene& scene);
    // The icon pixels of area: composed, reduced and shown (a whole repaint
    // passes the whole format).
    static void RedrawArea(const PaintScene& scene, const PixelRect& area);
    // The display pixels of the icon pixels in area, drawn again from the
    // format's final picture with the grid; returns the display part drawn.
    PixelRect ShowArea(const PaintScene& scene, const ViewGeometry& g, const PixelRect& area);
    // Draws the overlays on the display; returns the display pixels drawn on.
    PixelRect DrawOverlays(const PaintScene& scene, const ViewGeometry& g);
    // The screen in the grey around the canvas, all but `kept` (the part
    // the canvas is about to cover).
    void FillScreenGrey(const PixelRect& kept = {});
    // Where on the screen the display pixels of area go.
    [[nodiscard]] PixelRect ScreenPartOf(const ViewGeometry& g, const PixelRect& area) const;
    // Copies the display pixels of area into the screen and notes them as updated.
    void Present(const ViewGeometry& g, const PixelRect& area);

    int m_clientWidth = 1;
    int m_clientHeight = 1;
    CLayerImage m_display;
    CLayerImage m_screen;
    // Where an object's shadow is laid before it joins the layer; the
    // format's composite is kept whole for the colour picker.
    CLayerImage m_scratch;
    std::optional<Setting> m_last;
    // The display pixels the last overlays drew on, and the icon pixels the
    // last rendering of the active object changed.
    PixelRect m_overlays;
    PixelRect m_object;
    PixelRect m_updated;
};

} // namespace pictoform
