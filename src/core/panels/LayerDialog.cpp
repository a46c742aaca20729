#include "panels/LayerDialog.h"

#include <algorithm>
#include <cstddef>
#include <utility>

namespace pictoform {

namespace {

// The slider's scale: 1/255 as a float, a hair above so that a position
// read back from an opacity truncates to itself.
constexpr float kSliderStep = 0.003921569f;

std::string PercentText(int position) {
    return std::to_string(position * 100 / 255) + "%";
}

} // namespace

CLayerDialog::CLayerDialog(UiServices& ui, LayerCounter& counter, LayerAddedHook onLayerAdded)
    : m_ui(ui), m_counter(counter), m_onLayerAdded(std::move(onLayerAdded)) {}

void CLayerDialog::ShowFormat(CIconFormat* format) {
    // Emptying the list must never drop layers that still belong to a format.
    HandBack();
    m_format = format;
    if (!format) return;
    std::vector<LayerEntry> entries = format->TakeLayers();
    m_items.reserve(entries.size());
    for (LayerEntry& entry : entries) {
        entry.layer->SetIndex(Count());
        m_items.push_back({entry.visible, false, std::move(entry.layer)});
    }
}

void CLayerDialog::HandBack() {
    if (m_format) {
        std::vector<LayerEntry> entries;
        entries.reserve(m_items.size());
        for (LayerItem& item : m_items) entries.push_back({std::move(item.layer), item.visible});
        m_format->ReturnLayers(std::move(entries));
    }
    m_items.clear();
    m_format = nullptr;
    m_current = -1;
}

CIconLayer* CLayerDialog::GetActiveLayer() const {
    for (const LayerItem& item : m_items) {
        if (item.active) return item.layer.get();
    }
    return nullptr;
}

const std::vector<CIconLayer*>& CLayerDialog::CollectVisibleLayers() {
    if (!m_format) return m_noLayers;
    std::vector<CIconLayer*> visible;
    for (const LayerItem& item : m_items) {
        if (item.visible) visible.push_back(item.layer.get());
    }
    m_format->SetVisibleLayers(std::move(visible));
    return m_format->VisibleLayers();
}

void CLayerDialog::SelectItem(int index) {
    if (!IsIndex(index)) return;
    for (LayerItem& item : m_items) item.active = false;
    LayerItem& item = m_items[static_cast<size_t>(index)];
    item.active = true;
    m_current = index;
    m_slider = static_cast<int>(item.layer->Opacity() * 255.0f);
    // The same percentage the slider shows while it moves, not the raw position.
    m_tooltip = PercentText(m_slider);
}

void CLayerDialog::ClickItem(int index, int x) {
    if (!IsIndex(index)) return;
    if (x < kColumnWidth) {
        LayerItem& item = m_items[static_cast<size_t>(index)];
        item.visible = !item.visible;
        Edited();
    } else {
        SelectItem(index);
    }
}

bool CLayerDialog::AddLayer() {
    if (!m_format || m_items.empty()) return false;
    // Every layer has its format's size; the shown format stands in when no
    // layer has been made active yet.
    const CIconLayer* active = GetActiveLayer();
    const int width = active ? active->Width() : m_format->Width();
    const int height = active ? active->Height() : m_format->Height();
    auto layer = std::make_unique<CIconLayer>(m_counter);
    if (!layer->Create(width, height)) return false;
    CIconLayer& added = *layer;
    m_items.push_back({false, false, std::move(layer)});
    if (m_onLayerAdded) m_onLayerAdded(added);
    Edited();
    return true;
}

bool CLayerDialog::DeleteLayer() {
    if (Count() <= 1 || !IsIndex(m_current)) return false;
    const size_t index = static_cast<size_t>(m_current);
    const std::string question = "Delete \"" + m_items[index].layer->Name() + "\" ?";
    if (m_ui.ShowMessage(question, "Delete", MessageIcon::Question, MessageButtons::YesNo) !=
        MessageAnswer::Yes) {
        return false;
    }
    m_items.erase(m_items.begin() + static_cast<std::ptrdiff_t>(index));
    m_current = -1;
    SelectItem(index == 0 ? 0 : static_cast<int>(index) - 1);
    // The format may still name the deleted layer among its visible ones.
    (void)CollectVisibleLayers();
    Edited();
    return true;
}

void CLayerDialog::SwapWithCurrent(int other) {
    std::swap(m_items[static_cast<size_t>(m_current)], m_items[static_cast<size_t>(other)]);
    SelectItem(other);
    Edited();
}

bool CLayerDialog::MoveUp() {
    if (!IsIndex(m_current) || m_current == 0) return false;
    SwapWithCurrent(m_current - 1);
    return true;
}

bool CLayerDialog::MoveDown() {
    if (!IsIndex(m_current) || m_current == Count() - 1) return false;
    SwapWithCurrent(m_current + 1);
    return true;
}

void CLayerDialog::MoveSlider(int position) {
    m_slider = std::clamp(position, 0, kSliderMax);
    m_tooltip = PercentText(m_slider);
    if (!IsIndex(m_current)) return;
    m_items[static_cast<size_t>(m_current)].layer->SetOpacity(static_cast<float>(m_slider) *
                                                              kSliderStep);
    Edited();
}

LayerItemDrawing CLayerDialog::DrawItem(int index, int width) const {
    LayerItemDrawing d;
    if (!IsIndex(index)) return d;
    const LayerItem& item = m_items[static_cast<size_t>(index)];
    const int top = index * kItemHeight;
    const int bottom = top + kItemHeight;
    d.item = {0, top, width, bottom};
    d.visibilityColumn = {0, top, kColumnWidth, bottom};
    d.activeColumn = {kColumnWidth, top, 2 * kColumnWidth, bottom};
    d.body = {2 * kColumnWidth, top, width, bottom};
    d.selected = index == m_current;

    const int centreX = kColumnWidth / 2;
    const int centreY = top + kItemHeight / 2;
    d.sunkenEdge = {centreX - 9, centreY - 10, centreX + 9, centreY + 10};
    d.visibilityIcon = item.visible ? LayerStateIcon::Visible : LayerStateIcon::Hidden;
    d.showActiveIcon = item.active;

    d.thumbnail = LayerThumbnail(*item.layer);
    const int thumbLeft = 2 * kColumnWidth + 5;
    d.thumbnailRect = {thumbLeft, top + 2, thumbLeft + kThumbnailSide, top + 2 + kThumbnailSide};

    d.name = item.layer->Name();
    if (Count() > 1 && index == 0) d.name += " (bottommost)";
    if (Count() > 1 && index == Count() - 1) d.name += " (topmost)";
    d.nameRect = {d.thumbnailRect.right, top, width, bottom};
    return d;
}

CLayerImage LayerThumbnail(const CIconLayer& layer) {
    CLayerImage thumbnail;
    const CLayerImage& working = layer.Working();
    if (working.IsNull() || !thumbnail.Create(working.Width() / 3, working.Height() / 3)) {
        return thumbnail;
    }
    CLayerImage::Downsample3x(working, nullptr, 0, thumbnail, false);
    thumbnail.FlattenOverWhite(false);
    return thumbnail;
}

} // namespace pictoform
