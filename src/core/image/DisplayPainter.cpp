#include "image/DisplayPainter.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

namespace pictoform {

namespace {

constexpr int kDashPeriod = 6;
constexpr int kDashOn = 3;

bool DashDraws(int64_t phase) {
    return phase % kDashPeriod < kDashOn;
}

int64_t Sign(int64_t v) {
    return (v > 0) - (v < 0);
}

// How far the minor coordinate has moved at step i of a line whose major
// coordinate moves `major` and minor `minor` in all (0 <= minor <= major):
// i * minor / major rounded half up. Both fit 32 bits, so the product fits 64.
int64_t MinorOffset(int64_t i, int64_t minor, int64_t major) {
    const uint64_t product = static_cast<uint64_t>(i) * static_cast<uint64_t>(minor);
    const uint64_t q = product / static_cast<uint64_t>(major);
    const uint64_t r = product % static_cast<uint64_t>(major);
    return static_cast<int64_t>(q) + (2 * r >= static_cast<uint64_t>(major) ? 1 : 0);
}

// The steps i in [lo, hi] whose offset along an axis starting at `start` and
// running in direction `sign` (offsets never decreasing) lands in 0..limit-1.
// Returns false when there are none.
bool ClipSteps(int64_t start, int64_t sign, int64_t limit, int64_t& lo, int64_t& hi, int64_t minor,
               int64_t major) {
    const auto offset = [&](int64_t i) { return major ? MinorOffset(i, minor, major) : i; };
    // Offsets that keep the coordinate inside.
    int64_t offLo = 0;
    int64_t offHi = 0;
    if (sign >= 0) {
        offLo = -start;
        offHi = limit - 1 - start;
    } else {
        offLo = start - (limit - 1);
        offHi = start;
    }
    if (offHi < 0 || offset(hi) < offLo || offset(lo) > offHi) return false;
    // First step whose offset reaches offLo, last whose offset stays within offHi.
    int64_t a = lo;
    int64_t b = hi;
    while (a < b) {
        const int64_t mid = a + (b - a) / 2;
        if (offset(mid) >= offLo)
            b = mid;
        else
            a = mid + 1;
    }
    int64_t c = a;
    int64_t d = hi;
    while (c < d) {
        const int64_t mid = c + (d - c + 1) / 2;
        if (offset(mid) <= offHi)
            c = mid;
        else
            d = mid - 1;
    }
    lo = a;
    hi = c;
    return lo <= hi && offset(lo) <= offHi;
}

} // namespace

void DisplayPainter::PlotPen(int x, int y) {
    Touch({x, y, x + 1, y + 1});
    uint8_t* bgr = m_display.ColourBits() + static_cast<size_t>(y) * m_display.Stride() + 3 * x;
    if (m_state.invert) {
        for (int c = 0; c < 3; ++c) bgr[c] = static_cast<uint8_t>(255 - bgr[c]);
        return;
    }
    bgr[0] = m_state.penColour.blue;
    bgr[1] = m_state.penColour.green;
    bgr[2] = m_state.penColour.red;
}

namespace {

int Shift(int v, int origin) {
    return static_cast<int>(std::clamp<int64_t>(int64_t{v} - origin, INT32_MIN, INT32_MAX));
}

} // namespace

int DisplayPainter::ShiftX(int x) const {
    return Shift(x, m_originX);
}

int DisplayPainter::ShiftY(int y) const {
    return Shift(y, m_originY);
}

void DisplayPainter::MoveTo(int x, int y) {
    x = ShiftX(x);
    y = ShiftY(y);
    m_state.x = x;
    m_state.y = y;
    m_state.dashPhase = 0;
}

void DisplayPainter::LineTo(int x, int y) {
    x = ShiftX(x);
    y = ShiftY(y);
    const int64_t x0 = m_state.x;
    const int64_t y0 = m_state.y;
    const int64_t dx = int64_t{x} - x0;
    const int64_t dy = int64_t{y} - y0;
    m_state.x = x;
    m_state.y = y;
    const int64_t adx = std::llabs(dx);
    const int64_t ady = std::llabs(dy);
    const int64_t steps = std::max(adx, ady);
    if (steps == 0) return;
    const int phase = m_state.dashPhase;
    m_state.dashPhase = static_cast<int>((phase + steps) % kDashPeriod);
    if (m_state.penStyle == PenStyle::None || m_display.IsNull()) return;

    // Walk only the steps whose pixel lies inside the image, so that a line
    // between far-away points costs no more than one across the image.
    const bool xMajor = adx >= ady;
    const int64_t major0 = xMajor ? x0 : y0;
    const int64_t minor0 = xMajor ? y0 : x0;
    const int64_t majorSign = Sign(xMajor ? dx : dy);
    const int64_t minorSign = Sign(xMajor ? dy : dx);
    const int64_t minorSpan = xMajor ? ady : adx;
    const int64_t majorLimit = xMajor ? m_display.Width() : m_display.Height();
    const int64_t minorLimit = xMajor ? m_display.Height() : m_display.Width();
    int64_t lo = 0;
    int64_t hi = steps - 1; // the last point is left out
    if (!ClipSteps(major0, majorSign, majorLimit, lo, hi, 0, 0)) return;
    if (!ClipSteps(minor0, minorSign, minorLimit, lo, hi, minorSpan, steps)) return;
    for (int64_t i = lo; i <= hi; ++i) {
        if (m_state.penStyle == PenStyle::Dotted && !DashDraws(phase + i)) continue;
        const int64_t major = major0 + majorSign * i;
        const int64_t minor = minor0 + minorSign * MinorOffset(i, minorSpan, steps);
        PlotPen(static_cast<int>(xMajor ? major : minor), static_cast<int>(xMajor ? minor : major));
    }
}

void DisplayPainter::Ellipse(int left, int top, int right, int bottom) {
    left = ShiftX(left);
    right = ShiftX(right);
    top = ShiftY(top);
    bottom = ShiftY(bottom);
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    if (left == right || top == bottom || m_display.IsNull()) return;
    const int64_t x0 = std::max<int64_t>(left, 0);
    const int64_t y0 = std::max<int64_t>(top, 0);
    const int64_t x1 = std::min<int64_t>(right, m_display.Width());
    const int64_t y1 = std::min<int64_t>(bottom, m_display.Height());
    if (x0 >= x1 || y0 >= y1) return;

    // In doubled units about the box's centre, so that even and odd sizes
    // are both exact: pixel x lies at X = 2x + 1 - (left + right), the box's
    // half-width is W = right - left.
    const double w = static_cast<double>(int64_t{right} - left);
    const double h = static_cast<double>(int64_t{bottom} - top);
    const double sumX = static_cast<double>(int64_t{left} + right);
    const double sumY = static_cast<double>(int64_t{top} + bottom);
    const auto inside = [&](int64_t x, int64_t y) {
        const double px = 2.0 * static_cast<double>(x) + 1.0 - sumX;
        const double py = 2.0 * static_cast<double>(y) + 1.0 - sumY;
        return px * px * h * h + py * py * w * w <= w * w * h * h;
    };

    struct OutlinePixel {
        double angle;
        int x;
        int y;
    };
    std::vector<OutlinePixel> outline;
    if (m_state.hasBrush) {
        Touch({static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1),
               static_cast<int>(y1)});
    }
    for (int64_t y = y0; y < y1; ++y) {
        for (int64_t x = x0; x < x1; ++x) {
            if (!inside(x, y)) continue;
            if (m_state.hasBrush) {
                uint8_t* bgr = m_display.ColourBits() +
                               static_cast<size_t>(y) * m_display.Stride() +
                               3 * static_cast<size_t>(x);
                bgr[0] = m_state.brushColour.blue;
                bgr[1] = m_state.brushColour.green;
                bgr[2] = m_state.brushColour.red;
            }
            if (!inside(x - 1, y) || !inside(x + 1, y) || !inside(x, y - 1) || !inside(x, y + 1)) {
                const double px = (2.0 * static_cast<double>(x) + 1.0 - sumX) / w;
                const double py = (2.0 * static_cast<double>(y) + 1.0 - sumY) / h;
                outline.push_back({std::atan2(py, px), static_cast<int>(x), static_cast<int>(y)});
            }
        }
    }
    if (m_state.penStyle == PenStyle::None) return;
    // A dotted outline is counted around the ellipse, not row by row.
    if (m_state.penStyle == PenStyle::Dotted) {
        std::stable_sort(
            outline.begin(), outline.end(),
            [](const OutlinePixel& a, const OutlinePixel& b) { return a.angle < b.angle; });
    }
    for (size_t i = 0; i < outline.size(); ++i) {
        if (m_state.penStyle == PenStyle::Dotted && !DashDraws(static_cast<int64_t>(i))) continue;
        PlotPen(outline[i].x, outline[i].y);
    }
}

