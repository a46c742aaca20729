// The object-making tools through the mouse: shapes, masks, lifted pixels
// and text made, dragged by their handles and merged by a press outside, the
// hover cursors and the object menu per kind.

#include <cmath>

#include "editor/MenuModel.h"
#include "editor/MouseFixture.h"
#include "editor/ViewCommands.h"
#include "objects/CopiedPattern.h"
#include "objects/MaskedPattern.h"
#include "panels/SubdivideDialog.h"
#include "panels/TextInputDialog.h"

namespace pictoform {
namespace {

using test::MouseFixture;

class ObjectToolsTest : public MouseFixture {
protected:
    ObjectToolsTest() { workspace.Colours().SetColor(kRed.Rgba32(), 0, 0); }
    static std::vector<float> Frame(const CPattern& p) {
        return {p.Origin().x, p.Origin().y, p.AxisU().x, p.AxisU().y, p.AxisV().x, p.AxisV().y};
    }
    static std::string Texts(const MenuEntry& menu) {
        std::string texts;
        for (const MenuEntry& e : menu.submenu) texts += (e.IsSeparator() ? "-" : e.text) + "|";
        return texts;
    }
};

TEST_F(ObjectToolsTest, RectangleIsMadeByTheDragResizedRotatedAndMergedByAPressOutside) {
    Use(kToolRectangle);
    Hover(30, 30);
    // Under one icon pixel makes nothing.
    Drag({{30, 30}, {32, 40}});
    EXPECT_EQ(Object(), nullptr);
    Mouse().Press(30, 30);
    Mouse().Move(33, 33, mouse::kLeft);
    ASSERT_NE(Object(), nullptr);
    EXPECT_EQ(Object()->Kind(), PatternKind::Rect);
    EXPECT_EQ(Object()->ActiveHandle(), kHandleRightBottom);
    Mouse().Move(60, 45, mouse::kLeft);
    Mouse().Release(60, 45);
    EXPECT_EQ(Frame(*Object()), (std::vector<float>{30, 30, 30, 0, 0, 15}));
    EXPECT_EQ(History(), "3 4 [1]");
    view.Paint();
    EXPECT_TRUE(Covered(Layer().Working(), 45, 40));
    EXPECT_FALSE(Covered(Layer().Committed(), 45, 40));

    // Hovering tells what a press would take.
    Hover(60, 45);
    EXPECT_EQ(Mouse().Cursor(), ViewCursor::OverHandle);
    EXPECT_EQ(Mouse().Tooltip(), CPattern::HandleName(kHandleRightBottom));
    Hover(40, 35);
    EXPECT_EQ(Mouse().Cursor(), ViewCursor::InsideObject);
    EXPECT_EQ(Mouse().Tooltip(), "");

    // Resize by the corner, then move: a press inside never paints.
    Drag({{60, 45}, {75, 60}});
    EXPECT_EQ(Frame(*Object()), (std::vector<float>{30, 30, 45, 0, 0, 30}));
    Drag({{40, 40}, {43, 46}});
    EXPECT_EQ(Frame(*Object()), (std::vector<float>{33, 36, 45, 0, 0, 30}));
    EXPECT_EQ(History(), "3 4 1 1 [1]");
    // Rotate by the rotation handle.
    const Vec2 handle = Object()->RotationHandle();
    const Vec2 centre = Object()->RotationCentre();
    Drag({{static_cast<int>(handle.x), static_cast<int>(handle.y)},
          {static_cast<int>(centre.x + 40), static_cast<int>(centre.y)}});
    EXPECT_GT(std::fabs(Object()->Angle()), 0.1f);
    EXPECT_EQ(History(), "3 4 1 1 1 [1]");

    Use(kToolPencilSquare);
    Mouse().Press(140, 140);
    EXPECT_EQ(Object(), nullptr);
    EXPECT_FALSE(Covered(Layer().Committed(), 140, 140)) << "the merging press paints nothing";
    Mouse().Release(140, 140);
    EXPECT_TRUE(Covered(Layer().Committed(), centre.x + 3, centre.y + 3));
    EXPECT_EQ(History().substr(0, 7), "3 3 [3]");
    // Undo goes back past the merge to the empty layer.
    ASSERT_TRUE(Layer().Undo(true));
    ASSERT_TRUE(Layer().Undo(true));
    EXPECT_FALSE(Covered(Layer().Committed(), centre.x + 3, centre.y + 3));
}

TEST_F(ObjectToolsTest, MorphGridPointsAreDraggedAndCancellingMorphKeepsTheShape) {
    Use(kToolRectangle);
    Drag({{30, 30}, {60, 60}});
    ASSERT_NE(Object(), nullptr);
    workspace.Dialogs().subdivide = [](CSubdivideDialog& dialog) {
        dialog.SetHorizontalText("2");
        dialog.SetVerticalText("2");
        return true;
    };
    ASSERT_TRUE(view.Commands().Run(command::kMorph));
    ASSERT_TRUE(Object()->MorphMode());
    ASSERT_EQ(Object()->MorphColumns(), 2);
    EXPECT_EQ(History(), "3 4 [1]");

    // The bottom right grid point (1, 1 in the frame's own units) pulled
    // out: the shape follows it beyond the frame it was made in; the frame's
    // own corner handle does not take the press in morph mode.
    Hover(60, 60);
    EXPECT_EQ(Mouse().Tooltip(), CPattern::HandleName(kHandleMorphPoint));
    Drag({{60, 60}, {70, 66}, {84, 84}});
    EXPECT_FLOAT_EQ(Object()->MorphPoint(2, 2).x, 1.8f);
    EXPECT_FLOAT_EQ(Object()->MorphPoint(2, 2).y, 1.8f);
    EXPECT_EQ(History(), "3 4 1 [1]");
    view.Paint();
    EXPECT_TRUE(Covered(Layer().Working(), 72, 72));
    EXPECT_FALSE(Covered(Layer().Working(), 72, 35)) << "the top right corner stayed";

    // Leaving morph mode keeps the morphed shape; merging commits it.
    ASSERT_TRUE(view.Commands().Run(command::kMorph));
    EXPECT_FALSE(Object()->MorphMode());
    Click(150, 150);
    EXPECT_EQ(Object(), nullptr);
    EXPECT_TRUE(Covered(Layer().Committed(), 72, 72));
}

TEST_F(ObjectToolsTest, FrameEllipseTriangleAndMaskAreMadeAsTheirToolsSay) {
    // A frame 2 pixels thick: 6 units of edge, a hole inside.
    Use(kToolRectangleFrame, 2);
    Drag({{30, 30}, {60, 60}});
    view.Paint();
    EXPECT_EQ(Rows(Layer().Working(), 28, 45, 46, 46), "..######..........\n");
    RemoveActiveObject(Layer());

    // The ellipse previews in the working picture and becomes an object at the release.
    Use(kToolEllipse);
    Mouse().Press(30, 30);
    Mouse().Move(60, 60, mouse::kLeft);
    EXPECT_EQ(Layer().OutlinePoints().size(), 4u);
    EXPECT_TRUE(Covered(Layer().Working(), 45, 45));
    EXPECT_FALSE(Covered(Layer().Committed(), 45, 45));
    Mouse().Release(60, 60);
    ASSERT_NE(Object(), nullptr);
    EXPECT_EQ(Object()->Kind(), PatternKind::Masked);
    EXPECT_TRUE(Layer().OutlinePoints().empty());
    RemoveActiveObject(Layer());

    // Triangle: two corners wait across their releases; the hover shows the
    // band, then the preview; the third press takes the first and last corner.
    Use(kToolTriangle);
    Hover(10, 10);
    Click(10, 10);
    Hover(40, 10);
    EXPECT_EQ(Layer().OutlinePoints().size(), 2u);
    Click(40, 10);
    Hover(25, 40);
    EXPECT_EQ(Layer().OutlinePoints().size(), 3u);
    EXPECT_TRUE(Covered(Layer().Working(), 25, 20));
    Click(25, 40);
    ASSERT_NE(Object(), nullptr);
    ASSERT_EQ(Object()->Kind(), PatternKind::Triangle);
    EXPECT_EQ(History(), "3 [4]");
    EXPECT_TRUE(Layer().StrokePoints().empty());
    EXPECT_TRUE(Layer().OutlinePoints().empty());
    RemoveActiveObject(Layer());
    // Changing the tool forgets a stored corner.
    Click(10, 10);
    Use(kToolLine);
    Hover(12, 12);
    EXPECT_TRUE(Layer().StrokePoints().empty());
    Use(kToolTriangle);

    // The mask is made at the first drag step of a pixel and its corner follows.
    Use(kToolMask);
    Mouse().Press(30, 30);
    Mouse().Move(31, 31, mouse::kLeft);
    EXPECT_EQ(Object(), nullptr);
    Mouse().Move(34, 34, mouse::kLeft);
    ASSERT_NE(Object(), nullptr);
    EXPECT_EQ(Frame(*Object()), (std::vector<float>{30, 30, 1, 0, 0, 1}));
    Mouse().Move(54, 42, mouse::kLeft);
    Mouse().Release(54, 42);
    EXPECT_EQ(Frame(*Object()), (std::vector<float>{30, 30, 24, 0, 0, 12}));
    view.Paint();
    // The mask's left half is inside.
    EXPECT_EQ(Rows(Layer().Working(), 28, 36, 56, 37), "..############..............\n");
}

TEST_F(ObjectToolsTest, ASelectionLiftsWholePixelsAndMovesByWholePixelsOnly) {
    FillLayer(kRed);
    Use(kToolSelection);
    // A click lifts nothing.
    Click(20, 20);
    EXPECT_EQ(Object(), nullptr);
    Mouse().Press(4, 4);
    Mouse().Move(14, 14, mouse::kLeft);
    ASSERT_EQ(Layer().OutlinePoints().size(), 4u);
    EXPECT_EQ(Layer().OutlinePoints()[2].x, 12.0f);
    Mouse().Release(14, 14);
    ASSERT_NE(Object(), nullptr);
    ASSERT_EQ(Object()->Kind(), PatternKind::Copied);
    EXPECT_EQ(History(), "3 4 [2]");
    EXPECT_FALSE(Covered(Layer().Committed(), 5, 5));
    EXPECT_TRUE(Covered(Layer().Committed(), 12, 5));
    auto& lifted = static_cast<CCopiedPattern&>(*Object());
    EXPECT_EQ(lifted.Picture().Width(), 9);

    // Two units is less than a pixel; four make one.
    Drag({{6, 6}, {8, 7}});
    EXPECT_EQ(lifted.SnappedX(), 3);
    Drag({{6, 6}, {10, 10}});
    // Moved (6, 5) in all from (3, 3): x reaches the next pixel, y stays short of it.
    EXPECT_EQ(std::pair(lifted.SnappedX(), lifted.SnappedY()), std::pair(9, 6));
    const int x = lifted.SnappedX();
    Click(140, 140);
    EXPECT_EQ(Object(), nullptr);
    EXPECT_TRUE(Covered(Layer().Committed(), x + 1, x + 1));
    EXPECT_EQ(Layer().Committed().GetPixel(x + 1, x + 1), (PixelColor{200, 10, 20, 255}));
}

TEST_F(ObjectToolsTest, TextIsWholePixelsOnFewColoursAndSmoothOn32BitsWithinItsMemory) {
    workspace.SetText(&boxes);
    std::string typed = "A";
    int asked = 0;
    workspace.Dialogs().addText = [&](CTextInputDialog& dialog) {
        ++asked;
        EXPECT_EQ(dialog.Font().family, "Tahoma");
        dialog.SetText(typed);
        return true;
    };
    for (const int32_t depth : {kDepth256, kDepth32}) {
        SCOPED_TRACE(depth);
        UseFormat(32, 32, depth);
        Use(kToolText);
        // One glyph, 8 x 16 pixels at its own height; three times that on
        // 32 bits (how each kind draws is TextPatternTest's).
        Mouse().Press(31, 31);
        Mouse().Move(60, 90, mouse::kLeft);
        EXPECT_EQ(Layer().OutlinePoints().size(), 4u);
        Mouse().Release(60, 90);
        ASSERT_NE(Object(), nullptr);
        EXPECT_EQ(Object()->Kind(),
                  depth == kDepth32 ? PatternKind::Masked : PatternKind::PixelText);
        view.Paint();
        const uint8_t edge = Format().Final().GetPixel(10, 15).alpha;
        EXPECT_EQ(edge > 0 && edge < 255, depth == kDepth32) << int(edge);
        EXPECT_EQ(History(), "3 4 [1]");
    }
    EXPECT_EQ(asked, 2);

    // A smooth text is held three times its size: what limits it is the
    // memory that takes, not its width. 200 characters of 72 points (96
    // pixels) are added; 300 of 150 points are refused, saying why.
    const auto add = [&](int pixelHeight, size_t characters) {
        RemoveActiveObject(Layer());
        workspace.TextFont().pixelHeight = pixelHeight;
        typed.assign(characters, 'W');
        Drag({{31, 31}, {60, 90}});
    };
    add(96, 200);
    auto* text = dynamic_cast<CMaskedPattern*>(Object());
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(std::pair(text->Mask().Width(), text->Mask().Height()), std::pair(200 * 145, 3 * 96));
    EXPECT_TRUE(ui.Messages().empty());
    add(200, 300);
    EXPECT_EQ(Object(), nullptr);
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].text,
              "The text is too large to add: drawn smoothly it would need more than 160 "
              "MB of memory. Use a shorter text or a smaller font.");
}

TEST_F(ObjectToolsTest, TheObjectMenuLeavesOutWhatDoesNotFitTheKind) {
    FillLayer(kRed);
    struct Case {
        ToolCode tool;
        const char* entries;
    };
    // (A rectangle's, checked entries and submenus too, is ShellDialogsTest's.)
    const std::vector<Case> cases = {
        {kToolSelection,
         "&Filter|-|&Drop Shadow|-|Flip &Vertical|Flip &Horizontal|-|Re&move\tDelete|De&select|"},
        {kToolEllipse, "&Gradient|-|&Drop Shadow|&Morph...|-|Flip &Vertical|Flip "
                       "&Horizontal|-|Re&move\tDelete|De&select|"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tool);
        Use(c.tool);
        Drag({{30, 30}, {33, 33}, {60, 60}});
        ASSERT_NE(Object(), nullptr);
        EXPECT_FALSE(Mouse().RightClick(100, 100).has_value());
        const std::optional<MenuEntry> menu = Mouse().RightClick(45, 45);
        ASSERT_TRUE(menu.has_value());
        EXPECT_EQ(Texts(*menu), c.entries);
        RemoveActiveObject(Layer());
    }
}

} // namespace
} // namespace pictoform
