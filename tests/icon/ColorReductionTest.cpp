// Colour reduction for the indexed depths, and scaling pictures for previews
// and thumbnails.

#include <gtest/gtest.h>

#include <array>
#include <map>

#include "icon/ColorReduction.h"
#include "icon/PictureScale.h"

using namespace pictoform;

namespace {

struct Rgb {
    uint8_t r, g, b;
};

// The plane stores blue, green, red.
std::vector<uint8_t> Plane(const std::vector<Rgb>& pixels) {
    std::vector<uint8_t> bgr;
    for (const Rgb& p : pixels) bgr.insert(bgr.end(), {p.b, p.g, p.r});
    return bgr;
}

// `n` pixels, each its own colour (for n up to 65536).
std::vector<uint8_t> DistinctColours(size_t n) {
    std::vector<uint8_t> bgr;
    for (size_t p = 0; p < n; ++p) {
        bgr.insert(bgr.end(), {static_cast<uint8_t>(p), static_cast<uint8_t>(p >> 8),
                               static_cast<uint8_t>((p * 37) >> 4)});
    }
    return bgr;
}

} // namespace

// Small pictures whose palettes follow from the subdivision by hand.
TEST(ColorReduction, ExactPalettesAndIndices) {
    std::vector<Rgb> budget = {{0, 0, 0}, {0, 0, 8}};
    std::vector<uint8_t> budgetIndices = {0, 0};
    for (uint8_t i = 0; i < 100; ++i) {
        budget.push_back({static_cast<uint8_t>(i < 50 ? 200 : 250), 0, 0});
        budgetIndices.push_back(i < 50 ? 1 : 2);
    }
    const struct {
        int limit, bits;
        std::vector<Rgb> pixels;
        std::vector<uint8_t> palette, indices;
    } cases[] = {
        // One colour becomes entry 0; unused entries are zero.
        {2,
         8,
         {{10, 20, 30}, {10, 20, 30}, {10, 20, 30}},
         {30, 20, 10, 255, 0, 0, 0, 0},
         {0, 0, 0}},
        // Colours that differ only in blue: the smaller is entry 0, whatever
        // the pixel order. One-bit palettes carry reserved 0.
        {2, 1, {{0, 0, 200}, {0, 0, 7}, {0, 0, 200}}, {7, 0, 0, 0, 200, 0, 0, 0}, {0b10100000}},
        // Four reds, limit 2: the first split at red 128 uses up the budget,
        // and each box gets the mean of its colours: (0 + 10 + 10) / 3 = 6,
        // (200 + 250) / 2 = 225.
        {2,
         8,
         {{0, 0, 0}, {10, 0, 0}, {200, 0, 0}, {250, 0, 0}, {10, 0, 0}},
         {0, 0, 6, 255, 0, 0, 225, 255},
         {0, 0, 1, 1, 0}},
        // Two near blacks on one pixel each and a hundred reds of two shades:
        // the last entry splits the reds, not the blacks that lie lower in
        // the cube; entries still come in cube order.
        {3, 8, budget, {4, 0, 0, 255, 0, 0, 200, 255, 0, 0, 250, 255}, budgetIndices},
        // A limit of one gives the mean of every pixel; an empty plane, zeros.
        {1, 8, {{9, 9, 9}, {200, 100, 50}}, {29, 54, 104, 255}, {0, 0}},
        {15, 4, {}, std::vector<uint8_t>(60, 0), {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.palette));
        std::vector<uint8_t> palette, indices;
        ASSERT_TRUE(
            ReduceColors(Plane(c.pixels), c.pixels.size(), c.limit, c.bits, palette, indices));
        EXPECT_EQ(palette, c.palette);
        EXPECT_EQ(indices, c.indices);
    }
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
    std::vector<uint8_t> palette, indices;
    ASSERT_TRUE(ReduceColors(Plane(pixels), 256, 16, 4, palette, indices));
    for (size_t p = 0; p < 256; ++p) {
        const unsigned e = PackedIndexAt(indices, p, 4);
        EXPECT_LE(std::abs(int{palette[e * 4]} - static_cast<int>(p)), 8) << "grey " << p;
    }
}

