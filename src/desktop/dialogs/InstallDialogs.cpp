#include "dialogs/InstallDialogs.h"

#include <QPointer>
#include <QWidget>

#include "dialogs/ColourDialogs.h"
#include "dialogs/FormatDialogs.h"
#include "dialogs/ObjectDialogs.h"
#include "dialogs/SystemIconsDialog.h"
#include "editor/Workspace.h"
#include "sysicons/CursorTheme.h"

namespace pictoform {

void InstallDialogRunners(Workspace& workspace, QWidget* parent) {
    const QPointer<QWidget> owner(parent);
    DialogRunners& runners = workspace.Dialogs();
    runners.addText = [owner](CTextInputDialog& model) { return RunTextInputDialog(owner, model); };
    runners.subdivide = [owner](CSubdivideDialog& model) {
        return RunSubdivideDialog(owner, model);
    };
    runners.shadowOptions = [owner](CDSOPTDialog& model) {
        return RunShadowOptionsDialog(owner, model);
    };
    runners.newFormat = [owner](CNewFmtDialog& model) { return RunNewFormatDialog(owner, model); };
    runners.filter = [owner](FilterDialogModel& model) { return RunFilterDialog(owner, model); };
    runners.adjustColor = [owner](AdjustColorModel& model) {
        return RunAdjustColorDialog(owner, model);
    };
    runners.pictureSizes = [owner](CPictureSizeDialog& model) {
        return RunPictureSizeDialog(owner, model);
    };
    runners.frameTime = [owner](CFrameTimeDialog& model) {
        return RunFrameTimeDialog(owner, model);
    };
    runners.systemIcons = SystemIconsRunner(workspace, parent);
    runners.cursorTheme = [&workspace](const std::string& folder) {
        InstallCursorThemeFromFolder(folder, ProcessEnvironment(), workspace.Ui());
    };
}

} // namespace pictoform
