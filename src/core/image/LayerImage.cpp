#include "image/LayerImage.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <new>
#include <utility>

#include "image/PixelRows.h"
#include "image/Surface.h"

namespace pictoform {

namespace {

// Float to int toward zero, as everywhere in the core, without the undefined
// behaviour of a value the int cannot hold.
int Truncate(float value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483648.0f) return INT_MAX;
    if (value <= -2147483648.0f) return INT_MIN;
    return static_cast<int>(value);
}

// The one blend of the core: weights a + 1 and 255 - a, so a = 255 replaces exactly.
uint8_t Mix(uint8_t under, uint8_t over, int a) {
    return static_cast<uint8_t>(std::min(under * (255 - a) + over * (a + 1), 65280) >> 8);
}

uint8_t AddAlpha(uint8_t alpha, int a) {
    return static_cast<uint8_t>(std::min(alpha + a, 255));
}

} // namespace

CLayerImage::CLayerImage(CLayerImage&& other) noexcept
    : m_width(std::exchange(other.m_width, 0)), m_height(std::exchange(other.m_height, 0)),
      m_stride(std::exchange(other.m_stride, 0)), m_colour(std::move(other.m_colour)),
      m_planes(std::move(other.m_planes)), m_paintStamp(std::exchange(other.m_paintStamp, 1)) {
    other.Release();
}

CLayerImage& CLayerImage::operator=(CLayerImage&& other) noexcept {
    if (this != &other) {
        TakeBuffers(other);
        m_paintStamp = std::exchange(other.m_paintStamp, 1);
    }
    return *this;
}

void CLayerImage::Release() {
    std::vector<uint8_t>().swap(m_colour);
    std::vector<uint8_t>().swap(m_planes);
    m_width = m_height = m_stride = 0;
}

void CLayerImage::TakeBuffers(CLayerImage& other) {
    m_width = other.m_width;
    m_height = other.m_height;
    m_stride = other.m_stride;
    m_colour = std::move(other.m_colour);
    m_planes = std::move(other.m_planes);
    other.Release();
}

void CLayerImage::SetPixelRaw(int x, int y, uint8_t r, uint8_t g, uint8_t b, uint8_t a,
                              uint8_t coverage) {
    uint8_t* bgr = Bgr(x, y);
    bgr[0] = b;
    bgr[1] = g;
    bgr[2] = r;
    const size_t i = PixelIndex(x, y);
    m_planes[i] = a;
    m_planes[PlaneSize() + i] = coverage;
}

uint64_t CLayerImage::BytesFor(int width, int height) {
    if (width <= 0 || height <= 0) return 0;
    // Colour rows padded to four bytes, then the alpha and coverage planes.
    const uint64_t stride = ((uint64_t(width) + 1) * 3) & ~uint64_t{3};
    return stride * uint64_t(height) + 2 * uint64_t(width) * uint64_t(height);
}

bool CLayerImage::Create(int width, int height) {
    Release();
    if (width <= 0 || height <= 0) return false;
    // Sizes stay within 32-bit offsets, as the file formats and history expect.
    const int64_t stride = ((int64_t{width} + 1) * 3) & ~int64_t{3};
    if (stride > INT_MAX / height || int64_t{width} > INT_MAX / 2 / height) return false;
    const int64_t pixels = int64_t{width} * height;
    try {
        // White, transparent, empty; the padding is white too.
        m_colour.assign(static_cast<size_t>(stride * height), 255);
        m_planes.assign(static_cast<size_t>(2 * pixels), 0);
    } catch (const std::bad_alloc&) {
        Release();
        return false;
    }
    m_width = width;
    m_height = height;
    m_stride = static_cast<int>(stride);
    return true;
}

void CLayerImage::Fill(uint8_t grey, uint8_t alpha, uint8_t coverage) {
    std::fill(m_colour.begin(), m_colour.end(), grey);
    std::fill(m_planes.begin(), m_planes.begin() + PlaneSize(), alpha);
    std::fill(m_planes.begin() + PlaneSize(), m_planes.end(), coverage);
}

void CLayerImage::FillRect(const PixelRect& area, uint8_t grey, uint8_t alpha, uint8_t coverage) {
    const PixelRect a = area.Intersected(Whole());
    const size_t n = static_cast<size_t>(a.x1 - a.x0);
    for (int y = a.y0; y < a.y1; ++y) {
        std::fill_n(Bgr(a.x0, y), 3 * n, grey);
        std::fill_n(AlphaPlane() + PixelIndex(a.x0, y), n, alpha);
        std::fill_n(CoveragePlane() + PixelIndex(a.x0, y), n, coverage);
    }
}

