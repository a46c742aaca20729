#include "sysicons/IconThemeOverlay.h"

#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <system_error>

#include "icon/IconFile.h"
#include "icon/ModuleResources.h"
#include "icon/PictureScale.h"
#include "icon/PngCodec.h"
#include "io/ByteReader.h"
#include "io/SafeFile.h"
#include "sysicons/DesktopShell.h"
#include "sysicons/Thumbnail.h"

extern char** environ;

namespace pictoform {

namespace fs = std::filesystem;

namespace {

std::string Trim(std::string text) {
    const auto blank = [](unsigned char c) { return std::isspace(c) || c == '\'' || c == '"'; };
    while (!text.empty() && blank(static_cast<unsigned char>(text.back()))) text.pop_back();
    size_t start = 0;
    while (start < text.size() && blank(static_cast<unsigned char>(text[start]))) ++start;
    return text.substr(start);
}

// An INI-style file read once: section -> key -> value. Empty values are
// left out; of a key given twice, the first counts.
using Ini = std::map<std::string, std::map<std::string, std::string>>;

Ini ReadIni(const std::string& path) {
    Ini ini;
    std::ifstream in(path);
    std::string line;
    std::string section;
    while (std::getline(in, line)) {
        const std::string trimmed = Trim(line);
        if (!trimmed.empty() && trimmed.front() == '[') {
            section = trimmed;
            continue;
        }
        const size_t equals = trimmed.find('=');
        if (equals == std::string::npos) continue;
        const std::string value = Trim(trimmed.substr(equals + 1));
        if (!value.empty()) ini[section].emplace(Trim(trimmed.substr(0, equals)), value);
    }
    return ini;
}

// The value of `key` in section [section]; nothing when it is missing.
std::optional<std::string> IniValue(const Ini& ini, const std::string& section,
                                    const std::string& key) {
    const auto inSection = ini.find("[" + section + "]");
    if (inSection == ini.end()) return std::nullopt;
    const auto found = inSection->second.find(key);
    if (found == inSection->second.end()) return std::nullopt;
    return found->second;
}

std::optional<std::string> IniValue(const std::string& path, const std::string& section,
                                    const std::string& key) {
    return IniValue(ReadIni(path), section, key);
}

std::vector<std::string> SplitList(const std::string& text) {
    std::vector<std::string> items;
    std::stringstream in(text);
    std::string item;
    while (std::getline(in, item, ',')) {
        item = Trim(item);
        if (!item.empty()) items.push_back(item);
    }
    return items;
}

struct ThemeIndex {
    std::vector<std::string> inherits;
    std::vector<std::pair<std::string, int>> dirs; // folder, pixels
};

// A theme's index.theme from the first base folder that has one.
std::optional<ThemeIndex> ReadThemeIndex(const std::vector<std::string>& baseDirs,
                                         const std::string& theme) {
    for (const std::string& base : baseDirs) {
        const std::string path = base + "/" + theme + "/index.theme";
        std::error_code ec;
        if (!fs::is_regular_file(path, ec)) continue;
        const Ini ini = ReadIni(path);
        ThemeIndex index;
        index.inherits = SplitList(IniValue(ini, "Icon Theme", "Inherits").value_or(""));
        for (const std::string& dir :
             SplitList(IniValue(ini, "Icon Theme", "Directories").value_or("") + "," +
                       IniValue(ini, "Icon Theme", "ScaledDirectories").value_or(""))) {
            const int size = std::atoi(IniValue(ini, dir, "Size").value_or("0").c_str());
            const int scale =
                std::max(1, std::atoi(IniValue(ini, dir, "Scale").value_or("1").c_str()));
            // A drawing folder is written at the largest size it serves, held to 256.
            const bool scalable = IniValue(ini, dir, "Type").value_or("") == "Scalable";
            const int maxSize = std::atoi(IniValue(ini, dir, "MaxSize").value_or("0").c_str());
            const int pixels = scalable ? std::min(std::max(size, maxSize), 256) : size * scale;
            if (pixels > 0 && pixels <= 1024) index.dirs.emplace_back(dir, pixels);
        }
        return index;
    }
    return std::nullopt;
}

bool HoldsIcon(const std::vector<std::string>& baseDirs, const std::string& theme,
               const std::string& dir, const std::string& iconName) {
    for (const std::string& base : baseDirs) {
        for (const char* ending : {".png", ".svg", ".xpm"}) {
            std::error_code ec;
            if (fs::is_regular_file(base + "/" + theme + "/" + dir + "/" + iconName + ending, ec))
                return true;
        }
    }
    return false;
}

} // namespace

std::optional<std::string> GnomeIconThemeSetting() {
    // Only where gsettings is installed; a missing program is no error.
    const char* path = std::getenv("PATH");
    bool found = false;
    std::stringstream dirs(path ? path : "");
    std::string dir;
    while (!found && std::getline(dirs, dir, ':')) {
        std::error_code ec;
        found = !dir.empty() && fs::is_regular_file(dir + "/gsettings", ec);
    }
    if (!found) return std::nullopt;
    FILE* pipe = popen("gsettings get org.gnome.desktop.interface icon-theme 2>/dev/null", "r");
    if (!pipe) return std::nullopt;
    std::array<char, 256> buffer{};
    std::string text;
    while (fgets(buffer.data(), static_cast<int>(buffer.size()), pipe)) text += buffer.data();
    const int status = pclose(pipe);
    text = Trim(text);
    if (status != 0 || text.empty()) return std::nullopt;
    return text;
}

std::string CurrentIconTheme(const EnvironmentLookup& env,
                             const std::function<std::optional<std::string>()>& gnomeSetting) {
    if (gnomeSetting) {
        if (std::optional<std::string> theme = gnomeSetting()) return *theme;
    }
    const std::string config = XdgConfigHome(env);
    if (auto theme = IniValue(config + "/gtk-3.0/settings.ini", "Settings", "gtk-icon-theme-name"))
        return *theme;
    if (auto theme = IniValue(config + "/kdeglobals", "Icons", "Theme")) return *theme;
    return "hicolor";
}

std::string ThemeIconNameOf(const std::string& itemName) {
    static const std::map<std::string, std::string> names = {
        {"My_Computer", "computer"},
        {"My_Documents", "folder-documents"},
        {"Network", "network-workgroup"},
        {"Recycle_Bin(Empty)", "user-trash"},
        {"Recycle_Bin(Full)", "user-trash-full"},
    };
    const auto found = names.find(itemName);
    return found == names.end() ? std::string() : found->second;
}

std::vector<std::string> ThemeChain(const std::vector<std::string>& baseDirs,
                                    const std::string& theme) {
    std::vector<std::string> chain = {theme};
    // Bounded: a theme may name itself, or a ring of others.
    for (size_t i = 0; i < chain.size() && chain.size() < 32; ++i) {
        const std::optional<ThemeIndex> index = ReadThemeIndex(baseDirs, chain[i]);
        if (!index) continue;
        for (const std::string& parent : index->inherits) {
            if (std::find(chain.begin(), chain.end(), parent) == chain.end())
                chain.push_back(parent);
        }
    }
    if (std::find(chain.begin(), chain.end(), "hicolor") == chain.end()) chain.push_back("hicolor");
    return chain;
}

std::vector<ThemeIconDir> ThemeIconDirs(const std::vector<std::string>& baseDirs,
                                        const std::string& theme, const std::string& iconName) {
    for (const std::string& name : ThemeChain(baseDirs, theme)) {
        const std::optional<ThemeIndex> index = ReadThemeIndex(baseDirs, name);
        if (!index) continue;
        std::vector<ThemeIconDir> dirs;
        for (const auto& [dir, pixels] : index->dirs) {
            if (HoldsIcon(baseDirs, name, dir, iconName)) dirs.push_back({name, dir, pixels});
        }
        if (!dirs.empty()) return dirs;
    }
    return {};
}

std::optional<BgraPicture> PictureOfLocation(const std::string& path, int index, int side) {
    std::vector<uint8_t> bytes;
    std::string reason;
    BgraPicture picture;
    if (side < 1 || !ReadWholeFile(path, kMaxModuleFileBytes, bytes, reason) ||
        !ReadPictureForSide(bytes, index, side, picture, reason)) {
        return std::nullopt;
    }
    const PictureSize fitted = FitSize(picture.width, picture.height, side);
    BgraPicture square = CentreInSquare(ScalePicture(picture, fitted.width, fitted.height), side);
    if (!IsWhole(square)) return std::nullopt;
    return square;
}

IconThemeOverlay::IconThemeOverlay(std::string userIcons, std::vector<std::string> baseDirs,
                                   std::string theme, std::string manifest)
    : m_userIcons(std::move(userIcons)), m_baseDirs(std::move(baseDirs)), m_theme(std::move(theme)),
      m_manifest(std::move(manifest)) {}

std::vector<std::string> IconThemeOverlay::Written() const {
    std::vector<std::string> lines;
    std::ifstream in(m_manifest);
    std::string line;
    while (std::getline(in, line)) {
        if (line.find('\t') != std::string::npos) lines.push_back(line);
    }
    return lines;
}

void IconThemeOverlay::Save(const std::vector<std::string>& lines) const {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    std::error_code ec;
    fs::create_directories(fs::path(m_manifest).parent_path(), ec);
    std::string reason;
    (void)WriteFileAtomically(
        m_manifest, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()), reason);
}

