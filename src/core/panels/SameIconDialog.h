#pragma once
// The preview panel: the current format's final image at its real size.

#include <vector>

#include "icon/IconFormat.h"
#include "panels/PanelGeometry.h"

namespace pictoform {

// One paint of the preview panel. With no format shown, nothing is painted.
struct SameIconPaint {
    const CLayerImage* picture = nullptr; // copied 1:1 into pictureRect
    PanelRect pictureRect;
    // The parts of the client area around the picture, filled with kPreviewBand;
    // only the non-empty ones are listed.
    std::vector<PanelRect> bands;
};

class CSameIconDialog {
public:
    // The format list keeps this equal to its current format; null shows nothing.
    void Show(const CIconFormat* format) { m_format = format; }
    // While an animation plays, its frame is shown instead; null ends that.
    void ShowFrame(const CIconFormat* frame) { m_frame = frame; }
    [[nodiscard]] const CIconFormat* Shown() const { return m_frame ? m_frame : m_format; }

    // The picture centred in a client area of the given size.
    [[nodiscard]] SameIconPaint Paint(int clientWidth, int clientHeight) const;

private:
    const CIconFormat* m_format = nullptr;
    const CIconFormat* m_frame = nullptr;
};

} // namespace pictoform
