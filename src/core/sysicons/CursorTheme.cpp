#include "sysicons/CursorTheme.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <system_error>

#include "icon/IconFile.h"
#include "icon/PictureScale.h"
#include "icon/PngCodec.h"
#include "icon/XcursorFile.h"
#include "io/Limits.h"
#include "io/SafeFile.h"
#include "platform/UiServices.h"
#include "sysicons/DesktopShell.h"

namespace pictoform {

namespace fs = std::filesystem;

namespace {

// What a theme made here says of itself in its index.theme.
constexpr const char* kMadeHere = "Comment=Cursor theme made with Pictoform";

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string Trim(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    const size_t last = text.find_last_not_of(" \t\r\n");
    return std::string(text.substr(first, last - first + 1));
}

std::string Unquoted(std::string_view text) {
    std::string out = Trim(text);
    if (out.size() >= 2 && out.front() == '"' && out.back() == '"')
        out = out.substr(1, out.size() - 2);
    return out;
}

// Windows writes .inf files in UTF-16 as often as in an 8-bit code page,
// and editors save them in UTF-8 with a byte order mark.
std::string InfAsUtf8(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF")) return std::string(bytes.substr(3));
    if (bytes.size() < 2 || static_cast<uint8_t>(bytes[0]) != 0xFF ||
        static_cast<uint8_t>(bytes[1]) != 0xFE) {
        return std::string(bytes);
    }
    std::string out;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
        const unsigned unit = static_cast<uint8_t>(bytes[i]) | static_cast<uint8_t>(bytes[i + 1])
                                                                   << 8;
        // File and scheme names outside ASCII are kept as UTF-8; surrogate
        // pairs are rare enough in them to become '?'.
        if (unit < 0x80) {
            out += static_cast<char>(unit);
        } else if (unit < 0x800) {
            out += static_cast<char>(0xC0 | unit >> 6);
            out += static_cast<char>(0x80 | (unit & 0x3F));
        } else if (unit >= 0xD800 && unit < 0xE000) {
            out += '?';
        } else {
            out += static_cast<char>(0xE0 | unit >> 12);
            out += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (unit & 0x3F));
        }
    }
    return out;
}

// An .inf line up to its comment: a ';' outside quotes.
std::string WithoutComment(std::string_view line) {
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"') quoted = !quoted;
        if (line[i] == ';' && !quoted) return std::string(line.substr(0, i));
    }
    return std::string(line);
}

// The comma-separated fields of an .inf line, quotes removed; a ';' outside
// quotes starts a comment.
std::vector<std::string> InfFields(std::string_view line) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (const char c : line) {
        if (c == '"') {
            quoted = !quoted;
        } else if (c == ';' && !quoted) {
            break;
        } else if (c == ',' && !quoted) {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    for (std::string& field : fields) field = Trim(field);
    return fields;
}

// %name% replaced by its [Strings] value (names the file does not define,
// such as %10% for the Windows folder, become nothing).
std::string Expand(std::string_view text, const std::map<std::string, std::string>& strings) {
    std::string out;
    size_t at = 0;
    while (at < text.size()) {
        const size_t open = text.find('%', at);
        const size_t close = open == std::string_view::npos ? open : text.find('%', open + 1);
        if (close == std::string_view::npos) {
            out += text.substr(at);
            break;
        }
        out += text.substr(at, open - at);
        const auto found = strings.find(Lower(text.substr(open + 1, close - open - 1)));
        if (found != strings.end()) out += found->second;
        at = close + 1;
    }
    return out;
}

std::string BaseName(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    return Trim(slash == std::string::npos ? path : path.substr(slash + 1));
}

// Letters, digits and a few marks: a name that is safe as one folder and in
// an .inf's quotes.
std::string SafeName(std::string_view name) {
    std::string out;
    for (const char c : name) {
        const bool plain = std::isalnum(static_cast<unsigned char>(c)) || c == ' ' || c == '-' ||
                           c == '_' || c == '.' || c == '(' || c == ')' ||
                           static_cast<unsigned char>(c) >= 0x80;
        out += plain ? c : '_';
    }
    out = Trim(out);
    if (out.empty() || out == "." || out == "..") return "Cursors";
    return out;
}

std::optional<size_t> RoleOfWindowsName(std::string_view name) {
    const std::string wanted = Lower(name);
    const std::span<const CursorRole> roles = CursorRoles();
    for (size_t i = 0; i < roles.size(); ++i) {
        if (Lower(roles[i].windowsName) == wanted) return i;
    }
    return std::nullopt;
}

bool ReadText(const fs::path& path, uintmax_t limit, std::string& text, std::string& reason) {
    std::error_code ec;
    const uintmax_t size = fs::file_size(path, ec);
    if (ec || size > limit) {
        reason = ec ? "cannot read " + path.string() + " (" + ec.message() + ")"
                    : path.string() + " is too large to be an install.inf";
        return false;
    }
    text.clear();
    if (size == 0) return true;
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    if (!in || !(all << in.rdbuf())) {
        reason = "cannot read " + path.string();
        return false;
    }
    text = all.str();
    return true;
}

// A folder's entry by name, whatever the letter case (Windows sets name
// their files without caring for it).
std::optional<fs::path> FindFile(const fs::path& folder, const std::string& name) {
    const std::string wanted = Lower(name);
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) {
        if (Lower(entry.path().filename().string()) == wanted && entry.is_regular_file(ec)) {
            return entry.path();
        }
    }
    return std::nullopt;
}

