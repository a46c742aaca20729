#pragma once
// The resources of a Windows program or library (.exe, .dll, .icl), read from
// its bytes: 32- and 64-bit PE modules and 16-bit NE modules. Nothing of the
// module runs and nothing it says is trusted; a damaged module is refused
// with a reason.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "io/Limits.h"

namespace pictoform {

inline constexpr uint32_t kResourceTypeIcon = 3;
inline constexpr uint32_t kResourceTypeGroupIcon = 14;

// A resource type or name: an integer identifier or a string.
struct ResourceName {
    bool isString = false;
    uint32_t id = 0;
    std::string text; // UTF-8

    [[nodiscard]] static ResourceName Id(uint32_t id) { return {false, id, {}}; }
    [[nodiscard]] static ResourceName Text(std::string text) { return {true, 0, std::move(text)}; }
    // "5" for an identifier, the string itself for a name.
    [[nodiscard]] std::string ToString() const { return isString ? text : std::to_string(id); }
    [[nodiscard]] bool IsId(uint32_t value) const { return !isString && id == value; }
    bool operator==(const ResourceName&) const = default;
};

struct ModuleResource {
    ResourceName type;
    ResourceName name;
    uint32_t language = 0; // 0 in NE modules, which have no languages
    size_t offset = 0;     // of its bytes in the module
    size_t size = 0;
};

enum class ModuleKind { kNone, kPe32, kPe32Plus, kNe };

class ModuleResources {
public:
    // Reads the resource table of the module. The bytes are borrowed: they
    // must outlive this object. On failure the table is empty.
    [[nodiscard]] bool Read(std::span<const uint8_t> module, std::string& reason);

    [[nodiscard]] ModuleKind Kind() const { return m_kind; }
    // Every resource, in the order the module's resource table holds them.
    [[nodiscard]] const std::vector<ModuleResource>& Resources() const { return m_resources; }
    [[nodiscard]] std::span<const uint8_t> BytesOf(const ModuleResource& resource) const;

    // The resource of this type with this integer identifier, its first
    // language; null when there is none.
    [[nodiscard]] const ModuleResource* Find(uint32_t type, uint32_t id) const;
    // The resources of one type in table order, each name once (its first
    // language).
    [[nodiscard]] std::vector<const ModuleResource*> OfType(uint32_t type) const;

private:
    std::span<const uint8_t> m_module;
    ModuleKind m_kind = ModuleKind::kNone;
    std::vector<ModuleResource> m_resources;
};

// The text of resource names a reader decodes or holds copies of, counted
// against kMaxResourceNameBytes: many entries can share one long name.
class ResourceNameBudget {
public:
    // False, with the reason, once the text passes the limit.
    [[nodiscard]] bool Take(size_t bytes, std::string& reason);

private:
    size_t m_used = 0;
};

// The format readers behind ModuleResources::Read. `peOffset` is where the
// MZ header's e_lfanew points; they append to `out`.
[[nodiscard]] bool ReadPeResources(std::span<const uint8_t> module, size_t peOffset,
                                   ModuleKind& kind, std::vector<ModuleResource>& out,
                                   std::string& reason);
[[nodiscard]] bool ReadNeResources(std::span<const uint8_t> module, size_t neOffset,
                                   std::vector<ModuleResource>& out, std::string& reason);

// "ends at byte 600 of 512", the tail of most reasons.
[[nodiscard]] std::string EndsAt(uint64_t end, size_t size);

} // namespace pictoform
