#pragma once
// The icons of a program or library: its group icons (resource type 14), each
// listing images that are icon resources (type 3).
//
// The groups come in one fixed order, which the icon viewer's index and
// CIconFile::LoadModuleIcon share: every group icon in resource-table order.
// In a PE module that puts the named groups first, in directory order, then
// those with identifiers, in directory order (ascending, as linkers sort
// them); in an NE module it is the table's order.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "icon/IconImageRec.h"
#include "icon/ModuleResources.h"

namespace pictoform {

struct IconGroupEntry {
    int32_t width = 0;  // 1 to 256; a 0 byte stands for 256
    int32_t height = 0; // likewise
    uint8_t colourCount = 0;
    uint16_t planes = 0;
    uint16_t bitCount = 0;
    uint32_t bytes = 0; // what the group says; the icon resource's own size is used
    uint16_t iconId = 0;
};

struct IconGroup {
    ResourceName name;
    uint16_t type = 0; // 1 icon, 2 cursor
    std::vector<IconGroupEntry> entries;
    // Why the group's own data is unusable (too short for its header or its
    // entries); empty when it is intact. A damaged group keeps its place in
    // the order so that the indices of the others do not move.
    std::string damage;
};

// Group icon headers say type 1, or 2 as some tools write; both list icons.
[[nodiscard]] inline bool IsIconGroupType(uint16_t type) {
    return type == 1 || type == 2;
}

// Parses the data of one group icon resource. False, with a reason, when the
// header or the entries it counts run past the data.
[[nodiscard]] bool ParseIconGroup(std::span<const uint8_t> data, IconGroup& group,
                                  std::string& reason);

// A program or library starts "MZ", whatever its name.
[[nodiscard]] bool IsModuleData(std::span<const uint8_t> data);

// The group icons of a module already read, in the fixed order.
[[nodiscard]] std::vector<IconGroup> IconGroupsOf(const ModuleResources& module);

// Reads the module and lists its group icons. False, with a reason, when the
// module cannot be read; a module without icons gives true and no groups.
[[nodiscard]] bool ListModuleIconGroups(std::span<const uint8_t> module,
                                        std::vector<IconGroup>& groups, std::string& reason);
[[nodiscard]] bool ListModuleIconGroups(const std::string& path, std::vector<IconGroup>& groups,
                                        std::string& reason);

// Decodes the image that a group entry names (the icon resource with its
// identifier, first language), bottom row first. A hot spot is never taken.
// False, with a reason, when the resource is missing or damaged. Only its
// header is read when `headerOnly` (its planes stay empty).
[[nodiscard]] bool DecodeModuleIcon(const ModuleResources& module, const IconGroupEntry& entry,
                                    IconImageRec& out, std::string& reason,
                                    bool headerOnly = false);

// The group's images as an icon file, each image's bytes as the module holds
// them and its entry as the group lists it (the resource's own size counted).
// Every image's header is checked and nothing is decoded, so taking a
// program's icons out costs little more than copying them. False, with the
// reason, where loading the group would refuse it.
[[nodiscard]] bool ModuleGroupAsIconFile(const ModuleResources& module, const IconGroup& group,
                                         std::vector<uint8_t>& out, std::string& reason);

} // namespace pictoform