// A folder as given ("out/", "./out", ".") made whole and absolute, so that
// its name and the folder beside it are what the user meant.
fs::path FolderOf(const std::string& given) {
    std::error_code ec;
    fs::path path = fs::absolute(given, ec).lexically_normal();
    if (!path.has_filename() && path != path.root_path()) path = path.parent_path();
    return path;
}

// A fresh folder beside `out` to build in, so that `out` only ever holds a
// whole result.
bool StartFolder(const fs::path& out, bool replace, fs::path& building, std::string& reason) {
    std::error_code ec;
    if (!replace && fs::exists(out, ec) && !fs::is_empty(out, ec)) {
        reason = out.string() + " already exists and is not empty";
        return false;
    }
    if (out == out.root_path()) {
        reason = "a theme cannot be made in " + out.string();
        return false;
    }
    const fs::path parent = out.parent_path();
    fs::create_directories(parent, ec);
    building = parent / (".tmp-" + out.filename().string() + "-" + std::to_string(::getpid()));
    fs::remove_all(building, ec);
    if (!fs::create_directory(building, ec)) {
        reason = "cannot make a folder in " + parent.string() + " (" + ec.message() + ")";
        return false;
    }
    return true;
}

// Moves the finished folder into place in one step: over an empty folder
// (or none) by renaming, over an earlier theme by exchanging the two, so
// that neither is ever missing or half there.
bool FinishFolder(const fs::path& building, const fs::path& out, bool replace,
                  std::string& reason) {
    std::error_code ec;
    const bool exchange = replace && fs::exists(out, ec) && !fs::is_empty(out, ec);
    const int moved =
        exchange ? ::renameat2(AT_FDCWD, building.c_str(), AT_FDCWD, out.c_str(), RENAME_EXCHANGE)
                 : ::rename(building.c_str(), out.c_str());
    if (moved != 0) {
        const int error = errno;
        reason = error == ENOTEMPTY || error == EEXIST
                     ? out.string() + " already exists and is not empty"
                     : "cannot make " + out.string() + " (" + std::strerror(error) + ")";
        fs::remove_all(building, ec);
        return false;
    }
    // After an exchange the building folder holds the earlier theme.
    if (exchange) fs::remove_all(building, ec);
    return true;
}

bool WriteText(const fs::path& path, const std::string& text, std::string& reason) {
    return WriteFileAtomically(
        path.string(), std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()),
        reason);
}

