#pragma once
// A workspace with its view laid out at zoom 3 with the canvas at the
// window's corner, so that a window point is the canvas point of the same
// numbers; tools are picked by their codes and the mouse is driven in
// whole gestures.

#include <tuple>
#include <vector>

#include "editor/CommandFixture.h"
#include "editor/ViewMouse.h"
#include "support/BoxTextRasterizer.h"

namespace pictoform::test {

struct Pt {
    int x;
    int y;
};

// A colour as the screen shows it, with a fourth value where a file's
// transparency goes along.
struct Rgb {
    uint8_t r, g, b, a = 0;
    auto operator<=>(const Rgb&) const = default;
};

// The screen's colour at (x, y); its rows hold blue, green, red.
inline Rgb ScreenPixel(const CLayerImage& screen, int x, int y) {
    const uint8_t* p = screen.ColourBits() + static_cast<size_t>(y) * screen.Stride() + 3 * x;
    return {p[2], p[1], p[0]};
}

class MouseFixture : public CommandFixture {
protected:
    MouseFixture() { Show(); }

    // Resizes the window so that the current format shows at zoom 3 from (0, 0).
    void Show() {
        const CIconFormat& f = *workspace.CurrentFormat();
        view.Resize(3 * f.Width() + 1, 3 * f.Height() + 1);
        view.Paint();
        ASSERT_EQ(view.Geometry().zoom, 3);
        ASSERT_EQ(view.Geometry().originX, 0);
    }

    // Adds a format of this size and depth and edits it.
    void UseFormat(int width, int height, int32_t depth) {
        ASSERT_TRUE(workspace.FormatList().AddFormat(
            std::make_unique<CIconFormat>(3, width, height, depth, workspace.Layers()), false));
        ASSERT_TRUE(workspace.FormatList().SelectItem(workspace.FormatList().Count() - 1));
        Show();
    }

    // Picks a tool as the user does: the nibs from their button's menu, the
    // rest by their buttons. (Which command and button give which tool is
    // ToolDialogTest's.)
    void Use(ToolCode code, int width = 1) {
        CToolDialog& tools = workspace.Tools();
        for (int b = 0; b < kToolButtonCount; ++b) {
            const auto button = static_cast<ToolButton>(b);
            const std::vector<ToolMenuEntry> menu = tools.MenuEntries(button);
            for (const ToolMenuEntry& entry : menu)
                if (entry.code == code) tools.OnCommand(entry.command);
            if (menu.empty() && tools.ButtonCode(button) == code) tools.LeftButtonDown(button);
        }
        tools.ChooseWidth(width - 1);
        ASSERT_EQ(tools.GetCurrentTool(), code);
    }

    // Press at the first point, drag through the others with the left
    // button, release at the last; the view repaints after each, as the
    // desktop does.
    void Drag(const std::vector<Pt>& points) {
        Mouse().Press(points.front().x, points.front().y);
        view.Paint();
        for (size_t i = 1; i < points.size(); ++i) {
            Mouse().Move(points[i].x, points[i].y, mouse::kLeft);
            view.Paint();
        }
        Mouse().Release(points.back().x, points.back().y);
        view.Paint();
    }
    void Click(int x, int y) { Drag({{x, y}}); }
    void Hover(int x, int y) {
        Mouse().Move(x, y, 0);
        view.Paint();
    }

    CViewMouse& Mouse() { return view.Mouse(); }
    CIconFormat& Format() { return *workspace.CurrentFormat(); }
    CPattern* Object() { return Layer().ActiveObject(); }

    // The covered pixels of a picture as rows of '#' and '.', over a window
    // of it; `byAlpha` for the final image, where alpha tells what shows.
    static std::string Rows(const CLayerImage& image, int x0, int y0, int x1, int y1,
                            bool byAlpha = false) {
        std::string rows;
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x)
                rows +=
                    (byAlpha ? image.GetPixel(x, y).alpha != 0 : Covered(image, x, y)) ? '#' : '.';
            rows += '\n';
        }
        return rows;
    }
    static bool Covered(const CLayerImage& image, int x, int y) {
        return image.CoveragePlane()[static_cast<size_t>(y) * image.Width() + x] != 0;
    }
    // A picture's planes, to tell one state of it from another.
    static auto Planes(const CLayerImage& image) {
        const PixelExport e = image.ExportPixels();
        return std::tuple(e.colours, e.alpha, e.coverage);
    }
    // Paints the whole committed picture in one colour, as an earlier step
    // would have left it.
    void FillLayer(const PixelColor& colour) {
        CLayerImage& c = Layer().Committed();
        for (int y = 0; y < c.Height() / 3; ++y)
            for (int x = 0; x < c.Width() / 3; ++x) c.SetBlock(x, y, colour, 3);
        c.CopyTo(Layer().Working());
    }

    static constexpr PixelColor kRed{200, 10, 20, 255};

    BoxTextRasterizer boxes;
};

} // namespace pictoform::test