PixelRect CLayerImage::DifferenceFrom(const CLayerImage& other) const {
    if (IsNull() || other.m_width != m_width || other.m_height != m_height) return {};
    PixelRect found;
    const size_t rowBytes = 3 * static_cast<size_t>(m_width);
    const size_t w = static_cast<size_t>(m_width);
    for (int y = 0; y < m_height; ++y) {
        // Whole rows compare at memory speed; only a row that differs is searched.
        const uint8_t* planes[3][2] = {
            {Bgr(0, y), other.Bgr(0, y)},
            {AlphaPlane() + PixelIndex(0, y), other.AlphaPlane() + PixelIndex(0, y)},
            {CoveragePlane() + PixelIndex(0, y), other.CoveragePlane() + PixelIndex(0, y)}};
        for (int p = 0; p < 3; ++p) {
            const size_t bytes = p == 0 ? rowBytes : w;
            const uint8_t* a = planes[p][0];
            const uint8_t* b = planes[p][1];
            if (std::memcmp(a, b, bytes) == 0) continue;
            const size_t first = static_cast<size_t>(std::mismatch(a, a + bytes, b).first - a);
            size_t last = bytes - 1;
            while (a[last] == b[last]) --last;
            const size_t perPixel = p == 0 ? 3 : 1;
            found = found.United({static_cast<int>(first / perPixel), y,
                                  static_cast<int>(last / perPixel) + 1, y + 1});
        }
    }
    return found;
}

void CLayerImage::CopyRectTo(const PixelRect& area, CLayerImage& target) const {
    if (&target == this) return;
    const PixelRect a = area.Intersected(Whole()).Intersected(target.Whole());
    const size_t n = static_cast<size_t>(a.x1 - a.x0);
    for (int y = a.y0; y < a.y1; ++y) {
        std::copy_n(Bgr(a.x0, y), 3 * n, target.Bgr(a.x0, y));
        std::copy_n(AlphaPlane() + PixelIndex(a.x0, y), n,
                    target.AlphaPlane() + target.PixelIndex(a.x0, y));
        std::copy_n(CoveragePlane() + PixelIndex(a.x0, y), n,
                    target.CoveragePlane() + target.PixelIndex(a.x0, y));
    }
}

bool CLayerImage::CopyTo(CLayerImage& target) const {
    if (&target == this) return true;
    if (target.m_width != m_width || target.m_height != m_height) return false;
    std::copy(m_colour.begin(), m_colour.end(), target.m_colour.begin());
    std::copy(m_planes.begin(), m_planes.end(), target.m_planes.begin());
    return true;
}

bool CLayerImage::CloneFrom(const CLayerImage& source) {
    if (&source == this) return !IsNull();
    if (!Create(source.m_width, source.m_height)) return false;
    return source.CopyTo(*this);
}

bool CLayerImage::CreateTripledMask(const CLayerImage& source) {
    // Built aside so that the source may be this image.
    CLayerImage mask;
    const bool fits = source.m_width <= INT_MAX / 3 && source.m_height <= INT_MAX / 3;
    if (!fits || !mask.Create(3 * source.m_width, 3 * source.m_height)) {
        Release();
        return false;
    }
    const uint8_t* coverage = source.CoveragePlane();
    for (int y = 0; y < source.m_height; ++y)
        for (int x = 0; x < source.m_width; ++x)
            if (coverage[source.PixelIndex(x, y)]) mask.SetBlock(x, y, PixelColor{}, 3);
    TakeBuffers(mask);
    return true;
}

bool CLayerImage::CopyRegionFrom(CLayerImage& source, int x0, int y0, int x1, int y1,
                                 bool keepSource) {
    if (x0 > x1) std::swap(x0, x1);
    if (y0 > y1) std::swap(y0, y1);
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, source.m_width);
    y1 = std::min(y1, source.m_height);
    if (x1 <= x0 || y1 <= y0) return false;

    CLayerImage region;
    if (!region.Create(x1 - x0, y1 - y0)) return false;
    const uint8_t* alpha = source.AlphaPlane();
    const uint8_t* coverage = source.CoveragePlane();
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            const size_t i = source.PixelIndex(x, y);
            if (coverage[i]) {
                const uint8_t* bgr = source.Bgr(x, y);
                region.SetPixelRaw(x - x0, y - y0, bgr[2], bgr[1], bgr[0], alpha[i], 1);
            }
            // A cut leaves white behind; coverage 0 makes its alpha irrelevant.
            if (!keepSource) source.SetPixelRaw(x, y, 255, 255, 255, 255, 0);
        }
    }
    TakeBuffers(region);
    return true;
}

