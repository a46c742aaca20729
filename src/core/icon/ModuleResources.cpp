#include "icon/ModuleResources.h"

#include <cstring>
#include <set>

#include "io/ByteReader.h"

namespace pictoform {

bool ResourceNameBudget::Take(size_t bytes, std::string& reason) {
    m_used += bytes;
    if (m_used <= kMaxResourceNameBytes) return true;
    reason = "its resource names hold more than " + std::to_string(kMaxResourceNameBytes >> 20) +
             " MB of text";
    return false;
}

namespace {

constexpr size_t kMzHeaderBytes = 64;
constexpr size_t kNewHeaderPointer = 0x3C;

bool Refuse(std::string& reason, std::string text) {
    reason = std::move(text);
    return false;
}

} // namespace

std::string EndsAt(uint64_t end, size_t size) {
    return "ends at byte " + std::to_string(end) + " of " + std::to_string(size);
}

bool ModuleResources::Read(std::span<const uint8_t> module, std::string& reason) {
    m_module = {};
    m_kind = ModuleKind::kNone;
    m_resources.clear();

    if (module.size() < 2 || module[0] != 'M' || module[1] != 'Z') {
        return Refuse(reason, "not a Windows program or library (no MZ header)");
    }
    if (module.size() < kMzHeaderBytes) {
        return Refuse(reason, "MZ header " + EndsAt(kMzHeaderBytes, module.size()));
    }
    ByteReader r(module);
    uint32_t newHeader = 0;
    (void)(r.Seek(kNewHeaderPointer) && r.ReadU32(newHeader));
    const size_t at = newHeader;
    if (at > module.size() || module.size() - at < 2) {
        return Refuse(reason, "module header at byte " + std::to_string(at) + " " +
                                  EndsAt(uint64_t{at} + 2, module.size()));
    }
    std::vector<ModuleResource> found;
    bool ok = false;
    if (module[at] == 'P' && module[at + 1] == 'E') {
        ok = ReadPeResources(module, at, m_kind, found, reason);
    } else if (module[at] == 'N' && module[at + 1] == 'E') {
        m_kind = ModuleKind::kNe;
        ok = ReadNeResources(module, at, found, reason);
    } else {
        return Refuse(reason, "no PE or NE header at byte " + std::to_string(at) +
                                  " (a DOS program, or an unsupported kind of module)");
    }
    if (!ok) {
        m_kind = ModuleKind::kNone;
        return false;
    }
    m_module = module;
    m_resources = std::move(found);
    return true;
}

std::span<const uint8_t> ModuleResources::BytesOf(const ModuleResource& resource) const {
    // The readers only list resources that lie inside the module.
    if (resource.offset > m_module.size() || m_module.size() - resource.offset < resource.size) {
        return {};
    }
    return m_module.subspan(resource.offset, resource.size);
}

const ModuleResource* ModuleResources::Find(uint32_t type, uint32_t id) const {
    for (const ModuleResource& res : m_resources) {
        if (res.type.IsId(type) && res.name.IsId(id)) return &res;
    }
    return nullptr;
}

std::vector<const ModuleResource*> ModuleResources::OfType(uint32_t type) const {
    std::vector<const ModuleResource*> out;
    std::set<std::pair<bool, std::string>> seen;
    for (const ModuleResource& res : m_resources) {
        if (!res.type.IsId(type)) continue;
        // Identifiers and names live apart: name "5" is not identifier 5.
        if (!seen.emplace(res.name.isString,
                          res.name.isString ? res.name.text : std::to_string(res.name.id))
                 .second) {
            continue;
        }
        out.push_back(&res);
    }
    return out;
}

} // namespace pictoform
