#pragma once
// The program's data folders as a test sets them: plain fields, empty unless given.

#include <string>

#include "platform/AppPaths.h"

namespace pictoform::test {

struct TestPaths : AppPaths {
    std::string presets;
    std::string userPresets; // empty: the same as presets
    std::string masks;
    std::string historyRoot;
    std::string systemIconFile;
    std::string recovery;

    std::string PresetsDir() const override { return presets; }
    std::string UserPresetsDir() const override {
        return userPresets.empty() ? presets : userPresets;
    }
    std::string MasksDir() const override { return masks; }
    std::string HistoryRoot() const override { return historyRoot; }
    std::string SystemIconFile() const override { return systemIconFile; }
    std::string RecoveryDir() const override { return recovery; }
};

} // namespace pictoform::test
