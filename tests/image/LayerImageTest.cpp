#include "image/LayerImage.h"

#include <climits>
#include <limits>
#include <ostream>
#include <vector>

#include <gtest/gtest.h>

#include "image/PlanePixels.h"

#include "image/Surface.h"

using namespace pictoform;
using namespace pictoform::imagetest;

namespace {

// Every pixel different: v = 10 * (y * w + x) gives (v, v+1, v+2), alpha v+3, coverage v/10+1.
Px Numbered(int w, int x, int y) {
    const int v = 10 * (y * w + x);
    return {v, v + 1, v + 2, v + 3, v / 10 + 1};
}
CLayerImage MakeNumbered(int w, int h) {
    CLayerImage img = Make(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) Put(img, x, y, Numbered(w, x, y));
    return img;
}

constexpr uint32_t Rgba(uint32_t r, uint32_t g, uint32_t b, uint32_t a) {
    return r | g << 8 | b << 16 | a << 24;
}

} // namespace

TEST(LayerImageTest, NewImageIsWhiteEmptyWithPaddedRowsAndBadSizesStayNull) {
    CLayerImage img;
    EXPECT_TRUE(img.IsNull());
    ASSERT_TRUE(img.Create(1, 2));
    EXPECT_EQ(img.Stride(), 4);
    EXPECT_EQ(std::vector<uint8_t>(img.ColourBits(), img.ColourBits() + 8),
              std::vector<uint8_t>(8, 255)); // padding included
    EXPECT_EQ(At(img, 0, 1), kEmpty);
    ASSERT_TRUE(img.Create(3, 1));
    EXPECT_EQ(img.Stride(), 12);
    for (auto [w, h] : {std::pair{0, 4}, {-1, 4}, {INT_MAX, INT_MAX}, {INT_MAX, 1}}) {
        EXPECT_FALSE(img.Create(w, h)) << w << "x" << h;
        EXPECT_TRUE(img.IsNull());
    }
    // A null image takes part in nothing, and mismatched copies are refused.
    CLayerImage other = MakeNumbered(3, 3);
    CLayerImage::Composite(other, img, true, 0, 0, 1.0f);
    CLayerImage::Downsample3x(other, &img, 4, img, false);
    img.ScaleFrom(other);
    other.ScaleFrom(img);
    EXPECT_FALSE(other.CopyTo(img));
    EXPECT_EQ(At(other, 2, 2), Numbered(3, 2, 2));
}

TEST(LayerImageTest, CopyRegionSwapsClampsCopiesCoveredAndCuts) {
    CLayerImage source = Make(4, 3);
    Put(source, 3, 2, {10, 20, 30, 40, 20});
    Put(source, 2, 2, {1, 2, 3, 99, 0}); // uncovered: its bytes must not travel
    CLayerImage region;
    ASSERT_TRUE(region.CopyRegionFrom(source, 10, 10, 2, 1, true));
    ASSERT_EQ(region.Width() * 10 + region.Height(), 22);
    EXPECT_EQ(At(region, 1, 1), (Px{10, 20, 30, 40, 1}));
    EXPECT_EQ(At(region, 0, 1), kEmpty);
    EXPECT_EQ(At(source, 3, 2), (Px{10, 20, 30, 40, 20}));

    EXPECT_FALSE(region.CopyRegionFrom(source, 2, 0, 2, 3, false));
    EXPECT_FALSE(region.CopyRegionFrom(source, 5, 0, 9, 3, false));
    EXPECT_EQ(At(region, 1, 1), (Px{10, 20, 30, 40, 1}));
    EXPECT_EQ(At(source, 2, 2), (Px{1, 2, 3, 99, 0}));

    ASSERT_TRUE(region.CopyRegionFrom(source, -5, 9, 3, 1, false));
    EXPECT_EQ(region.Width() * 10 + region.Height(), 32);
    const Px cut{255, 255, 255, 255, 0};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(At(source, x, y), (y >= 1 ? cut : kEmpty));
    EXPECT_EQ(At(source, 3, 2), (Px{10, 20, 30, 40, 20}));
}

