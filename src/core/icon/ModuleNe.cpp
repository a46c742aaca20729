// The resources of 16-bit NE modules, the format of old programs and of most
// .icl icon libraries: one resource table of type blocks, each followed by
// the resources of that type, with offsets and lengths in units of the
// table's alignment.

#include <algorithm>

#include "icon/ModuleResources.h"
#include "io/ByteReader.h"

namespace pictoform {

namespace {

constexpr size_t kNeHeaderBytes = 64;
constexpr size_t kResourceTableField = 0x24;
constexpr size_t kResidentNamesField = 0x26;
// The two offsets are read in one go, the second right after the first.
static_assert(kResidentNamesField == kResourceTableField + 2);
constexpr size_t kTypeInfoBytes = 8;
constexpr size_t kNameInfoBytes = 12;
constexpr uint16_t kIntegerId = 0x8000;
// Beyond this every non-zero offset would lie past the largest module read.
constexpr uint16_t kMaxAlignmentShift = 24;

class NeReader {
public:
    NeReader(std::span<const uint8_t> data, std::vector<ModuleResource>& out, std::string& reason)
        : m_data(data), m_out(out), m_reason(reason) {}

    bool Run(size_t neOffset);

private:
    bool Refuse(std::string text) {
        m_reason = std::move(text);
        return false;
    }
    // A type or resource name: an integer with the high bit, else the offset
    // of a length-prefixed string from the start of the resource table.
    bool ReadName(uint16_t field, ResourceName& out);
    bool ReadResources(size_t at, uint16_t count, uint16_t shift, const ResourceName& type);

    std::span<const uint8_t> m_data;
    std::vector<ModuleResource>& m_out;
    std::string& m_reason;
    size_t m_table = 0;
    ResourceNameBudget m_names;
};

bool NeReader::Run(size_t ne) {
    const size_t size = m_data.size();
    if (size - ne < kNeHeaderBytes) {
        return Refuse("NE header " + EndsAt(uint64_t{ne} + kNeHeaderBytes, size));
    }
    ByteReader r(m_data);
    uint16_t tableField = 0, residentField = 0, shift = 0;
    (void)(r.Seek(ne + kResourceTableField) && r.ReadU16(tableField) && r.ReadU16(residentField));
    // A module without resources gives its resource table no room.
    if (tableField == residentField) return true;
    m_table = ne + tableField;
    const std::string here = "resource table at byte " + std::to_string(m_table);
    if (!r.Seek(m_table) || !r.ReadU16(shift)) {
        return Refuse(here + " " + EndsAt(uint64_t{m_table} + 2, size));
    }
    if (shift > kMaxAlignmentShift) {
        return Refuse(here + " has an alignment shift of " + std::to_string(shift));
    }
    for (;;) {
        const size_t block = r.Position();
        uint16_t typeField = 0, count = 0;
        if (!r.ReadU16(typeField))
            return Refuse(here + " has no end before byte " + std::to_string(size));
        if (typeField == 0) return true;
        uint32_t reserved = 0;
        if (!r.ReadU16(count) || !r.ReadU32(reserved)) {
            return Refuse("resource type block at byte " + std::to_string(block) + " " +
                          EndsAt(uint64_t{block} + kTypeInfoBytes, size));
        }
        const uint64_t end = uint64_t{block} + kTypeInfoBytes + uint64_t{count} * kNameInfoBytes;
        if (end > size) {
            return Refuse("resource type block at byte " + std::to_string(block) + " with " +
                          std::to_string(count) + " resources " + EndsAt(end, size));
        }
        ResourceName type;
        if (!ReadName(typeField, type)) return false;
        if (!ReadResources(r.Position(), count, shift, type)) return false;
        (void)r.Seek(static_cast<size_t>(end));
    }
}

bool NeReader::ReadName(uint16_t field, ResourceName& out) {
    if (field & kIntegerId) {
        out = ResourceName::Id(field & ~kIntegerId);
        return true;
    }
    const size_t at = m_table + field;
    ByteReader r(m_data);
    uint8_t length = 0;
    std::span<const uint8_t> text;
    if (!r.Seek(at) || !r.ReadU8(length) || !r.ReadSpan(length, text)) {
        return Refuse("resource name at byte " + std::to_string(at) + " " +
                      EndsAt(uint64_t{at} + 1 + length, m_data.size()));
    }
    if (!m_names.Take(text.size(), m_reason)) return false;
    // The names are in the program's 8-bit code page; Latin-1 keeps them
    // readable and every byte valid.
    std::string utf8;
    for (uint8_t c : text) {
        if (c < 0x80) {
            utf8 += static_cast<char>(c);
        } else {
            utf8 += static_cast<char>(0xC0 | (c >> 6));
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    out = ResourceName::Text(std::move(utf8));
    return true;
}

bool NeReader::ReadResources(size_t at, uint16_t count, uint16_t shift, const ResourceName& type) {
    const size_t size = m_data.size();
    ByteReader r(m_data);
    for (size_t i = 0; i < count; ++i) {
        uint16_t offsetUnits = 0, lengthUnits = 0, flags = 0, idField = 0;
        // The block was checked to lie inside the module.
        (void)(r.Seek(at + i * kNameInfoBytes) && r.ReadU16(offsetUnits) &&
               r.ReadU16(lengthUnits) && r.ReadU16(flags) && r.ReadU16(idField));
        if (m_out.size() >= kMaxModuleResources) {
            return Refuse("module holds more than " + std::to_string(kMaxModuleResources) +
                          " resources");
        }
        ModuleResource res;
        res.type = type;
        if (!ReadName(idField, res.name)) return false;
        // Each entry holds its own copy of its type's name.
        if (!m_names.Take(type.text.size(), m_reason)) return false;
        const uint64_t start = uint64_t{offsetUnits} << shift;
        const uint64_t bytes = uint64_t{lengthUnits} << shift;
        if (start + bytes > size) {
            // The length is rounded up to whole units, so the last resource
            // may claim part of a unit that the file does not hold.
            const uint64_t unit = uint64_t{1} << shift;
            if (start > size || start + bytes - size >= unit) {
                return Refuse("data of resource " + type.ToString() + "/" + res.name.ToString() +
                              " " + EndsAt(start + bytes, size));
            }
        }
        res.offset = static_cast<size_t>(start);
        res.size = static_cast<size_t>(std::min<uint64_t>(bytes, size - start));
        m_out.push_back(std::move(res));
    }
    return true;
}

} // namespace

bool ReadNeResources(std::span<const uint8_t> module, size_t neOffset,
                     std::vector<ModuleResource>& out, std::string& reason) {
    return NeReader(module, out, reason).Run(neOffset);
}

} // namespace pictoform
