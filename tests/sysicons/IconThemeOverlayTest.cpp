// The user's layer over the desktop's icon theme: which theme the desktop
// shows, where a replaced object icon is written (judged by GTK's own icon
// lookup), and that restoring takes away exactly what was written.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "icon/IconFile.h"
#include "icon/ModuleFixtures.h"
#include "sysicons/IconThemeOverlay.h"
#include "sysicons/SysIconFakes.h"

namespace pictoform {
namespace {

using namespace test;

namespace fs = std::filesystem;

TEST(IconThemeOverlayTest, TheThemeIsTheDesktopsOwnSettingInItsOrder) {
    struct Case {
        const char* what;
        std::optional<std::string> gnome;
        const char* gtkIni;     // settings.ini, or null for none
        const char* kdeGlobals; // kdeglobals, or null for none
        const char* theme;
    };
    const Case cases[] = {
        {"GNOME first", "Yaru", "[Settings]\ngtk-icon-theme-name=Papirus\n", nullptr, "Yaru"},
        {"then GTK 3", std::nullopt, "[Settings]\ngtk-icon-theme-name = \"Papirus\"\n",
         "[Icons]\nTheme=breeze\n", "Papirus"},
        {"a key of another section is no setting", std::nullopt,
         "[Other]\ngtk-icon-theme-name=Wrong\n", "[Icons]\nTheme=breeze\n", "breeze"},
        {"none", std::nullopt, nullptr, nullptr, "hicolor"},
    };
    for (const Case& c : cases) {
        TempDir temp;
        const std::map<std::string, std::string> vars{{"XDG_CONFIG_HOME", temp.File("config")}};
        fs::create_directories(vars.at("XDG_CONFIG_HOME") + "/gtk-3.0");
        if (c.gtkIni) WriteBytes(temp.File("config/gtk-3.0/settings.ini"), Bytes(c.gtkIni));
        if (c.kdeGlobals) WriteBytes(temp.File("config/kdeglobals"), Bytes(c.kdeGlobals));
        EXPECT_EQ(CurrentIconTheme(LookupIn(vars), [&] { return c.gnome; }), c.theme) << c.what;
    }
}

// A small system theme, "Scratch", inheriting hicolor: "computer" is in two
// of its four folders. The user's folder starts empty.
class ThemeOverlayTest : public ::testing::Test {
protected:
    ThemeOverlayTest() {
        const std::string index =
            "[Icon Theme]\nName=Scratch\nInherits=hicolor\n"
            "Directories=16x16/places,32x32/apps,48x48/legacy,scalable/places\n"
            "[16x16/places]\nSize=16\nType=Fixed\n"
            "[32x32/apps]\nSize=32\nType=Fixed\n"
            // A key given twice counts once, as first given.
            "[48x48/legacy]\nSize=48\nType=Fixed\nSize=96\n"
            "[scalable/places]\nSize=16\nMinSize=8\nMaxSize=512\n"
            "Type=Scalable\n";
        WriteText(system + "/Scratch/index.theme", index);
        for (const char* dir : {"16x16/places", "48x48/legacy"}) {
            WritePng(system + "/Scratch/" + dir + "/computer.png", dir[0] == '1' ? 16 : 48, 0x80);
        }
        WritePng(system + "/Scratch/32x32/apps/other.png", 32, 0x80);
        WriteText(system + "/Scratch/scalable/places/computer-symbolic.svg",
                  "<svg xmlns='http://www.w3.org/2000/svg' width='16' height='16'/>");
    }

