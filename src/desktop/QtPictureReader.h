#pragma once
// Pictures through Qt's image readers, and SVG drawings through the Qt SVG
// module, for the core's picture import.

#include "platform/PictureReader.h"

namespace pictoform {

class QtPictureReader final : public PictureReader {
public:
    [[nodiscard]] std::vector<std::string> Extensions() const override;
    [[nodiscard]] bool Probe(const std::string& path, PictureInfo& info,
                             std::string& reason) override;
    [[nodiscard]] bool Read(const std::string& path, int width, int height, BgraPicture& out,
                            std::string& reason) override;
};

} // namespace pictoform
