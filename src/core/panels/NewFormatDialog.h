#pragma once
// The "New Format" dialog's model: a size list and a depth list whose choices
// are remembered from one use to the next.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "panels/SizeDialog.h"
#include "platform/UiServices.h"

namespace pictoform {

// The choices that outlive the dialog; one per program, owned by whoever
// owns the panels. The size is both the last size chosen and the one the
// "Custom" item offers.
struct NewFormatMemory {
    int width = 32;
    int height = 32;
    int sizePosition = 2;  // 32 X 32
    int depthPosition = 4; // Windows XP
};

// What a new format is made with.
struct FormatChoice {
    int width = 0;
    int height = 0;
    int32_t depth = 0;
    friend bool operator==(const FormatChoice&, const FormatChoice&) = default;
};

struct ComboItem {
    std::string text;
    // Sizes: width * 65536 + height. Depths: the depth code.
    int32_t data = 0;
};

class CNewFmtDialog {
public:
    // Shows the "Custom Size" dialog on the model it is given and says whether
    // the user left it with OK. The desktop runs the real dialog; tests script it.
    using SizeDialogRunner = std::function<bool(CSizeDialog&)>;

    // Fills both lists and selects the remembered positions.
    CNewFmtDialog(NewFormatMemory& memory, UiServices& ui);

    [[nodiscard]] const std::vector<ComboItem>& SizeItems() const { return m_sizes; }
    [[nodiscard]] const std::vector<ComboItem>& DepthItems() const { return m_depths; }
    [[nodiscard]] int SizeSelection() const { return m_memory.sizePosition; }
    [[nodiscard]] int DepthSelection() const { return m_memory.depthPosition; }

    // The user picks a size item. The last one, "Custom", asks for a size and,
    // on OK, becomes "Custom(w X h)" of it. Positions outside the list are ignored.
    void SelectSize(int position, const SizeDialogRunner& runSizeDialog);
    // The user picks a depth item; positions outside the list are ignored.
    void SelectDepth(int position);

    // What OK hands back: the chosen size and depth code.
    [[nodiscard]] FormatChoice Result() const;

private:
    [[nodiscard]] ComboItem CustomItem() const;

    NewFormatMemory& m_memory;
    UiServices& m_ui;
    std::vector<ComboItem> m_sizes;
    std::vector<ComboItem> m_depths;
    int32_t m_depth = 0;
};

} // namespace pictoform
