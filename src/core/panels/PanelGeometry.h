#pragma once
// What the panels' widgets paint, as plain data: rectangles in a widget's own
// pixels and the few fixed colours the panels share.

#include "image/DisplayPainter.h"

namespace pictoform {

// Left and top inclusive, right and bottom exclusive.
struct PanelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    [[nodiscard]] int Width() const { return right - left; }
    [[nodiscard]] int Height() const { return bottom - top; }
    [[nodiscard]] bool IsEmpty() const { return right <= left || bottom <= top; }
    friend bool operator==(const PanelRect&, const PanelRect&) = default;
};

// A selected format or layer item: a frame in the outline colour, filled.
inline constexpr DisplayColor kSelectionOutline{49, 106, 197};
inline constexpr DisplayColor kSelectionFill{169, 185, 208};
// The preview panel's bands share the selection fill.
inline constexpr DisplayColor kPreviewBand = kSelectionFill;

} // namespace pictoform
