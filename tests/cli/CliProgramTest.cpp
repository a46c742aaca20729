// pictoform-cli with animated cursors and programs.

#include <gtest/gtest.h>

#include <filesystem>

#include "icon/IconFile.h"
#include "icon/IconTestImages.h"
#include "icon/ModuleFixtures.h"
#include "support/TestSupport.h"

using namespace pictoform;
using namespace pictoform::test;

namespace {

CommandResult Cli(const std::vector<std::string>& args) {
    std::vector<std::string> argv{CliPath()};
    argv.insert(argv.end(), args.begin(), args.end());
    return Run(argv);
}

// A library of our own making with the sample groups: "APPICON", 5, 7, 200.
std::string SampleLibrary(const TempDir& dir) {
    const std::string path = dir.File("prog.dll");
    WriteBytes(path, BuildPe(false, SampleResources(true)).bytes);
    return path;
}

// The images of an icon file, top row first, as the sources were made.
std::vector<IconImageRec> ReadTopFirst(const std::string& path) {
    CIconFile engine;
    EXPECT_TRUE(engine.ReadIconFile(path)) << engine.LastError();
    std::vector<IconImageRec> images = engine.TakeImages();
    for (IconImageRec& rec : images) FlipRows(rec);
    return images;
}

} // namespace