TEST(LayerImageTest, TripledMaskAndLoadPixelsFillWholeBlocks) {
    CLayerImage source = Make(2, 1);
    Put(source, 1, 0, {9, 9, 9, 200, 20});
    CLayerImage mask;
    ASSERT_TRUE(mask.CreateTripledMask(source));
    ASSERT_EQ(mask.Width() * 10 + mask.Height(), 63);
    for (auto [x, y] : {std::pair{2, 2}, {3, 0}, {5, 2}})
        EXPECT_EQ(At(mask, x, y), (x < 3 ? kEmpty : Px{0, 0, 0, 0, 1})) << x << "," << y;

    // Icon 2 x 2 stored bottom row first: bottom (b,g,r) (1,2,3) (4,5,6), top (7,8,9) (10,11,12).
    const uint8_t colours[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    const uint8_t alpha[] = {0, 50, 200, 255};
    const uint8_t bitmask[] = {1, 0, 0, 1};
    CLayerImage img = Make(6, 6);
    img.LoadPixels(colours, alpha, nullptr);
    const Px blocks[] = {{9, 8, 7, 200, 1}, {12, 11, 10, 255, 1}, kEmpty, {6, 5, 4, 50, 1}};
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x) EXPECT_EQ(At(img, x, y), blocks[y / 3 * 2 + x / 3]) << x << y;
    ASSERT_TRUE(img.Create(6, 6));
    img.LoadPixels(colours, nullptr, bitmask);
    const Px masked[] = {kEmpty, {12, 11, 10, 255, 1}, {3, 2, 1, 255, 1}, kEmpty};
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x) EXPECT_EQ(At(img, x, y), masked[y / 3 * 2 + x / 3]) << x << y;
}

TEST(LayerImageTest, ExportScaleFlipsAndGetPixel) {
    CLayerImage img = MakeNumbered(2, 2);
    const PixelExport out = img.ExportPixels();
    EXPECT_EQ(out.colours, (std::vector<uint8_t>{2, 1, 0, 12, 11, 10, 22, 21, 20, 32, 31, 30}));
    EXPECT_EQ(out.alpha, (std::vector<uint8_t>{3, 13, 23, 33}));
    EXPECT_EQ(out.coverage, (std::vector<uint8_t>{1, 2, 3, 4}));
    EXPECT_EQ(img.GetPixel(1, 0), (PixelColor{10, 11, 12, 13}));
    EXPECT_EQ(img.GetPixel(-1, 0), PixelColor{});
    EXPECT_EQ(img.GetPixel(0, 2), PixelColor{});

    CLayerImage up = Make(5, 2); // x ratio 0.4: 0, 0.4, 0.8, 1.2, 1.6
    up.ScaleFrom(MakeNumbered(2, 4));
    const int sx[] = {0, 0, 0, 1, 1};
    for (int x = 0; x < 5; ++x) EXPECT_EQ(At(up, x, 1), Numbered(2, sx[x], 2)) << x;

    img = MakeNumbered(3, 3);
    img.FlipVertical();
    img.FlipHorizontal();
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(At(img, x, y), Numbered(3, 2 - x, 2 - y));
    img = MakeNumbered(2, 2);
    img.FlipHorizontal();
    EXPECT_EQ(At(img, 0, 1), Numbered(2, 1, 1));
}

