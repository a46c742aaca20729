// The freedesktop shell: the trash's state, icons taken from icon files,
// PNG pictures and modules (exact pixels), and the icon theme seeding.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "icon/ModuleFixtures.h"
#include "support/ScriptedUiServices.h"
#include "sysicons/DesktopShell.h"
#include "sysicons/FileRegistry.h"
#include "sysicons/IconThemeSeed.h"
#include "sysicons/SysIconFakes.h"
#include "sysicons/SysIconSet.h"

namespace pictoform {
namespace {

using namespace test;

namespace fs = std::filesystem;

// The shell hands over the icon as the previews show it.
void ExpectScaledFrom(const std::optional<ShellIcon>& icon, const IconImageRec& source,
                      const char* what) {
    SCOPED_TRACE(what);
    ASSERT_TRUE(icon);
    EXPECT_EQ(std::tie(icon->width, icon->height), std::tuple(32, 32));
    EXPECT_EQ(icon->bgra, Preview32(source));
}

class DesktopShellTest : public ::testing::Test {
protected:
    std::string Touch(const std::string& relative, const std::vector<uint8_t>& bytes = {1}) {
        const std::string file = temp.File(relative);
        fs::create_directories(fs::path(file).parent_path());
        WriteBytes(file, bytes);
        return file;
    }

