#include "icon/ColorReduction.h"

#include <algorithm>
#include <array>
#include <bit>
#include <queue>

#include "icon/IconImageRec.h"

namespace pictoform {

void SetPackedIndex(std::span<uint8_t> packed, size_t p, int bits, unsigned value) {
    const size_t perByte = 8 / static_cast<size_t>(bits);
    const int shift = 8 - bits * static_cast<int>(p % perByte + 1);
    const unsigned fieldMask = (1u << bits) - 1;
    packed[p / perByte] =
        static_cast<uint8_t>(packed[p / perByte] | ((value & fieldMask) << shift));
}

namespace {

enum Channel { kRed = 0, kGreen = 1, kBlue = 2 };

// The distinct colours of a picture with how many pixels have each, and
// which of them every pixel has, found through a hash table so that the
// work grows with the pixels, not with the colour cube.
struct Histogram {
    std::vector<uint32_t> keys;     // red << 16 | green << 8 | blue
    std::vector<uint32_t> weights;  // pixels of each colour
    std::vector<uint32_t> colourOf; // per pixel: its colour's position in keys
};

// The slot of a colour key in a hash table of a power-of-two size whose
// entries are (key + 1) << 32 | the colour's place; 0 is an empty slot.
size_t Slot(const std::vector<uint64_t>& table, uint32_t key) {
    const size_t mask = table.size() - 1;
    const uint64_t tag = uint64_t{key + 1} << 32;
    // The product's top bits spread keys that differ only in their low bits.
    const int bits = std::countr_zero(table.size());
    size_t slot = static_cast<size_t>((uint64_t{key} * 0x9E3779B97F4A7C15ull) >> (64 - bits));
    while (table[slot] != 0 && (table[slot] & ~uint64_t{0xFFFFFFFF}) != tag) {
        slot = (slot + 1) & mask;
    }
    return slot;
}

size_t HistogramPlace(const std::vector<uint64_t>& table, uint32_t key) {
    return static_cast<uint32_t>(table[Slot(table, key)]);
}

void BuildHistogram(std::span<const uint8_t> bgr, size_t n, std::vector<uint64_t>& table,
                    Histogram& h) {
    size_t size = 1024;
    while (size < 2 * n) size *= 2;
    table.assign(size, 0);
    h.keys.clear();
    h.weights.clear();
    h.colourOf.resize(n);
    for (size_t p = 0; p < n; ++p) {
        const uint32_t key =
            (uint32_t{bgr[p * 3 + 2]} << 16) | (uint32_t{bgr[p * 3 + 1]} << 8) | bgr[p * 3];
        const size_t slot = Slot(table, key);
        if (table[slot] == 0) {
            table[slot] = (uint64_t{key + 1} << 32) | h.keys.size();
            h.keys.push_back(key);
            h.weights.push_back(0);
        }
        const auto id = static_cast<uint32_t>(table[slot]);
        ++h.weights[id];
        h.colourOf[p] = id;
    }
}

// One distinct colour with how many pixels have it, in one word so that
// halving moves as few bytes as it can: the key in the low 24 bits, the
// pixel count above.
struct Colour {
    uint64_t bits;

    [[nodiscard]] uint32_t Key() const { return static_cast<uint32_t>(bits & 0xFFFFFF); }
    [[nodiscard]] uint64_t Weight() const { return bits >> 24; }
    [[nodiscard]] uint8_t Channel(size_t ch) const {
        return static_cast<uint8_t>(bits >> (16 - 8 * ch));
    }
};

// A box of the RGB cube drawn tight around the distinct colours inside it:
// a stretch of the colour list that halving rearranges in place.
struct ColourBox {
    size_t begin = 0;
    size_t end = 0;
    std::array<int, 3> lo{0, 0, 0};
    std::array<int, 3> hi{0, 0, 0}; // exclusive, tight around the colours
    uint64_t count = 0;
    std::array<uint64_t, 3> sum{};
    uint64_t squares = 0;
    // How urgent halving it is: its squared error; 0 for a single colour.
    double priority = 0;
    std::array<int, 2> children{-1, -1};
};

class Reducer {
public:
    // The lists are the caller's, kept between reductions.
    Reducer(const Histogram& h, std::vector<Colour>& colours, std::vector<Colour>& spare,
            std::vector<ColourBox>& boxes)
        : m_colours(colours), m_spare(spare), m_boxes(boxes) {
        m_colours.clear();
        m_boxes.clear();
        for (size_t i = 0; i < h.keys.size(); ++i) {
            const uint32_t key = h.keys[i];
            m_colours.push_back({(uint64_t{h.weights[i]} << 24) | key});
        }
        m_spare.resize(m_colours.size());
    }

