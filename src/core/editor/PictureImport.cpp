#include "editor/PictureImport.h"

#include <algorithm>
#include <cctype>
#include <fstream>

#include "editor/PictoformView.h"
#include "icon/IconFile.h"
#include "icon/PictureScale.h"
#include "icon/PngCodec.h"
#include "io/ByteReader.h"

namespace pictoform {

namespace {

std::string LowerEnding(const std::string& path) {
    std::string ending = FileExtension(path);
    for (char& c : ending) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ending;
}

// The side no picture file is decoded beyond; the pixel limit is the finer rule.
constexpr int32_t kMaxPictureSide = 32768;

} // namespace

bool PngPictureReader::Probe(const std::string& path, PictureInfo& info, std::string& reason) {
    // The size is in the header chunk that every PNG starts with.
    std::ifstream in(path, std::ios::binary);
    uint8_t head[24] = {};
    if (!in) {
        reason = "the file cannot be read";
        return false;
    }
    if (!in.read(reinterpret_cast<char*>(head), sizeof head) || !HasPngSignature(head)) {
        reason = "it is not a PNG picture";
        return false;
    }
    const auto be32 = [&head](int at) {
        return static_cast<int64_t>(uint32_t{head[at]} << 24 | uint32_t{head[at + 1]} << 16 |
                                    uint32_t{head[at + 2]} << 8 | uint32_t{head[at + 3]});
    };
    const int64_t width = be32(16);
    const int64_t height = be32(20);
    if (width < 1 || height < 1 || width > kMaxPictureSide || height > kMaxPictureSide) {
        reason = "the file is damaged or incomplete (its picture has no usable size)";
        return false;
    }
    info = {static_cast<int>(width), static_cast<int>(height), false};
    return true;
}

bool PngPictureReader::Read(const std::string& path, int, int, BgraPicture& out,
                            std::string& reason) {
    std::vector<uint8_t> bytes;
    return ReadWholeFile(path, kMaxIconFileBytes, bytes, reason) &&
           DecodePng(bytes, kMaxPictureSide, out, reason);
}

bool IsPictureFile(const PictureReader& reader, const std::string& path) {
    const std::string ending = LowerEnding(path);
    if (ending.empty()) return false;
    const std::vector<std::string> kinds = reader.Extensions();
    return std::find(kinds.begin(), kinds.end(), ending) != kinds.end();
}

std::string PictureFilter(const PictureReader& reader) {
    std::string shown;
    std::string patterns;
    for (const std::string& kind : reader.Extensions()) {
        shown += (shown.empty() ? "*." : ", *.") + kind;
        patterns += (patterns.empty() ? "*." : ";*.") + kind;
    }
    return "Pictures (" + shown + ")|" + patterns + "|";
}

bool PictureImport::Open(PictureReader& reader, const std::string& path, std::string& reason) {
    m_reader = &reader;
    m_path = path;
    m_picture = {};
    if (!reader.Probe(path, m_info, reason)) return false;
    if (int64_t{m_info.width} * m_info.height > kMaxPicturePixels && !m_info.scalable) {
        reason = "the picture is too large (" + std::to_string(m_info.width) + " x " +
                 std::to_string(m_info.height) + " pixels; at most " +
                 std::to_string(kMaxPicturePixels / 1'000'000) + " million can be opened)";
        return false;
    }
    if (m_info.scalable) return true;
    if (!reader.Read(path, 0, 0, m_picture, reason)) return false;
    // The header may have said one size and the pixels be another.
    if (!IsWhole(m_picture) || int64_t{m_picture.width} * m_picture.height > kMaxPicturePixels) {
        m_picture = {};
        reason = "the file is damaged or incomplete (no picture could be read from it)";
        return false;
    }
    m_info.width = m_picture.width;
    m_info.height = m_picture.height;
    return true;
}

bool PictureImport::FitsAsIs() const {
    return !m_info.scalable && m_info.width <= 256 && m_info.height <= 256;
}

IconImageRec PictureImport::AsIs() const {
    IconImageRec rec = RecordFromPng(m_picture, true);
    rec.png = rec.width >= 256 || rec.height >= 256;
    return rec;
}

bool PictureImport::Record(int side, IconImageRec& rec, std::string& reason) {
    if (!m_reader || side < 1) return false;
    const PictureSize fitted = FitSize(m_info.width, m_info.height, side);
    BgraPicture scaled;
    if (m_info.scalable) {
        if (!m_reader->Read(m_path, fitted.width, fitted.height, scaled, reason)) return false;
        // A reader that drew at another size is held to the one asked for.
        if (IsWhole(scaled) && (scaled.width != fitted.width || scaled.height != fitted.height)) {
            scaled = ScalePicture(scaled, fitted.width, fitted.height);
        }
    } else {
        scaled = ScalePicture(m_picture, fitted.width, fitted.height);
    }
    const BgraPicture square = CentreInSquare(scaled, side);
    if (!IsWhole(square)) {
        reason = "the file is damaged or incomplete (no picture could be made from it)";
        return false;
    }
    rec = RecordFromPng(square, true);
    rec.png = side >= 256;
    return true;
}

} // namespace pictoform