void CLayerImage::LoadPixels(const uint8_t* colours, const uint8_t* alphaOrNull,
                             const uint8_t* mask) {
    if (!colours || (!alphaOrNull && !mask)) return;
    const int iconWidth = m_width / 3;
    const int iconHeight = m_height / 3;
    for (int row = 0; row < iconHeight; ++row) {
        const int y = iconHeight - 1 - row; // the arrays start with the bottom row
        for (int x = 0; x < iconWidth; ++x) {
            const size_t i = static_cast<size_t>(row) * iconWidth + x;
            const uint8_t* bgr = colours + 3 * i;
            if (alphaOrNull) {
                if (alphaOrNull[i]) SetBlock(x, y, {bgr[2], bgr[1], bgr[0], alphaOrNull[i]}, 3);
            } else if (mask[i]) {
                SetBlock(x, y, {bgr[2], bgr[1], bgr[0], 255}, 3);
            }
        }
    }
}

PixelExport CLayerImage::ExportPixels() const {
    PixelExport out;
    out.height = m_height;
    out.width = m_width;
    const size_t rowBytes = 3 * static_cast<size_t>(m_width);
    out.colours.resize(rowBytes * m_height);
    for (int y = 0; y < m_height; ++y)
        std::copy_n(Bgr(0, y), rowBytes, out.colours.begin() + y * rowBytes);
    out.alpha.assign(m_planes.begin(), m_planes.begin() + PlaneSize());
    out.coverage.assign(m_planes.begin() + PlaneSize(), m_planes.end());
    return out;
}

void CLayerImage::ScaleFrom(const CLayerImage& source) {
    if (&source == this || IsNull() || source.IsNull()) return;
    const float rx = static_cast<float>(source.m_width) / static_cast<float>(m_width);
    const float ry = static_cast<float>(source.m_height) / static_cast<float>(m_height);
    const uint8_t* alpha = source.AlphaPlane();
    const uint8_t* coverage = source.CoveragePlane();
    for (int y = 0; y < m_height; ++y) {
        // Clamped in case float rounding lands on the edge of a very large source.
        const int sy = std::min(Truncate(static_cast<float>(y) * ry), source.m_height - 1);
        for (int x = 0; x < m_width; ++x) {
            const int sx = std::min(Truncate(static_cast<float>(x) * rx), source.m_width - 1);
            const uint8_t* bgr = source.Bgr(sx, sy);
            const size_t i = source.PixelIndex(sx, sy);
            SetPixelRaw(x, y, bgr[2], bgr[1], bgr[0], alpha[i], coverage[i]);
        }
    }
}

void CLayerImage::ClearRect(int x0, int y0, int x1, int y1) {
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, m_width);
    y1 = std::min(y1, m_height);
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) SetPixelRaw(x, y, 255, 255, 255, 0, 0);
}

PixelColor CLayerImage::GetPixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) return {};
    const uint8_t* bgr = Bgr(x, y);
    return {bgr[2], bgr[1], bgr[0], m_planes[PixelIndex(x, y)]};
}

bool CLayerImage::BlockOrigin(int blockX, int blockY, int& n, int& left, int& top) const {
    if (n <= 0) n = 3;
    if (blockX < 0 || blockY < 0 || blockX >= m_width / n || blockY >= m_height / n) return false;
    left = n * blockX;
    top = n * blockY;
    return true;
}

void CLayerImage::SetBlock(int blockX, int blockY, const PixelColor& colour, int n) {
    int left = 0;
    int top = 0;
    if (!BlockOrigin(blockX, blockY, n, left, top)) return;
    const uint8_t bgr[3] = {colour.blue, colour.green, colour.red};
    for (int y = top; y < top + n; ++y) FillRun(left, y, n, bgr, colour.alpha);
}

