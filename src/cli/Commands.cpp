#include "Commands.h"

#include <algorithm>
#include <cstring>
#include <ostream>

#include "icon/ByteReader.h"
#include "icon/IconFile.h"
#include "icon/PngCodec.h"
#include "icon/SafeFile.h"

namespace pictoform::cli {

namespace {

enum class Kind { kIcon, kCursor, kPng, kUnknown };

Kind KindOfName(const std::string& path) {
    const size_t dot = path.find_last_of('.');
    const size_t slash = path.find_last_of('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return Kind::kUnknown;
    }
    std::string ext = path.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (ext == "ico") return Kind::kIcon;
    if (ext == "cur") return Kind::kCursor;
    if (ext == "png") return Kind::kPng;
    return Kind::kUnknown;
}

// The images of one input, top row first, as the writers take them.
struct LoadedFile {
    std::vector<IconImageRec> images;
    std::vector<HotSpot> hotSpots; // one per image, cursors only
    std::string kindName;
    bool cursor = false;
    HotSpot loadedHotSpot;
};

bool LoadPng(const std::string& path, LoadedFile& out, std::string& reason) {
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, kMaxIconFileBytes, bytes, reason)) return false;
    if (!HasPngSignature(bytes)) {
        reason = "not a PNG file";
        return false;
    }
    PngPixels png;
    if (!DecodePng(bytes, 256, png, reason)) return false;
    IconImageRec rec;
    rec.width = png.width;
    rec.height = png.height;
    rec.depth = kDepth32;
    const size_t n = rec.PixelCount();
    rec.colours.resize(n * 3);
    rec.alpha.resize(n);
    rec.mask.resize(n);
    for (size_t p = 0; p < n; ++p) {
        std::memcpy(&rec.colours[p * 3], &png.bgra[p * 4], 3);
        rec.alpha[p] = png.bgra[p * 4 + 3];
        rec.mask[p] = rec.alpha[p] != 0 ? 1 : 0;
    }
    out.images.push_back(std::move(rec));
    out.kindName = "PNG picture";
    return true;
}

bool LoadFile(const std::string& path, LoadedFile& out, std::string& reason) {
    out = LoadedFile{};
    if (KindOfName(path) == Kind::kPng) return LoadPng(path, out, reason);
    CIconFile engine(out.loadedHotSpot);
    if (!engine.ReadIconFile(path)) {
        reason = engine.LastError();
        return false;
    }
    out.cursor = engine.FileType() == kCursorType;
    out.kindName = out.cursor ? "cursor" : "icon";
    out.hotSpots = engine.EntryHotSpots();
    out.images = engine.TakeImages();
    for (IconImageRec& rec : out.images) FlipRows(rec);
    return true;
}

// Gives an image another depth. Alpha does not survive a depth below 32: a
// pixel under half opacity becomes transparent, the others are laid over white.
void ChangeDepth(IconImageRec& rec, int32_t depth) {
    if (depth == kDepth32 && !rec.HasAlpha()) {
        rec.alpha.resize(rec.PixelCount());
        for (size_t p = 0; p < rec.PixelCount(); ++p) rec.alpha[p] = rec.mask[p] ? 255 : 0;
    } else if (depth != kDepth32 && rec.HasAlpha()) {
        for (size_t p = 0; p < rec.PixelCount(); ++p) {
            const int a = rec.alpha[p];
            if (rec.mask[p] == 0 || a < 128) {
                rec.mask[p] = 0;
                continue;
            }
            for (int c = 0; c < 3; ++c) {
                uint8_t& v = rec.colours[p * 3 + static_cast<size_t>(c)];
                // Rounded division by 255, so opaque pixels keep their colour exactly.
                v = static_cast<uint8_t>((v * a + 255 * (255 - a) + 127) / 255);
            }
        }
        rec.alpha.clear();
    }
    rec.depth = depth;
    rec.palette.clear();
    rec.paletteSize = -1;
}

