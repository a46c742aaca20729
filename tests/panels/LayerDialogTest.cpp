// The layers panel driven as a user would: showing formats, marking,
// adding, deleting, moving, the opacity slider, and what reaches the file.

#include <gtest/gtest.h>

#include "icon/IconTestImages.h"
#include "panels/PreviewDialog.h"
#include "support/ScriptedUiServices.h"

using namespace pictoform;
using namespace pictoform::test;

namespace {

// The list bottom first: a layer's name, "+" when visible, "*" when active.
std::string State(const CLayerDialog& panel) {
    std::string state;
    for (int i = 0; i < panel.Count(); ++i) {
        const LayerItem& item = panel.Item(i);
        state += (i ? " " : "") + item.layer->Name() + (item.visible ? "+" : "") +
                 (item.active ? "*" : "");
    }
    return state;
}

std::string Names(const std::vector<std::unique_ptr<CIconLayer>>& layers) {
    std::string names;
    for (const auto& layer : layers) names += layer->Name() + ";";
    return names;
}

class LayerDialog : public ::testing::Test {
protected:
    ScriptedUiServices ui;
    LayerCounter counter;
};

} // namespace

TEST_F(LayerDialog, ShowingAFormatTakesItsLayersAndTheNextOneHandsThemBack) {
    CIconFormat format(100, 2, 2, kDepth32, counter), other(100, 1, 1, kDepth32, counter);
    CIconLayer* l3 = format.AddLayer(counter, false);
    CIconLayer* l4 = format.AddLayer(counter, true);
    CLayerDialog panel(ui, counter);
    panel.ShowFormat(&format);
    EXPECT_EQ(State(panel), "Layer 1+ Layer 3 Layer 4+");
    EXPECT_EQ(l4->Index(), 2);
    EXPECT_EQ(panel.GetActiveLayer(), nullptr);
    EXPECT_TRUE(format.Layers().empty() && format.VisibleLayers().empty());

    panel.ClickItem(1, 10); // on the visibility column: toggles
    panel.ClickItem(0, 29);
    panel.ClickItem(2, 30); // beside it: selects
    EXPECT_EQ(State(panel), "Layer 1 Layer 3+ Layer 4+*");
    EXPECT_EQ(panel.CollectVisibleLayers(), (std::vector<CIconLayer*>{l3, l4}));
    panel.ClickItem(0, 100);
    EXPECT_FALSE(panel.MoveUp());
    EXPECT_TRUE(panel.MoveDown());
    EXPECT_EQ(State(panel), "Layer 3+ Layer 1* Layer 4+");

    // Showing another format without handing back first still hands back.
    panel.ShowFormat(&other);
    EXPECT_EQ(Names(format.Layers()), "Layer 3;Layer 1;Layer 4;");
    EXPECT_EQ(format.VisibleLayers(), (std::vector<CIconLayer*>{l3, l4}));
    EXPECT_EQ(State(panel), "Layer 2+");
    panel.HandBack();
    EXPECT_EQ(panel.ShownFormat(), nullptr);
    EXPECT_EQ(Names(other.Layers()), "Layer 2;");
    EXPECT_FALSE(panel.AddLayer()); // nothing shown
}

TEST_F(LayerDialog, AddDeleteMoveAndTheSliderFollowTheCurrentItem) {
    CIconFormat format(31, 16, 16, kDepth16, counter);
    std::vector<std::string> hooked;
    CLayerDialog panel(ui, counter, [&](CIconLayer& layer) { hooked.push_back(layer.Name()); });
    panel.ShowFormat(&format);
    EXPECT_EQ(panel.SliderTooltip(), "opacity");
    panel.MoveSlider(50); // no current item: no layer changes
    EXPECT_EQ(panel.Item(0).layer->Opacity(), 1.0f);

    // Before any layer is active, the format gives the size.
    ASSERT_TRUE(panel.AddLayer() && panel.AddLayer());
    EXPECT_EQ(panel.Item(2).layer->Committed().Height(), 48);
    EXPECT_EQ(State(panel), "Layer 1+ Layer 2 Layer 3");
    EXPECT_EQ(hooked, (std::vector<std::string>{"Layer 2", "Layer 3"}));

    EXPECT_FALSE(panel.DeleteLayer()); // nothing selected: not even asked
    panel.SelectItem(0);
    ui.QueueAnswer(MessageAnswer::No);
    EXPECT_FALSE(panel.DeleteLayer());
    ASSERT_EQ(ui.Messages().size(), 1u);
    const auto& asked = ui.Messages()[0];
    EXPECT_EQ(asked.text + "|" + asked.caption, "Delete \"Layer 1\" ?|Delete");
    EXPECT_TRUE(asked.icon == MessageIcon::Question && asked.buttons == MessageButtons::YesNo);

    ui.QueueAnswer(MessageAnswer::Yes); // the first of three: the new first is current
    ASSERT_TRUE(panel.DeleteLayer() && panel.AddLayer());
    EXPECT_EQ(State(panel), "Layer 2* Layer 3 Layer 4");
    panel.SelectItem(2);
    ui.QueueAnswer(MessageAnswer::Yes); // the third: the second is current
    ASSERT_TRUE(panel.DeleteLayer());
    EXPECT_FALSE(panel.MoveDown());
    EXPECT_TRUE(panel.MoveUp());
    EXPECT_EQ(State(panel), "Layer 3* Layer 2");

    const std::tuple<int, const char*, float> slides[] = {
        {128, "50%", 0.50196f}, {255, "100%", 1.0f}, {1, "0%", 0.0039216f}, {300, "100%", 1.0f}};
    for (const auto& [position, tooltip, opacity] : slides) {
        panel.MoveSlider(position);
        EXPECT_EQ(panel.SliderTooltip(), tooltip);
        EXPECT_NEAR(panel.Item(0).layer->Opacity(), opacity, 1e-5f);
        // Away and back: the slider and its text come back as they were.
        panel.SelectItem(1);
        EXPECT_EQ(panel.SliderPosition(), 255);
        panel.SelectItem(0);
        EXPECT_EQ(panel.SliderPosition(), std::min(position, 255));
        EXPECT_EQ(panel.SliderTooltip(), tooltip);
    }
    ui.QueueAnswer(MessageAnswer::Yes);
    ASSERT_TRUE(panel.DeleteLayer());
    EXPECT_FALSE(panel.DeleteLayer()); // the last layer: silently kept
    EXPECT_EQ(ui.Messages().size(), 4u);
    panel.HandBack();
    EXPECT_EQ(Names(format.Layers()), "Layer 2;");
}

