#include "sysicons/IconThemeSeed.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <system_error>

#include "sysicons/IconThemeOverlay.h"
#include "sysicons/SysIconSet.h"

namespace pictoform {

namespace fs = std::filesystem;

namespace {

constexpr std::array<const char*, 10> kSizes = {"32x32", "48x48", "24x24",   "64x64",   "22x22",
                                                "16x16", "96x96", "128x128", "256x256", "scalable"};

// The theme icon of each built-in object, in the built-in order.
constexpr std::array<const char*, 5> kObjectIcons = {"computer", "network-workgroup", "user-trash",
                                                     "user-trash-full", "folder-documents"};

bool IsFile(const fs::path& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

std::vector<fs::path> ContextDirs(const fs::path& sizeDir) {
    std::vector<fs::path> dirs;
    std::error_code ec;
    for (fs::directory_iterator it(sizeDir, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeEc;
        if (it->is_directory(typeEc)) dirs.push_back(it->path());
    }
    std::sort(dirs.begin(), dirs.end());
    return dirs;
}

} // namespace

std::vector<std::string> IconBaseDirs(const EnvironmentLookup& env) {
    std::vector<std::string> dirs{XdgDataHome(env) + "/icons"};
    for (const std::string& dir : XdgDataDirs(env)) dirs.push_back(dir + "/icons");
    return dirs;
}

std::optional<std::string> FindThemeIcon(const std::vector<std::string>& baseDirs,
                                         const std::string& iconName, const std::string& theme) {
    for (const std::string& name : ThemeChain(baseDirs, theme)) {
        for (const char* size : kSizes) {
            const bool scalable = std::string_view(size) == "scalable";
            for (const std::string& base : baseDirs) {
                for (const fs::path& context : ContextDirs(fs::path(base) / name / size)) {
                    const fs::path png = context / (iconName + ".png");
                    if (IsFile(png)) return png.string();
                    const fs::path svg = context / (iconName + ".svg");
                    if (scalable && IsFile(svg)) return svg.string();
                }
            }
        }
    }
    return std::nullopt;
}

void SeedSystemIconKeys(Registry& registry, const std::vector<std::string>& baseDirs,
                        std::optional<bool> trashEmpty, const std::string& theme) {
    const std::vector<SysIconItem> items = BuiltInSysIconItems();
    const bool empty = trashEmpty.value_or(true);
    for (size_t i = 0; i < items.size() && i < kObjectIcons.size(); ++i) {
        const std::optional<std::string> file = FindThemeIcon(baseDirs, kObjectIcons[i], theme);
        const bool trashItem = i == 2 || i == 3;
        for (const IconRegEntry& entry : items[i].entries) {
            (void)registry.CreateKey(entry.root, entry.keyPath);
            if (!file) continue;
            // The trash's default values show the state it is in.
            if (trashItem && entry.valueName.empty() && (i == 2) != empty) continue;
            (void)registry.WriteString(entry.root, entry.keyPath, entry.valueName, *file + ",0");
        }
    }
}

void SeedFromDesktopTheme(Registry& registry, const EnvironmentLookup& env,
                          std::optional<bool> trashEmpty) {
    SeedSystemIconKeys(registry, IconBaseDirs(env), trashEmpty,
                       CurrentIconTheme(env, GnomeIconThemeSetting));
}

} // namespace pictoform