void CLayerImage::FillRun(int x, int y, int n, const uint8_t* bgr, uint8_t alpha) {
    uint8_t* to = Bgr(x, y);
    for (int k = 0; k < n; ++k) std::copy_n(bgr, 3, to + 3 * k);
    std::fill_n(AlphaPlane() + PixelIndex(x, y), n, alpha);
    std::fill_n(CoveragePlane() + PixelIndex(x, y), n, uint8_t{1});
}

void CLayerImage::BlendBlock(int blockX, int blockY, uint32_t rgba, int n) {
    const PixelColor colour = PixelColor::FromRgba32(rgba);
    const int a = colour.alpha;
    int left = 0;
    int top = 0;
    if (a == 0 || !BlockOrigin(blockX, blockY, n, left, top)) return;
    uint8_t* alpha = AlphaPlane();
    uint8_t* coverage = CoveragePlane();
    // Within a stroke (stamp above 1) a pixel is blended once: the stroke
    // marks it, and its later steps pass over it.
    const uint8_t stamp = m_paintStamp;
    for (int y = top; y < top + n; ++y) {
        for (int x = left; x < left + n; ++x) {
            const size_t i = PixelIndex(x, y);
            if (!StampAllows(stamp, coverage[i])) continue;
            if (!coverage[i]) {
                SetPixelRaw(x, y, colour.red, colour.green, colour.blue, colour.alpha, stamp);
                continue;
            }
            uint8_t* bgr = Bgr(x, y);
            bgr[0] = Mix(bgr[0], colour.blue, a);
            bgr[1] = Mix(bgr[1], colour.green, a);
            bgr[2] = Mix(bgr[2], colour.red, a);
            // Alpha adds up here; it is not the "over" rule.
            alpha[i] = AddAlpha(alpha[i], a);
            if (stamp > 1) coverage[i] = stamp;
        }
    }
}

void CLayerImage::Composite(const CLayerImage& source, CLayerImage& target, bool blendAlways,
                            int dx, int dy, float opacity) {
    Composite(source, target, blendAlways, dx, dy, opacity, target.Whole());
}

void CLayerImage::Composite(const CLayerImage& source, CLayerImage& target, bool blendAlways,
                            int dx, int dy, float opacity, const PixelRect& within) {
    // The overlap inside within, in source coordinates; 64-bit so that no
    // offset can overflow.
    const PixelRect area = within.Intersected(target.Whole());
    const int64_t sx0 = std::max<int64_t>(0, int64_t{area.x0} - dx);
    const int64_t sy0 = std::max<int64_t>(0, int64_t{area.y0} - dy);
    const int64_t sx1 = std::min<int64_t>(source.m_width, int64_t{area.x1} - dx);
    const int64_t sy1 = std::min<int64_t>(source.m_height, int64_t{area.y1} - dy);
    if (sx1 <= sx0 || sy1 <= sy0) return;

    // Opacity is applied once per alpha value; only the low 8 bits of the
    // product count. Within 0..1 the product is in 0..255 and is worked out
    // in the loop, which the compiler then vectorises; any other opacity
    // goes through a table.
    const bool opaque = opacity == 1.0f;
    const bool fraction = opacity >= 0.0f && opacity <= 1.0f;
    uint8_t level[256] = {};
    for (int al = 0; al < 256 && !fraction; ++al)
        level[al] = static_cast<uint8_t>(Truncate(static_cast<float>(al) * opacity) & 0xFF);

    // Row by row through the planes, each pixel's place found by stepping,
    // not by multiplying out its coordinates.
    const int n = static_cast<int>(sx1 - sx0);
    std::vector<uint8_t> strength(static_cast<size_t>(n));
    for (int sy = static_cast<int>(sy0); sy < sy1; ++sy) {
        const int ty = sy + dy;
        const int tx0 = static_cast<int>(sx0) + dx;
        const size_t si0 = source.PixelIndex(static_cast<int>(sx0), sy);
        const size_t ti0 = target.PixelIndex(tx0, ty);
        const uint8_t* srcAlpha = source.AlphaPlane() + si0;
        const uint8_t* srcCoverage = source.CoveragePlane() + si0;
        const uint8_t* from = source.m_colour.data() + static_cast<size_t>(sy) * source.m_stride +
                              3 * static_cast<size_t>(sx0);
        uint8_t* dstAlpha = target.AlphaPlane() + ti0;
        uint8_t* dstCoverage = target.CoveragePlane() + ti0;
        uint8_t* to = target.m_colour.data() + static_cast<size_t>(ty) * target.m_stride +
                      3 * static_cast<size_t>(tx0);
        // Each pixel's strength is its alpha where covered, times the
        // opacity. A layer at full opacity (the usual case) hands its alpha
        // and coverage straight to the row loop. Otherwise the strengths come
        // first; between 0 and 1 with no look-up, the strength multiplied by
        // 0 or 1 rather than chosen, so that both loads are made and the loop
        // has no branch to stop the vectoriser. The rest of the row (weights,
        // alpha, coverage and the colour blend) is one pass in wide vectors.
        if (opaque) {
            CompositeRow({to, dstAlpha, dstCoverage, from, srcAlpha, srcCoverage, blendAlways,
                          static_cast<size_t>(n)});
            continue;
        }
        if (fraction) {
            for (int i = 0; i < n; ++i) {
                const auto a = static_cast<int>(static_cast<float>(srcAlpha[i]) * opacity);
                strength[i] = static_cast<uint8_t>(a * (srcCoverage[i] != 0));
            }
        } else {
            for (int i = 0; i < n; ++i) strength[i] = srcCoverage[i] ? level[srcAlpha[i]] : 0;
        }
        CompositeRow({to, dstAlpha, dstCoverage, from, strength.data(), nullptr, blendAlways,
                      static_cast<size_t>(n)});
    }
}

