#include "icon/ColorReduction.h"

#include <algorithm>
#include <array>
#include <queue>

#include "icon/IconImageRec.h"

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

inline int ChannelOfKey(uint32_t key, int channel) {
    return static_cast<int>((key >> (16 - 8 * channel)) & 0xFF);
}

// The distinct colours of a picture with how many pixels have each, and
// which of them every pixel has. Sorting by radix keeps this linear: a
// 256 x 256 picture is sorted in three passes.
struct Histogram {
    std::vector<uint32_t> keys;     // red << 16 | green << 8 | blue, ascending
    std::vector<uint32_t> weights;  // pixels of each colour
    std::vector<uint32_t> colourOf; // per pixel: its colour's position in keys
};

Histogram BuildHistogram(std::span<const uint8_t> bgr, size_t n) {
    std::vector<uint64_t> items(n), scratch(n);
    for (size_t p = 0; p < n; ++p) {
        const uint64_t key =
            (uint64_t{bgr[p * 3 + 2]} << 16) | (uint64_t{bgr[p * 3 + 1]} << 8) | bgr[p * 3];
        items[p] = (key << 32) | p;
    }
    for (int pass = 0; pass < 3; ++pass) {
        const int shift = 32 + 8 * pass;
        std::array<size_t, 257> start{};
        for (uint64_t item : items) ++start[((item >> shift) & 0xFF) + 1];
        for (size_t b = 1; b < start.size(); ++b) start[b] += start[b - 1];
        for (uint64_t item : items) scratch[start[(item >> shift) & 0xFF]++] = item;
        items.swap(scratch);
    }
    Histogram h;
    h.colourOf.resize(n);
    for (uint64_t item : items) {
        const uint32_t key = static_cast<uint32_t>(item >> 32);
        if (h.keys.empty() || h.keys.back() != key) {
            h.keys.push_back(key);
            h.weights.push_back(0);
        }
        ++h.weights.back();
        h.colourOf[static_cast<uint32_t>(item)] = static_cast<uint32_t>(h.keys.size() - 1);
    }
    return h;
}

// A box of the RGB cube and the distinct colours inside it: a stretch of
// the colour order that splitting rearranges in place.
struct ColourBox {
    size_t begin = 0;
    size_t end = 0;
    std::array<int, 3> lo{0, 0, 0};
    std::array<int, 3> hi{256, 256, 256}; // exclusive
    uint64_t count = 0;
    std::array<uint64_t, 3> sum{};
    std::array<uint64_t, 3> sumSquares{};
    // The planned halving: where the second half starts, and how urgent it
    // is (the box's squared error). None: the box holds one colour and stays
    // whole.
    size_t split = 0;
    double priority = 0;
    std::array<int, 2> children{-1, -1};
};

class Reducer {
public:
    explicit Reducer(const Histogram& h) : m_h(h), m_order(h.keys.size()) {
        for (size_t i = 0; i < m_order.size(); ++i) m_order[i] = static_cast<uint32_t>(i);
    }

    // Boxes of the finished subdivision, lower halves first, at most limit.
    std::vector<const ColourBox*> Run(size_t limit) {
        ColourBox root;
        root.end = m_order.size();
        Measure(root);
        Plan(root);
        m_boxes.push_back(root);
        auto lessUrgent = [this](int a, int b) {
            const ColourBox& x = m_boxes[static_cast<size_t>(a)];
            const ColourBox& y = m_boxes[static_cast<size_t>(b)];
            return x.priority != y.priority ? x.priority < y.priority : a > b;
        };
        std::priority_queue<int, std::vector<int>, decltype(lessUrgent)> queue(lessUrgent);
        if (m_boxes[0].priority > 0) queue.push(0);
        for (size_t leaves = 1; leaves < limit && !queue.empty(); ++leaves) {
            const int parent = queue.top();
            queue.pop();
            for (int half = 0; half < 2; ++half) {
                ColourBox child = Half(m_boxes[static_cast<size_t>(parent)], half);
                Measure(child);
                Plan(child);
                m_boxes.push_back(child);
                const int id = static_cast<int>(m_boxes.size() - 1);
                m_boxes[static_cast<size_t>(parent)].children[static_cast<size_t>(half)] = id;
                if (child.priority > 0) queue.push(id);
            }
        }
        std::vector<const ColourBox*> leaves;
        if (!m_order.empty()) CollectLeaves(0, leaves);
        return leaves;
    }

