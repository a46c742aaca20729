// pictoform-cli as scripts use it: exit status, exact output lines, and the
// files it leaves behind (or, on failure, leaves alone). What the readers and
// writers make of the pixels is checked on the core; here each command and
// option once, end to end.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <regex>
#include <sstream>
#include <sys/stat.h>

#include "icon/IconFile.h"
#include "icon/ModuleFixtures.h"

namespace pictoform {
namespace {

using namespace test;

CommandResult Cli(const std::vector<std::string>& args) {
    std::vector<std::string> argv{CliPath()};
    argv.insert(argv.end(), args.begin(), args.end());
    return test::Run(argv);
}

void SavePng(const std::string& path, const Picture& picture) {
    WriteBytes(path, PngBytes(picture));
}

// A record for the writers, top row first; below depth 32 only fully opaque
// pixels stay visible, so the patterns used there have no partial alpha.
IconImageRec Record(int width, int height, int32_t depth, const PixelFn& fn) {
    return ToRecord(Paint(width, height, fn), depth);
}

// The images of an icon file, top row first, as the sources were made.
std::vector<IconImageRec> ReadTopFirst(const std::string& path) {
    CIconFile engine;
    EXPECT_TRUE(engine.ReadIconFile(path)) << engine.LastError();
    std::vector<IconImageRec> images = engine.TakeImages();
    for (IconImageRec& rec : images) FlipRows(rec);
    return images;
}

// Every image's own hot spot of a cursor file, in file order.
std::vector<HotSpot> HotSpots(const std::string& path) {
    std::vector<HotSpot> spots;
    for (const IconImageRec& rec : ReadTopFirst(path))
        spots.push_back(rec.hotSpot.value_or(HotSpot{}));
    return spots;
}

// Group g of the sample library, pixel for pixel, at `depth` when given.
void ExpectSampleGroup(const std::string& path, size_t g, std::optional<int32_t> depth = {}) {
    const std::vector<IconImageRec> images = ReadTopFirst(path);
    const auto& sources = SampleGroups()[g].sources;
    ASSERT_EQ(images.size(), sources.size());
    for (size_t i = 0; i < images.size(); ++i) {
        EXPECT_EQ(images[i].depth, depth.value_or(sources[i].depth)) << i;
        EXPECT_TRUE(SamePixels(PictureOfSource(sources[i]), PictureOfSource(images[i]))) << i;
    }
}

// Pixel patterns with known colours. Soft: opacities of every kind, column 0
// fully transparent.
std::array<uint8_t, 4> Soft(int x, int y) {
    return {static_cast<uint8_t>(x * 13), static_cast<uint8_t>(y * 7 + 1),
            static_cast<uint8_t>((x * y) % 251), static_cast<uint8_t>(x == 0 ? 0 : 255 - y * 3)};
}
std::array<uint8_t, 4> Opaque(int x, int y) {
    return {static_cast<uint8_t>(x * 9 + 3), static_cast<uint8_t>(255 - y * 5),
            static_cast<uint8_t>(x ^ y), 255};
}
// Twelve colours and a transparent corner.
std::array<uint8_t, 4> Few(int x, int y) {
    if (x < 3 && y < 3) return {0, 0, 0, 0};
    const int k = (x / 4 + y / 4 * 3) % 12 + 1;
    return {static_cast<uint8_t>(k * 20), static_cast<uint8_t>(255 - k * 17),
            static_cast<uint8_t>(k * 41 % 256), 255};
}

// Exactly one line on standard error, starting with `prefix`.
::testing::AssertionResult OneErrorLine(const CommandResult& r, const std::string& prefix) {
    if (r.status != 1) return ::testing::AssertionFailure() << "exit status " << r.status;
    const size_t newline = r.err.find('\n');
    if (newline == std::string::npos || newline + 1 != r.err.size()) {
        return ::testing::AssertionFailure() << "not one line on stderr: '" << r.err << "'";
    }
    if (r.err.rfind(prefix, 0) != 0) {
        return ::testing::AssertionFailure()
               << "'" << r.err << "' does not start with '" << prefix << "'";
    }
    return ::testing::AssertionSuccess();
}

// --- Usage --------------------------------------------------------------------

TEST(CliUsage, HelpAndVersionExitZero) {
    const CommandResult help = Cli({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.err, "");
    EXPECT_NE(help.out.find("pictoform-cli info FILE..."), std::string::npos) << help.out;
    EXPECT_NE(help.out.find("pictoform-cli convert IN... -o OUT"), std::string::npos);
    // Asked after a command, too.
    for (const char* command : {"convert", "info", "thumbnail"}) {
        EXPECT_EQ(Cli({command, "a.ico", "--help"}).out, help.out) << command;
    }
    const CommandResult version = Cli({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.err, "");
    EXPECT_TRUE(std::regex_match(version.out, std::regex("pictoform-cli \\d+\\.\\d+\\.\\d+\n")))
        << version.out;
}

TEST(CliUsage, BadArgumentsExitOneWithOneLine) {
    TempDir dir;
    const std::string png = dir.File("a.png");
    SavePng(png, Paint(4, 4, Opaque));
    const std::string out = dir.File("out.ico");
    // Command lines, IN and OUT standing for the files.
    for (const char* line :
         {"frobnicate", "info", "convert -o OUT", "convert IN", "convert IN -o",
          "convert IN -o OUT --depth 8", "convert IN -o OUT --depth 256x",
          "convert IN -o OUT --depth", "convert IN -o OUT --hotspot 3",
          "convert IN -o OUT --hotspot -1,2", "convert IN -o OUT --hotspot 70000,2",
          "convert IN -o OUT --png 0", "convert IN -o OUT --png 1025",
          "convert IN -o OUT --png all", "convert IN -o OUT --fast", "thumbnail IN",
          "thumbnail --size 0 IN OUT", "thumbnail --size 1025 IN OUT", "thumbnail IN OUT --big"}) {
        SCOPED_TRACE(line);
        std::istringstream words(line);
        std::vector<std::string> args;
        for (std::string w; words >> w;) args.push_back(w == "IN" ? png : w == "OUT" ? out : w);
        const CommandResult r = Cli(args);
        EXPECT_TRUE(OneErrorLine(r, "pictoform-cli: "));
        EXPECT_EQ(r.out, "");
    }
    EXPECT_TRUE(OneErrorLine(Cli({"convert", png, "-o", out, "--depth", "8"}),
                             "pictoform-cli: --depth takes 2, 4, 16, 256, 24 or 32"));
    EXPECT_FALSE(FileExists(out));
    // Without arguments the usage goes to standard error.
    const CommandResult bare = Cli({});
    EXPECT_EQ(bare.status, 1);
    EXPECT_EQ(bare.out, "");
    EXPECT_NE(bare.err.find("Usage:"), std::string::npos);
}

// After "--", a name starting with '-' is a file, not an option.
TEST(CliUsage, FilesAfterTwoDashesMayStartWithADash) {
    TempDir dir;
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    SavePng("-a.png", Paint(4, 4, Opaque));
    const CommandResult converted = Cli({"convert", "-o", "b.ico", "--", "-a.png"});
    const CommandResult listed = Cli({"info", "--", "-a.png", "-h"});
    std::filesystem::current_path(before);
    EXPECT_EQ(converted.status, 0) << converted.err;
    EXPECT_EQ(ReadTopFirst(dir.File("b.ico")).at(0).width, 4);
    EXPECT_EQ(listed.out, "-a.png[0]: 4x4, depth 32 (32 bits per pixel)\n"
                          "-a.png: PNG picture, 1 image\n");
    EXPECT_TRUE(OneErrorLine(listed, "pictoform-cli: cannot read '-h'"));
}

// --- info ---------------------------------------------------------------------

// A file that cannot be read is told of, and the others are listed all the same.
TEST(CliInfo, ListsEveryImageSumsUpEachFileAndGoesOnPastOneItCannotRead) {
    TempDir dir;
    const std::string ico = dir.File("app.ico"), cur = dir.File("pointer.cur");
    const std::string png = dir.File("pic.png"), missing = dir.File("missing.ico");
    // The 32-bit image is stored compressed and is not square: its size is
    // read from the PNG's own header.
    IconImageRec wide = Record(40, 24, kDepth32, Soft);
    wide.png = true;
    WriteBytes(ico, IcoBytes({Record(16, 16, kDepth16, Few), wide,
                              Record(256, 256, kDepth256, Opaque), Record(17, 17, kDepth24, Few)}));
    // The hot spot's y lies below the image and is pulled onto its last row.
    IconImageRec pointer = Record(32, 32, kDepth2, Few);
    pointer.hotSpot = HotSpot{5, 40};
    WriteBytes(cur, IcoBytes({pointer}, kWriteCursor));
    SavePng(png, Paint(20, 10, Soft));

    const CommandResult r = Cli({"info", missing, ico, cur, png});
    EXPECT_TRUE(OneErrorLine(r, "pictoform-cli: cannot read '" + missing + "': "));
    EXPECT_EQ(r.out, ico + "[0]: 16x16, depth 16 (4 bits per pixel)\n" +           //
                         ico + "[1]: 40x24, depth 32 (32 bits per pixel), PNG\n" + //
                         ico + "[2]: 256x256, depth 256 (8 bits per pixel)\n" + ico +
                         "[3]: 17x17, depth 24 (24 bits per pixel)\n" + //
                         ico + ": icon, 4 images\n" +                   //
                         cur + "[0]: 32x32, depth 2 (1 bit per pixel), hot spot 5,31\n" + cur +
                         ": cursor, 1 image\n" +                              //
                         png + "[0]: 20x10, depth 32 (32 bits per pixel)\n" + //
                         png + ": PNG picture, 1 image\n");
}

// --- convert ------------------------------------------------------------------

// Pictures into one icon, in input order, each image a bitmap unless --png
// names a side it reaches; into a project and out again, the same file; into
// an animated cursor and back.
TEST(CliConvert, PngsIntoIconsProjectsAndAnimatedCursors) {
    TempDir dir;
    const std::vector<Picture> sources{Paint(16, 16, Soft), Paint(48, 48, Opaque),
                                       Paint(256, 256, Soft)};
    std::vector<std::string> args{"convert"};
    for (size_t i = 0; i < sources.size(); ++i) {
        args.push_back(dir.File("in" + std::to_string(i) + ".png"));
        SavePng(args.back(), sources[i]);
    }
    const std::string ico = dir.File("out.ico");
    args.insert(args.end(), {"-o", ico});
    const CommandResult r = Cli(args);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out + r.err, "");
    CIconFile engine;
    ASSERT_TRUE(engine.ReadIconFile(ico)) << engine.LastError();
    EXPECT_EQ(engine.FileType(), kIconType);

    // Converted again, each image keeps how it was stored unless told; below
    // 32 bits an image is a bitmap whatever its size.
    const std::string vista = dir.File("0.ico");
    const struct {
        std::string in;
        std::vector<std::string> options;
        std::vector<bool> compressed;
    } cases[] = {
        {ico, {"--png", "256"}, {false, false, true}},
        {vista, {}, {false, false, true}},
        {vista, {"--png", "none"}, {false, false, false}},
        {vista, {"--png", "32"}, {false, true, true}},
        {ico, {}, {false, false, false}},
        {args[3], {"--png", "256", "--depth", "24"}, {false}},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        std::vector<std::string> argv{"convert", cases[i].in, "-o",
                                      dir.File(std::to_string(i) + ".ico")};
        argv.insert(argv.end(), cases[i].options.begin(), cases[i].options.end());
        ASSERT_EQ(Cli(argv).status, 0) << i;
        const std::vector<IconImageRec> images = ReadTopFirst(argv[3]);
        ASSERT_EQ(images.size(), cases[i].compressed.size()) << i;
        for (size_t k = 0; k < images.size(); ++k) {
            EXPECT_EQ(images[k].png, cases[i].compressed[k]) << i << ", image " << k;
            if (images.size() < 3) continue; // the one at another depth
            EXPECT_TRUE(SamePixels(sources[k], PictureOfSource(images[k]))) << i;
        }
    }

    const std::string project = dir.File("work.pfi"), back = dir.File("back.ico");
    ASSERT_EQ(Cli({"convert", ico, "-o", project}).status, 0);
    ASSERT_EQ(Cli({"convert", project, "-o", back}).status, 0);
    EXPECT_TRUE(ReadBytes(back) == ReadBytes(ico));

    const std::string ani = dir.File("x.ani");
    ASSERT_EQ(Cli({"convert", args[2], args[1], "-o", ani}).status, 0);
    EXPECT_EQ(Cli({"info", ani}).out,
              ani + "[0]: 48x48, depth 32 (32 bits per pixel), shown 10/60 s\n" + ani +
                  "[1]: 16x16, depth 32 (32 bits per pixel), shown 10/60 s\n" + ani +
                  ": animated cursor, 2 images\n");
    ASSERT_EQ(Cli({"convert", ani, "-o", back}).status, 0);
    const std::vector<IconImageRec> frames = ReadTopFirst(back);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_TRUE(SamePixels(sources[1], PictureOfSource(frames[0])));
    EXPECT_TRUE(SamePixels(sources[0], PictureOfSource(frames[1])));
}

TEST(CliConvert, IconIntoOnePngPerImageNamedByIndexAndSize) {
    TempDir dir;
    const std::string ico = dir.File("two.ico"), stem = dir.File("frames");
    WriteBytes(ico, IcoBytes({Record(16, 16, kDepth32, Soft), Record(17, 9, kDepth24, Few)}));
    const CommandResult r = Cli({"convert", ico, "-o", stem + ".png"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, stem + "-0-16x16.png\n" + stem + "-1-17x9.png\n");
    EXPECT_EQ(FilesIn(dir.Path()),
              (std::vector<std::string>{"frames-0-16x16.png", "frames-1-17x9.png", "two.ico"}));
    EXPECT_TRUE(SamePixels(Paint(16, 16, Soft), ReadPngFile(stem + "-0-16x16.png")));
    // A 24-bit image's transparent pixels come out with alpha 0, the rest opaque.
    EXPECT_TRUE(SamePixels(Paint(17, 9, Few), ReadPngFile(stem + "-1-17x9.png")));
}

TEST(CliConvert, APngStoredImageComesOutAsTheFileHeldIt) {
    PICTOFORM_REQUIRE_ICOTOOL();
    PICTOFORM_REQUIRE_CONVERT();
    // A PNG that ImageMagick encoded, stored by icotool as it is.
    TempDir dir;
    const std::string png = dir.File("made.png"), ico = dir.File("made.ico");
    ASSERT_EQ(
        test::Run({ConvertPath(), "-size", "48x48", "radial-gradient:#f80-#04f0", "PNG32:" + png})
            .status,
        0);
    ASSERT_EQ(test::Run({IcotoolPath(), "-c", "-o", ico, "--raw=" + png}).status, 0);
    const std::vector<uint8_t> stored = ReadBytes(png);
    std::vector<uint8_t> file = ReadBytes(ico);
    ASSERT_EQ(file.size(), 22 + stored.size());
    // An entry that gives the PNG more bytes than it has hands on the PNG alone.
    file.insert(file.end(), {'n', 'e', 'x', 't'});
    for (int i = 0; i < 4; ++i) file[14 + size_t(i)] = uint8_t((stored.size() + 4) >> (8 * i));
    WriteBytes(ico, file);
    ASSERT_EQ(Cli({"convert", ico, "-o", dir.File("as-is.png")}).status, 0);
    EXPECT_TRUE(ReadBytes(dir.File("as-is-0-48x48.png")) == stored);
    // So does an icon written from it, faint pixels' colours and all.
    ASSERT_EQ(Cli({"convert", ico, "-o", dir.File("copy.ico")}).status, 0);
    const std::vector<uint8_t> copy = ReadBytes(dir.File("copy.ico"));
    ASSERT_EQ(copy.size(), 22 + stored.size());
    EXPECT_TRUE(std::equal(stored.begin(), stored.end(), copy.begin() + 22));
    // A depth to convert to is work to do: the pixels are encoded again.
    ASSERT_EQ(Cli({"convert", ico, "-o", dir.File("again.png"), "--depth", "24"}).status, 0);
    EXPECT_FALSE(ReadBytes(dir.File("again-0-48x48.png")) == stored);
}

// --depth 256 keeps a few colours exactly; a depth without alpha lays partly
// opaque pixels over white and drops those under half opacity.
TEST(CliConvert, DepthOption) {
    TempDir dir;
    const std::string few = dir.File("few.png"), soft = dir.File("soft.png");
    const std::string ico = dir.File("out.ico");
    SavePng(few, Paint(24, 24, Few));
    ASSERT_EQ(Cli({"convert", few, "-o", ico, "--depth", "256"}).status, 0);
    std::vector<IconImageRec> images = ReadTopFirst(ico);
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0].depth, kDepth256);
    EXPECT_TRUE(SamePixels(Paint(24, 24, Few), PictureOfSource(images[0])));

    // Row 0 opaque; row 1 half opaque and just under; row 2 other opacities.
    const PixelFn pixels = [](int x, int y) -> std::array<uint8_t, 4> {
        const uint8_t v = static_cast<uint8_t>(x * 51); // 0, 51, ... 255
        if (y == 0) return {v, static_cast<uint8_t>(255 - v), 128, 255};
        if (y == 1) return {v, v, v, static_cast<uint8_t>(x % 2 ? 128 : 127)};
        return {v, 0, 200, static_cast<uint8_t>(200 + x)};
    };
    SavePng(soft, Paint(6, 3, pixels));
    ASSERT_EQ(Cli({"convert", soft, "-o", ico, "--depth", "24"}).status, 0);
    images = ReadTopFirst(ico);
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0].depth, kDepth24);
    const Picture got = PictureOfSource(images[0]);
    for (int p = 0; p < 18; ++p) {
        SCOPED_TRACE("pixel " + std::to_string(p));
        const std::array<uint8_t, 4> in = pixels(p % 6, p / 6);
        const uint8_t* out = &got.rgba[size_t(p) * 4];
        EXPECT_EQ(out[3], in[3] < 128 ? 0 : 255);
        if (in[3] < 128) continue;
        // v * a / 255 + 255 - a, rounded: opaque pixels keep their colour exactly.
        for (int c = 0; c < 3; ++c) EXPECT_NEAR(out[c], in[c] * in[3] / 255.0 + 255 - in[3], 0.6);
    }
}

