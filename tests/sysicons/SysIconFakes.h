#pragma once
// A shell whose trash and icons a test sets, recording what it was asked;
// an environment of the test's own; files as text.

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/Shell.h"
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
