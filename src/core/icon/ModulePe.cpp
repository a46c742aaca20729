// The resources of PE modules (32-bit PE32 and 64-bit PE32+): the headers
// lead to the resource data directory, the section table maps its addresses
// to file offsets, and a three-level directory (type, name, language) leads
// to each resource's data.

#include <algorithm>
#include <cstdio>
#include <functional>
#include <set>

#include "icon/ModuleResources.h"
#include "io/ByteReader.h"

namespace pictoform {

namespace {

constexpr size_t kSignatureBytes = 4;
constexpr size_t kCoffBytes = 20;
constexpr size_t kSectionBytes = 40;
constexpr size_t kDirectoryBytes = 16;
constexpr size_t kDirectoryEntryBytes = 8;
constexpr size_t kDataEntryBytes = 16;
constexpr uint16_t kMagicPe32 = 0x10B;
constexpr uint16_t kMagicPe32Plus = 0x20B;
constexpr uint32_t kResourceDataDirectory = 2;
constexpr uint32_t kHighBit = 0x80000000u;
// Type, name, language.
constexpr int kLevels = 3;

std::string Hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", value);
    return text;
}

void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// UTF-16LE to UTF-8; a lone surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::span<const uint8_t> bytes) {
    std::string out;
    const size_t units = bytes.size() / 2;
    auto unit = [&](size_t i) {
        return static_cast<uint32_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    };
    for (size_t i = 0; i < units; ++i) {
        const uint32_t u = unit(i);
        if (u >= 0xD800 && u < 0xDC00 && i + 1 < units && unit(i + 1) >= 0xDC00 &&
            unit(i + 1) < 0xE000) {
            AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (unit(i + 1) - 0xDC00));
            ++i;
        } else if (u >= 0xD800 && u < 0xE000) {
            AppendUtf8(out, 0xFFFD);
        } else {
            AppendUtf8(out, u);
        }
    }
    return out;
}

struct Section {
    std::string name;
    uint32_t virtualAddress = 0;
    uint32_t virtualSize = 0;
    uint32_t rawSize = 0;
    uint32_t rawOffset = 0;
};

class PeReader {
public:
    PeReader(std::span<const uint8_t> data, std::vector<ModuleResource>& out, std::string& reason)
        : m_data(data), m_out(out), m_reason(reason) {}

    bool Run(size_t peOffset, ModuleKind& kind);

private:
    bool Refuse(std::string text) {
        m_reason = std::move(text);
        return false;
    }
    bool ReadSections(size_t tableOffset, uint16_t count);
    // `what` names the bytes in a refusal; it is only asked for then.
    bool MapRva(uint32_t rva, uint32_t size, const std::function<std::string()>& what,
                size_t& offset);
    bool ReadName(uint32_t relative, ResourceName& out);
    bool Walk(uint32_t relative, int level);
    bool AddData(uint32_t relative, uint32_t language);

    std::span<const uint8_t> m_data;
    std::vector<ModuleResource>& m_out;
    std::string& m_reason;
    std::vector<Section> m_sections;
    size_t m_root = 0; // file offset of the root directory
    std::vector<uint32_t> m_ancestors;
    std::set<uint32_t> m_visited;
    ResourceName m_type;
    ResourceName m_name;
    ResourceNameBudget m_names;
};

