#pragma once
// The editing view's repaint: from the current format's layers (and the
// active object with its shadow) to the picture the window shows. It keeps
// nothing between calls; every repaint rebuilds the composite, final and
// display images from the layers.

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

// Repaints into display (the part of the zoomed canvas the window shows,
// from its top-left, made by the caller at the client size) and screen (the
// client area as the window shows it: grey bands around a canvas that fits,
// the scrolled part of one that does not). Both must be clientWidth x
// clientHeight. Stores the zoom in the format and returns the geometry.
ViewGeometry PaintView(PaintScene& scene, int clientWidth, int clientHeight, CLayerImage& display,
                       CLayerImage& screen);

} // namespace pictoform
