// The panel widgets and dialogs over fresh models: what they show (pixels
// and texts) and what their input does to the models.

#include <gtest/gtest.h>

#include <QAbstractScrollArea>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QSlider>
#include <QStatusBar>
#include <QTabBar>
#include <QTest>
#include <QToolButton>

#include "MainFrame.h"
#include "desktop/DialogFixture.h"
#include "editor/CommandFixture.h"
#include "panels/ColourPanel.h"
#include "panels/FormatListPanel.h"
#include "panels/FrameTimeDialog.h"
#include "panels/LayersPanel.h"
#include "panels/PanelSupport.h"
#include "panels/PreviewPanel.h"
#include "panels/StripWidget.h"
#include "panels/ToolsPanel.h"

namespace pictoform {
namespace {

using test::ScriptedUiServices;

QColor PixelOf(QWidget& widget, int x, int y) {
    return widget.grab().toImage().pixelColor(x, y);
}
QColor Rgb(const DisplayColor& colour) {
    return QColor(colour.red, colour.green, colour.blue);
}

class PanelsTest : public test::CommandFixture {
protected:
    PanelsTest() { paths.presets = temp.File("Presets"); }
    ~PanelsTest() override { EXPECT_EQ(ui.UnusedAnswers(), 0u); }
};

TEST_F(PanelsTest, LayersListShowsItsModelAndHandsClicksAndTheSliderToIt) {
    LayersPanel panel(workspace, view, nullptr);
    panel.resize(220, 260);
    panel.show();
    CLayerDialog& layers = workspace.LayerPanel();
    panel.RunCommand(LayersPanel::kAddLayer);
    ASSERT_EQ(layers.Count(), 2);
    EXPECT_EQ(panel.List().Count(), 2);

    // The visibility column toggles (a new layer is hidden), the body selects.
    QTest::mouseClick(&panel.List(), Qt::LeftButton, {}, QPoint(10, 36 + 18));
    EXPECT_TRUE(layers.Item(1).visible);
    QTest::mouseClick(&panel.List(), Qt::LeftButton, {}, QPoint(150, 36 + 18));
    EXPECT_EQ(layers.CurrentIndex(), 1);

    panel.Opacity().setValue(128);
    EXPECT_FLOAT_EQ(layers.Item(1).layer->Opacity(), 128 * 0.003921569f);
    EXPECT_EQ(panel.Opacity().toolTip(), "50%");

    // The selected body in the selection colours, the columns as raised cells.
    const int right = panel.List().width();
    EXPECT_EQ(PixelOf(panel.List(), right - 3, 36 + 3), Rgb(kSelectionFill));
    EXPECT_EQ(PixelOf(panel.List(), right - 1, 36 + 3), Rgb(kSelectionOutline));
    EXPECT_EQ(PixelOf(panel.List(), 5, 0), QColor(Qt::white));
    EXPECT_EQ(PixelOf(panel.List(), 5, 35), Rgb(kCellShadow));

    panel.RunCommand(LayersPanel::kMoveUp);
    EXPECT_EQ(layers.CurrentIndex(), 0);
    EXPECT_EQ(layers.Item(0).layer->Name(), "Layer 2");
}

TEST_F(PanelsTest, FormatListSelectsFormatsAndDrawsThemAsTheModelSays) {
    // In the main window, so that the layers pane follows the format list.
    MainFrame window(workspace, view);
    window.show();
    auto* layers = window.findChild<LayersPanel*>();
    FormatListPanel& formats = *window.findChild<FormatListPanel*>();
    PreviewPanel preview(workspace, view, nullptr);
    layers->Opacity().setValue(128);
    CPreviewDialog& model = workspace.FormatList();
    ASSERT_TRUE(model.AddNewFormat(FormatChoice{16, 16, 16}, false));
    formats.Refresh();
    ASSERT_EQ(formats.List().Count(), 2);

    // The canvas paints on a scroll area's viewport, which must be painted
    // again to show the format chosen.
    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            paints += event->type() == QEvent::Paint;
            return false;
        }
    } counter;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QApplication::processEvents();
    qobject_cast<QAbstractScrollArea*>(window.centralWidget())
        ->viewport()
        ->installEventFilter(&counter);
    const int itemHeight = FormatListPanel::kItemHeight;
    QTest::mouseClick(&formats.List(), Qt::LeftButton, {}, QPoint(40, itemHeight + 10));
    QApplication::processEvents();
    EXPECT_GT(counter.paints, 0);
    EXPECT_EQ(window.statusBar()->findChild<QLabel*>()->text().toStdString(),
              view.StatusText(std::nullopt))
        << "the zoom of the format chosen";
    EXPECT_EQ(model.SelectedIndex(), 1);
    EXPECT_EQ(workspace.LayerPanel().ShownFormat(), model.CurrentFormat());
    EXPECT_EQ(layers->Opacity().value(), 255); // the new format's layer, at full opacity
    QTest::keyClick(&formats.List(), Qt::Key_Up);
    EXPECT_EQ(model.SelectedIndex(), 0);

