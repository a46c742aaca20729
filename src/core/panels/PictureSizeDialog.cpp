#include "panels/PictureSizeDialog.h"

#include <algorithm>
#include <cstdlib>

namespace pictoform {

namespace {

// The sizes every icon of a program is usually asked for.
constexpr int kUsualSizes[] = {16, 24, 32, 48, 256};

size_t NearestSize(int side) {
    size_t best = 0;
    for (size_t i = 1; i < kPictureSizes.size(); ++i) {
        if (std::abs(kPictureSizes[i] - side) < std::abs(kPictureSizes[best] - side)) best = i;
    }
    return best;
}

} // namespace

CPictureSizeDialog::CPictureSizeDialog(std::string name, const PictureInfo& info, Mode mode,
                                       int preferred)
    : m_name(std::move(name)), m_info(info), m_mode(mode) {
    const int side = std::max(info.width, info.height);
    if (mode == Mode::OneSize) {
        m_checked[NearestSize(preferred > 0 ? preferred : side)] = true;
        return;
    }
    // A drawing is sharp at every size; a picture is not enlarged unasked.
    for (size_t i = 0; i < kPictureSizes.size(); ++i) {
        const bool usual = std::find(std::begin(kUsualSizes), std::end(kUsualSizes),
                                     kPictureSizes[i]) != std::end(kUsualSizes);
        m_checked[i] = usual && (info.scalable || kPictureSizes[i] <= side);
    }
    if (!CanAccept()) m_checked[NearestSize(side)] = true;
}

std::string CPictureSizeDialog::Caption() const {
    return m_mode == Mode::ManySizes ? "New Icon from Picture" : "Import Picture as Format";
}

std::string CPictureSizeDialog::Prompt() const {
    std::string shown = m_name;
    if (!m_info.scalable) {
        shown += " (" + std::to_string(m_info.width) + " x " + std::to_string(m_info.height) + ")";
    }
    return m_mode == Mode::ManySizes ? "Sizes to make from " + shown + ":"
                                     : "Size of the format to make from " + shown + ":";
}

void CPictureSizeDialog::SetChecked(size_t index, bool checked) {
    if (index >= m_checked.size()) return;
    if (m_mode == Mode::ManySizes) {
        m_checked[index] = checked;
        return;
    }
    if (!checked) return;
    m_checked.fill(false);
    m_checked[index] = true;
}

std::vector<int> CPictureSizeDialog::Chosen() const {
    std::vector<int> sizes;
    for (size_t i = 0; i < kPictureSizes.size(); ++i) {
        if (m_checked[i]) sizes.push_back(kPictureSizes[i]);
    }
    return sizes;
}

} // namespace pictoform
