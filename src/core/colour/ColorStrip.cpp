#include "colour/ColorStrip.h"

#include <algorithm>
#include <optional>

#include "platform/UiServices.h"

namespace pictoform {

namespace {

// The raised frame of a stop's button.
constexpr PixelColor kButtonFace{240, 240, 240, 255};
constexpr PixelColor kButtonLight{255, 255, 255, 255};
constexpr PixelColor kButtonShadow{160, 160, 160, 255};
constexpr PixelColor kButtonDarkShadow{105, 105, 105, 255};
constexpr PixelColor kMark{0, 0, 0, 255};

// Half the width of a stop's button, and its height above the strip's bottom.
constexpr int kButtonHalf = 5;
constexpr int kButtonHeight = 18;
// How far an end stop is dragged before a new stop comes off it, and how
// close to an end a released stop is taken away.
constexpr float kPeelDistance = 10.0f;
constexpr float kDropDistance = 5.0f;

void Plot(CLayerImage& image, int x, int y, const PixelColor& colour) {
    image.SetBlock(x, y, PixelColor{colour.red, colour.green, colour.blue, 255}, 1);
}

void FillRect(CLayerImage& image, int x0, int y0, int x1, int y1, const PixelColor& colour) {
    for (int y = std::max(y0, 0); y < std::min(y1, image.Height()); ++y) {
        for (int x = std::max(x0, 0); x < std::min(x1, image.Width()); ++x)
            Plot(image, x, y, colour);
    }
}

// A gradient colour over the checkerboard: ((c - base) * a + base * 255) >> 8
// with base 128 for dark cells and 255 for light ones.
uint8_t OverChecker(int channel, int alpha, int base) {
    return static_cast<uint8_t>(((channel - base) * alpha + base * 255) >> 8);
}

uint8_t Lerp(uint8_t from, uint8_t to, float t) {
    const float value = static_cast<float>(to - from) * t + static_cast<float>(from);
    return static_cast<uint8_t>(std::clamp(static_cast<int>(value), 0, 255));
}

} // namespace

CColorStripModel::CColorStripModel(CMultiColorPen& pen, UiServices& ui) : m_pen(pen), m_ui(ui) {}

void CColorStripModel::Resize(int width, int height) {
    m_width = width;
    m_height = height;
    m_rect = {6, 0, width - 10, height - 2};
    // A size of nothing leaves the picture null; Picture() then draws nothing.
    m_picture.Create(width, height);
}

float CColorStripModel::PositionX(float position) const {
    return static_cast<float>(m_rect.left) + static_cast<float>(StripWidth()) * position;
}

int CColorStripModel::HitTest(int x, int y) const {
    if (y < m_rect.bottom - kButtonHeight || y > m_rect.bottom) return -1;
    const float mx = static_cast<float>(x);
    for (size_t i = m_pen.StopCount(); i-- > 0;) {
        const float sx = PositionX(m_pen.Stop(i).StopPosition());
        if (sx - kButtonHalf <= mx && mx <= sx + kButtonHalf) return static_cast<int>(i);
    }
    return -1;
}

bool CColorStripModel::Press(int x, int y) {
    const bool hadSelection = m_pen.SelectedIndex() >= 0;
    const int hit = HitTest(x, y);
    m_pen.Select(hit);
    m_lastX = x;
    if (hit >= 0) m_dragStart = m_pen.Stop(static_cast<size_t>(hit)).StopPosition();
    m_dragDistance = 0.0f;
    return hit >= 0 || hadSelection;
}

bool CColorStripModel::Move(int x, int /*y*/, bool leftButtonAlone) {
    if (m_pen.SelectedIndex() < 0 || !leftButtonAlone) return false;
    bool changed = false;
    m_dragDistance += static_cast<float>(x - m_lastX);
    if ((m_pen.SelectedIsFirstEnd() && m_dragDistance > kPeelDistance) ||
        (m_pen.SelectedIsLastEnd() && m_dragDistance < -kPeelDistance)) {
        m_pen.SelectCopyOfSelectedEnd();
        changed = true;
    }
    // A strip squeezed to nothing has no positions to drag through.
    if (!m_pen.SelectedIsFirstEnd() && !m_pen.SelectedIsLastEnd() && StripWidth() > 0) {
        m_pen.MoveSelectedStop(m_dragStart + m_dragDistance / static_cast<float>(StripWidth()));
        changed = true;
    }
    m_pen.SortStops();
    m_lastX = x;
    return changed;
}

bool CColorStripModel::Release() {
    const int selected = m_pen.SelectedIndex();
    if (selected < 0 || m_pen.IsEndStop(static_cast<size_t>(selected))) return false;
    const float width = static_cast<float>(StripWidth());
    const float position = m_pen.Stop(static_cast<size_t>(selected)).StopPosition();
    const float first = m_pen.Stop(0).StopPosition();
    const float last = m_pen.Stop(m_pen.LastEndIndex()).StopPosition();
    if ((position - first) * width <= kDropDistance || (position - last) * width >= -kDropDistance)
        return m_pen.DeleteSelectedStop();
    return false;
}

bool CColorStripModel::DoubleClick() {
    const int selected = m_pen.SelectedIndex();
    if (selected < 0) return false;
    const PixelColor& stop = m_pen.Stop(static_cast<size_t>(selected));
    const std::optional<PixelColor> edited =
        m_ui.EditColor(PixelColor{stop.red, stop.green, stop.blue, stop.alpha});
    if (!edited) return false;
    m_pen.SetNodeColor(edited->Rgba32(), m_ui);
    return true;
}

bool CColorStripModel::DeleteKey() {
    return m_pen.DeleteSelectedStop();
}

const CLayerImage& CColorStripModel::Picture() {
    if (m_picture.IsNull()) return m_picture;
    FillRect(m_picture, 0, 0, m_width, m_height, m_background);
    DrawBand();
    for (size_t i = 0; i < m_pen.StopCount(); ++i) {
        const PixelColor& stop = m_pen.Stop(i);
        DrawButton(static_cast<int>(PositionX(stop.StopPosition())), stop);
    }
    DrawMarks();
    return m_picture;
}

void CColorStripModel::DrawBand() {
    const int rows = m_height / 2;
    for (size_t n = 1; n < m_pen.StopCount(); ++n) {
        const PixelColor& p = m_pen.Stop(n - 1);
        const PixelColor& c = m_pen.Stop(n);
        const int x0 = static_cast<int>(PositionX(p.StopPosition()));
        const int x1 = static_cast<int>(PositionX(c.StopPosition()));
        if (x1 <= x0) continue;
        const float step = 1.0f / static_cast<float>(x1 - x0);
        for (int x = std::max(x0, 0); x < std::min(x1, m_width); ++x) {
            const float t = static_cast<float>(x - x0) * step;
            const uint8_t r = Lerp(p.red, c.red, t);
            const uint8_t g = Lerp(p.green, c.green, t);
            const uint8_t b = Lerp(p.blue, c.blue, t);
            const uint8_t a = Lerp(p.alpha, c.alpha, t);
            for (int y = 0; y < rows; ++y) {
                const int base = ((x >> 3) + (y >> 3)) % 2 == 0 ? 128 : 255;
                Plot(m_picture, x, y,
                     PixelColor{OverChecker(r, a, base), OverChecker(g, a, base),
                                OverChecker(b, a, base)});
            }
        }
    }
}

void CColorStripModel::DrawButton(int x, const PixelColor& stop) {
    const int left = x - kButtonHalf;
    const int right = x + kButtonHalf; // exclusive
    const int top = m_height - kButtonHeight;
    const int bottom = m_height; // exclusive
    FillRect(m_picture, left, top, right, bottom, kButtonFace);
    FillRect(m_picture, left, top, right, top + 1, kButtonLight);
    FillRect(m_picture, left, top, left + 1, bottom, kButtonLight);
    FillRect(m_picture, right - 2, top + 1, right - 1, bottom - 1, kButtonShadow);
    FillRect(m_picture, left + 1, bottom - 2, right - 1, bottom - 1, kButtonShadow);
    FillRect(m_picture, right - 1, top, right, bottom, kButtonDarkShadow);
    FillRect(m_picture, left, bottom - 1, right, bottom, kButtonDarkShadow);
    FillRect(m_picture, x - 4, top + 1, x + 3, top + 16, stop);
}

void CColorStripModel::DrawMarks() {
    // The selected stop's mark is drawn last so that a neighbour never hides it.
    const int selected = m_pen.SelectedIndex();
    const int markEnd = m_height - kButtonHeight; // exclusive
    for (size_t i = 0; i < m_pen.StopCount(); ++i) {
        if (static_cast<int>(i) == selected) continue;
        const int x = static_cast<int>(PositionX(m_pen.Stop(i).StopPosition()));
        FillRect(m_picture, x, m_height / 2, x + 1, markEnd, kMark);
    }
    if (selected < 0) return;
    const int x =
        static_cast<int>(PositionX(m_pen.Stop(static_cast<size_t>(selected)).StopPosition()));
    const int frameTop = m_height - kButtonHeight - 1;
    FillRect(m_picture, x, 0, x + 1, markEnd, kMark);
    FillRect(m_picture, x - 6, frameTop, x + 6, frameTop + 1, kMark);
    FillRect(m_picture, x - 6, frameTop, x - 5, m_height, kMark);
    FillRect(m_picture, x + 5, frameTop, x + 6, m_height, kMark);
}

} // namespace pictoform
