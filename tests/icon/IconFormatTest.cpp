// The icon set model: formats, layers, and the way from a file through the
// formats back to the bytes of a file.

#include <gtest/gtest.h>

#include <malloc.h>

#include <cmath>

#include "icon/IconFile.h"
#include "icon/IconFormat.h"
#include "icon/IconTestImages.h"
#include "icon/ModuleFixtures.h"

using namespace pictoform;
using namespace pictoform::test;

namespace {

// The file's images as the reader gives them (bottom row first).
std::vector<IconImageRec> Decode(const std::vector<uint8_t>& bytes) {
    CIconFile engine;
    EXPECT_TRUE(engine.ReadIconData(bytes)) << engine.LastError();
    return engine.TakeImages();
}

std::vector<IconImageRec> SaveList(std::vector<CIconFormat*> formats) {
    return BuildSaveList(formats);
}

// Covers some of the 3 x 3 sub-pixels of icon pixel (bx, by) of a tripled picture.
void CoverSubPixels(CLayerImage& picture, int bx, int by, std::initializer_list<int> cells,
                    PixelColor colour) {
    for (int cell : cells) picture.SetBlock(3 * bx + cell % 3, 3 * by + cell / 3, colour, 1);
}

constexpr PixelColor kRed{255, 0, 0, 255};

} // namespace

TEST(IconFormat, OpeningAFileNamesItsLayersFromOneAgain) {
    const std::vector<uint8_t> file =
        IcoBytes({MakeImage(16, 16, kDepth16, Px{255, 0, 0, 255}),
                  MakeImage(32, 32, kDepth32, Px{1, 2, 3, 255}), MakeImage(48, 48, kDepth2, Px{})});
    LayerCounter counter;
    for (int i = 0; i < 9; ++i) counter.Next();
    std::vector<std::unique_ptr<CIconFormat>> formats;
    ASSERT_TRUE(CreateFormatsFromImages(Decode(file), counter, formats));
    ASSERT_EQ(formats.size(), 3u);
    const int sizes[] = {16, 32, 48};
    const int32_t depths[] = {kDepth16, kDepth32, kDepth2};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(formats[i]->Layers()[0]->Name(), "Layer " + std::to_string(i + 1));
        EXPECT_EQ(formats[i]->Width(), sizes[i]);
        EXPECT_EQ(formats[i]->Depth(), depths[i]);
        EXPECT_EQ(formats[i]->Zoom(), 400 / sizes[i]);
    }
}

TEST(IconFormat, AnUnusableRecordIsRefusedBeforeAnythingChanges) {
    const IconImageRec good = MakeImage(4, 4, kDepth32, Px{1, 2, 3, 255});
    std::vector<IconImageRec> images = {good, good};
    images[1].mask.pop_back();
    LayerCounter counter;
    counter.Next();
    std::vector<std::unique_ptr<CIconFormat>> formats;
    formats.push_back(std::make_unique<CIconFormat>(25, 16, 16, kDepth32, counter));
    EXPECT_FALSE(CreateFormatsFromImages(images, counter, formats));
    EXPECT_EQ(formats.size(), 1u);
    EXPECT_EQ(counter.Value(), 2);

    images[1] = good;
    images[1].depth = 8; // bits per pixel, not a depth code
    EXPECT_EQ(CreateFormatFromImage(images[1], counter), nullptr);

    // Sizes the pictures cannot take leave an invalid format: composing it
    // is harmless and the writer refuses its record.
    CIconFormat empty(0, 0, 16, kDepth32, counter);
    EXPECT_FALSE(empty.IsValid());
    EXPECT_EQ(empty.AddLayer(counter, true), nullptr);
    std::vector<uint8_t> bytes;
    EXPECT_FALSE(CIconFile().EncodeIconFile(SaveList({&empty}), 0, bytes));
}

