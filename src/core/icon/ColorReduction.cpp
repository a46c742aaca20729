#include "icon/ColorReduction.h"

#include <algorithm>
#include <array>
#include <deque>
#include <memory>

namespace pictoform {

unsigned PackedIndexAt(std::span<const uint8_t> packed, size_t p, int bits) {
    const size_t perByte = 8 / static_cast<size_t>(bits);
    const uint8_t byte = packed[p / perByte];
    const int shift = 8 - bits * static_cast<int>(p % perByte + 1);
    return (byte >> shift) & ((1u << bits) - 1);
}

void SetPackedIndex(std::span<uint8_t> packed, size_t p, int bits, unsigned value) {
    const size_t perByte = 8 / static_cast<size_t>(bits);
    const int shift = 8 - bits * static_cast<int>(p % perByte + 1);
    const unsigned fieldMask = (1u << bits) - 1;
    packed[p / perByte] =
        static_cast<uint8_t>(packed[p / perByte] | ((value & fieldMask) << shift));
}

namespace {

enum Channel { kRed = 0, kGreen = 1, kBlue = 2 };

struct ColourBox {
    std::vector<uint32_t> pixels;
    ColourBox* first = nullptr;
    ColourBox* second = nullptr;
    std::array<int64_t, 3> sum{}; // red, green, blue
    int64_t count = 0;
    std::array<int, 3> lo{0, 0, 0};
    std::array<int, 3> hi{256, 256, 256}; // exclusive
};

// The channel value of pixel p: the plane stores blue, green, red.
inline int ChannelOf(std::span<const uint8_t> bgr, uint32_t p, int channel) {
    return bgr[static_cast<size_t>(p) * 3 + static_cast<size_t>(2 - channel)];
}

class Reducer {
public:
    explicit Reducer(std::span<const uint8_t> bgr) : m_bgr(bgr) {}

    ColourBox* NewBox() {
        m_boxes.push_back(std::make_unique<ColourBox>());
        return m_boxes.back().get();
    }

    void Split(ColourBox& box) {
        const int r = box.hi[kRed] - box.lo[kRed];
        const int g = box.hi[kGreen] - box.lo[kGreen];
        const int b = box.hi[kBlue] - box.lo[kBlue];
        if (r <= 1 && g <= 1 && b <= 1) return; // a single colour cell
        const int channel = (r >= g && r >= b) ? kRed : (g >= b ? kGreen : kBlue);
        const int mid = (box.lo[channel] + box.hi[channel]) / 2;

        ColourBox* halves[2] = {NewBox(), NewBox()};
        for (ColourBox* half : halves) {
            half->lo = box.lo;
            half->hi = box.hi;
        }
        halves[0]->hi[channel] = mid;
        halves[1]->lo[channel] = mid;
        for (ColourBox* half : halves) {
            for (uint32_t p : box.pixels) {
                bool inside = true;
                for (int c = 0; c < 3 && inside; ++c) {
                    const int v = ChannelOf(m_bgr, p, c);
                    inside = v >= half->lo[c] && v < half->hi[c];
                }
                if (!inside) continue;
                half->pixels.push_back(p);
                for (int c = 0; c < 3; ++c) half->sum[c] += ChannelOf(m_bgr, p, c);
                ++half->count;
            }
        }
        box.first = halves[0]->pixels.empty() ? nullptr : halves[0];
        box.second = halves[1]->pixels.empty() ? nullptr : halves[1];
        // The parent's list is not needed once its halves hold the pixels.
        std::vector<uint32_t>().swap(box.pixels);
    }

private:
    std::span<const uint8_t> m_bgr;
    std::vector<std::unique_ptr<ColourBox>> m_boxes;
};

} // namespace

bool ReduceColors(std::span<const uint8_t> bgr, size_t pixelCount, int limit, int bitsPerIndex,
                  std::vector<uint8_t>& palette, std::vector<uint8_t>& indices) {
    palette.clear();
    indices.clear();
    const bool bitsOk =
        bitsPerIndex == 1 || bitsPerIndex == 2 || bitsPerIndex == 4 || bitsPerIndex == 8;
    if (!bitsOk || limit < 1 || bgr.size() / 3 < pixelCount || pixelCount > UINT32_MAX) {
        return false;
    }
    palette.assign(static_cast<size_t>(limit) * 4, 0);
    indices.assign((pixelCount * static_cast<size_t>(bitsPerIndex) + 7) / 8, 0);

    Reducer reducer(bgr);
    ColourBox* root = reducer.NewBox();
    root->pixels.resize(pixelCount);
    for (size_t p = 0; p < pixelCount; ++p) root->pixels[p] = static_cast<uint32_t>(p);

    std::deque<ColourBox*> work{root};
    std::vector<ColourBox*> leaves;
    size_t budget = static_cast<size_t>(limit);
    for (long round = 0; round < 1000000000L && !work.empty() && work.size() < budget; ++round) {
        ColourBox* box = work.front();
        work.pop_front();
        reducer.Split(*box);
        // Depth first, lower half first.
        if (box->second) work.push_front(box->second);
        if (box->first) work.push_front(box->first);
        if (!box->first && !box->second && !box->pixels.empty()) {
            --budget;
            leaves.push_back(box);
        }
    }

    std::vector<ColourBox*> order(work.begin(), work.end());
    order.insert(order.end(), leaves.begin(), leaves.end());
    const uint8_t reserved = bitsPerIndex == 1 ? 0 : 255;
    for (size_t i = 0; i < order.size(); ++i) {
        const ColourBox& box = *order[i];
        const unsigned index = static_cast<unsigned>(std::min<size_t>(i, 255));
        for (uint32_t p : box.pixels) SetPackedIndex(indices, p, bitsPerIndex, index);
        // Only the root can list pixels without having counted them (limit 1);
        // it stays black rather than dividing by zero.
        auto mean = [&](int c) {
            return box.count == 0
                       ? 0
                       : static_cast<uint8_t>(std::min<int64_t>(box.sum[c] / box.count, 255));
        };
        uint8_t* entry = palette.data() + i * 4;
        entry[0] = mean(kBlue);
        entry[1] = mean(kGreen);
        entry[2] = mean(kRed);
        entry[3] = reserved;
    }
    return true;
}

} // namespace pictoform
