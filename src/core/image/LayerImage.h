#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/PixelColor.h"

namespace pictoform {

class Surface;

// Pixels x0..x1-1 by y0..y1-1; empty when either span is.
struct PixelRect {
    int x0 = 0;
    int y0 = 0;
    int x1 = 0;
    int y1 = 0;
    [[nodiscard]] bool Empty() const { return x1 <= x0 || y1 <= y0; }
    // The smallest rectangle holding both; an empty one adds nothing.
    [[nodiscard]] PixelRect United(const PixelRect& other) const {
        if (other.Empty()) return *this;
        if (Empty()) return other;
        return {std::min(x0, other.x0), std::min(y0, other.y0), std::max(x1, other.x1),
                std::max(y1, other.y1)};
    }
    [[nodiscard]] PixelRect Intersected(const PixelRect& other) const {
        const PixelRect both{std::max(x0, other.x0), std::max(y0, other.y0), std::min(x1, other.x1),
                             std::min(y1, other.y1)};
        return both.Empty() ? PixelRect{} : both;
    }
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// The pixels of the tripled canvas that icon pixels cover, and the icon
// pixels whose blocks hold some of a canvas area.
[[nodiscard]] inline PixelRect Tripled(const PixelRect& icon) {
    const auto three = [](int v) {
        return static_cast<int>(std::clamp<int64_t>(3 * int64_t{v}, INT32_MIN, INT32_MAX));
    };
    return {three(icon.x0), three(icon.y0), three(icon.x1), three(icon.y1)};
}
[[nodiscard]] inline PixelRect BlocksOf(const PixelRect& canvas) {
    if (canvas.Empty()) return {};
    return {canvas.x0 / 3, canvas.y0 / 3, (canvas.x1 + 2) / 3, (canvas.y1 + 2) / 3};
}

// A picture's pixels handed to a file writer. It owns its copies, so a list of
// these stays valid whatever happens to the images it came from.
struct PixelExport {
    int height = 0;
    int width = 0;
    std::vector<uint8_t> colours;  // blue, green, red; top row first; no row padding
    std::vector<uint8_t> alpha;    // one byte per pixel, top row first
    std::vector<uint8_t> coverage; // one byte per pixel, top row first
};

// Whether a fill or a blend may paint a pixel of this coverage under this
// paint stamp.
constexpr bool StampAllows(uint8_t stamp, uint8_t coverage) {
    return stamp == 1 || coverage < stamp;
}

// The one pixel buffer of the program: a colour plane of blue-green-red
// triplets (rows padded to 4 bytes, row 0 first in memory, so a toolkit image
// can wrap it as it is), an alpha plane and a coverage plane of one byte per
// pixel. Coverage, not alpha, decides whether a pixel holds a colour: every
// rule here ignores the colour and alpha of a pixel whose coverage is 0.
//
// An image without buffers (IsNull) ignores every operation. Images are not
// copied as objects; use CopyTo or CloneFrom.
class CLayerImage {
public:
    CLayerImage() = default;
    CLayerImage(const CLayerImage&) = delete;
    CLayerImage& operator=(const CLayerImage&) = delete;
    // A moved-from image is null; its paint stamp goes with the pixels.
    CLayerImage(CLayerImage&& other) noexcept;
    CLayerImage& operator=(CLayerImage&& other) noexcept;
    ~CLayerImage() = default;

