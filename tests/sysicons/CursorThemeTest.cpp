// Cursor themes: a set of Windows cursors described by an install.inf, as
// Windows cursor packs ship them, becomes a theme that libXcursor (what X11
// programs load cursors with) finds under every name, and comes back as the
// same cursors.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>

#include "icon/IconFile.h"
#include "support/Pictures.h"
#include "support/ScriptedUiServices.h"
#include "sysicons/CursorTheme.h"
#include "sysicons/SysIconFakes.h"

// Last: Xlib's macros (None, Status) would clash with names above.
#include <X11/Xcursor/Xcursor.h>

namespace pictoform {
namespace {

using namespace test;

namespace fs = std::filesystem;

// Opaque and transparent only: premultiplied Xcursor pixels then keep every
// colour exactly.
Picture Arrowish(int side, uint32_t seed) {
    return Paint(side, side, [=](int x, int y) {
        const uint32_t h = Hash(x, y, seed);
        return std::array<uint8_t, 4>{uint8_t(h), uint8_t(h >> 8), uint8_t(seed * 40),
                                      uint8_t(x <= y ? 255 : 0)};
    });
}

IconImageRec CursorImage(int side, uint32_t seed, HotSpot spot, int32_t time = 0) {
    IconImageRec rec = ToRecord(Arrowish(side, seed), kDepth32);
    rec.hotSpot = spot;
    rec.frameTime = time;
    return rec;
}

void ExpectSameCursor(const std::string& original, const std::string& back) {
    CIconFile was, is;
    ASSERT_TRUE(was.ReadIconFile(original)) << was.LastError();
    ASSERT_TRUE(is.ReadIconFile(back)) << is.LastError();
    // An animated cursor comes back step by step: its order of frames is
    // spelled out, each step with its own time.
    std::vector<int32_t> times;
    for (const IconImageRec& rec : was.Images()) times.push_back(rec.frameTime);
    const std::vector<AnimationStep> steps = AnimationSteps(times, was.Animation());
    const bool animated = original.ends_with(".ani");
    ASSERT_EQ(is.Images().size(), animated ? steps.size() : was.Images().size());
    for (size_t i = 0; i < is.Images().size(); ++i) {
        const IconImageRec& expected = was.Images()[animated ? steps[i].frame : i];
        const IconImageRec& actual = is.Images()[i];
        EXPECT_TRUE(SamePixels(PictureOf(expected), PictureOf(actual))) << i;
        EXPECT_EQ(actual.hotSpot, expected.hotSpot) << i;
        if (animated) {
            EXPECT_EQ(actual.frameTime, int32_t(steps[i].jiffies)) << i;
        }
    }
}

TEST(CursorTheme, AnInstallInfSetBecomesAThemeLibXcursorFindsAndComesBack) {
    PICTOFORM_REQUIRE_ICOTOOL();
    PICTOFORM_REQUIRE_PILLOW();
    TempDir temp;
    const fs::path in = temp.File("Pack");
    fs::create_directories(in);
    const std::span<const CursorRole> roles = CursorRoles();
    // The arrow made by icotool at two sizes with a hot spot each, the busy
    // cursor an animation with an order of frames and times per step, every
    // other role a one-image cursor.
    const std::string small = temp.File("32.png"), large = temp.File("48.png");
    SavePngs(temp, {{small, Arrowish(32, 1)}, {large, Arrowish(48, 2)}});
    const CommandResult made = test::Run(
        {IcotoolPath(), "-c", "--cursor", "-o", (in / "Normal.cur").string(), "--hotspot-x=3",
         "--hotspot-y=4", small, "--hotspot-x=5", "--hotspot-y=6", large});
    ASSERT_EQ(made.status, 0) << made.err;
    CIconFile writer;
    AnimationInfo order;
    order.sequence = {0, 1, 2, 1};
    order.stepRates = {6, 9, 12, 4};
    ASSERT_TRUE(writer.WriteAnimatedCursor((in / "busy.ani").string(),
                                           {CursorImage(32, 3, {16, 16}, 9),
                                            CursorImage(32, 4, {15, 16}, 9),
                                            CursorImage(32, 5, {16, 15}, 12)},
                                           kWriteCursor, order));
    // Windows .inf files: CRLF, [Strings] last, file names in another case
    // than on disk, %10% for the Windows folder.
    std::string list, strings;
    for (size_t i = 0; i < roles.size(); ++i) {
        const std::string file = i == 0   ? "NORMAL.CUR"
                                 : i == 3 ? "Busy.ani"
                                          : std::string(roles[i].windowsName) + ".cur";
        if (i != 0 && i != 3) {
            ASSERT_TRUE(writer.WriteIconFile((in / file).string(),
                                             {CursorImage(32, 10 + uint32_t(i), {uint16_t(i), 2})},
                                             kWriteCursor));
        }
        list += std::string(i ? "," : "") + "%10%\\%CUR_DIR%\\%r" + std::to_string(i) + "%";
        strings += "r" + std::to_string(i) + " = \"" + file + "\"\r\n";
    }
    const std::string inf = "[Version]\r\nsignature=\"$CHICAGO$\"\r\n\r\n[Scheme.Reg]\r\n"
                            "HKCU,\"Control Panel\\Cursors\\Schemes\",\"%SCHEME_NAME%\",,\"" +
                            list + "\"\r\n\r\n[Strings]\r\nCUR_DIR = \"Cursors\\Pack\"\r\n" +
                            "SCHEME_NAME = \"Test Pack\"\r\n" + strings;
    WriteBytes((in / "install.inf").string(), {inf.begin(), inf.end()});

    CursorSet set;
    std::string reason;
    ASSERT_TRUE(ReadWindowsCursorSet(in.string(), set, reason)) << reason;
    EXPECT_EQ(set.name, "Test Pack");
    const fs::path theme = temp.File("icons/Pack");
    std::vector<std::string> done;
    ASSERT_TRUE(MakeXcursorTheme(set, theme.string(), {}, false, done, reason)) << reason;
    ASSERT_EQ(done.size(), roles.size());

    // libXcursor finds every role under every name, at the sizes it has.
    ::setenv("XCURSOR_PATH", temp.File("icons").c_str(), 1);
    for (size_t i = 0; i < roles.size(); ++i) {
        for (const std::string_view name : roles[i].xcursorNames) {
            SCOPED_TRACE(std::string(name));
            XcursorImages* found = XcursorLibraryLoadImages(std::string(name).c_str(), "Pack", 48);
            ASSERT_NE(found, nullptr);
            EXPECT_EQ(found->nimage, i == 3 ? 4 : 1);
            const uint32_t side = i == 0 ? 48 : 32;
            EXPECT_EQ(found->images[0]->width, side);
            EXPECT_EQ(found->images[0]->xhot, i == 0 ? 5u : i == 3 ? 16u : i);
            XcursorImagesDestroy(found);
        }
    }

    // And back: the same cursors, listed by an install.inf of their own.
    const fs::path back = temp.File("Back");
    ASSERT_TRUE(MakeWindowsCursorSet(theme.string(), back.string(), done, reason)) << reason;
    CursorSet again;
    ASSERT_TRUE(ReadWindowsCursorSet(back.string(), again, reason)) << reason;
    EXPECT_EQ(again.name, "Test Pack");
    for (size_t i = 0; i < roles.size(); ++i) {
        SCOPED_TRACE(roles[i].windowsName);
        ExpectSameCursor(set.files[i], again.files[i]);
    }
    // Neither is made over what is already there.
    EXPECT_FALSE(MakeXcursorTheme(set, theme.string(), {}, false, done, reason));
    EXPECT_EQ(reason, theme.string() + " already exists and is not empty");
}

// At the sizes asked for, from the best image of each cursor, the hot spot
// scaled with it; a folder without an install.inf goes by its file names.
TEST(CursorTheme, SizesAreMadeFromTheBestImageWithTheHotSpotScaled) {
    TempDir temp;
    CIconFile writer;
    ASSERT_TRUE(writer.WriteIconFile(temp.File("pointer.cur"),
                                     {CursorImage(16, 1, {2, 2}), CursorImage(64, 2, {10, 20})},
                                     kWriteCursor));
    ASSERT_TRUE(
        writer.WriteIconFile(temp.File("notes.cur"), {CursorImage(16, 1, {2, 2})}, kWriteCursor));
    CursorSet set;
    std::string reason;
    // Folders named with a trailing slash are the same folders.
    ASSERT_TRUE(ReadWindowsCursorSet(temp.Path() + "/", set, reason)) << reason;
    EXPECT_EQ(set.files[0], temp.File("pointer.cur"));
    EXPECT_EQ(set.name, fs::path(temp.Path()).filename().string());
    const int sizes[] = {24, 48};
    std::vector<std::string> done;
    ASSERT_TRUE(MakeXcursorTheme(set, temp.File("out/"), sizes, false, done, reason)) << reason;
    EXPECT_EQ(done, std::vector<std::string>{"Normal Select: pointer.cur -> cursors/default (2 "
                                             "images)"});
    CIconFile theme;
    ASSERT_TRUE(theme.ReadIconFile(temp.File("out/cursors/default"))) << theme.LastError();
    ASSERT_EQ(theme.Images().size(), 2u);
    // 24 and 48 both come from the 64 (the 16 is too small), scaled by 3/8 and 3/4.
    EXPECT_EQ(theme.Images()[0].width, 24);
    EXPECT_EQ(theme.Images()[0].hotSpot, (HotSpot{3, 7}));
    EXPECT_EQ(theme.Images()[1].xcursor.nominalSize, 48u);
    EXPECT_EQ(theme.Images()[1].hotSpot, (HotSpot{7, 15}));
    EXPECT_EQ(fs::read_symlink(temp.File("out/cursors/left_ptr")).string(), "default");
}

TEST(CursorTheme, InstallInfVariantsAndFolderThatNameNoScheme) {
    struct Case {
        std::string text;
        std::string name, arrow, wait;
    };
    const std::string utf16 = [] {
        const std::string ascii = "[Strings]\r\nA=\"Nor mal.cur\"\r\n[Scheme.Reg]\r\n"
                                  "HKCU,\"Control Panel\\Cursors\\Schemes\",\"Wide\",,\"%A%\"\r\n";
        std::string out = "\xFF\xFE";
        for (const char c : ascii) out += {c, '\0'};
        return out;
    }();
    const Case cases[] = {
        // One value per role, as some packs set the cursors directly.
        {"[Scheme.Reg]\nHKCU,\"Control Panel\\Cursors\",Wait,0x00020000,\"%10%\\C\\w.ani\"\n"
         "HKCU,\"Control Panel\\Cursors\",Arrow,0x00020000,\"%10%\\C\\a.cur\" ; the arrow\n",
         "", "a.cur", "w.ani"},
        // A value list carried over two lines, a role left out; a ';' inside
        // quotes is part of the name, not a comment.
        {"[x]\nHKCU,\"Control Panel\\Cursors\\Schemes\",\"Two; Lines\",,\"C:\\a.cur,,,\\\n"
         "C:\\w.ani\"\n",
         "Two; Lines", "a.cur", "w.ani"},
        {utf16, "Wide", "Nor mal.cur", ""},
        // UTF-8 with a byte order mark; a comment after a value, ending in a
        // backslash that continues nothing.
        {"\xEF\xBB\xBF[Strings]\r\nA = \"a.cur\" ; the arrow \\\r\n[x]\r\n"
         "HKCU,\"Control Panel\\Cursors\\Schemes\",\"Bom\",,\"%A%\"\r\n",
         "Bom", "a.cur", ""},
    };
    for (const Case& c : cases) {
        CursorSet scheme;
        std::string reason;
        ASSERT_TRUE(ParseInstallInf(c.text, scheme, reason)) << c.text << reason;
        EXPECT_EQ(scheme.name, c.name);
        EXPECT_EQ(scheme.files[0], c.arrow);
        EXPECT_EQ(scheme.files[3], c.wait);
    }
    CursorSet scheme;
    std::string reason;
    EXPECT_FALSE(ParseInstallInf("[Version]\nsignature=\"$CHICAGO$\"\n", scheme, reason));
    EXPECT_EQ(reason,
              "it names no cursor scheme (no HKCU,\"Control Panel\\Cursors\\Schemes\" line)");

    TempDir temp;
    WriteBytes(temp.File("readme.txt"), {'h', 'i'});
    EXPECT_FALSE(ReadWindowsCursorSet(temp.Path(), scheme, reason));
    EXPECT_EQ(reason, temp.Path() +
                          " holds no cursor of a known role (it needs an install.inf, or .cur and "
                          ".ani files named by role, such as pointer.cur or busy.ani)");
}

// The editor's command installs into the user's own icons folder: again over
// its own theme, never over one it did not make or one the system has.
TEST(CursorTheme, InstallGoesIntoTheUsersIconsAndHidesNothing) {
    TempDir temp;
    const std::string set = temp.File("Arrows");
    for (const std::string folder : {"Arrows", "Other", "default"}) {
        fs::create_directories(temp.File(folder));
        ASSERT_TRUE(CIconFile().WriteIconFile(temp.File(folder + "/pointer.cur"),
                                              {CursorImage(32, 1, {1, 1})}, kWriteCursor));
    }
    const std::string home = temp.File("data"), system = temp.File("system");
    const std::map<std::string, std::string> vars{{"XDG_DATA_HOME", home},
                                                  {"XDG_DATA_DIRS", system}};
    const EnvironmentLookup env = LookupIn(vars);
    ScriptedUiServices ui;
    const std::string installed = home + "/icons/Arrows";
    const std::string told = "The cursor theme \"Arrows\" (1 cursor) is installed in " + installed +
                             ".\n\nTo use it, choose it as the cursor theme";
    for (int time = 0; time < 2; ++time) { // the second replaces the first
        InstallCursorThemeFromFolder(set, env, ui);
        ASSERT_EQ(ui.Messages().size(), size_t(time + 1));
        EXPECT_TRUE(ui.Messages().back().text.starts_with(told)) << ui.Messages().back().text;
        EXPECT_TRUE(fs::is_regular_file(installed + "/cursors/default"));
    }
    fs::remove(installed + "/index.theme");
    fs::create_directories(system + "/icons/Other");
    const struct {
        std::string folder, reason;
    } refused[] = {
        {set, installed + " already exists and is not a cursor theme Pictoform made"},
        {temp.File("Other"),
         "the system has a theme of that name (" + system +
             "/icons/Other), which yours would hide; give the set another name"},
        {temp.File("default"),
         "a theme named default would become the cursor of every program; give the set another "
         "name"},
    };
    for (const auto& c : refused) {
        InstallCursorThemeFromFolder(c.folder, env, ui);
        EXPECT_EQ(ui.Messages().back().text,
                  "Cannot install " + c.folder + " as a cursor theme: " + c.reason + ".");
    }
    EXPECT_FALSE(fs::exists(home + "/icons/Other"));
    EXPECT_TRUE(fs::is_regular_file(installed + "/cursors/default")) << "refused, yet touched";
}

// The names programs ask for: each belongs to one role, and the pairs that
// desktops and toolkits treat as one cursor are one role here.
TEST(CursorTheme, EveryNameBelongsToOneRole) {
    std::map<std::string_view, std::string> roleOf;
    for (const CursorRole& role : CursorRoles()) {
        for (const std::string_view name : role.xcursorNames) {
            EXPECT_TRUE(roleOf.emplace(name, role.windowsName).second) << name << " twice";
        }
    }
    // Each string one role's names, the first the standard one.
    for (const char* group :
         {"default left_ptr arrow", "pointer hand2", "text xterm", "wait watch",
          "progress left_ptr_watch", "help question_arrow", "not-allowed crossed_circle",
          "ns-resize sb_v_double_arrow", "ew-resize sb_h_double_arrow", "nwse-resize size_fdiag",
          "nesw-resize size_bdiag", "move fleur", "crosshair cross"}) {
        std::istringstream names(group);
        std::string first, name;
        names >> first;
        EXPECT_FALSE(roleOf[first].empty()) << first;
        while (names >> name) EXPECT_EQ(roleOf[name], roleOf[first]) << name;
    }
}

} // namespace
} // namespace pictoform
