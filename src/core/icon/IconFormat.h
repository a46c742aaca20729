#pragma once
// One format of an icon set: a size and a colour depth, built from layers
// that are composed and reduced 3 x 3 into the format's own pixels.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "icon/IconImageRec.h"
#include "icon/IconLayer.h"
#include "image/LayerImage.h"

namespace pictoform {

// A layer handed out of its format (to the layers panel while the format is
// shown) with whether it takes part in composing.
struct LayerEntry {
    std::unique_ptr<CIconLayer> layer;
    bool visible = true;
};

class CIconFormat {
public:
    // Makes the composite picture (3 x the size), the final image and one
    // layer with both its pictures, visible, as the first layer. A size the
    // pictures cannot take leaves them null (IsValid() is false).
    CIconFormat(int zoom, int width, int height, int32_t depth, LayerCounter& counter);
    CIconFormat(const CIconFormat&) = delete;
    CIconFormat& operator=(const CIconFormat&) = delete;
    ~CIconFormat() = default;

    [[nodiscard]] bool IsValid() const { return !m_final.IsNull(); }

    // Lays the visible layers, bottom first and with their opacities, into the
    // composite picture and reduces it into the final image: soft edges for
    // depth 32; every other depth blends always and takes a pixel only when
    // most of it is covered, so it ends up either opaque-ish or empty. At 2
    // to 256 colours the final image is in its stored colours.
    void Compose();
    // Pixel (x, y) as saving makes it; none when it is transparent or
    // outside. Only at depth 32 does the screen lay the layers over white:
    // there the pixel's own block of the layers is composed alone, leaving
    // the picture on screen as it is; at the other depths the final image
    // already holds it.
    [[nodiscard]] std::optional<PixelColor> PixelAsSaved(int x, int y) const;
    // The composite picture's pixel (cx, cy), a third of an icon pixel, as
    // saving lays the layers; the same way, it leaves the screen alone.
    [[nodiscard]] PixelColor CompositeAsSaved(int cx, int cy) const;
    // The final image as a record for the writers: top row first, coverage as
    // the mask, the format's depth. The record owns its planes.
    [[nodiscard]] IconImageRec ExportFinal() const;

    // A new layer of the format's size on top; null when its pictures cannot be made.
    CIconLayer* AddLayer(LayerCounter& counter, bool visible);
    // Empties both lists and hands every layer out, bottom first, with its visibility.
    [[nodiscard]] std::vector<LayerEntry> TakeLayers();
    // Takes layers back, after whatever the format still holds: the layer list
    // gets all, the visible list the visible ones (and forgets the layers it
    // only borrowed).
    void ReturnLayers(std::vector<LayerEntry> layers);
    // While the layers are handed out, the holder names the visible ones here
    // before each compose; the format only borrows them.
    void SetVisibleLayers(std::vector<CIconLayer*> layers) { m_visibleLayers = std::move(layers); }

    [[nodiscard]] const std::vector<std::unique_ptr<CIconLayer>>& Layers() const {
        return m_layers;
    }
    [[nodiscard]] const std::vector<CIconLayer*>& VisibleLayers() const { return m_visibleLayers; }
    // The layer made with the format, for the loaders to fill; null once it is
    // no longer held by the format (handed out or never made).
    [[nodiscard]] CIconLayer* FirstLayer() const;

    [[nodiscard]] CLayerImage& Composite() { return m_composite; }
    [[nodiscard]] const CLayerImage& Composite() const { return m_composite; }
    [[nodiscard]] CLayerImage& Final() { return m_final; }
    [[nodiscard]] const CLayerImage& Final() const { return m_final; }

    [[nodiscard]] int Zoom() const { return m_zoom; }
    void SetZoom(int zoom) { m_zoom = zoom; }
    [[nodiscard]] int Width() const { return m_width; }
    [[nodiscard]] int Height() const { return m_height; }
    [[nodiscard]] int32_t Depth() const { return m_depth; }
    [[nodiscard]] bool SoftEdges() const { return m_depth == kDepth32; }

