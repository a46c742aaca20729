#include "Commands.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <ostream>

#include "icon/IconFile.h"
#include "icon/ModuleIcons.h"
#include "icon/PngCodec.h"
#include "icon/ProjectFile.h"
#include "icon/XcursorFile.h"
#include "io/ByteReader.h"
#include "io/SafeFile.h"

namespace pictoform::cli {

namespace {

enum class Kind { kIcon, kCursor, kAnimated, kPng, kXcursor, kModule, kProject, kUnknown };

// --format's names, which choose the output kind whatever its name.
Kind KindOfFormat(const std::string& format) {
    if (format == "ico") return Kind::kIcon;
    if (format == "cur") return Kind::kCursor;
    if (format == "ani") return Kind::kAnimated;
    if (format == "png") return Kind::kPng;
    if (format == "xcursor") return Kind::kXcursor;
    if (format == "pfi") return Kind::kProject;
    return Kind::kUnknown;
}

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
    if (ext == "ani") return Kind::kAnimated;
    if (ext == "png") return Kind::kPng;
    if (ext == "exe" || ext == "dll" || ext == "icl") return Kind::kModule;
    if (ext == "pfi") return Kind::kProject;
    return Kind::kUnknown;
}

// The images of one input, top row first, as the writers take them.
struct LoadedFile {
    std::vector<IconImageRec> images;
    std::string kindName;
    bool cursor = false;
    bool animated = false;
    HotSpot loadedHotSpot;
    AnimationInfo animation;
};

// A project's formats as the images an icon file of it would hold, top row
// first, each format's layers composed.
bool LoadProject(std::span<const uint8_t> bytes, LoadedFile& out, std::string& reason) {
    LayerCounter counter;
    ProjectDocument document;
    if (!DecodeProject(bytes, counter, document, reason)) return false;
    out.images = BuildSaveList(document.formats);
    out.kindName = "Pictoform project";
    out.cursor = document.kind == "cur" || document.kind == "ani" || document.kind == "xcursor";
    out.animated = document.kind == "ani";
    out.animation = std::move(document.animation);
    return true;
}

// The images, each a format of one layer, as a project.
bool WriteProject(const std::string& path, const std::vector<IconImageRec>& images,
                  const AnimationInfo& animation, std::string& reason) {
    reason = DocumentTooLarge(images);
    if (!reason.empty()) return false;
    std::vector<IconImageRec> bottomFirst = images;
    for (IconImageRec& rec : bottomFirst) FlipRows(rec);
    LayerCounter counter;
    std::vector<std::unique_ptr<CIconFormat>> formats;
    if (!CreateFormatsFromImages(bottomFirst, counter, formats)) {
        reason = "an image cannot be made into a format";
        return false;
    }
    const bool cursor = std::any_of(images.begin(), images.end(), [](const IconImageRec& rec) {
        return rec.hotSpot.has_value();
    });
    const std::string kind = animation != AnimationInfo{} ? "ani" : cursor ? "cur" : "ico";
    std::vector<uint8_t> bytes;
    return EncodeProject(ProjectRefsOf(formats), animation, kind, bytes, reason) &&
           WriteFileAtomically(path, bytes, reason);
}

bool LoadPng(std::span<const uint8_t> bytes, LoadedFile& out, std::string& reason) {
    PngPixels png;
    if (!DecodePng(bytes, 256, png, reason)) return false;
    out.images.push_back(RecordFromPng(png, false));
    out.kindName = "PNG picture";
    return true;
}

// Which icon group of a program to take: the one asked for, or the only one.
bool ChooseGroup(std::span<const uint8_t> bytes, std::optional<int> index, int& chosen,
                 std::string& reason) {
    std::vector<IconGroup> groups;
    if (!ListModuleIconGroups(bytes, groups, reason)) return false;
    if (groups.empty()) {
        reason = "holds no icons";
        return false;
    }
    if (index) {
        if (*index >= static_cast<int>(groups.size())) {
            reason = "has " + std::to_string(groups.size()) + " icon groups, no group " +
                     std::to_string(*index);
            return false;
        }
        chosen = *index;
    } else if (groups.size() == 1) {
        chosen = 0;
    } else {
        reason = "holds " + std::to_string(groups.size()) +
                 " icon groups: choose one with --index N, or take them all with --all";
        return false;
    }
    return true;
}

bool LoadModuleGroup(std::span<const uint8_t> bytes, int index, LoadedFile& out,
                     std::string& reason) {
    CIconFile engine;
    if (!engine.LoadModuleIconData(bytes, index)) {
        reason = engine.LastError();
        return false;
    }
    out.kindName = "program";
    out.images = engine.TakeImages();
    for (IconImageRec& rec : out.images) FlipRows(rec);
    return true;
}

// An input whose bytes are already read; listed only, its images' planes
// stay empty (info describes them without decoding).
bool LoadBytes(const std::string& path, std::span<const uint8_t> bytes,
               std::optional<int> groupIndex, LoadedFile& out, std::string& reason,
               bool listOnly = false) {
    out = LoadedFile{};
    if (HasPngSignature(bytes)) return LoadPng(bytes, out, reason);
    if (IsProjectData(bytes)) return LoadProject(bytes, out, reason);
    if (KindOfName(path) == Kind::kPng) {
        reason = "not a PNG file";
        return false;
    }
    if (IsModuleData(bytes)) {
        int chosen = 0;
        return ChooseGroup(bytes, groupIndex, chosen, reason) &&
               LoadModuleGroup(bytes, chosen, out, reason);
    }
    CIconFile engine(out.loadedHotSpot);
    if (!(listOnly ? engine.ListIconData(bytes) : engine.ReadIconData(bytes))) {
        reason = engine.LastError();
        return false;
    }
    out.animated = IsAnimatedCursorData(bytes);
    out.cursor = !out.animated && (engine.FileType() == kCursorType || IsXcursorData(bytes));
    out.kindName = out.animated           ? "animated cursor"
                   : IsXcursorData(bytes) ? "Xcursor"
                   : out.cursor           ? "cursor"
                                          : "icon";
    out.animation = engine.Animation();
    out.images = engine.TakeImages();
    if (!listOnly) {
        for (IconImageRec& rec : out.images) FlipRows(rec);
    }
    return true;
}

bool LoadFile(const std::string& path, std::optional<int> groupIndex, LoadedFile& out,
              std::string& reason) {
    MappedFile file;
    const size_t limit =
        KindOfName(path) == Kind::kProject ? kMaxProjectFileBytes : kMaxIconFileBytes;
    return file.Open(path, limit, reason) && LoadBytes(path, file.Bytes(), groupIndex, out, reason);
}

// Gives an image another depth. Alpha does not survive a depth below 32: a
// pixel under half opacity becomes transparent, the others are laid over white.
void ChangeDepth(IconImageRec& rec, int32_t depth) {
    rec.storedPng.clear();
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
    rec.png = rec.png && depth == kDepth32;
    rec.palette.clear();
    rec.paletteSize = -1;
}

std::string PngName(const std::string& output, size_t index, const IconImageRec& rec) {
    std::string stem = output;
    if (KindOfName(stem) == Kind::kPng) stem.resize(stem.size() - 4);
    return stem + "-" + std::to_string(index) + "-" + std::to_string(rec.width) + "x" +
           std::to_string(rec.height) + ".png";
}

bool AddPng(FileBatch& batch, const std::string& path, const IconImageRec& rec,
            std::string& reason) {
    // A PNG the input stored is written as it came: nothing to convert.
    if (!rec.storedPng.empty()) return batch.Add(path, rec.storedPng, reason);
    std::vector<uint8_t> bytes;
    return EncodePlanesPng(rec.width, rec.height, rec.colours, rec.alpha, rec.mask, bytes,
                           reason) &&
           batch.Add(path, bytes, reason);
}

void Fail(std::ostream& err, const std::string& what, const std::string& path,
          const std::string& reason) {
    err << "pictoform-cli: cannot " << what << " '" << path << "': " << reason << "\n";
}

} // namespace

