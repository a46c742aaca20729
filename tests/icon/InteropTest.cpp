// Icon and cursor files exchanged with other programs: files that icotool,
// Pillow and ImageMagick make must decode to the pixels they were made from,
// and files we write must decode in those programs to the pixels we read back.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "icon/IconFile.h"
#include "support/Pictures.h"
#include "support/TestSupport.h"

namespace pictoform {
namespace {

using namespace test;

// Colour k of a table whose entries 0..255 are all different (the red channel
// alone tells them apart); entry 0 is black.
std::array<uint8_t, 4> TableColour(uint32_t k) {
    return {static_cast<uint8_t>(k * 37), static_cast<uint8_t>(k * 91),
            static_cast<uint8_t>(k * 53), 255};
}

// At most `count` distinct colours. With holes some pixels are transparent
// and black is one of the colours (a writer blanks transparent pixels to it).
Picture FewColours(int width, int height, uint32_t count, bool holes, uint32_t seed) {
    return Paint(width, height, [=](int x, int y) -> std::array<uint8_t, 4> {
        const uint32_t h = Hash(x, y, seed);
        if (holes && (h % 7 == 0 || (x == 0 && y == 0))) return {0, 0, 0, 0};
        const uint32_t k = (h >> 4) % count;
        return TableColour(holes ? k : k + 1);
    });
}

// Every pixel its own colour; with holes some transparent, with alpha a
// spread of opacities including 0 and 255.
Picture ManyColours(int width, int height, bool holes, bool alpha, uint32_t seed) {
    return Paint(width, height, [=](int x, int y) -> std::array<uint8_t, 4> {
        const uint32_t h = Hash(x, y, seed);
        uint8_t a = 255;
        if (alpha) a = static_cast<uint8_t>(x == 0 ? 0 : y == 0 ? 255 : h >> 8);
        if (holes && h % 5 == 0) a = 0;
        return {static_cast<uint8_t>(x * 255 / std::max(1, width - 1)),
                static_cast<uint8_t>(y * 255 / std::max(1, height - 1)), static_cast<uint8_t>(h),
                a};
    });
}

// Saves the pictures as src0.png, src1.png ... and returns their paths.
std::vector<std::string> SaveSources(const TempDir& dir, const std::vector<Picture>& pictures) {
    std::vector<std::string> names;
    std::vector<std::pair<std::string, Picture>> files;
    for (size_t i = 0; i < pictures.size(); ++i) {
        names.push_back(dir.File("src" + std::to_string(i) + ".png"));
        files.emplace_back(names.back(), pictures[i]);
    }
    SavePngs(dir, files);
    return names;
}

// Our reading of the file must give `expected` and, image by image, what
// Pillow decodes from the same file.
void ExpectReadAsPillowAnd(const std::string& path, const std::vector<Picture>& expected) {
    CIconFile engine;
    ASSERT_TRUE(engine.ReadIconFile(path)) << engine.LastError();
    const std::vector<Picture> pillow = PillowDecode({path})[0];
    ASSERT_EQ(engine.Images().size(), expected.size());
    ASSERT_EQ(pillow.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE("image " + std::to_string(i));
        const Picture ours = PictureOf(engine.Images()[i]);
        EXPECT_TRUE(SamePixels(expected[i], ours));
        EXPECT_TRUE(SamePixels(pillow[i], ours));
    }
}

// --- Files made by others -----------------------------------------------------

TEST(InteropIcotool, ReadsBitmapEntriesOfEveryDepth) {
    PICTOFORM_REQUIRE_ICOTOOL();
    PICTOFORM_REQUIRE_PILLOW();
    TempDir dir;
    // icotool picks the smallest depth the colours fit in.
    const std::vector<Picture> sources{
        FewColours(17, 17, 2, false, 1),      // 1 bit
        FewColours(16, 16, 15, true, 2),      // 4 bits, with transparent pixels
        FewColours(24, 20, 200, true, 3),     // 8 bits
        ManyColours(40, 20, false, false, 4), // 24 bits
        ManyColours(32, 32, false, true, 5),  // 32 bits, partly transparent
    };
    const std::string ico = dir.File("made.ico");
    std::vector<std::string> argv{IcotoolPath(), "-c", "-o", ico};
    for (const std::string& png : SaveSources(dir, sources)) argv.push_back(png);
    const CommandResult made = test::Run(argv);
    ASSERT_EQ(made.status, 0) << made.err;
    ExpectReadAsPillowAnd(ico, sources);
    CIconFile engine;
    ASSERT_TRUE(engine.ReadIconFile(ico));
    const int32_t depths[] = {kDepth2, kDepth16, kDepth256, kDepth24, kDepth32};
    for (size_t i = 0; i < 5; ++i) EXPECT_EQ(engine.Images()[i].depth, depths[i]) << i;
}

// Compressed entries may hold any PNG: icotool stores them as they are.
TEST(InteropIcotool, ReadsPngEntriesOfEveryKind) {
    PICTOFORM_REQUIRE_ICOTOOL();
    PICTOFORM_REQUIRE_PILLOW();
    TempDir dir;
    const std::string big = dir.File("big.png");
    SavePngs(dir, {{big, ManyColours(256, 256, false, true, 11)}});
    // PNGs that are not 8-bit RGBA: a 2-bit palette with a transparent entry
    // and grey with alpha.
    const std::string paletted = dir.File("paletted.png"), grey = dir.File("grey.png");
    (void)RunPython(R"(
import sys
from PIL import Image
p = Image.new('P', (24, 24))
p.putpalette([0, 0, 0, 255, 0, 0, 0, 255, 0, 10, 20, 250])
p.putdata([(x * 3 + y) % 4 for y in range(24) for x in range(24)])
p.save(sys.argv[1], transparency=0)
g = Image.new('LA', (20, 12))
g.putdata([(x * 12, (y * 21 + x) % 256) for y in range(12) for x in range(20)])
g.save(sys.argv[2])
)",
                    {paletted, grey});
    const std::string ico = dir.File("vista.ico");
    const CommandResult made = test::Run(
        {IcotoolPath(), "-c", "-o", ico, "--raw=" + big, "--raw=" + paletted, "--raw=" + grey});
    ASSERT_EQ(made.status, 0) << made.err;
    std::vector<Picture> expected;
    for (const auto& decoded : PillowDecode({big, paletted, grey})) expected.push_back(decoded[0]);
    ExpectReadAsPillowAnd(ico, expected);
}

// Pillow writes PNG entries unless asked for bitmaps, and its bitmaps end
// after their colours: an AND mask would run into the next image.
TEST(InteropPillow, ReadsPngEntriesAndBitmapsThatHaveNoAndMask) {
    PICTOFORM_REQUIRE_PILLOW();
    TempDir dir;
    for (const bool bmp : {false, true}) {
        SCOPED_TRACE(bmp ? "bitmaps" : "PNG");
        const Picture source =
            bmp ? ManyColours(48, 48, true, true, 32) : ManyColours(256, 256, false, true, 31);
        const std::string png = dir.File("source.png"), ico = dir.File("pillow.ico");
        SavePngs(dir, {{png, source}});
        (void)RunPython("import sys\nfrom PIL import Image\n"
                        "sizes = [(int(v), int(v)) for v in sys.argv[3].split(',')]\n"
                        "Image.open(sys.argv[1]).save(sys.argv[2], sizes=sizes, "
                        "bitmap_format=sys.argv[4])\n",
                        {png, ico, bmp ? "16,32,48" : "16,48,256", bmp ? "bmp" : "png"});
        const std::vector<uint8_t> bytes = ReadBytes(ico);
        if (bmp) {
            ASSERT_EQ(U32At(bytes, 6 + 16 * 2 + 8), 40u + 48 * 48 * 4) << "no AND mask";
        }
        std::vector<Picture> expected = PillowDecode({ico})[0];
        ASSERT_EQ(expected.size(), 3u);
        expected[2] = source;
        ExpectReadAsPillowAnd(ico, expected);
    }
}

TEST(InteropImageMagick, ReadsWhatConvertMakes) {
    PICTOFORM_REQUIRE_CONVERT();
    PICTOFORM_REQUIRE_PILLOW();
    TempDir dir;
    const std::vector<Picture> sources{FewColours(16, 16, 4, false, 41),
                                       ManyColours(32, 32, true, true, 42),
                                       ManyColours(256, 256, false, true, 43)};
    const std::vector<std::string> pngs = SaveSources(dir, sources);
    const std::string ico = dir.File("magick.ico");
    const CommandResult made = test::Run({ConvertPath(), pngs[0], pngs[1], pngs[2], ico});
    ASSERT_EQ(made.status, 0) << made.err;
    ExpectReadAsPillowAnd(ico, sources);
}

// --- Files we write -----------------------------------------------------------

// Colours a depth keeps exactly: its computed palette entries.
uint32_t PaletteLimit(int32_t depth) {
    return depth == kDepth2 ? 2 : depth == kDepth16 ? 15 : depth == kDepth256 ? 255 : 0;
}

class InteropWrite : public ::testing::TestWithParam<int32_t> {};

TEST_P(InteropWrite, IconsAndCursorsDecodeAlikeElsewhere) {
    PICTOFORM_REQUIRE_ICOTOOL();
    PICTOFORM_REQUIRE_PILLOW();
    PICTOFORM_REQUIRE_CONVERT();
    const int32_t depth = GetParam();
    const uint32_t limit = PaletteLimit(depth);
    const bool indexed = limit > 0;
    // Indexed depths get images of as many colours as the palette holds,
    // which must come through exactly, and one of many colours, which must
    // decode everywhere to the palette colours we read back.
    std::vector<Picture> sources;
    if (indexed) {
        sources = {FewColours(16, 16, limit, true, 51), FewColours(17, 17, limit, false, 52),
                   ManyColours(32, 32, true, false, 53), FewColours(256, 256, limit, true, 54)};
    } else {
        const bool alpha = depth == kDepth32;
        sources = {ManyColours(16, 16, true, alpha, 51), ManyColours(17, 17, !alpha, alpha, 52),
                   ManyColours(32, 32, true, alpha, 53), ManyColours(256, 256, true, alpha, 54)};
    }
    std::vector<IconImageRec> records;
    for (const Picture& pic : sources) records.push_back(ToRecord(pic, depth));
    // Every 256 x 256 image asks to be compressed; only one of 32 bits is.
    records.back().png = true;

    TempDir dir;
    const std::string ico = dir.File("ours.ico"), cur = dir.File("ours.cur");
    CIconFile writer;
    ASSERT_TRUE(writer.WriteIconFile(ico, records, 0)) << writer.LastError();
    writer.LoadedHotSpot() = {20, 9};
    ASSERT_TRUE(writer.WriteIconFile(cur, records, kWriteCursor)) << writer.LastError();
    const std::vector<uint8_t> bytes = ReadBytes(ico);
    const size_t lastImage = U32At(bytes, 6 + 16 * 3 + 12);
    EXPECT_EQ(bytes[lastImage + 1] == 'P', depth == kDepth32) << "stored as a PNG";

    CIconFile reader;
    std::vector<Picture> ours, oursCursor;
    ASSERT_TRUE(reader.ReadIconFile(ico)) << reader.LastError();
    for (const IconImageRec& rec : reader.Images()) ours.push_back(PictureOf(rec));
    ASSERT_TRUE(reader.ReadIconFile(cur)) << reader.LastError();
    for (const IconImageRec& rec : reader.Images()) oursCursor.push_back(PictureOf(rec));
    const size_t n = sources.size();
    ASSERT_EQ(ours.size(), n);
    ASSERT_EQ(oursCursor.size(), n);
    for (size_t i = 0; i < n; ++i) {
        SCOPED_TRACE("image " + std::to_string(i));
        EXPECT_TRUE(SamePixels(ours[i], oursCursor[i]));
        if (!indexed || i != 2) {
            EXPECT_TRUE(SamePixels(sources[i], ours[i]));
        } else {
            // The transparent pixels stay exactly those of the source.
            for (size_t p = 0; p < sources[i].rgba.size(); p += 4) {
                ASSERT_EQ(ours[i].rgba[p + 3], sources[i].rgba[p + 3]) << "pixel " << p / 4;
            }
        }
    }

    // icotool lists what we wrote, and finds nothing to say about its layout.
    // A hot spot outside an image is pulled onto its last column.
    std::string icon, cursor;
    for (size_t i = 0; i < n; ++i) {
        const std::string fields = " --index=" + std::to_string(i + 1) +
                                   " --width=" + std::to_string(sources[i].width) +
                                   " --height=" + std::to_string(sources[i].height) +
                                   " --bit-depth=" + std::to_string(BitsPerPixelOf(depth)) +
                                   " --palette-size=" + std::to_string(indexed ? depth : 0);
        icon += "--icon" + fields + "\n";
        cursor += "--cursor" + fields +
                  " --hotspot-x=" + std::to_string(std::min(20, sources[i].width - 1)) +
                  " --hotspot-y=9\n";
    }
    for (const auto& [path, listing] : {std::pair{ico, icon}, {cur, cursor}}) {
        const CommandResult listed = test::Run({IcotoolPath(), "-l", path});
        EXPECT_EQ(listed.out, listing);
        EXPECT_EQ(listed.err, "");
    }

    // What icotool extracts from the icon and the cursor, what ImageMagick
    // converts, and what Pillow reads, all decoded by Pillow.
    std::string warnings;
    std::vector<std::string> decode{ico};
    for (const std::string& path : {ico, cur}) {
        const std::vector<std::string> files = IcotoolExtract(dir, path, &warnings);
        EXPECT_EQ(warnings, "");
        ASSERT_EQ(files.size(), n);
        decode.insert(decode.end(), files.begin(), files.end());
    }
    const CommandResult magick =
        test::Run({ConvertPath(), ico, "PNG32:" + dir.File("magick-%d.png")});
    EXPECT_EQ(magick.status, 0) << magick.err;
    for (size_t i = 0; i < n; ++i)
        decode.push_back(dir.File("magick-" + std::to_string(i) + ".png"));
    const std::vector<std::vector<Picture>> decoded = PillowDecode(decode);
    ASSERT_EQ(decoded.size(), 1 + 3 * n);
    ASSERT_EQ(decoded[0].size(), n);
    for (size_t i = 1; i < decoded.size(); ++i) ASSERT_EQ(decoded[i].size(), 1u) << decode[i];
    for (size_t i = 0; i < n; ++i) {
        SCOPED_TRACE("image " + std::to_string(i));
        EXPECT_TRUE(SamePixels(ours[i], decoded[0][i])) << "Pillow";
        EXPECT_TRUE(SamePixels(ours[i], decoded[1 + 2 * n + i][0])) << "ImageMagick";
        // icoutils 0.32 extracts 24-bit rows that need padding wrongly, its
        // own files as well as ours.
        if (depth == kDepth24 && sources[i].width * 3 % 4 != 0) continue;
        EXPECT_TRUE(SamePixels(ours[i], decoded[1 + i][0])) << "icotool, icon";
        EXPECT_TRUE(SamePixels(oursCursor[i], decoded[1 + n + i][0])) << "icotool, cursor";
    }
}

// Two bits per pixel is left out: other programs do not read it.
INSTANTIATE_TEST_SUITE_P(InteropDepths, InteropWrite,
                         ::testing::Values(kDepth2, kDepth16, kDepth256, kDepth24, kDepth32),
                         [](const ::testing::TestParamInfo<int32_t>& info) {
                             return "Depth" + std::to_string(info.param);
                         });

} // namespace
} // namespace pictoform
