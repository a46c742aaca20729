// Exact bytes of written icon and cursor files.

#include <gtest/gtest.h>

#include <filesystem>

#include "icon/IconBytes.h"
#include "icon/IconFile.h"
#include "icon/IconTestImages.h"
#include "icon/ModuleFixtures.h"

using namespace pictoform;
using namespace pictoform::test;

namespace {

const Px kRed{255, 0, 0};
const Px kGreen{0, 255, 0};
const Px kBlue{0, 0, 255};
const Px kWhite{255, 255, 255};
const Px kClear{0, 255, 0, 0}; // transparent, with a colour that must not survive

// The directory entry of a one-image icon file.
std::vector<uint8_t> EntryOf(uint8_t w, uint8_t h, uint8_t colours, uint16_t bits, uint32_t size) {
    Bytes e;
    return Entry(e, w, h, colours, 1, bits, size, 22).b;
}

// A one-image icon file up to its palette: the bitmap header's image size
// counts the colour rows alone.
Bytes Head(uint8_t w, uint8_t h, uint8_t colours, uint16_t bits, uint32_t size, uint32_t rows) {
    Bytes f;
    IconHeader(f, 1, 1).Raw(EntryOf(w, h, colours, bits, size));
    BitmapHeader(f, w, h, bits).PutU32(22 + 20, rows);
    return f;
}

std::vector<uint8_t> Slice(const std::vector<uint8_t>& b, size_t from, size_t count) {
    return {b.begin() + static_cast<long>(from), b.begin() + static_cast<long>(from + count)};
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
    const auto b = IcoBytes({rec});
    EXPECT_EQ(Slice(b, 62 + 15 * 4, 4), std::vector<uint8_t>(4, 0));
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
    want.PutU32(62 + 16 * 3, 0); // the transparent pixel is black (and its row's padding 0)
    EXPECT_EQ(IcoBytes({rec}), want.Raw({0, 0, 0x80, 0}).Zeros(64).b);
}

TEST(IconFileLayout, AlphaIsKeptAndDecidesTheMask) {
    IconImageRec rec = MakeImage(2, 1, kDepth32, [](int x, int) {
        return x == 0 ? Px{10, 20, 30, 0} : Px{40, 50, 60, 200};
    });
    // The mask plane disagrees with alpha on both pixels: alpha decides both
    // the AND mask and which colours are blanked, so a faint pixel that
    // another program masked keeps its colour.
    rec.mask = {1, 0};
    EXPECT_EQ(IcoBytes({rec}),
              Head(2, 1, 0, 32, 40 + 8 + 4, 8).Raw({0, 0, 0, 0, 60, 50, 40, 200, 0x80, 0, 0, 0}).b);
}

TEST(IconFileLayout, TwoHundredFiftySixColoursReserveTheLastEntry) {
    // Three colours, fully opaque: three computed entries, then zeros.
    const IconImageRec opaque = MakeImage(
        3, 1, kDepth256, [](int x, int) { return x == 0 ? kRed : (x == 1 ? kBlue : kWhite); });
    // 256 colours count 0; blue (b=255), red, white in the subdivision's order.
    Bytes want = Head(3, 1, 0, 8, 40 + 1024 + 4 + 4, 4);
    want.Raw({255, 0, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255}).Zeros(1012);
    EXPECT_EQ(IcoBytes({opaque}), want.Raw({1, 0, 2, 0}).Zeros(4).b);

    // A transparent pixel takes index 255 and no computed entry.
    const IconImageRec holed = MakeImage(
        3, 1, kDepth256, [](int x, int) { return x == 0 ? kRed : (x == 1 ? kClear : kBlue); });
    want = Head(3, 1, 0, 8, 40 + 1024 + 4 + 4, 4).Raw({255, 0, 0, 255, 0, 0, 255, 255});
    EXPECT_EQ(IcoBytes({holed}), want.Zeros(1016).Raw({1, 255, 0, 0, 0x40, 0, 0, 0}).b);
}

TEST(IconFileLayout, FewColourDepths) {
    // Monochrome: two entries with reserved 0; the transparent pixel is black
    // and keeps black's index.
    const IconImageRec mono =
        MakeImage(3, 1, kDepth2, [](int x, int) { return x == 1 ? kClear : kWhite; });
    Bytes want = Head(3, 1, 2, 1, 40 + 8 + 4 + 4, 4).Raw({0, 0, 0, 0, 255, 255, 255, 0});
    EXPECT_EQ(IcoBytes({mono}), want.Raw({0b10100000, 0, 0, 0, 0b01000000, 0, 0, 0}).b);

    // Four colours: all four entries computed, transparent pixels at index 3.
    const IconImageRec four = MakeImage(4, 1, kDepth4, [](int x, int) {
        return x == 0 ? kRed : (x == 1 ? kGreen : (x == 2 ? kClear : kBlue));
    });
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