// --hotspot goes to every image, pulled inside each; without it each cursor
// image keeps the one it was read with, and a picture gets 0,0.
TEST(CliConvert, HotSpotOfACursor) {
    TempDir dir;
    const std::string small = dir.File("small.png"), large = dir.File("large.png");
    SavePng(small, Paint(16, 16, Soft));
    SavePng(large, Paint(32, 24, Opaque));
    const std::string given = dir.File("given.cur"), copy = dir.File("copy.cur");
    const std::string plain = dir.File("plain.cur");
    ASSERT_EQ(Cli({"convert", small, large, "-o", given, "--hotspot", "20,9"}).status, 0);
    ASSERT_EQ(Cli({"convert", given, "-o", copy}).status, 0);
    ASSERT_EQ(Cli({"convert", large, "-o", plain}).status, 0);
    EXPECT_EQ(HotSpots(copy), (std::vector<HotSpot>{{15, 9}, {20, 9}}));
    EXPECT_EQ(HotSpots(plain), (std::vector<HotSpot>{{0, 0}}));
}

// Xcursor files go by their content in and by --format out (they have no
// name ending by custom), with the hot spot and the frame's time.
TEST(CliConvert, XcursorOutByFormatAndInByContent) {
    TempDir temp;
    const std::string png = temp.File("a.png"), cursor = temp.File("arrow");
    const std::string back = temp.File("back.cur"), ani = temp.File("arrow.ani");
    SavePng(png, Paint(8, 8, Opaque));
    CommandResult r =
        Cli({"convert", png, "--hotspot", "2,3", "--format", "xcursor", "-o", cursor});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Cli({"info", cursor}).out,
              cursor +
                  "[0]: 8x8, depth 32 (32 bits per pixel), hot spot 2,3, nominal size 8, shown "
                  "167 ms\n" +
                  cursor + ": Xcursor, 1 image\n");
    // And back out as a Windows cursor, pixels and hot spot kept.
    ASSERT_EQ(Cli({"convert", cursor, "-o", back}).status, 0);
    EXPECT_EQ(HotSpots(back), (std::vector<HotSpot>{{2, 3}}));
    EXPECT_TRUE(SamePixels(Paint(8, 8, Opaque), PictureOfSource(ReadTopFirst(back).at(0))));
    // Into an animated cursor and back to Xcursor: hot spot and time kept.
    ASSERT_EQ(Cli({"convert", cursor, "-o", ani}).status, 0);
    EXPECT_EQ(Cli({"info", ani}).out,
              ani + "[0]: 8x8, depth 32 (32 bits per pixel), hot spot 2,3, shown 10/60 s\n" + ani +
                  ": animated cursor, 1 image\n");
    EXPECT_EQ(
        Cli({"convert", png, "--format", "bmp", "-o", cursor}).err,
        "pictoform-cli: --format takes ico, cur, ani, png, xcursor or pfi (see 'pictoform-cli "
        "--help')\n");
}

