#pragma once
// The editing loop of the view: what the left button's press, the pointer's
// movement and the release do with the current tool on the current layer,
// and the right button's object menu. Points are window points of the view.

#include <cstdint>
#include <optional>
#include <string>

#include "editor/MenuModel.h"
#include "image/RasterPrimitives.h"

namespace pictoform {

class CPictoformView;
class CIconFormat;
class CIconLayer;
class CMultiColorPen;

// The cursors the view shows; the desktop draws each.
enum class ViewCursor {
    Default,      // every tool without a cursor of its own
    OverHandle,   // over a handle of the active object
    InsideObject, // inside the active object: it moves
    ColourPicker,
    Pencil, // pencil and line
    FloodFill,
    Eraser,
    HotSpot, // while the next press sets the cursor's hot spot
};

// The button and key flags of a movement, as the window system reports them.
namespace mouse {
inline constexpr unsigned kLeft = 0x1;
inline constexpr unsigned kRight = 0x2;
inline constexpr unsigned kShift = 0x4;
inline constexpr unsigned kControl = 0x8;
inline constexpr unsigned kMiddle = 0x10;
} // namespace mouse

struct ViewPixel {
    int x = 0;
    int y = 0;
};

class CViewMouse {
public:
    explicit CViewMouse(CPictoformView& view);
    CViewMouse(const CViewMouse&) = delete;
    CViewMouse& operator=(const CViewMouse&) = delete;
    ~CViewMouse();

    // After each of these the desktop repaints the view (CPictoformView::Paint)
    // and the layers panel.
    void Press(int wx, int wy);
    void Move(int wx, int wy, unsigned flags);
    void Release(int wx, int wy);
    // The object menu to pop up at the pointer (the Magic menu without the
    // entries that do not fit the object), or nothing.
    [[nodiscard]] std::optional<MenuEntry> RightClick(int wx, int wy);

    // The icon pixels of the current layer that the last Press, Move or
    // Release changed, when it knows them (an active object's own pixels
    // aside, which the repaint finds); nothing when anything may have changed.
    [[nodiscard]] const std::optional<PixelRect>& Changed() const { return m_changed; }

    [[nodiscard]] ViewCursor Cursor() const;
    [[nodiscard]] const std::string& Tooltip() const;

    [[nodiscard]] bool HotSpotMode() const;
    void SetHotSpotMode(bool on);

    // The icon pixel under a window point, rounded down even left of or
    // above the canvas, so that such a point is never taken for pixel 0.
    [[nodiscard]] ViewPixel PixelUnder(int wx, int wy) const;

private:
    // What every message works with: the format, its current layer, the
    // pen, the tool and the pointer in canvas units.
    struct Event {
        CIconFormat& format;
        CIconLayer& layer;
        CMultiColorPen& pen;
        int tool = 0;
        int width = 1; // the pen width in icon pixels
        int units = 3; // the same in canvas units
        int zoom = 1;
        float cx = 0.0f;
        float cy = 0.0f;
    };
    // Null when there is no format or no layer to work on.
    [[nodiscard]] std::optional<Event> MakeEvent(int wx, int wy);

    // The pen colour of a new stroke point; in multi-colour mode it steps
    // through the pen's table by the distance from the previous point.
    [[nodiscard]] PixelColor StrokeColour(const Event& e, float x, float y);
    [[nodiscard]] PenPoint NewPoint(const Event& e, float x, float y);

    void PressHotSpot(int wx, int wy);
    void PressObject(Event& e);
    void PressTool(Event& e);
    void HoverObject(Event& e);
    void HoverTool(Event& e);
    void DragTool(Event& e);
    void ReleaseTool(Event& e);
    void PickColour(const Event& e);
    void Erase(const Event& e);
    // Notes the icon pixels a pen of e.units canvas units from canvas point
    // (ax, ay) to (bx, by) can reach, and brings the working picture up to
    // the committed one there.
    void Stroked(const Event& e, float ax, float ay, float bx, float by);
    void CreateText(Event& e, const PenPoint& s);
    [[nodiscard]] ViewCursor ToolCursor(int tool) const;
    // The view's overlays follow the button and the pointer.
    void UpdateOverlay(int tool);

    CPictoformView& m_view;
    int m_pressX = 0;
    int m_pressY = 0;
    int m_currentX = 0;
    int m_currentY = 0;
    int m_releaseX = 0;
    int m_releaseY = 0;
    unsigned m_flags = 0;
    bool m_buttonDown = false;
    float m_lastX = 0.0f;
    float m_lastY = 0.0f;
    uint8_t m_colourIndex = 0;
    int m_lastTool = -100;
    bool m_hotSpotMode = false;
    // A selection was lifted at this release: its record keeps the pixels.
    bool m_lifted = false;
    std::optional<PixelRect> m_changed;
    ViewCursor m_cursor = ViewCursor::Default;
    std::string m_tooltip;
};

} // namespace pictoform
