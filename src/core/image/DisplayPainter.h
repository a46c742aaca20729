#pragma once
// Drawing on the canvas's display image: the outlines, handles and marks that
// sit over the zoomed picture. It keeps a pen and a brush the way a window's
// drawing context does, so that what the objects draw over the display is
// plain pixels that a test can read. Only the colour plane is drawn; alpha and
// coverage are left alone. Everything is clipped to the image; a null image
// takes nothing.

#include <cstdint>

#include "image/LayerImage.h"

namespace pictoform {

struct DisplayColor {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    friend bool operator==(const DisplayColor&, const DisplayColor&) = default;
};

enum class PenStyle {
    Solid,
    // Three pixels drawn, three left as they are, counted along the line
    // from its first point, continuing through a chain of LineTo calls.
    Dotted,
    None,
};

class DisplayPainter {
public:
    explicit DisplayPainter(CLayerImage& display) : m_display(display) {}

    // Pen, brush, mode and position, so that a drawing routine can leave the
    // painter as it found it.
    struct State {
        PenStyle penStyle = PenStyle::Solid;
        DisplayColor penColour{};
        DisplayColor brushColour{255, 255, 255};
        bool hasBrush = true;
        bool invert = false;
        int x = 0;
        int y = 0;
        int dashPhase = 0;
    };
    [[nodiscard]] State SaveState() const { return m_state; }
    void RestoreState(const State& state) { m_state = state; }

    // The display shows the canvas from canvas point (x, y) on; every point
    // given to the painter after this is a canvas point.
    void SetOrigin(int x, int y) {
        m_originX = x;
        m_originY = y;
    }

    // A fresh painter has a solid black pen and a white brush.
    void SetPen(PenStyle style, DisplayColor colour) {
        m_state.penStyle = style;
        m_state.penColour = colour;
        m_state.dashPhase = 0;
    }
    void SetBrush(DisplayColor colour) {
        m_state.brushColour = colour;
        m_state.hasBrush = true;
    }
    void SetNoBrush() { m_state.hasBrush = false; }
    // Inverting lines: each pixel the pen reaches becomes 255 minus itself.
    void SetInvert(bool invert) { m_state.invert = invert; }

    // Lines include their first point and leave out their last, so that a
    // chain of them meets without drawing a corner twice.
    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void Line(int x0, int y0, int x1, int y1) {
        MoveTo(x0, y0);
        LineTo(x1, y1);
    }
    // The ellipse inscribed in left..right-1, top..bottom-1: its inside in
    // the brush (when there is one), its outline in the pen.
    void Ellipse(int left, int top, int right, int bottom);
    // left..right-1, top..bottom-1 in one colour, pen and brush aside.
    void FillRect(int left, int top, int right, int bottom, DisplayColor colour);
    void SetPixel(int x, int y, DisplayColor colour);

    [[nodiscard]] CLayerImage& Display() { return m_display; }
    // The display pixels drawn on so far, so that a later repaint knows
    // what to restore.
    [[nodiscard]] const PixelRect& Touched() const { return m_touched; }

private:
    void Touch(const PixelRect& area) { m_touched = m_touched.United(area); }
    void PlotPen(int x, int y);
    [[nodiscard]] int ShiftX(int x) const;
    [[nodiscard]] int ShiftY(int y) const;

    CLayerImage& m_display;
    int m_originX = 0;
    int m_originY = 0;
    State m_state;
    PixelRect m_touched;
};

} // namespace pictoform
