#pragma once
// What the icon viewer dialog shows and decides, apart from the window: the
// icons of a module as a list of items "icon 1", "icon 2", ... with a 32 x 32
// preview each, and the index the user picks.

#include <cstdint>
#include <string>
#include <vector>

#include "icon/ModuleIcons.h"

namespace pictoform {

class CIconViewerModel {
public:
    static constexpr int kPreviewSide = 32;
    static constexpr const char* kDialogCaption = "Pictoform Icon Viewer";
    // Shown in a message box when the module has no icons; the dialog then
    // closes as cancelled.
    static constexpr const char* kNoIconText = "No Icon!";
    static constexpr const char* kNoIconCaption = "Pictoform";

    // Reads the module's group icons and builds their previews.
    explicit CIconViewerModel(std::string modulePath);

    [[nodiscard]] const std::string& ModulePath() const { return m_path; }
    [[nodiscard]] int IconCount() const { return static_cast<int>(m_groups.size()); }
    // True when the dialog must say kNoIconText and close as cancelled:
    // a module without icons, or one that could not be read.
    [[nodiscard]] bool MustClose() const { return m_groups.empty(); }
    // Why the module could not be read; empty when it was.
    [[nodiscard]] const std::string& LoadError() const { return m_loadError; }
    [[nodiscard]] const std::vector<IconGroup>& Groups() const { return m_groups; }

    // "icon 1" for item 0, and so on.
    [[nodiscard]] std::string ItemText(int item) const;
    // 32 x 32 pixels, blue, green, red, alpha, top row first; fully
    // transparent for a group without a readable image or an item out of range.
    [[nodiscard]] const std::vector<uint8_t>& PreviewBgra(int item) const;

    // The item the list has selected, -1 for none.
    void Select(int item);
    [[nodiscard]] int SelectedItem() const { return m_selected; }
    // OK: the selected item becomes the chosen index and the result text is
    // set. With nothing selected the chosen index stays -1, which callers
    // take as a cancel.
    void Accept();
    [[nodiscard]] int ChosenIndex() const { return m_chosen; }
    // "<module path>,<chosen index>"; empty until OK chose an item.
    [[nodiscard]] const std::string& ResultText() const { return m_result; }

private:
    std::string m_path;
    std::string m_loadError;
    std::vector<IconGroup> m_groups;
    std::vector<std::vector<uint8_t>> m_previews;
    std::vector<uint8_t> m_blank;
    int m_selected = -1;
    int m_chosen = -1;
    std::string m_result;
};

// The preview of one group: an exact 32 x 32 image of the highest depth when
// the group has one, else the smallest image larger than 32 x 32 scaled down
// by nearest neighbour, else the largest smaller one scaled up the same way.
// An image that fails to decode gives way to the next choice. False when none
// decodes; `bgra` is then fully transparent.
[[nodiscard]] bool BuildGroupPreview(const ModuleResources& module, const IconGroup& group,
                                     int side, std::vector<uint8_t>& bgra);

} // namespace pictoform
