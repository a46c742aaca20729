// Icon and cursor files exchanged with other programs: files that icotool,
// Pillow and ImageMagick make must decode to the pixels they were made from,
// and files we write must decode in those programs to the pixels we read back.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <sstream>

#include "icon/IconBytes.h"
#include "icon/IconFile.h"
#include "support/Pictures.h"
#include "support/TestSupport.h"

namespace pictoform {
namespace {

using test::Blob;
using test::Cat;
using test::Chunk;
using test::CommandResult;
using test::Hash;
using test::IcotoolPath;
using test::Paint;
using test::Picture;
using test::PictureOf;
using test::PillowDecode;
using test::ReadBytes;
using test::Riff;
using test::RunPython;
using test::SamePixels;
using test::SavePngs;
using test::TempDir;
using test::ToRecord;
using test::U32At;
using test::Values;

// Colour k of a table whose entries 0..255 are all different (the red channel
// alone tells them apart); entry 0 is black.
std::array<uint8_t, 4> TableColour(uint32_t k) {
    return {static_cast<uint8_t>(k * 37), static_cast<uint8_t>(k * 91),
            static_cast<uint8_t>(k * 53), 255};
}

constexpr std::array<uint8_t, 4> kClear{0, 0, 0, 0};

// At most `count` distinct colours. With holes some pixels are transparent
// and black is one of the colours (a writer blanks transparent pixels to it).
Picture FewColours(int width, int height, uint32_t count, bool holes, uint32_t seed) {
    return Paint(width, height, [=](int x, int y) {
        const uint32_t h = Hash(x, y, seed);
        if (holes && (h % 7 == 0 || (x == 0 && y == 0))) return kClear;
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

// --- icotool ------------------------------------------------------------------

struct Listed {
    bool cursor = false;
    int width = -1, height = -1, bitDepth = -1, paletteSize = -1, hotX = -1, hotY = -1;
};

// icotool -l; `warnings` receives what it says about the file's layout.
std::vector<Listed> IcotoolList(const std::string& path, std::string* warnings = nullptr) {
    const CommandResult r = test::Run({IcotoolPath(), "-l", path});
    EXPECT_EQ(r.status, 0) << r.err;
    if (warnings) *warnings = r.err;
    std::vector<Listed> out;
    std::istringstream lines(r.out);
    for (std::string text; std::getline(lines, text);) {
        Listed e;
        std::istringstream words(text);
        for (std::string w; words >> w;) {
            const size_t eq = w.find('=');
            const std::string key = w.substr(0, eq);
            const int value = eq == std::string::npos ? 0 : std::stoi(w.substr(eq + 1));
            if (key == "--cursor") e.cursor = true;
            if (key == "--width") e.width = value;
            if (key == "--height") e.height = value;
            if (key == "--bit-depth") e.bitDepth = value;
            if (key == "--palette-size") e.paletteSize = value;
            if (key == "--hotspot-x") e.hotX = value;
            if (key == "--hotspot-y") e.hotY = value;
        }
        out.push_back(e);
    }
    return out;
}

// icotool -x, which must find nothing to say about the file.
std::vector<std::string> ExtractWithoutWarnings(const TempDir& dir, const std::string& path) {
    std::string warnings;
    std::vector<std::string> files = test::IcotoolExtract(dir, path, &warnings);
    EXPECT_EQ(warnings, "");
    return files;
}

// ImageMagick's decode of every image, as 8-bit RGBA PNGs in file order.
std::vector<std::string> MagickExtract(const TempDir& dir, const std::string& path, size_t count) {
    const CommandResult r =
        test::Run({test::ConvertPath(), path, "PNG32:" + dir.File("magick-%d.png")});
    EXPECT_EQ(r.status, 0) << r.err;
    std::vector<std::string> out;
    for (size_t i = 0; i < count; ++i)
        out.push_back(dir.File("magick-" + std::to_string(i) + ".png"));
    return out;
}

std::vector<std::string> PngNames(const TempDir& dir, const std::string& prefix, size_t count) {
    std::vector<std::string> names;
    for (size_t i = 0; i < count; ++i)
        names.push_back(dir.File(prefix + std::to_string(i) + ".png"));
    return names;
}

std::vector<Picture> ReadOurs(const std::string& path, CIconFile& engine) {
    std::vector<Picture> out;
    EXPECT_TRUE(engine.ReadIconFile(path)) << engine.LastError();
    for (const IconImageRec& rec : engine.Images()) out.push_back(PictureOf(rec));
    return out;
}

bool EntryIsPng(const std::vector<uint8_t>& file, size_t index) {
    const size_t offset = test::U32At(file, 6 + 16 * index + 12);
    return file.size() >= offset + 8 && std::memcmp(&file[offset], "\x89PNG\r\n\x1a\n", 8) == 0;
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
    const std::vector<std::string> pngs = PngNames(dir, "src", sources.size());
    std::vector<std::pair<std::string, Picture>> files;
    for (size_t i = 0; i < sources.size(); ++i) files.emplace_back(pngs[i], sources[i]);
    SavePngs(dir, files);
    const std::string ico = dir.File("made.ico");
    std::vector<std::string> argv{IcotoolPath(), "-c", "-o", ico};
    argv.insert(argv.end(), pngs.begin(), pngs.end());
    const CommandResult made = test::Run(argv);
    ASSERT_EQ(made.status, 0) << made.err;

    const std::vector<Listed> listed = IcotoolList(ico);
    ASSERT_EQ(listed.size(), 5u);
    const int bits[] = {1, 4, 8, 24, 32};
    const int32_t depths[] = {kDepth2, kDepth16, kDepth256, kDepth24, kDepth32};
    for (size_t i = 0; i < 5; ++i) ASSERT_EQ(listed[i].bitDepth, bits[i]) << "image " << i;

    CIconFile engine;
    const std::vector<Picture> ours = ReadOurs(ico, engine);
    EXPECT_EQ(engine.FileType(), kIconType);
    const std::vector<Picture> pillow = PillowDecode({ico})[0];
    ASSERT_EQ(ours.size(), 5u);
    ASSERT_EQ(pillow.size(), 5u);
    for (size_t i = 0; i < 5; ++i) {
        SCOPED_TRACE("image " + std::to_string(i));
        EXPECT_EQ(engine.Images()[i].depth, depths[i]);
        EXPECT_TRUE(SamePixels(sources[i], ours[i]));
        EXPECT_TRUE(SamePixels(pillow[i], ours[i]));
    }
}

TEST(InteropIcotool, ReadsPngEntries) {
    PICTOFORM_REQUIRE_ICOTOOL();
    PICTOFORM_REQUIRE_PILLOW();
    TempDir dir;
    const std::string big = dir.File("big.png");
    const std::string bitmap = dir.File("bitmap.png");
    SavePngs(dir, {{big, ManyColours(256, 256, false, true, 11)},
                   {bitmap, FewColours(16, 16, 2, false, 12)}});
    // PNGs that are not 8-bit RGBA: a 2-bit palette with a transparent entry
    // and grey with alpha. Compressed entries may hold any PNG.
    const std::string paletted = dir.File("paletted.png");
    const std::string grey = dir.File("grey.png");
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
    const CommandResult made = test::Run({IcotoolPath(), "-c", "-o", ico, "--raw=" + big,
                                          "--raw=" + paletted, bitmap, "--raw=" + grey});
    ASSERT_EQ(made.status, 0) << made.err;
    const std::vector<uint8_t> bytes = ReadBytes(ico);
    ASSERT_EQ(test::U16At(bytes, 4), 4u);
    ASSERT_EQ(bytes[6], 0u) << "256 is stored as 0";
    EXPECT_TRUE(EntryIsPng(bytes, 0));
    EXPECT_TRUE(EntryIsPng(bytes, 1));
    EXPECT_FALSE(EntryIsPng(bytes, 2));
    EXPECT_TRUE(EntryIsPng(bytes, 3));

    CIconFile engine;
    const std::vector<Picture> ours = ReadOurs(ico, engine);
    const std::vector<std::vector<Picture>> expected = PillowDecode({big, paletted, bitmap, grey});
    ASSERT_EQ(ours.size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE("image " + std::to_string(i));
        ASSERT_EQ(expected[i].size(), 1u);
        EXPECT_TRUE(SamePixels(expected[i][0], ours[i]));
        const IconImageRec& rec = engine.Images()[i];
        if (i == 2) continue; // the bitmap
        EXPECT_EQ(rec.depth, kDepth32);
        ASSERT_TRUE(rec.HasAlpha());
        for (size_t p = 0; p < rec.PixelCount(); ++p) {
            ASSERT_EQ(rec.mask[p], rec.alpha[p] != 0 ? 1 : 0) << "pixel " << p;
        }
    }
}

TEST(InteropIcotool, ReadsCursorsWithTheirHotSpots) {
    PICTOFORM_REQUIRE_ICOTOOL();
    PICTOFORM_REQUIRE_PILLOW();
    TempDir dir;
    const std::vector<Picture> sources{FewColours(16, 16, 10, true, 21),
                                       ManyColours(32, 32, false, true, 22),
                                       ManyColours(24, 24, true, false, 23)};
    const std::vector<std::string> pngs = PngNames(dir, "cur", 3);
    SavePngs(dir, {{pngs[0], sources[0]}, {pngs[1], sources[1]}, {pngs[2], sources[2]}});
    // In a cursor the entry's bit count holds the hot spot's y: 8 and 4 must
    // not be taken for palette depths.
    const std::string cur = dir.File("made.cur");
    const CommandResult made = test::Run(
        {IcotoolPath(), "-c", "--cursor", "-o", cur, "--hotspot-x=15", "--hotspot-y=15", pngs[0],
         "--hotspot-x=4", "--hotspot-y=8", pngs[1], "--hotspot-x=0", "--hotspot-y=4", pngs[2]});
    ASSERT_EQ(made.status, 0) << made.err;
    const std::vector<Listed> listed = IcotoolList(cur);
    ASSERT_EQ(listed.size(), 3u);
    ASSERT_EQ(listed[0].bitDepth, 4);
    ASSERT_EQ(listed[1].bitDepth, 32);
    ASSERT_EQ(listed[2].bitDepth, 24);

    CIconFile engine;
    const std::vector<Picture> ours = ReadOurs(cur, engine);
    ASSERT_EQ(ours.size(), 3u);
    EXPECT_EQ(engine.FileType(), kCursorType);
    EXPECT_EQ(engine.Images()[0].hotSpot, (HotSpot{15, 15}));
    EXPECT_EQ(engine.Images()[1].hotSpot, (HotSpot{4, 8}));
    EXPECT_EQ(engine.Images()[2].hotSpot, (HotSpot{0, 4}));
    // The last image read wins.
    EXPECT_EQ(engine.LoadedHotSpot().x, 0);
    EXPECT_EQ(engine.LoadedHotSpot().y, 4);
    const int32_t depths[] = {kDepth16, kDepth32, kDepth24};
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE("image " + std::to_string(i));
        EXPECT_EQ(engine.Images()[i].depth, depths[i]);
        EXPECT_TRUE(SamePixels(sources[i], ours[i]));
    }
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
        ASSERT_EQ(test::U16At(bytes, 4), 3u);
        for (size_t i = 0; i < 3; ++i) {
            const size_t side = bytes[6 + 16 * i] == 0 ? 256 : bytes[6 + 16 * i];
            if (bmp) {
                ASSERT_EQ(U32At(bytes, 6 + 16 * i + 8), 40 + side * side * 4) << "entry " << i;
            } else {
                ASSERT_TRUE(EntryIsPng(bytes, i)) << "entry " << i;
            }
        }

        CIconFile engine;
        const std::vector<Picture> ours = ReadOurs(ico, engine);
        const std::vector<Picture> pillow = PillowDecode({ico})[0];
        ASSERT_EQ(ours.size(), 3u);
        ASSERT_EQ(pillow.size(), 3u);
        for (size_t i = 0; i < 3; ++i) {
            SCOPED_TRACE("image " + std::to_string(i));
            const IconImageRec& rec = engine.Images()[i];
            EXPECT_EQ(rec.depth, kDepth32);
            EXPECT_TRUE(SamePixels(pillow[i], ours[i]));
            if (rec.width == source.width) {
                EXPECT_TRUE(SamePixels(source, ours[i]));
            }
            ASSERT_TRUE(rec.HasAlpha());
            for (size_t p = 0; p < rec.PixelCount(); ++p) {
                ASSERT_EQ(rec.mask[p], rec.alpha[p] != 0 ? 1 : 0) << "pixel " << p;
            }
        }
    }
}

TEST(InteropImageMagick, ReadsWhatConvertMakes) {
    PICTOFORM_REQUIRE_CONVERT();
    PICTOFORM_REQUIRE_PILLOW();
    TempDir dir;
    const std::vector<Picture> sources{FewColours(16, 16, 4, false, 41),
                                       ManyColours(32, 32, true, true, 42),
                                       ManyColours(256, 256, false, true, 43)};
    const std::vector<std::string> pngs = PngNames(dir, "im", 3);
    SavePngs(dir, {{pngs[0], sources[0]}, {pngs[1], sources[1]}, {pngs[2], sources[2]}});
    const std::string ico = dir.File("magick.ico");
    const CommandResult made = test::Run({test::ConvertPath(), pngs[0], pngs[1], pngs[2], ico});
    ASSERT_EQ(made.status, 0) << made.err;

    CIconFile engine;
    const std::vector<Picture> ours = ReadOurs(ico, engine);
    const std::vector<Picture> pillow = PillowDecode({ico})[0];
    ASSERT_EQ(ours.size(), 3u);
    ASSERT_EQ(pillow.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE("image " + std::to_string(i));
        EXPECT_TRUE(SamePixels(sources[i], ours[i]));
        EXPECT_TRUE(SamePixels(pillow[i], ours[i]));
    }
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
    const bool indexed = PaletteLimit(depth) > 0;
    const uint32_t limit = PaletteLimit(depth);
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

    TempDir dir;
    const std::string ico = dir.File("ours.ico");
    const std::string cur = dir.File("ours.cur");
    CIconFile writer;
    ASSERT_TRUE(writer.WriteIconFile(ico, records, 0)) << writer.LastError();
    writer.LoadedHotSpot() = {20, 9};
    ASSERT_TRUE(writer.WriteIconFile(cur, records, kWriteCursor)) << writer.LastError();

    CIconFile reader;
    const std::vector<Picture> ours = ReadOurs(ico, reader);
    const std::vector<Picture> oursCursor = ReadOurs(cur, reader);
    ASSERT_EQ(ours.size(), sources.size());
    ASSERT_EQ(oursCursor.size(), sources.size());
    for (size_t i = 0; i < sources.size(); ++i) {
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

    std::string warnings;
    const std::vector<Listed> listedIcon = IcotoolList(ico, &warnings);
    EXPECT_EQ(warnings, "");
    const std::vector<Listed> listedCursor = IcotoolList(cur, &warnings);
    EXPECT_EQ(warnings, "");
    ASSERT_EQ(listedIcon.size(), sources.size());
    ASSERT_EQ(listedCursor.size(), sources.size());
    for (size_t i = 0; i < sources.size(); ++i) {
        SCOPED_TRACE("image " + std::to_string(i));
        for (const Listed& e : {listedIcon[i], listedCursor[i]}) {
            EXPECT_EQ(e.width, sources[i].width);
            EXPECT_EQ(e.height, sources[i].height);
            EXPECT_EQ(e.bitDepth, BitsPerPixelOf(depth));
            EXPECT_EQ(e.paletteSize, indexed ? static_cast<int>(depth) : 0);
        }
        EXPECT_FALSE(listedIcon[i].cursor);
        EXPECT_TRUE(listedCursor[i].cursor);
        // A hot spot outside an image is pulled onto its last column.
        EXPECT_EQ(listedCursor[i].hotX, std::min(20, sources[i].width - 1));
        EXPECT_EQ(listedCursor[i].hotY, 9);
    }

    const size_t n = sources.size();
    const std::vector<std::string> fromIcon = ExtractWithoutWarnings(dir, ico);
    const std::vector<std::string> fromCursor = ExtractWithoutWarnings(dir, cur);
    const std::vector<std::string> fromMagick = MagickExtract(dir, ico, n);
    ASSERT_EQ(fromIcon.size(), n);
    ASSERT_EQ(fromCursor.size(), n);
    std::vector<std::string> decode{ico};
    for (const auto* list : {&fromIcon, &fromCursor, &fromMagick}) {
        decode.insert(decode.end(), list->begin(), list->end());
    }
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

TEST(InteropWritePng, CompressedEntriesDecodeInIcotoolAndPillow) {
    PICTOFORM_REQUIRE_ICOTOOL();
    PICTOFORM_REQUIRE_PILLOW();
    // Only the 256 x 256 image of 32 bits is compressed.
    const std::vector<Picture> sources{ManyColours(256, 256, false, true, 61),
                                       ManyColours(32, 32, false, true, 62),
                                       ManyColours(256, 256, true, false, 63)};
    std::vector<IconImageRec> records{ToRecord(sources[0], kDepth32),
                                      ToRecord(sources[1], kDepth32),
                                      ToRecord(sources[2], kDepth24)};
    // Every 256 x 256 image asks to be compressed; only the 32-bit one can be.
    for (IconImageRec& rec : records) rec.png = rec.width == 256 && rec.height == 256;
    TempDir dir;
    const std::string ico = dir.File("vista.ico");
    CIconFile writer;
    ASSERT_TRUE(writer.WriteIconFile(ico, records, 0)) << writer.LastError();
    const std::vector<uint8_t> bytes = ReadBytes(ico);
    EXPECT_TRUE(EntryIsPng(bytes, 0));
    EXPECT_FALSE(EntryIsPng(bytes, 1));
    EXPECT_FALSE(EntryIsPng(bytes, 2));

    std::string warnings;
    const std::vector<Listed> listed = IcotoolList(ico, &warnings);
    EXPECT_EQ(warnings, "");
    ASSERT_EQ(listed.size(), 3u);
    const int bits[] = {32, 32, 24};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(listed[i].width, sources[i].width);
        EXPECT_EQ(listed[i].height, sources[i].height);
        EXPECT_EQ(listed[i].bitDepth, bits[i]);
    }

    const std::vector<std::string> extracted = ExtractWithoutWarnings(dir, ico);
    ASSERT_EQ(extracted.size(), 3u);
    std::vector<std::string> decode{ico};
    decode.insert(decode.end(), extracted.begin(), extracted.end());
    const std::vector<std::vector<Picture>> decoded = PillowDecode(decode);
    CIconFile reader;
    const std::vector<Picture> ours = ReadOurs(ico, reader);
    ASSERT_EQ(ours.size(), 3u);
    ASSERT_EQ(decoded[0].size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE("image " + std::to_string(i));
        EXPECT_TRUE(SamePixels(sources[i], ours[i]));
        EXPECT_TRUE(SamePixels(sources[i], decoded[0][i])) << "Pillow";
        ASSERT_EQ(decoded[1 + i].size(), 1u);
        EXPECT_TRUE(SamePixels(sources[i], decoded[1 + i][0])) << "icotool";
    }
}

// --- Animated cursors ---------------------------------------------------------
// .ani files assembled from icons and cursors that icotool made must give back
// the pictures those were made from, and the frames we write must decode in
// Pillow to what we wrote.

// Pillow's decode of the first image of each icon file.
std::vector<Picture> PillowFirstImages(const std::vector<std::string>& paths) {
    std::vector<Picture> firsts;
    for (const std::vector<Picture>& frames : test::PillowDecode(paths)) {
        if (frames.empty()) break;
        firsts.push_back(frames.front());
    }
    return firsts;
}

// The bodies of the "icon" chunks of a file as we write it, checking on the
// way that every size adds up to the file's length.
std::vector<Blob> WrittenFrames(const Blob& ani) {
    std::vector<Blob> frames;
    EXPECT_EQ(U32At(ani, 4) + 8, ani.size());
    // The frame list comes last, after the header and whatever chunks of
    // timing, order and names the file has.
    size_t pos = 12;
    while (pos + 12 <= ani.size() && !(std::memcmp(&ani[pos], "LIST", 4) == 0 &&
                                       std::memcmp(&ani[pos + 8], "fram", 4) == 0)) {
        pos += 8 + U32At(ani, pos + 4) + (U32At(ani, pos + 4) & 1);
    }
    const size_t listEnd = pos + 8 + U32At(ani, pos + 4);
    EXPECT_EQ(listEnd, ani.size());
    pos += 12;
    while (pos + 8 <= listEnd) {
        const size_t size = U32At(ani, pos + 4);
        EXPECT_EQ(std::memcmp(&ani[pos], "icon", 4), 0);
        frames.emplace_back(ani.begin() + long(pos + 8), ani.begin() + long(pos + 8 + size));
        pos += 8 + size + (size & 1);
    }
    EXPECT_EQ(pos, listEnd);
    return frames;
}

// Pictures made by Pillow and turned into icons and cursors by icotool.
struct Made {
    std::vector<Picture> firstImages; // what each frame's first image shows
    std::vector<Blob> icons;          // the icon or cursor file of each frame
};

Made MakeWithIcotool(const TempDir& dir) {
    Made made;
    int serial = 0;
    auto make = [&](const std::vector<Picture>& pics, const std::vector<std::string>& options) {
        std::vector<std::string> argv{test::IcotoolPath(), "-c"};
        argv.insert(argv.end(), options.begin(), options.end());
        const std::string out = dir.File("made" + std::to_string(serial++) + ".ico");
        argv.insert(argv.end(), {"-o", out});
        for (const Picture& pic : pics) {
            const std::string png = dir.File("src" + std::to_string(serial++) + ".png");
            test::SavePngs(dir, {{png, pic}});
            argv.push_back(png);
        }
        const CommandResult r = test::Run(argv);
        EXPECT_EQ(r.status, 0) << r.err;
        made.firstImages.push_back(pics.front());
        made.icons.push_back(ReadBytes(out));
    };
    make({ManyColours(32, 32, false, true, 1)}, {});  // 32 bits with alpha
    make({FewColours(16, 16, 15, true, 2)}, {});      // 4 bits
    make({FewColours(24, 20, 200, true, 3)}, {});     // 8 bits
    make({FewColours(17, 17, 2, false, 4)}, {});      // 1 bit
    make({ManyColours(40, 20, false, false, 5)}, {}); // 24 bits
    make({FewColours(20, 20, 2, false, 6), ManyColours(48, 48, false, true, 7)}, {}); // two images
    // A cursor whose hot spot y sits where an icon keeps 8 bits per pixel.
    make({ManyColours(32, 32, false, true, 8)}, {"--cursor", "--hotspot-x=3", "--hotspot-y=8"});
    return made;
}

void ExpectFrames(const CIconFile& engine, const std::vector<Picture>& want,
                  const std::vector<int32_t>& times) {
    ASSERT_EQ(engine.Images().size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        SCOPED_TRACE("frame " + std::to_string(i));
        EXPECT_TRUE(SamePixels(want[i], PictureOf(engine.Images()[i])));
        EXPECT_EQ(engine.Images()[i].frameTime, times[i]);
    }
}

TEST(AnimatedInterop, ReadsFramesThatIcotoolMade) {
    PICTOFORM_REQUIRE_ICOTOOL();
    PICTOFORM_REQUIRE_PILLOW();
    TempDir dir;
    const Made made = MakeWithIcotool(dir);
    ASSERT_EQ(made.icons.size(), 7u);
    const Blob& cursor = made.icons.back();
    ASSERT_EQ(test::U16At(cursor, 2), kCursorType);
    ASSERT_EQ(test::U16At(cursor, 10), 3u);
    ASSERT_EQ(test::U16At(cursor, 12), 8u);
    ASSERT_EQ(test::U16At(made.icons[5], 4), 2u);
    const uint32_t n = static_cast<uint32_t>(made.icons.size());

    Blob frames = Cat({Blob{'f', 'r', 'a', 'm'}});
    for (const Blob& icon : made.icons) frames = Cat({frames, Chunk("icon", icon)});
    Blob oddFrames = Cat({Blob{'f', 'r', 'a', 'm'}});
    for (Blob icon : made.icons) {
        // A byte beyond the icon makes an odd chunk with its pad byte.
        icon.push_back(0x5A);
        oddFrames = Cat({oddFrames, Chunk("icon", icon)});
    }
    const Blob anih = Chunk("anih", Values({36, n, n, 0, 0, 0, 0, 4, 1}));
    const Blob info = Chunk("LIST", Cat({{'I', 'N', 'F', 'O'}, Chunk("INAM", {'O', 'd', 'd'})}));
    const Blob rate = Chunk("rate", Values({5, 6, 7, 8, 9, 10, 11}));
    const Blob seq = Chunk("seq ", Values({0, 1, 0, 2, 3, 4, 5, 6, 6}));

    // Without a rate chunk every frame takes the header's display rate; with
    // a sequence the rates go by step, and a frame takes its first step's.
    const std::vector<int32_t> fixed(n, 4);
    const std::vector<int32_t> rated{5, 6, 8, 9, 10, 11, 4};
    struct Case {
        const char* name;
        Blob file;
        const std::vector<int32_t>& times;
    };
    const std::vector<Case> cases = {
        {"plain", Riff({anih, Chunk("LIST", frames)}), fixed},
        {"rate and seq", Riff({info, anih, rate, seq, Chunk("LIST", frames)}), rated},
        {"odd chunks", Riff({anih, Chunk("IART", {'x'}), seq, Chunk("LIST", oddFrames), info}),
         fixed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.File(std::string(c.name) + ".ani");
        test::WriteBytes(path, c.file);
        CIconFile engine;
        ASSERT_TRUE(engine.ReadIconFile(path)) << engine.LastError();
        ExpectFrames(engine, made.firstImages, c.times);
        const bool plain = std::string(c.name) == "plain";
        const std::vector<uint32_t> order{0, 1, 0, 2, 3, 4, 5, 6, 6};
        EXPECT_EQ(engine.Animation().sequence, plain ? std::vector<uint32_t>{} : order);
        EXPECT_EQ(engine.Animation().title, plain ? "" : "Odd");
        EXPECT_EQ(engine.Animation().author, std::string(c.name) == "odd chunks" ? "x" : "");
        EXPECT_EQ(engine.Images()[2].depth, kDepth256);
        EXPECT_EQ(engine.Images()[6].depth, kDepth32) << "cursor frame";

        // Written back by us, the same frames at the same times.
        std::vector<IconImageRec> records = engine.Images();
        for (IconImageRec& rec : records) {
            FlipRows(rec);
            // icotool's AND mask hides pixels under half opacity, and the
            // icon writer blanks the colour of every masked pixel; a format
            // of the editor covers each pixel that has any alpha.
            if (rec.HasAlpha()) {
                for (size_t p = 0; p < rec.PixelCount(); ++p) rec.mask[p] = rec.alpha[p] != 0;
            }
        }
        Blob ours;
        ASSERT_TRUE(engine.EncodeAnimatedCursor(records, 0, ours)) << engine.LastError();
        EXPECT_EQ(WrittenFrames(ours).size(), n);
        CIconFile again;
        ASSERT_TRUE(again.ReadAnimatedData(ours)) << again.LastError();
        ExpectFrames(again, made.firstImages, c.times);
    }
}

TEST(AnimatedInterop, FramesWeWriteDecodeInOtherPrograms) {
    PICTOFORM_REQUIRE_ICOTOOL();
    PICTOFORM_REQUIRE_PILLOW();
    TempDir dir;
    const std::vector<std::pair<Picture, int32_t>> sources = {
        {ManyColours(32, 32, false, true, 21), kDepth32},
        {FewColours(16, 16, 15, true, 22), kDepth16},
        {FewColours(30, 18, 255, true, 23), kDepth256},
        {ManyColours(17, 9, false, false, 24), kDepth24},
        {FewColours(13, 7, 2, false, 25), kDepth2},
        {ManyColours(48, 48, false, true, 26), kDepth32},
    };
    std::vector<IconImageRec> records;
    for (const auto& [pic, depth] : sources) records.push_back(ToRecord(pic, depth));
    CIconFile engine;
    const std::string path = dir.File("ours.ani");
    ASSERT_TRUE(engine.WriteAnimatedCursor(path, records, 0)) << engine.LastError();
    const Blob ani = ReadBytes(path);
    EXPECT_EQ(U32At(ani, 40), 32u);
    const std::vector<Blob> frames = WrittenFrames(ani);
    ASSERT_EQ(frames.size(), sources.size());

    std::vector<std::string> icons;
    for (size_t i = 0; i < frames.size(); ++i) {
        icons.push_back(dir.File("frame" + std::to_string(i) + ".ico"));
        test::WriteBytes(icons.back(), frames[i]);
        const CommandResult listed = test::Run({test::IcotoolPath(), "-l", icons.back()});
        EXPECT_EQ(listed.status, 0) << listed.err;
        EXPECT_EQ(listed.err, "") << "icotool finds the frame file sound";
        EXPECT_NE(
            listed.out.find("--bit-depth=" + std::to_string(BitsPerPixelOf(sources[i].second))),
            std::string::npos)
            << listed.out;
    }
    const std::vector<Picture> pillow = PillowFirstImages(icons);
    ASSERT_EQ(pillow.size(), sources.size());
    CIconFile reader;
    ASSERT_TRUE(reader.ReadIconFile(path)) << reader.LastError();
    ASSERT_EQ(reader.Images().size(), sources.size());
    for (size_t i = 0; i < sources.size(); ++i) {
        SCOPED_TRACE("frame " + std::to_string(i));
        EXPECT_TRUE(SamePixels(sources[i].first, pillow[i]));
        EXPECT_TRUE(SamePixels(sources[i].first, PictureOf(reader.Images()[i])));
        EXPECT_EQ(reader.Images()[i].depth, sources[i].second);
    }
}

} // namespace
} // namespace pictoform