TEST(LayerImageTest, BlendBlockWeighsNewByAlphaPlusOneAndAddsAlpha) {
    CLayerImage img = Make(3, 1);
    Put(img, 1, 0, {200, 100, 0, 10, 7});
    img.BlendBlock(0, 0, Rgba(1, 2, 3, 0), 1);
    img.BlendBlock(1, 0, Rgba(1, 2, 3, 0), 1);
    EXPECT_EQ(At(img, 0, 0), kEmpty);
    EXPECT_EQ(At(img, 1, 0), (Px{200, 100, 0, 10, 7}));
    img.BlendBlock(1, 0, Rgba(0, 255, 50, 255), 1);
    EXPECT_EQ(At(img, 1, 0), (Px{0, 255, 50, 255, 7}));
    // The second call mixes 155:101, e.g. red (200 * 155) >> 8 = 121; alpha adds up.
    img.BlendBlock(2, 0, Rgba(200, 0, 100, 100), 1);
    EXPECT_EQ(At(img, 2, 0), (Px{200, 0, 100, 100, 1}));
    img.BlendBlock(2, 0, Rgba(0, 255, 100, 100), 1);
    EXPECT_EQ(At(img, 2, 0), (Px{121, 100, 100, 200, 1}));
    img.BlendBlock(2, 0, Rgba(0, 255, 100, 100), 1);
    EXPECT_EQ(At(img, 2, 0), (Px{73, 161, 100, 255, 1}));

    // Size 0 means 3; a block reaching past the edge is ignored.
    img = Make(7, 4);
    img.BlendBlock(1, 0, Rgba(9, 8, 7, 6), 0);
    img.BlendBlock(2, 0, Rgba(9, 8, 7, 6), 3);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 7; ++x)
            EXPECT_EQ(At(img, x, y), (x >= 3 && x < 6 && y < 3 ? Px{9, 8, 7, 6, 1} : kEmpty));
}

TEST(LayerImageTest, CompositeOpacityBlendAlwaysAndClipping) {
    CLayerImage source = Make(2, 1);
    Put(source, 0, 0, {255, 0, 100, 255, 1});
    Put(source, 1, 0, {0, 0, 0, 255, 0});
    CLayerImage target = Make(3, 1);
    Put(target, 0, 0, {0, 200, 100, 50, 5});
    // a = 127, w = 128: red 255 * 128 >> 8 = 127 (a = 128 would give 128).
    CLayerImage::Composite(source, target, false, 0, 0, 0.5f);
    EXPECT_EQ(At(target, 0, 0), (Px{127, 100, 100, 177, 5}));
    EXPECT_EQ(At(target, 1, 0), kEmpty);
    CLayerImage::Composite(source, target, false, 2, 0, 0.5f);
    EXPECT_EQ(At(target, 2, 0), (Px{255, 0, 100, 127, 1}));

    // An empty target lends its white: red 255 * 155 >> 8, green (100 * 101 + 255 * 155) >> 8.
    Put(source, 0, 0, {0, 100, 255, 100, 1});
    target = Make(1, 1);
    CLayerImage::Composite(source, target, true, 0, 0, 1.0f);
    EXPECT_EQ(At(target, 0, 0), (Px{154, 193, 255, 100, 1}));
    for (float invisible : {0.0f, 0.003f, std::numeric_limits<float>::quiet_NaN()})
        CLayerImage::Composite(source, target, true, 0, 0, invisible);
    EXPECT_EQ(At(target, 0, 0), (Px{154, 193, 255, 100, 1}));

    CLayerImage square = Make(3, 3);
    square.Fill(0, 255, 1);
    target = Make(4, 4);
    CLayerImage::Composite(square, target, false, 2, -1, 1.0f);
    CLayerImage::Composite(square, target, false, INT_MAX, INT_MIN, 1.0f);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(At(target, x, y), (x >= 2 && y <= 1 ? Px{0, 0, 0, 255, 1} : kEmpty));
}

