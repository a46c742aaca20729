#include "panels/ToolDialog.h"

#include <algorithm>

namespace pictoform {

namespace {

constexpr std::array<ToolButtonInfo, kToolButtonCount> kButtons = {{
    {"Selection", 1009, "sel", 138, 0, "", kToolSelection},
    {"Pencil", 1002, "pen", 137, 130, "pen style", kToolPencilRound},
    {"Line", 1003, "line", 139, 0, "", kToolLine},
    {"Rectangle Frame", 1004, "rect", 141, 0, "", kToolRectangleFrame},
    {"Rectangle", 1005, "frect", 142, 0, "", kToolRectangle},
    {"Ellipse", 1007, "fellip", 144, 0, "", kToolEllipse},
    {"Color Picker", 1010, "cpick", 145, 0, "", kToolColorPicker},
    {"Eraser", 1011, "rub", 146, 155, "rubber_shape", kToolEraserSquare},
    {"Text", 1013, "text", 147, 0, "", kToolText},
    {"Flood Fill", 1014, "fill", 148, 0, "", kToolFloodFill},
    {"Predesigned Mask", 1015, "symb", 149, 0, "", kToolMask},
    {"Triangle", 1016, "tri", 150, 0, "", kToolTriangle},
}};

struct MenuItem {
    const char* text;
    int command;
    ToolCode code;
};

// The menus in the order of their resources.
constexpr std::array<MenuItem, 4> kPencilMenu = {{
    {"R&ound", CToolDialog::kPencilRoundCommand, kToolPencilRound},
    {"&Left Diagonal", CToolDialog::kPencilLeftDiagonalCommand, kToolPencilLeftDiagonal},
    {"&Right Diagonal", CToolDialog::kPencilRightDiagonalCommand, kToolPencilRightDiagonal},
    {"&Square", CToolDialog::kPencilSquareCommand, kToolPencilSquare},
}};
constexpr std::array<MenuItem, 2> kEraserMenu = {{
    {"&Square", CToolDialog::kEraserSquareCommand, kToolEraserSquare},
    {"&Round", CToolDialog::kEraserRoundCommand, kToolEraserRound},
}};

size_t IndexOf(ToolButton button) {
    return static_cast<size_t>(std::clamp(static_cast<int>(button), 0, kToolButtonCount - 1));
}

constexpr PixelColor kOutline{49, 106, 197, 255};
constexpr PixelColor kCurrentFill{169, 185, 208, 255};
constexpr PixelColor kHotFill{204, 212, 225, 255};
constexpr PixelColor kBlack{0, 0, 0, 255};

void FillRect(CLayerImage& image, int x0, int y0, int x1, int y1, const PixelColor& colour) {
    for (int y = std::max(y0, 0); y < std::min(y1, image.Height()); ++y) {
        for (int x = std::max(x0, 0); x < std::min(x1, image.Width()); ++x)
            image.SetBlock(x, y, colour, 1);
    }
}

} // namespace

const ToolButtonInfo& ToolButtonInfoOf(ToolButton button) {
    return kButtons[IndexOf(button)];
}

CToolDialog::CToolDialog(std::vector<MaskEntry> masks) : m_masks(std::move(masks)) {
    for (size_t i = 0; i < kButtons.size(); ++i) m_codes[i] = kButtons[i].initialCode;
    if (!m_masks.empty()) m_maskSelection = 0;
}

CToolDialog::CToolDialog(const AppPaths& paths) : CToolDialog(ListMaskLibrary(paths)) {}

ToolCode CToolDialog::ButtonCode(ToolButton button) const {
    return m_codes[IndexOf(button)];
}

void CToolDialog::SwapTools() {
    // The current tool is never left unset: the view would fall back to the
    // selection tool with no button showing it.
    if (!m_previous) return;
    std::swap(m_current, *m_previous);
    Changed();
}

void CToolDialog::MakeCurrent(ToolButton button) {
    // Pressing the current button again is no change; remembering it as its
    // own predecessor would lose the tool the view returns to.
    if (button != m_current) {
        m_previous = m_current;
        m_current = button;
    }
    Changed();
}

void CToolDialog::LeftButtonDown(ToolButton button) {
    MakeCurrent(button);
}

bool CToolDialog::RightButtonDown(ToolButton button) {
    MakeCurrent(button);
    return ToolButtonInfoOf(button).menuResource != 0;
}

void CToolDialog::MouseMove(ToolButton button) {
    if (m_hot == button) return;
    m_hot = button;
    Changed();
}

void CToolDialog::MouseLeave(ToolButton button) {
    if (m_hot != button) return;
    m_hot.reset();
    Changed();
}

ButtonLook CToolDialog::Look(ToolButton button) const {
    if (button == m_current) return ButtonLook::Current;
    if (button == m_hot) return ButtonLook::Hot;
    return ButtonLook::Plain;
}

std::vector<ToolMenuEntry> CToolDialog::MenuEntries(ToolButton button) const {
    std::vector<ToolMenuEntry> entries;
    const ToolCode active = ButtonCode(button);
    auto add = [&](const auto& menu) {
        for (const MenuItem& item : menu)
            entries.push_back({item.text, item.command, item.code, item.code == active});
    };
    if (button == ToolButton::Pencil) add(kPencilMenu);
    if (button == ToolButton::Eraser) add(kEraserMenu);
    return entries;
}

bool CToolDialog::OnCommand(int command) {
    auto choose = [&](ToolButton button, const auto& menu) {
        for (const MenuItem& item : menu) {
            if (item.command != command) continue;
            m_codes[IndexOf(button)] = item.code;
            MakeCurrent(button);
            return true;
        }
        return false;
    };
    return choose(ToolButton::Pencil, kPencilMenu) || choose(ToolButton::Eraser, kEraserMenu);
}

// Follows the current tool, whichever way it became current (a click, a
// menu, the view swapping back), so the lists always fit the tool in use.
bool CToolDialog::WidthListEnabled() const {
    const ToolCode code = GetCurrentTool();
    switch (ToolOf(code)) {
    case ToolOf(kToolPencilRound):
        return code != kToolPencilSquare;
    case ToolOf(kToolLine):
    case ToolOf(kToolEraserRound):
        return true;
    default:
        return code == kToolRectangleFrame;
    }
}

bool CToolDialog::MaskListEnabled() const {
    return GetCurrentTool() == kToolMask;
}

std::vector<std::string> CToolDialog::WidthItems() {
    std::vector<std::string> items;
    for (int w = 1; w <= kMaxPenWidth; ++w) items.push_back(std::to_string(w));
    return items;
}

void CToolDialog::ChooseWidth(int index) {
    if (index < 0 || index >= kMaxPenWidth) return;
    m_penWidth = index + 1;
    Changed();
}

void CToolDialog::ChooseMask(int index) {
    if (index < 0 || static_cast<size_t>(index) >= m_masks.size()) return;
    m_maskSelection = index;
    Changed();
}

std::string CToolDialog::GetMaskPath() const {
    if (m_maskSelection < 0) return {};
    return m_masks[static_cast<size_t>(m_maskSelection)].path;
}

IconPlace DrawToolButton(CLayerImage& image, int width, int height, ButtonLook look, bool hasMenu,
                         const PixelColor& background) {
    IconPlace icon{width / 2 - 16, height / 2 - 16};
    if (!image.Create(width, height)) return icon;
    if (look == ButtonLook::Plain) {
        FillRect(image, 0, 0, width, height, background);
    } else {
        FillRect(image, 0, 0, width, height, kOutline);
        FillRect(image, 1, 1, width - 1, height - 1,
                 look == ButtonLook::Current ? kCurrentFill : kHotFill);
        if (look == ButtonLook::Hot) icon = {icon.x - 1, icon.y - 1};
    }
    if (hasMenu) {
        for (int k = 1; k <= 4; ++k)
            FillRect(image, width - 6 + k, height - 1 - k, width - 5 + k, height - 1, kBlack);
    }
    return icon;
}

} // namespace pictoform