// A decoded cursor image (bottom row first) at side x side, its shape kept
// and centred, its hot spot moved with it; top row first for the writers.
IconImageRec CursorAtSize(const IconImageRec& rec, int side) {
    const BgraPicture picture{rec.width, rec.height, BgraOfRecord(rec)};
    const PictureSize fitted = FitSize(rec.width, rec.height, side);
    const BgraPicture square =
        CentreInSquare(ScalePicture(picture, fitted.width, fitted.height), side);
    IconImageRec out = RecordFromPng(square, false);
    const HotSpot spot = rec.hotSpot.value_or(HotSpot{});
    const auto place = [side](int v, int from, int to) {
        const int64_t at = (side - to) / 2 + int64_t{v} * to / std::max(from, 1);
        return static_cast<uint16_t>(std::clamp<int64_t>(at, 0, side - 1));
    };
    out.hotSpot =
        HotSpot{place(spot.x, rec.width, fitted.width), place(spot.y, rec.height, fitted.height)};
    out.frameTime = rec.frameTime;
    return out;
}

// The images one role's Xcursor file holds, top row first: an animated
// cursor step by step (each size in turn when sizes are given), a still
// one's images as they are or at each size.
bool XcursorImagesOf(const std::string& path, std::span<const int> sizes,
                     std::vector<IconImageRec>& images, std::string& reason) {
    CIconFile engine;
    if (!engine.ReadIconFile(path)) {
        reason = "cannot read " + path + ": " + engine.LastError();
        return false;
    }
    // An animated cursor is the one kind read without an icon or cursor type.
    const bool animated = engine.FileType() == 0 && !engine.IsXcursor();
    const AnimationInfo order = engine.Animation();
    std::vector<IconImageRec> read = engine.TakeImages();
    std::vector<IconImageRec> frames;
    if (animated) frames = FramesByStep(read, order);
    images.clear();
    if (sizes.empty()) {
        for (IconImageRec& rec : animated ? frames : read) {
            FlipRows(rec);
            // Nominal sizes are each image's own width.
            rec.xcursor = {};
            images.push_back(std::move(rec));
        }
        return true;
    }
    for (const int side : sizes) {
        if (animated) {
            for (const IconImageRec& frame : frames) images.push_back(CursorAtSize(frame, side));
        } else if (const IconImageRec* best = NearestImage(read, side)) {
            images.push_back(CursorAtSize(*best, side));
        }
    }
    return true;
}

std::string ThemeName(const fs::path& theme) {
    std::string text, reason;
    if (ReadText(theme / "index.theme", kMaxInfBytes, text, reason)) {
        std::istringstream lines(text);
        std::string line;
        while (std::getline(lines, line)) {
            if (line.rfind("Name=", 0) == 0) return SafeName(Trim(line.substr(5)));
        }
    }
    return SafeName(FolderOf(theme.string()).filename().string());
}

} // namespace

