#include "editor/ProgramPaths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>

#include "support/TestSupport.h"

namespace pictoform {
namespace {

namespace fs = std::filesystem;

class ProgramPathsTest : public ::testing::Test {
protected:
    ProgramPaths::Environment Env() {
        return [this](const char* name) -> const char* {
            auto it = vars.find(name);
            return it == vars.end() ? nullptr : it->second.c_str();
        };
    }
    ProgramPaths Paths(const std::string& exe) {
        return ProgramPaths(exe, Env(), [this](const std::string& path) {
            return readOnly.count(path) == 0 && fs::is_directory(path);
        });
    }
    test::TempDir temp;
    std::map<std::string, std::string> vars{{"HOME", "/home/ann"}};
    std::set<std::string> readOnly;
};

// A copy that cannot be written to keeps its history and the user's files elsewhere.
TEST_F(ProgramPathsTest, ABuildTreeKeepsEverythingBesideTheProgramIfItMay) {
    const std::string exe = temp.File("bin");
    fs::create_directories(exe + "/Presets");
    fs::create_directories(exe + "/Masks");
    const ProgramPaths paths = Paths(exe);
    EXPECT_TRUE(paths.Portable());
    EXPECT_EQ(paths.PresetsDir(), exe + "/Presets");
    EXPECT_EQ(paths.UserPresetsDir(), exe + "/Presets");
    EXPECT_EQ(paths.MasksDir(), exe + "/Masks");
    EXPECT_EQ(paths.HistoryRoot(), exe + "/History");
    EXPECT_EQ(paths.SystemIconFile(), exe + "/sysiconinfo.ini");

    readOnly = {exe, exe + "/Presets"};
    vars["XDG_CACHE_HOME"] = "/cache";
    const ProgramPaths locked = Paths(exe);
    EXPECT_EQ(locked.PresetsDir(), exe + "/Presets");
    EXPECT_EQ(locked.UserPresetsDir(), "/home/ann/.local/share/pictoform/Presets");
    EXPECT_EQ(locked.HistoryRoot(), "/cache/pictoform/History");
    EXPECT_EQ(locked.SystemIconFile(), "/home/ann/.config/pictoform/sysiconinfo.ini");
}

TEST_F(ProgramPathsTest, AnInstalledProgramWritesOnlyIntoTheUsersFolders) {
    vars["XDG_DATA_HOME"] = "/data";
    vars["XDG_RUNTIME_DIR"] = "/run/user/1000";
    vars["XDG_CONFIG_HOME"] = "relative/is/ignored";
    const ProgramPaths paths = Paths("/usr/local/bin");
    EXPECT_FALSE(paths.Portable());
    EXPECT_EQ(paths.PresetsDir(), "/usr/local/share/pictoform/Presets");
    EXPECT_EQ(paths.MasksDir(), "/usr/local/share/pictoform/Masks");
    EXPECT_EQ(paths.UserPresetsDir(), "/data/pictoform/Presets");
    EXPECT_EQ(paths.HistoryRoot(), "/run/user/1000/pictoform/History");
    EXPECT_EQ(paths.SystemIconFile(), "/home/ann/.config/pictoform/sysiconinfo.ini");

    EXPECT_EQ(paths.RecoveryDir(), "/home/ann/.local/state/pictoform/recovery");

    vars.erase("XDG_RUNTIME_DIR");
    vars["XDG_STATE_HOME"] = "/state";
    EXPECT_EQ(Paths("/usr/bin").HistoryRoot(), "/home/ann/.cache/pictoform/History");
    EXPECT_EQ(Paths("/usr/bin").RecoveryDir(), "/state/pictoform/recovery");
}

} // namespace
} // namespace pictoform
