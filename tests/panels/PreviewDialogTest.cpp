// The format list driven as a user would: adding, choosing, copying,
// deleting and moving formats, and what reaches the saved file.

#include <gtest/gtest.h>

#include "icon/IconFile.h"
#include "icon/IconTestImages.h"
#include "panels/PreviewDialog.h"
#include "support/ScriptedUiServices.h"
#include "support/TestSupport.h"

using namespace pictoform;
using namespace pictoform::test;

namespace {

struct Panels {
    ScriptedUiServices ui;
    LayerCounter counter;
    std::vector<std::string> added; // layers handed to the hook, by name
    CLayerDialog layers{ui, counter};
    CSameIconDialog preview;
    CPreviewDialog list{layers, preview, [this](CIconLayer& l) { added.push_back(l.Name()); }};

    // Every item as "label@zoom"; "*" marks the current format when both panels show it.
    std::string Items() const {
        std::string out;
        for (int i = 0; i < list.Count(); ++i) {
            const CIconFormat* f = list.Item(i).format.get();
            const bool shown = list.CurrentFormat() == f && layers.ShownFormat() == f &&
                               preview.Shown() == f && list.SelectedIndex() == i;
            out += (i ? " " : "") + list.Item(i).label + "@" + std::to_string(f->Zoom()) +
                   (shown ? "*" : "");
        }
        return out;
    }
};

// Written to a file and read back: each image's width and top-left pixel.
std::vector<std::pair<int, Px>> Saved(CPreviewDialog& list) {
    TempDir dir;
    CIconFile engine;
    EXPECT_TRUE(engine.WriteIconFile(dir.File("set.ico"), list.BuildSaveList(), 0));
    EXPECT_TRUE(engine.ReadIconFile(dir.File("set.ico"))) << engine.LastError();
    std::vector<std::pair<int, Px>> out;
    for (const IconImageRec& rec : engine.Images())
        out.emplace_back(rec.width, ReadPixel(rec, 0, 0));
    return out;
}

} // namespace

TEST(PreviewDialog, AddedFormatsAreLabelledAndOnlyTheFirstBecomesCurrent) {
    Panels p;
    ASSERT_TRUE(
        p.list.AddFormat(std::make_unique<CIconFormat>(8, 48, 48, kDepth32, p.counter), true));
    // New Blank Format, 16 x 16 in 16 colours, through the dialog.
    NewFormatMemory memory;
    CNewFmtDialog dialog(memory, p.ui);
    dialog.SelectSize(0, {});
    dialog.SelectDepth(1);
    ASSERT_TRUE(p.list.AddNewFormat(dialog.Result(), false));
    ASSERT_TRUE(p.list.AddNewFormat({32, 32, kDepth24}, false));
    ASSERT_TRUE(p.list.AddNewFormat({20, 10, kDepth2}, true));
    // Nothing that no file could hold is added.
    EXPECT_FALSE(p.list.AddNewFormat({0, 16, kDepth32}, false));
    EXPECT_FALSE(p.list.AddNewFormat({16, 16, 8}, false));
    EXPECT_FALSE(p.list.AddFormat(nullptr, false));
    EXPECT_EQ(p.Items(),
              "48X48(WinXP)@8* 16X16(16 Color)@31 32X32(TrueColor)@15 20X10(2 Color)@25");
    EXPECT_EQ(p.added, (std::vector<std::string>{"Layer 1", "Layer 2", "Layer 3", "Layer 4"}));
}

TEST(PreviewDialog, NewFormatCopiesTheVisiblePictureAndFlattensItBelow32Bits) {
    Panels p;
    ASSERT_TRUE(p.list.AddNewFormat({2, 1, kDepth32}, false));
    p.layers.Item(0).layer->Working().SetBlock(0, 0, PixelColor{0, 20, 30, 200}, 3);
    p.layers.Item(0).layer->Working().SetBlock(1, 0, PixelColor{0, 0, 255, 100}, 3);
    ASSERT_TRUE(p.layers.AddLayer()); // hidden: lends nothing to the copies
    p.layers.Item(1).layer->Working().Fill(0, 255, 1);
    ASSERT_TRUE(p.list.AddNewFormat({2, 1, kDepth256}, true));
    ASSERT_TRUE(p.list.AddNewFormat({4, 2, kDepth32}, true));

    // ((c - 255) * 200 + 65025) >> 8; alpha 100 is below the threshold and goes.
    const CIconFormat& flat = *p.list.Item(1).format;
    const CLayerImage& committed = flat.FirstLayer()->Committed();
    EXPECT_EQ(committed.GetPixel(1, 1), (PixelColor{54, 70, 78, 255}));
    EXPECT_EQ(committed.CoveragePlane()[committed.Width() + 4], 0);
    EXPECT_EQ(flat.FirstLayer()->Working().GetPixel(2, 2), (PixelColor{54, 70, 78, 255}));
    EXPECT_EQ(flat.Final().GetPixel(0, 0), (PixelColor{54, 70, 78, 255}));
    EXPECT_EQ(flat.Final().CoveragePlane()[1], 0);
    // 32 to 32 bits keeps the alpha; twice the size takes each pixel twice.
    const CLayerImage& scaled = p.list.Item(2).format->FirstLayer()->Committed();
    EXPECT_EQ(scaled.GetPixel(11, 5), (PixelColor{0, 0, 255, 100}));
    EXPECT_EQ(p.added, (std::vector<std::string>{"Layer 1", "Layer 3", "Layer 4"}));
}