TEST_F(LayerDialog, HidingReorderingAndOpacityReachTheSavedFile) {
    CLayerDialog layers(ui, counter);
    CSameIconDialog preview;
    CPreviewDialog list(layers, preview);
    ASSERT_TRUE(list.AddNewFormat({2, 1, kDepth32}, false));
    for (int x = 0; x < 2; ++x) layers.Item(0).layer->Working().SetBlock(x, 0, {255, 0, 0, 255}, 3);
    ASSERT_TRUE(layers.AddLayer());
    layers.Item(1).layer->Working().SetBlock(0, 0, {0, 0, 255, 255}, 3);
    const Px red{255, 0, 0, 255}, blue{0, 0, 255, 255}, halfRed{255, 0, 0, 128};
    // The record the file is written from; how it is written the icon writer tests pin.
    const auto saved = [&] {
        const IconImageRec rec = list.BuildSaveList().at(0);
        return std::vector<Px>{ReadPixel(rec, 0, 0), ReadPixel(rec, 1, 0)};
    };

    EXPECT_EQ(saved(), (std::vector<Px>{red, red})); // the new layer is hidden
    layers.ClickItem(1, 5);
    EXPECT_EQ(saved(), (std::vector<Px>{blue, red}));
    layers.SelectItem(1);
    ASSERT_TRUE(layers.MoveUp()); // blue now under red
    EXPECT_EQ(saved(), (std::vector<Px>{red, red}));
    layers.SelectItem(1);
    layers.MoveSlider(128); // red at alpha 128: (255 * 129) >> 8 over (255 * 127) >> 8 of blue
    EXPECT_EQ(saved(), (std::vector<Px>{{128, 0, 126, 255}, halfRed}));
    layers.ClickItem(0, 5);
    EXPECT_EQ(saved(), (std::vector<Px>{halfRed, halfRed}));
    ui.QueueAnswer(MessageAnswer::Yes);
    ASSERT_TRUE(layers.DeleteLayer()); // only the hidden blue layer is left
    EXPECT_EQ(saved()[0].a, 0);
}

TEST_F(LayerDialog, ItemsDrawTheirMarksThumbnailAndPlaceInTheStack) {
    CIconFormat format(100, 2, 1, kDepth32, counter);
    format.FirstLayer()->Working().SetBlock(0, 0, PixelColor{0, 20, 30, 200}, 3);
    format.FirstLayer()->Working().SetBlock(4, 1, PixelColor{0, 0, 0, 255}, 1); // a centre only
    CLayerDialog panel(ui, counter);
    panel.ShowFormat(&format);
    EXPECT_EQ(panel.DrawItem(0, 200).name, "Layer 1");
    ASSERT_TRUE(panel.AddLayer() && panel.AddLayer());
    panel.SelectItem(1);
    const char* names[] = {"Layer 1 (bottommost)", "Layer 2", "Layer 3 (topmost)"};
    for (int i = 0; i < 3; ++i) {
        const LayerItemDrawing d = panel.DrawItem(i, 200);
        EXPECT_EQ(d.name, names[i]);
        EXPECT_EQ(d.selected && d.showActiveIcon, i == 1);
        EXPECT_EQ(d.visibilityIcon, i == 0 ? LayerStateIcon::Visible : LayerStateIcon::Hidden);
    }
    const LayerItemDrawing d = panel.DrawItem(1, 200);
    std::string rects;
    for (const PanelRect& r : {d.item, d.visibilityColumn, d.activeColumn, d.body, d.sunkenEdge,
                               d.thumbnailRect, d.nameRect}) {
        rects += std::to_string(r.left) + "," + std::to_string(r.top) + "-" +
                 std::to_string(r.right) + "," + std::to_string(r.bottom) + " ";
    }
    EXPECT_EQ(rects, "0,36-200,72 0,36-30,72 30,36-60,72 60,36-200,72 6,44-24,64 65,38-97,70 "
                     "97,36-200,72 ");
    // Reduced softly, then laid on white: the centre alone weighs 1020 / 16 = 63.
    const CLayerImage thumb = std::move(panel.DrawItem(0, 200).thumbnail);
    EXPECT_EQ(thumb.GetPixel(0, 0), (PixelColor{54, 70, 78, 255}));
    EXPECT_EQ(thumb.GetPixel(1, 0), (PixelColor{191, 191, 191, 255}));
    EXPECT_EQ(panel.DrawItem(2, 200).thumbnail.GetPixel(0, 0), (PixelColor{255, 255, 255, 0}));
    panel.HandBack();
}