void CLayerImage::Downsample3x(const CLayerImage& source, CLayerImage* display, int zoom,
                               CLayerImage& target, bool hardEdges) {
    ReduceBlocks(source, display, zoom, target, hardEdges, target.Whole());
}

void CLayerImage::Downsample3x(const CLayerImage& source, CLayerImage& target, bool hardEdges,
                               const PixelRect& within) {
    ReduceBlocks(source, nullptr, 0, target, hardEdges, within);
}

void CLayerImage::ReduceBlocks(const CLayerImage& source, CLayerImage* display, int zoom,
                               CLayerImage& target, bool hardEdges, const PixelRect& within) {
    static constexpr int kWeight[3][3] = {{1, 2, 1}, {2, 4, 2}, {1, 2, 1}};
    const PixelRect area = within.Intersected({0, 0, std::min(source.m_width / 3, target.m_width),
                                               std::min(source.m_height / 3, target.m_height)});
    const size_t sw = static_cast<size_t>(source.m_width);
    const size_t tw = static_cast<size_t>(target.m_width);
    // Which blocks the row loop left to the rules below; without a display
    // to draw, the wholly covered and the empty blocks are done in vectors.
    std::vector<uint8_t> pending(static_cast<size_t>(std::max(area.x1 - area.x0, 0)), 1);
    for (int y = area.y0; y < area.y1; ++y) {
        // The three source rows of this row of blocks, found once.
        const uint8_t* colour[3];
        const uint8_t* alpha[3];
        const uint8_t* coverage[3];
        for (int j = 0; j < 3; ++j) {
            colour[j] = source.Bgr(0, 3 * y + j);
            alpha[j] = source.AlphaPlane() + (3 * static_cast<size_t>(y) + j) * sw;
            coverage[j] = source.CoveragePlane() + (3 * static_cast<size_t>(y) + j) * sw;
        }
        uint8_t* outColour = target.Bgr(0, y);
        uint8_t* outAlpha = target.AlphaPlane() + static_cast<size_t>(y) * tw;
        uint8_t* outCoverage = target.CoveragePlane() + static_cast<size_t>(y) * tw;
        if (!display && !pending.empty()) {
            const size_t first = 3 * static_cast<size_t>(area.x0);
            ReduceRow({{colour[0] + 3 * first, colour[1] + 3 * first, colour[2] + 3 * first},
                       {alpha[0] + first, alpha[1] + first, alpha[2] + first},
                       {coverage[0] + first, coverage[1] + first, coverage[2] + first},
                       outColour + 3 * static_cast<size_t>(area.x0),
                       outAlpha + area.x0,
                       outCoverage + area.x0,
                       pending.data(),
                       pending.size()});
        }
        for (int x = area.x0; x < area.x1; ++x) {
            if (!pending[static_cast<size_t>(x - area.x0)]) continue;
            // A sub-pixel's coverage value is a weight of its own (the stroke and fill
            // marks count more than 1). Colours are averaged with that same weight so
            // that a mark above 1 cannot darken them; with coverage 1 it is the plain kernel.
            // An uncovered sub-pixel weighs nothing; no branch decides it.
            int sumR = 0, sumG = 0, sumB = 0, sumAlpha = 0, sumAlphaCov = 0, sumWeight = 0;
            for (int j = 0; j < 3; ++j) {
                for (int i = 0; i < 3; ++i) {
                    const size_t px = 3 * static_cast<size_t>(x) + i;
                    const int cov = coverage[j][px];
                    const int weight = kWeight[j][i];
                    const int covWeight = weight * cov;
                    const uint8_t* bgr = colour[j] + 3 * px;
                    sumB += bgr[0] * covWeight;
                    sumG += bgr[1] * covWeight;
                    sumR += bgr[2] * covWeight;
                    sumAlpha += alpha[j][px] * weight * (cov != 0);
                    sumAlphaCov += alpha[j][px] * covWeight;
                    sumWeight += covWeight;
                }
            }
            PixelColor out{255, 255, 255, 0};
            // Hard edges take a pixel only when more than half the kernel is covered.
            const bool taken = sumWeight != 0 && sumAlpha != 0 && (!hardEdges || sumWeight >= 9);
            if (taken && sumWeight == 16) {
                // A block wholly covered once, the usual case: the divisions are shifts.
                out.red = static_cast<uint8_t>(sumR >> 4);
                out.green = static_cast<uint8_t>(sumG >> 4);
                out.blue = static_cast<uint8_t>(sumB >> 4);
                out.alpha = static_cast<uint8_t>((hardEdges ? sumAlphaCov : sumAlpha) >> 4);
            } else if (taken) {
                out.red = static_cast<uint8_t>(sumR / sumWeight);
                out.green = static_cast<uint8_t>(sumG / sumWeight);
                out.blue = static_cast<uint8_t>(sumB / sumWeight);
                // Soft edges spread alpha over the whole kernel of 16, covered or not.
                out.alpha =
                    static_cast<uint8_t>(hardEdges ? sumAlphaCov / sumWeight : sumAlpha / 16);
            }
            outColour[3 * x] = out.blue;
            outColour[3 * x + 1] = out.green;
            outColour[3 * x + 2] = out.red;
            outAlpha[x] = out.alpha;
            outCoverage[x] = taken ? 1 : 0;
            if (display) ShowPixel(*display, x, y, out, taken, zoom, 0, 0);
        }
    }
}

