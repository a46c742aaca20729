#pragma once
// The drawing-tools panel without its window: which tool is current (and
// which was before it), the pencil's and eraser's shapes with their pop-up
// menus, the pen width list and the mask list, and the look of a tool button.
// The widget forwards presses, menu commands and list choices, and paints
// what the model says.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "image/LayerImage.h"
#include "image/PixelColor.h"
#include "panels/MaskLibrary.h"
#include "platform/AppPaths.h"

namespace pictoform {

// The tool in the high byte, its variant in the low byte. The editing view
// switches on the same values.
using ToolCode = uint16_t;
inline constexpr ToolCode kToolSelection = 0x000;
inline constexpr ToolCode kToolPencilRound = 0x101;
inline constexpr ToolCode kToolPencilSquare = 0x102;
inline constexpr ToolCode kToolPencilRightDiagonal = 0x103;
inline constexpr ToolCode kToolPencilLeftDiagonal = 0x104;
inline constexpr ToolCode kToolLine = 0x300;
inline constexpr ToolCode kToolEllipse = 0x600;
inline constexpr ToolCode kToolRectangleFrame = 0x700;
inline constexpr ToolCode kToolRectangle = 0x701;
inline constexpr ToolCode kToolColorPicker = 0x900;
inline constexpr ToolCode kToolEraserRound = 0xa00;
inline constexpr ToolCode kToolEraserSquare = 0xa01;
inline constexpr ToolCode kToolText = 0xb00;
inline constexpr ToolCode kToolTriangle = 0xc00;
inline constexpr ToolCode kToolFloodFill = 0xd00;
inline constexpr ToolCode kToolMask = 0xf00;

// The tool without its variant: kToolPencilSquare and kToolPencilRound are
// both 0x1.
constexpr int ToolOf(ToolCode code) {
    return code >> 8;
}

// The panel's buttons, in the order the panel shows them.
enum class ToolButton : int {
    Selection,
    Pencil,
    Line,
    RectangleFrame,
    Rectangle,
    Ellipse,
    ColorPicker,
    Eraser,
    Text,
    FloodFill,
    Mask,
    Triangle,
};
inline constexpr int kToolButtonCount = 12;

struct ToolButtonInfo {
    const char* tooltip;
    int controlId;
    const char* label; // the text of the button in the dialog template
    int iconResource;
    int menuResource; // 0: no pop-up menu
    const char* menuName;
    ToolCode initialCode;
};
[[nodiscard]] const ToolButtonInfo& ToolButtonInfoOf(ToolButton button);

// One entry of a button's pop-up menu as the widget shows it.
struct ToolMenuEntry {
    std::string text; // with its '&' accelerator mark
    int command = 0;
    ToolCode code = 0;
    bool checked = false;
};

enum class ButtonLook { Plain, Hot, Current };

class CToolDialog {
public:
    static constexpr int kWidthListId = 1018;
    static constexpr int kMaskListId = 1019;
    static constexpr int kMaxPenWidth = 8;
    static constexpr int kTooltipDelayMs = 300;
    // Pop-up menu commands.
    static constexpr int kPencilRoundCommand = 32779;
    static constexpr int kPencilSquareCommand = 151;
    static constexpr int kPencilLeftDiagonalCommand = 32783;
    static constexpr int kPencilRightDiagonalCommand = 32784;
    static constexpr int kEraserRoundCommand = 32845;
    static constexpr int kEraserSquareCommand = 32846;

    // The mask list holds the library as given, its first entry selected.
    explicit CToolDialog(std::vector<MaskEntry> masks);
    // The library of the program's mask folder.
    explicit CToolDialog(const AppPaths& paths);

    // Called after anything the panel shows has changed (the widget repaints),
    // also when the view swaps tools.
    void SetChangeListener(std::function<void()> listener) { m_onChange = std::move(listener); }

    // The code of the current tool's button.
    [[nodiscard]] ToolCode GetCurrentTool() const { return ButtonCode(m_current); }
    [[nodiscard]] ToolButton CurrentButton() const { return m_current; }
    [[nodiscard]] std::optional<ToolButton> PreviousButton() const { return m_previous; }
    [[nodiscard]] ToolCode ButtonCode(ToolButton button) const;
    // Current and previous tool change places: the view returns to the tool
    // it had before a temporary switch. Without a previous tool nothing happens.
    void SwapTools();

    // Mouse on a tool button. A press makes the button current (the tool
    // current until then becomes the previous one).
    void LeftButtonDown(ToolButton button);
    // The same as the left button; true when the button has a pop-up menu,
    // which the widget then opens at the button (MenuEntries).
    bool RightButtonDown(ToolButton button);
    // From a mouse move over a button until the mouse leaves it.
    void MouseMove(ToolButton button);
    void MouseLeave(ToolButton button);
    [[nodiscard]] ButtonLook Look(ToolButton button) const;

    // The button's pop-up menu, the active shape checked; empty for a button
    // without one.
    [[nodiscard]] std::vector<ToolMenuEntry> MenuEntries(ToolButton button) const;
    // A pop-up menu command; false for a command that is not the panel's.
    bool OnCommand(int command);

    // Which lists the current tool uses.
    [[nodiscard]] bool WidthListEnabled() const;
    [[nodiscard]] bool MaskListEnabled() const;

    // The width list: "1" to "8", the selected item is the pen width - 1.
    [[nodiscard]] static std::vector<std::string> WidthItems();
    [[nodiscard]] int WidthSelection() const { return m_penWidth - 1; }
    void ChooseWidth(int index);
    // 1 to 8 pixels; read by the view for Pencil, Line, Rectangle Frame and Eraser.
    [[nodiscard]] int PenWidth() const { return m_penWidth; }

    [[nodiscard]] const std::vector<MaskEntry>& Masks() const { return m_masks; }
    // -1 when the list is empty.
    [[nodiscard]] int MaskSelection() const { return m_maskSelection; }
    void ChooseMask(int index);
    // The selected mask's full path; empty when the list is.
    [[nodiscard]] std::string GetMaskPath() const;

private:
    void MakeCurrent(ToolButton button);
    void Changed() const {
        if (m_onChange) m_onChange();
    }

    std::array<ToolCode, kToolButtonCount> m_codes{};
    ToolButton m_current = ToolButton::Selection;
    std::optional<ToolButton> m_previous;
    std::optional<ToolButton> m_hot;
    int m_penWidth = 1;
    std::vector<MaskEntry> m_masks;
    int m_maskSelection = -1;
    std::function<void()> m_onChange;
};

// Where a button's 32 x 32 icon goes.
struct IconPlace {
    int x = 0;
    int y = 0;
};

// Draws the face of a tool button of width x height into image (re-created
// at that size): the current button outlined and filled in blue, a hot one
// outlined and lighter with its icon a pixel up and left, any other in the
// background colour; a button with a pop-up menu gets a small black
// triangle in its bottom-right corner. The widget draws the icon at the
// returned place.
IconPlace DrawToolButton(CLayerImage& image, int width, int height, ButtonLook look, bool hasMenu,
                         const PixelColor& background);

} // namespace pictoform
