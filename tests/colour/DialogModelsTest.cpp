// The colour dialogs' logic: slider values, when the preview follows, what OK
// applies, and the "Edit color" palette.

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <utility>

#include "colour/AdjustColorModel.h"
#include "colour/EditColorModel.h"
#include "colour/FilterDialogModel.h"

using namespace pictoform;

namespace {

// A tripled picture of 2 x 2 icon pixels, every 3 x 3 block in one colour;
// the last block is empty.
CLayerImage Tripled(PixelColor a, PixelColor b, PixelColor c) {
    CLayerImage picture;
    picture.Create(6, 6);
    picture.SetBlock(0, 0, a, 3);
    picture.SetBlock(1, 0, b, 3);
    picture.SetBlock(0, 1, c, 3);
    return picture;
}

struct RecordingSurface : Surface {
    std::vector<std::vector<int>> blits; // x, y, w, h, then the first pixel's b, g, r
    std::map<std::pair<int, int>, int> pixels;
    void DrawBgr(int x, int y, int w, int h, const uint8_t* bgr, int) override {
        blits.push_back({x, y, w, h, bgr[0], bgr[1], bgr[2]});
    }
    void SetPixel(int x, int y, uint8_t r, uint8_t g, uint8_t b) override {
        pixels[{x, y}] = r | g << 8 | b << 16;
    }
};

constexpr PixelColor kColour{200, 100, 50, 128};

} // namespace

TEST(FilterDialogModel, SmallMovesNeitherRefreshNorApplyAndOkAppliesTheValueLastPreviewed) {
    CLayerImage target = Tripled(kColour, kColour, kColour);
    EXPECT_FLOAT_EQ(FilterDialogModel::ValueAt(0), 0.5f);
    FilterDialogModel model(target, FilterKind::Brighten);
    EXPECT_FALSE(model.MoveSlider(107)); // 1.0497
    EXPECT_EQ(model.Value(), 1.0f);
    EXPECT_EQ(model.TooltipText(), "7%");
    EXPECT_EQ(model.Preview().After().GetPixel(0, 0), kColour);
    EXPECT_FALSE(model.Accept());
    EXPECT_EQ(target.GetPixel(0, 0), kColour);

    EXPECT_TRUE(model.MoveSlider(108));
    EXPECT_NEAR(model.Value(), 1.0570f, 1e-4f);
    // Brightened by sqrt(1.0570): 200 -> 205, 100 -> 102, 50 -> 51.
    const PixelColor previewed{205, 102, 51, 128};
    EXPECT_EQ(model.Preview().After().GetPixel(1, 0), previewed);
    EXPECT_EQ(model.Preview().Before().GetPixel(1, 0), kColour);
    EXPECT_EQ(target.GetPixel(3, 0), kColour); // the target waits for OK

    EXPECT_FALSE(model.MoveSlider(110)); // 1.0718 is within 0.05 of 1.0570
    EXPECT_NEAR(model.Value(), 1.0570f, 1e-4f);
    EXPECT_TRUE(model.Accept());
    EXPECT_EQ(target.GetPixel(5, 5), (PixelColor{255, 255, 255, 0})); // empty stays
    EXPECT_EQ(target.GetPixel(4, 2), previewed);                      // not 207, 103, 51
    model.MoveSlider(-20);
    EXPECT_EQ(model.SliderPosition(), 0);
    EXPECT_EQ(model.TooltipText(), "-100%");
}

TEST(FilterDialogModel, EachKindRunsItsFilter) {
    CLayerImage target = Tripled({100, 50, 127, 255}, {200, 100, 0, 255}, {0, 0, 0, 255});
    FilterDialogModel contrast(target, FilterKind::Contrast);
    contrast.MoveSlider(200);
    EXPECT_EQ(contrast.Preview().After().GetPixel(0, 0), (PixelColor{50, 25, 63, 255}));
    FilterDialogModel saturation(target, FilterKind::Saturation);
    saturation.MoveSlider(0);
    EXPECT_EQ(saturation.Preview().After().GetPixel(1, 0), (PixelColor{125, 100, 75, 255}));
}

TEST(PicturePreview, PaintsBothPreviewsOnWhiteInsideTheirFrames) {
    CLayerImage target = Tripled({0, 0, 0, 128}, kColour, kColour);
    FilterDialogModel model(target, FilterKind::Brighten);
    model.MoveSlider(0); // 0.5: darker
    RecordingSurface surface;
    model.Preview().Paint(surface);
    // Centred in the 128-pixel boxes: (128 - 2) / 2 + 5 and + 25. Half-transparent
    // black on white: (255 * 127) >> 8 = 126 in every channel.
    ASSERT_EQ(surface.blits.size(), 2u);
    EXPECT_EQ(surface.blits[0], (std::vector<int>{68, 88, 2, 2, 126, 126, 126}));
    EXPECT_EQ(surface.blits[1][0], 68 + 133);
    for (auto corner : {std::pair{5, 25}, {133, 153}, {138, 25}, {266, 153}, {70, 153}})
        EXPECT_EQ(surface.pixels.count(corner), 1u) << corner.first << ", " << corner.second;
    EXPECT_EQ(surface.pixels.count({6, 26}), 0u);
    EXPECT_EQ(surface.pixels.size(), 2u * 4u * 128u);
}

