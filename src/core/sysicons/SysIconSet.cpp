#include "sysicons/SysIconSet.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <limits>
#include <system_error>

#include "io/ByteReader.h"
#include "io/Limits.h"
#include "io/SafeFile.h"

namespace pictoform {

namespace {

std::string BackupKeyOf(const SysIconItem& item) {
    return std::string(kBackupKey) + "\\" + item.name;
}

} // namespace

std::optional<IconLocation> ParseIconLocation(const std::string& location) {
    const std::string_view searched =
        std::string_view(location).substr(0, std::min(location.size(), kRegValueBuffer));
    const size_t comma = searched.find(',');
    if (comma == std::string_view::npos) return IconLocation{location, 0};
    IconLocation result{location.substr(0, comma), 0};
    size_t pos = comma + 1;
    const bool negative = pos < location.size() && location[pos] == '-';
    if (negative) ++pos;
    int64_t value = 0;
    size_t digits = 0;
    for (; pos < location.size() && location[pos] >= '0' && location[pos] <= '9'; ++pos) {
        value = value * 10 + (location[pos] - '0');
        // An index no icon can have, rather than one that wrapped around.
        if (value > std::numeric_limits<int32_t>::max()) return std::nullopt;
        ++digits;
    }
    if (digits == 0) return std::nullopt;
    result.index = static_cast<int>(negative ? -value : value);
    return result;
}

CSysIconSet::CSysIconSet(std::string folder, Registry& registry, Shell& shell, UiServices& ui)
    : m_folder(std::move(folder)), m_registry(registry), m_shell(shell), m_ui(ui) {
    if (m_folder.empty()) m_folder = "./";
    if (m_folder.back() != '/') m_folder += '/';
    std::error_code ec;
    std::filesystem::create_directories(m_folder, ec);
    LoadOrCreate();
}

void CSysIconSet::LoadOrCreate() {
    const std::string path = InfoPath();
    if (std::ifstream(path, std::ios::binary).is_open()) {
        (void)LoadInfo(path);
        return;
    }
    m_items = BuiltInSysIconItems();
    (void)SaveInfo(path);
}

bool CSysIconSet::SaveInfo(const std::string& path) {
    const std::string text = FormatSysIconInfo(m_items);
    std::string reason;
    const auto* data = reinterpret_cast<const uint8_t*>(text.data());
    // Without the file the items in memory still serve this session.
    if (!WriteFileAtomically(path, std::span<const uint8_t>(data, text.size()), reason)) {
        return false;
    }
    return LoadInfo(path);
}

bool CSysIconSet::LoadInfo(const std::string& path) {
    m_items.clear();
    std::vector<uint8_t> bytes;
    std::string reason;
    if (!ReadWholeFile(path, kMaxInfoFileBytes, bytes, reason)) return false;
    m_items = ParseSysIconInfo(std::string(bytes.begin(), bytes.end()));
    return true;
}

std::optional<std::string> CSysIconSet::ReadBounded(RegRoot root, const std::string& key,
                                                    const std::string& valueName) const {
    std::optional<std::string> value = m_registry.ReadString(root, key, valueName);
    // The value and its terminating zero must fit the buffer; cutting it
    // would show or back up a location that was never there.
    if (!value || value->size() >= kRegValueBuffer) return std::nullopt;
    return value;
}

std::optional<std::string> CSysIconSet::AskIconFile() {
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Open;
    request.fileName = "*.ico";
    request.filter = kIconFileFilter;
    std::optional<std::string> path = m_ui.ChooseFile(request);
    if (!path) return std::nullopt;
    return *path + ",0";
}

bool CSysIconSet::FitsValue(const std::string& location) {
    if (location.size() < kRegValueBuffer) return true;
    m_ui.ShowMessage("The icon location \"" + location + "\" is too long: at most " +
                         std::to_string(kRegValueBuffer - 1) + " characters can be kept.",
                     "Error", MessageIcon::Error, MessageButtons::Ok);
    return false;
}

bool CSysIconSet::BackupAll() {
    bool all = true;
    for (const SysIconItem& item : m_items) all = BackupItem(item) && all;
    return all;
}

bool CSysIconSet::BackupItem(const SysIconItem& item) {
    if (item.entries.empty()) return false;
    const std::string key = BackupKeyOf(item);
    if (m_registry.KeyExists(RegRoot::ClassesRoot, key)) return false;
    const IconRegEntry& first = item.entries.front();
    // No backup key for a value that cannot be read: one made now would
    // block the real backup for good.
    const std::optional<std::string> value =
        ReadBounded(first.root, first.keyPath, first.valueName);
    if (!value) return false;
    return m_registry.CreateKey(RegRoot::ClassesRoot, key) &&
           m_registry.WriteString(RegRoot::ClassesRoot, key, "", *value);
}

void CSysIconSet::RestoreItem(const SysIconItem& item) {
    if (!m_registry.KeyExists(RegRoot::ClassesRoot, kBackupKey)) return;
    const std::optional<std::string> backup =
        ReadBounded(RegRoot::ClassesRoot, BackupKeyOf(item), "");
    // An empty location would ask for an icon file once per entry.
    if (!backup || backup->empty()) return;
    for (const IconRegEntry& entry : item.entries) {
        (void)SetRegValue(entry.root, entry.keyPath, entry.valueName, *backup);
    }
}

void CSysIconSet::RestoreAll() {
    for (const SysIconItem& item : m_items) RestoreItem(item);
    RefreshRecycleBin();
}

bool CSysIconSet::ReplaceItem(size_t index, std::string location) {
    if (index >= m_items.size()) return false;
    if (location.empty()) {
        std::optional<std::string> chosen = AskIconFile();
        if (!chosen) return false;
        location = std::move(*chosen);
    }
    if (!FitsValue(location)) return false;
    for (const IconRegEntry& entry : m_items[index].entries) {
        (void)SetRegValue(entry.root, entry.keyPath, entry.valueName, location);
    }
    RefreshRecycleBin();
    return true;
}

bool CSysIconSet::SetRegValue(RegRoot root, const std::string& key, const std::string& valueName,
                              std::string data) {
    if (data.empty()) {
        std::optional<std::string> chosen = AskIconFile();
        if (!chosen) return false;
        data = std::move(*chosen);
        if (!FitsValue(data)) return false;
    }
    // Keys are never created here: an object the desktop does not know stays unknown.
    if (m_registry.KeyExists(root, key)) (void)m_registry.WriteString(root, key, valueName, data);
    return true;
}

void CSysIconSet::RefreshRecycleBin() {
    if (const std::optional<bool> empty = m_shell.IsTrashEmpty()) {
        const std::optional<std::string> value =
            ReadBounded(RegRoot::ClassesRoot, kRecycleBinKey, *empty ? "Empty" : "Full");
        // Without a state's value there is nothing to show; asking the user
        // for a file in the middle of a refresh would make no sense.
        if (value && !value->empty()) {
            (void)SetRegValue(RegRoot::ClassesRoot, kRecycleBinKey, "", *value);
            (void)SetRegValue(RegRoot::CurrentUser, kUserRecycleBinKey, "", *value);
        }
    }
    std::vector<ObjectIcon> objects;
    for (const SysIconItem& item : m_items) {
        if (item.entries.empty()) continue;
        const IconRegEntry& first = item.entries.front();
        const std::optional<std::string> now =
            ReadBounded(first.root, first.keyPath, first.valueName);
        const std::optional<IconLocation> location = now ? ParseIconLocation(*now) : std::nullopt;
        if (!location) continue;
        const std::optional<std::string> backup =
            ReadBounded(RegRoot::ClassesRoot, BackupKeyOf(item), "");
        // Without a backup there was no icon to begin with: any icon now is a replacement.
        objects.push_back({item.name, location->path, location->index, !backup || *backup != *now});
    }
    m_shell.ShowObjectIcons(objects);
    m_shell.NotifyIconsChanged();
}

std::optional<ShellIcon> CSysIconSet::GetItemIcon(const SysIconItem& item) const {
    if (item.entries.empty()) return std::nullopt;
    const IconRegEntry& first = item.entries.front();
    if (!m_registry.KeyExists(first.root, first.keyPath)) return std::nullopt;
    const std::optional<std::string> value =
        ReadBounded(first.root, first.keyPath, first.valueName);
    if (!value) return std::nullopt;
    const std::optional<IconLocation> location = ParseIconLocation(*value);
    if (!location) return std::nullopt;
    return m_shell.ExtractIcon(location->path, location->index);
}

void CSysIconSet::FillList(std::vector<SysIconListEntry>& list, bool clear) {
    if (clear) list.clear();
    for (auto it = m_items.begin(); it != m_items.end();) {
        std::optional<ShellIcon> icon = GetItemIcon(*it);
        if (!icon) {
            it = m_items.erase(it);
            continue;
        }
        std::string text = it->name;
        std::replace(text.begin(), text.end(), '_', ' ');
        list.push_back({std::move(text), std::move(*icon)});
        ++it;
    }
}

} // namespace pictoform
