#pragma once
// The desktop's answers to the core's dialog runners.

class QWidget;

namespace pictoform {

class Workspace;

// Fills the workspace's dialog runners with the modal windows, parented to
// parent while it lives (and to no window after).
void InstallDialogRunners(Workspace& workspace, QWidget* parent);

} // namespace pictoform