bool IconThemeOverlay::Replace(const std::string& iconName, const std::string& path, int index,
                               std::string& reason) {
    Restore(iconName);
    struct Target {
        fs::path file;
        int pixels;
    };
    std::vector<Target> targets;
    // The icon, and its one-colour form where the theme has that (panels
    // draw it as a silhouette of the new picture).
    for (const std::string& name : {iconName, iconName + "-symbolic"}) {
        for (const ThemeIconDir& dir : ThemeIconDirs(m_baseDirs, m_theme, name)) {
            targets.push_back(
                {fs::path(m_userIcons) / dir.theme / dir.dir / (name + ".png"), dir.pixels});
        }
        if (targets.empty()) {
            reason = "the icon theme \"" + m_theme + "\" has no icon named \"" + iconName + "\"";
            return false;
        }
    }
    // A file already at a target is someone else's (a theme the user
    // installed in this folder): it is neither written over nor, later, removed.
    for (const Target& target : targets) {
        std::error_code ec;
        if (fs::exists(target.file, ec)) {
            reason = target.file.string() + " is there already and is not Pictoform's to replace";
            return false;
        }
    }
    // Every size is made before anything is written, so that a picture that
    // cannot be read leaves nothing behind.
    std::map<int, std::vector<uint8_t>> encoded;
    for (const Target& target : targets) {
        std::vector<uint8_t>& png = encoded[target.pixels];
        if (!png.empty()) continue;
        const std::optional<BgraPicture> picture = PictureOfLocation(path, index, target.pixels);
        if (!picture || !EncodePng(*picture, png, reason)) {
            if (reason.empty()) reason = "no icon could be read from " + path;
            return false;
        }
    }
    std::vector<std::string> lines = Written();
    const size_t before = lines.size();
    for (const Target& target : targets) {
        std::error_code ec;
        fs::create_directories(target.file.parent_path(), ec);
        if (!WriteFileAtomically(target.file.string(), encoded[target.pixels], reason)) {
            // Nothing half done: what this call wrote goes again.
            Save(lines);
            if (lines.size() > before) Restore(iconName);
            return false;
        }
        lines.push_back(iconName + "\t" + target.file.string());
    }
    Save(lines);
    Touch();
    return true;
}