void CLayerImage::ShowPixel(CLayerImage& display, int x, int y, const PixelColor& out, bool covered,
                            int zoom, int offsetX, int offsetY) {
    if (covered) {
        // Blocks at the display's edges are cut, not dropped.
        const PixelRect block = ZoomedArea({x, y, x + 1, y + 1}, display, zoom, offsetX, offsetY);
        for (int py = block.y0; py < block.y1; ++py)
            for (int px = block.x0; px < block.x1; ++px)
                display.SetPixelRaw(px, py, out.red, out.green, out.blue, out.alpha, 1);
    }
    if (zoom >= 4) ShowDot(display, x, y, out, zoom, offsetX, offsetY);
}

void CLayerImage::ShowDot(CLayerImage& display, int x, int y, const PixelColor& out, int zoom,
                          int offsetX, int offsetY) {
    // A dot in the middle of the block, black on empty pixels, shows transparency.
    const int64_t cx = (2 * int64_t{x} + 1) * zoom / 2 - offsetX;
    const int64_t cy = (2 * int64_t{y} + 1) * zoom / 2 - offsetY;
    if (cx >= 0 && cy >= 0 && cx < display.m_width && cy < display.m_height) {
        uint8_t* bgr = display.Bgr(static_cast<int>(cx), static_cast<int>(cy));
        bgr[0] = static_cast<uint8_t>((out.blue * out.alpha) >> 8);
        bgr[1] = static_cast<uint8_t>((out.green * out.alpha) >> 8);
        bgr[2] = static_cast<uint8_t>((out.red * out.alpha) >> 8);
    }
}

void CLayerImage::ShowZoomed(const CLayerImage& image, CLayerImage& display, int zoom, int offsetX,
                             int offsetY) {
    ShowZoomed(image, display, zoom, offsetX, offsetY, image.Whole());
}

