#pragma once
// The layers panel's model: the layers of the format being edited, which of
// them are visible and which one painting goes to, the layer commands and the
// opacity slider, and what each list item shows.

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "icon/IconFormat.h"
#include "panels/PanelGeometry.h"
#include "platform/UiServices.h"

namespace pictoform {

// Called for every layer a panel brings into the program, so that its owner
// can give it what a new layer needs (its undo history).
using LayerAddedHook = std::function<void(CIconLayer&)>;

struct LayerItem {
    bool visible = false;
    bool active = false;
    std::unique_ptr<CIconLayer> layer;
};

enum class LayerStateIcon { Visible, Hidden };

// One list item as the widget paints it, in the list's pixels.
struct LayerItemDrawing {
    PanelRect item;
    // Always drawn as cells: button face, white top and left, kCellShadow
    // bottom and right.
    PanelRect visibilityColumn;
    PanelRect activeColumn;
    // Behind the thumbnail and the name: the selection frame when selected,
    // otherwise a cell.
    PanelRect body;
    bool selected = false;
    // A sunken edge around the column's centre, the state icon centred in the column.
    PanelRect sunkenEdge;
    LayerStateIcon visibilityIcon = LayerStateIcon::Hidden;
    bool showActiveIcon = false; // centred in the active column
    // The layer at icon size, flattened over white, stretched into thumbnailRect.
    CLayerImage thumbnail;
    PanelRect thumbnailRect;
    // Centred on one line.
    std::string name;
    PanelRect nameRect;
};

inline constexpr DisplayColor kCellShadow{157, 157, 167};

class CLayerDialog {
public:
    static constexpr int kItemHeight = 36;
    static constexpr int kColumnWidth = 30;
    static constexpr int kThumbnailSide = 32;
    static constexpr int kSliderMax = 255;

    CLayerDialog(UiServices& ui, LayerCounter& counter, LayerAddedHook onLayerAdded = {});
    CLayerDialog(const CLayerDialog&) = delete;
    CLayerDialog& operator=(const CLayerDialog&) = delete;
    // The items' layers go with the panel; a format still shown must have had
    // them handed back before (the format list does that when it goes).
    ~CLayerDialog() = default;

    void SetLayerAddedHook(LayerAddedHook hook) { m_onLayerAdded = std::move(hook); }
    // After every change that the saved file would show (a layer added,
    // deleted, moved, shown or hidden, its opacity), so that the document
    // knows it has unsaved work.
    void SetEditedHook(std::function<void()> hook) { m_edited = std::move(hook); }

    // Moves the format's layers into the list, bottom first, marking the
    // visible ones; no item is active yet. Layers of a format still shown are
    // handed back first. Null only empties the list.
    void ShowFormat(CIconFormat* format);
    // Gives the shown format its layers back, in list order, the marked ones
    // visible, and forgets it.
    void HandBack();
    [[nodiscard]] CIconFormat* ShownFormat() const { return m_format; }
    // The one counter that new layers, in any format, are named from.
    [[nodiscard]] LayerCounter& Counter() const { return m_counter; }

    [[nodiscard]] CIconLayer* GetActiveLayer() const;
    // Names the marked layers, bottom first, as the shown format's visible
    // layers and returns them (empty with no format shown).
    const std::vector<CIconLayer*>& CollectVisibleLayers();

    [[nodiscard]] int Count() const { return static_cast<int>(m_items.size()); }
    [[nodiscard]] const LayerItem& Item(int index) const {
        return m_items[static_cast<size_t>(index)];
    }
    // The list's selection, which is always the active item; -1 for none.
    [[nodiscard]] int CurrentIndex() const { return m_current; }

    // The list's selection operation: the item becomes the active one and the
    // slider shows its opacity.
    void SelectItem(int index);
    // A click at x (list pixels) on an item: left of the visibility column's
    // right edge it toggles the visible mark, elsewhere it selects the item.
    void ClickItem(int index, int x);

    // A new layer of the shown format's size on top, neither visible nor active.
    [[nodiscard]] bool AddLayer();
    // Asks first; refused silently for the last layer or with nothing selected.
    [[nodiscard]] bool DeleteLayer();
    [[nodiscard]] bool MoveUp();
    [[nodiscard]] bool MoveDown();

    // The slider moved to position (0 to 255): the current layer's opacity.
    void MoveSlider(int position);
    [[nodiscard]] int SliderPosition() const { return m_slider; }
    [[nodiscard]] const std::string& SliderTooltip() const { return m_tooltip; }

    // The item at index drawn in a list width pixels wide.
    [[nodiscard]] LayerItemDrawing DrawItem(int index, int width) const;

private:
    [[nodiscard]] bool IsIndex(int index) const { return index >= 0 && index < Count(); }
    void SwapWithCurrent(int other);
    void Edited() const {
        if (m_edited) m_edited();
    }

    UiServices& m_ui;
    LayerCounter& m_counter;
    LayerAddedHook m_onLayerAdded;
    std::function<void()> m_edited;
    CIconFormat* m_format = nullptr;
    std::vector<LayerItem> m_items;
    int m_current = -1;
    int m_slider = 0;
    std::string m_tooltip = "opacity";
    std::vector<CIconLayer*> m_noLayers;
};

// The layer's working picture reduced to icon size and flattened over white,
// as its list item shows it.
[[nodiscard]] CLayerImage LayerThumbnail(const CIconLayer& layer);

} // namespace pictoform
