#include "panels/PreviewDialog.h"

#include <algorithm>
#include <cstddef>
#include <utility>

namespace pictoform {

std::string FormatLabel(int width, int height, int32_t depth) {
    std::string name;
    if (depth == kDepth32) {
        name = "WinXP";
    } else if (depth == kDepth24) {
        name = "TrueColor";
    } else {
        name = std::to_string(depth) + " Color";
    }
    return std::to_string(width) + "X" + std::to_string(height) + "(" + name + ")";
}

CPreviewDialog::CPreviewDialog(CLayerDialog& layers, CSameIconDialog& preview,
                               LayerAddedHook onLayerAdded)
    : m_layers(layers), m_preview(preview), m_onLayerAdded(std::move(onLayerAdded)) {}

CPreviewDialog::~CPreviewDialog() {
    m_layers.HandBack();
    m_preview.Show(nullptr);
}

bool CPreviewDialog::AddFormat(std::unique_ptr<CIconFormat> format, bool copy) {
    if (!format || !format->IsValid() || !format->FirstLayer()) return false;
    // Showing the format moves its layers out, so hold on to them now.
    CIconLayer& first = *format->FirstLayer();
    std::vector<CIconLayer*> layers;
    for (const auto& layer : format->Layers()) layers.push_back(layer.get());
    CIconFormat& added = *format;
    m_items.push_back(
        {FormatLabel(added.Width(), added.Height(), added.Depth()), std::move(format)});
    if (!m_current) {
        m_current = &added;
        m_selected = Count() - 1;
        ShowCurrent();
    } else if (copy) {
        CopyCurrentInto(added, first);
    }
    // Every layer a project brought starts its own undo history.
    if (m_onLayerAdded) {
        for (CIconLayer* layer : layers) m_onLayerAdded(*layer);
    }
    return true;
}

bool CPreviewDialog::AddNewFormat(const FormatChoice& choice, bool copyCurrent) {
    if (choice.width <= 0 || choice.height <= 0 || !IsValidDepthCode(choice.depth)) return false;
    LayerCounter& counter = m_layers.Counter();
    auto format = std::make_unique<CIconFormat>(500 / std::max(choice.width, choice.height),
                                                choice.width, choice.height, choice.depth, counter);
    if (m_current) format->TakeStorageFrom(*m_current);
    if (!AddFormat(std::move(format), copyCurrent)) return false;
    return true;
}

void CPreviewDialog::CopyCurrentInto(CIconFormat& format, CIconLayer& first) {
    CIconFormat& current = *m_current;
    const std::vector<CIconLayer*>& visible = m_layers.ShownFormat() == &current
                                                  ? m_layers.CollectVisibleLayers()
                                                  : current.VisibleLayers();
    CLayerImage& source = current.Composite();
    source.Fill(255, 0, 0);
    for (const CIconLayer* layer : visible) {
        CLayerImage::Composite(layer->Working(), source, false, 0, 0, layer->Opacity());
    }

    CLayerImage& committed = first.Committed();
    committed.ScaleFrom(source);
    // Below 32 bits there is no partial alpha: settle each pixel on white at
    // icon size first, so that the faint ones go rather than turn grey.
    if (current.Depth() == kDepth32 && format.Depth() != kDepth32) {
        CLayerImage::Downsample3x(committed, nullptr, 0, format.Final(), false);
        format.Final().FlattenOverWhite(true);
        committed.ScaleFrom(format.Final());
    }
    (void)committed.CopyTo(first.Working());
    format.ShowPicture(first.Working());
}

void CPreviewDialog::ShowCurrent() {
    m_layers.ShowFormat(m_current);
    // The format the user picks is painted on at once: its bottom layer
    // takes the paint until another is chosen, rather than nothing at all.
    m_layers.SelectItem(0);
    m_preview.Show(m_current);
}

bool CPreviewDialog::SelectItem(int index) {
    if (index < 0 || index >= Count()) return false;
    m_layers.HandBack();
    m_selected = index;
    m_current = m_items[static_cast<size_t>(index)].format.get();
    ShowCurrent();
    return true;
}

bool CPreviewDialog::DeleteFormat() {
    if (Count() < 2 || m_selected < 0 || m_selected >= Count()) return false;
    // The layers go back first so that they are destroyed with their format.
    m_layers.HandBack();
    m_preview.Show(nullptr);
    m_items.erase(m_items.begin() + static_cast<std::ptrdiff_t>(m_selected));
    m_selected = std::max(m_selected - 1, 0);
    m_current = m_items[static_cast<size_t>(m_selected)].format.get();
    ShowCurrent();
    return true;
}

bool CPreviewDialog::MoveUp() {
    if (m_selected <= 0 || m_selected >= Count()) return false;
    std::swap(m_items[static_cast<size_t>(m_selected)],
              m_items[static_cast<size_t>(m_selected - 1)]);
    --m_selected;
    return true;
}

bool CPreviewDialog::MoveDown() {
    if (m_selected < 0 || m_selected >= Count() - 1) return false;
    std::swap(m_items[static_cast<size_t>(m_selected)],
              m_items[static_cast<size_t>(m_selected + 1)]);
    ++m_selected;
    return true;
}

void CPreviewDialog::RemoveAllFormats() {
    m_layers.HandBack();
    m_preview.Show(nullptr);
    m_items.clear();
    m_current = nullptr;
    m_selected = -1;
}

std::vector<IconImageRec> CPreviewDialog::BuildSaveList() {
    // The shown format's layers live in the layers panel; name the visible
    // ones now, as they are, not as at the last repaint.
    if (m_current && m_layers.ShownFormat() == m_current) (void)m_layers.CollectVisibleLayers();
    std::vector<CIconFormat*> formats;
    formats.reserve(m_items.size());
    for (const FormatItem& item : m_items) formats.push_back(item.format.get());
    return pictoform::BuildSaveList(formats);
}

std::vector<ProjectFormatRef> CPreviewDialog::ProjectRefs() const {
    std::vector<ProjectFormatRef> refs;
    refs.reserve(m_items.size());
    for (const FormatItem& item : m_items) {
        const CIconFormat* format = item.format.get();
        if (m_layers.ShownFormat() != format) {
            refs.push_back(ProjectRefOf(*format));
            continue;
        }
        refs.push_back({format, {}});
        for (int i = 0; i < m_layers.Count(); ++i) {
            refs.back().layers.push_back({m_layers.Item(i).layer.get(), m_layers.Item(i).visible});
        }
    }
    return refs;
}

FormatItemDrawing CPreviewDialog::DrawItem(int index, PanelRect itemRect) const {
    FormatItemDrawing d;
    d.item = itemRect;
    if (index < 0 || index >= Count()) return d;
    const FormatItem& item = m_items[static_cast<size_t>(index)];
    d.selected = index == m_selected;
    d.label = item.label;
    const int labelTop = std::max(itemRect.top, itemRect.bottom - kFormatLabelHeight);
    d.pictureArea = {itemRect.left, itemRect.top, itemRect.right, labelTop};
    d.labelRect = {itemRect.left, labelTop, itemRect.right, itemRect.bottom};

    const CIconFormat& format = *item.format;
    d.picture = &format.Final();
    const int64_t iconW = format.Composite().Width() / 3;
    const int64_t iconH = format.Composite().Height() / 3;
    const int64_t roomW = d.pictureArea.Width() - kFormatPictureMargin;
    const int64_t roomH = d.pictureArea.Height() - kFormatPictureMargin;
    int64_t w = iconW;
    int64_t h = iconH;
    if (iconW > roomW || iconH > roomH) {
        d.stretched = true;
        if (roomW <= 0 || roomH <= 0 || iconW <= 0 || iconH <= 0) {
            w = h = 0;
        } else if (iconW * roomH >= iconH * roomW) {
            w = roomW;
            h = std::max<int64_t>(1, iconH * roomW / iconW);
        } else {
            h = roomH;
            w = std::max<int64_t>(1, iconW * roomH / iconH);
        }
    }
    const int left = d.pictureArea.left + static_cast<int>((d.pictureArea.Width() - w) / 2);
    const int top = d.pictureArea.top + static_cast<int>((d.pictureArea.Height() - h) / 2);
    d.pictureRect = {left, top, left + static_cast<int>(w), top + static_cast<int>(h)};
    return d;
}

} // namespace pictoform
