#include "icon/IconViewerModel.h"

#include <algorithm>
#include <numeric>
#include <tuple>

#include "io/ByteReader.h"

namespace pictoform {

namespace {

// Bits per pixel an entry claims; old modules leave the bit count 0 and give
// only the colour count, whose 0 means 256 colours or more.
int EntryBits(const IconGroupEntry& e) {
    if (e.bitCount != 0) return e.bitCount;
    switch (e.colourCount) {
    case 2:
        return 1;
    case 4:
        return 2;
    case 16:
        return 4;
    default:
        return 8;
    }
}

// Order in which the images of a group are tried for its preview.
std::vector<size_t> PreviewOrder(const IconGroup& group, int side) {
    auto key = [&](size_t i) {
        const IconGroupEntry& e = group.entries[i];
        const int64_t area = int64_t{e.width} * e.height;
        const int kind = e.width == side && e.height == side   ? 0
                         : e.width >= side && e.height >= side ? 1
                                                               : 2;
        // Larger images: the smallest first; smaller ones: the largest first.
        const int64_t sizeRank = kind == 1 ? area : -area;
        return std::make_tuple(kind, sizeRank, -EntryBits(e), i);
    };
    std::vector<size_t> order(group.entries.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return key(a) < key(b); });
    return order;
}

// Nearest-neighbour resampling of a decoded record (bottom row first) to a
// top-row-first BGRA square.
void Resample(const IconImageRec& rec, int side, std::vector<uint8_t>& bgra) {
    const size_t w = static_cast<size_t>(rec.width);
    const size_t h = static_cast<size_t>(rec.height);
    // Some 32-bit icons leave every alpha byte 0 and rely on their AND mask.
    const bool useAlpha = rec.HasAlpha() && std::any_of(rec.alpha.begin(), rec.alpha.end(),
                                                        [](uint8_t a) { return a != 0; });
    const size_t n = static_cast<size_t>(side);
    bgra.assign(n * n * 4, 0);
    for (size_t y = 0; y < n; ++y) {
        const size_t row = h - 1 - y * h / n; // file rows run bottom up
        for (size_t x = 0; x < n; ++x) {
            const size_t p = row * w + x * w / n;
            uint8_t* out = &bgra[(y * n + x) * 4];
            const uint8_t alpha = useAlpha ? rec.alpha[p] : (rec.mask[p] ? 255 : 0);
            if (alpha == 0) continue;
            std::copy_n(&rec.colours[p * 3], 3, out);
            out[3] = alpha;
        }
    }
}

} // namespace

bool BuildGroupPreview(const ModuleResources& module, const IconGroup& group, int side,
                       std::vector<uint8_t>& bgra) {
    bgra.assign(static_cast<size_t>(side) * static_cast<size_t>(side) * 4, 0);
    if (!IsIconGroupType(group.type)) return false;
    for (size_t i : PreviewOrder(group, side)) {
        IconImageRec rec;
        std::string reason;
        if (!DecodeModuleIcon(module, group.entries[i], rec, reason)) continue;
        Resample(rec, side, bgra);
        return true;
    }
    return false;
}

CIconViewerModel::CIconViewerModel(std::string modulePath)
    : m_path(std::move(modulePath)),
      m_blank(static_cast<size_t>(kPreviewSide) * kPreviewSide * 4, 0) {
    std::vector<uint8_t> bytes;
    ModuleResources module;
    if (!ReadWholeFile(m_path, kMaxModuleFileBytes, bytes, m_loadError) ||
        !module.Read(bytes, m_loadError)) {
        return;
    }
    m_groups = IconGroupsOf(module);
    m_previews.resize(m_groups.size());
    for (size_t i = 0; i < m_groups.size(); ++i) {
        (void)BuildGroupPreview(module, m_groups[i], kPreviewSide, m_previews[i]);
    }
}

std::string CIconViewerModel::ItemText(int item) const {
    return "icon " + std::to_string(item + 1);
}

const std::vector<uint8_t>& CIconViewerModel::PreviewBgra(int item) const {
    if (item < 0 || item >= IconCount()) return m_blank;
    return m_previews[static_cast<size_t>(item)];
}

void CIconViewerModel::Select(int item) {
    m_selected = item >= 0 && item < IconCount() ? item : -1;
}

void CIconViewerModel::Accept() {
    if (m_selected < 0) return;
    m_chosen = m_selected;
    m_result = m_path + "," + std::to_string(m_chosen);
}

} // namespace pictoform
