#include "panels/NewFormatDialog.h"

#include <algorithm>

#include "icon/IconImageRec.h"

namespace pictoform {

namespace {

int32_t PackSize(int width, int height) {
    return width * 65536 + height;
}

std::string SizeText(int width, int height) {
    return std::to_string(width) + " X " + std::to_string(height);
}

} // namespace

CNewFmtDialog::CNewFmtDialog(NewFormatMemory& memory, UiServices& ui) : m_memory(memory), m_ui(ui) {
    for (int side : {16, 24, 32, 48, 64, 72, 96, 128, 256}) {
        m_sizes.push_back({SizeText(side, side), PackSize(side, side)});
    }
    m_sizes.push_back(CustomItem());
    m_depths = {{"Monochrome", kDepth2},
                {"16 Color", kDepth16},
                {"256 Color", kDepth256},
                {"True Color", kDepth24},
                {"Windows XP", kDepth32}};

    // Whatever was remembered, the lists show a selection they have.
    const int lastSize = static_cast<int>(m_sizes.size()) - 1;
    const int lastDepth = static_cast<int>(m_depths.size()) - 1;
    m_memory.sizePosition = std::clamp(m_memory.sizePosition, 0, lastSize);
    m_memory.depthPosition = std::clamp(m_memory.depthPosition, 0, lastDepth);
    m_depth = m_depths[static_cast<size_t>(m_memory.depthPosition)].data;
}

ComboItem CNewFmtDialog::CustomItem() const {
    return {"Custom(" + SizeText(m_memory.width, m_memory.height) + ")",
            PackSize(m_memory.width, m_memory.height)};
}

void CNewFmtDialog::SelectSize(int position, const SizeDialogRunner& runSizeDialog) {
    if (position < 0 || position >= static_cast<int>(m_sizes.size())) return;
    m_memory.sizePosition = position;
    const int32_t packed = m_sizes[static_cast<size_t>(position)].data;
    m_memory.width = packed / 65536;
    m_memory.height = packed % 65536;
    if (position != static_cast<int>(m_sizes.size()) - 1 || !runSizeDialog) return;

    CSizeDialog sizeDialog(m_ui, m_memory.width, m_memory.height);
    if (!runSizeDialog(sizeDialog)) return;
    m_memory.width = sizeDialog.Width();
    m_memory.height = sizeDialog.Height();
    m_sizes.back() = CustomItem();
}

void CNewFmtDialog::SelectDepth(int position) {
    // A drop-down list cannot be left without a selection, and depth 0 would
    // make a format that no file can hold.
    if (position < 0 || position >= static_cast<int>(m_depths.size())) return;
    m_memory.depthPosition = position;
    m_depth = m_depths[static_cast<size_t>(position)].data;
}

FormatChoice CNewFmtDialog::Result() const {
    return {m_memory.width, m_memory.height, m_depth};
}

} // namespace pictoform
