#pragma once
// The format list panel's model: the icon set as a list of formats in icon
// order, the current format, the format commands, and what each item shows.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "icon/IconFormat.h"
#include "icon/ProjectFile.h"
#include "panels/LayerDialog.h"
#include "panels/NewFormatDialog.h"
#include "panels/PanelGeometry.h"
#include "panels/SameIconDialog.h"

namespace pictoform {

struct FormatItem {
    std::string label;
    std::unique_ptr<CIconFormat> format;
};

// One list item as the widget paints it, inside the item rectangle it was given.
struct FormatItemDrawing {
    PanelRect item;
    // Selected: a kSelectionOutline frame filled with kSelectionFill;
    // otherwise the list's background.
    bool selected = false;
    PanelRect pictureArea;
    // The format's final image, copied 1:1 or, when stretched, scaled into
    // pictureRect (which keeps its aspect ratio).
    const CLayerImage* picture = nullptr;
    PanelRect pictureRect;
    bool stretched = false;
    // Centred, in kFormatLabelFont at kFormatLabelPoints.
    std::string label;
    PanelRect labelRect;
};

inline constexpr const char* kFormatLabelFont = "Tahoma";
inline constexpr int kFormatLabelPoints = 7;
inline constexpr int kFormatLabelHeight = 17;
// A picture is copied 1:1 only when it fits with this much to spare each way.
inline constexpr int kFormatPictureMargin = 12;

// "48X48(WinXP)", "32X32(TrueColor)", "16X16(16 Color)".
[[nodiscard]] std::string FormatLabel(int width, int height, int32_t depth);

class CPreviewDialog {
public:
    // The layers panel must outlive this panel: the formats take their layers
    // back from it when this panel goes.
    CPreviewDialog(CLayerDialog& layers, CSameIconDialog& preview,
                   LayerAddedHook onLayerAdded = {});
    CPreviewDialog(const CPreviewDialog&) = delete;
    CPreviewDialog& operator=(const CPreviewDialog&) = delete;
    ~CPreviewDialog();

    // Called with the first layer of every format added.
    void SetLayerAddedHook(LayerAddedHook hook) { m_onLayerAdded = std::move(hook); }

    // Appends the format. The first format becomes current and is shown in
    // both panels; later ones leave the current format as it is. With copy,
    // the new format takes the current format's visible picture, scaled to
    // its size (flattened over white when it leaves 32 bits). False, with
    // nothing added, for a missing or unusable format.
    [[nodiscard]] bool AddFormat(std::unique_ptr<CIconFormat> format, bool copy);
    // New Format (copyCurrent) and New Blank Format, after the New Format
    // dialog's OK. False for a size or depth no format can have.
    [[nodiscard]] bool AddNewFormat(const FormatChoice& choice, bool copyCurrent);

    // The list's selection change: the item's format becomes current.
    [[nodiscard]] bool SelectItem(int index);
    // Destroys the selected format; never the last one.
    [[nodiscard]] bool DeleteFormat();
    // Move the selected format one place earlier or later; it stays current.
    [[nodiscard]] bool MoveUp();
    [[nodiscard]] bool MoveDown();
    // Destroys every format and forgets the current one (before an open).
    void RemoveAllFormats();

    // One record per format in list order, for CIconFile to write.
    [[nodiscard]] std::vector<IconImageRec> BuildSaveList();
    // Every format in list order with its layers, wherever they are held,
    // for a project file.
    [[nodiscard]] std::vector<ProjectFormatRef> ProjectRefs() const;

    [[nodiscard]] CIconFormat* CurrentFormat() const { return m_current; }
    [[nodiscard]] int SelectedIndex() const { return m_selected; }
    [[nodiscard]] int Count() const { return static_cast<int>(m_items.size()); }
    [[nodiscard]] const FormatItem& Item(int index) const {
        return m_items[static_cast<size_t>(index)];
    }

    [[nodiscard]] FormatItemDrawing DrawItem(int index, PanelRect itemRect) const;

private:
    void ShowCurrent();
    void CopyCurrentInto(CIconFormat& format, CIconLayer& first);

    CLayerDialog& m_layers;
    CSameIconDialog& m_preview;
    LayerAddedHook m_onLayerAdded;
    std::vector<FormatItem> m_items;
    CIconFormat* m_current = nullptr;
    int m_selected = -1;
};

} // namespace pictoform
