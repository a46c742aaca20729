#include <gtest/gtest.h>

#include <array>
#include <initializer_list>
#include <map>
#include <span>

#include "icon/ColorReduction.h"

using namespace pictoform;

namespace {

struct Rgb {
    uint8_t r, g, b;
};

// The plane stores blue, green, red.
std::vector<uint8_t> Plane(std::span<const Rgb> pixels) {
    std::vector<uint8_t> bgr;
    for (const Rgb& p : pixels) bgr.insert(bgr.end(), {p.b, p.g, p.r});
    return bgr;
}
std::vector<uint8_t> Plane(std::initializer_list<Rgb> pixels) {
    return Plane(std::span(pixels.begin(), pixels.size()));
}

std::vector<uint8_t> Entry(const std::vector<uint8_t>& palette, size_t i) {
    return {palette.begin() + static_cast<long>(i * 4),
            palette.begin() + static_cast<long>(i * 4 + 4)};
}

} // namespace

TEST(ColorReduction, OneColourBecomesOneEntryWithIndexZero) {
    const auto bgr = Plane({{10, 20, 30}, {10, 20, 30}, {10, 20, 30}});
    std::vector<uint8_t> palette, indices;
    ASSERT_TRUE(ReduceColors(bgr, 3, 15, 4, palette, indices));
    ASSERT_EQ(palette.size(), 60u);
    EXPECT_EQ(Entry(palette, 0), (std::vector<uint8_t>{30, 20, 10, 255}));
    for (size_t i = 1; i < 15; ++i)
        EXPECT_EQ(Entry(palette, i), (std::vector<uint8_t>{0, 0, 0, 0}));
    EXPECT_EQ(indices, (std::vector<uint8_t>{0x00, 0x00}));
}

TEST(ColorReduction, LowerHalfComesFirstWhateverThePixelOrder) {
    // Colours that differ only in blue: the smaller blue value is entry 0.
    const auto bgr = Plane({{0, 0, 200}, {0, 0, 7}, {0, 0, 200}});
    std::vector<uint8_t> palette, indices;
    ASSERT_TRUE(ReduceColors(bgr, 3, 2, 1, palette, indices));
    // One-bit palettes carry reserved 0.
    EXPECT_EQ(palette, (std::vector<uint8_t>{7, 0, 0, 0, 200, 0, 0, 0}));
    EXPECT_EQ(indices, (std::vector<uint8_t>{0b10100000}));
}

TEST(ColorReduction, BoxThatStillSpansColoursGetsTheirMean) {
    // Four reds, limit 2: the first split at red 128 uses up the budget.
    const auto bgr = Plane({{0, 0, 0}, {10, 0, 0}, {200, 0, 0}, {250, 0, 0}, {10, 0, 0}});
    std::vector<uint8_t> palette, indices;
    ASSERT_TRUE(ReduceColors(bgr, 5, 2, 8, palette, indices));
    // (0 + 10 + 10) / 3 = 6, (200 + 250) / 2 = 225.
    EXPECT_EQ(palette, (std::vector<uint8_t>{0, 0, 6, 255, 0, 0, 225, 255}));
    EXPECT_EQ(indices, (std::vector<uint8_t>{0, 0, 1, 1, 0}));
}

TEST(ColorReduction, TheBudgetGoesWhereTheErrorIs) {
    // Two near blacks on one pixel each, and a hundred reds of two shades:
    // the last entry splits the reds, not the blacks that lie lower in the
    // cube. Entries still come in cube order, lower halves first.
    std::vector<Rgb> pixels = {{0, 0, 0}, {0, 0, 8}};
    for (int i = 0; i < 50; ++i) pixels.push_back({200, 0, 0});
    for (int i = 0; i < 50; ++i) pixels.push_back({250, 0, 0});
    const auto bgr = Plane(pixels);
    std::vector<uint8_t> palette, indices;
    ASSERT_TRUE(ReduceColors(bgr, pixels.size(), 3, 8, palette, indices));
    EXPECT_EQ(palette, (std::vector<uint8_t>{4, 0, 0, 255, 0, 0, 200, 255, 0, 0, 250, 255}));
    EXPECT_EQ(indices[0], 0);
    EXPECT_EQ(indices[1], 0);
    EXPECT_EQ(indices[2], 1);
    EXPECT_EQ(indices[101], 2);
}

TEST(ColorReduction, AGreyRampIsCutIntoEvenSteps) {
    // Every grey once, 16 entries: each entry ends up within 8 of its pixels,
    // as even steps of 16 give; spending the budget on the dark end first
    // would leave the light half on one entry.
    std::vector<Rgb> pixels;
    for (int v = 0; v < 256; ++v) {
        const auto g = static_cast<uint8_t>(v);
        pixels.push_back({g, g, g});
    }
    const auto bgr = Plane(pixels);
    std::vector<uint8_t> palette, indices;
    ASSERT_TRUE(ReduceColors(bgr, 256, 16, 4, palette, indices));
    for (size_t p = 0; p < 256; ++p) {
        const unsigned e = PackedIndexAt(indices, p, 4);
        EXPECT_LE(std::abs(int{palette[e * 4]} - static_cast<int>(p)), 8) << "grey " << p;
    }
}

