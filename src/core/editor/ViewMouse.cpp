#include "editor/ViewMouse.h"

#include <cmath>
#include <cstdio>
#include <functional>

#include "editor/ObjectEditing.h"
#include "editor/PictoformView.h"

namespace pictoform {

namespace {

std::string Format2(const char* pattern, int a, int b) {
    char text[96];
    std::snprintf(text, sizeof text, pattern, a, b);
    return text;
}

bool ShowsGradient(const CMultiColorPen& pen) {
    return pen.Mode() == kPenMultiColour && pen.GradientKind() != kGradientVertex;
}

// Takes the first entry that matches out of the list, and the separator
// right after it when withSeparator.
void RemoveEntry(std::vector<MenuEntry>& entries, const std::function<bool(const MenuEntry&)>& is,
                 bool withSeparator) {
    for (size_t i = 0; i < entries.size(); ++i) {
        if (!is(entries[i])) continue;
        const bool separatorNext = i + 1 < entries.size() && entries[i + 1].IsSeparator();
        entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(i),
                      entries.begin() + static_cast<std::ptrdiff_t>(
                                            i + (withSeparator && separatorNext ? 2 : 1)));
        return;
    }
}

std::function<bool(const MenuEntry&)> Submenu(const char* text) {
    return [text](const MenuEntry& e) { return e.id == 0 && e.text == text; };
}
std::function<bool(const MenuEntry&)> Command(int id) {
    return [id](const MenuEntry& e) { return e.id == id; };
}
// The separator that follows the entry with this id.
void RemoveSeparatorAfter(std::vector<MenuEntry>& entries, int id) {
    for (size_t i = 0; i + 1 < entries.size(); ++i) {
        if (entries[i].id == id && entries[i + 1].IsSeparator()) {
            entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(i + 1));
            return;
        }
    }
}

} // namespace

CViewMouse::CViewMouse(CPictoformView& view) : m_view(view) {}

CViewMouse::~CViewMouse() = default;

std::optional<CViewMouse::Event> CViewMouse::MakeEvent(int wx, int wy) {
    Workspace& space = m_view.Space();
    CIconFormat* format = space.CurrentFormat();
    CIconLayer* layer = space.CurrentLayer();
    if (!format || !layer) return std::nullopt;
    const ViewGeometry& g = m_view.Geometry();
    const ViewGeometry::CanvasPoint c = g.WindowToCanvas(wx, wy);
    Event e{*format, *layer, space.Colours().GetPen()};
    e.tool = space.Tools().GetCurrentTool();
    e.width = space.Tools().PenWidth();
    e.units = 3 * e.width;
    e.zoom = g.zoom;
    e.cx = c.x;
    e.cy = c.y;
    return e;
}

ViewPixel CViewMouse::PixelUnder(int wx, int wy) const {
    const ViewGeometry& g = m_view.Geometry();
    return {static_cast<int>(FloorDiv(int64_t{wx} - g.originX, g.zoom)),
            static_cast<int>(FloorDiv(int64_t{wy} - g.originY, g.zoom))};
}

PixelColor CViewMouse::StrokeColour(const Event& e, float x, float y) {
    const PenOutputs& out = e.pen.Outputs();
    if (out.colours.size() == 1) return out.single;
    const std::vector<PenPoint>& points = e.layer.StrokePoints();
    if (!points.empty()) {
        const float dx = x - points.back().x;
        const float dy = y - points.back().y;
        const float d = std::sqrt(dx * dx + dy * dy);
        const float next = static_cast<float>(m_colourIndex) + d * 0.5f;
        m_colourIndex = static_cast<uint8_t>(static_cast<int64_t>(next) & 0xFF);
    }
    return out.table[m_colourIndex];
}

PenPoint CViewMouse::NewPoint(const Event& e, float x, float y) {
    PenPoint p;
    p.x = x;
    p.y = y;
    p.colour = StrokeColour(e, x, y);
    return p;
}