std::string PngName(const std::string& output, size_t index, const IconImageRec& rec) {
    std::string stem = output;
    if (KindOfName(stem) == Kind::kPng) stem.resize(stem.size() - 4);
    return stem + "-" + std::to_string(index) + "-" + std::to_string(rec.width) + "x" +
           std::to_string(rec.height) + ".png";
}

bool WritePng(const std::string& path, const IconImageRec& rec, std::string& reason) {
    PngPixels png;
    png.width = rec.width;
    png.height = rec.height;
    png.bgra.resize(rec.PixelCount() * 4);
    for (size_t p = 0; p < rec.PixelCount(); ++p) {
        std::memcpy(&png.bgra[p * 4], &rec.colours[p * 3], 3);
        png.bgra[p * 4 + 3] = rec.HasAlpha() ? rec.alpha[p] : (rec.mask[p] ? 255 : 0);
    }
    std::vector<uint8_t> bytes;
    return EncodePng(png, bytes, reason) && WriteFileAtomically(path, bytes, reason);
}

void Fail(std::ostream& err, const std::string& what, const std::string& path,
          const std::string& reason) {
    err << "pictoform-cli: cannot " << what << " '" << path << "': " << reason << "\n";
}

} // namespace

int RunInfo(const std::vector<std::string>& files, std::ostream& out, std::ostream& err) {
    int status = 0;
    for (const std::string& path : files) {
        LoadedFile file;
        std::string reason;
        if (!LoadFile(path, file, reason)) {
            Fail(err, "read", path, reason);
            status = 1;
            continue;
        }
        for (size_t i = 0; i < file.images.size(); ++i) {
            const IconImageRec& rec = file.images[i];
            out << path << "[" << i << "]: " << rec.width << "x" << rec.height << ", depth "
                << rec.depth << " (" << BitsPerPixelOf(rec.depth)
                << (BitsPerPixelOf(rec.depth) == 1 ? " bit" : " bits") << " per pixel)";
            if (file.cursor && i < file.hotSpots.size()) {
                out << ", hot spot " << file.hotSpots[i].x << "," << file.hotSpots[i].y;
            }
            out << "\n";
        }
        out << path << ": " << file.kindName << ", " << file.images.size()
            << (file.images.size() == 1 ? " image" : " images") << "\n";
    }
    return status;
}

int RunConvert(const ConvertOptions& options, std::ostream& out, std::ostream& err) {
    const Kind outKind = KindOfName(options.output);
    if (outKind == Kind::kUnknown) {
        Fail(err, "write", options.output, "unknown file type (use .ico, .cur or .png)");
        return 1;
    }
    std::vector<IconImageRec> images;
    HotSpot hotSpot;
    for (const std::string& path : options.inputs) {
        LoadedFile file;
        std::string reason;
        if (!LoadFile(path, file, reason)) {
            Fail(err, "read", path, reason);
            return 1;
        }
        if (file.cursor) hotSpot = file.loadedHotSpot;
        for (IconImageRec& rec : file.images) {
            if (options.depth) ChangeDepth(rec, *options.depth);
            images.push_back(std::move(rec));
        }
    }
    if (options.hotSpot) {
        hotSpot.x = static_cast<uint16_t>(options.hotSpot->first);
        hotSpot.y = static_cast<uint16_t>(options.hotSpot->second);
    }

    if (outKind == Kind::kPng) {
        for (size_t i = 0; i < images.size(); ++i) {
            const std::string name = PngName(options.output, i, images[i]);
            std::string reason;
            if (!WritePng(name, images[i], reason)) {
                Fail(err, "write", name, reason);
                return 1;
            }
            out << name << "\n";
        }
        return 0;
    }

    CIconFile engine(hotSpot);
    unsigned flags = outKind == Kind::kCursor ? unsigned{kWriteCursor} : 0u;
    if (options.png256) flags |= kWritePng256;
    if (!engine.WriteIconFile(options.output, images, flags)) {
        Fail(err, "write", options.output, engine.LastError());
        return 1;
    }
    return 0;
}

} // namespace pictoform::cli