    EXPECT_EQ(PixelOf(formats.List(), 0, 0), Rgb(kSelectionOutline));
    EXPECT_EQ(PixelOf(formats.List(), 2, 2), Rgb(kSelectionFill));
    EXPECT_EQ(PixelOf(formats.List(), 2, itemHeight + 2), formats.List().palette().base().color());

    // The preview: the 48 x 48 final image 1:1 in the middle of 100 x 80.
    preview.resize(100, 80);
    (void)view.Paint();
    const QImage shown = preview.grab().toImage();
    EXPECT_EQ(shown.pixelColor(0, 0), Rgb(kPreviewBand));
    EXPECT_EQ(shown.pixelColor(25, 16), Rgb(kPreviewBand));
    const PixelColor corner = model.CurrentFormat()->Final().GetPixel(47, 47);
    EXPECT_EQ(shown.pixelColor(26 + 47, 16 + 47), QColor(corner.red, corner.green, corner.blue));
    EXPECT_EQ(shown.pixelColor(26 + 48, 16 + 47), Rgb(kPreviewBand));
}

// With two formats or more the preview offers to play them: in the order
// of frames, each for its time, looping; pause shows the current one again.
// The format list's pop-up menu sets a frame's time.
TEST_F(PanelsTest, PreviewPlaysTheFormatsAndFrameTimeSetsTheirTimes) {
    PreviewPanel preview(workspace, view, nullptr);
    preview.resize(100, 80);
    preview.show();
    EXPECT_FALSE(preview.PlayButton().isVisible()) << "one format is no animation";
    CPreviewDialog& model = workspace.FormatList();
    ASSERT_TRUE(model.AddNewFormat(FormatChoice{16, 16, 32}, false));
    ASSERT_TRUE(model.AddNewFormat(FormatChoice{32, 32, 32}, false));
    AnimationInfo order;
    order.sequence = {2, 0};
    view.SetAnimation(order);
    workspace.Dialogs().frameTime = [](CFrameTimeDialog& dialog) {
        EXPECT_EQ(dialog.Jiffies(), kNewFrameTime);
        dialog.SetJiffies(6);
        return true;
    };
    ASSERT_TRUE(model.SelectItem(2));
    ASSERT_TRUE(view.Commands().Run(command::kFrameTime));
    EXPECT_EQ(model.Item(2).format->FrameTime(), 6);
    EXPECT_TRUE(view.Modified());
    ASSERT_TRUE(model.SelectItem(0));
    preview.Refresh();
    ASSERT_TRUE(preview.PlayButton().isVisible());

    QTest::mouseClick(&preview.PlayButton(), Qt::LeftButton);
    ASSERT_TRUE(preview.Player().Playing());
    // Frame 2, 32 x 32, painted red, shows in the middle instead of the current format.
    model.Item(2).format->Final().SetBlock(0, 0, PixelColor{255, 0, 0, 255}, 32);
    EXPECT_EQ(preview.Player().Frame(), 2u);
    EXPECT_EQ(PixelOf(preview, 50, 40), QColor(255, 0, 0));
    // Frame 2 shows for six jiffies, then frame 0 for ten, then frame 2 again.
    QTRY_COMPARE(preview.Player().Frame(), 0u);
    QTRY_COMPARE(preview.Player().Frame(), 2u);
    // Deleting the frame that plays: what is shown is looked up afresh (the
    // deleted format is never drawn), and the order left, frame 0 alone,
    // is no animation.
    ui.QueueAnswer(MessageAnswer::Yes);
    ASSERT_TRUE(model.SelectItem(2));
    ASSERT_TRUE(view.Commands().Run(command::kDeleteFormat));
    (void)preview.grab();
    QTRY_VERIFY(!preview.Player().Playing());
    EXPECT_FALSE(preview.PlayButton().isVisible());
    EXPECT_EQ(workspace.Preview().Shown(), model.CurrentFormat());
}

TEST_F(PanelsTest, ToolButtonsPaintTheirLookAndChangeTheTool) {
    ToolsPanel panel(workspace, nullptr);
    panel.show();
    CToolDialog& tools = workspace.Tools();
    const QColor background = panel.palette().color(QPalette::Window);
    EXPECT_EQ(PixelOf(panel.Button(ToolButton::Selection), 2, 2), Rgb(kSelectionFill));
    EXPECT_EQ(PixelOf(panel.Button(ToolButton::Line), 2, 2), background);
    // The Eraser has a menu, so its face has the triangle (its shape is
    // pinned by ToolDialog.ButtonFacesOutlineFillTriangleAndIconPlace).
    EXPECT_EQ(PixelOf(panel.Button(ToolButton::Eraser), 38, 35), QColor(Qt::black));

    struct Case {
        ToolButton button;
        bool widths;
        bool masks;
    };
    for (const Case& c : {Case{ToolButton::Line, true, false}, Case{ToolButton::Mask, false, true},
                          Case{ToolButton::Text, false, false}}) {
        QTest::mouseClick(&panel.Button(c.button), Qt::LeftButton);
        EXPECT_EQ(tools.CurrentButton(), c.button);
        EXPECT_EQ(panel.WidthList().isEnabled(), c.widths);
        EXPECT_EQ(panel.MaskList().isEnabled(), c.masks);
    }
    panel.WidthList().setCurrentIndex(4);
    emit panel.WidthList().activated(4);
    EXPECT_EQ(tools.PenWidth(), 5);

    // Right button on the Eraser: its menu, the active shape checked; Round
    // chosen from the keyboard.
    std::string shown;
    test::ModalScript script;
    script.ThenMenu([&shown](QMenu& menu) {
        shown = test::Describe(menu);
        test::Choose(menu, {"&Round"});
    });
    QTest::mouseClick(&panel.Button(ToolButton::Eraser), Qt::RightButton);
    EXPECT_EQ(shown, "&Square*;&Round;");
    EXPECT_EQ(tools.GetCurrentTool(), kToolEraserRound);
}

