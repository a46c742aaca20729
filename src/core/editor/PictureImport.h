#pragma once
// Pictures made into icon formats: opened as a new icon, made at a set of
// standard sizes, or imported as one more format.

#include <cstdint>
#include <string>
#include <vector>

#include "icon/IconImageRec.h"
#include "image/BgraPicture.h"
#include "io/Limits.h"
#include "platform/PictureReader.h"

namespace pictoform {

// PNG files through the program's own decoder: what the command-line tool
// and the tests read pictures with, and what the desktop falls back on.
class PngPictureReader final : public PictureReader {
public:
    [[nodiscard]] std::vector<std::string> Extensions() const override { return {"png"}; }
    [[nodiscard]] bool Probe(const std::string& path, PictureInfo& info,
                             std::string& reason) override;
    [[nodiscard]] bool Read(const std::string& path, int width, int height, BgraPicture& out,
                            std::string& reason) override;
};

// Whether the reader takes files with this name (its ending, in any case).
[[nodiscard]] bool IsPictureFile(const PictureReader& reader, const std::string& path);
// "Pictures (*.png, *.svg)|*.png;*.svg|": the file dialog's filter for them.
[[nodiscard]] std::string PictureFilter(const PictureReader& reader);

// One picture, read once and made into icon records at any size (a drawing
// is rendered again at each size).
class PictureImport {
public:
    // Refusals say why, to follow "Cannot open NAME: ".
    [[nodiscard]] bool Open(PictureReader& reader, const std::string& path, std::string& reason);
    [[nodiscard]] const PictureInfo& Info() const { return m_info; }
    // A picture of at most 256 a side can be a format of its own size.
    [[nodiscard]] bool FitsAsIs() const;
    // 32 bits, bottom row first as formats are made from; a format of 256
    // a side is stored PNG-compressed, as icons of that size are.
    [[nodiscard]] IconImageRec AsIs() const;
    // The picture fitted into side x side, centred, its shape kept.
    [[nodiscard]] bool Record(int side, IconImageRec& rec, std::string& reason);

private:
    PictureReader* m_reader = nullptr;
    std::string m_path;
    PictureInfo m_info;
    BgraPicture m_picture;
};

} // namespace pictoform
