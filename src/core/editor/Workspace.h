#pragma once
// Everything the program has once: the five panels, the pen (in the colour
// panel), the layer counter, the drop shadow, the loaded hot spot, the New
// Format dialog's remembered choices and this run's undo history folder. The
// application makes one; a test makes a fresh one. Components borrow what
// they need from it; nothing here is a global.

#include <memory>
#include <string>

#include "colour/DropShadow.h"
#include "editor/DialogRunners.h"
#include "editor/PictureImport.h"
#include "editor/RunHistoryDir.h"
#include "history/HistoryFile.h"
#include "icon/IconFile.h"
#include "icon/IconLayer.h"
#include "panels/AdvColorDialog.h"
#include "panels/LayerDialog.h"
#include "panels/NewFormatDialog.h"
#include "panels/PreviewDialog.h"
#include "panels/SameIconDialog.h"
#include "panels/ToolDialog.h"
#include "platform/AppPaths.h"
#include "platform/Clipboard.h"
#include "platform/TextRasterizer.h"
#include "platform/UiServices.h"

namespace pictoform {

class Workspace {
public:
    Workspace(UiServices& ui, const AppPaths& paths);
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;
    ~Workspace();

    // Makes this run's history folder under the paths' history root. Without
    // it nothing can be undone; the user is told once, and editing goes on.
    [[nodiscard]] bool StartHistory();
    // Null when StartHistory has not succeeded.
    [[nodiscard]] HistoryStore* History() { return m_historyStore.get(); }
    [[nodiscard]] const std::string& HistoryDir() const { return m_historyDir.Path(); }

    [[nodiscard]] UiServices& Ui() { return m_ui; }
    [[nodiscard]] const AppPaths& Paths() const { return m_paths; }
    [[nodiscard]] LayerCounter& Layers() { return m_layerCounter; }
    [[nodiscard]] HotSpot& LoadedHotSpot() { return m_loadedHotSpot; }
    [[nodiscard]] ShadowSettings& Shadow() { return m_shadow; }
    [[nodiscard]] NewFormatMemory& NewFormatChoices() { return m_newFormat; }
    // The font of the "Add Text" dialog and the text tool, one for the run.
    [[nodiscard]] FontDescription& TextFont() { return m_textFont; }
    [[nodiscard]] DialogRunners& Dialogs() { return m_dialogs; }

    // The desktop's text drawing and clipboard; null until the application
    // (or a test) gives them. Text and the outside clipboard need them.
    [[nodiscard]] const TextRasterizer* Text() const { return m_text; }
    void SetText(const TextRasterizer* text) { m_text = text; }
    // The desktop's picture reader; PNG files only until one is set.
    [[nodiscard]] PictureReader& Pictures() { return m_pictures ? *m_pictures : m_pngPictures; }
    void SetPictures(PictureReader* pictures) { m_pictures = pictures; }
    [[nodiscard]] Clipboard* SystemClipboard() const { return m_clipboard; }
    void SetClipboard(Clipboard* clipboard) { m_clipboard = clipboard; }

    [[nodiscard]] CToolDialog& Tools() { return *m_tools; }
    [[nodiscard]] CAdvColorDialog& Colours() { return *m_colours; }
    [[nodiscard]] CLayerDialog& LayerPanel() { return *m_layers; }
    [[nodiscard]] CSameIconDialog& Preview() { return *m_preview; }
    [[nodiscard]] CPreviewDialog& FormatList() { return *m_formatList; }
    [[nodiscard]] const CPreviewDialog& FormatList() const { return *m_formatList; }

    // The format being edited and the layer painting goes to (either may be null).
    [[nodiscard]] CIconFormat* CurrentFormat() const { return m_formatList->CurrentFormat(); }
    [[nodiscard]] CIconLayer* CurrentLayer() const { return m_layers->GetActiveLayer(); }

private:
    // Every layer the panels add starts its undo history here.
    void LayerAdded(CIconLayer& layer);

    UiServices& m_ui;
    const AppPaths& m_paths;
    // Before everything that holds layers: their history files are deleted
    // with them, and only then can the folder go.
    RunHistoryDir m_historyDir;
    std::unique_ptr<HistoryStore> m_historyStore;
    LayerCounter m_layerCounter;
    HotSpot m_loadedHotSpot;
    ShadowSettings m_shadow;
    NewFormatMemory m_newFormat;
    FontDescription m_textFont;
    DialogRunners m_dialogs;
    const TextRasterizer* m_text = nullptr;
    Clipboard* m_clipboard = nullptr;
    PictureReader* m_pictures = nullptr;
    PngPictureReader m_pngPictures;
    std::unique_ptr<CSameIconDialog> m_preview;
    std::unique_ptr<CAdvColorDialog> m_colours;
    std::unique_ptr<CToolDialog> m_tools;
    std::unique_ptr<CLayerDialog> m_layers;
    // Last, so that it goes first: it takes its formats' layers back from
    // the layers panel as it goes.
    std::unique_ptr<CPreviewDialog> m_formatList;
};

} // namespace pictoform
