#pragma once
// The before/after previews that the picture dialogs ("Adjust Color",
// "Filter") show: the picture reduced to icon size, unchanged and changed.

#include "image/LayerImage.h"
#include "image/Surface.h"

namespace pictoform {

inline constexpr const char* kBeforeHeading = "Before:";
inline constexpr const char* kAfterHeading = "After:";
// Marks under the sliders, left, middle and right.
inline constexpr const char* kScaleMarks[3] = {"-1", "0", "+1"};

class PicturePreview {
public:
    // Each preview box is 128 x 128 inside a frame; the after box is 133 to the right.
    static constexpr int kAfterOffset = 133;
    static constexpr int kFrameLeft[2] = {5, 138};
    static constexpr int kFrameTop = 25;
    static constexpr int kFrameSize = 128;

    // Before = the tripled target reduced with soft edges; after = a copy.
    explicit PicturePreview(const CLayerImage& target) {
        const int width = target.Width() / 3;
        const int height = target.Height() / 3;
        if (!m_before.Create(width, height)) return;
        CLayerImage::Downsample3x(target, nullptr, 0, m_before, false);
        m_after.CloneFrom(m_before);
        m_display.Create(width, height);
        m_originX = (kFrameSize - width) / 2 + kFrameLeft[0];
        m_originY = (kFrameSize - height) / 2 + kFrameTop;
    }

    [[nodiscard]] const CLayerImage& Before() const { return m_before; }
    [[nodiscard]] const CLayerImage& After() const { return m_after; }
    [[nodiscard]] CLayerImage& After() { return m_after; }
    // Starts the after preview again from the before one.
    void ResetAfter() { (void)m_before.CopyTo(m_after); }

    // Where the before preview's top-left corner is drawn; the after one is
    // kAfterOffset further right.
    [[nodiscard]] int OriginX() const { return m_originX; }
    [[nodiscard]] int OriginY() const { return m_originY; }

    // The preview as it is shown: laid on white, so its colour plane is all
    // a surface needs. One scratch image serves both, so the result holds
    // only until the next call.
    [[nodiscard]] const CLayerImage& Shown(const CLayerImage& preview) {
        m_display.Fill(255, 0, 1);
        CLayerImage::Composite(preview, m_display, false, 0, 0, 1.0f);
        return m_display;
    }

    // Both previews and their black frames, in dialog client coordinates.
    void Paint(Surface& surface) {
        Shown(m_before).BlitTo(surface, m_originX, m_originY, 0, 0);
        Shown(m_after).BlitTo(surface, m_originX + kAfterOffset, m_originY, 0, 0);
        for (int left : kFrameLeft) {
            const int right = left + kFrameSize;
            const int bottom = kFrameTop + kFrameSize;
            for (int x = left; x <= right; ++x) {
                surface.SetPixel(x, kFrameTop, 0, 0, 0);
                surface.SetPixel(x, bottom, 0, 0, 0);
            }
            for (int y = kFrameTop; y <= bottom; ++y) {
                surface.SetPixel(left, y, 0, 0, 0);
                surface.SetPixel(right, y, 0, 0, 0);
            }
        }
    }

private:
    CLayerImage m_before;
    CLayerImage m_after;
    CLayerImage m_display;
    int m_originX = 0;
    int m_originY = 0;
};

} // namespace pictoform
