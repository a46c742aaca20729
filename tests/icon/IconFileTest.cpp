// Icon and cursor files byte by byte: the exact bytes we write, files built
// by hand that must read with exact pixels, PNG-compressed images inside
// them, and files that other programs write and read though they bend the
// layout, each built the way the named program builds it.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <random>
#include <tuple>

#include "icon/IconBytes.h"
#include "icon/IconFile.h"
#include "icon/IconTestImages.h"
#include "icon/ModuleFixtures.h"
#include "image/PixelRows.h"

using namespace pictoform;
using namespace pictoform::test;

namespace {

// A one-image icon up to its bitmap header; the caller adds the rest.
Bytes OneImage(uint8_t w, uint8_t h, uint8_t colours, uint16_t entryBits, uint32_t bytes,
               uint16_t headerBits, uint32_t headerSize = 40) {
    Bytes f;
    IconHeader(f, 1, 1);
    Entry(f, w, h, colours, 1, entryBits, bytes, 22);
    BitmapHeader(f, w, h, headerBits, headerSize);
    return f;
}

// One 2 x 2 image at 32 bits: a complete file with an AND mask.
Bytes TwoByTwo32(uint16_t type, uint16_t planes, uint16_t bits) {
    Bytes f;
    IconHeader(f, type, 1);
    Entry(f, 2, 2, 0, planes, bits, 40 + 16 + 8, 22);
    BitmapHeader(f, 2, 2, 32);
    // Bottom row first: (0,1) (1,1), then (0,0) (1,0).
    f.Raw({1, 2, 3, 0, 4, 5, 6, 128, 7, 8, 9, 255, 10, 11, 12, 64});
    f.U32(0x80).U32(0x00); // bottom row's first pixel transparent
    return f;
}

IconImageRec ReadOne(const Bytes& f) {
    CIconFile engine;
    EXPECT_TRUE(engine.ReadIconData(f.b)) << engine.LastError();
    return engine.Images().empty() ? IconImageRec{} : engine.Images()[0];
}

const Px kRed{255, 0, 0};
const Px kGreen{0, 255, 0};
const Px kBlue{0, 0, 255};
const Px kWhite{255, 255, 255};
const Px kClear{0, 255, 0, 0}; // transparent, with a colour that must not survive

// A one-image icon file as we write it, up to its palette: the bitmap
// header's image size counts the colour rows alone.
Bytes Head(uint8_t w, uint8_t h, uint8_t colours, uint16_t bits, uint32_t size, uint32_t rows) {
    Bytes f = OneImage(w, h, colours, bits, size, bits);
    PutU32At(f.b, 22 + 20, rows);
    return f;
}

// A w x h PNG whose pixel (x, y) has red x, green y, blue 99 and alpha x * y.
std::vector<uint8_t> GradientPng(int w, int h) {
    return PngBytes(Paint(w, h, [](int x, int y) {
        return std::array<uint8_t, 4>{uint8_t(x), uint8_t(y), 99, uint8_t(x * y)};
    }));
}

// One row of pixels, left to right.
IconImageRec Row(int32_t depth, const std::vector<Px>& pixels) {
    return MakeImage(int(pixels.size()), 1, depth, [&](int x, int) { return pixels[size_t(x)]; });
}

Bytes IconWithPng(uint8_t entryW, uint8_t entryH, const std::vector<uint8_t>& png) {
    Bytes f;
    IconHeader(f, 1, 1);
    Entry(f, entryW, entryH, 0, 1, 32, static_cast<uint32_t>(png.size()), 22);
    return f.Raw(png);
}

Px Mixed(int x, int y) {
    return Px{static_cast<uint8_t>(x * 16), static_cast<uint8_t>(y * 8), 77, 255};
}

} // namespace