void CLayerImage::ShowZoomed(const CLayerImage& image, CLayerImage& display, int zoom, int offsetX,
                             int offsetY, const PixelRect& within) {
    if (zoom < 1) return;
    const uint8_t* alpha = image.AlphaPlane();
    const uint8_t* coverage = image.CoveragePlane();
    // Only the pixels whose blocks reach into the display.
    const auto first = [zoom](int offset) { return std::max(offset, 0) / zoom; };
    const auto last = [zoom](int offset, int extent, int size) {
        return static_cast<int>(
            std::min<int64_t>((int64_t{offset} + extent + zoom - 1) / zoom, size));
    };
    const PixelRect area = within.Intersected({first(offsetX), first(offsetY),
                                               last(offsetX, display.m_width, image.m_width),
                                               last(offsetY, display.m_height, image.m_height)});
    // Row by row of icon pixels: the first display row of the blocks is
    // drawn block by block, the others copied from it whole. Blocks at the
    // display's edges are cut, not dropped: the display may show any part
    // of a canvas larger than itself.
    const auto column = [&](int x) {
        return static_cast<int>(
            std::clamp<int64_t>(int64_t{x} * zoom - offsetX, 0, display.m_width));
    };
    const int left = column(area.x0);
    const size_t width = static_cast<size_t>(column(area.x1) - left);
    static constexpr uint8_t kWhite[3] = {255, 255, 255};
    for (int y = area.y0; y < area.y1; ++y) {
        const PixelRect rows =
            ZoomedArea({area.x0, y, area.x1, y + 1}, display, zoom, offsetX, offsetY);
        if (rows.Empty()) continue;
        const int top = rows.y0;
        uint8_t* topColour = display.Bgr(0, top);
        const size_t row = image.PixelIndex(0, y);
        int from = left;
        for (int x = area.x0; x < area.x1; ++x) {
            const int to = column(x + 1);
            const uint8_t* bgr = coverage[row + x] != 0 ? image.Bgr(x, y) : kWhite;
            for (int k = from; k < to; ++k) std::copy_n(bgr, 3, topColour + 3 * k);
            from = to;
        }
        for (int py = top + 1; py < rows.y1; ++py)
            std::memcpy(display.Bgr(left, py), display.Bgr(left, top), 3 * width);
        if (zoom < 4) continue;
        for (int x = area.x0; x < area.x1; ++x) {
            const uint8_t* bgr = image.Bgr(x, y);
            const PixelColor colour = coverage[row + x]
                                          ? PixelColor{bgr[2], bgr[1], bgr[0], alpha[row + x]}
                                          : PixelColor{255, 255, 255, 0};
            ShowDot(display, x, y, colour, zoom, offsetX, offsetY);
        }
    }
}

PixelRect CLayerImage::ZoomedArea(const PixelRect& area, const CLayerImage& display, int zoom,
                                  int offsetX, int offsetY) {
    const auto place = [zoom](int v, int offset, int size) {
        return static_cast<int>(std::clamp<int64_t>(int64_t{v} * zoom - offset, 0, size));
    };
    const PixelRect shown{
        place(area.x0, offsetX, display.m_width), place(area.y0, offsetY, display.m_height),
        place(area.x1, offsetX, display.m_width), place(area.y1, offsetY, display.m_height)};
    return shown.Empty() ? PixelRect{} : shown;
}

void CLayerImage::DrawGrid(int zoom, int columns, int rows, int offsetX, int offsetY) {
    DrawGrid(zoom, columns, rows, offsetX, offsetY, Whole());
}