// --- Failures -----------------------------------------------------------------

// What cannot be read is told of in one line, and nothing is written: not for
// a damaged input (alone or after a good one), nor for an output of a type
// the tool does not write or one that cannot be replaced. An output that is
// replaced keeps its permissions.
TEST(CliErrors, WhatCannotBeReadOrWrittenIsToldInOneLineAndNothingIsWritten) {
    TempDir dir;
    const std::string png = dir.File("a.png"), good = dir.File("good.ico");
    SavePng(png, Paint(16, 16, Soft));
    WriteBytes(good, IcoBytes({Record(32, 32, kDepth32, Soft)}));
    const std::vector<uint8_t> bytes = ReadBytes(good);
    const std::string missing = dir.File("missing.ico"), truncated = dir.File("truncated.ico");
    const std::string notIcon = dir.File("text.ico"), fakePng = dir.File("fake.png");
    const std::string huge = dir.File("huge.png"), out = dir.File("out.ico");
    WriteBytes(truncated, {bytes.begin(), bytes.begin() + 600});
    WriteBytes(notIcon, {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '\n'});
    WriteBytes(fakePng, bytes);
    SavePng(huge, Paint(300, 10, Opaque));
    for (const std::string& bad : {missing, truncated, notIcon, fakePng, huge}) {
        SCOPED_TRACE(bad);
        const CommandResult info = Cli({"info", bad});
        EXPECT_TRUE(OneErrorLine(info, "pictoform-cli: cannot read '" + bad + "': "));
        EXPECT_EQ(info.out, "");
        const CommandResult convert = Cli({"convert", bad, "-o", out});
        EXPECT_TRUE(OneErrorLine(convert, "pictoform-cli: cannot read '" + bad + "': "));
        EXPECT_EQ(convert.out, "");
        // A thumbnail goes by content, not name, and takes pictures of any size.
        if (bad == huge || bad == fakePng) continue;
        const CommandResult thumbnail = Cli({"thumbnail", bad, dir.File("out.png")});
        EXPECT_TRUE(
            OneErrorLine(thumbnail, "pictoform-cli: cannot make a thumbnail of '" + bad + "': "));
    }
    EXPECT_EQ(Cli({"info", missing}).err,
              "pictoform-cli: cannot read '" + missing + "': No such file or directory\n");

    WriteBytes(out, bytes);
    EXPECT_EQ(Cli({"convert", png, truncated, "-o", out}).status, 1);
    EXPECT_EQ(Cli({"convert", png, missing, "-o", out}).status, 1);
    const std::string folder = dir.File("folder.ico");
    std::filesystem::create_directory(folder);
    WriteBytes(folder + "/inside", {1, 2, 3});
    for (const std::string name :
         {"out.bmp", "out", "out.ico.bak", "dir.ico/out", "folder.ico", "no/such/folder/out.ico"}) {
        const std::string other = dir.File(name);
        EXPECT_TRUE(OneErrorLine(Cli({"convert", png, "-o", other}),
                                 "pictoform-cli: cannot write '" + other + "': "))
            << name;
    }
    EXPECT_EQ(FilesIn(folder), std::vector<std::string>{"inside"});
    EXPECT_EQ(ReadBytes(out), bytes);
    // A set of PNGs is written whole or not at all: with the second name
    // taken by a folder, the first keeps what an earlier run left there.
    const std::string three = dir.File("three.ico"), earlier = dir.File("set-0-16x16.png");
    WriteBytes(three, IcoBytes({Record(16, 16, kDepth32, Soft), Record(8, 8, kDepth32, Soft),
                                Record(4, 4, kDepth32, Soft)}));
    WriteBytes(earlier, {1, 2, 3});
    std::filesystem::create_directory(dir.File("set-1-8x8.png"));
    const CommandResult set = Cli({"convert", three, "-o", dir.File("set.png")});
    EXPECT_TRUE(OneErrorLine(set, "pictoform-cli: cannot write '" + dir.File("set-1-8x8.png") +
                                      "': not a regular file"));
    EXPECT_EQ(set.out, "");
    EXPECT_EQ(ReadBytes(earlier), (std::vector<uint8_t>{1, 2, 3}));
    // Replaced at last, the output keeps its permissions.
    ASSERT_EQ(::chmod(out.c_str(), 0640), 0);
    ASSERT_EQ(Cli({"convert", png, "-o", out}).status, 0);
    struct stat st {};
    ASSERT_EQ(::stat(out.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    // The 16 x 16 picture, not the 32 x 32 icon that was there.
    EXPECT_EQ(ReadTopFirst(out).at(0).width, 16);
    // Nothing was left beside the outputs either, written or not.
    EXPECT_EQ(FilesIn(dir.Path()),
              (std::vector<std::string>{"a.png", "fake.png", "folder.ico", "good.ico", "huge.png",
                                        "out.ico", "set-0-16x16.png", "set-1-8x8.png", "text.ico",
                                        "three.ico", "truncated.ico"}));
}

// --- Themes and system icons -------------------------------------------------

// theme: a cursor theme Debian ships into Windows cursors and back into a
// theme at the sizes asked for; what would be lost or overwritten is refused.
TEST(CliTheme, ADebianThemeToWindowsCursorsAndBackAtTheSizesAskedFor) {
    const std::string cursors = SystemCursorTheme("DMZ-White");
    if (!OracleAvailable("DMZ-White cursor theme", cursors)) return;
    const std::string dmz = cursors.substr(0, cursors.size() - std::string("/cursors").size());
    TempDir temp;
    const std::string windows = temp.File("win"), theme = temp.File("x");
    CommandResult r = Cli({"theme", dmz, "-o", windows});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.out.ends_with(windows + ": Windows cursors with an install.inf, 15 cursors\n"))
        << r.out;
    EXPECT_NE(r.out.find("Busy: cursors/watch -> busy.ani\n"), std::string::npos) << r.out;
    r = Cli({"theme", windows, "-o", theme, "--sizes", "24,48"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Normal Select: pointer.cur -> cursors/default (2 images)\n"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(Cli({"theme", windows, "-o", theme}).err,
              "pictoform-cli: cannot make a cursor theme of '" + windows + "': " + theme +
                  " already exists and is not empty\n");
    EXPECT_EQ(Cli({"theme", theme, "-o", temp.File("y"), "--sizes", "32"}).err,
              "pictoform-cli: --sizes makes an Xcursor theme; '" + theme +
                  "' is one already (see 'pictoform-cli --help')\n");
    EXPECT_EQ(Cli({"theme", windows, "-o", temp.File("y"), "--sizes", "24,0"}).err,
              "pictoform-cli: --sizes takes sizes from 1 to 256, such as 24,32,48 (see "
              "'pictoform-cli --help')\n");
}

// sysicons for scripts: the desktop's theme named by GTK's settings (no
// gsettings on the path), a scratch system theme, a scratch home.
TEST(CliSysIcons, ReplaceWritesIntoTheDesktopsThemeAndRestoreTakesItOut) {
    TempDir temp;
    const std::string config = temp.File("config"), data = temp.File("data");
    const std::string system = temp.File("usr"), icon = temp.File("red.png");
    const auto write = [](const std::string& path, const std::string& text) {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        WriteBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
    };
    write(config + "/gtk-3.0/settings.ini", "[Settings]\ngtk-icon-theme-name=Scratch\n");
    write(system + "/icons/Scratch/index.theme",
          "[Icon Theme]\nName=Scratch\nDirectories=24x24/devices\n[24x24/devices]\nSize=24\n");
    write(system + "/icons/Scratch/24x24/devices/computer.png", "");
    const PixelFn red = [](int, int) { return std::array<uint8_t, 4>{255, 0, 0, 255}; };
    SavePng(icon, Paint(12, 12, red));
    const auto sysicons = [&](std::vector<std::string> args) {
        args.insert(args.begin(), {"/usr/bin/env", "PATH=", "HOME=" + temp.File("home"),
                                   "XDG_CONFIG_HOME=" + config, "XDG_DATA_HOME=" + data,
                                   "XDG_DATA_DIRS=" + system, CliPath(), "sysicons"});
        return test::Run(args);
    };
    const std::string written = data + "/icons/Scratch/24x24/devices/computer.png";
    CommandResult r = sysicons({"replace", "my_computer", icon});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(SamePixels(Paint(24, 24, red), ReadPngFile(written)));
    r = sysicons({"list"});
    EXPECT_NE(r.out.find("0  My_Computer  " + icon + ",0\n"), std::string::npos) << r.out;
    r = sysicons({"restore", "0"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(std::filesystem::exists(written));
    EXPECT_TRUE(
        OneErrorLine(sysicons({"replace", "Network", icon}),
                     "pictoform-cli: the new icon is kept, but the desktop will not show "
                     "it: the icon theme \"Scratch\" has no icon named \"network-workgroup\"\n"));
    EXPECT_TRUE(
        OneErrorLine(sysicons({"replace", "Printer", icon}),
                     "pictoform-cli: no system icon item 'Printer' (see 'sysicons list')\n"));
    for (const std::string index : {"-", "5-", "99999999999"}) {
        EXPECT_TRUE(OneErrorLine(sysicons({"replace", "my_computer", icon + "," + index}),
                                 "pictoform-cli: '" + index +
                                     "' is not an icon index (ICON,INDEX takes a whole number)\n"));
    }
    (void)sysicons({"restore-all"});
}

// --- Programs and animated cursors -------------------------------------------

TEST(CliProgram, InfoListsTheGroupsInTheViewersOrderAndConvertTakesOneOrAll) {
    TempDir dir;
    // Groups "APPICON", 5, 7 and 200.
    const std::string lib = dir.File("prog.dll");
    WriteBytes(lib, BuildPe(false, SampleResources(true)).bytes);
    CommandResult r = Cli({"info", lib});
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

    r = Cli({"convert", lib, "--index", "1", "-o", dir.File("five.ico")});
    ASSERT_EQ(r.status, 0) << r.err;
    ExpectSampleGroup(dir.File("five.ico"), 1);

    // Several groups and no choice: refused, saying what to do.
    EXPECT_TRUE(OneErrorLine(Cli({"convert", lib, "-o", dir.File("x.ico")}),
                             "pictoform-cli: cannot read '" + lib +
                                 "': holds 4 icon groups: choose one with --index N, or take "
                                 "them all with --all\n"));
    EXPECT_TRUE(
        OneErrorLine(Cli({"convert", lib, "--index", "4", "-o", dir.File("x.ico")}),
                     "pictoform-cli: cannot read '" + lib + "': has 4 icon groups, no group 4\n"));
    EXPECT_FALSE(FileExists(dir.File("x.ico")));

    // All groups go into a folder, here decoded on the way to another depth.
    const std::string out = dir.File("icons");
    r = Cli({"convert", lib, "--all", "--depth", "32", "-o", out});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, out + "/prog-0-APPICON.ico\n" + out + "/prog-1-5.ico\n" + out +
                         "/prog-2-7.ico\n" + out + "/prog-3-200.ico\n");
    ExpectSampleGroup(out + "/prog-1-5.ico", 1, kDepth32);
    r = Cli({"convert", out + "/prog-1-5.ico", "--all", "-o", out});
    EXPECT_TRUE(OneErrorLine(r, "pictoform-cli: cannot read '" + out +
                                    "/prog-1-5.ico': not a program or library\n"));
}

// Taken out of a library that windres built, each group is the icon file it
// was made from, byte for byte (one of them written by icotool).
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
}

} // namespace
} // namespace pictoform
