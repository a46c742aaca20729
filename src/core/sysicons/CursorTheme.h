#pragma once
// Cursor themes: a set of Windows cursors (named by an install.inf, or by
// the roles they play) made into an Xcursor theme that X11 and Wayland
// desktops load, and an Xcursor theme made back into such a set.

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "sysicons/XdgDirs.h"

namespace pictoform {

class UiServices;

// One role a cursor plays: as a Windows scheme lists it, and as X11 and
// Wayland programs ask for it.
struct CursorRole {
    // The scheme's value name ("Arrow") and the role's name in words.
    const char* windowsName;
    const char* title;
    // The file name (without ending) a set made here gives the role; other
    // names cursor sets commonly give it are in `fileNames`.
    const char* fileName;
    std::vector<std::string_view> fileNames;
    // Names programs ask a theme for: the first is the file, the others are
    // links to it (freedesktop and CSS names, then older X11 and toolkit ones).
    std::vector<std::string_view> xcursorNames;
};

// Every role, in the order of a Windows scheme's value list.
[[nodiscard]] std::span<const CursorRole> CursorRoles();
inline constexpr size_t kCursorRoleCount = 17;

// A set of cursors: a name and, for each role in CursorRoles() order, a file
// (empty when the set has none for it).
struct CursorSet {
    std::string name;
    std::array<std::string, kCursorRoleCount> files;
};

// The scheme an install.inf describes: its name and each role's file name
// (as the value list gives it, without folders). False, with a reason, when
// the text holds no scheme.
[[nodiscard]] bool ParseInstallInf(std::string_view text, CursorSet& scheme, std::string& reason);
// An install.inf that installs the set's files (by their names alone) as a
// Windows scheme.
[[nodiscard]] std::string InstallInfText(const CursorSet& set);

// A folder of Windows cursors as a set of full paths: by its install.inf,
// else by the names of its .cur and .ani files. The name is the scheme's,
// else the folder's.
[[nodiscard]] bool ReadWindowsCursorSet(const std::string& folder, CursorSet& set,
                                        std::string& reason);

// Whether a folder is an Xcursor theme (it has a cursors folder).
[[nodiscard]] bool IsXcursorTheme(const std::string& folder);

// Makes `out` (which must not exist, or be empty, unless `replace` is set)
// an Xcursor theme of the set: index.theme, and cursors/<name> for each role
// with its other names as links. With sizes, each cursor is made at those
// nominal sizes from its best image, hot spots scaled; without, its images
// are taken as they are. Nothing is left half made: the theme is built
// beside `out` and moved into place whole. `done` receives one line per role.
[[nodiscard]] bool MakeXcursorTheme(const CursorSet& set, const std::string& out,
                                    std::span<const int> sizes, bool replace,
                                    std::vector<std::string>& done, std::string& reason);

// Makes `out` (which must not exist, or be empty) a folder of Windows
// cursors with an install.inf from an Xcursor theme: for each role the
// theme has, a .cur of every nominal size, or an .ani of the animated size
// nearest 32.
[[nodiscard]] bool MakeWindowsCursorSet(const std::string& theme, const std::string& out,
                                        std::vector<std::string>& done, std::string& reason);

// Installs the set as one of the user's cursor themes,
// $XDG_DATA_HOME/icons/<name>, without choosing it: one made here before
// under that name is replaced; a theme of that name that was not made here,
// or that the system has (which the user's would hide), is refused.
// `folder` receives where the theme went.
[[nodiscard]] bool InstallCursorTheme(const CursorSet& set, const EnvironmentLookup& env,
                                      std::string& folder, std::vector<std::string>& done,
                                      std::string& reason);

// The editor's "Install as Cursor Theme": the set in `folder` installed with
// InstallCursorTheme, and the user told where it went and how to choose it,
// or why it could not be.
void InstallCursorThemeFromFolder(const std::string& folder, const EnvironmentLookup& env,
                                  UiServices& ui);

} // namespace pictoform
