#pragma once

#include <cstdint>

namespace pictoform {

// Whatever a picture is shown on: a window, a printer, a test recorder.
// The desktop implements it over Qt; the core only ever draws through it.
class Surface {
public:
    virtual ~Surface() = default;

    // Copies a w x h block of blue-green-red pixels whose row 0 starts at
    // bgrRow0, rows stride bytes apart, to (x, y) of the surface.
    virtual void DrawBgr(int x, int y, int w, int h, const uint8_t* bgrRow0, int stride) = 0;

    virtual void SetPixel(int x, int y, uint8_t r, uint8_t g, uint8_t b) = 0;
};

} // namespace pictoform