std::span<const CursorRole> CursorRoles() {
    static const std::array<CursorRole, kCursorRoleCount> roles = {{
        {"Arrow",
         "Normal Select",
         "pointer",
         {"arrow", "normal", "normal select", "default"},
         {"default", "left_ptr", "arrow", "top_left_arrow"}},
        {"Help",
         "Help Select",
         "help",
         {"help select", "question"},
         {"help", "question_arrow", "whats_this", "left_ptr_help",
          "5c6cd98b3f3ebcb1f9c7f1c204630408", "d9ce0ab605698f320427677b458ad60b"}},
        {"AppStarting",
         "Working in Background",
         "working",
         {"appstarting", "work", "working in background", "background"},
         {"progress", "left_ptr_watch", "half-busy", "3ecb610c1bf2410f44200f48c40d3599",
          "08e8e1c95fe2fc01f976f1e063a24ccd", "00000000000000020006000e7e9ffc3f"}},
        {"Wait", "Busy", "busy", {"wait"}, {"wait", "watch"}},
        {"Crosshair",
         "Precision Select",
         "precision",
         {"crosshair", "cross", "precision select"},
         {"crosshair", "cross", "tcross", "cross_reverse", "diamond_cross"}},
        {"IBeam",
         "Text Select",
         "text",
         {"ibeam", "beam", "text select"},
         {"text", "xterm", "ibeam"}},
        {"NWPen", "Handwriting", "handwriting", {"nwpen", "pen"}, {"pencil"}},
        {"No",
         "Unavailable",
         "unavailable",
         {"no", "unavail"},
         {"not-allowed", "no-drop", "forbidden", "crossed_circle", "circle",
          "03b6e0fcb3499374a867c041f52298f0"}},
        {"SizeNS",
         "Vertical Resize",
         "vert",
         {"sizens", "vertical resize", "vertical"},
         {"ns-resize", "row-resize", "size_ver", "sb_v_double_arrow", "v_double_arrow", "n-resize",
          "s-resize", "top_side", "bottom_side", "double_arrow", "00008160000006810000408080010102",
          "2870a09082c103050810ffdffffe0204"}},
        {"SizeWE",
         "Horizontal Resize",
         "horz",
         {"sizewe", "horizontal resize", "horizontal"},
         {"ew-resize", "col-resize", "size_hor", "sb_h_double_arrow", "h_double_arrow", "e-resize",
          "w-resize", "left_side", "right_side", "028006030e0e7ebffc7f7070c0600140",
          "14fef782d02440884392942c11205230"}},
        {"SizeNWSE",
         "Diagonal Resize 1",
         "dgn1",
         {"sizenwse", "diagonal resize 1", "diagonal1"},
         {"nwse-resize", "size_fdiag", "bd_double_arrow", "nw-resize", "se-resize",
          "top_left_corner", "bottom_right_corner", "c7088f0f3e6c8088236ef8e1e3e70000"}},
        {"SizeNESW",
         "Diagonal Resize 2",
         "dgn2",
         {"sizenesw", "diagonal resize 2", "diagonal2"},
         {"nesw-resize", "size_bdiag", "fd_double_arrow", "ne-resize", "sw-resize",
          "top_right_corner", "bottom_left_corner", "fcf1c3c7cd4491d801f1e1c78f100000"}},
        {"SizeAll",
         "Move",
         "move",
         {"sizeall"},
         {"move", "all-scroll", "fleur", "size_all", "4498f0e0c1937ffe01fd06f973665830",
          "9081237383d90e509aa00f00170e968f"}},
        {"UpArrow",
         "Alternate Select",
         "alternate",
         {"uparrow", "alternate select", "up"},
         {"up-arrow", "center_ptr", "sb_up_arrow"}},
        {"Hand",
         "Link Select",
         "link",
         {"hand", "link select"},
         {"pointer", "hand2", "hand1", "hand", "pointing_hand", "e29285e634086352946a0e7090d73106",
          "9d800788f1b08800ae810202380a0822"}},
        {"Pin", "Location Select", "pin", {"location select", "location"}, {"pin"}},
        {"Person", "Person Select", "person", {"person select"}, {"person"}},
    }};
    return roles;
}

bool ParseInstallInf(std::string_view text, CursorSet& scheme, std::string& reason) {
    scheme = {};
    // Continued lines joined, then [Strings] read before anything is expanded.
    std::vector<std::string> lines;
    std::istringstream in{InfAsUtf8(text)};
    std::string line;
    bool continued = false;
    while (std::getline(in, line)) {
        // A comment ends its line, even one that ends in a backslash.
        line = Trim(WithoutComment(line));
        if (continued) {
            lines.back() += line;
        } else {
            lines.push_back(line);
        }
        continued = !lines.back().empty() && lines.back().back() == '\\';
        if (continued) lines.back().pop_back();
    }
    std::map<std::string, std::string> strings;
    std::string section;
    for (const std::string& l : lines) {
        if (!l.empty() && l.front() == '[') {
            section = Lower(Trim(l.substr(1, l.find(']') - 1)));
        } else if (section == "strings" && l.find('=') != std::string::npos && l.front() != ';') {
            const size_t eq = l.find('=');
            strings[Lower(Trim(l.substr(0, eq)))] = Unquoted(l.substr(eq + 1));
        }
    }
    bool found = false;
    for (const std::string& l : lines) {
        const std::vector<std::string> fields = InfFields(l);
        if (fields.size() < 3 || Lower(fields[0]) != "hkcu") continue;
        const std::string key = Lower(fields[1]);
        if (key == "control panel\\cursors\\schemes" && fields.size() >= 5) {
            // HKCU,"Control Panel\Cursors\Schemes","name",,"file,file,..."
            scheme.name = Expand(fields[2], strings);
            std::vector<std::string> list(1);
            for (const char c : Expand(fields.back(), strings)) {
                if (c == ',') {
                    list.emplace_back();
                } else {
                    list.back() += c;
                }
            }
            // The list itself may hold %names% that stand for several files.
            for (size_t i = 0; i < list.size() && i < kCursorRoleCount; ++i) {
                scheme.files[i] = BaseName(list[i]);
            }
            found = true;
        } else if (key == "control panel\\cursors" && fields.size() >= 5) {
            // HKCU,"Control Panel\Cursors",Arrow,0x00020000,"file": one role.
            const std::optional<size_t> role = RoleOfWindowsName(fields[2]);
            if (role && scheme.files[*role].empty()) {
                scheme.files[*role] = BaseName(Expand(fields.back(), strings));
                found = true;
            }
        }
    }
    if (!found) {
        reason = "it names no cursor scheme (no HKCU,\"Control Panel\\Cursors\\Schemes\" line)";
        return false;
    }
    if (scheme.name.empty() && strings.count("scheme_name")) scheme.name = strings["scheme_name"];
    return true;
}