TEST(ColorReduction, NeverMoreEntriesThanTheLimit) {
    std::vector<uint8_t> bgr;
    for (int i = 0; i < 4096; ++i) {
        bgr.insert(bgr.end(), {static_cast<uint8_t>(i * 7), static_cast<uint8_t>(i * 13),
                               static_cast<uint8_t>(i * 31)});
    }
    for (int bits : {1, 2, 4, 8}) {
        const int limit = bits == 8 ? 255 : (1 << bits);
        std::vector<uint8_t> palette, indices;
        ASSERT_TRUE(ReduceColors(bgr, 4096, limit, bits, palette, indices));
        ASSERT_EQ(palette.size(), static_cast<size_t>(limit) * 4);
        ASSERT_EQ(indices.size(), 4096u * static_cast<size_t>(bits) / 8);
        for (size_t p = 0; p < 4096; ++p) {
            ASSERT_LT(PackedIndexAt(indices, p, bits), static_cast<unsigned>(limit));
        }
    }
}

// Whichever way a picture is cut (by its distinct colours, or over cells of
// the cube when it spreads over thousands of them), every entry is the mean
// of exactly the pixels that take it, rounded down, and one colour takes
// one entry.
TEST(ColorReduction, EveryEntryIsTheMeanOfThePixelsThatTakeIt) {
    struct Case {
        const char* what;
        size_t pixels;
        int limit, bits;
    };
    for (const Case& c : {Case{"a few thousand colours", 4096, 255, 8},
                          Case{"every pixel its own colour", 65536, 255, 8},
                          Case{"every pixel its own colour, 16 entries", 65536, 15, 4}}) {
        std::vector<uint8_t> bgr;
        for (size_t p = 0; p < c.pixels; ++p) {
            bgr.insert(bgr.end(), {static_cast<uint8_t>(p), static_cast<uint8_t>(p >> 8),
                                   static_cast<uint8_t>((p * 37) >> 4)});
        }
        std::vector<uint8_t> palette, indices;
        ASSERT_TRUE(ReduceColors(bgr, c.pixels, c.limit, c.bits, palette, indices)) << c.what;
        std::vector<std::array<uint64_t, 4>> sums(static_cast<size_t>(c.limit));
        std::map<uint32_t, unsigned> indexOfColour;
        for (size_t p = 0; p < c.pixels; ++p) {
            const unsigned e = PackedIndexAt(indices, p, c.bits);
            ASSERT_LT(e, static_cast<unsigned>(c.limit));
            for (size_t ch = 0; ch < 3; ++ch) sums[e][ch] += bgr[p * 3 + ch];
            ++sums[e][3];
            const uint32_t colour = bgr[p * 3] | bgr[p * 3 + 1] << 8 | bgr[p * 3 + 2] << 16;
            ASSERT_EQ(indexOfColour.emplace(colour, e).first->second, e) << c.what;
        }
        size_t used = 0;
        for (size_t e = 0; e < sums.size(); ++e) {
            if (sums[e][3] == 0) continue;
            ++used;
            for (size_t ch = 0; ch < 3; ++ch) {
                EXPECT_EQ(palette[e * 4 + ch], sums[e][ch] / sums[e][3]) << c.what << " " << e;
            }
        }
        EXPECT_EQ(used, static_cast<size_t>(c.limit)) << c.what << ": every entry spent";
    }
}

TEST(ColorReduction, FewerColoursThanTheLimitArePreservedExactly) {
    std::vector<uint8_t> bgr;
    for (int i = 0; i < 200; ++i) {
        bgr.insert(bgr.end(), {static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i),
                               static_cast<uint8_t>(i * 5)});
    }
    std::vector<uint8_t> palette, indices;
    ASSERT_TRUE(ReduceColors(bgr, 200, 255, 8, palette, indices));
    for (size_t p = 0; p < 200; ++p) {
        const size_t e = indices[p];
        EXPECT_EQ(palette[e * 4 + 0], bgr[p * 3 + 0]);
        EXPECT_EQ(palette[e * 4 + 1], bgr[p * 3 + 1]);
        EXPECT_EQ(palette[e * 4 + 2], bgr[p * 3 + 2]);
    }
}

TEST(ColorReduction, EmptyPlaneSucceedsWithAZeroPalette) {
    std::vector<uint8_t> palette, indices;
    ASSERT_TRUE(ReduceColors({}, 0, 15, 4, palette, indices));
    EXPECT_EQ(palette, std::vector<uint8_t>(60, 0));
    EXPECT_TRUE(indices.empty());
}

TEST(ColorReduction, RefusesWhatItCannotPack) {
    const auto bgr = Plane({{1, 2, 3}});
    std::vector<uint8_t> palette{1}, indices{1};
    EXPECT_FALSE(ReduceColors(bgr, 1, 8, 3, palette, indices));
    EXPECT_TRUE(palette.empty());
    EXPECT_TRUE(indices.empty());
    EXPECT_FALSE(ReduceColors(bgr, 1, 0, 8, palette, indices));
    // A plane shorter than the pixel count it comes with.
    EXPECT_FALSE(ReduceColors(bgr, 2, 8, 8, palette, indices));
}

TEST(ColorReduction, LimitOfOneGivesTheMeanOfEveryPixel) {
    const auto bgr = Plane({{9, 9, 9}, {200, 100, 50}});
    std::vector<uint8_t> palette, indices;
    ASSERT_TRUE(ReduceColors(bgr, 2, 1, 8, palette, indices));
    EXPECT_EQ(palette, (std::vector<uint8_t>{29, 54, 104, 255}));
    EXPECT_EQ(indices, (std::vector<uint8_t>{0, 0}));
}