TEST(CliProgram, InfoListsTheGroupsInTheViewersOrder) {
    TempDir dir;
    const std::string lib = SampleLibrary(dir);
    const CommandResult r = Cli({"info", lib});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const std::string expectedStart =
        lib +
        "[0]: group \"APPICON\", 2 images: 24x24, depth 24 (24 bits per pixel); 16x16, "
        "depth 2 (1 bit per pixel)\n" +
        lib + "[1]: group 5, 4 images: ";
    EXPECT_EQ(r.out.rfind(expectedStart, 0), 0u) << r.out;
    EXPECT_NE(r.out.find(lib + "[2]: group 7, 2 images"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(lib + "[3]: group 200, 1 image"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\n" + lib + ": program, 4 icon groups\n"), std::string::npos) << r.out;
}

TEST(CliProgram, ConvertTakesTheChosenGroup) {
    TempDir dir;
    const std::string lib = SampleLibrary(dir);
    const CommandResult r = Cli({"convert", lib, "--index", "1", "-o", dir.File("five.ico")});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto images = ReadTopFirst(dir.File("five.ico"));
    const auto& sources = SampleGroups()[1].sources;
    ASSERT_EQ(images.size(), sources.size());
    for (size_t i = 0; i < images.size(); ++i) {
        EXPECT_EQ(images[i].width, sources[i].width) << i;
        EXPECT_EQ(images[i].depth, sources[i].depth) << i;
        EXPECT_TRUE(SamePixels(PictureOfSource(sources[i]), PictureOfSource(images[i]))) << i;
    }

    // Several groups and no choice: refused, saying what to do.
    const CommandResult ambiguous = Cli({"convert", lib, "-o", dir.File("x.ico")});
    EXPECT_EQ(ambiguous.status, 1);
    EXPECT_EQ(ambiguous.err, "pictoform-cli: cannot read '" + lib +
                                 "': holds 4 icon groups: choose one with --index N, or take "
                                 "them all with --all\n");
    const CommandResult beyond = Cli({"convert", lib, "--index", "4", "-o", dir.File("x.ico")});
    EXPECT_EQ(beyond.status, 1);
    EXPECT_EQ(beyond.err,
              "pictoform-cli: cannot read '" + lib + "': has 4 icon groups, no group 4\n");
    EXPECT_FALSE(FileExists(dir.File("x.ico")));
}

TEST(CliProgram, AllGroupsGoIntoAFolder) {
    TempDir dir;
    const std::string lib = SampleLibrary(dir);
    const std::string out = dir.File("icons");
    const CommandResult r = Cli({"convert", lib, "--all", "-o", out});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<std::string> names = {out + "/prog-0-APPICON.ico", out + "/prog-1-5.ico",
                                            out + "/prog-2-7.ico", out + "/prog-3-200.ico"};
    std::string expected;
    for (const std::string& name : names) expected += name + "\n";
    EXPECT_EQ(r.out, expected);
    for (size_t g = 0; g < names.size(); ++g) {
        EXPECT_EQ(ReadTopFirst(names[g]).size(), SampleGroups()[g].sources.size()) << names[g];
    }
    const CommandResult notAProgram = Cli({"convert", names[0], "--all", "-o", out});
    EXPECT_EQ(notAProgram.status, 1);
    EXPECT_EQ(notAProgram.err,
              "pictoform-cli: cannot read '" + names[0] + "': not a program or library\n");
}

// Taken out of a library that windres built, each group is the icon file it
// was made from, byte for byte (one of them written by icotool); converting
// their depth on the way decodes them.
TEST(CliProgram, AllGroupsComeOutAsTheyWentIn) {
    PICTOFORM_REQUIRE_ICOTOOL();
    PICTOFORM_REQUIRE_MINGW(64);
    const SampleLibraries& libs = MinGwLibraries(64);
    ASSERT_FALSE(libs.full.empty());
    TempDir dir;
    const CommandResult r = Cli({"convert", libs.full, "--all", "-o", dir.File("as")});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<std::string> names = {"0-APPICON", "1-5", "2-7", "3-200"};
    ASSERT_EQ(libs.icons.size(), names.size());
    for (size_t g = 0; g < names.size(); ++g) {
        const std::string out = dir.File("as/sample64-full-" + names[g] + ".ico");
        EXPECT_EQ(ReadBytes(out), ReadBytes(libs.icons[g])) << out;
    }
    const CommandResult deeper =
        Cli({"convert", libs.full, "--all", "--depth", "32", "-o", dir.File("deep")});
    ASSERT_EQ(deeper.status, 0) << deeper.err;
    const auto images = ReadTopFirst(dir.File("deep/sample64-full-1-5.ico"));
    const auto& sources = SampleGroups()[1].sources;
    ASSERT_EQ(images.size(), sources.size());
    for (size_t i = 0; i < images.size(); ++i) {
        EXPECT_EQ(images[i].depth, kDepth32) << i;
        EXPECT_TRUE(SamePixels(PictureOfSource(sources[i]), PictureOfSource(images[i]))) << i;
    }
}

TEST(CliAnimated, FramesInInputOrderAndBack) {
    TempDir dir;
    CIconFile engine;
    const IconImageRec a = MakeImage(16, 16, kDepth32, [](int x, int y) {
        return Px{static_cast<uint8_t>(x * 16), static_cast<uint8_t>(y * 16), 5, 255};
    });
    const IconImageRec b = MakeImage(32, 32, kDepth256, [](int x, int) {
        return x < 16 ? Px{255, 0, 0, 255} : Px{0, 0, 255, 255};
    });
    ASSERT_TRUE(engine.WriteIconFile(dir.File("a.ico"), {a}, 0));
    ASSERT_TRUE(engine.WriteIconFile(dir.File("b.ico"), {b}, 0));
    const std::string ani = dir.File("x.ani");
    CommandResult r = Cli({"convert", dir.File("b.ico"), dir.File("a.ico"), "-o", ani});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto bytes = ReadBytes(ani);
    ASSERT_GE(bytes.size(), 12u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RIFF");
    EXPECT_EQ(U32At(bytes, 4) + 8, bytes.size());

    r = Cli({"info", ani});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, ani + "[0]: 32x32, depth 256 (8 bits per pixel), shown 10/60 s\n" + ani +
                         "[1]: 16x16, depth 32 (32 bits per pixel), shown 10/60 s\n" + ani +
                         ": animated cursor, 2 images\n");

    r = Cli({"convert", ani, "-o", dir.File("back.ico")});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto back = ReadTopFirst(dir.File("back.ico"));
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0].colours, ReadTopFirst(dir.File("b.ico"))[0].colours);
    EXPECT_EQ(back[1].colours, a.colours);
    EXPECT_EQ(back[1].alpha, a.alpha);
}