bool PeReader::Run(size_t at, ModuleKind& kind) {
    const size_t size = m_data.size();
    ByteReader r(m_data);
    if (size - at < kSignatureBytes || m_data[at + 2] != 0 || m_data[at + 3] != 0) {
        return Refuse("PE signature at byte " + std::to_string(at) + " is damaged");
    }
    const size_t coff = at + kSignatureBytes;
    if (size - coff < kCoffBytes) {
        return Refuse("COFF header " + EndsAt(uint64_t{coff} + kCoffBytes, size));
    }
    uint16_t sectionCount = 0, optionalBytes = 0, magic = 0;
    (void)(r.Seek(coff + 2) && r.ReadU16(sectionCount) && r.Seek(coff + 16) &&
           r.ReadU16(optionalBytes));
    const size_t optional = coff + kCoffBytes;
    if (size - optional < optionalBytes) {
        return Refuse("optional header " + EndsAt(uint64_t{optional} + optionalBytes, size));
    }
    if (optionalBytes < 2) {
        return Refuse("optional header of " + std::to_string(optionalBytes) +
                      " bytes is too short");
    }
    (void)(r.Seek(optional) && r.ReadU16(magic));
    size_t countField = 0;
    if (magic == kMagicPe32) {
        kind = ModuleKind::kPe32;
        countField = 92;
    } else if (magic == kMagicPe32Plus) {
        kind = ModuleKind::kPe32Plus;
        countField = 108;
    } else {
        return Refuse("optional header magic " + Hex(magic) + " is neither PE32 nor PE32+");
    }
    if (!ReadSections(optional + optionalBytes, sectionCount)) return false;

    // The data directories follow their count; trust the count only as far
    // as the optional header has room for them.
    uint32_t directoryCount = 0;
    if (optionalBytes >= countField + 4) {
        (void)(r.Seek(optional + countField) && r.ReadU32(directoryCount));
        directoryCount = std::min<uint32_t>(
            directoryCount, static_cast<uint32_t>((optionalBytes - countField - 4) / 8));
    }
    if (directoryCount <= kResourceDataDirectory) return true; // no resources
    uint32_t rootRva = 0;
    (void)(r.Seek(optional + countField + 4 + 8 * kResourceDataDirectory) && r.ReadU32(rootRva));
    if (rootRva == 0) return true;
    if (!MapRva(
            rootRva, kDirectoryBytes, [] { return std::string("resource directory"); }, m_root))
        return false;
    return Walk(0, 0);
}

bool PeReader::ReadSections(size_t table, uint16_t count) {
    const uint64_t end = uint64_t{table} + uint64_t{count} * kSectionBytes;
    if (end > m_data.size()) return Refuse("section table " + EndsAt(end, m_data.size()));
    ByteReader r(m_data);
    m_sections.resize(count);
    for (size_t i = 0; i < count; ++i) {
        Section& s = m_sections[i];
        std::span<const uint8_t> name;
        (void)(r.Seek(table + i * kSectionBytes) && r.ReadSpan(8, name) &&
               r.ReadU32(s.virtualSize) && r.ReadU32(s.virtualAddress) && r.ReadU32(s.rawSize) &&
               r.ReadU32(s.rawOffset));
        s.name.assign(name.begin(), std::find(name.begin(), name.end(), uint8_t{0}));
    }
    return true;
}

bool PeReader::MapRva(uint32_t rva, uint32_t size, const std::function<std::string()>& what,
                      size_t& offset) {
    for (const Section& s : m_sections) {
        // Some linkers leave the virtual size 0; the larger of the two sizes
        // is where the section ends in memory.
        const uint32_t extent = std::max(s.virtualSize, s.rawSize);
        if (rva < s.virtualAddress || rva - s.virtualAddress >= extent) continue;
        const uint64_t delta = rva - s.virtualAddress;
        if (delta + size > s.rawSize) {
            return Refuse(what() + " at RVA " + Hex(rva) + " runs past the file data of section '" +
                          s.name + "'");
        }
        const uint64_t start = uint64_t{s.rawOffset} + delta;
        if (start + size > m_data.size()) {
            return Refuse(what() + " at RVA " + Hex(rva) + " " +
                          EndsAt(start + size, m_data.size()));
        }
        offset = static_cast<size_t>(start);
        return true;
    }
    return Refuse(what() + " at RVA " + Hex(rva) + " lies in no section");
}

bool PeReader::ReadName(uint32_t relative, ResourceName& out) {
    const uint64_t at = uint64_t{m_root} + relative;
    ByteReader r(m_data);
    uint16_t units = 0;
    std::span<const uint8_t> text;
    if (at > m_data.size() || !r.Seek(static_cast<size_t>(at)) || !r.ReadU16(units) ||
        !r.ReadSpan(size_t{units} * 2, text)) {
        return Refuse("resource name at byte " + std::to_string(at) + " " +
                      EndsAt(at + 2 + uint64_t{units} * 2, m_data.size()));
    }
    // The decoding is counted before it is done: one name may be read for
    // many entries.
    if (!m_names.Take(text.size(), m_reason)) return false;
    out = ResourceName::Text(Utf16ToUtf8(text));
    return true;
}

