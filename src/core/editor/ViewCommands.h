#pragma once
// The commands of the editing view by their numeric ids (MenuModel.h), and
// what the desktop shows of each before a menu or toolbar appears.
//
// After Run the desktop repaints the view and the layers panel. The filter
// and "Adjust color" runners apply their model (Accept) when the user
// presses OK; the command then records the result for undo.

#include <string>

#include "editor/MenuModel.h"
#include "image/LayerImage.h"

namespace pictoform {

class CPictoformView;
class CIconFormat;
class CIconLayer;
class CPattern;

struct CommandUpdate {
    bool enabled = true;
    bool checked = false;
    // Empty: the menu's own text stays.
    std::string text;
};

class CViewCommands {
public:
    explicit CViewCommands(CPictoformView& view);
    CViewCommands(const CViewCommands&) = delete;
    CViewCommands& operator=(const CViewCommands&) = delete;
    ~CViewCommands();

    // Runs a command of the view (edit, magic, system, undo and redo, the
    // file commands and the format list's); false for an id that is not one.
    bool Run(int id);
    [[nodiscard]] CommandUpdate Update(int id) const;

    // Forgets the picture of the last Copy or Cut; opening a file calls it.
    void DiscardCopyBuffer() { m_copyBuffer = CLayerImage(); }
    // The tripled picture of the last Copy or Cut; IsNull when there is none.
    [[nodiscard]] const CLayerImage& CopyBuffer() const { return m_copyBuffer; }

private:
    bool Dispatch(int id);
    [[nodiscard]] CIconLayer* Layer() const;
    [[nodiscard]] CPattern* ActiveObject() const;

    void Cancel();
    void SelectAll();
    void Copy();
    void Cut();
    void Paste();
    // An outside picture from the clipboard, tripled and opaque; false for none.
    [[nodiscard]] bool TakeOutsidePicture(CLayerImage& tripled) const;
    void Remove();
    void Deselect();
    void RunFilter(int id);
    void ShadowOption();
    void Morph();
    void Flip(bool vertical);
    void UndoRedo(bool redo);
    void ChangeFormatOrder(int id);
    void ExportFormatPng();
    // Makes the open cursor's folder (a Windows cursor set) one of the
    // user's cursor themes, once its changes are saved.
    void InstallCursorTheme();
    void NewFormat(bool copyCurrent);

    CPictoformView& m_view;
    // The command asked and the user said no, or it had nothing to do:
    // nothing changed.
    bool m_declined = false;
    CLayerImage m_copyBuffer;
};

} // namespace pictoform
