#pragma once
// The desktop's icon theme, and the user's own layer over it: an icon
// replaced for one of the desktop objects is written, at every size the
// theme has it in, into $XDG_DATA_HOME/icons/<theme>/, where every desktop
// that follows the freedesktop icon theme rules finds it before the
// system's; restoring removes exactly what was written. The system theme is
// never touched.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "image/BgraPicture.h"
#include "sysicons/XdgDirs.h"

namespace pictoform {

// What `gsettings get org.gnome.desktop.interface icon-theme` says, where
// gsettings exists; nothing otherwise.
[[nodiscard]] std::optional<std::string> GnomeIconThemeSetting();

// The theme the desktop shows: GNOME's setting, then GTK 3's settings.ini
// (gtk-icon-theme-name), then KDE's kdeglobals ([Icons] Theme), then "hicolor".
[[nodiscard]] std::string
CurrentIconTheme(const EnvironmentLookup& env,
                 const std::function<std::optional<std::string>()>& gnomeSetting);

// The theme icon name of a built-in desktop object by its item name
// ("My_Computer" is "computer"); empty for any other item.
[[nodiscard]] std::string ThemeIconNameOf(const std::string& itemName);

// The themes looked in for an icon of this theme: itself, the themes it
// inherits (by their index.theme, breadth first), then hicolor.
[[nodiscard]] std::vector<std::string> ThemeChain(const std::vector<std::string>& baseDirs,
                                                  const std::string& theme);

// One folder of a theme that holds an icon: the theme, the folder as the
// theme's index lists it ("48x48/places"), and the side in pixels its
// pictures have there.
struct ThemeIconDir {
    std::string theme;
    std::string dir;
    int pixels = 0;
    friend bool operator==(const ThemeIconDir&, const ThemeIconDir&) = default;
};

// The folders, in the first theme of the chain (the theme, the themes it
// inherits, then hicolor) that has the icon at all, that hold it in any of
// the base folders.
[[nodiscard]] std::vector<ThemeIconDir> ThemeIconDirs(const std::vector<std::string>& baseDirs,
                                                      const std::string& theme,
                                                      const std::string& iconName);

// The picture of an icon location (an icon or cursor file, a PNG picture, or
// a program's icon group by index) made side x side: from its image nearest
// the size (the smallest at least as large, else the largest), scaled with
// its shape kept. Nothing when there is none.
[[nodiscard]] std::optional<BgraPicture> PictureOfLocation(const std::string& path, int index,
                                                           int side);

class IconThemeOverlay {
public:
    // userIcons: $XDG_DATA_HOME/icons. baseDirs: every icons folder, the
    // user's first. manifest: the file listing what was written.
    IconThemeOverlay(std::string userIcons, std::vector<std::string> baseDirs, std::string theme,
                     std::string manifest);

    // Writes the location's icon for iconName at every size the theme has
    // it in; what an earlier Replace wrote for it goes first. False, with a
    // reason, when nothing could be written.
    [[nodiscard]] bool Replace(const std::string& iconName, const std::string& path, int index,
                               std::string& reason);
    // Removes what was written for iconName, and the folders left empty.
    void Restore(const std::string& iconName);
    // Every file written and not yet removed, as "iconName\tpath".
    [[nodiscard]] std::vector<std::string> Written() const;

private:
    void Save(const std::vector<std::string>& lines) const;
    // Newer modification time for the theme folder, and its cache updated
    // where it has one, so that desktops look again.
    void Touch() const;

    std::string m_userIcons;
    std::vector<std::string> m_baseDirs;
    std::string m_theme;
    std::string m_manifest;
};

} // namespace pictoform