// What an open counts before it makes formats is what making them takes
// (the sanitizers keep their own heap, which the count cannot see).
TEST(IconFormat, TheCostCountedBeforeOpeningIsWhatAFormatTakes) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the heap is the sanitizer's";
#endif
    LayerCounter counter;
    for (const int side : {16, 48, 256, 1024}) {
        const IconImageRec image = MakeImage(side, side, kDepth32, [](int x, int y) {
            return Px{uint8_t(x), uint8_t(y), 3, 255};
        });
        // Large blocks are mapped on their own, small ones come from the heap.
        const auto inUse = [] { return mallinfo2().uordblks + mallinfo2().hblkhd; };
        const size_t before = inUse();
        const auto format = CreateFormatFromImage(image, counter);
        ASSERT_TRUE(format);
        const double taken = double(inUse() - before);
        const double counted = double(FormatEditBytes(side, side));
        EXPECT_GT(counted, taken * 0.9) << side;
        EXPECT_LT(counted, taken * 1.1 + 4096) << side;
    }
    const std::vector<IconImageRec> many(128, MakeImage(256, 256, kDepth32, Px{1, 2, 3, 255}));
    EXPECT_EQ(DocumentTooLarge(std::span(many).first(64)), "");
    EXPECT_EQ(DocumentTooLarge(many), "This file holds 128 images of 256 x 256, which would need "
                                      "1.2 GB to edit; Pictoform opens files up to 1 GB.");
}

TEST(IconFormat, OpenedImageFillsBothPicturesTopRowUpAndShowsOnWhite) {
    // Top row: opaque red, half-transparent blue, transparent.
    IconImageRec image = MakeImage(3, 2, kDepth32, [](int x, int y) {
        if (y == 1) return Px{0, 0, 0, 0};
        return x == 0 ? Px{255, 0, 0, 255} : x == 1 ? Px{0, 0, 255, 128} : Px{9, 9, 9, 0};
    });
    FlipRows(image); // as read: bottom row first
    LayerCounter counter;
    auto format = CreateFormatFromImage(image, counter);
    ASSERT_NE(format, nullptr);
    const CIconLayer& layer = *format->FirstLayer();
    for (const CLayerImage* picture : {&layer.Working(), &layer.Committed()}) {
        EXPECT_EQ(picture->GetPixel(2, 2), kRed);
        EXPECT_EQ(picture->CoveragePlane()[2 * picture->Width() + 2], 1);
        EXPECT_EQ(picture->GetPixel(4, 1), (PixelColor{0, 0, 255, 128}));
        EXPECT_EQ(picture->CoveragePlane()[3 * picture->Width() + 1], 0); // bottom row: empty
    }
    // The shown image lays the picture on white: (0 + 255 * 127) >> 8 = 126.
    EXPECT_EQ(format->Final().GetPixel(0, 0), kRed);
    EXPECT_EQ(format->Final().GetPixel(1, 0), (PixelColor{126, 126, 255, 128}));
    EXPECT_EQ(format->Final().GetPixel(2, 0), (PixelColor{255, 255, 255, 0}));
    EXPECT_EQ(format->Final().CoveragePlane()[2], 0);
}