TEST(IconFileLayout, SixteenColoursAtSixteenPixels) {
    // Left half red, right half green, the top-left pixel transparent.
    const IconImageRec rec = MakeImage(16, 16, kDepth16, [](int x, int y) {
        return (x == 0 && y == 0) ? kClear : (x < 8 ? kRed : kGreen);
    });
    // Height doubled in the bitmap header; 296 = 40 + 64 + (8 + 4) * 16, and
    // the image size counts the colour rows alone.
    Bytes want = Head(16, 16, 16, 4, 296, 8 * 16);
    // Palette: green, red, in the reduction's order (the transparent pixel
    // takes no entry); unused entries and the reserved entry 15 are zero.
    want.Raw({0, 255, 0, 255, 0, 0, 255, 255}).Zeros(56);
    // Rows bottom first, the top row with index 15; then the AND mask, 4
    // bytes a row, with only the top row's first bit.
    for (int row = 0; row < 16; ++row)
        want.Raw({uint8_t(row < 15 ? 0x11 : 0xF1), 0x11, 0x11, 0x11, 0, 0, 0, 0});
    EXPECT_EQ(IcoBytes({rec}), want.Zeros(60).Raw({0x80, 0, 0, 0}).b);
}

TEST(IconFileLayout, SixteenColoursKeepTheLastEntryBlackWithNothingTransparent) {
    // Twenty colours, all opaque: fifteen entries share them, entry 15 stays
    // black for the transparent pixels other pictures have.
    const IconImageRec rec = MakeImage(20, 1, kDepth16, [](int x, int) {
        return Px{static_cast<uint8_t>(12 * x), static_cast<uint8_t>(255 - 12 * x), 40};
    });
    EXPECT_EQ(U32At(IcoBytes({rec}), 62 + 15 * 4), 0u);
}

TEST(IconFileLayout, TrueColourRowsArePaddedToWholeWords) {
    const IconImageRec rec = MakeImage(17, 17, kDepth24, [](int x, int y) {
        if (x == 16 && y == 16) return kClear;
        return Px{static_cast<uint8_t>(x), static_cast<uint8_t>(y), 7};
    });
    // Rows of 51 bytes padded to 52, bottom row first; the image size counts
    // the colour rows alone, then come mask rows of 4 bytes.
    Bytes want = Head(17, 17, 0, 24, 40 + 56 * 17, 52 * 17);
    for (int y = 16; y >= 0; --y) {
        for (int x = 0; x < 17; ++x) want.U8(7).U8(y).U8(x);
        want.U8(0);
    }
    PutU32At(want.b, 62 + 16 * 3, 0); // the transparent pixel is black (and its row's padding 0)
    EXPECT_EQ(IcoBytes({rec}), want.Raw({0, 0, 0x80, 0}).Zeros(64).b);
}

TEST(IconFileLayout, AlphaIsKeptAndDecidesTheMask) {
    IconImageRec rec = Row(kDepth32, {{10, 20, 30, 0}, {40, 50, 60, 200}});
    // The mask plane disagrees with alpha on both pixels: alpha decides both
    // the AND mask and which colours are blanked, so a faint pixel that
    // another program masked keeps its colour.
    rec.mask = {1, 0};
    EXPECT_EQ(IcoBytes({rec}),
              Head(2, 1, 0, 32, 40 + 8 + 4, 8).Raw({0, 0, 0, 0, 60, 50, 40, 200, 0x80, 0, 0, 0}).b);
}

TEST(IconFileLayout, TwoHundredFiftySixColoursReserveTheLastEntry) {
    // Three colours, fully opaque: three computed entries, then zeros.
    const IconImageRec opaque = Row(kDepth256, {kRed, kBlue, kWhite});
    // 256 colours count 0; blue (b=255), red, white in the subdivision's order.
    Bytes want = Head(3, 1, 0, 8, 40 + 1024 + 4 + 4, 4);
    want.Raw({255, 0, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255}).Zeros(1012);
    EXPECT_EQ(IcoBytes({opaque}), want.Raw({1, 0, 2, 0}).Zeros(4).b);

    // A transparent pixel takes index 255 and no computed entry.
    const IconImageRec holed = Row(kDepth256, {kRed, kClear, kBlue});
    want = Head(3, 1, 0, 8, 40 + 1024 + 4 + 4, 4).Raw({255, 0, 0, 255, 0, 0, 255, 255});
    EXPECT_EQ(IcoBytes({holed}), want.Zeros(1016).Raw({1, 255, 0, 0, 0x40, 0, 0, 0}).b);
}

