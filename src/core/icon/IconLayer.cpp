#include "icon/IconLayer.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace pictoform {

CIconLayer::CIconLayer(LayerCounter& counter) : m_name("Layer " + std::to_string(counter.Next())) {}

bool CIconLayer::Create(int width, int height) {
    constexpr int kMaxSide = std::numeric_limits<int>::max() / 3;
    const bool ok = width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide &&
                    m_working.Create(3 * width, 3 * height) &&
                    m_committed.Create(3 * width, 3 * height);
    if (!ok) {
        m_working = CLayerImage();
        m_committed = CLayerImage();
        m_width = m_height = 0;
        return false;
    }
    m_width = width;
    m_height = height;
    return true;
}

void CIconLayer::SetOpacity(float opacity) {
    m_opacity = std::isnan(opacity) ? 0.0f : std::clamp(opacity, 0.0f, 1.0f);
}

bool CIconLayer::CreateHistory(HistoryStore& store) {
    m_history = std::make_unique<HistoryChain>();
    return m_history->AppendLayerSnapshot(m_committed, store);
}

HistoryTarget CIconLayer::Target(bool softEdges) {
    return HistoryTarget{m_committed, m_working, m_activeObject.get(), softEdges};
}

bool CIconLayer::Undo(bool softEdges) {
    return m_history && m_history->Undo(Target(softEdges));
}

bool CIconLayer::Redo(bool softEdges) {
    return m_history && m_history->Redo(Target(softEdges));
}

} // namespace pictoform
