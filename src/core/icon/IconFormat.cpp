#include "icon/IconFormat.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

#include "icon/ColorReduction.h"

namespace pictoform {

CIconFormat::CIconFormat(int zoom, int width, int height, int32_t depth, LayerCounter& counter)
    : m_zoom(zoom), m_width(width), m_height(height), m_depth(depth),
      // Every current system reads 256 x 256 images compressed, and they are
      // a fifth of the size.
      m_png(width == 256 && height == 256) {
    auto layer = std::make_unique<CIconLayer>(counter);
    // Sizes are checked by the layer; the format's pictures follow its verdict.
    if (layer->Create(width, height)) {
        if (!m_composite.Create(3 * width, 3 * height) || !m_final.Create(width, height)) {
            m_composite = CLayerImage();
            m_final = CLayerImage();
        }
    }
    m_firstLayer = layer.get();
    m_visibleLayers.push_back(layer.get());
    m_layers.push_back(std::move(layer));
}

void CIconFormat::LayLayers(CLayerImage& composite, int dx, int dy) const {
    composite.Fill(255, 0, 0);
    for (const CIconLayer* layer : m_visibleLayers) {
        if (!layer) continue;
        CLayerImage::Composite(layer->Working(), composite, !SoftEdges(), dx, dy, layer->Opacity());
    }
}

void CIconFormat::Compose() {
    LayLayers(m_composite, 0, 0);
    CLayerImage::Downsample3x(m_composite, nullptr, 0, m_final, !SoftEdges());
    // The writer reduces what it is given again, and a picture of its own
    // palette's colours comes out of that unchanged.
    ShowStoredColours();
}

std::optional<PixelColor> CIconFormat::PixelAsSaved(int x, int y) const {
    if (m_final.IsNull() || x < 0 || y < 0 || x >= m_width || y >= m_height) return std::nullopt;
    const CLayerImage* shown = &m_final;
    // A final pixel is made from its own three by three block alone.
    CLayerImage block, pixel;
    if (SoftEdges()) {
        if (!block.Create(3, 3) || !pixel.Create(1, 1)) return std::nullopt;
        LayLayers(block, -3 * x, -3 * y);
        CLayerImage::Downsample3x(block, nullptr, 0, pixel, !SoftEdges());
        shown = &pixel;
        x = y = 0;
    }
    if (!shown->CoveragePlane()[static_cast<size_t>(y) * shown->Width() + x]) return std::nullopt;
    PixelColor colour = shown->GetPixel(x, y);
    // Below depth 32 a file keeps no alpha: what it keeps is opaque.
    if (!SoftEdges()) colour.alpha = 255;
    return colour;
}

PixelColor CIconFormat::CompositeAsSaved(int cx, int cy) const {
    CLayerImage point;
    if (!point.Create(1, 1)) return {};
    LayLayers(point, -cx, -cy);
    return point.GetPixel(0, 0);
}

void CIconFormat::ShowPicture(const CLayerImage& picture) {
    // Laid on white with soft edges whatever the depth: this is only the
    // picture the format list shows; saving composes again by the depth.
    m_composite.Fill(255, 0, 1);
    CLayerImage::Composite(picture, m_composite, false, 0, 0, 1.0f);
    CLayerImage::Downsample3x(m_composite, nullptr, 0, m_final, false);
    ShowStoredColours();
}

void CIconFormat::TakeStorageFrom(const CIconFormat& other) {
    m_png = m_png || other.StoredAsPng();
    m_frameTime = other.m_frameTime;
    // The time, not the size a desktop asks for: this format has its own.
    m_xcursor = {0, other.m_xcursor.delay};
    m_hotSpot.reset();
    if (!other.m_hotSpot || other.m_width < 1 || other.m_height < 1) return;
    // The same place in the picture, at the new size.
    const auto scale = [](int v, int from, int to) {
        const int64_t scaled = int64_t{v} * to / from;
        return static_cast<uint16_t>(std::clamp<int64_t>(scaled, 0, std::max(to - 1, 0)));
    };
    m_hotSpot = HotSpot{scale(other.m_hotSpot->x, other.m_width, m_width),
                        scale(other.m_hotSpot->y, other.m_height, m_height)};
}

void CIconFormat::ShowStoredColours() {
    if (PaletteEntriesOf(m_depth) == 0 || m_final.IsNull()) return;
    const IconImageRec rec = ExportFinal();
    PaletteImage reduced;
    if (!ReduceForDepth(rec.colours, rec.mask, m_depth, reduced)) return;
    const size_t w = static_cast<size_t>(m_width);
    for (size_t p = 0; p < rec.mask.size(); ++p) {
        if (rec.mask[p] == 0) continue;
        // Stored opaque, whatever alpha the layers left.
        const uint8_t* entry = &reduced.palette[size_t{reduced.indices[p]} * 4];
        m_final.SetBlock(static_cast<int>(p % w), static_cast<int>(p / w),
                         PixelColor{entry[2], entry[1], entry[0], 255}, 1);
    }
}

IconImageRec CIconFormat::ExportFinal() const {
    IconImageRec rec = RecordOf(m_final);
    rec.depth = m_depth;
    rec.png = StoredAsPng();
    rec.hotSpot = m_hotSpot;
    rec.frameTime = m_frameTime;
    rec.xcursor = m_xcursor;
    return rec;
}

CIconLayer* CIconFormat::AddLayer(LayerCounter& counter, bool visible) {
    auto layer = std::make_unique<CIconLayer>(counter);
    if (!layer->Create(m_width, m_height)) return nullptr;
    CIconLayer* added = layer.get();
    m_layers.push_back(std::move(layer));
    if (visible) m_visibleLayers.push_back(added);
    return added;
}

std::vector<LayerEntry> CIconFormat::TakeLayers() {
    std::vector<LayerEntry> out;
    out.reserve(m_layers.size());
    for (auto& layer : m_layers) {
        const bool visible = std::find(m_visibleLayers.begin(), m_visibleLayers.end(),
                                       layer.get()) != m_visibleLayers.end();
        out.push_back({std::move(layer), visible});
    }
    m_layers.clear();
    m_visibleLayers.clear();
    return out;
}

void CIconFormat::ReturnLayers(std::vector<LayerEntry> layers) {
    // Borrowed names from while the layers were out go; the returned entries say
    // what is visible now.
    std::erase_if(m_visibleLayers, [this](const CIconLayer* visible) {
        return std::none_of(m_layers.begin(), m_layers.end(),
                            [visible](const auto& owned) { return owned.get() == visible; });
    });
    for (LayerEntry& entry : layers) {
        if (!entry.layer) continue;
        if (entry.visible) m_visibleLayers.push_back(entry.layer.get());
        m_layers.push_back(std::move(entry.layer));
    }
}

CIconLayer* CIconFormat::FirstLayer() const {
    for (const auto& layer : m_layers) {
        if (layer.get() == m_firstLayer) return m_firstLayer;
    }
    return nullptr;
}

std::unique_ptr<CIconFormat> CreateFormatFromImage(const IconImageRec& image,
                                                   LayerCounter& counter) {
    // LoadPixels reads the planes by the record's size, so they must match it.
    if (!image.IsConsistent() || !IsValidDepthCode(image.depth)) return nullptr;
    auto format = std::make_unique<CIconFormat>(400 / image.width, image.width, image.height,
                                                image.depth, counter);
    CIconLayer* layer = format->FirstLayer();
    if (!format->IsValid() || !layer) return nullptr;
    format->SetStoredAsPng(image.png);
    format->SetCursorHotSpot(image.hotSpot);
    if (image.frameTime > 0) format->SetFrameTime(image.frameTime);
    format->SetAsReadFromXcursor(image.xcursor);

    const uint8_t* alpha = image.HasAlpha() ? image.alpha.data() : nullptr;
    layer->Working().LoadPixels(image.colours.data(), alpha, image.mask.data());
    layer->Committed().LoadPixels(image.colours.data(), alpha, image.mask.data());
    format->ShowPicture(layer->Working());
    return format;
}

uint64_t FormatEditBytes(int32_t width, int32_t height) {
    if (width <= 0 || height <= 0 || width > kMaxPngSide || height > kMaxPngSide) return 0;
    return 3 * CLayerImage::BytesFor(3 * width, 3 * height) + CLayerImage::BytesFor(width, height);
}

std::string Gigabytes(uint64_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", std::ceil(static_cast<double>(bytes) / 1e8) / 10);
    std::string out = text;
    if (out.size() > 2 && out.compare(out.size() - 2, 2, ".0") == 0) out.resize(out.size() - 2);
    return out + " GB";
}

std::string DocumentTooLarge(std::span<const IconImageRec> images) {
    uint64_t bytes = 0;
    const IconImageRec* largest = nullptr;
    bool sameSize = true;
    for (const IconImageRec& rec : images) {
        bytes += FormatEditBytes(rec.width, rec.height);
        if (!largest || rec.PixelCount() > largest->PixelCount()) largest = &rec;
        sameSize =
            sameSize && rec.width == images.front().width && rec.height == images.front().height;
    }
    if (bytes <= kMaxDocumentBytes) return {};
    return "This file holds " + std::to_string(images.size()) + " images " +
           (sameSize ? "of " : "up to ") + std::to_string(largest->width) + " x " +
           std::to_string(largest->height) + ", which would need " + Gigabytes(bytes) +
           " to edit; Pictoform opens files up to " + Gigabytes(kMaxDocumentBytes) + ".";
}

bool CreateFormatsFromImages(std::span<const IconImageRec> images, LayerCounter& counter,
                             std::vector<std::unique_ptr<CIconFormat>>& formats) {
    for (const IconImageRec& image : images) {
        if (!image.IsConsistent() || !IsValidDepthCode(image.depth)) return false;
    }
    counter.Reset();
    std::vector<std::unique_ptr<CIconFormat>> made;
    made.reserve(images.size());
    for (const IconImageRec& image : images) {
        auto format = CreateFormatFromImage(image, counter);
        if (!format) return false;
        made.push_back(std::move(format));
    }
    formats = std::move(made);
    return true;
}

std::vector<IconImageRec> BuildSaveList(std::span<CIconFormat* const> formats) {
    std::vector<IconImageRec> list;
    list.reserve(formats.size());
    for (CIconFormat* format : formats) {
        if (!format) continue;
        format->Compose();
        list.push_back(format->ExportFinal());
    }
    return list;
}

std::vector<IconImageRec> BuildSaveList(const std::vector<std::unique_ptr<CIconFormat>>& formats) {
    std::vector<CIconFormat*> pointers;
    pointers.reserve(formats.size());
    for (const auto& format : formats) pointers.push_back(format.get());
    return BuildSaveList(pointers);
}

} // namespace pictoform