    // Releases the old buffers and makes white, transparent, empty ones.
    // A size of 0 or less, or one too big to address, leaves the image null
    // and returns false.
    bool Create(int width, int height);
    // What Create allocates for an image of this size.
    [[nodiscard]] static uint64_t BytesFor(int width, int height);
    void Fill(uint8_t grey, uint8_t alpha, uint8_t coverage);
    // The same over the part of area inside the image.
    void FillRect(const PixelRect& area, uint8_t grey, uint8_t alpha, uint8_t coverage);
    // The pixels where the two images differ in any plane; empty when they
    // are alike or their sizes differ.
    [[nodiscard]] PixelRect DifferenceFrom(const CLayerImage& other) const;
    // Copies the three planes over the part of area inside both images.
    void CopyRectTo(const PixelRect& area, CLayerImage& target) const;
    // Copies all three planes into a target of the same size. Returns false
    // and leaves the target alone when the sizes differ.
    bool CopyTo(CLayerImage& target) const;
    // CloneFrom and CreateTripledMask return whether the image now has buffers.
    bool CloneFrom(const CLayerImage& source);
    // Three times the source's size; every covered source pixel becomes a
    // covered 3 x 3 block. Only the coverage means anything.
    bool CreateTripledMask(const CLayerImage& source);
    // Becomes the covered pixels of source inside the corner box (x0, y0)-(x1, y1),
    // end exclusive, swapped and clipped to source. Unless keepSource, the
    // region is cut out of source. False, with nothing changed, for an empty region.
    [[nodiscard]] bool CopyRegionFrom(CLayerImage& source, int x0, int y0, int x1, int y1,
                                      bool keepSource);

    // Lays an icon-sized picture onto this tripled image, one 3 x 3 block per
    // icon pixel. The arrays run from the bottom row up: colours hold
    // (Width() / 3) * (Height() / 3) blue-green-red triplets, alpha and mask
    // one byte per pixel. With alpha, pixels of alpha 0 are skipped (mask is
    // not read); without it, pixels whose mask byte is 0.
    void LoadPixels(const uint8_t* colours, const uint8_t* alphaOrNull, const uint8_t* mask);
    PixelExport ExportPixels() const;
    // Nearest-neighbour resampling of source into this image at its own size.
    void ScaleFrom(const CLayerImage& source);

    void ClearRect(int x0, int y0, int x1, int y1);
    // All zero outside the image; coverage is not consulted.
    PixelColor GetPixel(int x, int y) const;
    // Blocks of n x n pixels (n <= 0 means 3); blocks not wholly inside are ignored.
    void SetBlock(int blockX, int blockY, const PixelColor& colour, int n);
    // rgba as PixelColor::Rgba32 lays it out.
    void BlendBlock(int blockX, int blockY, uint32_t rgba, int n);

    // Lays source over target, source (x, y) on target (x + dx, y + dy), over
    // the overlap only. Opacity is meant to be from 0 to 1.
    static void Composite(const CLayerImage& source, CLayerImage& target, bool blendAlways, int dx,
                          int dy, float opacity);
    // The same, changing no target pixel outside within.
    static void Composite(const CLayerImage& source, CLayerImage& target, bool blendAlways, int dx,
                          int dy, float opacity, const PixelRect& within);
    // Reduces each 3 x 3 block of source to one pixel of target (over the part
    // that both cover) and, when display is given, draws it there zoomed.
    static void Downsample3x(const CLayerImage& source, CLayerImage* display, int zoom,
                             CLayerImage& target, bool hardEdges);
    // The same for the target pixels inside within alone, drawing nothing.
    static void Downsample3x(const CLayerImage& source, CLayerImage& target, bool hardEdges,
                             const PixelRect& within);
    // Draws an icon-sized image zoomed into display's colour plane, as
    // Downsample3x draws the pixels it makes, except that the blocks of
    // uncovered pixels are drawn too, white. A display is only ever shown,
    // so its alpha and coverage are left as they are. display shows the
    // zoomed canvas from canvas point (offsetX, offsetY) on.
    static void ShowZoomed(const CLayerImage& image, CLayerImage& display, int zoom,
                           int offsetX = 0, int offsetY = 0);
    // The same for the image's pixels inside within alone.
    static void ShowZoomed(const CLayerImage& image, CLayerImage& display, int zoom, int offsetX,
                           int offsetY, const PixelRect& within);
    // The display pixels that the image's pixels inside area cover when
    // shown as ShowZoomed shows them.
    [[nodiscard]] static PixelRect ZoomedArea(const PixelRect& area, const CLayerImage& display,
                                              int zoom, int offsetX, int offsetY);
    // The dotted grid of a zoomed canvas of columns x rows icon pixels, with
    // this image showing it from canvas point (offsetX, offsetY) on; with
    // within, only over those pixels of this image.
    void DrawGrid(int zoom, int columns, int rows, int offsetX = 0, int offsetY = 0);
    void DrawGrid(int zoom, int columns, int rows, int offsetX, int offsetY,
                  const PixelRect& within);
    // Width or height below 1 means the whole image; never more than the image.
    void BlitTo(Surface& surface, int x, int y, int width, int height) const;

