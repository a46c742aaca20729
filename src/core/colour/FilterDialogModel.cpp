#include "colour/FilterDialogModel.h"

#include <algorithm>
#include <cmath>

#include "colour/ColorAdjust.h"

namespace pictoform {

FilterDialogModel::FilterDialogModel(CLayerImage& target, FilterKind kind)
    : m_target(target), m_kind(kind), m_preview(target) {}

float FilterDialogModel::ValueAt(int position) {
    return static_cast<float>(std::pow(2.0, (position - 100) * 0.01));
}

void FilterDialogModel::Apply(FilterKind kind, CLayerImage& picture, float value) {
    switch (kind) {
    case FilterKind::Contrast:
        Contrast(picture, value);
        break;
    case FilterKind::Brighten:
        Brighten(picture, std::sqrt(value));
        break;
    case FilterKind::Saturation:
        Saturate(picture, value);
        break;
    }
}

std::string FilterDialogModel::Title() const {
    switch (m_kind) {
    case FilterKind::Contrast:
        return "Filter -- Constrast";
    case FilterKind::Brighten:
        return "Filter -- Brighten";
    case FilterKind::Saturation:
        return "Filter -- Saturation";
    }
    return "Filter";
}

std::string FilterDialogModel::TooltipText() const {
    return std::to_string(m_position - kSliderStart) + "%";
}

bool FilterDialogModel::MoveSlider(int position) {
    m_position = std::clamp(position, kSliderMin, kSliderMax);
    const float value = ValueAt(m_position);
    if (std::fabs(value - m_value) < 0.05f) return false;
    m_value = value;
    m_preview.ResetAfter();
    Apply(m_kind, m_preview.After(), m_value);
    return true;
}

bool FilterDialogModel::Accept() {
    if (std::fabs(m_value - 1.0f) < 0.01f) return false;
    Apply(m_kind, m_target, m_value);
    return true;
}

} // namespace pictoform