    // Boxes of the finished subdivision, lower halves first, at most limit.
    std::vector<const ColourBox*> Run(size_t limit) {
        if (m_colours.empty()) return {};
        ColourBox root;
        root.end = m_colours.size();
        Measure(root);
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
            const std::array<ColourBox, 2> halves = Split(m_boxes[static_cast<size_t>(parent)]);
            for (size_t half = 0; half < 2; ++half) {
                m_boxes.push_back(halves[half]);
                const int id = static_cast<int>(m_boxes.size() - 1);
                m_boxes[static_cast<size_t>(parent)].children[half] = id;
                if (halves[half].priority > 0) queue.push(id);
            }
        }
        std::vector<const ColourBox*> leaves;
        CollectLeaves(0, leaves);
        return leaves;
    }

    [[nodiscard]] const std::vector<Colour>& Colours() const { return m_colours; }

private:
    // Counts, sums and bounds of some colours, in locals so that the loops
    // run in registers.
    struct Stats {
        std::array<uint64_t, 3> sum{};
        uint64_t squares = 0;
        uint64_t count = 0;
        uint8_t loR = 255, loG = 255, loB = 255, hiR = 0, hiG = 0, hiB = 0;

        void Bound(const Colour& c) {
            loR = std::min(loR, c.Channel(kRed));
            loG = std::min(loG, c.Channel(kGreen));
            loB = std::min(loB, c.Channel(kBlue));
            hiR = std::max(hiR, c.Channel(kRed));
            hiG = std::max(hiG, c.Channel(kGreen));
            hiB = std::max(hiB, c.Channel(kBlue));
        }

        // Adds the colour `weight` times (0 leaves the sums as they are,
        // which keeps the partition below free of branches).
        // Written out per channel: a loop over three would keep the sums in
        // memory.
        void Add(const Colour& c, uint64_t weight) {
            const uint64_t r = c.Channel(kRed), g = c.Channel(kGreen), b = c.Channel(kBlue);
            count += weight;
            sum[kRed] += weight * r;
            sum[kGreen] += weight * g;
            sum[kBlue] += weight * b;
            squares += weight * (r * r + g * g + b * b);
        }

        [[nodiscard]] Stats Minus(const Stats& part) const {
            Stats rest = *this;
            rest.loR = rest.loG = rest.loB = 255;
            rest.hiR = rest.hiG = rest.hiB = 0;
            rest.count -= part.count;
            rest.squares -= part.squares;
            for (size_t ch = 0; ch < 3; ++ch) rest.sum[ch] -= part.sum[ch];
            return rest;
        }

        void StoreIn(ColourBox& box) const {
            box.lo = {loR, loG, loB};
            box.hi = {hiR + 1, hiG + 1, hiB + 1};
            box.sum = sum;
            box.squares = squares;
            box.count = count;
            if (box.end - box.begin < 2 || count == 0) return;
            double error = static_cast<double>(squares);
            for (size_t ch = 0; ch < 3; ++ch) {
                const double s = static_cast<double>(sum[ch]);
                error -= s * s / static_cast<double>(count);
            }
            // The box that errs most is halved first. Measured on real icons
            // against the error a halving takes away and against pixel count
            // times range, this kept the picture best. Distinct colours
            // always err; rounding must not leave them whole.
            box.priority = std::max(error, 1e-9);
        }
    };

    void Measure(ColourBox& box) const {
        Stats stats;
        for (size_t i = box.begin; i < box.end; ++i) {
            stats.Add(m_colours[i], m_colours[i].Weight());
            stats.Bound(m_colours[i]);
        }
        stats.StoreIn(box);
    }

