#include "icon/PictureScale.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>

namespace pictoform {

namespace {

struct Tap {
    int index;
    float weight;
};

// For each of `to` pixels along an axis, the `from` pixels it covers and the
// share of it each covers (the shares of one pixel add up to 1).
std::vector<std::vector<Tap>> AxisTaps(int from, int to) {
    std::vector<std::vector<Tap>> taps(static_cast<size_t>(to));
    const double scale = static_cast<double>(from) / to;
    for (int i = 0; i < to; ++i) {
        const double lo = i * scale;
        const double hi = (i + 1) * scale;
        const int last = std::min(from, static_cast<int>(std::ceil(hi)));
        for (int s = static_cast<int>(std::floor(lo)); s < last; ++s) {
            const double covered = std::min(hi, s + 1.0) - std::max(lo, static_cast<double>(s));
            if (covered > 0) taps[static_cast<size_t>(i)].push_back({s, float(covered / scale)});
        }
    }
    return taps;
}

uint8_t Byte(float v) {
    return static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L));
}

} // namespace

bool IsWhole(const BgraPicture& picture) {
    return picture.width > 0 && picture.height > 0 &&
           picture.bgra.size() ==
               static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height) * 4;
}

PictureSize FitSize(int width, int height, int side) {
    if (width < 1 || height < 1 || side < 1) return {};
    if (width >= height) {
        const int h = static_cast<int>(std::lround(static_cast<double>(height) * side / width));
        return {side, std::max(h, 1)};
    }
    const int w = static_cast<int>(std::lround(static_cast<double>(width) * side / height));
    return {std::max(w, 1), side};
}

BgraPicture ScalePicture(const BgraPicture& picture, int width, int height) {
    BgraPicture out;
    if (!IsWhole(picture) || width < 1 || height < 1) return out;
    const auto across = AxisTaps(picture.width, width);
    const auto down = AxisTaps(picture.height, height);
    // Premultiplied, so that colour is weighted by alpha; rows first.
    std::vector<float> rows(static_cast<size_t>(picture.height) * width * 4, 0.0f);
    for (int y = 0; y < picture.height; ++y) {
        const uint8_t* from = picture.bgra.data() + static_cast<size_t>(y) * picture.width * 4;
        float* to = rows.data() + static_cast<size_t>(y) * width * 4;
        for (int x = 0; x < width; ++x) {
            for (const Tap& t : across[static_cast<size_t>(x)]) {
                const uint8_t* p = from + static_cast<size_t>(t.index) * 4;
                const float a = p[3] * t.weight;
                for (int c = 0; c < 3; ++c) to[4 * x + c] += p[c] * a;
                to[4 * x + 3] += a;
            }
        }
    }
    out.width = width;
    out.height = height;
    out.bgra.assign(static_cast<size_t>(width) * height * 4, 0);
    std::vector<float> sum(static_cast<size_t>(width) * 4);
    for (int y = 0; y < height; ++y) {
        std::fill(sum.begin(), sum.end(), 0.0f);
        for (const Tap& t : down[static_cast<size_t>(y)]) {
            const float* from = rows.data() + static_cast<size_t>(t.index) * width * 4;
            for (size_t i = 0; i < sum.size(); ++i) sum[i] += from[i] * t.weight;
        }
        uint8_t* to = out.bgra.data() + static_cast<size_t>(y) * width * 4;
        for (int x = 0; x < width; ++x) {
            const float a = sum[4 * x + 3];
            const uint8_t alpha = Byte(a);
            to[4 * x + 3] = alpha;
            if (alpha == 0) continue;
            for (int c = 0; c < 3; ++c) to[4 * x + c] = Byte(sum[4 * x + c] / a);
        }
    }
    return out;
}

BgraPicture CentreInSquare(const BgraPicture& picture, int side) {
    BgraPicture out;
    if (side < 1 || !IsWhole(picture)) return out;
    out.width = side;
    out.height = side;
    out.bgra.assign(static_cast<size_t>(side) * side * 4, 0);
    const int left = (side - picture.width) / 2;
    const int top = (side - picture.height) / 2;
    const int x0 = std::max(0, -left);
    const int x1 = std::min(picture.width, side - left);
    if (x1 <= x0) return out;
    for (int y = std::max(0, -top); y < std::min(picture.height, side - top); ++y) {
        std::memcpy(out.bgra.data() + (static_cast<size_t>(y + top) * side + left + x0) * 4,
                    picture.bgra.data() + (static_cast<size_t>(y) * picture.width + x0) * 4,
                    static_cast<size_t>(x1 - x0) * 4);
    }
    return out;
}

const IconImageRec* NearestImage(const std::vector<IconImageRec>& images, int side, bool listed) {
    const IconImageRec* best = nullptr;
    for (const IconImageRec& rec : images) {
        if (!(listed || rec.IsConsistent()) || rec.width < 1 || rec.height < 1) continue;
        const int big = std::max(rec.width, rec.height);
        if (!best) {
            best = &rec;
            continue;
        }
        const int bestBig = std::max(best->width, best->height);
        // Of two images of one size the deeper has more to give; of equals,
        // the first (an animation's first frame).
        const bool better = big == bestBig ? BitsPerPixelOf(rec.depth) > BitsPerPixelOf(best->depth)
                            : big >= side  ? (bestBig < side || big < bestBig)
                                           : big > bestBig;
        if (better) best = &rec;
    }
    return best;
}

} // namespace pictoform