std::string InstallInfText(const CursorSet& set) {
    const std::string name = SafeName(set.name);
    const std::span<const CursorRole> roles = CursorRoles();
    std::string list, files, strings;
    for (size_t i = 0; i < roles.size(); ++i) {
        if (i) list += ",";
        if (set.files[i].empty()) continue;
        list += std::string("%10%\\%CUR_DIR%\\%") + roles[i].fileName + "%";
        files += set.files[i] + "\r\n";
        strings += std::string(roles[i].fileName) + " = \"" + set.files[i] + "\"\r\n";
    }
    return "; Right-click and choose Install, then pick \"" + name +
           "\" in Mouse Properties > Pointers.\r\n"
           "[Version]\r\nsignature=\"$CHICAGO$\"\r\n\r\n"
           "[DefaultInstall]\r\nCopyFiles = Scheme.Cur\r\nAddReg = Scheme.Reg\r\n\r\n"
           "[DestinationDirs]\r\nScheme.Cur = 10,\"%CUR_DIR%\"\r\n\r\n"
           "[Scheme.Reg]\r\nHKCU,\"Control Panel\\Cursors\\Schemes\",\"%SCHEME_NAME%\",,\"" +
           list + "\"\r\n\r\n[Scheme.Cur]\r\n" + files + "\r\n[Strings]\r\nCUR_DIR = \"Cursors\\" +
           name + "\"\r\nSCHEME_NAME = \"" + name + "\"\r\n" + strings;
}

bool ReadWindowsCursorSet(const std::string& folder, CursorSet& set, std::string& reason) {
    set = {};
    const fs::path dir(folder);
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) {
        reason = folder + " is not a folder";
        return false;
    }
    if (const std::optional<fs::path> inf = FindFile(dir, "install.inf")) {
        std::string text;
        if (!ReadText(*inf, kMaxInfBytes, text, reason)) return false;
        if (!ParseInstallInf(text, set, reason)) {
            reason = inf->string() + ": " + reason;
            return false;
        }
        for (std::string& file : set.files) {
            if (file.empty()) continue;
            const std::optional<fs::path> path = FindFile(dir, file);
            if (!path) {
                reason = "install.inf names " + file + ", which is not in " + folder;
                return false;
            }
            file = path->string();
        }
    } else {
        const std::span<const CursorRole> roles = CursorRoles();
        for (const fs::directory_entry& entry : fs::directory_iterator(dir, ec)) {
            const std::string ending = Lower(entry.path().extension().string());
            if (ending != ".cur" && ending != ".ani") continue;
            const std::string stem = Lower(entry.path().stem().string());
            for (size_t i = 0; i < roles.size(); ++i) {
                const bool named = stem == roles[i].fileName ||
                                   Lower(roles[i].windowsName) == stem ||
                                   Lower(roles[i].title) == stem ||
                                   std::find(roles[i].fileNames.begin(), roles[i].fileNames.end(),
                                             stem) != roles[i].fileNames.end();
                // The first file of a role in name order, so that runs agree.
                if (named && (set.files[i].empty() || entry.path().string() < set.files[i])) {
                    set.files[i] = entry.path().string();
                }
            }
        }
    }
    if (std::all_of(set.files.begin(), set.files.end(),
                    [](const std::string& file) { return file.empty(); })) {
        reason = folder +
                 " holds no cursor of a known role (it needs an install.inf, or .cur and .ani "
                 "files named by role, such as pointer.cur or busy.ani)";
        return false;
    }
    if (set.name.empty()) set.name = FolderOf(folder).filename().string();
    set.name = SafeName(set.name);
    return true;
}