    void FlipVertical();
    void FlipHorizontal();
    // Makes covered pixels opaque as if laid on white; with threshold, pixels
    // of alpha below 128 are emptied instead.
    void FlattenOverWhite(bool threshold);
    void MarkNonWhite(const PixelColor& colour);

    // Coverage written by the raster fills and BlendBlock; above 1 they skip
    // pixels already at it.
    uint8_t PaintStamp() const { return m_paintStamp; }
    void SetPaintStamp(uint8_t stamp) { m_paintStamp = stamp; }

    [[nodiscard]] PixelRect Whole() const { return {0, 0, m_width, m_height}; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    int Stride() const { return m_stride; }
    bool IsNull() const { return m_colour.empty(); }
    // Row 0 of the colour plane; row y starts Stride() * y bytes further on.
    uint8_t* ColourBits() { return m_colour.data(); }
    const uint8_t* ColourBits() const { return m_colour.data(); }
    // Pixel (x, y) of the colour plane: blue, green, red.
    uint8_t* Bgr(int x, int y) {
        return m_colour.data() + static_cast<size_t>(y) * m_stride + 3 * x;
    }
    const uint8_t* Bgr(int x, int y) const {
        return m_colour.data() + static_cast<size_t>(y) * m_stride + 3 * x;
    }
    // Row-major, Width() bytes a row. The coverage plane directly follows the
    // alpha plane in one block.
    uint8_t* AlphaPlane() { return m_planes.data(); }
    const uint8_t* AlphaPlane() const { return m_planes.data(); }
    uint8_t* CoveragePlane() { return m_planes.data() + PlaneSize(); }
    const uint8_t* CoveragePlane() const { return m_planes.data() + PlaneSize(); }

private:
    void Release();
    // Moves other's buffers into this image, keeping this image's paint stamp.
    void TakeBuffers(CLayerImage& other);
    // Normalises n and finds the block's top-left pixel; false when it is not wholly inside.
    bool BlockOrigin(int blockX, int blockY, int& n, int& left, int& top) const;
    size_t PlaneSize() const {
        return static_cast<size_t>(m_width) * static_cast<size_t>(m_height);
    }
    static void ReduceBlocks(const CLayerImage& source, CLayerImage* display, int zoom,
                             CLayerImage& target, bool hardEdges, const PixelRect& within);
    // One pixel of an icon-sized image as the canvas shows it: a block, and
    // at zoom 4 and above a dot in its middle that shows its alpha.
    static void ShowPixel(CLayerImage& display, int x, int y, const PixelColor& colour,
                          bool covered, int zoom, int offsetX, int offsetY);
    // The dot alone, for zoom 4 and above.
    static void ShowDot(CLayerImage& display, int x, int y, const PixelColor& colour, int zoom,
                        int offsetX, int offsetY);
    size_t PixelIndex(int x, int y) const { return static_cast<size_t>(y) * m_width + x; }
    void SetPixelRaw(int x, int y, uint8_t r, uint8_t g, uint8_t b, uint8_t a, uint8_t coverage);
    // n covered pixels of one colour (blue, green, red) and alpha from (x, y) along the row.
    void FillRun(int x, int y, int n, const uint8_t* bgr, uint8_t alpha);

    int m_width = 0;
    int m_height = 0;
    int m_stride = 0;
    std::vector<uint8_t> m_colour;
    std::vector<uint8_t> m_planes; // alpha plane, then coverage plane
    uint8_t m_paintStamp = 1;
};

} // namespace pictoform