    // Halves the box at the middle of its widest channel, the box first
    // drawn tight around its colours: halving empty room would spend the
    // budget on nothing, and with tight bounds both halves hold colours.
    std::array<ColourBox, 2> Split(const ColourBox& box) {
        Colour* colours = m_colours.data();
        const std::array<int, 3>& lo = box.lo;
        const std::array<int, 3>& hi = box.hi;
        const int r = hi[kRed] - lo[kRed];
        const int g = hi[kGreen] - lo[kGreen];
        const int b = hi[kBlue] - lo[kBlue];
        const size_t ch =
            static_cast<size_t>((r >= g && r >= b) ? kRed : (g >= b ? kGreen : kBlue));
        const int mid = (lo[ch] + hi[ch]) / 2;
        // Lower colours move up in place, upper ones wait in the spare list;
        // both moves are made every time, so the loop does not branch.
        Colour* spare = m_spare.data();
        Stats lower;
        size_t low = box.begin, high = 0;
        for (size_t i = box.begin; i < box.end; ++i) {
            const Colour c = colours[i];
            const bool isLow = c.Channel(ch) < mid;
            colours[low] = c;
            spare[high] = c;
            low += isLow;
            high += !isLow;
            lower.Add(c, isLow ? c.Weight() : 0);
        }
        std::copy_n(spare, high, colours + low);
        // The sums of the upper half follow from the whole's; the bounds of
        // each half take a pass over that half alone.
        for (size_t i = box.begin; i < low; ++i) lower.Bound(colours[i]);
        Stats whole;
        whole.sum = box.sum;
        whole.squares = box.squares;
        whole.count = box.count;
        std::array<ColourBox, 2> halves;
        halves[0].begin = box.begin;
        halves[0].end = halves[1].begin = low;
        halves[1].end = box.end;
        Stats upper = whole.Minus(lower);
        for (size_t i = low; i < box.end; ++i) upper.Bound(colours[i]);
        lower.StoreIn(halves[0]);
        upper.StoreIn(halves[1]);
        return halves;
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

    std::vector<Colour>& m_colours;
    std::vector<Colour>& m_spare;
    std::vector<ColourBox>& m_boxes;
};

// Buffers kept from one reduction to the next on the same thread: the
// repaint reduces a format every time, and fresh buffers of this size cost
// more in page faults than the reduction itself.
// The pixels of one cell of the colour cube cut 32 to a side (the top five
// bits of each channel): how many, and their sums for exact means.
struct Cell {
    uint32_t count = 0;
    std::array<uint32_t, 3> sum{}; // red, green, blue; at most 2^20 pixels of 255
};

struct Buffers {
    std::vector<Cell> cells;
    std::vector<uint8_t> indexOfCell;
    Histogram cellColours;
    std::vector<uint64_t> table;
    Histogram histogram;
    std::vector<Colour> colours, spare;
    std::vector<ColourBox> boxes;
    std::vector<uint8_t> indexOfColour;
    std::vector<uint8_t> unpacked, opaque, opaqueIndices;
};

Buffers& ThreadBuffers() {
    thread_local Buffers buffers;
    return buffers;
}

constexpr size_t kCellCount = size_t{1} << 15;
// An eighth of all cells: a picture this spread has colours to spare for
// every entry in every direction.
constexpr size_t kManyCells = kCellCount / 8;

size_t CellOf(uint32_t red, uint32_t green, uint32_t blue) {
    return (red >> 3) << 10 | (green >> 3) << 5 | blue >> 3;
}

// Large pictures of many colours are halved over the cells of the cube
// rather than over their distinct colours: each cell stands in as one
// colour (its pixels' mean, which lies inside it) and the entries are the
// exact means of the pixels in their cells. A direct table takes the place
// of hashing a colour per pixel twice, which is most of the work; the cuts
// land at the cells' means, a step no coarser than the colours a 256-colour
// palette can hold apart when the picture spreads over thousands of cells.
// False, with nothing done, for a picture that fills fewer (every icon of
// the reduction benchmark against ImageMagick does): cells would be too
// coarse for its entries, and one of no more colours than entries must come
// out exact.
bool ReduceOverCells(std::span<const uint8_t> bgr, size_t n, int limit, uint8_t reserved,
                     std::vector<uint8_t>& palette, std::vector<uint8_t>& indices) {
    Buffers& buffers = ThreadBuffers();
    std::vector<Cell>& cells = buffers.cells;
    cells.assign(kCellCount, Cell{});
    for (size_t p = 0; p < n; ++p) {
        const uint32_t b = bgr[p * 3], g = bgr[p * 3 + 1], r = bgr[p * 3 + 2];
        Cell& cell = cells[CellOf(r, g, b)];
        ++cell.count;
        cell.sum[0] += r;
        cell.sum[1] += g;
        cell.sum[2] += b;
    }
    Histogram& h = buffers.cellColours;
    h.keys.clear();
    h.weights.clear();
    for (const Cell& cell : cells) {
        if (cell.count == 0) continue;
        const auto mean = [&cell](size_t ch) {
            return (cell.sum[ch] + cell.count / 2) / cell.count;
        };
        h.keys.push_back(mean(0) << 16 | mean(1) << 8 | mean(2));
        h.weights.push_back(cell.count);
    }
    if (h.keys.size() < std::max<size_t>(kManyCells, 16 * static_cast<size_t>(limit))) {
        return false;
    }
    Reducer reducer(h, buffers.colours, buffers.spare, buffers.boxes);
    const std::vector<const ColourBox*> leaves = reducer.Run(static_cast<size_t>(limit));
    std::vector<uint8_t>& indexOfCell = buffers.indexOfCell;
    indexOfCell.resize(kCellCount);
    for (size_t i = 0; i < leaves.size(); ++i) {
        const ColourBox& box = *leaves[i];
        uint64_t count = 0;
        std::array<uint64_t, 3> sum{};
        for (size_t k = box.begin; k < box.end; ++k) {
            const uint32_t key = reducer.Colours()[k].Key();
            const size_t at = CellOf(key >> 16, (key >> 8) & 0xFF, key & 0xFF);
            indexOfCell[at] = static_cast<uint8_t>(std::min<size_t>(i, 255));
            count += cells[at].count;
            for (size_t ch = 0; ch < 3; ++ch) sum[ch] += cells[at].sum[ch];
        }
        uint8_t* entry = palette.data() + i * 4;
        entry[0] = static_cast<uint8_t>(sum[2] / count);
        entry[1] = static_cast<uint8_t>(sum[1] / count);
        entry[2] = static_cast<uint8_t>(sum[0] / count);
        entry[3] = reserved;
    }
    for (size_t p = 0; p < n; ++p) {
        indices[p] = indexOfCell[CellOf(bgr[p * 3 + 2], bgr[p * 3 + 1], bgr[p * 3])];
    }
    return true;
}

// From this many pixels on, a picture of many colours is reduced over cells.
constexpr size_t kCellPixels = 16384;

// Fills a palette of `limit` entries and one unpacked index per pixel.
void Reduce(std::span<const uint8_t> bgr, size_t n, int limit, uint8_t reserved,
            std::vector<uint8_t>& palette, std::vector<uint8_t>& indices) {
    palette.assign(static_cast<size_t>(limit) * 4, 0);
    indices.assign(n, 0);
    if (n == 0) return;
    if (n >= kCellPixels && ReduceOverCells(bgr, n, limit, reserved, palette, indices)) return;
    Buffers& buffers = ThreadBuffers();
    Histogram& h = buffers.histogram;
    BuildHistogram(bgr, n, buffers.table, h);
    Reducer reducer(h, buffers.colours, buffers.spare, buffers.boxes);
    const std::vector<const ColourBox*> leaves = reducer.Run(static_cast<size_t>(limit));
    std::vector<uint8_t>& indexOfColour = buffers.indexOfColour;
    indexOfColour.resize(h.keys.size());
    for (size_t i = 0; i < leaves.size(); ++i) {
        const ColourBox& box = *leaves[i];
        const uint8_t index = static_cast<uint8_t>(std::min<size_t>(i, 255));
        for (size_t k = box.begin; k < box.end; ++k) {
            indexOfColour[HistogramPlace(buffers.table, reducer.Colours()[k].Key())] = index;
        }
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
    std::vector<uint8_t>& unpacked = ThreadBuffers().unpacked;
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
    const bool holes = std::find(mask.begin(), mask.end(), uint8_t{0}) != mask.end();
    // A transparent pixel must be stored black: the screen shows through
    // the mask combined with its colour, so any other colour would tint it.
    const auto black = [&](size_t entry) { std::fill_n(out.palette.begin() + entry * 4, 4, 0); };
    std::vector<uint8_t>& plane = ThreadBuffers().opaque;
    plane.clear();
    if (entries == 2) {
        // Two colours have no entry to spare: transparent pixels take part
        // as black, and the entry they fall in is made black exactly.
        for (size_t p = 0; p < n; ++p) {
            for (size_t c = 0; c < 3; ++c) plane.push_back(mask[p] ? bgr[p * 3 + c] : 0);
        }
        Reduce(plane, n, entries, 0, out.palette, out.indices);
        if (holes)
            black(out.indices[static_cast<size_t>(std::find(mask.begin(), mask.end(), 0) -
                                                  mask.begin())]);
        return true;
    }
    // 16 and 256 colours keep their last entry black for transparent pixels,
    // and 4 colours do too when the picture has any. Those pixels have
    // their index already, so they take no part in the reduction and leave
    // every computed entry to the picture.
    const int computed = entries >= 16 || holes ? entries - 1 : entries;
    for (size_t p = 0; p < n; ++p) {
        if (mask[p] != 0) plane.insert(plane.end(), bgr.begin() + p * 3, bgr.begin() + p * 3 + 3);
    }
    std::vector<uint8_t>& opaqueIndices = ThreadBuffers().opaqueIndices;
    Reduce(plane, plane.size() / 3, computed, 255, out.palette, opaqueIndices);
    out.palette.resize(static_cast<size_t>(entries) * 4, 0);
    if (computed < entries) black(static_cast<size_t>(entries - 1));
    out.indices.assign(n, static_cast<uint8_t>(entries - 1));
    for (size_t p = 0, k = 0; p < n; ++p) {
        if (mask[p] != 0) out.indices[p] = opaqueIndices[k++];
    }
    return true;
}

} // namespace pictoform