    static void WriteText(const std::string& path, const std::string& text) {
        fs::create_directories(fs::path(path).parent_path());
        WriteBytes(path, Bytes(text));
    }
    // A grey square of the side.
    static void WritePng(const std::string& path, int side, uint8_t grey) {
        fs::create_directories(fs::path(path).parent_path());
        WriteBytes(path, PngBytes(Paint(side, side, [=](int, int) {
                       return std::array<uint8_t, 4>{grey, grey, grey, 255};
                   })));
    }
    // An icon with a red 16 x 16 and a blue 48 x 48 image.
    std::string WriteIcon() {
        const std::string path = temp.File("mine.ico");
        EXPECT_TRUE(CIconFile().WriteIconFile(
            path, {SolidRecord(16, 255, 0, 0), SolidRecord(48, 0, 0, 255)}, 0));
        return path;
    }
    // Red, green, blue, alpha of the middle pixel of a PNG file.
    static std::array<int, 4> Middle(const std::string& path) {
        const Picture png = ReadPngFile(path);
        if (png.rgba.empty()) return {-1, -1, -1, -1};
        const size_t p = (size_t(png.height / 2) * png.width + png.width / 2) * 4;
        return {png.rgba[p], png.rgba[p + 1], png.rgba[p + 2], png.rgba[p + 3]};
    }
    // The file GTK's icon lookup gives for the name at the size, with the
    // user's folder searched before the system's.
    std::string GtkLookup(const std::string& name, int size) {
        const std::string script = "import sys, gi\n"
                                   "gi.require_version('Gtk', '3.0')\n"
                                   "from gi.repository import Gtk\n"
                                   "t = Gtk.IconTheme.new()\n"
                                   "t.set_search_path([sys.argv[1], sys.argv[2]])\n"
                                   "t.set_custom_theme('Scratch')\n"
                                   "i = t.lookup_icon(sys.argv[3], int(sys.argv[4]), 0)\n"
                                   "print(i.get_filename() if i else '')\n";
        const CommandResult r =
            test::Run({PythonPath(), "-c", script, user, system, name, std::to_string(size)});
        EXPECT_EQ(r.status, 0) << r.err;
        std::string out = r.out;
        while (!out.empty() && out.back() == '\n') out.pop_back();
        return out;
    }
    bool GtkAvailable() {
        const CommandResult r = test::Run(
            {PythonPath(), "-c",
             "import gi; gi.require_version('Gtk', '3.0'); from gi.repository import Gtk"});
        return OracleAvailable("GTK's icon lookup (python3-gi, gir1.2-gtk-3.0)",
                               r.status == 0 ? PythonPath() : "");
    }

    TempDir temp;
    const std::string user = temp.File("home-icons");
    const std::string system = temp.File("usr/icons");
};

TEST_F(ThemeOverlayTest, AReplacedIconShowsAtEverySizeTheThemeHasAndRestoreTakesItAway) {
    EXPECT_EQ(ThemeIconDirs({user, system}, "Scratch", "computer"),
              (std::vector<ThemeIconDir>{{"Scratch", "16x16/places", 16},
                                         {"Scratch", "48x48/legacy", 48}}));
    EXPECT_TRUE(ThemeIconDirs({user, system}, "Scratch", "network-workgroup").empty());

    IconThemeOverlay overlay(user, {user, system}, "Scratch", temp.File("config/overlay.txt"));
    std::string reason;
    ASSERT_TRUE(overlay.Replace("computer", WriteIcon(), 0, reason)) << reason;
    const std::string small = user + "/Scratch/16x16/places/computer.png";
    const std::string large = user + "/Scratch/48x48/legacy/computer.png";
    // Each size from the icon's own image of that size.
    EXPECT_EQ(Middle(small), (std::array<int, 4>{255, 0, 0, 255}));
    EXPECT_EQ(Middle(large), (std::array<int, 4>{0, 0, 255, 255}));
    // The one-colour form too, in the drawing folder, at the largest size it serves (held to 256).
    const std::string symbolic = user + "/Scratch/scalable/places/computer-symbolic.png";
    EXPECT_EQ(overlay.Written(),
              (std::vector<std::string>{"computer\t" + small, "computer\t" + large,
                                        "computer\t" + symbolic}));
    EXPECT_EQ(Middle(symbolic), (std::array<int, 4>{0, 0, 255, 255}));
    // No index of our own, which would hide the system's; the system's untouched.
    EXPECT_FALSE(fs::exists(user + "/Scratch/index.theme"));
    EXPECT_EQ(Middle(system + "/Scratch/48x48/legacy/computer.png"),
              (std::array<int, 4>{0x80, 0x80, 0x80, 255}));
    if (GtkAvailable()) {
        EXPECT_EQ(GtkLookup("computer", 48), large);
        EXPECT_EQ(GtkLookup("computer", 16), small);
        EXPECT_EQ(GtkLookup("computer-symbolic", 16), symbolic);
    }

    // A second replace takes the place of the first; restore leaves nothing.
    ASSERT_TRUE(overlay.Replace("computer", WriteIcon(), 0, reason)) << reason;
    EXPECT_EQ(overlay.Written().size(), 3u);
    overlay.Restore("computer");
    EXPECT_TRUE(overlay.Written().empty());
    EXPECT_FALSE(fs::exists(user + "/Scratch")) << "folders left empty are removed";
    if (GtkAvailable()) {
        EXPECT_EQ(GtkLookup("computer", 48), system + "/Scratch/48x48/legacy/computer.png");
    }

    // A file the user put there is never written over (nor later removed).
    WritePng(large, 48, 0x33);
    EXPECT_FALSE(overlay.Replace("computer", WriteIcon(), 0, reason));
    EXPECT_EQ(reason, large + " is there already and is not Pictoform's to replace");
    EXPECT_EQ(Middle(large), (std::array<int, 4>{0x33, 0x33, 0x33, 255}));
    EXPECT_FALSE(fs::exists(small)) << "nothing half done";
}

} // namespace
} // namespace pictoform