void DisplayPainter::FillRect(int left, int top, int right, int bottom, DisplayColor colour) {
    if (m_display.IsNull()) return;
    left = ShiftX(left);
    right = ShiftX(right);
    top = ShiftY(top);
    bottom = ShiftY(bottom);
    const int x0 = std::max(left, 0);
    const int y0 = std::max(top, 0);
    const int x1 = std::min(right, m_display.Width());
    const int y1 = std::min(bottom, m_display.Height());
    Touch({x0, y0, x1, y1});
    for (int y = y0; y < y1; ++y) {
        uint8_t* bgr = m_display.ColourBits() + static_cast<size_t>(y) * m_display.Stride();
        for (int x = x0; x < x1; ++x) {
            bgr[3 * x] = colour.blue;
            bgr[3 * x + 1] = colour.green;
            bgr[3 * x + 2] = colour.red;
        }
    }
}

void DisplayPainter::SetPixel(int x, int y, DisplayColor colour) {
    x = ShiftX(x);
    y = ShiftY(y);
    if (x < 0 || y < 0 || x >= m_display.Width() || y >= m_display.Height()) return;
    Touch({x, y, x + 1, y + 1});
    uint8_t* bgr = m_display.ColourBits() + static_cast<size_t>(y) * m_display.Stride() + 3 * x;
    bgr[0] = colour.blue;
    bgr[1] = colour.green;
    bgr[2] = colour.red;
}

} // namespace pictoform
