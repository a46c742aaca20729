#pragma once
// The multi-colour strip without a toolkit: where the pen's stops lie on the
// control, what presses, drags, releases, double-clicks and the Delete key do
// to them, and the picture of the strip. The widget forwards its mouse and
// key events in control pixels and copies Picture() to the screen.

#include "colour/MultiColorPen.h"
#include "image/LayerImage.h"
#include "image/PixelColor.h"

namespace pictoform {

class UiServices;

class CColorStripModel {
public:
    // Where positions 0 and 1 lie, in control pixels.
    struct StripRect {
        int left = 0;
        int top = 0;
        int right = 0;
        int bottom = 0;
    };

    // Borrows both; they must outlive the model.
    CColorStripModel(CMultiColorPen& pen, UiServices& ui);

    // The control's size in pixels: places the strip and re-creates the picture.
    void Resize(int width, int height);
    const StripRect& Rect() const { return m_rect; }
    // Control x of a stop position.
    float PositionX(float position) const;
    // The stop under (x, y), the later stop in the list where they overlap; -1 for none.
    int HitTest(int x, int y) const;

    // Each returns whether the strip must be repainted. A stop change also
    // reaches the pen's change listener.
    bool Press(int x, int y);
    // leftButtonAlone: the left button is held and no other button or
    // modifier key; any other move is ignored.
    bool Move(int x, int y, bool leftButtonAlone);
    // A stop let go within 5 pixels of an end is deleted.
    bool Release();
    // Opens "Edit color" on the selected stop.
    bool DoubleClick();
    bool DeleteKey();

    // The colour the strip is drawn on (the widget's background).
    void SetBackground(const PixelColor& colour) { m_background = colour; }
    // Draws the strip and returns it; null before the first Resize.
    const CLayerImage& Picture();

private:
    int StripWidth() const { return m_rect.right - m_rect.left; }
    void DrawBand();
    void DrawButton(int x, const PixelColor& stop);
    void DrawMarks();

    CMultiColorPen& m_pen;
    UiServices& m_ui;
    StripRect m_rect;
    int m_width = 0;
    int m_height = 0;
    int m_lastX = 0;
    float m_dragStart = 0.0f;
    float m_dragDistance = 0.0f;
    PixelColor m_background{240, 240, 240, 255};
    CLayerImage m_picture;
};

} // namespace pictoform