TEST(LayerImageTest, DownsampleKernelSoftAndHardEdges) {
    struct Case {
        std::vector<std::pair<int, int>> covered; // sub-pixels, colour (100, 0, 40) alpha 255
        Px soft, hard;
    };
    const Px full{100, 0, 40, 255, 1};
    const Case cases[] = {
        {{{1, 1}}, {100, 0, 40, 63, 1}, kEmpty},                                  // weight 4
        {{{0, 0}, {2, 0}, {0, 2}, {2, 2}, {1, 1}}, {100, 0, 40, 127, 1}, kEmpty}, // 8
        {{{0, 0}, {1, 0}, {0, 1}, {1, 1}}, {100, 0, 40, 143, 1}, full},           // 9
    };
    CLayerImage target = Make(1, 1);
    for (const Case& c : cases) {
        CLayerImage source = Make(3, 3);
        for (auto [x, y] : c.covered) Put(source, x, y, {100, 0, 40, 255, 1});
        CLayerImage::Downsample3x(source, nullptr, 0, target, false);
        EXPECT_EQ(At(target, 0, 0), c.soft) << c.covered.size();
        target.Fill(0, 9, 9);
        CLayerImage::Downsample3x(source, nullptr, 0, target, true);
        EXPECT_EQ(At(target, 0, 0), c.hard) << c.covered.size();
    }

    // Weight 10, mixed: red (4*100 + 4*200 + 2*10) / 10; alpha 2150 / 10 hard, / 16 soft.
    CLayerImage source = Make(3, 3);
    for (auto [x, y] : {std::pair{0, 0}, {2, 0}, {0, 2}, {2, 2}}) Put(source, x, y, full);
    Put(source, 1, 1, {200, 0, 40, 255, 1});
    Put(source, 1, 0, {10, 0, 40, 55, 1});
    CLayerImage::Downsample3x(source, nullptr, 0, target, true);
    EXPECT_EQ(At(target, 0, 0), (Px{122, 0, 40, 215, 1}));
    CLayerImage::Downsample3x(source, nullptr, 0, target, false);
    EXPECT_EQ(At(target, 0, 0), (Px{122, 0, 40, 134, 1}));

    // Covered but transparent is empty; coverage marks above 1 weigh but do not darken.
    source.Fill(200, 0, 1);
    CLayerImage::Downsample3x(source, nullptr, 0, target, false);
    EXPECT_EQ(At(target, 0, 0), kEmpty);
    source.Fill(200, 255, 20);
    for (bool hard : {false, true}) {
        CLayerImage::Downsample3x(source, nullptr, 0, target, hard);
        EXPECT_EQ(At(target, 0, 0), (Px{200, 200, 200, 255, 1})) << hard;
    }
}

// Rows wide enough for the vector loop, with every kind of block it must
// either settle or hand back: wholly covered, empty, covered but clear, partly
// covered and covered twice. Drawing a display takes the pixel-by-pixel way,
// which is the judge.
TEST(LayerImageTest, DownsampleInVectorsMatchesThePixelByPixelRules) {
    constexpr int kBlocks = 150;
    CLayerImage source = Make(3 * kBlocks, 6);
    uint32_t seed = 7;
    const auto next = [&seed](int n) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int>((seed >> 16) % static_cast<uint32_t>(n));
    };
    for (int by = 0; by < 2; ++by) {
        for (int bx = 0; bx < kBlocks; ++bx) {
            const int kind = next(5);
            for (int y = 3 * by; y < 3 * by + 3; ++y) {
                for (int x = 3 * bx; x < 3 * bx + 3; ++x) {
                    const int cover = kind == 1 ? 0 : kind == 3 ? next(2) : kind == 4 ? next(3) : 1;
                    Put(source, x, y,
                        {next(256), next(256), next(256), kind == 2 ? 0 : next(256), cover});
                }
            }
        }
    }
    for (bool hard : {false, true}) {
        for (const PixelRect within :
             {PixelRect{0, 0, kBlocks, 2}, PixelRect{5, 1, kBlocks - 3, 2}}) {
            CLayerImage vectors = Make(kBlocks, 2), byPixel = Make(kBlocks, 2);
            CLayerImage display = Make(kBlocks, 2);
            CLayerImage::Downsample3x(source, vectors, hard, within);
            CLayerImage::Downsample3x(source, &display, 1, byPixel, hard);
            for (int y = within.y0; y < within.y1; ++y)
                for (int x = 0; x < kBlocks; ++x)
                    ASSERT_EQ(At(vectors, x, y),
                              x < within.x0 || x >= within.x1 ? kEmpty : At(byPixel, x, y))
                        << x << "," << y << (hard ? " hard" : " soft");
        }
    }
}

