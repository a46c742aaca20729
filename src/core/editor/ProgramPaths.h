#pragma once
// Where the program finds its data and keeps its undo history on Linux. A
// folder that holds Presets/ or Masks/ beside the executable (a build tree,
// a portable copy) is used as it is, as the program always has. Installed
// under a prefix, the shipped data is read from <prefix>/share/pictoform and
// what the program writes goes to the user's XDG folders, so nothing is ever
// written into a read-only place.

#include <functional>
#include <string>

#include "platform/AppPaths.h"

namespace pictoform {

class ProgramPaths : public AppPaths {
public:
    // Looks up an environment variable; null when it is not set.
    using Environment = std::function<const char*(const char*)>;

    // Whether the program may write into a folder (it exists and is writable).
    using WritableTest = std::function<bool(const std::string&)>;

    ProgramPaths(const std::string& executableDir, Environment environment, WritableTest writable);
    explicit ProgramPaths(const std::string& executableDir);

    std::string PresetsDir() const override { return m_presets; }
    std::string UserPresetsDir() const override { return m_userPresets; }
    std::string MasksDir() const override { return m_masks; }
    std::string HistoryRoot() const override { return m_historyRoot; }
    std::string SystemIconFile() const override { return m_systemIconFile; }
    // $XDG_STATE_HOME/pictoform/recovery: state that outlives a run but is
    // no document of the user's, where the desktop keeps such state.
    std::string RecoveryDir() const override { return m_recovery; }

    // Whether the data sits beside the executable.
    [[nodiscard]] bool Portable() const { return m_portable; }

private:
    bool m_portable = false;
    std::string m_presets;
    std::string m_userPresets;
    std::string m_masks;
    std::string m_historyRoot;
    std::string m_systemIconFile;
    std::string m_recovery;
};

} // namespace pictoform
