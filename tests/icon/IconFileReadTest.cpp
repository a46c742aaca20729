// Reading icon and cursor files built byte by byte.

#include <gtest/gtest.h>

#include "icon/IconBytes.h"
#include "icon/IconFile.h"
#include "icon/IconTestImages.h"

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

} // namespace

TEST(IconFileRead, ThirtyTwoBitsKeepAlphaAndReadTheMask) {
    const IconImageRec rec = ReadOne(TwoByTwo32(1, 1, 32));
    EXPECT_EQ(rec.depth, 32);
    // Rows stay in file order, bottom row first.
    EXPECT_EQ(rec.colours, (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
    EXPECT_EQ(rec.alpha, (std::vector<uint8_t>{0, 128, 255, 64}));
    EXPECT_EQ(rec.mask, (std::vector<uint8_t>{0, 1, 1, 1}));
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

TEST(IconFileRead, PalettedImagesExpandThroughTheirPalette) {
    // 3 x 2 at 4 bits: rows of 4 bytes.
    Bytes f = OneImage(3, 2, 16, 4, 40 + 64 + 8 + 8, 4);
    for (int i = 0; i < 16; ++i) f.U8(i).U8(i * 2).U8(i * 3).U8(0);
    f.Raw({0x12, 0x30, 0, 0, 0xFE, 0xD0, 0, 0});
    f.U32(0).U32(0x40); // top row's middle pixel transparent
    const IconImageRec rec = ReadOne(f);
    EXPECT_EQ(rec.depth, 16);
    EXPECT_EQ(rec.paletteSize, 16);
    EXPECT_EQ(rec.palette.size(), 64u);
    EXPECT_EQ(rec.colours, (std::vector<uint8_t>{1, 2, 3, 2, 4, 6, 3, 6, 9, 15, 30, 45, 14, 28, 42,
                                                 13, 26, 39}));
    EXPECT_EQ(rec.mask, (std::vector<uint8_t>{1, 1, 1, 1, 0, 1}));
}

TEST(IconFileRead, PaletteSizeByFirstRuleThatHolds) {
    // Bit count 1 in the header but colour count 4 in the entry: the entry's
    // colour count decides, and rows are read at 2 bits.
    Bytes f = OneImage(4, 1, 4, 0, 40 + 16 + 4 + 4, 1);
    f.Raw({0, 0, 0, 0, 50, 50, 50, 0, 100, 100, 100, 0, 200, 200, 200, 0});
    f.Raw({0b00011011, 0, 0, 0}).U32(0);
    const IconImageRec rec = ReadOne(f);
    EXPECT_EQ(rec.depth, 4);
    EXPECT_EQ(rec.colours,
              (std::vector<uint8_t>{0, 0, 0, 50, 50, 50, 100, 100, 100, 200, 200, 200}));
}

TEST(IconFileRead, SixteenBitsAreReadAsTwentyFour) {
    const IconImageRec rec =
        ReadOne(OneImage(1, 1, 0, 16, 40 + 4 + 4, 16).Raw({9, 8, 7, 0}).U32(0));
    EXPECT_EQ(rec.depth, 24);
    EXPECT_EQ(rec.colours, (std::vector<uint8_t>{9, 8, 7}));
    EXPECT_EQ(rec.mask, (std::vector<uint8_t>{1}));
}

TEST(IconFileRead, LongerBitmapHeadersPutThePaletteAfterThem) {
    Bytes f = OneImage(1, 1, 2, 1, 108 + 8 + 4 + 4, 1, 108);
    f.Raw({0, 0, 0, 0, 10, 20, 30, 0}).Raw({0x80, 0, 0, 0}).U32(0);
    EXPECT_EQ(ReadOne(f).colours, (std::vector<uint8_t>{10, 20, 30}));
}