namespace {

std::string DescribeImage(int32_t width, int32_t height, int32_t depth) {
    const int bits = BitsPerPixelOf(depth);
    return std::to_string(width) + "x" + std::to_string(height) + ", depth " +
           std::to_string(depth) + " (" + std::to_string(bits) + (bits == 1 ? " bit" : " bits") +
           " per pixel)";
}

// A program: one line per icon group with its identifier and images.
bool InfoModule(const std::string& path, std::span<const uint8_t> bytes, std::ostream& out,
                std::ostream& err) {
    std::vector<IconGroup> groups;
    std::string reason;
    if (!ListModuleIconGroups(bytes, groups, reason)) {
        Fail(err, "read", path, reason);
        return false;
    }
    for (size_t i = 0; i < groups.size(); ++i) {
        const IconGroup& g = groups[i];
        out << path << "[" << i << "]: group " << (g.name.isString ? "\"" : "") << g.name.ToString()
            << (g.name.isString ? "\"" : "");
        if (!g.damage.empty()) {
            out << ", damaged: " << g.damage << "\n";
            continue;
        }
        out << ", " << g.entries.size() << (g.entries.size() == 1 ? " image" : " images");
        for (size_t e = 0; e < g.entries.size(); ++e) {
            const IconGroupEntry& entry = g.entries[e];
            // A group entry of 0 colours and 0 bits says nothing of its depth.
            int32_t depth = entry.bitCount >= 24 ? entry.bitCount
                            : entry.bitCount > 0 ? (1 << entry.bitCount)
                                                 : (entry.colourCount ? entry.colourCount : 0);
            out << (e == 0 ? ": " : "; ");
            if (IsValidDepthCode(depth)) {
                out << DescribeImage(entry.width, entry.height, depth);
            } else {
                out << entry.width << "x" << entry.height;
            }
        }
        out << "\n";
    }
    out << path << ": program, " << groups.size()
        << (groups.size() == 1 ? " icon group" : " icon groups") << "\n";
    return true;
}

} // namespace

