#include "sysicons/FileRegistry.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <system_error>
#include <vector>

#include "io/ByteReader.h"
#include "io/SafeFile.h"

namespace pictoform {

namespace fs = std::filesystem;

namespace {

constexpr const char* kHeader = "pictoform-registry 1";
constexpr const char* kHeaderWord = "pictoform-registry ";

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string Escape(const std::string& text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte >= 0x7F || c == '%') {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        } else {
            out += c;
        }
    }
    return out;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool Unescape(std::string_view text, std::string& out) {
    out.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        // What the writer escapes may not appear raw.
        if (byte < 0x20 || byte >= 0x7F) return false;
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size()) return false;
        const int high = HexDigit(text[i + 1]);
        const int low = HexDigit(text[i + 2]);
        if (high < 0 || low < 0) return false;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return true;
}

std::vector<std::string_view> SplitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    size_t start = 0;
    while (true) {
        const size_t tab = line.find('\t', start);
        if (tab == std::string_view::npos) {
            fields.push_back(line.substr(start));
            return fields;
        }
        fields.push_back(line.substr(start, tab - start));
        start = tab + 1;
    }
}

// The free name "<path>.damaged", "<path>.damaged.2", ... so that an earlier
// damaged copy is never overwritten.
std::string FreeDamagedName(const std::string& path) {
    std::error_code ec;
    std::string name = path + ".damaged";
    for (int n = 2; fs::symlink_status(name, ec).type() != fs::file_type::not_found; ++n) {
        name = path + ".damaged." + std::to_string(n);
    }
    return name;
}

bool ParseLine(std::string_view line, RegistryData& out, std::string& reason) {
    const std::vector<std::string_view> fields = SplitFields(line);
    const bool isKey = fields[0] == "key";
    const bool isValue = fields[0] == "value";
    if (!isKey && !isValue) {
        reason = "neither a key nor a value";
        return false;
    }
    if (fields.size() != (isKey ? 3u : 5u)) {
        reason = std::to_string(fields.size()) + " fields where a " + std::string(fields[0]) +
                 " has " + (isKey ? "3" : "5");
        return false;
    }
    const std::optional<RegRoot> root = RootFromName(fields[1]);
    if (!root) {
        reason = "no such root";
        return false;
    }
    std::string path;
    std::string name;
    std::string data;
    if (!Unescape(fields[2], path) ||
        (isValue && (!Unescape(fields[3], name) || !Unescape(fields[4], data)))) {
        reason = "a damaged escape or a raw control byte";
        return false;
    }
    path = CanonicalKeyPath(path);
    auto& keys = out.keys[*root];
    // A key's parents exist as in any registry, whatever the file lists.
    for (size_t cut = path.find('\\'); cut != std::string::npos; cut = path.find('\\', cut + 1)) {
        keys.try_emplace(path.substr(0, cut));
    }
    if (!path.empty()) {
        RegistryData::Values& values = keys[path];
        if (isValue) values[name] = data;
    } else if (isValue) {
        reason = "a value of a root, which holds none here";
        return false;
    }
    return true;
}

} // namespace

bool AsciiCaseLess::operator()(const std::string& a, const std::string& b) const {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return Lower(x) < Lower(y); });
}

std::string CanonicalKeyPath(const std::string& path) {
    std::string out;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('\\', start);
        if (end == std::string::npos) end = path.size();
        if (end > start) {
            if (!out.empty()) out += '\\';
            out.append(path, start, end - start);
        }
        start = end + 1;
    }
    return out;
}

std::string FormatRegistryFile(const RegistryData& data) {
    std::string out = std::string(kHeader) + "\n";
    size_t lines = 0;
    for (RegRoot root : kRegRoots) {
        const auto found = data.keys.find(root);
        if (found == data.keys.end()) continue;
        for (const auto& [path, values] : found->second) {
            out += std::string("key\t") + RootName(root) + "\t" + Escape(path) + "\n";
            ++lines;
            for (const auto& [name, value] : values) {
                out += std::string("value\t") + RootName(root) + "\t" + Escape(path) + "\t" +
                       Escape(name) + "\t" + Escape(value) + "\n";
                ++lines;
            }
        }
    }
    out += "end\t" + std::to_string(lines) + "\n";
    return out;
}

bool ParseRegistryFile(const std::string& bytes, RegistryData& out, std::string& reason) {
    out = {};
    if (bytes.size() > kMaxRegistryFileBytes) {
        reason = "larger than " + std::to_string(kMaxRegistryFileBytes) + " bytes";
        return false;
    }
    if (bytes.empty() || bytes.back() != '\n') {
        reason = "cut off: its last line has no line end";
        return false;
    }
    std::vector<std::string_view> lines;
    const std::string_view all(bytes);
    for (size_t start = 0; start < all.size();) {
        const size_t end = all.find('\n', start);
        lines.push_back(all.substr(start, end - start));
        start = end + 1;
    }
    if (lines[0] != kHeader) {
        reason = lines[0].starts_with(kHeaderWord) ? "written in a format version unknown here"
                                                   : "not a registry file of this program";
        return false;
    }
    const std::string_view last = lines.back();
    size_t count = 0;
    const bool haveEnd = last.starts_with("end\t") &&
                         std::from_chars(last.data() + 4, last.data() + last.size(), count).ptr ==
                             last.data() + last.size() &&
                         last.size() > 4;
    if (lines.size() < 2 || !haveEnd) {
        reason = "cut off: the end line is missing";
        return false;
    }
    if (count != lines.size() - 2) {
        reason = "the end line counts " + std::to_string(count) + " lines where there are " +
                 std::to_string(lines.size() - 2);
        return false;
    }
    for (size_t i = 1; i + 1 < lines.size(); ++i) {
        std::string why;
        if (!ParseLine(lines[i], out, why)) {
            reason = "line " + std::to_string(i + 1) + ": " + why;
            out = {};
            return false;
        }
    }
    return true;
}