void CLayerImage::DrawGrid(int zoom, int columns, int rows, int offsetX, int offsetY,
                           const PixelRect& within) {
    const PixelRect clip = within.Intersected(Whole());
    if (zoom < 1 || IsNull() || clip.Empty()) return;
    // In canvas coordinates: the grid's extent, and the part this image shows.
    const int64_t right = int64_t{columns} * zoom;
    const int64_t bottom = int64_t{rows} * zoom;
    const int64_t left = std::max<int64_t>(int64_t{offsetX} + clip.x0, 0);
    const int64_t top = std::max<int64_t>(int64_t{offsetY} + clip.y0, 0);
    const int64_t shownRight = int64_t{offsetX} + clip.x1;
    const int64_t shownBottom = int64_t{offsetY} + clip.y1;
    // Dotted lines: every other pixel, starting one in from each crossing;
    // which pixels are dots depends on the canvas point alone, so that a
    // part drawn again matches the whole. Drawn a row at a time: a line's
    // row gets its dots, and every odd row a dot on each line's column.
    const int64_t dotsRight = std::min(right, shownRight);
    const int64_t dotsBottom = std::min(bottom, shownBottom);
    const int64_t lastLineX = std::min(right, shownRight - 1);
    const int64_t lastLineY = std::min(bottom, shownBottom - 1);
    const int64_t firstDot = std::max<int64_t>(1, left | 1);
    const int64_t firstLineX = (left + zoom - 1) / zoom * zoom;
    for (int64_t y = top; y <= std::max(lastLineY, dotsBottom - 1); ++y) {
        uint8_t* row = Bgr(0, static_cast<int>(y - offsetY));
        const auto grey = [row, offsetX](int64_t x) {
            uint8_t* bgr = row + 3 * (x - offsetX);
            bgr[0] = bgr[1] = bgr[2] = 180;
        };
        if (y % zoom == 0 && y <= lastLineY) {
            for (int64_t x = firstDot; x < dotsRight; x += 2) grey(x);
        }
        if (y % 2 == 1 && y < dotsBottom) {
            for (int64_t x = firstLineX; x <= lastLineX; x += zoom) grey(x);
        }
    }
}

void CLayerImage::BlitTo(Surface& surface, int x, int y, int width, int height) const {
    if (IsNull()) return;
    if (width < 1 || height < 1) {
        width = m_width;
        height = m_height;
    }
    // Never let the surface read past the buffer.
    surface.DrawBgr(x, y, std::min(width, m_width), std::min(height, m_height), ColourBits(),
                    m_stride);
}

void CLayerImage::FlipVertical() {
    const size_t rowBytes = 3 * static_cast<size_t>(m_width);
    uint8_t* alpha = AlphaPlane();
    uint8_t* coverage = CoveragePlane();
    for (int y = 0; y < m_height / 2; ++y) {
        const int mirror = m_height - 1 - y;
        std::swap_ranges(Bgr(0, y), Bgr(0, y) + rowBytes, Bgr(0, mirror));
        std::swap_ranges(alpha + PixelIndex(0, y), alpha + PixelIndex(0, y) + m_width,
                         alpha + PixelIndex(0, mirror));
        std::swap_ranges(coverage + PixelIndex(0, y), coverage + PixelIndex(0, y) + m_width,
                         coverage + PixelIndex(0, mirror));
    }
}

void CLayerImage::FlipHorizontal() {
    uint8_t* alpha = AlphaPlane();
    uint8_t* coverage = CoveragePlane();
    for (int y = 0; y < m_height; ++y) {
        for (int x = 0; x < m_width / 2; ++x) {
            const int mirror = m_width - 1 - x;
            std::swap_ranges(Bgr(x, y), Bgr(x, y) + 3, Bgr(mirror, y));
            std::swap(alpha[PixelIndex(x, y)], alpha[PixelIndex(mirror, y)]);
            std::swap(coverage[PixelIndex(x, y)], coverage[PixelIndex(mirror, y)]);
        }
    }
}

void CLayerImage::FlattenOverWhite(bool threshold) {
    uint8_t* alpha = AlphaPlane();
    const uint8_t* coverage = CoveragePlane();
    for (int y = 0; y < m_height; ++y) {
        for (int x = 0; x < m_width; ++x) {
            const size_t i = PixelIndex(x, y);
            if (!coverage[i]) continue;
            const int a = alpha[i];
            if (threshold && a < 128) {
                SetPixelRaw(x, y, 255, 255, 255, 0, 0);
                continue;
            }
            // (c * a + 255 * (255 - a)) / 256: divided by 256, so opaque white ends at 254.
            uint8_t* bgr = Bgr(x, y);
            for (int c = 0; c < 3; ++c)
                bgr[c] = static_cast<uint8_t>(std::min(((bgr[c] - 255) * a + 65025) >> 8, 255));
            SetPixelRaw(x, y, bgr[2], bgr[1], bgr[0], 255, 1);
        }
    }
}

void CLayerImage::MarkNonWhite(const PixelColor& colour) {
    for (int y = 0; y < m_height; ++y) {
        for (int x = 0; x < m_width; ++x) {
            const uint8_t* bgr = Bgr(x, y);
            if (bgr[0] == 255 && bgr[1] == 255 && bgr[2] == 255) continue;
            SetPixelRaw(x, y, colour.red, colour.green, colour.blue, colour.alpha, 1);
        }
    }
}

} // namespace pictoform
