#include "colour/MultiColorPen.h"

#include <algorithm>
#include <cmath>

#include "platform/UiServices.h"

namespace pictoform {

namespace {

PixelColor MakeStop(uint8_t r, uint8_t g, uint8_t b, uint8_t a, float position) {
    PixelColor stop{r, g, b, a};
    stop.SetStopPosition(position);
    return stop;
}

// Float to a channel byte, toward zero; the weights may stray a hair outside
// 0 to 1 at the ends of a pair.
uint8_t ChannelByte(double value) {
    if (!(value > 0.0)) return 0;
    if (value >= 255.0) return 255;
    return static_cast<uint8_t>(value);
}

} // namespace

CMultiColorPen::CMultiColorPen() : m_single{100, 100, 100, 100} {
    m_outputs.table.fill(PixelColor{100, 100, 100, 100});
    m_outputs.single = m_single;
    m_outputs.gradientKind = m_gradientKind;
    m_stops.push_back(std::make_unique<PixelColor>(MakeStop(255, 0, 0, 200, 0.0f)));
    m_stops.push_back(std::make_unique<PixelColor>(MakeStop(0, 0, 255, 200, 1.0f)));
    m_firstEnd = m_stops.front().get();
    m_lastEnd = m_stops.back().get();
}

CMultiColorPen::CMultiColorPen(const CMultiColorPen& other) : CMultiColorPen() {
    CopyStopsFrom(other);
}

CMultiColorPen::~CMultiColorPen() = default;

bool CMultiColorPen::IsEndStop(size_t index) const {
    if (index >= m_stops.size()) return false;
    const PixelColor* stop = m_stops[index].get();
    return stop == m_firstEnd || stop == m_lastEnd;
}

size_t CMultiColorPen::LastEndIndex() const {
    for (size_t i = m_stops.size(); i-- > 0;) {
        if (m_stops[i].get() == m_lastEnd) return i;
    }
    return m_stops.size() - 1;
}

int CMultiColorPen::SelectedIndex() const {
    if (!m_selected) return -1;
    for (size_t i = 0; i < m_stops.size(); ++i) {
        if (m_stops[i].get() == m_selected) return static_cast<int>(i);
    }
    return -1;
}

void CMultiColorPen::Select(int index) {
    if (index < 0 || static_cast<size_t>(index) >= m_stops.size()) {
        m_selected = nullptr;
        return;
    }
    m_selected = m_stops[static_cast<size_t>(index)].get();
}

void CMultiColorPen::SelectCopyOfSelectedEnd() {
    if (!SelectedIsFirstEnd() && !SelectedIsLastEnd()) return;
    m_stops.push_back(std::make_unique<PixelColor>(*m_selected));
    m_selected = m_stops.back().get();
}

void CMultiColorPen::MoveSelectedStop(float position) {
    if (!m_selected || m_selected == m_firstEnd || m_selected == m_lastEnd) return;
    if (std::isnan(position)) return;
    m_selected->SetStopPosition(std::clamp(position, 0.0f, 1.0f));
    Notify();
}

void CMultiColorPen::SetNodeColor(uint32_t rgba, UiServices& ui) {
    if (!m_selected) {
        ui.ShowMessage("Select a node in multi-color strip or switch to single color mode",
                       "Warning", MessageIcon::Exclamation, MessageButtons::Ok);
        return;
    }
    const PixelColor colour = PixelColor::FromRgba32(rgba);
    m_selected->red = colour.red;
    m_selected->green = colour.green;
    m_selected->blue = colour.blue;
    m_selected->alpha = colour.alpha;
    Notify();
}

bool CMultiColorPen::DeleteSelectedStop() {
    if (!m_selected || m_selected == m_firstEnd || m_selected == m_lastEnd) return false;
    std::erase_if(m_stops, [this](const auto& stop) { return stop.get() == m_selected; });
    m_selected = nullptr;
    Notify();
    return true;
}

void CMultiColorPen::SortStops() {
    std::stable_sort(m_stops.begin(), m_stops.end(), [](const auto& a, const auto& b) {
        return a->StopPosition() < b->StopPosition();
    });
}

void CMultiColorPen::CopyStopsFrom(const CMultiColorPen& other) {
    if (&other == this) return;
    m_selected = nullptr;
    m_stops.clear();
    for (const auto& stop : other.m_stops) m_stops.push_back(std::make_unique<PixelColor>(*stop));
    m_firstEnd = m_stops.front().get();
    m_lastEnd = m_stops.back().get();
}

void CMultiColorPen::BuildColors() {
    m_outputs.single = m_single;
    m_outputs.gradientKind = m_gradientKind;
    m_outputs.colours.clear();
    if (m_mode != kPenMultiColour) {
        m_outputs.colours.push_back(m_single);
        return;
    }

    m_outputs.table.fill(PixelColor{});
    for (const auto& stop : m_stops) {
        if (m_reverse) {
            PixelColor mirrored = *stop;
            mirrored.SetStopPosition(1.0f - stop->StopPosition());
            m_outputs.colours.insert(m_outputs.colours.begin(), mirrored);
        } else {
            m_outputs.colours.push_back(*stop);
        }
    }

    auto entry = [this](int step) -> PixelColor& {
        return m_outputs.table[static_cast<size_t>(m_reverse ? 255 - step : step)];
    };
    // The sums run in double and only wP is rounded to a float; the table's
    // bytes depend on it (a channel may land one below the exact value).
    constexpr float kStep = 0.003921569f; // 1/255 as a float
    for (size_t n = 1; n < m_stops.size(); ++n) {
        const PixelColor& p = *m_stops[n - 1];
        const PixelColor& c = *m_stops[n];
        const double pPos = p.StopPosition();
        const double cPos = c.StopPosition();
        int a = static_cast<int>(pPos * 255.0);
        if (a > 0) ++a;
        const int b = static_cast<int>(cPos * 255.0);
        // Positions are kept within 0 to 1; the bounds only guard the table.
        if (a < 0 || b > 255) continue;
        if (a == b) {
            entry(a) = c;
            continue;
        }
        for (int i = a; i <= b; ++i) {
            const double t = static_cast<double>(i) * static_cast<double>(kStep);
            const double wP = static_cast<float>((cPos - t) / (cPos - pPos));
            const double wC = (t - pPos) / (cPos - pPos);
            PixelColor& out = entry(i);
            out = PixelColor{
                ChannelByte(p.red * wP + c.red * wC), ChannelByte(p.green * wP + c.green * wC),
                ChannelByte(p.blue * wP + c.blue * wC), ChannelByte(p.alpha * wP + c.alpha * wC)};
        }
    }
}

} // namespace pictoform