    [[nodiscard]] const std::vector<uint32_t>& Order() const { return m_order; }

private:
    int ValueOf(size_t position, int channel) const {
        return ChannelOfKey(m_h.keys[m_order[position]], channel);
    }

    void Measure(ColourBox& box) const {
        box.count = 0;
        box.sum = {};
        box.sumSquares = {};
        for (size_t i = box.begin; i < box.end; ++i) {
            const uint64_t w = m_h.weights[m_order[i]];
            box.count += w;
            for (int c = 0; c < 3; ++c) {
                const uint64_t v = static_cast<uint64_t>(ValueOf(i, c));
                box.sum[static_cast<size_t>(c)] += w * v;
                box.sumSquares[static_cast<size_t>(c)] += w * v * v;
            }
        }
    }

    static double Error(const ColourBox& box) {
        if (box.count == 0) return 0;
        double e = 0;
        for (size_t c = 0; c < 3; ++c) {
            const double s = static_cast<double>(box.sum[c]);
            e += static_cast<double>(box.sumSquares[c]) - s * s / static_cast<double>(box.count);
        }
        return e;
    }

    // Halves the box at the middle of its widest channel, the box first
    // drawn tight around its colours: halving empty room would spend the
    // budget on nothing. A halving that leaves one side empty only narrows
    // the box, and the next is tried, so the plan always names two halves
    // that hold colours.
    void Plan(ColourBox& box) {
        box.priority = 0;
        if (box.end - box.begin > 1) {
            std::array<int, 3> lo{255, 255, 255}, hi{0, 0, 0};
            for (size_t i = box.begin; i < box.end; ++i) {
                for (size_t c = 0; c < 3; ++c) {
                    const int v = ValueOf(i, static_cast<int>(c));
                    lo[c] = std::min(lo[c], v);
                    hi[c] = std::max(hi[c], v + 1);
                }
            }
            box.lo = lo;
            box.hi = hi;
        }
        while (box.end - box.begin > 1) {
            const int r = box.hi[kRed] - box.lo[kRed];
            const int g = box.hi[kGreen] - box.lo[kGreen];
            const int b = box.hi[kBlue] - box.lo[kBlue];
            if (r <= 1 && g <= 1 && b <= 1) return; // a single colour cell
            const int channel = (r >= g && r >= b) ? kRed : (g >= b ? kGreen : kBlue);
            const size_t ch = static_cast<size_t>(channel);
            const int mid = (box.lo[ch] + box.hi[ch]) / 2;
            const auto first = m_order.begin() + static_cast<std::ptrdiff_t>(box.begin);
            const auto last = m_order.begin() + static_cast<std::ptrdiff_t>(box.end);
            const auto cut = std::partition(first, last, [&](uint32_t colour) {
                return ChannelOfKey(m_h.keys[colour], channel) < mid;
            });
            const size_t split = static_cast<size_t>(cut - m_order.begin());
            if (split == box.begin) {
                box.lo[ch] = mid;
            } else if (split == box.end) {
                box.hi[ch] = mid;
            } else {
                box.split = split;
                // The box that errs most is halved first. Measured on real
                // icons against the error a halving takes away and against
                // pixel count times range, this kept the picture best.
                box.priority = std::max(Error(box), 1e-9);
                return;
            }
        }
    }

    static ColourBox Half(const ColourBox& parent, int half) {
        ColourBox child;
        const int r = parent.hi[kRed] - parent.lo[kRed];
        const int g = parent.hi[kGreen] - parent.lo[kGreen];
        const int b = parent.hi[kBlue] - parent.lo[kBlue];
        const size_t ch =
            static_cast<size_t>((r >= g && r >= b) ? kRed : (g >= b ? kGreen : kBlue));
        const int mid = (parent.lo[ch] + parent.hi[ch]) / 2;
        child.lo = parent.lo;
        child.hi = parent.hi;
        if (half == 0) {
            child.begin = parent.begin;
            child.end = parent.split;
            child.hi[ch] = mid;
        } else {
            child.begin = parent.split;
            child.end = parent.end;
            child.lo[ch] = mid;
        }
        return child;
    }

