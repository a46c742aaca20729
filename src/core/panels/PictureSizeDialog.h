#pragma once
// The question before a picture becomes icon formats: which of the standard
// sizes to make from it (New Icon from Picture, opening a large picture or a
// drawing), or which one size (Import Picture as Format).

#include <array>
#include <string>
#include <vector>

#include "platform/PictureReader.h"

namespace pictoform {

inline constexpr std::array<int, 10> kPictureSizes = {16, 20, 24, 32, 40, 48, 64, 96, 128, 256};

class CPictureSizeDialog {
public:
    enum class Mode { ManySizes, OneSize };

    // name: the picture's file name as the prompt shows it. preferred: in
    // OneSize mode the size chosen first (the nearest standard one).
    CPictureSizeDialog(std::string name, const PictureInfo& info, Mode mode, int preferred = 0);

    [[nodiscard]] Mode GetMode() const { return m_mode; }
    [[nodiscard]] std::string Caption() const;
    [[nodiscard]] std::string Prompt() const;
    [[nodiscard]] static const std::array<int, 10>& Sizes() { return kPictureSizes; }
    [[nodiscard]] bool IsChecked(size_t index) const { return m_checked.at(index); }
    // In OneSize mode checking a size unchecks the others, and the last
    // checked size cannot be unchecked.
    void SetChecked(size_t index, bool checked);
    [[nodiscard]] std::vector<int> Chosen() const;
    [[nodiscard]] bool CanAccept() const { return !Chosen().empty(); }

private:
    std::string m_name;
    PictureInfo m_info;
    Mode m_mode;
    std::array<bool, kPictureSizes.size()> m_checked{};
};

} // namespace pictoform