void IconThemeOverlay::Restore(const std::string& iconName) {
    std::vector<std::string> kept;
    bool removed = false;
    bool listed = false;
    const fs::path root = fs::path(m_userIcons).lexically_normal();
    for (const std::string& line : Written()) {
        const size_t tab = line.find('\t');
        if (line.substr(0, tab) != iconName) {
            kept.push_back(line);
            continue;
        }
        listed = true;
        const fs::path file = fs::path(line.substr(tab + 1)).lexically_normal();
        // Only what lies in the user's icon folder is ours to remove.
        const std::string relative = file.lexically_relative(root).string();
        if (relative.empty() || relative.rfind("..", 0) == 0) continue;
        std::error_code ec;
        fs::remove(file, ec);
        removed = true;
        for (fs::path dir = file.parent_path(); dir != root && dir.has_relative_path();
             dir = dir.parent_path()) {
            if (!fs::is_empty(dir, ec) || ec || !fs::remove(dir, ec)) break;
        }
    }
    // Nothing listed for the name: nothing to write either.
    if (!listed) return;
    Save(kept);
    if (removed) Touch();
}

void IconThemeOverlay::Touch() const {
    const fs::path folder = fs::path(m_userIcons) / m_theme;
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) return;
    fs::last_write_time(folder, fs::file_time_type::clock::now(), ec);
    if (!fs::is_regular_file(folder / "icon-theme.cache", ec)) return;
    // A theme folder with a cache is read from the cache alone.
    std::string dir = folder.string();
    char program[] = "gtk-update-icon-cache";
    char quiet[] = "-q";
    char force[] = "-f";
    char* argv[] = {program, quiet, force, dir.data(), nullptr};
    pid_t pid = 0;
    if (posix_spawnp(&pid, program, nullptr, nullptr, argv, environ) == 0) {
        int status = 0;
        (void)waitpid(pid, &status, 0);
    }
}

} // namespace pictoform
