#include "icon/PictureScale.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace pictoform {
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
} // namespace pictoform
