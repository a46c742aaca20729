#pragma once
// The shell's own desktop objects (computer, network, trash empty and full,
// documents) and the registry values that carry their icon locations; their
// icons replaced from a file and put back from a backup made once.
//
// Which objects exist and where their values are is kept in a small text
// file, "sysiconinfo.ini", written with the built-in objects on first use and
// read on every later one, so that it can be edited to add objects.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/UiServices.h"

namespace pictoform {

struct IconRegEntry {
    RegRoot root = RegRoot::ClassesRoot;
    std::string keyPath;
    std::string valueName; // empty: the key's default value

    bool operator==(const IconRegEntry&) const = default;
};

struct SysIconItem {
    int32_t identifier = 0; // written and read back, used for nothing else
    std::string name;       // also the name of its backup key
    // The first entry is the one that is backed up and shown.
    std::vector<IconRegEntry> entries;

    bool operator==(const SysIconItem&) const = default;
};

// "path,index" split: the index is negative for a resource identifier.
struct IconLocation {
    std::string path;
    int index = 0;
};

// A location as the shell reads it: without a comma index 0 and the whole
// text as the path; with one, an optional '-' and at least one digit after
// it. Nothing for a comma followed by no digit or an index out of range.
[[nodiscard]] std::optional<IconLocation> ParseIconLocation(const std::string& location);

// One row of the dialog's list: the name with blanks for '_', and its icon.
struct SysIconListEntry {
    std::string text;
    ShellIcon icon;
};

// Values are read as into a buffer of this many bytes, the terminating zero
// included: a longer one counts as unreadable rather than being cut.
inline constexpr size_t kRegValueBuffer = 80;
inline constexpr const char* kSysIconInfoName = "sysiconinfo.ini";
inline constexpr const char* kBackupKey = "EditReg";
inline constexpr const char* kRecycleBinKey =
    "CLSID\\{645FF040-5081-101B-9F08-00AA002F954E}\\DefaultIcon";
inline constexpr const char* kUserRecycleBinKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\CLSID\\"
    "{645FF040-5081-101B-9F08-00AA002F954E}\\DefaultIcon";
inline constexpr const char* kIconFileFilter = "Icon File (*.ico)|*.ico|All Files (*.*)|*.*||";
inline constexpr const char* kModuleFileFilter =
    "Dll & Exe File (*.dll, *.exe)|*.dll;*.exe|All Files (*.*)|*.*||";

// The five objects the file starts with.
[[nodiscard]] std::vector<SysIconItem> BuiltInSysIconItems();

// The file's bytes for these items, and the items read back from bytes (an
// invalid item is dropped with every item after it).
[[nodiscard]] std::string FormatSysIconInfo(const std::vector<SysIconItem>& items);
[[nodiscard]] std::vector<SysIconItem> ParseSysIconInfo(const std::string& bytes);

class CSysIconSet {
public:
    // An empty folder means the current folder. The folder is created when
    // missing so that the first use can write its file there.
    CSysIconSet(std::string folder, Registry& registry, Shell& shell, UiServices& ui);

    void LoadOrCreate();
    // Writes every item to the file, then reads it back.
    [[nodiscard]] bool SaveInfo(const std::string& path);
    // Replaces the items with those of the file; false when it cannot be read.
    [[nodiscard]] bool LoadInfo(const std::string& path);

    // Backs up every item; true when every one was backed up now.
    bool BackupAll();
    // Copies the first entry's value into HKEY_CLASSES_ROOT\EditReg\<name>
    // unless that key exists: true when a backup was made now.
    bool BackupItem(const SysIconItem& item);
    // Writes the backed-up value into every entry of the item. An item with
    // no backup, or an empty one, is left alone.
    void RestoreItem(const SysIconItem& item);
    void RestoreAll();
    // Writes the location (asked for when empty) into every entry of item
    // `index`, then refreshes the trash's icon. False when nothing was done.
    bool ReplaceItem(size_t index, std::string location);
    // Writes data (an icon file asked for when empty) into a value of an
    // existing key; a missing key is skipped. False when the user cancelled.
    bool SetRegValue(RegRoot root, const std::string& key, const std::string& valueName,
                     std::string data);
    // Sets the trash's shown icon from its "Empty" or "Full" value by the
    // trash's state, then tells the shell that icons changed.
    void RefreshRecycleBin();
    [[nodiscard]] std::optional<ShellIcon> GetItemIcon(const SysIconItem& item) const;
    // Lists every item with its icon; an item without one is dropped from
    // the set, so the list's rows and the items keep the same indices.
    void FillList(std::vector<SysIconListEntry>& list, bool clear);

    [[nodiscard]] const std::string& Folder() const { return m_folder; }
    [[nodiscard]] std::string InfoPath() const { return m_folder + kSysIconInfoName; }
    [[nodiscard]] const std::vector<SysIconItem>& Items() const { return m_items; }
    void SetItems(std::vector<SysIconItem> items) { m_items = std::move(items); }

private:
    // A value as an 80-byte buffer would hold it; nothing when missing or too long.
    [[nodiscard]] std::optional<std::string> ReadBounded(RegRoot root, const std::string& key,
                                                         const std::string& valueName) const;
    [[nodiscard]] std::optional<std::string> AskIconFile();
    // False, with the user told, for a location too long to be read back.
    [[nodiscard]] bool FitsValue(const std::string& location);

    std::string m_folder; // with a trailing '/'
    std::vector<SysIconItem> m_items;
    Registry& m_registry;
    Shell& m_shell;
    UiServices& m_ui;
};

} // namespace pictoform