TEST(IconFileLayout, FewColourDepths) {
    // Monochrome: two entries with reserved 0; the transparent pixel is black
    // and keeps black's index.
    const IconImageRec mono = Row(kDepth2, {kWhite, kClear, kWhite});
    Bytes want = Head(3, 1, 2, 1, 40 + 8 + 4 + 4, 4).Raw({0, 0, 0, 0, 255, 255, 255, 0});
    EXPECT_EQ(IcoBytes({mono}), want.Raw({0b10100000, 0, 0, 0, 0b01000000, 0, 0, 0}).b);

    // Four colours: all four entries computed, transparent pixels at index 3.
    const IconImageRec four = Row(kDepth4, {kRed, kGreen, kClear, kBlue});
    // blue, green, red; the transparent pixel takes no entry. Row: red 2, green
    // 1, transparent 3, blue 0.
    want = Head(4, 1, 4, 2, 40 + 16 + 4 + 4, 4);
    want.Raw({255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 0, 0, 0, 0});
    EXPECT_EQ(IcoBytes({four}), want.Raw({0b10011100, 0, 0, 0, 0b00100000, 0, 0, 0}).b);
}

TEST(IconFileLayout, EmptyListIsAHeaderThatReadsAsNothing) {
    const auto b = IcoBytes({});
    EXPECT_EQ(b, (std::vector<uint8_t>{0, 0, 1, 0, 0, 0}));
    CIconFile engine;
    EXPECT_FALSE(engine.ReadIconData(b));
}

TEST(IconFileRead, CursorFieldsAreTheHotSpotNotTheDepth) {
    // Hot spot y = 8 sits where an icon keeps its bit count: still 32 bits.
    HotSpot hot;
    CIconFile engine(hot);
    ASSERT_TRUE(engine.ReadIconData(TwoByTwo32(2, 1, 8).b)) << engine.LastError();
    EXPECT_EQ(engine.FileType(), kCursorType);
    EXPECT_EQ(engine.Images()[0].depth, 32);
    EXPECT_EQ(hot, (HotSpot{1, 8}));
    // The same fields in an icon do count: bit count 8 there asks for a
    // 256-entry palette that this small file does not hold.
    ASSERT_FALSE(engine.ReadIconData(TwoByTwo32(1, 1, 8).b));

    // Of several cursor images, the last one's hot spot is the file's.
    Bytes f;
    IconHeader(f, 2, 2);
    const uint32_t size = 40 + 16 + 8;
    Entry(f, 2, 2, 0, 1, 0, size, 38);
    Entry(f, 2, 2, 0, 0, 1, size, 38 + size);
    for (int i = 0; i < 2; ++i) BitmapHeader(f, 2, 2, 32).Zeros(16 + 8);
    ASSERT_TRUE(engine.ReadIconData(f.b)) << engine.LastError();
    EXPECT_EQ(hot, (HotSpot{0, 1}));
    ASSERT_EQ(engine.Images().size(), 2u);
    EXPECT_EQ(engine.Images()[0].hotSpot, (HotSpot{1, 0}));
    EXPECT_EQ(engine.Images()[1].hotSpot, (HotSpot{0, 1}));
}