bool PeReader::Walk(uint32_t relative, int level) {
    const size_t size = m_data.size();
    const uint64_t at = uint64_t{m_root} + relative;
    const std::string here = "resource directory at byte " + std::to_string(at);
    if (at > size || size - at < kDirectoryBytes) return Refuse(here + " " + EndsAt(at + 16, size));
    ByteReader r(m_data);
    uint16_t named = 0, ids = 0;
    (void)(r.Seek(static_cast<size_t>(at) + 12) && r.ReadU16(named) && r.ReadU16(ids));
    const size_t count = size_t{named} + ids;
    const uint64_t end = at + kDirectoryBytes + uint64_t{count} * kDirectoryEntryBytes;
    if (end > size) {
        return Refuse(here + " with " + std::to_string(count) + " entries " + EndsAt(end, size));
    }
    m_ancestors.push_back(relative);
    m_visited.insert(relative);
    for (size_t i = 0; i < count; ++i) {
        uint32_t nameField = 0, dataField = 0;
        (void)(r.Seek(static_cast<size_t>(at) + kDirectoryBytes + i * kDirectoryEntryBytes) &&
               r.ReadU32(nameField) && r.ReadU32(dataField));
        ResourceName name = ResourceName::Id(nameField);
        if ((nameField & kHighBit) && !ReadName(nameField & ~kHighBit, name)) return false;
        const bool isDirectory = (dataField & kHighBit) != 0;
        const uint32_t child = dataField & ~kHighBit;
        if (level == kLevels - 1) {
            if (isDirectory) return Refuse(here + " nests deeper than 3 levels");
            if (!AddData(child, name.isString ? 0 : name.id)) return false;
            continue;
        }
        if (!isDirectory) {
            return Refuse(here + " holds data in entry " + std::to_string(i) +
                          " where a directory belongs");
        }
        if (child == relative) return Refuse(here + " points to itself");
        if (std::find(m_ancestors.begin(), m_ancestors.end(), child) != m_ancestors.end()) {
            return Refuse(here + " points back to the directory at byte " +
                          std::to_string(uint64_t{m_root} + child));
        }
        // Directories shared between entries would multiply the resources
        // listed; no linker writes them.
        if (m_visited.count(child) != 0) {
            return Refuse(here + " shares the directory at byte " +
                          std::to_string(uint64_t{m_root} + child) + " with another entry");
        }
        (level == 0 ? m_type : m_name) = std::move(name);
        if (!Walk(child, level + 1)) return false;
    }
    m_ancestors.pop_back();
    return true;
}

bool PeReader::AddData(uint32_t relative, uint32_t language) {
    const uint64_t at = uint64_t{m_root} + relative;
    const size_t size = m_data.size();
    if (at > size || size - at < kDataEntryBytes) {
        return Refuse("resource data entry at byte " + std::to_string(at) + " " +
                      EndsAt(at + kDataEntryBytes, size));
    }
    if (m_out.size() >= kMaxModuleResources) {
        return Refuse("module holds more than " + std::to_string(kMaxModuleResources) +
                      " resources");
    }
    ByteReader r(m_data);
    uint32_t rva = 0, bytes = 0;
    (void)(r.Seek(static_cast<size_t>(at)) && r.ReadU32(rva) && r.ReadU32(bytes));
    // Each entry holds its own copy of the names.
    if (!m_names.Take(m_type.text.size() + m_name.text.size(), m_reason)) return false;
    ModuleResource res;
    res.type = m_type;
    res.name = m_name;
    res.language = language;
    res.size = bytes;
    // Named only if refused: the names can be long, and entries many.
    const auto what = [this] {
        return "data of resource " + m_type.ToString() + "/" + m_name.ToString();
    };
    // An empty resource needs no bytes behind it.
    if (bytes != 0 && !MapRva(rva, bytes, what, res.offset)) return false;
    m_out.push_back(std::move(res));
    return true;
}

} // namespace

bool ReadPeResources(std::span<const uint8_t> module, size_t peOffset, ModuleKind& kind,
                     std::vector<ModuleResource>& out, std::string& reason) {
    return PeReader(module, out, reason).Run(peOffset, kind);
}

} // namespace pictoform