TEST(AdjustColorModel, OkDoesNothingWhileEveryFactorIsNearOneElseAppliesTheSliders) {
    CLayerImage target = Tripled(kColour, kColour, kColour);
    AdjustColorModel model(target);
    model.MoveSlider(ColourChannel::Blue, 500);
    EXPECT_EQ(model.SliderPosition(ColourChannel::Blue), 200);
    model.MoveSlider(ColourChannel::Blue, 100);
    for (int alpha : {103, 106}) {
        EXPECT_FALSE(model.MoveSlider(ColourChannel::Alpha, alpha));
        EXPECT_FALSE(model.Accept());
        EXPECT_EQ(target.GetPixel(0, 0), kColour);
    }
    EXPECT_TRUE(model.MoveSlider(ColourChannel::Alpha, 108));
    EXPECT_EQ(model.Preview().After().GetPixel(0, 0), (PixelColor{200, 100, 50, 135}));
    // OK applies the sliders as they stand, not the last preview; factors of
    // exactly 1 leave their channels alone.
    EXPECT_FALSE(model.MoveSlider(ColourChannel::Alpha, 110)); // preview stays at 1.0570
    EXPECT_NEAR(model.LastFactors()[3], 1.0570f, 1e-4f);
    EXPECT_TRUE(model.Accept());
    EXPECT_EQ(target.GetPixel(0, 0), (PixelColor{200, 100, 50, 137})); // 128 * 1.0718

    CLayerImage red = Tripled(kColour, kColour, kColour);
    AdjustColorModel doubled(red);
    doubled.MoveSlider(ColourChannel::Red, 200);
    EXPECT_EQ(doubled.TooltipText(), "100%");
    EXPECT_TRUE(doubled.Accept());
    EXPECT_EQ(red.GetPixel(0, 0), (PixelColor{255, 100, 50, 128}));
}

TEST(EditColorModel, PaletteRunsThroughTheHuesFromWhiteToBlack) {
    EditColorModel model(PixelColor{});
    const CLayerImage& palette = model.Palette();
    ASSERT_EQ(palette.Width() * 100 + palette.Height(), 21050);
    const PixelColor hues[] = {{255, 0, 0, 255},   {255, 255, 0, 255}, {0, 255, 0, 255},
                               {0, 255, 255, 255}, {0, 0, 255, 255},   {255, 0, 255, 255}};
    for (int k = 0; k < 6; ++k) {
        EXPECT_EQ(palette.GetPixel(32 * k, 25), hues[k]) << k;
        EXPECT_EQ(palette.GetPixel(32 * k + 5, 0), (PixelColor{255, 255, 255, 255})) << k;
    }
    EXPECT_EQ(palette.GetPixel(16, 25), (PixelColor{255, 127, 0, 255})); // half-way to yellow
    EXPECT_LT(palette.GetPixel(64, 49).green, 16);
    // The grey ramp right of the hues.
    EXPECT_EQ(palette.GetPixel(200, 0), (PixelColor{255, 255, 255, 255}));
    EXPECT_EQ(palette.GetPixel(209, 49), (PixelColor{0, 0, 0, 255}));
    EXPECT_EQ(palette.GetPixel(192, 20).red, palette.GetPixel(192, 20).blue);
}

TEST(EditColorModel, PickingTakesTheColourButKeepsAlphaAndWords) {
    EditColorModel model(PixelColor{1, 2, 3, 100, 0x3f000000u, 1});
    model.MoveSlider(ColourChannel::Red, 300);
    EXPECT_EQ(model.ValueText(ColourChannel::Red), "255");
    EXPECT_TRUE(model.LeftButtonDown(10 + 64, 140 + 25));
    EXPECT_EQ(model.Colour(), (PixelColor{0, 255, 0, 100, 0x3f000000u, 1}));

    EXPECT_FALSE(model.LeftButtonDown(220, 150)); // just right of the palette
    EXPECT_FALSE(model.LeftButtonDown(50, 190));  // just below
    EXPECT_FALSE(model.MouseMove(10 + 128, 165, true, true));
    EXPECT_FALSE(model.MouseMove(10 + 128, 165, false, false));
    EXPECT_EQ(model.Colour().green, 255);
    EXPECT_TRUE(model.MouseMove(10 + 128, 165, false, true));
    EXPECT_EQ(model.Colour(), (PixelColor{0, 0, 255, 100, 0x3f000000u, 1}));

    RecordingSurface surface;
    model.Paint(surface);
    ASSERT_EQ(surface.blits.size(), 1u);
    EXPECT_EQ(std::vector<int>(surface.blits[0].begin(), surface.blits[0].begin() + 3),
              (std::vector<int>{10, 140, 210}));
}