// Whichever way a picture is cut (by its distinct colours, or over cells of
// the cube when it spreads over thousands of them), every entry is the mean
// of exactly the pixels that take it, rounded down, one colour takes one
// entry, and no more entries are used than the limit or the colours. With
// fewer colours than entries, each is kept exactly.
TEST(ColorReduction, EveryEntryIsTheMeanOfThePixelsThatTakeIt) {
    struct Case {
        size_t pixels;
        int limit, bits;
    };
    for (const Case& c : {Case{200, 255, 8}, Case{4096, 255, 8}, Case{65536, 255, 8},
                          Case{65536, 15, 4}, Case{4096, 4, 2}, Case{4096, 2, 1}}) {
        SCOPED_TRACE(std::to_string(c.pixels) + " colours, " + std::to_string(c.limit) +
                     " entries");
        const std::vector<uint8_t> bgr = DistinctColours(c.pixels);
        std::vector<uint8_t> palette, indices;
        ASSERT_TRUE(ReduceColors(bgr, c.pixels, c.limit, c.bits, palette, indices));
        ASSERT_EQ(palette.size(), static_cast<size_t>(c.limit) * 4);
        ASSERT_EQ(indices.size(), c.pixels * static_cast<size_t>(c.bits) / 8);
        std::vector<std::array<uint64_t, 4>> sums(static_cast<size_t>(c.limit));
        std::map<uint32_t, unsigned> indexOfColour;
        for (size_t p = 0; p < c.pixels; ++p) {
            const unsigned e = PackedIndexAt(indices, p, c.bits);
            ASSERT_LT(e, static_cast<unsigned>(c.limit));
            for (size_t ch = 0; ch < 3; ++ch) sums[e][ch] += bgr[p * 3 + ch];
            ++sums[e][3];
            const uint32_t colour = bgr[p * 3] | bgr[p * 3 + 1] << 8 | bgr[p * 3 + 2] << 16;
            ASSERT_EQ(indexOfColour.emplace(colour, e).first->second, e);
        }
        size_t used = 0;
        for (size_t e = 0; e < sums.size(); ++e) {
            if (sums[e][3] == 0) continue;
            ++used;
            for (size_t ch = 0; ch < 3; ++ch) {
                EXPECT_EQ(palette[e * 4 + ch], sums[e][ch] / sums[e][3]) << "entry " << e;
            }
        }
        EXPECT_EQ(used, std::min(c.pixels, static_cast<size_t>(c.limit)));
    }
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

namespace {

using Pixel = std::array<uint8_t, 4>; // blue, green, red, alpha

BgraPicture Picture(int width, int height, const std::vector<Pixel>& pixels) {
    BgraPicture p{width, height, {}};
    for (const Pixel& px : pixels) p.bgra.insert(p.bgra.end(), px.begin(), px.end());
    return p;
}

std::vector<Pixel> Pixels(const BgraPicture& p) {
    std::vector<Pixel> out;
    for (size_t i = 0; i + 3 < p.bgra.size(); i += 4) {
        out.push_back({p.bgra[i], p.bgra[i + 1], p.bgra[i + 2], p.bgra[i + 3]});
    }
    return out;
}

constexpr Pixel kRed{0, 0, 255, 255};
constexpr Pixel kBlue{255, 0, 0, 255};
constexpr Pixel kClear{0, 0, 0, 0};
constexpr Pixel kWhiteClear{255, 255, 255, 0};

TEST(PictureScaleTest, EachPixelAveragesTheAreaItCoversWeightedByAlpha) {
    struct Case {
        const char* what;
        BgraPicture from;
        int width, height;
        std::vector<Pixel> expected;
    };
    const Case cases[] = {
        // Transparent pixels lend no colour, whatever colour they hold.
        {"red beside clear white", Picture(2, 1, {kRed, kWhiteClear}), 1, 1, {{0, 0, 255, 128}}},
        {"red beside blue", Picture(2, 1, {kRed, kBlue}), 1, 1, {{128, 0, 128, 255}}},
        // Three into two: the middle pixel is shared half and half.
        {"thirds",
         Picture(3, 1, {kRed, kBlue, kClear}),
         2,
         1,
         {{85, 0, 170, 255}, {255, 0, 0, 85}}},
        {"four by two into one",
         Picture(2, 2, {kRed, kRed, kBlue, kClear}),
         1,
         1,
         {{85, 0, 170, 191}}},
        // Enlarging repeats pixels, blending only where an edge falls inside one.
        {"one into three", Picture(2, 1, {kRed, kBlue}), 3, 1, {kRed, {128, 0, 128, 255}, kBlue}},
        {"same size", Picture(2, 1, {kRed, {1, 2, 3, 4}}), 2, 1, {kRed, {1, 2, 3, 4}}},
    };
    for (const Case& c : cases) {
        const BgraPicture scaled = ScalePicture(c.from, c.width, c.height);
        EXPECT_EQ(scaled.width, c.width) << c.what;
        EXPECT_EQ(Pixels(scaled), c.expected) << c.what;
    }
}

TEST(PictureScaleTest, FitKeepsTheShapeAndCentringPadsWithClear) {
    struct Case {
        int width, height, side, fittedW, fittedH;
    };
    for (const Case& c : {Case{300, 200, 16, 16, 11}, Case{200, 300, 48, 32, 48},
                          Case{1000, 3, 16, 16, 1}, Case{10, 10, 256, 256, 256}}) {
        const PictureSize fitted = FitSize(c.width, c.height, c.side);
        EXPECT_EQ(fitted.width, c.fittedW) << c.width << "x" << c.height;
        EXPECT_EQ(fitted.height, c.fittedH) << c.width << "x" << c.height;
    }
    const BgraPicture square = CentreInSquare(Picture(2, 1, {kRed, kBlue}), 4);
    EXPECT_EQ(Pixels(square), (std::vector<Pixel>{kClear, kClear, kClear, kClear, //
                                                  kClear, kRed, kBlue, kClear,    //
                                                  kClear, kClear, kClear, kClear, //
                                                  kClear, kClear, kClear, kClear}));
}

} // namespace
