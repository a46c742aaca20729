#pragma once
// The XDG base folders the system icon work looks in, read from an
// environment that tests can replace.

#include <functional>
#include <string>
#include <vector>

namespace pictoform {

// Looks up an environment variable; null when it is not set.
using EnvironmentLookup = std::function<const char*(const char*)>;

// The process's own environment.
[[nodiscard]] EnvironmentLookup ProcessEnvironment();

// $XDG_CONFIG_HOME, else ~/.config.
[[nodiscard]] std::string XdgConfigHome(const EnvironmentLookup& env);
// $XDG_DATA_HOME, else ~/.local/share.
[[nodiscard]] std::string XdgDataHome(const EnvironmentLookup& env);
// The folders of $XDG_DATA_DIRS, else /usr/local/share and /usr/share.
[[nodiscard]] std::vector<std::string> XdgDataDirs(const EnvironmentLookup& env);

} // namespace pictoform
