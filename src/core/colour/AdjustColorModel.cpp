#include "colour/AdjustColorModel.h"

#include <algorithm>
#include <cmath>

namespace pictoform {

namespace {
size_t IndexOf(ColourChannel channel) {
    return static_cast<size_t>(std::clamp(static_cast<int>(channel), 0, kChannelCount - 1));
}
} // namespace

AdjustColorModel::AdjustColorModel(CLayerImage& target) : m_target(target), m_preview(target) {
    m_positions.fill(kSliderStart);
    m_lastFactors.fill(1.0f);
}

float AdjustColorModel::FactorAt(int position) {
    return static_cast<float>(std::pow(2.0, (position - 100) * 0.01));
}

const char* AdjustColorModel::SliderLabel(ColourChannel channel) {
    static constexpr const char* kLabels[kChannelCount] = {"Red:", "Green:", "Blue:", "Alpha:"};
    return kLabels[IndexOf(channel)];
}

int AdjustColorModel::SliderPosition(ColourChannel channel) const {
    return m_positions[IndexOf(channel)];
}

AdjustColorModel::Factors AdjustColorModel::CurrentFactors() const {
    Factors factors;
    for (size_t i = 0; i < factors.size(); ++i) factors[i] = FactorAt(m_positions[i]);
    return factors;
}

bool AdjustColorModel::MoveSlider(ColourChannel channel, int position) {
    const int p = std::clamp(position, kSliderMin, kSliderMax);
    m_positions[IndexOf(channel)] = p;
    m_tooltip = std::to_string(p - kSliderStart) + "%";
    const Factors factors = CurrentFactors();
    bool moved = false;
    for (size_t i = 0; i < factors.size(); ++i) {
        if (std::fabs(factors[i] - m_lastFactors[i]) >= 0.05f) moved = true;
    }
    if (!moved) return false;
    m_lastFactors = factors;
    m_preview.ResetAfter();
    ScaleChannels(m_preview.After(), factors[0], factors[1], factors[2], factors[3]);
    return true;
}

bool AdjustColorModel::Accept() {
    const Factors f = CurrentFactors();
    if (std::all_of(f.begin(), f.end(), [](float v) { return std::fabs(v - 1.0f) < 0.05f; }))
        return false;
    ScaleChannels(m_target, f[0], f[1], f[2], f[3]);
    return true;
}

} // namespace pictoform
