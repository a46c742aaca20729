#include "editor/ProgramPaths.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include <unistd.h>

namespace pictoform {

namespace fs = std::filesystem;

namespace {

bool IsDir(const std::string& path) {
    std::error_code ec;
    return fs::is_directory(path, ec);
}

// An XDG base folder: the variable when it holds an absolute path, else the
// fallback under the home folder.
std::string XdgFolder(const ProgramPaths::Environment& env, const char* variable,
                      const char* homeFallback) {
    const char* value = env(variable);
    if (value && value[0] == '/') return value;
    const char* home = env("HOME");
    return std::string(home && home[0] ? home : "/tmp") + "/" + homeFallback;
}

} // namespace

ProgramPaths::ProgramPaths(const std::string& executableDir, Environment environment,
                           WritableTest writable) {
    const std::string exe = executableDir.empty() ? std::string(".") : executableDir;
    const std::string userData =
        XdgFolder(environment, "XDG_DATA_HOME", ".local/share") + "/pictoform";
    const std::string userConfig =
        XdgFolder(environment, "XDG_CONFIG_HOME", ".config") + "/pictoform";
    const char* runtime = environment("XDG_RUNTIME_DIR");
    const std::string userHistory =
        (runtime && runtime[0] == '/' ? std::string(runtime)
                                      : XdgFolder(environment, "XDG_CACHE_HOME", ".cache")) +
        "/pictoform/History";

    m_recovery = XdgFolder(environment, "XDG_STATE_HOME", ".local/state") + "/pictoform/recovery";
    m_portable = IsDir(exe + "/Presets") || IsDir(exe + "/Masks");
    if (m_portable) {
        m_presets = exe + "/Presets";
        m_masks = exe + "/Masks";
        const bool exeWritable = writable(exe);
        m_userPresets = writable(m_presets) ? m_presets : userData + "/Presets";
        m_historyRoot = exeWritable ? exe + "/History" : userHistory;
        m_systemIconFile = exeWritable ? exe + "/sysiconinfo.ini" : userConfig + "/sysiconinfo.ini";
        return;
    }
    const std::string share = fs::path(exe).parent_path().string() + "/share/pictoform";
    m_presets = share + "/Presets";
    m_masks = share + "/Masks";
    m_userPresets = userData + "/Presets";
    m_historyRoot = userHistory;
    m_systemIconFile = userConfig + "/sysiconinfo.ini";
}

ProgramPaths::ProgramPaths(const std::string& executableDir)
    : ProgramPaths(
          executableDir, [](const char* name) { return std::getenv(name); },
          [](const std::string& path) {
              return IsDir(path) && ::access(path.c_str(), W_OK) == 0;
          }) {}

} // namespace pictoform
