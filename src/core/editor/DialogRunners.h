#pragma once
// The dialogs that a command or tool opens in the middle of its work and
// whose rules live in the core as models. The desktop shows each model in a
// window and returns true for OK; a test fills the model and answers. A
// runner that is not set counts as Cancel.

#include <functional>
#include <string>

namespace pictoform {

class CTextInputDialog;
class CSubdivideDialog;
class CDSOPTDialog;
class CNewFmtDialog;
class FilterDialogModel;
class AdjustColorModel;
class CPictureSizeDialog;
class CFrameTimeDialog;

struct DialogRunners {
    std::function<bool(CTextInputDialog&)> addText;
    std::function<bool(CSubdivideDialog&)> subdivide;
    std::function<bool(CDSOPTDialog&)> shadowOptions;
    std::function<bool(CNewFmtDialog&)> newFormat;
    std::function<bool(FilterDialogModel&)> filter;
    std::function<bool(AdjustColorModel&)> adjustColor;
    std::function<bool(CPictureSizeDialog&)> pictureSizes;
    std::function<bool(CFrameTimeDialog&)> frameTime;
    // "Change System Icons"; modal, nothing comes back.
    std::function<void()> systemIcons;
    // "Install as Cursor Theme" on the folder of Windows cursors the open
    // cursor is in; it tells the user what it did.
    std::function<void(const std::string& folder)> cursorTheme;
};

// Runs the dialog when its runner is set; false (Cancel) otherwise.
template <typename Model> bool RunDialog(const std::function<bool(Model&)>& runner, Model& model) {
    return runner ? runner(model) : false;
}

} // namespace pictoform