    TempDir temp;
    std::map<std::string, std::string> env{
        {"HOME", temp.File("home")},
        {"XDG_DATA_HOME", temp.File("data")},
        {"XDG_DATA_DIRS", temp.File("sys1") + ":" + temp.File("sys2")}};
    DesktopShell shell{LookupIn(env)};
};

TEST_F(DesktopShellTest, TheTrashIsEmptyWhenItsFilesFolderHoldsNothing) {
    EXPECT_EQ(shell.TrashFilesDir(), temp.File("data/Trash/files"));
    EXPECT_EQ(shell.IsTrashEmpty(), true); // no folder yet
    fs::create_directories(temp.File("data/Trash/files"));
    EXPECT_EQ(shell.IsTrashEmpty(), true);
    Touch("data/Trash/info/a.trashinfo");
    EXPECT_EQ(shell.IsTrashEmpty(), true);
    Touch("data/Trash/files/a");
    EXPECT_EQ(shell.IsTrashEmpty(), false);
    fs::remove_all(temp.File("data/Trash"));
    Touch("data/Trash/files");
    EXPECT_EQ(shell.IsTrashEmpty(), std::nullopt);
}

// Icon files, PNG pictures and modules give their icon as the previews show
// it; what is no icon gives none.
TEST_F(DesktopShellTest, IconsComeFromIconFilesPicturesAndModules) {
    const IconImageRec exact = Pattern(32, 32, kDepth32, 4);
    const std::string ico =
        Touch("a.ico", IcoBytes({Pattern(16, 16, kDepth32, 1), Pattern(32, 32, kDepth256, 3), exact,
                                 Pattern(48, 48, kDepth32, 5)}));
    ExpectScaledFrom(shell.ExtractIcon(ico, 0), exact, "the exact image");
    // An icon file holds one icon.
    EXPECT_FALSE(shell.ExtractIcon(ico, 1));

    // No 32 x 32 image: the nearest in size, scaled.
    const IconImageRec nearest = Pattern(24, 24, kDepth16, 6);
    const std::string other = Touch(
        "b.ico", IcoBytes({Pattern(64, 64, kDepth32, 7), nearest, Pattern(16, 16, kDepth2, 8)}));
    ExpectScaledFrom(shell.ExtractIcon(other, 0), nearest, "the nearest image");

    // A picture is scaled to 32 x 32.
    IconImageRec source = Pattern(64, 48, kDepth32, 9);
    std::vector<uint8_t> png;
    std::string reason;
    ASSERT_TRUE(EncodePlanesPng(source.width, source.height, source.colours, source.alpha,
                                source.mask, png, reason))
        << reason;
    const std::string file = Touch("theme/computer.png", png);
    ExpectScaledFrom(shell.ExtractIcon(file, 0), source, "a picture");
    EXPECT_FALSE(shell.ExtractIcon(file, 2));

    // A module's icon by position or by resource identifier.
    const std::string dll = Touch("lib.dll", BuildPe(false, SampleResources(false)).bytes);
    // Position 0 is group 5, whose 32 x 32 image of most bits is shown.
    ExpectScaledFrom(shell.ExtractIcon(dll, 0), SampleGroups()[1].sources[3], "module, position 0");
    // -7 is the group with identifier 7: only 48 x 48 and 16 x 16 there.
    ExpectScaledFrom(shell.ExtractIcon(dll, -7), SampleGroups()[2].sources[0],
                     "module, identifier 7");
    ExpectScaledFrom(shell.ExtractIcon(dll, 1), SampleGroups()[2].sources[0], "module, position 1");
    EXPECT_FALSE(shell.ExtractIcon(dll, 3));
    EXPECT_FALSE(shell.ExtractIcon(dll, -8));
    EXPECT_FALSE(shell.ExtractIcon(dll, -2147483647 - 1));

    // What is no icon gives none.
    EXPECT_FALSE(shell.ExtractIcon(temp.File("missing.ico"), 0));
    EXPECT_FALSE(shell.ExtractIcon(Touch("text.ico", {'h', 'i'}), 0));
    EXPECT_FALSE(shell.ExtractIcon(Touch("cut.ico", {0, 0, 1, 0, 5, 0, 32}), 0));
    EXPECT_FALSE(shell.ExtractIcon(Touch("bad.dll", {'M', 'Z', 0, 0}), 0));
    // Vector pictures need the desktop.
    EXPECT_FALSE(shell.ExtractIcon(Touch("a.svg", {'<', 's'}), 0));
}

TEST_F(DesktopShellTest, ThemeIconsAreFoundThemeFirstThenSizeThenFolder) {
    const std::vector<std::string> bases = IconBaseDirs(LookupIn(env));
    EXPECT_EQ(bases, (std::vector<std::string>{temp.File("data/icons"), temp.File("sys1/icons"),
                                               temp.File("sys2/icons")}));
    EXPECT_FALSE(FindThemeIcon(bases, "computer"));

    const std::string hicolor = Touch("sys1/icons/hicolor/32x32/apps/computer.png");
    EXPECT_EQ(FindThemeIcon(bases, "computer"), hicolor);
    const std::string scalable = Touch("sys2/icons/Adwaita/scalable/devices/computer.svg");
    EXPECT_EQ(FindThemeIcon(bases, "computer"), scalable);
    const std::string big = Touch("sys2/icons/Adwaita/48x48/devices/computer.png");
    EXPECT_EQ(FindThemeIcon(bases, "computer"), big);
    Touch("sys2/icons/Adwaita/24x24/devices/computer.png");
    EXPECT_EQ(FindThemeIcon(bases, "computer"), big);
    const std::string exact = Touch("sys2/icons/Adwaita/32x32/legacy/computer.png");
    EXPECT_EQ(FindThemeIcon(bases, "computer"), exact);
    // The user's own folder before the system's, and contexts by name.
    const std::string mine = Touch("data/icons/Adwaita/32x32/places/computer.png");
    EXPECT_EQ(FindThemeIcon(bases, "computer"), mine);
    const std::string devices = Touch("data/icons/Adwaita/32x32/devices/computer.png");
    EXPECT_EQ(FindThemeIcon(bases, "computer"), devices);
}

TEST_F(DesktopShellTest, ANewRegistryShowsTheThemesIcons) {
    const std::string computer = Touch("sys1/icons/Adwaita/48x48/devices/computer.png");
    const std::string full = Touch("sys1/icons/Adwaita/32x32/status/user-trash-full.png");
    const std::string trash = Touch("sys1/icons/hicolor/32x32/places/user-trash.png");
    const std::string docs = Touch("sys1/icons/Adwaita/32x32/places/folder-documents.png");
    Touch("data/Trash/files/old.txt");
    ScriptedUiServices ui;
    const EnvironmentLookup lookup = LookupIn(env);
    FileRegistry registry(temp.File("reg.txt"), ui, [&](Registry& r) {
        SeedSystemIconKeys(r, IconBaseDirs(lookup), shell.IsTrashEmpty());
    });
    // Every entry of the objects, in item order: the trash holds a file, so
    // its default values show the full icon; no network icon in these themes.
    std::vector<std::optional<std::string>> values;
    for (const SysIconItem& item : BuiltInSysIconItems()) {
        for (const IconRegEntry& e : item.entries)
            values.push_back(registry.ReadString(e.root, e.keyPath, e.valueName));
    }
    const std::string c = computer + ",0", t = trash + ",0", f = full + ",0", d = docs + ",0";
    EXPECT_EQ(values, (std::vector<std::optional<std::string>>{c, c, std::nullopt, std::nullopt, t,
                                                               t, f, f, f, f, f, f, d, d}));
    // The network's keys exist all the same, without a value.
    EXPECT_TRUE(
        registry.KeyExists(RegRoot::CurrentUser, BuiltInSysIconItems()[1].entries[1].keyPath));
}

} // namespace
} // namespace pictoform