TEST(PreviewDialog, DeleteUpAndDownChangeTheOrderOfTheSavedFile) {
    Panels p;
    for (int w = 1; w <= 3; ++w) ASSERT_TRUE(p.list.AddNewFormat({w, w, kDepth32}, false));
    // Painted while shown, the layer reaches the file after it went back.
    p.layers.Item(0).layer->Working().SetBlock(0, 0, PixelColor{255, 0, 0, 255}, 3);
    const Px red{255, 0, 0, 255}, none{0, 0, 0, 0}; // the writer blanks what alpha hides

    EXPECT_FALSE(p.list.MoveUp());
    EXPECT_TRUE(p.list.MoveDown() && p.list.MoveDown());
    EXPECT_FALSE(p.list.MoveDown());
    EXPECT_EQ(p.Items(), "2X2(WinXP)@250 3X3(WinXP)@166 1X1(WinXP)@500*");
    EXPECT_EQ(Saved(p.list), (std::vector<std::pair<int, Px>>{{2, none}, {3, none}, {1, red}}));

    ASSERT_TRUE(p.list.SelectItem(0));
    ASSERT_TRUE(p.list.DeleteFormat()); // the first of three: the new first is current
    EXPECT_EQ(p.Items(), "3X3(WinXP)@166* 1X1(WinXP)@500");
    EXPECT_EQ(Saved(p.list), (std::vector<std::pair<int, Px>>{{3, none}, {1, red}}));
    ASSERT_TRUE(p.list.SelectItem(1) && p.list.DeleteFormat());
    EXPECT_FALSE(p.list.DeleteFormat()); // never the last one
    EXPECT_FALSE(p.list.SelectItem(1));
    EXPECT_EQ(p.Items(), "3X3(WinXP)@166*");

    p.list.RemoveAllFormats();
    EXPECT_EQ(p.list.CurrentFormat(), nullptr);
    EXPECT_EQ(p.layers.ShownFormat(), nullptr);
    EXPECT_EQ(p.preview.Shown(), nullptr);
    EXPECT_TRUE(p.list.BuildSaveList().empty());
    ASSERT_TRUE(p.list.AddNewFormat({5, 5, kDepth16}, true));
    EXPECT_EQ(p.Items(), "5X5(16 Color)@100*");
}

TEST(PreviewDialog, ItemsShowThePictureOneToOneOrStretchedAndThePreviewCentresIt) {
    Panels p;
    // Item (10, 80)-(110, 160): picture area 100 x 63 above a 17-pixel label; room 88 x 51.
    const std::tuple<int, int, PanelRect, bool> cases[] = {{48, 48, {36, 87, 84, 135}, false},
                                                           {88, 51, {16, 86, 104, 137}, false},
                                                           {89, 51, {16, 86, 104, 136}, true},
                                                           {128, 128, {34, 86, 85, 137}, true},
                                                           {100, 20, {16, 103, 104, 120}, true}};
    int i = 0;
    for (const auto& [w, h, picture, stretched] : cases) {
        ASSERT_TRUE(p.list.AddNewFormat({w, h, kDepth32}, false));
        const FormatItemDrawing d = p.list.DrawItem(i, {10, 80, 110, 160});
        EXPECT_EQ(d.pictureRect, picture) << w << "x" << h;
        EXPECT_EQ(d.stretched, stretched);
        EXPECT_EQ(d.selected, i++ == 0);
        EXPECT_EQ(d.labelRect, (PanelRect{10, 143, 110, 160}));
    }

    SameIconPaint paint = p.preview.Paint(100, 50);
    EXPECT_EQ(paint.picture, &p.list.CurrentFormat()->Final());
    EXPECT_EQ(paint.pictureRect, (PanelRect{26, 1, 74, 49}));
    EXPECT_EQ(paint.bands,
              (std::vector<PanelRect>{
                  {0, 0, 100, 1}, {0, 49, 100, 50}, {0, 1, 26, 49}, {74, 1, 100, 49}}));
    paint = p.preview.Paint(40, 40); // larger than the panel: no bands
    EXPECT_EQ(paint.pictureRect, (PanelRect{-4, -4, 44, 44}));
    EXPECT_TRUE(paint.bands.empty());
}