int RunInfo(const std::vector<std::string>& files, std::ostream& out, std::ostream& err) {
    int status = 0;
    for (const std::string& path : files) {
        MappedFile mapped;
        std::string reason;
        if (!mapped.Open(path, kMaxIconFileBytes, reason)) {
            Fail(err, "read", path, reason);
            status = 1;
            continue;
        }
        const std::span<const uint8_t> bytes = mapped.Bytes();
        if (IsModuleData(bytes)) {
            if (!InfoModule(path, bytes, out, err)) status = 1;
            continue;
        }
        LoadedFile file;
        if (!LoadBytes(path, bytes, std::nullopt, file, reason, true)) {
            Fail(err, "read", path, reason);
            status = 1;
            continue;
        }
        for (size_t i = 0; i < file.images.size(); ++i) {
            const IconImageRec& rec = file.images[i];
            out << path << "[" << i << "]: " << DescribeImage(rec.width, rec.height, rec.depth);
            if (rec.png) out << ", PNG";
            if (rec.hotSpot) out << ", hot spot " << rec.hotSpot->x << "," << rec.hotSpot->y;
            if (file.animated) out << ", shown " << rec.frameTime << "/60 s";
            // What a desktop asks for and how long it shows the image.
            if (rec.xcursor.nominalSize != 0) out << ", nominal size " << rec.xcursor.nominalSize;
            if (rec.xcursor.delay) out << ", shown " << *rec.xcursor.delay << " ms";
            out << "\n";
        }
        out << path << ": " << file.kindName << ", " << file.images.size()
            << (file.images.size() == 1 ? " image" : " images") << "\n";
    }
    return status;
}

namespace {

// Writes the images in the file kind that the output's name asks for.
bool WriteImages(const std::string& output, Kind kind, std::vector<IconImageRec>& images,
                 const AnimationInfo& animation, std::optional<int> pngFrom, std::ostream& out,
                 std::ostream& err) {
    if (pngFrom) {
        // An image above 256 a side cannot be a bitmap and stays compressed.
        for (IconImageRec& rec : images) {
            rec.png = rec.depth == kDepth32 && ((rec.width >= *pngFrom && rec.height >= *pngFrom) ||
                                                rec.width > 256 || rec.height > 256);
        }
    }
    if (kind == Kind::kPng) {
        // One PNG per image, all or none: a failure to write one leaves no
        // part of the set behind and the files of an earlier run as they were.
        FileBatch batch;
        std::vector<std::string> names;
        std::string reason;
        for (size_t i = 0; i < images.size(); ++i) {
            names.push_back(PngName(output, i, images[i]));
            if (!AddPng(batch, names.back(), images[i], reason)) {
                Fail(err, "write", names.back(), reason);
                return false;
            }
        }
        if (!batch.Commit(reason)) {
            Fail(err, "write", batch.FailedPath(), reason);
            return false;
        }
        for (const std::string& name : names) out << name << "\n";
        return true;
    }
    if (kind == Kind::kProject) {
        std::string reason;
        const bool ok = WriteProject(output, images, animation, reason);
        if (!ok) Fail(err, "write", output, reason);
        return ok;
    }
    CIconFile engine;
    if (kind == Kind::kXcursor) {
        const bool ok = engine.WriteXcursorFile(output, images, animation);
        if (!ok) Fail(err, "write", output, engine.LastError());
        return ok;
    }
    // An animated cursor's frames are cursors when they carry hot spots (from
    // cursor inputs or --hotspot); frames made of icons stay icons.
    const bool hotSpots = std::any_of(images.begin(), images.end(), [](const IconImageRec& rec) {
        return rec.hotSpot.has_value();
    });
    const unsigned flags = kind == Kind::kCursor || (kind == Kind::kAnimated && hotSpots)
                               ? unsigned{kWriteCursor}
                               : 0u;
    const bool ok = kind == Kind::kAnimated
                        ? engine.WriteAnimatedCursor(output, images, flags, animation)
                        : engine.WriteIconFile(output, images, flags);
    if (!ok) Fail(err, "write", output, engine.LastError());
    return ok;
}

std::string BaseName(const std::string& path) {
    std::string name = path.substr(path.find_last_of('/') + 1);
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) name.resize(dot);
    return name;
}