// Bitmaps of each kind read to their exact planes, rows in file order,
// bottom row first.
TEST(IconFileRead, BitmapsReadToTheirExactPlanes) {
    // 3 x 2 at 4 bits: rows of 4 bytes, the top row's middle pixel transparent.
    Bytes paletted = OneImage(3, 2, 16, 4, 40 + 64 + 8 + 8, 4);
    for (int i = 0; i < 16; ++i) paletted.U8(i).U8(i * 2).U8(i * 3).U8(0);
    paletted.Raw({0x12, 0x30, 0, 0, 0xFE, 0xD0, 0, 0}).U32(0).U32(0x40);
    // Bit count 1 in the header but colour count 4 in the entry: the entry's
    // colour count decides, and rows are read at 2 bits.
    Bytes four = OneImage(4, 1, 4, 0, 40 + 16 + 4 + 4, 1);
    four.Raw({0, 0, 0, 0, 50, 50, 50, 0, 100, 100, 100, 0, 200, 200, 200, 0});
    four.Raw({0b00011011, 0, 0, 0}).U32(0);
    // A longer bitmap header puts the palette after it.
    Bytes longer = OneImage(1, 1, 2, 1, 108 + 8 + 4 + 4, 1, 108);
    longer.Raw({0, 0, 0, 0, 10, 20, 30, 0}).Raw({0x80, 0, 0, 0}).U32(0);
    // Sixteen bits are read as twenty-four.
    const Bytes high = OneImage(1, 1, 0, 16, 40 + 4 + 4, 16).Raw({9, 8, 7, 0}).U32(0);
    using V = std::vector<uint8_t>;
    const V expanded = {1, 2, 3, 2, 4, 6, 3, 6, 9, 15, 30, 45, 14, 28, 42, 13, 26, 39};
    const struct {
        Bytes file;
        int32_t depth, paletteSize;
        V colours, alpha, mask;
    } cases[] = {
        {TwoByTwo32(1, 1, 32),
         kDepth32,
         -1,
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12},
         {0, 128, 255, 64},
         {0, 1, 1, 1}},
        {paletted, kDepth16, 16, expanded, {}, {1, 1, 1, 1, 0, 1}},
        {four, kDepth4, 4, {0, 0, 0, 50, 50, 50, 100, 100, 100, 200, 200, 200}, {}, {1, 1, 1, 1}},
        {high, kDepth24, -1, {9, 8, 7}, {}, {1}},
        {longer, kDepth2, 2, {10, 20, 30}, {}, {1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.depth);
        const IconImageRec rec = ReadOne(c.file);
        EXPECT_EQ(std::tie(rec.depth, rec.paletteSize, rec.colours, rec.alpha, rec.mask),
                  std::tie(c.depth, c.paletteSize, c.colours, c.alpha, c.mask));
        EXPECT_EQ(rec.palette.size(), 4 * size_t(std::max(0, c.paletteSize)));
    }
}

// The PNG's own size wins over the entry's, up to 1024 a side: programs
// carry pictures larger than 256 (a 194 x 313 one in Wine's winecfg.exe).
TEST(PngImage, DecodedAtItsOwnSizeWithTheMaskFromAlpha) {
    const struct {
        uint8_t entryW, entryH;
        int w, h;
    } cases[] = {{0, 0, 256, 256}, {32, 32, 48, 20}, {194, 57, 194, 313}};
    CIconFile engine;
    for (const auto& c : cases) {
        ASSERT_TRUE(engine.ReadIconData(IconWithPng(c.entryW, c.entryH, GradientPng(c.w, c.h)).b))
            << engine.LastError();
        const IconImageRec& rec = engine.Images()[0];
        ASSERT_EQ(rec.width, c.w);
        ASSERT_EQ(rec.height, c.h);
        EXPECT_EQ(rec.depth, kDepth32);
        for (int y = 0; y < c.h; ++y) {
            for (int x = 0; x < c.w; ++x) {
                const auto a = static_cast<uint8_t>(x * y);
                ASSERT_EQ(ReadPixel(rec, x, y), (Px{uint8_t(x), uint8_t(y), 99, a}))
                    << x << "," << y;
                ASSERT_EQ(rec.mask[size_t(c.h - 1 - y) * size_t(c.w) + size_t(x)], a != 0 ? 1 : 0);
            }
        }
    }
    EXPECT_FALSE(engine.ReadIconData(IconWithPng(0, 0, GradientPng(1025, 4)).b));
    EXPECT_EQ(engine.LastError(),
              "image 0 holds a PNG of 1025 x 4 pixels, larger than 1024 a side");
    EXPECT_TRUE(engine.Images().empty());
}