bool IsXcursorTheme(const std::string& folder) {
    std::error_code ec;
    return fs::is_directory(fs::path(folder) / "cursors", ec);
}

bool MakeXcursorTheme(const CursorSet& set, const std::string& out, std::span<const int> sizes,
                      bool replace, std::vector<std::string>& done, std::string& reason) {
    done.clear();
    fs::path building;
    const fs::path target = FolderOf(out);
    if (!StartFolder(target, replace, building, reason)) return false;
    std::error_code ec;
    const auto fail = [&building] {
        std::error_code ignored;
        fs::remove_all(building, ignored);
        return false;
    };
    fs::create_directory(building / "cursors", ec);
    const std::span<const CursorRole> roles = CursorRoles();
    for (size_t i = 0; i < roles.size(); ++i) {
        if (set.files[i].empty()) continue;
        std::vector<IconImageRec> images;
        std::vector<uint8_t> bytes;
        if (!XcursorImagesOf(set.files[i], sizes, images, reason)) return fail();
        if (!EncodeXcursor(images, bytes, reason)) {
            reason = set.files[i] + ": " + reason;
            return fail();
        }
        const fs::path cursors = building / "cursors";
        const std::string file(roles[i].xcursorNames.front());
        if (!WriteFileAtomically((cursors / file).string(), bytes, reason)) return fail();
        std::string line = std::string(roles[i].title) + ": " +
                           fs::path(set.files[i]).filename().string() + " -> cursors/" + file;
        for (size_t n = 1; n < roles[i].xcursorNames.size(); ++n) {
            fs::create_symlink(file, cursors / std::string(roles[i].xcursorNames[n]), ec);
            if (ec) {
                reason = "cannot link " + std::string(roles[i].xcursorNames[n]) + " (" +
                         ec.message() + ")";
                return fail();
            }
        }
        done.push_back(line + " (" + std::to_string(images.size()) +
                       (images.size() == 1 ? " image)" : " images)"));
    }
    const std::string index = "[Icon Theme]\nName=" + SafeName(set.name) + "\n" + kMadeHere + "\n";
    if (!WriteText(building / "index.theme", index, reason)) return fail();
    return FinishFolder(building, target, replace, reason);
}

bool MakeWindowsCursorSet(const std::string& theme, const std::string& out,
                          std::vector<std::string>& done, std::string& reason) {
    done.clear();
    if (!IsXcursorTheme(theme)) {
        reason = theme + " is not a cursor theme (it has no cursors folder)";
        return false;
    }
    fs::path building;
    const fs::path target = FolderOf(out);
    if (!StartFolder(target, false, building, reason)) return false;
    const auto fail = [&building] {
        std::error_code ignored;
        fs::remove_all(building, ignored);
        return false;
    };
    CursorSet set;
    set.name = ThemeName(theme);
    const std::span<const CursorRole> roles = CursorRoles();
    for (size_t i = 0; i < roles.size(); ++i) {
        // The first name the theme has for the role, links followed.
        std::optional<fs::path> source;
        for (const std::string_view name : roles[i].xcursorNames) {
            std::error_code ec;
            const fs::path path = fs::path(theme) / "cursors" / std::string(name);
            if (fs::is_regular_file(path, ec)) {
                source = path;
                break;
            }
        }
        if (!source) continue;
        CIconFile engine;
        if (!engine.ReadIconFile(source->string())) {
            reason = "cannot read " + source->string() + ": " + engine.LastError();
            return fail();
        }
        std::vector<IconImageRec> images = engine.TakeImages();
        // Images by nominal size in file order: more than one of a size is
        // an animation.
        std::map<uint32_t, std::vector<size_t>> bySize;
        for (size_t n = 0; n < images.size(); ++n) {
            const IconImageRec& rec = images[n];
            bySize[rec.xcursor.nominalSize ? rec.xcursor.nominalSize : uint32_t(rec.width)]
                .push_back(n);
        }
        const bool animated = std::any_of(bySize.begin(), bySize.end(),
                                          [](const auto& size) { return size.second.size() > 1; });
        std::vector<IconImageRec> written;
        if (animated) {
            // Windows shows one size of an animated cursor: the one nearest 32.
            const auto nearest =
                std::min_element(bySize.begin(), bySize.end(), [](const auto& a, const auto& b) {
                    const auto off = [](uint32_t s) { return s > 32 ? s - 32 : 32 - s; };
                    return off(a.first) < off(b.first);
                });
            for (const size_t n : nearest->second) written.push_back(images[n]);
        } else {
            for (const auto& size : bySize) written.push_back(images[size.second.front()]);
        }
        for (IconImageRec& rec : written) {
            FlipRows(rec);
            rec.png = rec.width > 256 || rec.height > 256;
        }
        const std::string file = std::string(roles[i].fileName) + (animated ? ".ani" : ".cur");
        const std::string path = (building / file).string();
        const bool ok = animated ? engine.WriteAnimatedCursor(path, written, kWriteCursor)
                                 : engine.WriteIconFile(path, written, kWriteCursor);
        if (!ok) {
            reason = "cannot write " + file + ": " + engine.LastError();
            return fail();
        }
        set.files[i] = file;
        done.push_back(std::string(roles[i].title) + ": cursors/" + source->filename().string() +
                       " -> " + file);
    }
    if (done.empty()) {
        reason = theme + " has no cursor of a role Windows knows";
        return fail();
    }
    if (!WriteText(building / "install.inf", InstallInfText(set), reason)) return fail();
    return FinishFolder(building, target, false, reason);
}

