#include "editor/MenuModel.h"

namespace pictoform {

namespace {

MenuEntry Separator() {
    return {};
}

MenuEntry Item(int id, const char* text) {
    return {id, text, {}};
}

MenuEntry Sub(const char* text, std::vector<MenuEntry> entries) {
    return {0, text, std::move(entries)};
}

std::vector<MenuEntry> BuildMainMenu() {
    using namespace command;
    return {
        Sub("&File", {Item(kNew, "&New\tCtrl+N"), Item(kOpen, "&Open...\tCtrl+O"),
                      Item(kSave, "&Save\tCtrl+S"), Item(kSaveAs, "Save &As..."), Separator(),
                      Item(kNewFromPicture, "New Icon from &Picture..."),
                      Item(kImportPicture, "&Import Picture as Format..."),
                      Item(kExportPng, "&Export Format as PNG..."), Separator(),
                      Item(kRecentFile, "Recent File"), Separator(), Item(kExit, "E&xit")}),
        Sub("&Edit", {Item(kUndo, "&Undo\tCtrl+Z"), Item(kRedo, "&Redo\tCtrl+Y"), Separator(),
                      Item(kCut, "Cu&t\tCtrl+X"), Item(kCopy, "&Copy\tCtrl+C"),
                      Item(kPaste, "&Paste\tCtrl+V"), Separator(), Item(kCancel, "C&ancel\tEsc"),
                      Item(kSelectAll, "Select All\tCtrl+A"), Item(kSetHotspot, "&Set Hotspot\t")}),
        Sub("&Magic",
            {Sub("&Gradient",
                 {Item(kGradientVertex, "Vertex"), Item(kGradientLinear, "Linear"),
                  Item(kGradientRadial, "Radial"), Item(kGradientRectangle, "Rectangle")}),
             Separator(),
             Sub("&Filter",
                 {Item(kBrighten, "&Brighten..."), Item(kContrast, "&Contrast..."),
                  Item(kInvert, "&Invert"), Item(kGrayscale, "&Grayscale"),
                  Item(kSaturation, "&Saturation..."), Item(kAdjustColor, "&Adjust color...")}),
             Separator(),
             Sub("&Drop Shadow",
                 {Item(kShadowEnabled, "&Enabled"), Item(kShadowOption, "&Shadow Option...")}),
             Item(kMorph, "&Morph..."), Separator(), Item(kFlipVertical, "Flip &Vertical"),
             Item(kFlipHorizontal, "Flip &Horizontal"), Separator(),
             Item(kRemove, "Re&move\tDelete"), Item(kDeselect, "De&select")}),
        Sub("&System", {Item(kReplaceSysIcons, "Replace Sys Icons..."),
                        Item(kInstallCursorTheme, "Install as Cursor Theme...")}),
        Sub("&Help", {Item(kHelpContent, "Con&tent"), Item(kContactUs, "&Contact Us"),
                      Item(kHomepage, "&Pictoform Homepage"), Separator(),
                      Item(kAbout, "&About Pictoform...")}),
    };
}

} // namespace

const std::vector<MenuEntry>& MainMenu() {
    static const std::vector<MenuEntry> menu = BuildMainMenu();
    return menu;
}

const MenuEntry& MagicMenu() {
    return MainMenu()[2];
}

const std::vector<int>& ToolBarCommands() {
    using namespace command;
    static const std::vector<int> bar = {kOpen,
                                         kSave,
                                         0,
                                         kCut,
                                         kCopy,
                                         kPaste,
                                         kUndo,
                                         kRedo,
                                         0,
                                         kGradientVertex,
                                         kGradientLinear,
                                         kGradientRadial,
                                         kGradientRectangle,
                                         0,
                                         kAbout};
    return bar;
}

} // namespace pictoform
