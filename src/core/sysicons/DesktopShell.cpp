#include "sysicons/DesktopShell.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <tuple>

#include "icon/IconFile.h"
#include "icon/IconViewerModel.h"
#include "icon/ModuleIcons.h"
#include "icon/PngCodec.h"
#include "io/ByteReader.h"
#include "sysicons/IconThemeOverlay.h"
#include "sysicons/IconThemeSeed.h"

namespace pictoform {

namespace fs = std::filesystem;

namespace {

// Pictures larger than this are not worth decoding for a 32 x 32 icon.
constexpr int32_t kMaxPictureSide = 4096;

bool EndsWithNoCase(const std::string& text, const std::string& tail) {
    if (text.size() < tail.size()) return false;
    return std::equal(tail.begin(), tail.end(), text.end() - static_cast<ptrdiff_t>(tail.size()),
                      [](char a, char b) {
                          return std::tolower(static_cast<unsigned char>(a)) ==
                                 std::tolower(static_cast<unsigned char>(b));
                      });
}

bool LooksLikeIconFile(std::span<const uint8_t> data) {
    return data.size() >= 6 && data[0] == 0 && data[1] == 0 && (data[2] == 1 || data[2] == 2) &&
           data[3] == 0;
}

bool LooksLikeModule(std::span<const uint8_t> data) {
    return data.size() >= 2 && data[0] == 'M' && data[1] == 'Z';
}

} // namespace

std::vector<uint8_t> BgraOfRecord(const IconImageRec& rec) {
    const size_t w = static_cast<size_t>(rec.width);
    const size_t h = static_cast<size_t>(rec.height);
    // Some 32-bit icons leave every alpha byte 0 and rely on their AND mask.
    const bool useAlpha = rec.HasAlpha() && std::any_of(rec.alpha.begin(), rec.alpha.end(),
                                                        [](uint8_t a) { return a != 0; });
    std::vector<uint8_t> bgra(w * h * 4, 0);
    for (size_t y = 0; y < h; ++y) {
        for (size_t x = 0; x < w; ++x) {
            const size_t p = (h - 1 - y) * w + x;
            const uint8_t alpha = useAlpha ? rec.alpha[p] : (rec.mask[p] ? 255 : 0);
            if (alpha == 0) continue;
            uint8_t* out = &bgra[(y * w + x) * 4];
            std::copy_n(&rec.colours[p * 3], 3, out);
            out[3] = alpha;
        }
    }
    return bgra;
}

ShellIcon ResampleBgra(int width, int height, std::span<const uint8_t> bgra, int side) {
    ShellIcon icon;
    icon.width = side;
    icon.height = side;
    const size_t n = static_cast<size_t>(side);
    icon.bgra.assign(n * n * 4, 0);
    const size_t w = static_cast<size_t>(width);
    const size_t h = static_cast<size_t>(height);
    if (w == 0 || h == 0 || bgra.size() < w * h * 4) return icon;
    for (size_t y = 0; y < n; ++y) {
        for (size_t x = 0; x < n; ++x) {
            const size_t p = (y * h / n) * w + x * w / n;
            // A transparent pixel's colour means nothing; keep it out of the list's blending.
            if (bgra[p * 4 + 3] == 0) continue;
            std::copy_n(&bgra[p * 4], 4, &icon.bgra[(y * n + x) * 4]);
        }
    }
    return icon;
}

std::optional<ShellIcon> IconFromIconData(std::span<const uint8_t> data) {
    CIconFile file;
    if (!file.ReadIconData(data) || file.Images().empty()) return std::nullopt;
    const std::vector<IconImageRec>& images = file.Images();
    constexpr int side = ShellIcon::kSide;
    auto key = [](const IconImageRec& rec) {
        const int distance = std::abs(rec.width - side) + std::abs(rec.height - side);
        return std::make_tuple(distance, -BitsPerPixelOf(rec.depth));
    };
    const auto best = std::min_element(
        images.begin(), images.end(),
        [&](const IconImageRec& a, const IconImageRec& b) { return key(a) < key(b); });
    if (!best->IsConsistent() || best->width <= 0 || best->height <= 0) return std::nullopt;
    const std::vector<uint8_t> bgra = BgraOfRecord(*best);
    return ResampleBgra(best->width, best->height, bgra, side);
}

std::optional<ShellIcon> IconFromPngData(std::span<const uint8_t> data) {
    PngPixels png;
    std::string reason;
    if (!DecodePng(data, kMaxPictureSide, png, reason)) return std::nullopt;
    return ResampleBgra(png.width, png.height, png.bgra, ShellIcon::kSide);
}

std::optional<ShellIcon> IconFromModuleData(std::span<const uint8_t> bytes, int index) {
    ModuleResources module;
    std::string reason;
    if (!module.Read(bytes, reason)) return std::nullopt;
    const std::vector<IconGroup> groups = IconGroupsOf(module);
    const IconGroup* group = nullptr;
    if (index >= 0) {
        if (static_cast<size_t>(index) < groups.size()) group = &groups[static_cast<size_t>(index)];
    } else {
        const auto id = static_cast<uint32_t>(-static_cast<int64_t>(index));
        const auto found = std::find_if(groups.begin(), groups.end(),
                                        [id](const IconGroup& g) { return g.name.IsId(id); });
        if (found != groups.end()) group = &*found;
    }
    if (group == nullptr) return std::nullopt;
    ShellIcon icon;
    icon.width = icon.height = ShellIcon::kSide;
    if (!BuildGroupPreview(module, *group, ShellIcon::kSide, icon.bgra)) return std::nullopt;
    return icon;
}

DesktopShell::DesktopShell(EnvironmentLookup env)
    : m_env(std::move(env)), m_themeSetting(GnomeIconThemeSetting) {}

void DesktopShell::ShowObjectIcons(const std::vector<ObjectIcon>& objects) {
    const std::string userIcons = XdgDataHome(m_env) + "/icons";
    IconThemeOverlay overlay(userIcons, IconBaseDirs(m_env),
                             CurrentIconTheme(m_env, m_themeSetting),
                             XdgConfigHome(m_env) + "/pictoform/icon-theme-overlay.txt");
    m_themeError.clear();
    for (const ObjectIcon& object : objects) {
        const std::string name = ThemeIconNameOf(object.item);
        if (name.empty()) continue;
        if (!object.replaced) {
            overlay.Restore(name);
            continue;
        }
        std::string reason;
        if (!overlay.Replace(name, object.path, object.index, reason)) m_themeError = reason;
    }
}

std::string DesktopShell::TrashFilesDir() const {
    return XdgDataHome(m_env) + "/Trash/files";
}

std::optional<bool> DesktopShell::IsTrashEmpty() const {
    const fs::path dir = TrashFilesDir();
    std::error_code ec;
    const fs::file_status status = fs::status(dir, ec);
    if (status.type() == fs::file_type::not_found) return true;
    if (ec || status.type() != fs::file_type::directory) return std::nullopt;
    fs::directory_iterator it(dir, ec);
    if (ec) return std::nullopt;
    return it == fs::directory_iterator();
}

std::optional<ShellIcon> DesktopShell::ExtractIcon(const std::string& path, int index) const {
    if (EndsWithNoCase(path, ".svg") || EndsWithNoCase(path, ".svgz")) {
        return index == 0 ? ExtractVectorIcon(path) : std::nullopt;
    }
    std::vector<uint8_t> bytes;
    std::string reason;
    if (!ReadWholeFile(path, kMaxModuleFileBytes, bytes, reason)) return std::nullopt;
    if (LooksLikeModule(bytes)) return IconFromModuleData(bytes, index);
    // A file that is one icon has only the index 0.
    if (index != 0) return std::nullopt;
    if (HasPngSignature(bytes)) return IconFromPngData(bytes);
    if (LooksLikeIconFile(bytes)) return IconFromIconData(bytes);
    return std::nullopt;
}

bool DesktopShell::Open(const std::string&) {
    return false;
}

std::optional<ShellIcon> DesktopShell::ExtractVectorIcon(const std::string&) const {
    return std::nullopt;
}

} // namespace pictoform