bool InstallCursorTheme(const CursorSet& set, const EnvironmentLookup& env, std::string& folder,
                        std::vector<std::string>& done, std::string& reason) {
    const std::string name = SafeName(set.name);
    // Desktops take the theme named "default" as the cursor when none is
    // chosen: installing one would choose it for the user.
    if (name == "default") {
        reason = "a theme named default would become the cursor of every program; give the set "
                 "another name";
        return false;
    }
    std::error_code ec;
    for (const std::string& base : XdgDataDirs(env)) {
        const fs::path system = fs::path(base) / "icons" / name;
        if (fs::exists(system, ec)) {
            reason = "the system has a theme of that name (" + system.string() +
                     "), which yours would hide; give the set another name";
            return false;
        }
    }
    const fs::path target = fs::path(XdgDataHome(env)) / "icons" / name;
    folder = target.string();
    if (fs::exists(target, ec)) {
        std::string index, ignored;
        const bool ours = ReadText(target / "index.theme", kMaxInfBytes, index, ignored) &&
                          index.find(kMadeHere) != std::string::npos;
        if (!ours) {
            reason = folder + " already exists and is not a cursor theme Pictoform made";
            return false;
        }
    }
    return MakeXcursorTheme(set, folder, {}, true, done, reason);
}

void InstallCursorThemeFromFolder(const std::string& folder, const EnvironmentLookup& env,
                                  UiServices& ui) {
    CursorSet set;
    std::string installed, reason;
    std::vector<std::string> done;
    if (!ReadWindowsCursorSet(folder, set, reason) ||
        !InstallCursorTheme(set, env, installed, done, reason)) {
        ui.ShowMessage("Cannot install " + folder + " as a cursor theme: " + reason + ".", "Error",
                       MessageIcon::Error, MessageButtons::Ok);
        return;
    }
    // Choosing the theme stays the user's: the program never changes it.
    ui.ShowMessage(
        "The cursor theme \"" + set.name + "\" (" + std::to_string(done.size()) +
            (done.size() == 1 ? " cursor" : " cursors") + ") is installed in " + installed +
            ".\n\nTo use it, choose it as the cursor theme in your desktop's settings (GNOME: "
            "Tweaks > Appearance > Cursor; KDE Plasma: System Settings > Cursors), or run:\n"
            "gsettings set org.gnome.desktop.interface cursor-theme '" +
            set.name + "'\n\nPrograms that are already open may show it after they restart.",
        "Install as Cursor Theme", MessageIcon::Information, MessageButtons::Ok);
}

} // namespace pictoform
