#pragma once
// A new icon registry starts with the icons the desktop shows today for the
// five built-in objects, found in the icon themes, so that the dialog has
// real icons to show and back up from the start.

#include <optional>
#include <string>
#include <vector>

#include "platform/Registry.h"
#include "sysicons/XdgDirs.h"

namespace pictoform {

// $XDG_DATA_HOME/icons, then <dir>/icons for each of $XDG_DATA_DIRS.
[[nodiscard]] std::vector<std::string> IconBaseDirs(const EnvironmentLookup& env);

// The file of a named icon: the theme, the themes it inherits, then
// "hicolor"; sizes 32x32, 48x48, 24x24, 64x64, then larger and smaller ones,
// then scalable; in each, the base folders in order and their context
// folders by name. Nothing when no theme has it.
[[nodiscard]] std::optional<std::string> FindThemeIcon(const std::vector<std::string>& baseDirs,
                                                       const std::string& iconName,
                                                       const std::string& theme = "Adwaita");

// Creates the keys of the five built-in objects and stores "<file>,0" in
// each of their values whose icon was found. The trash's default values get
// the empty or the full icon by its state (empty when unknown).
void SeedSystemIconKeys(Registry& registry, const std::vector<std::string>& baseDirs,
                        std::optional<bool> trashEmpty, const std::string& theme = "Adwaita");
// The same from the icon folders and the theme the desktop uses now.
void SeedFromDesktopTheme(Registry& registry, const EnvironmentLookup& env,
                          std::optional<bool> trashEmpty);

} // namespace pictoform
