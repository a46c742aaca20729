#pragma once
// A shell whose trash and icons a test sets, recording what it was asked;
// an environment of the test's own; files as text.

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "icon/IconImageRec.h"
#include "platform/Shell.h"
#include "sysicons/SysIconSet.h"
#include "sysicons/XdgDirs.h"

namespace pictoform::test {

// Looks names up in the map, which must outlive the lookup.
inline EnvironmentLookup LookupIn(const std::map<std::string, std::string>& vars) {
    return [&vars](const char* name) -> const char* {
        const auto found = vars.find(name);
        return found == vars.end() ? nullptr : found->second.c_str();
    };
}

inline std::vector<uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}
inline std::string Text(const std::vector<uint8_t>& bytes) {
    return {bytes.begin(), bytes.end()};
}

// The keys of the built-in objects as a first use makes them, item i's
// values set to locations[i]; the full trash's default value left unset.
inline void SeedBuiltInItems(Registry& registry, const std::vector<std::string>& locations) {
    const std::vector<SysIconItem> items = BuiltInSysIconItems();
    for (size_t i = 0; i < items.size(); ++i) {
        for (const IconRegEntry& e : items[i].entries) {
            ASSERT_TRUE(registry.CreateKey(e.root, e.keyPath));
            if (i == 3 && e.valueName.empty()) continue;
            ASSERT_TRUE(registry.WriteString(e.root, e.keyPath, e.valueName, locations[i]));
        }
    }
}

// A side x side opaque 32-bit image of one colour.
inline IconImageRec SolidRecord(int side, uint8_t r, uint8_t g, uint8_t b) {
    IconImageRec rec;
    rec.width = rec.height = side;
    rec.depth = kDepth32;
    for (int i = 0; i < side * side; ++i) rec.colours.insert(rec.colours.end(), {b, g, r});
    rec.alpha.assign(size_t(side) * side, 255);
    rec.mask.assign(size_t(side) * side, 1);
    return rec;
}

class FakeShell : public Shell {
public:
    // Nothing: the trash's state cannot be told.
    std::optional<bool> trashEmpty = true;
    // Icons by "path,index"; every other location has none.
    std::map<std::pair<std::string, int>, ShellIcon> icons;
    mutable std::vector<std::pair<std::string, int>> extracted;
    int changes = 0;

    FakeShell() {
        AddIconsChangedListener([this] { ++changes; });
    }

    // A 32 x 32 icon of one colour.
    static ShellIcon Solid(uint8_t blue, uint8_t green, uint8_t red) {
        ShellIcon icon{ShellIcon::kSide, ShellIcon::kSide, {}};
        for (int i = 0; i < ShellIcon::kSide * ShellIcon::kSide; ++i) {
            icon.bgra.insert(icon.bgra.end(), {blue, green, red, 255});
        }
        return icon;
    }

    std::optional<bool> IsTrashEmpty() const override { return trashEmpty; }
    std::optional<ShellIcon> ExtractIcon(const std::string& path, int index) const override {
        extracted.emplace_back(path, index);
        const auto found = icons.find({path, index});
        if (found == icons.end()) return std::nullopt;
        return found->second;
    }
    bool Open(const std::string&) override { return false; }
};

} // namespace pictoform::test
