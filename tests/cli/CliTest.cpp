// pictoform-cli as scripts use it: exit status, exact output lines, and the
// files it leaves behind (or, on failure, leaves alone).

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <sys/stat.h>

#include "icon/IconFile.h"
#include "icon/ModuleFixtures.h"
#include "icon/PngCodec.h"
#include "support/Pictures.h"
#include "support/TestSupport.h"

namespace pictoform {
namespace {

using test::CliPath;
using test::CommandResult;
using test::PixelFn;
using test::ReadBytes;
using test::SamePixels;
using test::TempDir;
using test::U16At;
using test::U32At;

CommandResult Cli(const std::vector<std::string>& args) {
    std::vector<std::string> argv{CliPath()};
    argv.insert(argv.end(), args.begin(), args.end());
    return test::Run(argv);
}

// Top row first, blue, green, red, alpha.
PngPixels Paint(int width, int height, const PixelFn& fn) {
    return test::PngOfPicture(test::Paint(width, height, fn));
}

void SavePng(const std::string& path, const PngPixels& pixels) {
    std::vector<uint8_t> bytes;
    std::string reason;
    ASSERT_TRUE(EncodePng(pixels, bytes, reason)) << reason;
    test::WriteBytes(path, bytes);
}

PngPixels LoadPng(const std::string& path) {
    return test::PngOfPicture(test::ReadPngFile(path));
}

// A record for the writers, top row first; below depth 32 only fully opaque
// pixels stay visible, so the patterns used there have no partial alpha.
IconImageRec Record(int width, int height, int32_t depth, const PixelFn& fn) {
    return test::ToRecord(test::Paint(width, height, fn), depth);
}

void SaveIcon(const std::string& path, const std::vector<IconImageRec>& images, unsigned flags = 0,
              HotSpot hotSpot = {}) {
    CIconFile engine;
    engine.LoadedHotSpot() = hotSpot;
    ASSERT_TRUE(engine.WriteIconFile(path, images, flags)) << engine.LastError();
}

// The pixels our reader finds in image `index`, as a top-row-first PNG
// buffer, transparent pixels cleared.
PngPixels Decoded(const CIconFile& engine, size_t index) {
    return test::PngOfPicture(test::Normalised(test::PictureOf(engine.Images().at(index))));
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

std::vector<std::string> FilesIn(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir)) {
        names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// A library of our own making with the sample groups: "APPICON", 5, 7, 200.
std::string SampleLibrary(const TempDir& dir) {
    const std::string path = dir.File("prog.dll");
    test::WriteBytes(path, test::BuildPe(false, test::SampleResources(true)).bytes);
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

// --- Usage --------------------------------------------------------------------

// Every image's own hot spot of the cursor last read, in file order.
std::vector<HotSpot> HotSpots(const CIconFile& engine) {
    std::vector<HotSpot> spots;
    for (const IconImageRec& rec : engine.Images())
        spots.push_back(rec.hotSpot.value_or(HotSpot{}));
    return spots;
}

TEST(CliUsage, HelpAndVersionExitZero) {
    const CommandResult help = Cli({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.err, "");
    EXPECT_NE(help.out.find("pictoform-cli info FILE..."), std::string::npos) << help.out;
    EXPECT_NE(help.out.find("pictoform-cli convert IN... -o OUT"), std::string::npos);

    const CommandResult version = Cli({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.err, "");
    // "pictoform-cli X.Y.Z" and a newline.
    const std::string prefix = "pictoform-cli ";
    ASSERT_EQ(version.out.rfind(prefix, 0), 0u) << version.out;
    const std::string number = version.out.substr(prefix.size());
    EXPECT_EQ(std::count(number.begin(), number.end(), '.'), 2) << version.out;
    EXPECT_EQ(number.find_first_not_of("0123456789.\n"), std::string::npos) << version.out;
    EXPECT_EQ(number.back(), '\n');
}

TEST(CliUsage, BadArgumentsExitOneWithOneLine) {
    TempDir dir;
    const std::string png = dir.File("a.png");
    SavePng(png, Paint(4, 4, Opaque));
    const std::string out = dir.File("out.ico");
    const std::vector<std::vector<std::string>> cases{
        {"frobnicate"},
        {"info"},
        {"convert", "-o", out},
        {"convert", png},
        {"convert", png, "-o"},
        {"convert", png, "-o", out, "--depth", "8"},
        {"convert", png, "-o", out, "--depth", "256x"},
        {"convert", png, "-o", out, "--depth"},
        {"convert", png, "-o", out, "--hotspot", "3"},
        {"convert", png, "-o", out, "--hotspot", "-1,2"},
        {"convert", png, "-o", out, "--hotspot", "70000,2"},
        {"convert", png, "-o", out, "--png", "0"},
        {"convert", png, "-o", out, "--png", "1025"},
        {"convert", png, "-o", out, "--png", "all"},
        {"convert", png, "-o", out, "--fast"},
        {"thumbnail", png},
        {"thumbnail", "--size", "0", png, out},
        {"thumbnail", "--size", "1025", png, out},
        {"thumbnail", png, out, "--big"},
    };
    for (const auto& args : cases) {
        const CommandResult r = Cli(args);
        std::string joined;
        for (const std::string& a : args) joined += " " + a;
        EXPECT_TRUE(OneErrorLine(r, "pictoform-cli: ")) << joined;
        EXPECT_EQ(r.out, "") << joined;
    }
    EXPECT_TRUE(OneErrorLine(Cli({"convert", png, "-o", out, "--depth", "8"}),
                             "pictoform-cli: --depth takes 2, 4, 16, 256, 24 or 32"));
    EXPECT_FALSE(test::FileExists(out));
    // Without arguments the usage goes to standard error.
    const CommandResult bare = Cli({});
    EXPECT_EQ(bare.status, 1);
    EXPECT_EQ(bare.out, "");
    EXPECT_NE(bare.err.find("Usage:"), std::string::npos);
}

// --- info ---------------------------------------------------------------------

TEST(CliInfo, ListsEveryImageAndSumsUpEachFile) {
    TempDir dir;
    const std::string ico = dir.File("app.ico");
    const std::string cur = dir.File("pointer.cur");
    const std::string png = dir.File("pic.png");
    // The 32-bit image is stored compressed and is not square: its size is
    // read from the PNG's own header.
    IconImageRec wide = Record(40, 24, kDepth32, Soft);
    wide.png = true;
    SaveIcon(ico, {Record(16, 16, kDepth16, Few), wide, Record(256, 256, kDepth256, Opaque),
                   Record(17, 17, kDepth24, Few)});
    // The hot spot's y lies below the image and is pulled onto its last row.
    SaveIcon(cur, {Record(32, 32, kDepth2, Few)}, kWriteCursor, {5, 40});
    SavePng(png, Paint(20, 10, Soft));

    const CommandResult r = Cli({"info", ico, cur, png});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
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

TEST(CliInfo, GoesOnPastAFileItCannotRead) {
    TempDir dir;
    const std::string ico = dir.File("good.ico");
    const std::string missing = dir.File("missing.ico");
    SaveIcon(ico, {Record(8, 8, kDepth24, Opaque)});
    const CommandResult r = Cli({"info", missing, ico});
    EXPECT_TRUE(OneErrorLine(r, "pictoform-cli: cannot read '" + missing + "': "));
    EXPECT_EQ(r.out, ico + "[0]: 8x8, depth 24 (24 bits per pixel)\n" + ico + ": icon, 1 image\n");
}

// --- convert ------------------------------------------------------------------

TEST(CliConvert, PngsIntoOneIcon) {
    PICTOFORM_REQUIRE_ICOTOOL();
    TempDir dir;
    const std::vector<PngPixels> sources{Paint(16, 16, Soft), Paint(48, 48, Opaque),
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
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");

    CIconFile engine;
    ASSERT_TRUE(engine.ReadIconFile(ico)) << engine.LastError();
    ASSERT_EQ(engine.Images().size(), 3u);
    EXPECT_EQ(engine.FileType(), kIconType);
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE("image " + std::to_string(i));
        EXPECT_EQ(engine.Images()[i].depth, kDepth32);
        EXPECT_TRUE(SamePixels(sources[i], Decoded(engine, i)));
    }
    // Without --png 256 every image is a bitmap.
    const std::vector<uint8_t> bytes = ReadBytes(ico);
    EXPECT_EQ(U32At(bytes, U32At(bytes, 6 + 32 + 12)), 40u);

    const CommandResult listed = test::Run({test::IcotoolPath(), "-l", ico});
    EXPECT_EQ(listed.status, 0);
    EXPECT_EQ(listed.err, "");
    EXPECT_EQ(listed.out,
              "--icon --index=1 --width=16 --height=16 --bit-depth=32 --palette-size=0\n"
              "--icon --index=2 --width=48 --height=48 --bit-depth=32 --palette-size=0\n"
              "--icon --index=3 --width=256 --height=256 --bit-depth=32 --palette-size=0\n");

    // Into a project and out again, the same file.
    const std::string project = dir.File("work.pfi"), back = dir.File("back.ico");
    ASSERT_EQ(Cli({"convert", ico, "-o", project}).status, 0);
    ASSERT_EQ(Cli({"convert", project, "-o", back}).status, 0);
    EXPECT_TRUE(ReadBytes(back) == bytes);
}

TEST(CliConvert, IconIntoOnePngPerImage) {
    TempDir dir;
    const std::string ico = dir.File("two.ico");
    SaveIcon(ico, {Record(16, 16, kDepth32, Soft), Record(17, 9, kDepth24, Few)});
    const std::string stem = dir.File("frames");
    const CommandResult r = Cli({"convert", ico, "-o", stem + ".png"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string first = stem + "-0-16x16.png";
    const std::string second = stem + "-1-17x9.png";
    EXPECT_EQ(r.out, first + "\n" + second + "\n");
    EXPECT_EQ(FilesIn(dir.Path()),
              (std::vector<std::string>{"frames-0-16x16.png", "frames-1-17x9.png", "two.ico"}));

    EXPECT_TRUE(SamePixels(Paint(16, 16, Soft), LoadPng(first)));
    // A 24-bit image's transparent pixels come out with alpha 0, the rest opaque.
    const PngPixels few = LoadPng(second);
    EXPECT_TRUE(SamePixels(Paint(17, 9, Few), few));
    for (size_t p = 0; p < few.bgra.size(); p += 4) {
        ASSERT_TRUE(few.bgra[p + 3] == 0 || few.bgra[p + 3] == 255) << "pixel " << p / 4;
    }
}

TEST(CliConvert, APngStoredImageComesOutAsTheFileHeldIt) {
    if (!test::OracleAvailable("icotool (icoutils)", test::IcotoolPath()) ||
        !test::OracleAvailable("ImageMagick", test::ConvertPath())) {
        return;
    }
    // A PNG that ImageMagick encoded, stored by icotool as it is.
    TempDir dir;
    const std::string png = dir.File("made.png"), ico = dir.File("made.ico");
    ASSERT_EQ(test::Run({test::ConvertPath(), "-size", "48x48", "radial-gradient:#f80-#04f0",
                         "PNG32:" + png})
                  .status,
              0);
    ASSERT_EQ(test::Run({test::IcotoolPath(), "-c", "-o", ico, "--raw=" + png}).status, 0);
    const std::vector<uint8_t> file = ReadBytes(ico);
    const std::vector<uint8_t> stored(file.begin() + U32At(file, 18),
                                      file.begin() + U32At(file, 18) + U32At(file, 14));
    ASSERT_TRUE(HasPngSignature(stored));
    // An entry that gives the PNG more bytes than it has hands on the PNG alone.
    std::vector<uint8_t> padded = file;
    padded.insert(padded.end(), {'n', 'e', 'x', 't'});
    const uint32_t size = U32At(file, 14) + 4;
    for (int i = 0; i < 4; ++i) padded[14 + size_t(i)] = uint8_t(size >> (8 * i));
    test::WriteBytes(ico, padded);
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

TEST(CliConvert, Depth256KeepsAFewColoursExactly) {
    TempDir dir;
    const std::string png = dir.File("few.png");
    const std::string ico = dir.File("few.ico");
    SavePng(png, Paint(24, 24, Few));
    const CommandResult r = Cli({"convert", png, "-o", ico, "--depth", "256"});
    ASSERT_EQ(r.status, 0) << r.err;

    const std::vector<uint8_t> bytes = ReadBytes(ico);
    ASSERT_GE(bytes.size(), 22u + 40u);
    EXPECT_EQ(bytes[8], 0u) << "colour count of 256 colours";
    EXPECT_EQ(U16At(bytes, 12), 8u) << "bits per pixel";
    EXPECT_EQ(U32At(bytes, 14), 40u + 1024u + (24u + 4u) * 24u);
    CIconFile engine;
    ASSERT_TRUE(engine.ReadIconFile(ico)) << engine.LastError();
    ASSERT_EQ(engine.Images().size(), 1u);
    EXPECT_EQ(engine.Images()[0].depth, kDepth256);
    EXPECT_TRUE(SamePixels(Paint(24, 24, Few), Decoded(engine, 0)));
}

TEST(CliConvert, LoweringTheDepthFlattensAlphaOverWhite) {
    TempDir dir;
    const std::string png = dir.File("soft.png");
    const std::string ico = dir.File("flat.ico");
    // Row 0 opaque; row 1 half opaque and just under; row 2 other opacities.
    const PixelFn pixels = [](int x, int y) -> std::array<uint8_t, 4> {
        const uint8_t v = static_cast<uint8_t>(x * 51); // 0, 51, ... 255
        if (y == 0) return {v, static_cast<uint8_t>(255 - v), 128, 255};
        if (y == 1) return {v, v, v, static_cast<uint8_t>(x % 2 ? 128 : 127)};
        return {v, 0, 200, static_cast<uint8_t>(200 + x)};
    };
    SavePng(png, Paint(6, 3, pixels));
    const CommandResult r = Cli({"convert", png, "-o", ico, "--depth", "24"});
    ASSERT_EQ(r.status, 0) << r.err;
    CIconFile engine;
    ASSERT_TRUE(engine.ReadIconFile(ico)) << engine.LastError();
    ASSERT_EQ(engine.Images().size(), 1u);
    EXPECT_EQ(engine.Images()[0].depth, kDepth24);
    const PngPixels got = Decoded(engine, 0);

    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 6; ++x) {
            SCOPED_TRACE("pixel " + std::to_string(x) + "," + std::to_string(y));
            const std::array<uint8_t, 4> in = pixels(x, y);
            const uint8_t* c = &got.bgra[static_cast<size_t>(y * 6 + x) * 4];
            const std::array<uint8_t, 4> out{c[2], c[1], c[0], c[3]};
            if (in[3] < 128) {
                EXPECT_EQ(out[3], 0);
            } else if (in[3] == 255) {
                // Fully opaque pixels keep their colour exactly.
                EXPECT_EQ(out, in);
            } else {
                EXPECT_EQ(out[3], 255);
                // Laid over white: v * a / 255 + 255 - a, give or take rounding.
                for (size_t ch = 0; ch < 3; ++ch) {
                    EXPECT_NEAR(out[ch], in[ch] * in[3] / 255.0 + 255 - in[3], 1.0)
                        << "channel " << ch;
                }
            }
        }
    }
}

TEST(CliConvert, HotSpotOfACursor) {
    PICTOFORM_REQUIRE_ICOTOOL();
    TempDir dir;
    const std::string small = dir.File("small.png");
    const std::string large = dir.File("large.png");
    SavePng(small, Paint(16, 16, Soft));
    SavePng(large, Paint(32, 24, Opaque));

    const std::string given = dir.File("given.cur");
    ASSERT_EQ(Cli({"convert", small, large, "-o", given, "--hotspot", "20,9"}).status, 0);
    // Outside the small image x is pulled onto its last column.
    const CommandResult listed = test::Run({test::IcotoolPath(), "-l", given});
    EXPECT_EQ(listed.err, "");
    EXPECT_EQ(listed.out, "--cursor --index=1 --width=16 --height=16 --bit-depth=32 "
                          "--palette-size=0 --hotspot-x=15 --hotspot-y=9\n"
                          "--cursor --index=2 --width=32 --height=24 --bit-depth=32 "
                          "--palette-size=0 --hotspot-x=20 --hotspot-y=9\n");

    const std::string far = dir.File("far.cur");
    ASSERT_EQ(Cli({"convert", small, large, "-o", far, "--hotspot", "500,65535"}).status, 0);
    CIconFile engine;
    ASSERT_TRUE(engine.ReadIconFile(far)) << engine.LastError();
    EXPECT_EQ(engine.FileType(), kCursorType);
    EXPECT_EQ(HotSpots(engine), (std::vector<HotSpot>{{15, 15}, {31, 23}}));
    EXPECT_TRUE(SamePixels(Paint(32, 24, Opaque), Decoded(engine, 1)));

    // Without --hotspot each cursor image keeps the one it was read with, a picture gets 0,0.
    const std::string copy = dir.File("copy.cur");
    ASSERT_EQ(Cli({"convert", given, "-o", copy}).status, 0);
    ASSERT_TRUE(engine.ReadIconFile(copy));
    EXPECT_EQ(HotSpots(engine), (std::vector<HotSpot>{{15, 9}, {20, 9}}));
    const std::string plain = dir.File("plain.cur");
    ASSERT_EQ(Cli({"convert", large, "-o", plain}).status, 0);
    ASSERT_TRUE(engine.ReadIconFile(plain));
    EXPECT_EQ(HotSpots(engine), (std::vector<HotSpot>{{0, 0}}));
}

TEST(CliConvert, Png256CompressesOnlyTheLargeTrueColourImages) {
    TempDir dir;
    const std::string big = dir.File("big.png");
    const std::string small = dir.File("small.png");
    SavePng(big, Paint(256, 256, Soft));
    SavePng(small, Paint(32, 32, Soft));
    const std::string ico = dir.File("vista.ico");
    const CommandResult r = Cli({"convert", big, small, "-o", ico, "--png", "256"});
    ASSERT_EQ(r.status, 0) << r.err;

    const std::vector<uint8_t> bytes = ReadBytes(ico);
    ASSERT_EQ(U16At(bytes, 4), 2u);
    EXPECT_EQ(bytes[6], 0u) << "256 is stored as 0";
    const uint32_t first = U32At(bytes, 6 + 12);
    ASSERT_GE(bytes.size(), first + 8u);
    EXPECT_TRUE(HasPngSignature(std::span(bytes).subspan(first)));
    EXPECT_EQ(U32At(bytes, U32At(bytes, 6 + 16 + 12)), 40u) << "the small image is a bitmap";

    CIconFile engine;
    ASSERT_TRUE(engine.ReadIconFile(ico)) << engine.LastError();
    ASSERT_EQ(engine.Images().size(), 2u);
    EXPECT_TRUE(SamePixels(Paint(256, 256, Soft), Decoded(engine, 0)));
    EXPECT_TRUE(SamePixels(Paint(32, 32, Soft), Decoded(engine, 1)));

    // A 256 x 256 image of fewer bits stays a bitmap.
    const std::string low = dir.File("low.ico");
    ASSERT_EQ(Cli({"convert", big, "-o", low, "--png", "256", "--depth", "24"}).status, 0);
    const std::vector<uint8_t> lowBytes = ReadBytes(low);
    EXPECT_EQ(U32At(lowBytes, U32At(lowBytes, 6 + 12)), 40u);

    // Converted again, each image keeps how it was stored unless told.
    struct Case {
        std::vector<std::string> png;
        std::vector<bool> compressed;
    };
    const Case cases[] = {
        {{}, {true, false}}, {{"--png", "none"}, {false, false}}, {{"--png", "32"}, {true, true}}};
    for (const Case& c : cases) {
        const std::string again = dir.File("again.ico");
        std::vector<std::string> args{"convert", ico, "-o", again};
        args.insert(args.end(), c.png.begin(), c.png.end());
        ASSERT_EQ(Cli(args).status, 0);
        ASSERT_TRUE(engine.ReadIconFile(again)) << engine.LastError();
        for (size_t i = 0; i < 2; ++i) EXPECT_EQ(engine.Images()[i].png, c.compressed[i]) << i;
        EXPECT_TRUE(SamePixels(Paint(256, 256, Soft), Decoded(engine, 0)));
    }
}

// --- Failures -----------------------------------------------------------------

TEST(CliErrors, InputsThatCannotBeRead) {
    TempDir dir;
    const std::string good = dir.File("good.ico");
    SaveIcon(good, {Record(32, 32, kDepth32, Soft)});
    const std::vector<uint8_t> bytes = ReadBytes(good);
    const std::string truncated = dir.File("truncated.ico");
    test::WriteBytes(truncated, {bytes.begin(), bytes.begin() + 600});
    const std::string notIcon = dir.File("text.ico");
    test::WriteBytes(notIcon, {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '\n'});
    const std::string fakePng = dir.File("fake.png");
    test::WriteBytes(fakePng, bytes);
    const std::string huge = dir.File("huge.png");
    SavePng(huge, Paint(300, 10, Opaque));
    const std::string missing = dir.File("missing.ico");

    for (const std::string& bad : {missing, truncated, notIcon, fakePng, huge}) {
        SCOPED_TRACE(bad);
        const CommandResult info = Cli({"info", bad});
        EXPECT_TRUE(OneErrorLine(info, "pictoform-cli: cannot read '" + bad + "': "));
        EXPECT_EQ(info.out, "");
        const CommandResult convert = Cli({"convert", bad, "-o", dir.File("out.ico")});
        EXPECT_TRUE(OneErrorLine(convert, "pictoform-cli: cannot read '" + bad + "': "));
        EXPECT_EQ(convert.out, "");
        // A thumbnail goes by content, not name, and takes pictures of any size.
        if (bad == huge || bad == fakePng) continue;
        const CommandResult thumbnail = Cli({"thumbnail", bad, dir.File("out.png")});
        EXPECT_TRUE(
            OneErrorLine(thumbnail, "pictoform-cli: cannot make a thumbnail of '" + bad + "': "));
    }
    EXPECT_FALSE(test::FileExists(dir.File("out.png")));
    EXPECT_EQ(Cli({"info", missing}).err,
              "pictoform-cli: cannot read '" + missing + "': No such file or directory\n");
    EXPECT_FALSE(test::FileExists(dir.File("out.ico")));
}

TEST(CliErrors, FailedConvertOrUnknownOutputTypeWritesNothing) {
    TempDir dir;
    const std::string png = dir.File("a.png");
    SavePng(png, Paint(16, 16, Soft));
    const std::string good = dir.File("good.ico");
    SaveIcon(good, {Record(8, 8, kDepth24, Opaque)});
    const std::vector<uint8_t> goodBytes = ReadBytes(good);
    const std::string damaged = dir.File("damaged.ico");
    test::WriteBytes(damaged, {goodBytes.begin(), goodBytes.end() - 40});

    const std::string out = dir.File("out.ico");
    test::WriteBytes(out, goodBytes);
    // A damaged input, alone or after a good one, stops before anything is written.
    EXPECT_EQ(Cli({"convert", damaged, "-o", out}).status, 1);
    EXPECT_EQ(Cli({"convert", png, damaged, "-o", out}).status, 1);
    EXPECT_EQ(Cli({"convert", png, dir.File("missing.png"), "-o", out}).status, 1);
    EXPECT_EQ(ReadBytes(out), goodBytes);
    // Nor does an output of a type the tool does not write.
    for (const std::string name : {"out.bmp", "out", "out.ico.bak", "dir.ico/out"}) {
        const std::string other = dir.File(name);
        EXPECT_TRUE(OneErrorLine(Cli({"convert", png, "-o", other}),
                                 "pictoform-cli: cannot write '" + other + "': "))
            << name;
    }

    // An output that cannot be replaced: a folder of that name, or a folder
    // that does not exist.
    const std::string folder = dir.File("folder.ico");
    std::filesystem::create_directory(folder);
    test::WriteBytes(folder + "/inside", {1, 2, 3});
    const CommandResult ontoFolder = Cli({"convert", png, "-o", folder});
    EXPECT_TRUE(OneErrorLine(ontoFolder, "pictoform-cli: cannot write '" + folder + "': "));
    EXPECT_EQ(FilesIn(folder), std::vector<std::string>{"inside"});
    const std::string nowhere = dir.File("no/such/folder/out.ico");
    EXPECT_TRUE(OneErrorLine(Cli({"convert", png, "-o", nowhere}),
                             "pictoform-cli: cannot write '" + nowhere + "': "));

    // Nothing was left beside the outputs either.
    EXPECT_EQ(FilesIn(dir.Path()), (std::vector<std::string>{"a.png", "damaged.ico", "folder.ico",
                                                             "good.ico", "out.ico"}));
    EXPECT_EQ(ReadBytes(out), goodBytes);
}

TEST(CliErrors, ReplacedOutputKeepsItsPermissions) {
    TempDir dir;
    const std::string png = dir.File("a.png");
    SavePng(png, Paint(16, 16, Soft));
    const std::string out = dir.File("out.ico");
    test::WriteBytes(out, {0, 0, 1, 0, 0, 0});
    ASSERT_EQ(::chmod(out.c_str(), 0640), 0);
    ASSERT_EQ(Cli({"convert", png, "-o", out}).status, 0);
    struct stat st {};
    ASSERT_EQ(::stat(out.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    CIconFile engine;
    EXPECT_TRUE(engine.ReadIconFile(out)) << engine.LastError();
    EXPECT_EQ(FilesIn(dir.Path()), (std::vector<std::string>{"a.png", "out.ico"}));
}

// Xcursor files go by their content in and by --format out (they have no
// name ending by custom), with the hot spot and the frame's time.
TEST(CliConvert, XcursorOutByFormatAndInByContent) {
    TempDir temp;
    const std::string png = temp.File("a.png");
    SavePng(png, Paint(8, 8, [](int x, int) {
                return std::array<uint8_t, 4>{uint8_t(x * 30), 0, 0, 255};
            }));
    const std::string cursor = temp.File("arrow");
    CommandResult r =
        Cli({"convert", png, "--hotspot", "2,3", "--format", "xcursor", "-o", cursor});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<uint8_t> written = ReadBytes(cursor);
    ASSERT_GE(written.size(), 4u);
    EXPECT_EQ(std::string(written.begin(), written.begin() + 4), "Xcur");
    r = Cli({"info", cursor});
    EXPECT_EQ(r.out, cursor +
                         "[0]: 8x8, depth 32 (32 bits per pixel), hot spot 2,3, nominal size 8, "
                         "shown 167 ms\n" +
                         cursor + ": Xcursor, 1 image\n");
    // And back out as a Windows cursor, pixels and hot spot kept.
    r = Cli({"convert", cursor, "-o", temp.File("back.cur")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Cli({"info", temp.File("back.cur")}).out.find("hot spot 2,3") != std::string::npos,
              true);
    // Into an animated cursor and back to Xcursor: hot spot and time kept.
    const std::string ani = temp.File("arrow.ani");
    ASSERT_EQ(Cli({"convert", cursor, "-o", ani}).status, 0);
    EXPECT_EQ(Cli({"info", ani}).out, ani +
                                          "[0]: 8x8, depth 32 (32 bits per pixel), hot spot 2,3, "
                                          "shown 10/60 s\n" +
                                          ani + ": animated cursor, 1 image\n");
    EXPECT_EQ(
        Cli({"convert", png, "--format", "bmp", "-o", cursor}).err,
        "pictoform-cli: --format takes ico, cur, ani, png, xcursor or pfi (see 'pictoform-cli "
        "--help')\n");
}

// theme: a cursor theme Debian ships into Windows cursors and back into a
// theme at the sizes asked for; what would be lost or overwritten is refused.
TEST(CliTheme, ADebianThemeToWindowsCursorsAndBackAtTheSizesAskedFor) {
    const std::string cursors = test::SystemCursorTheme("DMZ-White");
    if (!test::OracleAvailable("DMZ-White cursor theme", cursors)) return;
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
    r = Cli({"info", theme + "/cursors/left_ptr"});
    EXPECT_NE(r.out.find("[1]: 48x48, depth 32 (32 bits per pixel), hot spot "), std::string::npos)
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
    const std::string config = temp.File("config");
    const std::string data = temp.File("data");
    const std::string system = temp.File("usr");
    const auto write = [](const std::string& path, const std::string& text) {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        test::WriteBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
    };
    write(config + "/gtk-3.0/settings.ini", "[Settings]\ngtk-icon-theme-name=Scratch\n");
    write(system + "/icons/Scratch/index.theme",
          "[Icon Theme]\nName=Scratch\nDirectories=24x24/devices\n[24x24/devices]\nSize=24\n");
    std::filesystem::create_directories(system + "/icons/Scratch/24x24/devices");
    SavePng(system + "/icons/Scratch/24x24/devices/computer.png", Paint(24, 24, [](int, int) {
                return std::array<uint8_t, 4>{9, 9, 9, 255};
            }));
    const std::string icon = temp.File("red.png");
    SavePng(icon, Paint(12, 12, [](int, int) { return std::array<uint8_t, 4>{255, 0, 0, 255}; }));
    const auto sysicons = [&](std::vector<std::string> args) {
        std::vector<std::string> argv{"/usr/bin/env",
                                      "PATH=",
                                      "HOME=" + temp.File("home"),
                                      "XDG_CONFIG_HOME=" + config,
                                      "XDG_DATA_HOME=" + data,
                                      "XDG_DATA_DIRS=" + system,
                                      CliPath(),
                                      "sysicons"};
        argv.insert(argv.end(), args.begin(), args.end());
        return test::Run(argv);
    };
    const std::string written = data + "/icons/Scratch/24x24/devices/computer.png";
    CommandResult r = sysicons({"replace", "my_computer", icon});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<uint8_t> bytes = ReadBytes(written);
    PngPixels png;
    std::string reason;
    ASSERT_TRUE(DecodePng(bytes, 64, png, reason)) << reason;
    EXPECT_EQ(png.width, 24);
    EXPECT_EQ((std::array<int, 4>{png.bgra[2], png.bgra[1], png.bgra[0], png.bgra[3]}),
              (std::array<int, 4>{255, 0, 0, 255}));
    r = sysicons({"list"});
    EXPECT_NE(r.out.find("0  My_Computer  " + icon + ",0\n"), std::string::npos) << r.out;
    r = sysicons({"restore", "0"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(std::filesystem::exists(written));
    r = sysicons({"replace", "Network", icon});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "pictoform-cli: the new icon is kept, but the desktop will not show it: the "
                     "icon theme \"Scratch\" has no icon named \"network-workgroup\"\n");
    r = sysicons({"replace", "Printer", icon});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "pictoform-cli: no system icon item 'Printer' (see 'sysicons list')\n");
    (void)sysicons({"restore-all"});
}

// --- Programs and animated cursors -------------------------------------------

TEST(CliProgram, InfoListsTheGroupsInTheViewersOrderAndConvertTakesOneOrAll) {
    TempDir dir;
    const std::string lib = SampleLibrary(dir);
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

    // convert takes the chosen group.
    r = Cli({"convert", lib, "--index", "1", "-o", dir.File("five.ico")});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto images = ReadTopFirst(dir.File("five.ico"));
    const auto& sources = test::SampleGroups()[1].sources;
    ASSERT_EQ(images.size(), sources.size());
    for (size_t i = 0; i < images.size(); ++i) {
        EXPECT_EQ(images[i].width, sources[i].width) << i;
        EXPECT_EQ(images[i].depth, sources[i].depth) << i;
        EXPECT_TRUE(SamePixels(test::PictureOfSource(sources[i]), test::PictureOfSource(images[i])))
            << i;
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
    EXPECT_FALSE(test::FileExists(dir.File("x.ico")));

    // All groups go into a folder.
    const std::string out = dir.File("icons");
    r = Cli({"convert", lib, "--all", "-o", out});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<std::string> names = {out + "/prog-0-APPICON.ico", out + "/prog-1-5.ico",
                                            out + "/prog-2-7.ico", out + "/prog-3-200.ico"};
    std::string expected;
    for (const std::string& name : names) expected += name + "\n";
    EXPECT_EQ(r.out, expected);
    for (size_t g = 0; g < names.size(); ++g) {
        EXPECT_EQ(ReadTopFirst(names[g]).size(), test::SampleGroups()[g].sources.size())
            << names[g];
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
    const test::SampleLibraries& libs = test::MinGwLibraries(64);
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
    const auto& sources = test::SampleGroups()[1].sources;
    ASSERT_EQ(images.size(), sources.size());
    for (size_t i = 0; i < images.size(); ++i) {
        EXPECT_EQ(images[i].depth, kDepth32) << i;
        EXPECT_TRUE(SamePixels(test::PictureOfSource(sources[i]), test::PictureOfSource(images[i])))
            << i;
    }
}

TEST(CliAnimated, FramesInInputOrderAndBack) {
    TempDir dir;
    CIconFile engine;
    const IconImageRec a = Record(16, 16, kDepth32, [](int x, int y) {
        return std::array<uint8_t, 4>{uint8_t(x * 16), uint8_t(y * 16), 5, 255};
    });
    const IconImageRec b = Record(32, 32, kDepth256, [](int x, int) {
        return x < 16 ? std::array<uint8_t, 4>{255, 0, 0, 255}
                      : std::array<uint8_t, 4>{0, 0, 255, 255};
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

} // namespace
} // namespace pictoform
