// The "sysiconinfo.ini" text: items one after another, each an identifier
// line, a name line, three lines per registry entry and an end line, every
// line ending in CR LF.

#include <charconv>

#include "sysicons/SysIconSet.h"

namespace pictoform {

namespace {

constexpr size_t kMaxLineText = 1000;
constexpr size_t kMaxItems = 1000;
constexpr size_t kMaxEntries = 1000;

const std::string kExplorerClsid =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\CLSID\\";

std::vector<IconRegEntry> PlainEntries(const std::string& clsid) {
    return {{RegRoot::ClassesRoot, "CLSID\\" + clsid + "\\DefaultIcon", ""},
            {RegRoot::CurrentUser, kExplorerClsid + clsid + "\\DefaultIcon", ""}};
}

std::vector<IconRegEntry> RecycleBinEntries(const std::string& state) {
    return {{RegRoot::ClassesRoot, kRecycleBinKey, state},
            {RegRoot::CurrentUser, kUserRecycleBinKey, state},
            {RegRoot::ClassesRoot, kRecycleBinKey, ""},
            {RegRoot::CurrentUser, kUserRecycleBinKey, ""}};
}

enum class LineKind { EndOfFile, Identifier, Name, Field, EndOfItem, Invalid };

class LineReader {
public:
    explicit LineReader(const std::string& bytes) : m_bytes(bytes) {}

    LineKind Read(std::string& text) {
        text.clear();
        if (m_pos >= m_bytes.size()) return LineKind::EndOfFile;
        const char first = m_bytes[m_pos++];
        switch (first) {
        case '?':
            return ReadText(text) ? LineKind::Identifier : LineKind::Invalid;
        case '#':
            return ReadText(text) ? LineKind::Name : LineKind::Invalid;
        case '\t':
            if (m_pos >= m_bytes.size() || m_bytes[m_pos] != '#') return LineKind::Invalid;
            ++m_pos;
            return ReadText(text) ? LineKind::Field : LineKind::Invalid;
        case '@':
            // The last line of a hand-edited file may lack its line end.
            if (m_pos == m_bytes.size()) return LineKind::EndOfItem;
            if (m_bytes.compare(m_pos, 2, "\r\n") != 0) return LineKind::Invalid;
            m_pos += 2;
            return LineKind::EndOfItem;
        default:
            return LineKind::Invalid;
        }
    }

private:
    // The text up to CR, which must be followed by LF; an over-long text or
    // a line cut off by the end of the file makes the line invalid.
    bool ReadText(std::string& text) {
        const size_t cr = m_bytes.find('\r', m_pos);
        if (cr == std::string::npos || cr - m_pos > kMaxLineText) return false;
        if (cr + 1 >= m_bytes.size() || m_bytes[cr + 1] != '\n') return false;
        // A bare LF means a file whose lines end otherwise; reading on to the
        // next CR would swallow the lines between into this one.
        if (m_bytes.find('\n', m_pos) < cr) return false;
        text.assign(m_bytes, m_pos, cr - m_pos);
        m_pos = cr + 2;
        return true;
    }

    const std::string& m_bytes;
    size_t m_pos = 0;
};

// Read as a decimal number the way a C runtime's atoi would, overflow giving 0.
int32_t IdentifierOf(const std::string& text) {
    size_t start = 0;
    if (start < text.size() && text[start] == '+') ++start;
    int32_t value = 0;
    const auto result = std::from_chars(text.data() + start, text.data() + text.size(), value);
    return result.ec == std::errc() ? value : 0;
}

enum class ItemRead { Item, Done, Invalid };

ItemRead ReadItem(LineReader& reader, SysIconItem& item) {
    std::string text;
    LineKind kind = reader.Read(text);
    if (kind == LineKind::EndOfFile) return ItemRead::Done;
    if (kind != LineKind::Identifier) return ItemRead::Invalid;
    item.identifier = IdentifierOf(text);
    if (reader.Read(item.name) != LineKind::Name) return ItemRead::Invalid;
    for (size_t n = 0; n <= kMaxEntries; ++n) {
        kind = reader.Read(text);
        if (kind == LineKind::EndOfItem) return ItemRead::Item;
        if (kind != LineKind::Field || n == kMaxEntries) return ItemRead::Invalid;
        const std::optional<RegRoot> root = RootFromName(text);
        if (!root) return ItemRead::Invalid;
        IconRegEntry entry;
        entry.root = *root;
        if (reader.Read(entry.keyPath) != LineKind::Field ||
            reader.Read(entry.valueName) != LineKind::Field) {
            return ItemRead::Invalid;
        }
        item.entries.push_back(std::move(entry));
    }
    return ItemRead::Invalid;
}

} // namespace

std::vector<SysIconItem> BuiltInSysIconItems() {
    return {
        {1, "My_Computer", PlainEntries("{20D04FE0-3AEA-1069-A2D8-08002B30309D}")},
        {2, "Network", PlainEntries("{208D2C60-3AEA-1069-A2D7-08002B30309D}")},
        {3, "Recycle_Bin(Empty)", RecycleBinEntries("Empty")},
        {4, "Recycle_Bin(Full)", RecycleBinEntries("Full")},
        {5, "My_Documents", PlainEntries("{450D8FBA-AD25-11D0-98A8-0800361B1103}")},
    };
}

std::string FormatSysIconInfo(const std::vector<SysIconItem>& items) {
    std::string out;
    for (const SysIconItem& item : items) {
        out += "?" + std::to_string(item.identifier) + "\r\n";
        out += "#" + item.name + "\r\n";
        for (const IconRegEntry& entry : item.entries) {
            out += std::string("\t#") + RootName(entry.root) + "\r\n";
            out += "\t#" + entry.keyPath + "\r\n";
            out += "\t#" + entry.valueName + "\r\n";
        }
        out += "@\r\n";
    }
    return out;
}

std::vector<SysIconItem> ParseSysIconInfo(const std::string& bytes) {
    std::vector<SysIconItem> items;
    LineReader reader(bytes);
    while (items.size() < kMaxItems) {
        SysIconItem item;
        // An invalid item ends the list: what follows it cannot be trusted to
        // start where an item starts.
        if (ReadItem(reader, item) != ItemRead::Item) break;
        items.push_back(std::move(item));
    }
    return items;
}

} // namespace pictoform
