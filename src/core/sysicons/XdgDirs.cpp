#include "sysicons/XdgDirs.h"

#include <cstdlib>

namespace pictoform {

namespace {

// Only absolute paths count, as the base directory rules say.
std::string FolderOr(const EnvironmentLookup& env, const char* variable, const char* underHome) {
    const char* value = env(variable);
    if (value && value[0] == '/') return value;
    const char* home = env("HOME");
    return std::string(home && home[0] ? home : "/tmp") + "/" + underHome;
}

} // namespace

EnvironmentLookup ProcessEnvironment() {
    return [](const char* name) -> const char* { return std::getenv(name); };
}

std::string XdgConfigHome(const EnvironmentLookup& env) {
    return FolderOr(env, "XDG_CONFIG_HOME", ".config");
}

std::string XdgDataHome(const EnvironmentLookup& env) {
    return FolderOr(env, "XDG_DATA_HOME", ".local/share");
}

std::vector<std::string> XdgDataDirs(const EnvironmentLookup& env) {
    const char* value = env("XDG_DATA_DIRS");
    const std::string list = value && value[0] ? value : "/usr/local/share:/usr/share";
    std::vector<std::string> dirs;
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(':', start);
        if (end == std::string::npos) end = list.size();
        const std::string dir = list.substr(start, end - start);
        if (!dir.empty() && dir[0] == '/') dirs.push_back(dir);
        start = end + 1;
    }
    return dirs;
}

} // namespace pictoform
