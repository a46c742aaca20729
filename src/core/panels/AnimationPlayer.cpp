#include "panels/AnimationPlayer.h"

#include <algorithm>
#include <cmath>

namespace pictoform {

void AnimationPlayer::SetSteps(std::vector<AnimationStep> steps) {
    m_steps = std::move(steps);
    if (m_step >= m_steps.size()) {
        m_step = 0;
        m_shownMs = 0.0;
    }
    if (!CanPlay()) m_playing = false;
}

double AnimationPlayer::StepMs(size_t step) const {
    // A step of no time would never let the clock move on.
    return std::max<uint32_t>(m_steps[step].jiffies, 1) * kJiffyMs;
}

bool AnimationPlayer::Advance(double ms) {
    if (!m_playing || m_steps.empty() || !(ms > 0.0)) return false;
    const uint32_t before = Frame();
    // Whole rounds add nothing; only the remainder of one is walked.
    double round = 0.0;
    for (size_t i = 0; i < m_steps.size(); ++i) round += StepMs(i);
    m_shownMs += std::fmod(ms, round);
    while (m_shownMs >= StepMs(m_step)) {
        m_shownMs -= StepMs(m_step);
        m_step = (m_step + 1) % m_steps.size();
    }
    return Frame() != before;
}

uint32_t AnimationPlayer::Frame() const {
    return m_steps.empty() ? 0 : m_steps[m_step].frame;
}

double AnimationPlayer::UntilNext() const {
    return m_steps.empty() ? 0.0 : StepMs(m_step) - m_shownMs;
}

} // namespace pictoform