// (A file through the formats and back, byte for byte: CliConvert, by way
// of a project; hidden and shown layers in the saved file: LayerDialogTest.)
// Half opacity halves alpha at 32 bits and is blended with white below; sixteen
// colours take a pixel only when most of it is covered.
TEST(IconFormatSave, OpacityAndCoverageByDepth) {
    LayerCounter counter;
    CIconFormat soft(100, 2, 1, kDepth32, counter);
    CIconFormat indexed(100, 2, 1, kDepth16, counter);
    CIconFormat coveredIndexed(100, 2, 1, kDepth16, counter);
    CIconFormat coveredSoft(100, 2, 1, kDepth32, counter);
    for (CIconFormat* format : {&soft, &indexed}) {
        format->FirstLayer()->Working().SetBlock(0, 0, PixelColor{0, 20, 30, 255}, 3);
        format->FirstLayer()->SetOpacity(0.5f);
    }
    for (CIconFormat* format : {&coveredIndexed, &coveredSoft}) {
        CLayerImage& picture = format->FirstLayer()->Working();
        CoverSubPixels(picture, 0, 0, {0, 2, 4, 6, 8}, kRed);    // weight 8 of 16
        CoverSubPixels(picture, 1, 0, {0, 1, 2, 4, 6, 8}, kRed); // weight 10
    }
    const std::vector<IconImageRec> read =
        Decode(IcoBytes(SaveList({&soft, &indexed, &coveredIndexed, &coveredSoft})));
    ASSERT_EQ(read.size(), 4u);
    EXPECT_EQ(ReadPixel(read[0], 0, 0), (Px{0, 20, 30, 127}));
    EXPECT_EQ(ReadPixel(read[0], 1, 0).a, 0);
    // Blended always, onto white: (c * 128 + 255 * 128) >> 8, then opaque through the mask.
    EXPECT_EQ(ReadPixel(read[1], 0, 0), (Px{127, 137, 142, 255}));
    EXPECT_EQ(ReadPixel(read[1], 1, 0).a, 0);
    EXPECT_EQ(read[2].depth, kDepth16);
    EXPECT_EQ(ReadPixel(read[2], 0, 0).a, 0);
    EXPECT_EQ(ReadPixel(read[2], 1, 0), (Px{255, 0, 0, 255}));
    // Soft edges keep both, alpha by the covered weight: 255 * 8 / 16 and 255 * 10 / 16.
    EXPECT_EQ(ReadPixel(read[3], 0, 0), (Px{255, 0, 0, 127}));
    EXPECT_EQ(ReadPixel(read[3], 1, 0), (Px{255, 0, 0, 159}));
}

TEST(IconFormatSave, OpacityOutsideZeroToOneIsKeptInside) {
    LayerCounter counter;
    CIconFormat format(100, 1, 1, kDepth32, counter);
    CIconLayer& layer = *format.FirstLayer();
    layer.Working().SetBlock(0, 0, kRed, 3);
    layer.SetOpacity(2.0f); // would wrap to alpha 254
    EXPECT_EQ(SaveList({&format})[0].alpha[0], 255);
    layer.SetOpacity(std::nanf(""));
    EXPECT_EQ(SaveList({&format})[0].mask[0], 0);
}

TEST(IconFormatSave, SaveListOwnsItsPlanes) {
    std::vector<IconImageRec> list;
    {
        LayerCounter counter;
        CIconFormat format(100, 2, 2, kDepth32, counter);
        format.FirstLayer()->Working().SetBlock(1, 0, kRed, 3);
        list = SaveList({&format});
        // Recomposing an emptied format leaves the list as it was.
        format.FirstLayer()->Working().Fill(255, 0, 0);
        format.Compose();
    }
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].mask, (std::vector<uint8_t>{0, 1, 0, 0})); // top row first
    EXPECT_EQ(list[0].alpha, (std::vector<uint8_t>{0, 255, 0, 0}));
}

// Taken out and handed back in a new order, with their visibility:
// LayerDialogTest.ShowingAFormatTakesItsLayersAndTheNextOneHandsThemBack.
TEST(IconFormat, WhileItsLayersAreOutTheHolderNamesWhatIsComposed) {
    LayerCounter counter;
    CIconFormat format(100, 1, 1, kDepth32, counter);
    CIconLayer* first = format.FirstLayer();
    CIconLayer* top = format.AddLayer(counter, false);
    top->Working().SetBlock(0, 0, kRed, 3);
    std::vector<LayerEntry> shown = format.TakeLayers();
    EXPECT_EQ(format.FirstLayer(), nullptr);
    format.SetVisibleLayers({top});
    format.Compose();
    EXPECT_EQ(format.Final().GetPixel(0, 0), kRed);
    format.ReturnLayers(std::move(shown));
    EXPECT_EQ(format.FirstLayer(), first);
}