FileRegistry::FileRegistry(std::string path, UiServices& ui, const Seeder& seed)
    : m_path(std::move(path)), m_ui(ui) {
    Load(seed);
}

std::string FileRegistry::DefaultPath(const EnvironmentLookup& env) {
    return XdgConfigHome(env) + "/pictoform/registry.txt";
}

void FileRegistry::Load(const Seeder& seed) {
    std::error_code ec;
    if (fs::symlink_status(m_path, ec).type() == fs::file_type::not_found) {
        StartAfresh(seed);
        return;
    }
    std::vector<uint8_t> bytes;
    std::string reason;
    if (ReadWholeFile(m_path, kMaxRegistryFileBytes, bytes, reason) &&
        ParseRegistryFile(std::string(bytes.begin(), bytes.end()), m_data, reason)) {
        return;
    }
    const std::string aside = FreeDamagedName(m_path);
    if (::rename(m_path.c_str(), aside.c_str()) != 0) {
        // Starting afresh would overwrite the only copy: keep it, and keep
        // this session's changes in memory.
        m_persistent = false;
        m_ui.ShowMessage("The icon registry " + m_path + " cannot be read (" + reason +
                             ") and cannot be kept aside as " + aside +
                             ". Changes to system icons will not be kept after this session.",
                         "Error", MessageIcon::Error, MessageButtons::Ok);
        StartAfresh(seed);
        return;
    }
    m_damagedCopy = aside;
    m_ui.ShowMessage("The icon registry " + m_path + " is damaged (" + reason +
                         "). It was kept as " + aside + " and a new one was started.",
                     "Error", MessageIcon::Error, MessageButtons::Ok);
    StartAfresh(seed);
}

void FileRegistry::StartAfresh(const Seeder& seed) {
    m_data = {};
    m_holdSaves = true;
    if (seed) seed(*this);
    m_holdSaves = false;
    Save();
}

void FileRegistry::Save() {
    if (!m_persistent || m_holdSaves) return;
    std::error_code ec;
    fs::create_directories(fs::path(m_path).parent_path(), ec);
    const std::string text = FormatRegistryFile(m_data);
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    std::string reason;
    if (WriteFileAtomically(m_path, std::span<const uint8_t>(bytes, text.size()), reason)) {
        m_saveFailureShown = false;
        return;
    }
    // Once until a save works again: every change would say it otherwise.
    if (m_saveFailureShown) return;
    m_saveFailureShown = true;
    m_ui.ShowMessage("Cannot write the icon registry " + m_path + ": " + reason + ".", "Error",
                     MessageIcon::Error, MessageButtons::Ok);
}

bool FileRegistry::KeyExists(RegRoot root, const std::string& path) const {
    const std::string key = CanonicalKeyPath(path);
    if (key.empty()) return true;
    const auto found = m_data.keys.find(root);
    return found != m_data.keys.end() && found->second.contains(key);
}

bool FileRegistry::CreateKey(RegRoot root, const std::string& path) {
    const std::string key = CanonicalKeyPath(path);
    if (key.empty()) return true;
    auto& keys = m_data.keys[root];
    bool added = false;
    for (size_t cut = key.find('\\');; cut = key.find('\\', cut + 1)) {
        added =
            keys.try_emplace(cut == std::string::npos ? key : key.substr(0, cut)).second || added;
        if (cut == std::string::npos) break;
    }
    if (added) Save();
    return true;
}

std::optional<std::string> FileRegistry::ReadString(RegRoot root, const std::string& path,
                                                    const std::string& valueName) const {
    const auto rootKeys = m_data.keys.find(root);
    if (rootKeys == m_data.keys.end()) return std::nullopt;
    const auto key = rootKeys->second.find(CanonicalKeyPath(path));
    if (key == rootKeys->second.end()) return std::nullopt;
    const auto value = key->second.find(valueName);
    if (value == key->second.end()) return std::nullopt;
    return value->second;
}

bool FileRegistry::WriteString(RegRoot root, const std::string& path, const std::string& valueName,
                               const std::string& data) {
    const auto rootKeys = m_data.keys.find(root);
    if (rootKeys == m_data.keys.end()) return false;
    const auto key = rootKeys->second.find(CanonicalKeyPath(path));
    if (key == rootKeys->second.end()) return false;
    auto [value, added] = key->second.try_emplace(valueName, data);
    if (!added) {
        if (value->second == data) return true;
        value->second = data;
    }
    Save();
    return true;
}

} // namespace pictoform
