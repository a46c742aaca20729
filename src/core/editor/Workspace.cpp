#include "editor/Workspace.h"

#include "editor/Recovery.h"

namespace pictoform {

Workspace::Workspace(UiServices& ui, const AppPaths& paths)
    : m_ui(ui), m_paths(paths), m_preview(std::make_unique<CSameIconDialog>()),
      m_colours(std::make_unique<CAdvColorDialog>(ui, paths)),
      m_tools(std::make_unique<CToolDialog>(paths)),
      m_layers(std::make_unique<CLayerDialog>(ui, m_layerCounter)),
      m_formatList(std::make_unique<CPreviewDialog>(*m_layers, *m_preview)) {
    auto added = [this](CIconLayer& layer) { LayerAdded(layer); };
    m_layers->SetLayerAddedHook(added);
    m_formatList->SetLayerAddedHook(added);
}

Workspace::~Workspace() = default;

bool Workspace::StartHistory() {
    std::string error;
    // Runs that died (a crash, a kill) left their folders; live ones hold a lock.
    RemoveDeadRunFolders(m_paths.HistoryRoot());
    if (!m_historyDir.Create(m_paths.HistoryRoot(), error)) {
        m_ui.ShowMessage(error + "\nUndo is not available in this session.", "Error",
                         MessageIcon::Error, MessageButtons::Ok);
        return false;
    }
    m_historyStore = std::make_unique<HistoryStore>(m_historyDir.Path(), m_ui);
    return true;
}

void Workspace::LayerAdded(CIconLayer& layer) {
    if (m_historyStore) (void)layer.CreateHistory(*m_historyStore);
}

} // namespace pictoform
