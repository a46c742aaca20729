#pragma once
// The registry of the system icon work on Linux: our own keys and string
// values, kept in a text file in the user's config folder. Every change is
// written at once, beside the old file and renamed over it. A file that does
// not parse is never overwritten: it is kept as "<name>.damaged" (or
// ".damaged.2", ...), the user is told, and the registry starts afresh.
//
// The file: a header line "pictoform-registry 1", then one line per key
// ("key", root, path) and per value ("value", root, path, name, data),
// fields separated by TAB, and a last line "end" with the count of lines
// between. Bytes that could break a line (TAB, CR, LF, '%', control and
// non-ASCII bytes) are written as %XX. Key paths and value names compare as
// the Windows registry compares them, ignoring ASCII letter case.

#include <functional>
#include <map>
#include <string>

#include "io/Limits.h"
#include "platform/Registry.h"
#include "platform/UiServices.h"
#include "sysicons/XdgDirs.h"

namespace pictoform {

struct AsciiCaseLess {
    bool operator()(const std::string& a, const std::string& b) const;
};

// The keys and values themselves, apart from any file.
struct RegistryData {
    using Values = std::map<std::string, std::string, AsciiCaseLess>;
    // Per root: canonical key path -> the key's values.
    std::map<RegRoot, std::map<std::string, Values, AsciiCaseLess>> keys;

    bool operator==(const RegistryData&) const = default;
};

// Backslash-separated components without empty ones: "a\\b\\" is "a\b".
[[nodiscard]] std::string CanonicalKeyPath(const std::string& path);

[[nodiscard]] std::string FormatRegistryFile(const RegistryData& data);
// False, with a reason naming the line, for anything that does not parse.
[[nodiscard]] bool ParseRegistryFile(const std::string& bytes, RegistryData& out,
                                     std::string& reason);

class FileRegistry : public Registry {
public:
    // Fills a new registry (first use, or after a damaged file was put aside).
    using Seeder = std::function<void(Registry&)>;

    // Reads the file at path, or starts a new one with the seeder's keys.
    FileRegistry(std::string path, UiServices& ui, const Seeder& seed);

    // "<config>/pictoform/registry.txt".
    [[nodiscard]] static std::string DefaultPath(const EnvironmentLookup& env);

    [[nodiscard]] bool KeyExists(RegRoot root, const std::string& path) const override;
    [[nodiscard]] bool CreateKey(RegRoot root, const std::string& path) override;
    [[nodiscard]] std::optional<std::string>
    ReadString(RegRoot root, const std::string& path, const std::string& valueName) const override;
    [[nodiscard]] bool WriteString(RegRoot root, const std::string& path,
                                   const std::string& valueName, const std::string& data) override;

    [[nodiscard]] const std::string& Path() const { return m_path; }
    // False when changes live in memory only (a damaged file that could not be put aside).
    [[nodiscard]] bool Persistent() const { return m_persistent; }
    // Where the damaged file went; empty when none was found.
    [[nodiscard]] const std::string& DamagedCopy() const { return m_damagedCopy; }
    [[nodiscard]] const RegistryData& Data() const { return m_data; }

private:
    void Load(const Seeder& seed);
    void StartAfresh(const Seeder& seed);
    void Save();

    std::string m_path;
    UiServices& m_ui;
    RegistryData m_data;
    bool m_persistent = true;
    bool m_holdSaves = false;
    bool m_saveFailureShown = false;
    std::string m_damagedCopy;
};

} // namespace pictoform