// Rows of one to 300 pixels of one, three and four bytes, under the five
// filters as PNG defines them: the encoder's vector lanes, and the bytes
// before and after them, must give the same bytes and scores. Most bytes are
// 0 to 2, so that Paeth's ties are common; the rest are anything, so that
// its sums pass 255.
TEST(PngImage, RowFiltersAndScoresAreThoseOfPngsDefinition) {
    std::mt19937 random(7);
    const auto byte = [&] {
        const uint32_t r = random();
        return static_cast<uint8_t>(r % 3 == 0 ? r >> 8 : (r >> 8) % 3);
    };
    for (const size_t left : {1u, 3u, 4u}) {
        for (const size_t pixels : {1u, 17u, 40u, 300u}) {
            const size_t n = left * pixels;
            std::vector<uint8_t> cur(n), prev(n);
            std::generate(cur.begin(), cur.end(), byte);
            std::generate(prev.begin(), prev.end(), byte);
            std::vector<std::vector<uint8_t>> out(5, std::vector<uint8_t>(n)), expected = out;
            uint32_t score[5], expectedScore[5] = {};
            for (size_t i = 0; i < n; ++i) {
                const int a = i >= left ? cur[i - left] : 0, b = prev[i];
                const int c = i >= left ? prev[i - left] : 0, p = a + b - c;
                const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
                const int predicted[5] = {0, a, b, (a + b) / 2,
                                          pa <= pb && pa <= pc ? a : (pb <= pc ? b : c)};
                for (size_t f = 0; f < 5; ++f) {
                    const auto v = static_cast<uint8_t>(cur[i] - predicted[f]);
                    expected[f][i] = v;
                    expectedScore[f] += v < 128 ? v : 256u - v;
                }
            }
            PngFilterRowArgs row{cur.data(), prev.data(), left, n, {}};
            for (size_t f = 0; f < 5; ++f) row.out[f] = out[f].data();
            FilterPngRow(row, score);
            EXPECT_EQ(out, expected) << left << " x " << pixels;
            EXPECT_EQ(std::to_array(score), std::to_array(expectedScore))
                << left << " x " << pixels;
        }
    }
}

TEST(PngImage, DamagedPngIsRefusedWithLibpngsReason) {
    auto png = GradientPng(16, 16);
    png[png.size() / 2] ^= 0x5A; // inside the compressed data: its checksum no longer holds
    CIconFile engine;
    EXPECT_FALSE(engine.ReadIconData(IconWithPng(16, 16, png).b));
    EXPECT_EQ(engine.LastError().rfind("image 0 holds damaged PNG data (", 0), 0u)
        << engine.LastError();
}

