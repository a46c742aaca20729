#pragma once
// The menus and the toolbar as data: command ids, texts (with their '&'
// mnemonics and "\t" shortcut parts), separators and submenus. The desktop
// builds its menus from these; the view's object menu is the Magic menu with
// the entries that do not fit the object taken out.

#include <string>
#include <vector>

namespace pictoform {

namespace command {
// File and help (the shell).
inline constexpr int kNew = 57600;
inline constexpr int kOpen = 57601;
inline constexpr int kSave = 57603;
inline constexpr int kSaveAs = 57604;
inline constexpr int kRecentFile = 57616;
inline constexpr int kExit = 57665;
inline constexpr int kAbout = 57664;
inline constexpr int kHelpContent = 57667;
inline constexpr int kContactUs = 32906;
inline constexpr int kHomepage = 32908;
// Panes and the bars' customisation.
inline constexpr int kShowTools = 32771;
inline constexpr int kShowColour = 32772;
inline constexpr int kShowLayers = 32773;
inline constexpr int kShowFormatList = 32830;
inline constexpr int kShowPreview = 32831;
inline constexpr int kCustomize = 35001;
// Edit.
inline constexpr int kUndo = 57643;
inline constexpr int kRedo = 57644;
inline constexpr int kCut = 57635;
inline constexpr int kCopy = 57634;
inline constexpr int kPaste = 57637;
inline constexpr int kCancel = 32775;
inline constexpr int kSelectAll = 57642;
inline constexpr int kSetHotspot = 32894;
// Magic.
inline constexpr int kGradientVertex = 32788;
inline constexpr int kGradientLinear = 32786;
inline constexpr int kGradientRadial = 32787;
inline constexpr int kGradientRectangle = 32844;
inline constexpr int kBrighten = 32852;
inline constexpr int kContrast = 32853;
inline constexpr int kInvert = 32854;
inline constexpr int kGrayscale = 32855;
inline constexpr int kSaturation = 32857;
inline constexpr int kAdjustColor = 32866;
inline constexpr int kShadowEnabled = 32903;
inline constexpr int kShadowOption = 32904;
inline constexpr int kMorph = 32847;
inline constexpr int kFlipVertical = 32878;
inline constexpr int kFlipHorizontal = 32879;
inline constexpr int kRemove = 32789;
inline constexpr int kDeselect = 32842;
// System.
inline constexpr int kReplaceSysIcons = 32793;
inline constexpr int kInstallCursorTheme = 32960;
// The format list's commands.
inline constexpr int kNewFormat = 32835;
inline constexpr int kNewBlankFormat = 32880;
inline constexpr int kDeleteFormat = 32834;
inline constexpr int kFormatUp = 32897;
inline constexpr int kFormatDown = 32898;
// Checked while the selected 32-bit format is saved PNG-compressed.
inline constexpr int kStoreAsPng = 32951;
// Writes the current format's picture as a PNG file.
inline constexpr int kExportPng = 32952;
// The canvas's zoom (the View menu).
inline constexpr int kZoomIn = 32953;
inline constexpr int kZoomOut = 32954;
inline constexpr int kZoomFit = 32955;
inline constexpr int kZoomActual = 32956;
// Pictures in: a new icon of several sizes, or one more format.
inline constexpr int kNewFromPicture = 32957;
inline constexpr int kImportPicture = 32958;
// How long the selected format shows as an animated cursor's frame.
inline constexpr int kFrameTime = 32959;
} // namespace command

struct MenuEntry {
    // 0 for a separator or a submenu.
    int id = 0;
    std::string text;
    std::vector<MenuEntry> submenu;

    [[nodiscard]] bool IsSeparator() const { return id == 0 && text.empty(); }
};

// "&File", "&Edit", "&Magic", "&System", "&Help" in order, each with its entries.
[[nodiscard]] const std::vector<MenuEntry>& MainMenu();
// The "&Magic" menu alone.
[[nodiscard]] const MenuEntry& MagicMenu();
// The toolbar "ToolBar": command ids in order, 0 for a separator.
[[nodiscard]] const std::vector<int>& ToolBarCommands();

} // namespace pictoform