    // Whether the format is saved PNG-compressed; only 32-bit formats are,
    // and those above 256 a side always are: a bitmap cannot be so large.
    [[nodiscard]] bool StoredAsPng() const {
        return m_depth == kDepth32 && (m_png || !FitsABitmap());
    }
    [[nodiscard]] bool FitsABitmap() const { return m_width <= 256 && m_height <= 256; }
    void SetStoredAsPng(bool png) { m_png = png; }
    // The format's own hot spot when it is a cursor image; none until a
    // cursor is opened or the user sets one.
    [[nodiscard]] const std::optional<HotSpot>& CursorHotSpot() const { return m_hotSpot; }
    void SetCursorHotSpot(std::optional<HotSpot> hotSpot) { m_hotSpot = hotSpot; }
    // How long the format is shown as a frame of an animated cursor, in
    // sixtieths of a second.
    [[nodiscard]] int32_t FrameTime() const { return m_frameTime; }
    void SetFrameTime(int32_t time) { m_frameTime = time; }
    // The nominal size and delay the format was read with from an Xcursor file.
    [[nodiscard]] const XcursorAsRead& AsReadFromXcursor() const { return m_xcursor; }
    void SetAsReadFromXcursor(const XcursorAsRead& read) { m_xcursor = read; }
    // Takes the stored form, hot spot (scaled to this format's size) and
    // frame time of another format, as New Format does from the selected one.
    void TakeStorageFrom(const CIconFormat& other);

    // At 2 to 256 colours, gives the final image the colours the writer will
    // store it with; other depths are left as they are.
    void ShowStoredColours();
    // Makes the final image from one tripled picture, as the format list
    // shows a format that was just made.
    void ShowPicture(const CLayerImage& picture);

private:
    // The visible layers laid into `composite`, emptied first, as saving lays
    // them; (dx, dy) places the layers' pictures in it.
    void LayLayers(CLayerImage& composite, int dx, int dy) const;

    std::vector<std::unique_ptr<CIconLayer>> m_layers;
    std::vector<CIconLayer*> m_visibleLayers;
    CIconLayer* m_firstLayer = nullptr;
    CLayerImage m_composite;
    CLayerImage m_final;
    int m_zoom = 0;
    int m_width = 0;
    int m_height = 0;
    int32_t m_depth = kDepth32;
    bool m_png = false;
    std::optional<HotSpot> m_hotSpot;
    int32_t m_frameTime = kNewFrameTime;
    XcursorAsRead m_xcursor;
};

// A format holding one decoded image (bottom row first, as the readers give
// it) in its first layer, with the final image already reduced. Null when the
// record's planes do not match its size or its depth is unknown.
[[nodiscard]] std::unique_ptr<CIconFormat> CreateFormatFromImage(const IconImageRec& image,
                                                                 LayerCounter& counter);
// Bytes one format of this size takes to edit as opened: its layer's
// working and committed pictures and its composite at three times each
// side, and its final image.
[[nodiscard]] uint64_t FormatEditBytes(int32_t width, int32_t height);
// "4.7 GB", "1 GB": what a person reads, in decimal units, rounded up so
// that what is needed never reads as what is allowed.
[[nodiscard]] std::string Gigabytes(uint64_t bytes);
// Why the images cannot be opened for editing within kMaxDocumentBytes, in
// words ("This file holds 512 images of 256 x 256, which would need 4.7 GB
// to edit; ..."); empty when they can.
[[nodiscard]] std::string DocumentTooLarge(std::span<const IconImageRec> images);

// The formats of an opened file, in file order. Resets the counter first, so
// the file's layers are named from "Layer 1". False, with nothing made, when
// any record is unusable.
[[nodiscard]] bool CreateFormatsFromImages(std::span<const IconImageRec> images,
                                           LayerCounter& counter,
                                           std::vector<std::unique_ptr<CIconFormat>>& formats);

// Composes every format and collects one record per format, in list order,
// for CIconFile to write. The records own their planes, so the list may be
// kept or written after the formats have changed or gone.
[[nodiscard]] std::vector<IconImageRec> BuildSaveList(std::span<CIconFormat* const> formats);
[[nodiscard]] std::vector<IconImageRec>
BuildSaveList(const std::vector<std::unique_ptr<CIconFormat>>& formats);

} // namespace pictoform