// Where the directory disagrees with a bitmap, the bitmap's own size wins.
// Wine's cursors as wrestool takes them out give half the height in the
// directory; Pillow's hopper_unexpected.ico gives twice it. A writer that wrote
// the mask but left it out of the entry's size: where the mask ends exactly at
// the next image, or at the end of the file, it is read.
TEST(ReadingMends, WhatTheDirectoryGetsWrongTheBitmapPutsRight) {
    const IconImageRec holed = MakeImage(16, 16, kDepth24, [](int x, int y) {
        return Px{static_cast<uint8_t>(x * 16), 40, 77,
                  static_cast<uint8_t>((x + y) % 3 ? 255 : 0)};
    });
    struct Case {
        const char* what;
        IconImageRec image;
        unsigned flags;
        uint8_t entryWidth, entryHeight;
        int maskLeftOut; // 0: none, 1: of the last image, 2: of an image before another
    };
    const Case cases[] = {
        {"cursor, half the height", MakeImage(32, 32, kDepth2, Mixed), kWriteCursor, 32, 16, 0},
        {"icon, twice the height", MakeImage(16, 16, kDepth24, Mixed), 0, 16, 32, 0},
        {"icon, another width", MakeImage(8, 4, kDepth16, Mixed), 0, 3, 4, 0},
        {"mask of the last image", holed, 0, 16, 16, 1},
        {"mask of an image before another", holed, 0, 16, 16, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<IconImageRec> images{c.image};
        if (c.maskLeftOut == 2) images.push_back(MakeImage(8, 8, kDepth24, Mixed));
        Blob file = IcoBytes(images, c.flags);
        file[6] = c.entryWidth;
        file[7] = c.entryHeight;
        if (c.maskLeftOut) PutU32At(file, 14, U32At(file, 14) - 4 * 16);
        CIconFile engine, plain;
        ASSERT_TRUE(engine.ReadIconData(file)) << engine.LastError();
        ASSERT_TRUE(plain.ReadIconData(IcoBytes(images, c.flags)));
        const auto shape = [](const IconImageRec& r) {
            return std::tie(r.width, r.height, r.colours, r.mask);
        };
        EXPECT_EQ(shape(engine.Images()[0]), shape(plain.Images()[0]));
    }
}

TEST(ReadingMends, TrueColourBitmapsThatPillowWroteWithoutAMaskAreOpaque) {
    PICTOFORM_REQUIRE_PILLOW();
    TempDir dir;
    const std::string path = dir.File("rgb.ico");
    const CommandResult made =
        RunPython("import sys\nfrom PIL import Image\n"
                  "im = Image.new('RGB', (24, 16))\n"
                  "im.putdata([(x * 10, y * 15, 77) for y in range(16) for x in range(24)])\n"
                  "im.save(sys.argv[1], sizes=[(16, 16), (24, 16)], bitmap_format='bmp')\n",
                  {path});
    ASSERT_EQ(made.status, 0) << made.err;
    CIconFile engine;
    ASSERT_TRUE(engine.ReadIconFile(path)) << engine.LastError();
    ASSERT_EQ(engine.Images().size(), 2u);
    const IconImageRec& last = engine.Images()[1];
    EXPECT_EQ(last.depth, kDepth24);
    EXPECT_TRUE(SamePixels(Paint(24, 16,
                                 [](int x, int y) -> std::array<uint8_t, 4> {
                                     return {uint8_t(x * 10), uint8_t(y * 15), 77, 255};
                                 }),
                           PictureOf(last)));
}

TEST(ReadingMends, ThirtyTwoBitImagesWithNoAlphaTakeItFromTheirMask) {
    // Older editors wrote 32-bit images with every alpha byte 0 and the
    // shape in the AND mask.
    const IconImageRec image = MakeImage(6, 5, kDepth32, [](int x, int y) {
        return Px{static_cast<uint8_t>(40 * x), 9, static_cast<uint8_t>(50 * y),
                  static_cast<uint8_t>(x > y ? 255 : 0)};
    });
    std::vector<uint8_t> file = IcoBytes({image});
    const size_t pixels = 22 + 40;
    for (size_t p = 0; p < 30; ++p) file[pixels + p * 4 + 3] = 0;
    CIconFile engine;
    ASSERT_TRUE(engine.ReadIconData(file)) << engine.LastError();
    EXPECT_TRUE(SamePixels(PictureOfSource(image), PictureOf(engine.Images()[0])));
    // A faint but real alpha is kept as it is.
    file[pixels + 3] = 1;
    ASSERT_TRUE(engine.ReadIconData(file));
    EXPECT_EQ(ReadPixel(engine.Images()[0], 0, 4).a, 1);
    EXPECT_EQ(ReadPixel(engine.Images()[0], 5, 0).a, 0);
}

TEST(ReadingMends, BytesAfterTheRiffChunkOfAnAnimatedCursorAreNotPartOfIt) {
    const std::vector<IconImageRec> frames = {MakeImage(4, 4, kDepth32, Mixed),
                                              MakeImage(4, 4, kDepth24, Mixed)};
    CIconFile writer;
    std::vector<uint8_t> ani;
    ASSERT_TRUE(writer.EncodeAnimatedCursor(frames, 0, ani));
    const size_t whole = ani.size();
    // A chunk header whose size runs far past the end, as tools leave behind.
    const uint8_t junk[] = {'J', 'U', 'N', 'K', 0x10, 0x10, 0, 0, 1, 2};
    ani.insert(ani.end(), std::begin(junk), std::end(junk));
    CIconFile engine;
    ASSERT_TRUE(engine.ReadAnimatedData(ani)) << engine.LastError();
    ASSERT_EQ(engine.Images().size(), 2u);
    EXPECT_EQ(engine.Images()[1].depth, kDepth24);
    // The same chunk inside the RIFF chunk is damage.
    PutU32At(ani, 4, static_cast<uint32_t>(ani.size() - 8));
    EXPECT_FALSE(engine.ReadAnimatedData(ani));
    EXPECT_EQ(engine.LastError(), "chunk \"JUNK\" ends at byte " +
                                      std::to_string(whole + 8 + 0x1010) + " of " +
                                      std::to_string(ani.size()));
}