    void CollectLeaves(int id, std::vector<const ColourBox*>& leaves) const {
        const ColourBox& box = m_boxes[static_cast<size_t>(id)];
        if (box.children[0] < 0) {
            leaves.push_back(&box);
            return;
        }
        CollectLeaves(box.children[0], leaves);
        CollectLeaves(box.children[1], leaves);
    }

    const Histogram& m_h;
    std::vector<uint32_t> m_order;
    std::vector<ColourBox> m_boxes;
};

// Fills a palette of `limit` entries and one unpacked index per pixel.
void Reduce(std::span<const uint8_t> bgr, size_t n, int limit, uint8_t reserved,
            std::vector<uint8_t>& palette, std::vector<uint8_t>& indices) {
    palette.assign(static_cast<size_t>(limit) * 4, 0);
    indices.assign(n, 0);
    if (n == 0) return;
    const Histogram h = BuildHistogram(bgr, n);
    Reducer reducer(h);
    const std::vector<const ColourBox*> leaves = reducer.Run(static_cast<size_t>(limit));
    std::vector<uint8_t> indexOfColour(h.keys.size(), 0);
    for (size_t i = 0; i < leaves.size(); ++i) {
        const ColourBox& box = *leaves[i];
        const uint8_t index = static_cast<uint8_t>(std::min<size_t>(i, 255));
        for (size_t k = box.begin; k < box.end; ++k) indexOfColour[reducer.Order()[k]] = index;
        auto mean = [&](Channel c) {
            return static_cast<uint8_t>(
                std::min<uint64_t>(box.sum[static_cast<size_t>(c)] / box.count, 255));
        };
        uint8_t* entry = palette.data() + i * 4;
        entry[0] = mean(kBlue);
        entry[1] = mean(kGreen);
        entry[2] = mean(kRed);
        entry[3] = reserved;
    }
    for (size_t p = 0; p < n; ++p) indices[p] = indexOfColour[h.colourOf[p]];
}

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
    std::vector<uint8_t> unpacked;
    Reduce(bgr, pixelCount, std::min(limit, 1 << bitsPerIndex), bitsPerIndex == 1 ? 0 : 255,
           palette, unpacked);
    palette.resize(static_cast<size_t>(limit) * 4, 0);
    indices.assign((pixelCount * static_cast<size_t>(bitsPerIndex) + 7) / 8, 0);
    for (size_t p = 0; p < pixelCount; ++p) SetPackedIndex(indices, p, bitsPerIndex, unpacked[p]);
    return true;
}

bool ReduceForDepth(std::span<const uint8_t> bgr, std::span<const uint8_t> mask, int32_t depth,
                    PaletteImage& out) {
    const int entries = PaletteEntriesOf(depth);
    const size_t n = mask.size();
    if (entries == 0 || bgr.size() / 3 < n || n > UINT32_MAX) return false;
    if (entries == 2) {
        // Two colours have no entry to spare: transparent pixels are black
        // and take black's place in the reduction.
        Reduce(bgr, n, entries, 0, out.palette, out.indices);
        return true;
    }
    // 16 and 256 colours keep their last entry black for transparent pixels;
    // 4 colours use all four and put transparent pixels at 3. Either way
    // those pixels have their index already, so they take no part in the
    // reduction and leave every computed entry to the picture.
    const int computed = entries >= 16 ? entries - 1 : entries;
    std::vector<uint8_t> opaque;
    opaque.reserve(n * 3);
    for (size_t p = 0; p < n; ++p) {
        if (mask[p] != 0) opaque.insert(opaque.end(), bgr.begin() + p * 3, bgr.begin() + p * 3 + 3);
    }
    std::vector<uint8_t> opaqueIndices;
    Reduce(opaque, opaque.size() / 3, computed, 255, out.palette, opaqueIndices);
    out.palette.resize(static_cast<size_t>(entries) * 4, 0);
    out.indices.assign(n, static_cast<uint8_t>(entries - 1));
    for (size_t p = 0, k = 0; p < n; ++p) {
        if (mask[p] != 0) out.indices[p] = opaqueIndices[k++];
    }
    return true;
}

} // namespace pictoform
