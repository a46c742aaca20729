#pragma once
// Pictures in the file kinds the desktop can read (PNG, JPEG, BMP, GIF,
// WebP, SVG drawings...), for opening and importing them as icons.

#include <string>
#include <vector>

#include "image/BgraPicture.h"

namespace pictoform {

struct PictureInfo {
    int width = 0;
    int height = 0;
    // A drawing (SVG): made at each size it is wanted at, never scaled.
    bool scalable = false;
};

class PictureReader {
public:
    virtual ~PictureReader() = default;

    // The file name endings it takes, lower case, without the dot.
    [[nodiscard]] virtual std::vector<std::string> Extensions() const = 0;
    // The picture's own size. Refusals say why, in words that fit after
    // "Cannot open NAME: ".
    [[nodiscard]] virtual bool Probe(const std::string& path, PictureInfo& info,
                                     std::string& reason) = 0;
    // The picture at its own size, or a drawing rendered at width x height.
    [[nodiscard]] virtual bool Read(const std::string& path, int width, int height,
                                    BgraPicture& out, std::string& reason) = 0;

protected:
    PictureReader() = default;
    PictureReader(const PictureReader&) = default;
    PictureReader& operator=(const PictureReader&) = default;
};

} // namespace pictoform