void CViewMouse::Press(int wx, int wy) {
    m_changed.reset();
    m_buttonDown = true;
    m_pressX = m_currentX = wx;
    m_pressY = m_currentY = wy;
    m_lifted = false;
    if (!m_view.Space().CurrentFormat()) return;
    if (m_hotSpotMode) {
        PressHotSpot(wx, wy);
        return;
    }
    std::optional<Event> e = MakeEvent(wx, wy);
    if (!e) return;
    // The picker only reads the picture; a press that merges an object or
    // starts any other tool's work changes the icon.
    if (e->tool != kToolColorPicker || e->layer.ActiveObject()) m_view.SetModified(true);
    // A tool picked without the pointer moving since is a change of tool
    // too; otherwise the first movement would drop this press's point.
    if (e->tool != m_lastTool) e->layer.StrokePoints().clear();
    m_lastTool = e->tool;
    m_lastX = e->cx;
    m_lastY = e->cy;
    if (e->layer.ActiveObject()) {
        PressObject(*e);
    } else {
        PressTool(*e);
    }
    // A press is drawn whole.
    m_changed.reset();
    // The picker and the triangle keep their own points.
    if (e->tool != kToolColorPicker && e->tool != kToolTriangle) {
        const PenPoint p = NewPoint(*e, e->cx, e->cy);
        e->layer.StrokePoints().push_back(p);
    }
    UpdateOverlay(e->tool);
}

void CViewMouse::PressHotSpot(int wx, int wy) {
    const CIconFormat& format = *m_view.Space().CurrentFormat();
    const ViewPixel p = PixelUnder(wx, wy);
    UiServices& ui = m_view.Space().Ui();
    if (p.x < 0 || p.x >= format.Width() || p.y < 0 || p.y >= format.Height()) {
        // The old hot spot stays: a cursor saved now must not get this one.
        ui.ShowMessage(Format2("(%d,%d) Invalid Hot Spot!", p.x, p.y), "Error", MessageIcon::Error,
                       MessageButtons::Ok);
        return;
    }
    m_view.SetHotSpot({p.x, p.y});
    // The hot spot is saved with the format: closing now must ask.
    m_view.SetModified(true);
    m_cursor = ViewCursor::Default;
    m_hotSpotMode = false;
    m_tooltip.clear();
    ui.ShowMessage(Format2("Hot spot has been set at (%d,%d).", p.x, p.y), "Success",
                   MessageIcon::Information, MessageButtons::Ok);
}

void CViewMouse::PressObject(Event& e) {
    CPattern& object = *e.layer.ActiveObject();
    // Only the handles the frame shows can be taken.
    const int hit = object.HitTestHandle(e.cx, e.cy, e.zoom, ShowsGradient(e.pen));
    if (hit == kHandleNone) {
        MergeActiveObject(m_view.Space(), e.format, e.layer, true, true);
        return;
    }
    object.SetActiveHandle(hit);
}

void CViewMouse::Move(int wx, int wy, unsigned flags) {
    // A button let go outside the view ends the stroke where the pointer came back.
    if (m_buttonDown && flags != mouse::kLeft) Release(wx, wy);
    m_changed.reset();
    m_currentX = wx;
    m_currentY = wy;
    m_flags = flags;
    std::optional<Event> e = MakeEvent(wx, wy);
    if (!e) return;
    if (e->tool != m_lastTool) e->layer.StrokePoints().clear();
    m_lastTool = e->tool;
    if (m_hotSpotMode) {
        m_cursor = ViewCursor::HotSpot;
        const ViewPixel p = PixelUnder(wx, wy);
        const bool inside =
            p.x >= 0 && p.x < e->format.Width() && p.y >= 0 && p.y < e->format.Height();
        m_tooltip = inside ? Format2("%d, %d", p.x, p.y) : std::string();
    }
    if (e->layer.ActiveObject()) {
        if (m_buttonDown) {
            e->layer.ActiveObject()->DragHandle(e->cx, e->cy, e->cx - m_lastX, e->cy - m_lastY);
            // Only the object moved; the repaint finds its pixels.
            m_changed = PixelRect{};
        } else {
            HoverObject(*e);
        }
    } else if (!m_buttonDown) {
        HoverTool(*e);
    } else {
        DragTool(*e);
    }
    m_lastX = e->cx;
    m_lastY = e->cy;
    UpdateOverlay(e->tool);
}

void CViewMouse::HoverObject(Event& e) {
    const int hit = e.layer.ActiveObject()->HitTestHandle(e.cx, e.cy, e.zoom, ShowsGradient(e.pen));
    if (m_hotSpotMode) return;
    if (hit == kHandleNone) {
        m_cursor = ToolCursor(e.tool);
        m_tooltip.clear();
    } else if (hit == kHandleMove) {
        m_cursor = ViewCursor::InsideObject;
        m_tooltip.clear();
    } else {
        m_cursor = ViewCursor::OverHandle;
        m_tooltip = CPattern::HandleName(hit);
    }
}