// A group's name as part of a file name: identifiers as they are, names
// with anything but letters, digits, '-' and '_' replaced.
std::string FileNamePart(const ResourceName& name) {
    std::string text = name.ToString();
    for (char& ch : text) {
        if (!std::isalnum(static_cast<unsigned char>(ch)) && ch != '-' && ch != '_') ch = '_';
    }
    return text;
}

// Every icon group of one program into a folder, one icon file each.
int ExtractAll(const ConvertOptions& options, std::ostream& out, std::ostream& err) {
    if (options.inputs.size() != 1) {
        err << "pictoform-cli: --all takes exactly one program\n";
        return 1;
    }
    const std::string& path = options.inputs.front();
    MappedFile mapped;
    std::string reason;
    bool ok = mapped.Open(path, kMaxIconFileBytes, reason);
    const std::span<const uint8_t> bytes = mapped.Bytes();
    if (ok && !IsModuleData(bytes)) {
        reason = "not a program or library";
        ok = false;
    }
    ModuleResources module;
    if (!ok || !module.Read(bytes, reason)) {
        Fail(err, "read", path, reason);
        return 1;
    }
    const std::vector<IconGroup> groups = IconGroupsOf(module);
    if (groups.empty()) {
        Fail(err, "read", path, "holds no icons");
        return 1;
    }
    std::error_code ec;
    std::filesystem::create_directories(options.output, ec);
    if (!std::filesystem::is_directory(options.output)) {
        Fail(err, "write", options.output, ec ? ec.message() : "not a folder");
        return 1;
    }
    int status = 0;
    // Nothing to convert: each group's images go out as the program holds
    // them, checked but not decoded.
    const bool asTheyAre = !options.depth && !options.pngFrom;
    std::vector<uint8_t> file;
    for (size_t i = 0; i < groups.size(); ++i) {
        const std::string label = path + "[" + std::to_string(i) + "]";
        const std::string name = options.output + "/" + BaseName(path) + "-" + std::to_string(i) +
                                 "-" + FileNamePart(groups[i].name) + ".ico";
        if (asTheyAre) {
            if (!ModuleGroupAsIconFile(module, groups[i], file, reason)) {
                Fail(err, "read", label, reason);
                status = 1;
            } else if (!WriteFileAtomically(name, file, reason)) {
                Fail(err, "write", name, reason);
                status = 1;
            } else {
                out << name << "\n";
            }
            continue;
        }
        LoadedFile group;
        if (!LoadModuleGroup(bytes, static_cast<int>(i), group, reason)) {
            Fail(err, "read", label, reason);
            status = 1;
            continue;
        }
        if (options.depth) {
            for (IconImageRec& rec : group.images) ChangeDepth(rec, *options.depth);
        }
        if (!WriteImages(name, Kind::kIcon, group.images, {}, options.pngFrom, out, err)) {
            status = 1;
            continue;
        }
        out << name << "\n";
    }
    return status;
}

} // namespace

int RunConvert(const ConvertOptions& options, std::ostream& out, std::ostream& err) {
    if (options.all) return ExtractAll(options, out, err);
    const Kind outKind =
        options.format ? KindOfFormat(*options.format) : KindOfName(options.output);
    if (outKind != Kind::kIcon && outKind != Kind::kCursor && outKind != Kind::kAnimated &&
        outKind != Kind::kPng && outKind != Kind::kXcursor && outKind != Kind::kProject) {
        Fail(err, "write", options.output,
             "unknown file type (use .ico, .cur, .ani, .png or .pfi, or --format xcursor)");
        return 1;
    }
    std::vector<IconImageRec> images;
    // An animated cursor converted alone keeps its order of frames and names.
    AnimationInfo animation;
    for (const std::string& path : options.inputs) {
        LoadedFile file;
        std::string reason;
        if (!LoadFile(path, options.index, file, reason)) {
            Fail(err, "read", path, reason);
            return 1;
        }
        if (options.inputs.size() == 1) animation = file.animation;
        for (IconImageRec& rec : file.images) {
            if (options.depth) ChangeDepth(rec, *options.depth);
            images.push_back(std::move(rec));
        }
    }
    if (options.hotSpot) {
        for (IconImageRec& rec : images) {
            rec.hotSpot = HotSpot{static_cast<uint16_t>(options.hotSpot->first),
                                  static_cast<uint16_t>(options.hotSpot->second)};
        }
    }
    return WriteImages(options.output, outKind, images, animation, options.pngFrom, out, err) ? 0
                                                                                              : 1;
}

} // namespace pictoform::cli
