// What each tool does with a press, a drag, a hover and a release when no
// object is active.

#include <algorithm>
#include <cmath>
#include <memory>

#include "editor/ObjectEditing.h"
#include "editor/PictoformView.h"
#include "editor/ViewMouse.h"
#include "objects/CopiedPattern.h"
#include "objects/MaskedPattern.h"
#include "objects/RectPattern.h"
#include "objects/TriPattern.h"
#include "objects/UAATextPattern.h"
#include "panels/MaskLibrary.h"
#include "panels/TextInputDialog.h"

namespace pictoform {

namespace {

// The icon pixel of a canvas point, as the block-based lines take it.
float Block(float v) {
    return std::floor(v * 0.33333334f);
}

// A canvas coordinate moved down to the start of its icon pixel.
int Snap(float v) {
    return 3 * static_cast<int>(std::trunc(v / 3.0f));
}

bool IsPencil(int tool) {
    return ToolOf(static_cast<ToolCode>(tool)) == ToolOf(kToolPencilRound);
}

// Three units, one icon pixel, in both directions.
bool BigEnough(const PenPoint& s, float cx, float cy) {
    return std::abs(cx - s.x) >= 3.0f && std::abs(cy - s.y) >= 3.0f;
}

PenPoint At(float x, float y, const PixelColor& colour) {
    PenPoint p;
    p.x = x;
    p.y = y;
    p.colour = colour;
    return p;
}

// Lines drawn with whole blocks on hard-edged formats with a one-pixel pen;
// every other line is a soft stroke.
bool SoftLine(const CIconFormat& format, int width) {
    return format.Depth() == kDepth32 || width != 1;
}

void DrawLine(CLayerImage& image, const CIconFormat& format, const PenOutputs& pen, int width,
              const PenPoint& s, float cx, float cy) {
    if (SoftLine(format, width)) {
        StrokeWithStops(image, pen, SaturatingInt(s.x), SaturatingInt(s.y), SaturatingInt(cx),
                        SaturatingInt(cy), 3 * width);
    } else {
        DrawPenLine(image, pen, Block(s.x), Block(s.y), Block(cx), Block(cy));
    }
}

void SetBoxOutline(CIconLayer& layer, float x0, float y0, float x1, float y1) {
    layer.OutlinePoints() = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
}

void AppendSnapshot(Workspace& space, CIconLayer& layer) {
    HistoryChain* history = layer.History();
    HistoryStore* store = space.History();
    if (history && store) (void)history->AppendLayerSnapshot(layer.Committed(), *store);
}

} // namespace

void CViewMouse::PickColour(const Event& e) {
    // As the file will hold it: on screen a translucent pixel lies over white.
    const PixelColor colour = e.format.CompositeAsSaved(SaturatingInt(e.cx), SaturatingInt(e.cy));
    m_view.Space().Colours().SetColor(colour.Rgba32(), colour.word1, colour.word2);
}

void CViewMouse::Erase(const Event& e) {
    CLayerImage& committed = e.layer.Committed();
    if (e.tool == kToolEraserRound) {
        const float r = static_cast<float>(e.units / 2);
        PixelColor clear{};
        clear.SetErase(true);
        FillEllipse(committed, SaturatingInt(e.cx - r), SaturatingInt(e.cx + r),
                    SaturatingInt(e.cy - r), SaturatingInt(e.cy + r), clear);
    } else {
        const int px = static_cast<int>(Block(e.cx));
        const int py = static_cast<int>(Block(e.cy));
        const int h = e.width / 2;
        const int x0 = 3 * (px - h);
        const int y0 = 3 * (py - h);
        committed.ClearRect(x0, y0, x0 + e.units, y0 + e.units);
    }
    Stroked(e, e.cx, e.cy, e.cx, e.cy);
}

void CViewMouse::Stroked(const Event& e, float ax, float ay, float bx, float by) {
    // The pen's whole width and a block more each way, in whole icon pixels.
    const double reach = e.units + 3.0;
    const auto from = [reach](float a, float b) {
        return SaturatingInt(std::floor((std::min(a, b) - reach) / 3.0));
    };
    const auto to = [reach](float a, float b) {
        return SaturatingInt(std::ceil((std::max(a, b) + reach) / 3.0));
    };
    const PixelRect area =
        PixelRect{from(ax, bx), from(ay, by), to(ax, bx), to(ay, by)}.Intersected(
            {0, 0, e.format.Width(), e.format.Height()});
    m_changed = m_changed.value_or(PixelRect{}).United(area);
    // Within a stroke the working picture is the committed one everywhere
    // else: the press copied all of it.
    e.layer.Committed().CopyRectTo(Tripled(area), e.layer.Working());
}

void CViewMouse::PressTool(Event& e) {
    CLayerImage& committed = e.layer.Committed();
    const int tool = e.tool;
    if (tool == kToolColorPicker) {
        PickColour(e);
    } else if (tool == kToolPencilRound || tool == kToolPencilSquare) {
        const StrokeStamp stamp(committed);
        // The colour the press point will carry: no distance travelled yet.
        const PixelColor colour = StrokeColour(e, e.cx, e.cy);
        if (tool == kToolPencilRound && e.width > 1) {
            const PenPoint c = At(e.cx, e.cy, colour);
            StrokeRound(committed, c, c, e.units);
        } else {
            const PenPoint p = At(Block(e.cx), Block(e.cy), colour);
            DrawBlendLine(committed, p, p);
        }
    } else if (tool == kToolLine) {
        DrawLine(e.layer.Working(), e.format, e.pen.Outputs(), e.width, At(e.cx, e.cy, {}), e.cx,
                 e.cy);
    } else if (tool == kToolEraserRound || tool == kToolEraserSquare) {
        Erase(e);
    } else if (tool == kToolTriangle) {
        std::vector<PenPoint>& corners = e.layer.StrokePoints();
        const PenPoint c = NewPoint(e, e.cx, e.cy);
        if (corners.size() < 2) {
            corners.push_back(c);
            return;
        }
        auto triangle = std::make_unique<CTriPattern>();
        if (triangle->InitTriangle(corners.front(), corners.back(), c)) {
            StartObject(m_view.Space(), e.layer, std::move(triangle));
            e.layer.OutlinePoints().clear();
        }
        corners.clear();
    }
    // A stroke's later steps copy only what they change.
    if (IsPencil(tool) || tool == kToolEraserRound || tool == kToolEraserSquare)
        committed.CopyTo(e.layer.Working());
}

void CViewMouse::HoverTool(Event& e) {
    if (!m_hotSpotMode) {
        m_cursor = ToolCursor(e.tool);
        m_tooltip.clear();
    }
    if (e.tool != kToolTriangle) return;
    const std::vector<PenPoint>& corners = e.layer.StrokePoints();
    if (corners.size() == 1) {
        e.layer.OutlinePoints() = {{corners[0].x, corners[0].y}, {e.cx, e.cy}};
    } else if (corners.size() >= 2) {
        e.layer.Committed().CopyTo(e.layer.Working());
        const PixelColor colour = e.pen.Outputs().colours.size() == 1
                                      ? e.pen.Outputs().single
                                      : e.pen.Outputs().table[m_colourIndex];
        FillTriangle(e.layer.Working(), corners[0], corners[1], At(e.cx, e.cy, colour),
                     colour.IsErase());
        e.layer.OutlinePoints() = {
            {corners[0].x, corners[0].y}, {corners[1].x, corners[1].y}, {e.cx, e.cy}};
    }
}

void CViewMouse::DragTool(Event& e) {
    std::vector<PenPoint>& points = e.layer.StrokePoints();
    if (points.empty()) return;
    const PenPoint s = points.front();
    CLayerImage& committed = e.layer.Committed();
    CLayerImage& working = e.layer.Working();
    const int tool = e.tool;

    if (IsPencil(tool)) {
        // Every nib marks what it paints until the release, so that where
        // steps meet or the pointer lingers no pixel is blended twice.
        const StrokeStamp stamp(committed);
        // The colour steps by the distance from the point it replaces.
        const PenPoint c = NewPoint(e, e.cx, e.cy);
        const PenPoint q = points.back();
        points.pop_back();
        if (tool == kToolPencilRound) {
            StrokeRound(committed, q, c, e.units);
        } else if (tool == kToolPencilSquare) {
            DrawBlendLine(committed, At(Block(q.x), Block(q.y), q.colour),
                          At(Block(c.x), Block(c.y), c.colour));
        } else {
            // The nib is a slanted segment; its sweep from q to c is a parallelogram.
            const float h = static_cast<float>(e.units / 2);
            const float nx = tool == kToolPencilRightDiagonal ? h : -h;
            const PenPoint q0 = At(q.x - nx, q.y - h, q.colour);
            const PenPoint q1 = At(q.x + nx, q.y + h, q.colour);
            const PenPoint c0 = At(c.x - nx, c.y - h, c.colour);
            const PenPoint c1 = At(c.x + nx, c.y + h, c.colour);
            const bool erase = c.colour.IsErase();
            FillTriangle(committed, q0, q1, c1, erase);
            FillTriangle(committed, q0, c1, c0, erase);
        }
        Stroked(e, q.x, q.y, c.x, c.y);
        points.push_back(c);
        return;
    }

    switch (tool) {
    case kToolLine:
        committed.CopyTo(working);
        DrawLine(working, e.format, e.pen.Outputs(), e.width, s, e.cx, e.cy);
        break;
    case kToolSelection: {
        const float x0 = static_cast<float>(Snap(s.x));
        const float y0 = static_cast<float>(Snap(s.y));
        const float x1 = static_cast<float>(Snap(e.cx));
        const float y1 = static_cast<float>(Snap(e.cy));
        SetBoxOutline(e.layer, x0, y0, x1, y1);
        break;
    }
    case kToolEllipse:
        committed.CopyTo(working);
        if (!e.pen.Outputs().colours.empty()) {
            FillEllipse(working, SaturatingInt(s.x), SaturatingInt(e.cx), SaturatingInt(s.y),
                        SaturatingInt(e.cy), e.pen.Outputs().colours.front());
        }
        SetBoxOutline(e.layer, s.x, s.y, e.cx, e.cy);
        break;
    case kToolRectangleFrame:
    case kToolRectangle: {
        if (!BigEnough(s, e.cx, e.cy)) break;
        auto rect = std::make_unique<CRectPattern>();
        rect->InitRect(SaturatingInt(s.x), SaturatingInt(s.y), SaturatingInt(e.cx),
                       SaturatingInt(e.cy), tool == kToolRectangleFrame ? e.units : 0);
        rect->SetActiveHandle(kHandleRightBottom);
        StartObject(m_view.Space(), e.layer, std::move(rect));
        e.layer.OutlinePoints().clear();
        break;
    }
    case kToolMask: {
        const std::string path = m_view.Space().Tools().GetMaskPath();
        if (!BigEnough(s, e.cx, e.cy) || path.empty()) break;
        MaskImage image;
        if (!ReadMaskFile(path, image)) break;
        auto mask = std::make_unique<CMaskedPattern>();
        if (!mask->CreateFromMask(SaturatingInt(s.x), SaturatingInt(s.y), image.pixels.data(),
                                  image.width, image.height)) {
            break;
        }
        mask->SetActiveHandle(kHandleRightBottom);
        StartObject(m_view.Space(), e.layer, std::move(mask));
        e.layer.OutlinePoints().clear();
        break;
    }
    case kToolColorPicker:
        PickColour(e);
        break;
    case kToolEraserRound:
    case kToolEraserSquare:
        points.pop_back();
        Erase(e);
        points.push_back(At(e.cx, e.cy, {}));
        break;
    case kToolText:
        SetBoxOutline(e.layer, s.x, s.y, e.cx, e.cy);
        break;
    default:
        // The flood fill only shows its direction while it is dragged.
        break;
    }
}

void CViewMouse::ReleaseTool(Event& e) {
    Workspace& space = m_view.Space();
    CIconLayer& layer = e.layer;
    CLayerImage& committed = layer.Committed();
    // The picker never keeps points: it goes back to the tool it stood in for.
    if (e.tool == kToolColorPicker) {
        space.Tools().SwapTools();
        return;
    }
    const std::vector<PenPoint>& points = layer.StrokePoints();
    if (points.empty()) return;
    const PenPoint s = points.front();

    if (IsPencil(e.tool)) {
        // Normalised first, so that the history holds plain coverage and a
        // restored picture takes later strokes like any other.
        // The view shows the picture as it is kept.
        const PixelRect marked = NormalizeCoverage(committed);
        committed.CopyRectTo(marked, layer.Working());
        m_changed = BlocksOf(marked);
        AppendSnapshot(space, layer);
        return;
    }
    switch (e.tool) {
    case kToolLine: {
        if (HistoryChain* history = layer.History()) {
            history->AppendPenStroke(SaturatingInt(s.x), SaturatingInt(s.y), SaturatingInt(e.cx),
                                     SaturatingInt(e.cy), e.units, e.pen);
        }
        DrawLine(committed, e.format, e.pen.Outputs(), e.width, s, e.cx, e.cy);
        if (SoftLine(e.format, e.width)) NormalizeCoverage(committed);
        committed.CopyTo(layer.Working());
        break;
    }
    case kToolSelection: {
        const int x0 = Snap(s.x);
        const int y0 = Snap(s.y);
        const int x1 = Snap(e.cx);
        const int y1 = Snap(e.cy);
        // A click, or a band without width, lifts nothing; its outline goes.
        layer.OutlinePoints().clear();
        if (x0 == x1 || y0 == y1) break;
        auto lifted = std::make_unique<CCopiedPattern>();
        if (!lifted->CreateFromSelection(committed, x0, y0, x1, y1, false)) break;
        StartObject(space, layer, std::move(lifted));
        e.pen.SetShadowEnabled(false);
        m_lifted = true;
        break;
    }
    case kToolEllipse: {
        committed.CopyTo(layer.Working());
        layer.OutlinePoints().clear();
        if (!BigEnough(s, e.cx, e.cy)) break;
        auto ellipse = std::make_unique<CMaskedPattern>();
        if (ellipse->CreateEllipse(SaturatingInt(s.x), SaturatingInt(s.y), SaturatingInt(e.cx),
                                   SaturatingInt(e.cy))) {
            StartObject(space, layer, std::move(ellipse));
        }
        break;
    }
    case kToolText:
        layer.OutlinePoints().clear();
        if (BigEnough(s, e.cx, e.cy)) CreateText(e, s);
        break;
    case kToolFloodFill: {
        if (e.pen.GradientKind() == kGradientVertex || e.pen.GradientKind() == kGradientRectangle) {
            e.pen.SetGradientKind(kGradientLinear);
            e.pen.BuildColors();
        }
        FloodFill(committed, SaturatingInt(s.x), SaturatingInt(s.y), e.pen.Outputs(), s.x, s.y,
                  e.cx - s.x, e.cy - s.y);
        committed.CopyTo(layer.Working());
        AppendSnapshot(space, layer);
        break;
    }
    case kToolEraserRound:
    case kToolEraserSquare:
        AppendSnapshot(space, layer);
        m_changed = PixelRect{};
        break;
    default:
        break;
    }
}

void CViewMouse::CreateText(Event& e, const PenPoint& s) {
    Workspace& space = m_view.Space();
    // Without the desktop's text drawing there is nothing to ask for.
    const TextRasterizer* rasterizer = space.Text();
    if (!rasterizer) return;
    CTextInputDialog dialog(space.Ui(), space.TextFont());
    if (!RunDialog(space.Dialogs().addText, dialog) || dialog.Text().empty()) return;
    const int left = SaturatingInt(std::min(s.x, e.cx));
    const int top = SaturatingInt(std::min(s.y, e.cy));
    const int right = SaturatingInt(std::max(s.x, e.cx));
    const int bottom = SaturatingInt(std::max(s.y, e.cy));
    std::unique_ptr<CPattern> text;
    if (e.format.Depth() == kDepth32) {
        auto smooth = std::make_unique<CMaskedPattern>();
        bool tooLarge = false;
        if (smooth->CreateSmoothText(static_cast<float>(left), static_cast<float>(top),
                                     dialog.Text(), space.TextFont(), *rasterizer, &tooLarge)) {
            text = std::move(smooth);
        } else if (tooLarge) {
            // Dropping the text unannounced would look like a fault.
            constexpr int64_t kMegabytes =
                CMaskedPattern::kMaxMaskPixels * CMaskedPattern::kMaskBytesPerPixel / 1'000'000;
            space.Ui().ShowMessage(
                "The text is too large to add: drawn smoothly it would need more than " +
                    std::to_string(kMegabytes) +
                    " MB of memory. Use a shorter text or a smaller font.",
                "Add Text", MessageIcon::Exclamation, MessageButtons::Ok);
        }
    } else {
        auto pixel = std::make_unique<CUAATextPattern>();
        if (pixel->CreatePixelText(left, top, right, bottom, dialog.Text(), space.TextFont(),
                                   *rasterizer)) {
            text = std::move(pixel);
        }
    }
    if (text) StartObject(space, e.layer, std::move(text));
}

} // namespace pictoform
