#pragma once
// A hierarchical store of keys and string values in the shape of the Windows
// registry: five roots, keys named by backslash-separated paths, each key
// with a default value (empty name) and named values. The system icon set
// reads and writes the icon locations it keeps there.

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace pictoform {

enum class RegRoot { ClassesRoot, CurrentUser, LocalMachine, Users, CurrentConfig };

inline constexpr std::array<RegRoot, 5> kRegRoots = {RegRoot::ClassesRoot, RegRoot::CurrentUser,
                                                     RegRoot::LocalMachine, RegRoot::Users,
                                                     RegRoot::CurrentConfig};

// "HKEY_CLASSES_ROOT" and so on.
[[nodiscard]] constexpr const char* RootName(RegRoot root) {
    switch (root) {
    case RegRoot::ClassesRoot:
        return "HKEY_CLASSES_ROOT";
    case RegRoot::CurrentUser:
        return "HKEY_CURRENT_USER";
    case RegRoot::LocalMachine:
        return "HKEY_LOCAL_MACHINE";
    case RegRoot::Users:
        return "HKEY_USERS";
    case RegRoot::CurrentConfig:
        return "HKEY_CURRENT_CONFIG";
    }
    return "";
}

// The root with exactly this name (letter case counts); nothing otherwise.
[[nodiscard]] constexpr std::optional<RegRoot> RootFromName(std::string_view name) {
    for (RegRoot root : kRegRoots) {
        if (name == RootName(root)) return root;
    }
    return std::nullopt;
}

class Registry {
public:
    virtual ~Registry() = default;

    // Whether the key can be opened. The empty path is the root itself.
    [[nodiscard]] virtual bool KeyExists(RegRoot root, const std::string& path) const = 0;
    // Creates the key and any missing keys above it; true when it exists afterwards.
    [[nodiscard]] virtual bool CreateKey(RegRoot root, const std::string& path) = 0;
    // The string value (empty name: the key's default value); nothing when
    // the key or the value does not exist.
    [[nodiscard]] virtual std::optional<std::string>
    ReadString(RegRoot root, const std::string& path, const std::string& valueName) const = 0;
    // Sets a string value of a key that exists; a missing key is not created
    // and gives false.
    [[nodiscard]] virtual bool WriteString(RegRoot root, const std::string& path,
                                           const std::string& valueName,
                                           const std::string& data) = 0;

protected:
    Registry() = default;
    Registry(const Registry&) = default;
    Registry& operator=(const Registry&) = default;
};

} // namespace pictoform
