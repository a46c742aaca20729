#pragma once
// The desktop's clipboard as the copy and paste commands use it.

#include "image/LayerImage.h"

namespace pictoform {

class Clipboard {
public:
    virtual ~Clipboard() = default;

    // Puts a picture (icon-sized, already flattened over white) on the
    // clipboard as this program's own.
    virtual void PutImage(const CLayerImage& picture) = 0;
    // Whether the clipboard holds what this program put there last.
    [[nodiscard]] virtual bool OwnsClipboard() const = 0;
    // An image that another program put on the clipboard, at icon size:
    // its alpha where it has one (pixels of alpha 0 not covered), opaque
    // where it has none. False when there is none.
    [[nodiscard]] virtual bool TakeImage(CLayerImage& picture) = 0;

protected:
    Clipboard() = default;
    Clipboard(const Clipboard&) = default;
    Clipboard& operator=(const Clipboard&) = default;
};

} // namespace pictoform