TEST_F(PanelsTest, ColourPanelEditsTheSingleColourThenTheStripAndThePresets) {
    ColourPanel panel(workspace, view, nullptr);
    panel.resize(262, 260);
    panel.show();
    CAdvColorDialog& colours = workspace.Colours();
    QStringList values;
    for (int c = 0; c < 4; ++c) values << panel.Value(c).text();
    EXPECT_EQ(values, QStringList({"255", "180", "60", "255"}));

    panel.Slider(3).setValue(100);
    EXPECT_EQ(panel.Value(3).text(), "100");
    // The palette's middle row of column 0 is pure red.
    EXPECT_EQ(PixelOf(panel, 10, 200), QColor(255, 0, 0));
    QTest::mouseClick(&panel, Qt::LeftButton, {}, QPoint(10, 200));
    EXPECT_EQ(colours.CurrentColour(), (PixelColor{255, 0, 0, 100}));
    EXPECT_EQ(panel.Value(1).text(), "0");

    // The fields take numbers: a good one sets the colour, a bad one is
    // marked and changes nothing.
    const auto type = [](QLineEdit& field, const QString& text) {
        field.setFocus();
        field.selectAll();
        QTest::keyClicks(&field, text);
        QTest::keyClick(&field, Qt::Key_Return);
    };
    type(panel.Value(1), "90");
    EXPECT_EQ(colours.CurrentColour(), (PixelColor{255, 90, 0, 100}));
    EXPECT_EQ(panel.Hex().text(), "#FF5A0064");
    type(panel.Value(2), "300");
    EXPECT_EQ(colours.CurrentColour(), (PixelColor{255, 90, 0, 100}));
    EXPECT_TRUE(panel.Value(2).property("invalid").toBool());
    type(panel.Hex(), "#102030");
    EXPECT_EQ(colours.CurrentColour(), (PixelColor{16, 32, 48, 255}));
    EXPECT_EQ(panel.Slider(2).value(), 48);
    EXPECT_EQ(panel.Value(2).text(), "48") << "a good colour mends the marked field";
    EXPECT_FALSE(panel.Value(2).property("invalid").toBool());

    panel.EraseAction().trigger();
    EXPECT_FALSE(panel.Slider(0).isEnabled());
    EXPECT_TRUE(colours.IsErase());

    panel.Tabs().setCurrentIndex(1);
    EXPECT_EQ(colours.Mode(), kPenMultiColour);
    EXPECT_TRUE(panel.Strip().isVisible());
    EXPECT_FALSE(panel.Slider(0).isVisible());

    // A double-click (its press selects) on the left end stop edits its colour.
    const int h = StripWidget::kHeight;
    ui.QueueEditColor(PixelColor{0, 255, 0, 255});
    QTest::mousePress(&panel.Strip(), Qt::LeftButton, {}, QPoint(6, h - 9));
    QTest::mouseDClick(&panel.Strip(), Qt::LeftButton, {}, QPoint(6, h - 9));
    ASSERT_EQ(ui.EditColorRequests().size(), 1u);
    EXPECT_EQ(ui.EditColorRequests()[0].Rgba32(), (PixelColor{255, 0, 0, 200}.Rgba32()));
    EXPECT_EQ(colours.GetPen().Stop(0).Rgba32(), (PixelColor{0, 255, 0, 255}.Rgba32()));
    // Column 7 of the band (width 236) on a dark checker cell: (0, 253, 1) at
    // alpha 254 gives ((c - 128) * 254 + 32640) >> 8 = (0, 251, 1). Column 6
    // holds the selected stop's black line.
    EXPECT_EQ(PixelOf(panel.Strip(), 7, 0), QColor(0, 251, 1));
    EXPECT_EQ(PixelOf(panel.Strip(), 6, 0), QColor(Qt::black));

    panel.ReverseAction().trigger();
    EXPECT_TRUE(colours.GetPen().Reverse());
    ui.QueueFileName("Warm");
    panel.AddPresetAction().trigger();
    ASSERT_EQ(panel.Presets().count(), 1);
    EXPECT_EQ(panel.Presets().item(0)->text(), "Warm");
}

} // namespace
} // namespace pictoform
