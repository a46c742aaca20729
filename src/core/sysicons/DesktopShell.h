#pragma once
// The shell on a freedesktop.org desktop: the user's trash folder, icons read
// from icon and cursor files, PNG pictures and program modules, and the
// listeners that hear that icons changed. Vector pictures and opening
// documents need the toolkit; the desktop's subclass adds them.

#include <functional>
#include <span>

#include "icon/IconImageRec.h"
#include "platform/Shell.h"
#include "sysicons/XdgDirs.h"

namespace pictoform {

// The image of a decoded icon file nearest to 32 x 32 (exact first, then the
// least difference in size, then the most bits per pixel), as 32 x 32
// pixels; nothing for data that is no icon, cursor or PNG picture.
[[nodiscard]] std::optional<ShellIcon> IconFromIconData(std::span<const uint8_t> data);
[[nodiscard]] std::optional<ShellIcon> IconFromPngData(std::span<const uint8_t> data);
// The icon of a program module: index >= 0 counts its icon groups as the icon
// viewer does, a negative index names the group with identifier -index.
[[nodiscard]] std::optional<ShellIcon> IconFromModuleData(std::span<const uint8_t> module,
                                                          int index);
// A decoded record (bottom row first) as top-row-first BGRA; a 32-bit one
// whose alpha is all zero takes its transparency from the mask.
[[nodiscard]] std::vector<uint8_t> BgraOfRecord(const IconImageRec& rec);
// Top-row-first BGRA of any size resampled (nearest neighbour) to side x side.
[[nodiscard]] ShellIcon ResampleBgra(int width, int height, std::span<const uint8_t> bgra,
                                     int side);

class DesktopShell : public Shell {
public:
    explicit DesktopShell(EnvironmentLookup env = ProcessEnvironment());

    // Empty when $XDG_DATA_HOME/Trash/files holds nothing or does not exist.
    [[nodiscard]] std::optional<bool> IsTrashEmpty() const override;
    [[nodiscard]] std::optional<ShellIcon> ExtractIcon(const std::string& path,
                                                       int index) const override;
    // Nothing can be opened without the desktop.
    [[nodiscard]] bool Open(const std::string& target) override;
    // Replaced icons go into the user's layer over the current icon theme,
    // restored ones come out of it.
    void ShowObjectIcons(const std::vector<ObjectIcon>& objects) override;
    // Where the desktop's icon theme setting is read (GNOME's, by default).
    void SetThemeSetting(std::function<std::optional<std::string>()> setting) {
        m_themeSetting = std::move(setting);
    }
    // Why the last icon could not be put into the theme; empty when it was.
    [[nodiscard]] const std::string& ThemeError() const { return m_themeError; }

    [[nodiscard]] std::string TrashFilesDir() const;

protected:
    // An SVG picture as a 32 x 32 icon; nothing here.
    [[nodiscard]] virtual std::optional<ShellIcon> ExtractVectorIcon(const std::string& path) const;

private:
    EnvironmentLookup m_env;
    std::function<std::optional<std::string>()> m_themeSetting;
    std::string m_themeError;
};

} // namespace pictoform
