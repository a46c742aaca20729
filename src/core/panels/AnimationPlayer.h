#pragma once
// The preview's playback of an animated cursor: it steps through the
// frames, each for its time, and starts again after the last.

#include <cstdint>
#include <vector>

#include "icon/IconFile.h"

namespace pictoform {

class AnimationPlayer {
public:
    static constexpr double kJiffyMs = 1000.0 / 60.0;

    // The steps to play; the step under way is kept where it still exists.
    void SetSteps(std::vector<AnimationStep> steps);
    [[nodiscard]] bool CanPlay() const { return m_steps.size() > 1; }
    void Play() { m_playing = CanPlay(); }
    void Pause() { m_playing = false; }
    [[nodiscard]] bool Playing() const { return m_playing; }
    // Moves the clock on by `ms` milliseconds while playing; true when the
    // frame shown changed.
    bool Advance(double ms);
    // The frame (format index) shown now.
    [[nodiscard]] uint32_t Frame() const;
    // Milliseconds until the frame changes.
    [[nodiscard]] double UntilNext() const;

private:
    [[nodiscard]] double StepMs(size_t step) const;

    std::vector<AnimationStep> m_steps;
    size_t m_step = 0;
    double m_shownMs = 0.0;
    bool m_playing = false;
};

} // namespace pictoform