TEST(LayerImageTest, DownsampleDrawsDisplayBlocksAndDotsWithinSizes) {
    CLayerImage source = Make(6, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) Put(source, x, y, {200, 100, 50, 128, 1});
    CLayerImage target = Make(4, 2);
    target.Fill(0, 0, 0);
    CLayerImage display = Make(10, 5);
    display.Fill(77, 0, 0);
    // Zoom 5 puts the dots at 2.5 and 7.5, truncated: colour * alpha >> 8 for a
    // covered pixel, black for an empty one, whose block is not drawn.
    CLayerImage::Downsample3x(source, &display, 5, target, false);
    EXPECT_EQ(At(target, 0, 0), (Px{200, 100, 50, 128, 1}));
    EXPECT_EQ(At(target, 1, 0), kEmpty);
    EXPECT_EQ(At(target, 2, 0), (Px{0, 0, 0, 0, 0})); // beyond the source: untouched
    EXPECT_EQ(At(target, 0, 1), (Px{0, 0, 0, 0, 0}));
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 10; ++x)
            EXPECT_EQ(At(display, x, y), (x == 2 && y == 2   ? Px{100, 50, 25, 128, 1}
                                          : x == 7 && y == 2 ? Px{0, 0, 0, 0, 0}
                                          : x < 5            ? Px{200, 100, 50, 128, 1}
                                                             : Px{77, 77, 77, 0, 0}))
                << x << "," << y;
    // Zoom 3 draws no dots.
    CLayerImage three = Make(6, 3);
    CLayerImage::Downsample3x(source, &three, 3, target, false);
    EXPECT_EQ(At(three, 1, 1), (Px{200, 100, 50, 128, 1}));
    EXPECT_EQ(At(three, 4, 1), kEmpty);
    // A target smaller than the source's icon size gets only what fits.
    CLayerImage small = Make(1, 1);
    CLayerImage::Downsample3x(source, &three, 4, small, false);
    EXPECT_EQ(At(small, 0, 0), (Px{200, 100, 50, 128, 1}));
}

TEST(LayerImageTest, FlattenOverWhiteDividesBy256AndThresholdsAt128) {
    const Px before[] = {{0, 128, 255, 128, 1}, {255, 255, 255, 255, 20}, {0, 0, 0, 127, 1},
                         {0, 0, 0, 128, 1},     {1, 2, 3, 4, 0},          {10, 20, 30, 0, 1}};
    const Px flat[] = {{126, 190, 254, 255, 1}, {254, 254, 254, 255, 1}, {127, 127, 127, 255, 1},
                       {126, 126, 126, 255, 1}, {1, 2, 3, 4, 0},         {254, 254, 254, 255, 1}};
    const Px thresholded[] = {flat[0], flat[1], kEmpty, flat[3], flat[4], kEmpty};
    for (bool threshold : {false, true}) {
        CLayerImage img = Make(6, 1);
        for (int x = 0; x < 6; ++x) Put(img, x, 0, before[x]);
        img.FlattenOverWhite(threshold);
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(At(img, x, 0), threshold ? thresholded[x] : flat[x]) << x << threshold;
    }
}

TEST(LayerImageTest, MarkNonWhiteAndBlit) {
    CLayerImage img = Make(5, 3);
    Put(img, 1, 0, {255, 255, 254, 0, 0});
    Put(img, 2, 0, {255, 255, 255, 77, 5});
    img.MarkNonWhite({10, 20, 30, 40});
    EXPECT_EQ(At(img, 0, 0), kEmpty);
    EXPECT_EQ(At(img, 1, 0), (Px{10, 20, 30, 40, 1}));
    EXPECT_EQ(At(img, 2, 0), (Px{255, 255, 255, 77, 5}));

    struct Recorder : Surface {
        std::vector<int> args;
        void DrawBgr(int x, int y, int w, int h, const uint8_t*, int stride) override {
            args = {x, y, w, h, stride};
        }
        void SetPixel(int, int, uint8_t, uint8_t, uint8_t) override {}
    } surface;
    img.BlitTo(surface, 7, 8, 0, 2);
    EXPECT_EQ(surface.args, (std::vector<int>{7, 8, 5, 3, 16}));
    img.BlitTo(surface, 0, 0, 4, 40); // never more than the image holds
    EXPECT_EQ(surface.args, (std::vector<int>{0, 0, 4, 3, 16}));
}