void CViewMouse::Release(int wx, int wy) {
    m_changed.reset();
    m_releaseX = m_currentX = wx;
    m_releaseY = m_currentY = wy;
    m_flags = 0;
    const bool wasDown = m_buttonDown;
    m_buttonDown = false;
    std::optional<Event> e = MakeEvent(wx, wy);
    if (!e) return;
    const bool hadObject = e->layer.ActiveObject() != nullptr;
    if (wasDown && !hadObject) ReleaseTool(*e);
    // The triangle's corners wait for its third press.
    if (e->tool != kToolTriangle) e->layer.StrokePoints().clear();
    if (wasDown && e->layer.ActiveObject() && (wx != m_pressX || wy != m_pressY)) {
        RecordObject(m_view.Space(), e->layer, m_lifted);
    }
    // Letting go of a dragged object only records it; the repaint finds its pixels.
    if (wasDown && hadObject) m_changed = PixelRect{};
    m_lifted = false;
    UpdateOverlay(e->tool);
}

std::optional<MenuEntry> CViewMouse::RightClick(int wx, int wy) {
    std::optional<Event> e = MakeEvent(wx, wy);
    if (!e) return std::nullopt;
    const CPattern* object = e->layer.ActiveObject();
    if (!object || !object->Contains(e->cx, e->cy)) return std::nullopt;
    MenuEntry menu = MagicMenu();
    std::vector<MenuEntry>& items = menu.submenu;
    switch (object->Kind()) {
    case PatternKind::Copied:
        RemoveEntry(items, Submenu("&Gradient"), true);
        RemoveEntry(items, Command(command::kMorph), false);
        break;
    case PatternKind::PixelText:
        RemoveEntry(items, Submenu("&Filter"), true);
        RemoveEntry(items, Submenu("&Drop Shadow"), false);
        break;
    case PatternKind::Masked:
        RemoveEntry(items, Submenu("&Filter"), true);
        break;
    case PatternKind::Rect:
    case PatternKind::Triangle:
        RemoveEntry(items, Submenu("&Filter"), true);
        RemoveSeparatorAfter(items, command::kMorph);
        RemoveEntry(items, Command(command::kFlipVertical), false);
        RemoveEntry(items, Command(command::kFlipHorizontal), false);
        break;
    }
    return menu;
}

ViewCursor CViewMouse::Cursor() const {
    return m_cursor;
}

const std::string& CViewMouse::Tooltip() const {
    return m_tooltip;
}

bool CViewMouse::HotSpotMode() const {
    return m_hotSpotMode;
}

void CViewMouse::SetHotSpotMode(bool on) {
    m_hotSpotMode = on;
    m_cursor = on ? ViewCursor::HotSpot : ViewCursor::Default;
    if (!on) m_tooltip.clear();
}

ViewCursor CViewMouse::ToolCursor(int tool) const {
    switch (tool) {
    case kToolColorPicker:
        return ViewCursor::ColourPicker;
    case kToolPencilRound:
    case kToolPencilSquare:
    case kToolPencilRightDiagonal:
    case kToolPencilLeftDiagonal:
    case kToolLine:
        return ViewCursor::Pencil;
    case kToolEraserRound:
    case kToolEraserSquare:
        return ViewCursor::Eraser;
    case kToolFloodFill:
        return ViewCursor::FloodFill;
    default:
        return ViewCursor::Default;
    }
}

void CViewMouse::UpdateOverlay(int tool) {
    PaintScene& overlay = m_view.Overlay();
    const CIconLayer* layer = m_view.Space().CurrentLayer();
    overlay.fillLine =
        m_buttonDown && tool == kToolFloodFill && layer && !layer->StrokePoints().empty();
    overlay.eraser = EraserOutline::None;
    if (m_buttonDown && m_cursor == ViewCursor::Eraser) {
        overlay.eraser = tool == kToolEraserSquare ? EraserOutline::Square : EraserOutline::Round;
    }
    overlay.pointerX = m_currentX;
    overlay.pointerY = m_currentY;
    overlay.penWidth = m_view.Space().Tools().PenWidth();
}

} // namespace pictoform
