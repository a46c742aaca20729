#pragma once
// Where the program's own data lives. The desktop decides (the executable's
// folder in a build tree or portable install, share/pictoform/ and the XDG
// folders when installed); tests point it at a temporary folder.

#include <string>

namespace pictoform {

class AppPaths {
public:
    virtual ~AppPaths() = default;

    // Folder of the colour presets (*.gpr) that come with the program; it may
    // be read-only.
    [[nodiscard]] virtual std::string PresetsDir() const = 0;
    // Writable folder where presets the user adds are kept (created on the
    // first one). Both folders are listed, a user's preset hiding a shipped
    // one of the same name. Where the program's own folder is writable the
    // two are the same folder.
    [[nodiscard]] virtual std::string UserPresetsDir() const { return PresetsDir(); }
    // Folder of the predesigned masks (*.msk).
    [[nodiscard]] virtual std::string MasksDir() const = 0;
    // Writable folder under which each run keeps its undo history files.
    [[nodiscard]] virtual std::string HistoryRoot() const = 0;
    // The file that records which system icons were replaced ("sysiconinfo.ini").
    [[nodiscard]] virtual std::string SystemIconFile() const = 0;
    // Writable folder where each run keeps a copy of unsaved work, for the
    // next start to offer after a crash; empty for none.
    [[nodiscard]] virtual std::string RecoveryDir() const { return {}; }
};

} // namespace pictoform
