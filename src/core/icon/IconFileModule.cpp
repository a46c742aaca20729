// Icons inside programs and libraries: the group icons of a module and the
// images they list, decoded as the images of icon files are.

#include "icon/IconFile.h"
#include "icon/IconImageDecoder.h"
#include "icon/ModuleIcons.h"
#include "io/ByteReader.h"

namespace pictoform {

namespace {

constexpr size_t kGroupHeaderBytes = 6;
constexpr size_t kGroupEntryBytes = 14;

std::string GroupLabel(const IconGroup& group) {
    return group.name.isString ? "icon group '" + group.name.text + "'"
                               : "icon group " + std::to_string(group.name.id);
}

// Why a group cannot be taken at all; empty when it can. An icon group whose
// header says 2 lists icons all the same; other types are not icon groups.
std::string GroupUnusable(const IconGroup& group) {
    if (!group.damage.empty()) return GroupLabel(group) + " " + group.damage;
    if (!IsIconGroupType(group.type)) {
        return GroupLabel(group) + " is of type " + std::to_string(group.type) + ", not an icon";
    }
    return {};
}

std::string HoldsNoImages(const IconGroup& group, size_t missing) {
    return GroupLabel(group) + " holds no images" +
           (missing > 0 ? " (" + std::to_string(missing) + " missing)" : "");
}

} // namespace

bool IsModuleData(std::span<const uint8_t> data) {
    return data.size() >= 2 && data[0] == 'M' && data[1] == 'Z';
}

bool ParseIconGroup(std::span<const uint8_t> data, IconGroup& group, std::string& reason) {
    group.type = 0;
    group.entries.clear();
    ByteReader r(data);
    uint16_t reserved = 0, type = 0, count = 0;
    if (!r.ReadU16(reserved) || !r.ReadU16(type) || !r.ReadU16(count)) {
        reason = "header " + EndsAt(kGroupHeaderBytes, data.size());
        return false;
    }
    const uint64_t end = kGroupHeaderBytes + uint64_t{count} * kGroupEntryBytes;
    if (end > data.size()) {
        reason = "with " + std::to_string(count) + " entries " + EndsAt(end, data.size());
        return false;
    }
    group.type = type;
    group.entries.resize(count);
    for (IconGroupEntry& e : group.entries) {
        uint8_t w = 0, h = 0, colours = 0, unused = 0;
        (void)(r.ReadU8(w) && r.ReadU8(h) && r.ReadU8(colours) && r.ReadU8(unused) &&
               r.ReadU16(e.planes) && r.ReadU16(e.bitCount) && r.ReadU32(e.bytes) &&
               r.ReadU16(e.iconId));
        e.width = w == 0 ? 256 : w;
        e.height = h == 0 ? 256 : h;
        e.colourCount = colours;
    }
    return true;
}

std::vector<IconGroup> IconGroupsOf(const ModuleResources& module) {
    std::vector<IconGroup> groups;
    for (const ModuleResource* res : module.OfType(kResourceTypeGroupIcon)) {
        IconGroup group;
        group.name = res->name;
        std::string reason;
        if (!ParseIconGroup(module.BytesOf(*res), group, reason)) group.damage = reason;
        groups.push_back(std::move(group));
    }
    return groups;
}

bool ListModuleIconGroups(std::span<const uint8_t> bytes, std::vector<IconGroup>& groups,
                          std::string& reason) {
    groups.clear();
    ModuleResources module;
    if (!module.Read(bytes, reason)) return false;
    groups = IconGroupsOf(module);
    return true;
}

bool ListModuleIconGroups(const std::string& path, std::vector<IconGroup>& groups,
                          std::string& reason) {
    groups.clear();
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, kMaxModuleFileBytes, bytes, reason)) return false;
    return ListModuleIconGroups(bytes, groups, reason);
}

bool DecodeModuleIcon(const ModuleResources& module, const IconGroupEntry& entry, IconImageRec& out,
                      std::string& reason, bool headerOnly) {
    const ModuleResource* res = module.Find(kResourceTypeIcon, entry.iconId);
    const std::string label = "icon resource " + std::to_string(entry.iconId);
    if (res == nullptr) {
        reason = label + " is missing";
        return false;
    }
    ImageEntryInfo info;
    info.width = entry.width;
    info.height = entry.height;
    info.colourCount = entry.colourCount;
    info.bitCount = entry.bitCount;
    info.entryBitsCount = true;
    // The group's byte count is a copy; the resource's own size is the truth.
    info.declaredBytes = res->size;
    info.headerOnly = headerOnly;
    if (!DecodeIconImage(module.BytesOf(*res), 0, info, out, reason)) {
        reason = label + " " + reason;
        return false;
    }
    return true;
}

bool CIconFile::LoadModuleIcon(const std::string& path, int index) {
    ClearImages();
    m_fileType = 0;
    std::vector<uint8_t> bytes;
    std::string reason;
    if (!ReadWholeFile(path, kMaxModuleFileBytes, bytes, reason)) return Fail(reason);
    return LoadModuleIconData(bytes, index);
}

bool CIconFile::LoadModuleIconData(std::span<const uint8_t> bytes, int index) {
    ClearImages();
    m_fileType = 0;
    m_decodedPixels = 0;
    m_error.clear();

    ModuleResources module;
    std::string reason;
    if (!module.Read(bytes, reason)) return Fail(reason);
    const std::vector<IconGroup> groups = IconGroupsOf(module);
    if (index < 0 || static_cast<size_t>(index) >= groups.size()) {
        return Fail("module has " + std::to_string(groups.size()) +
                    " icon groups; there is none at index " + std::to_string(index));
    }
    const IconGroup& group = groups[static_cast<size_t>(index)];
    if (const std::string unusable = GroupUnusable(group); !unusable.empty()) {
        return group.damage.empty() ? Fail(unusable) : Damaged(unusable);
    }
    size_t missing = 0;
    for (const IconGroupEntry& entry : group.entries) {
        if (module.Find(kResourceTypeIcon, entry.iconId) == nullptr) {
            ++missing; // a group may list images the module lost; show the rest
            continue;
        }
        IconImageRec rec;
        if (!DecodeModuleIcon(module, entry, rec, reason, !DecodesNext())) {
            ClearImages();
            return Damaged(GroupLabel(group) + ": " + reason);
        }
        if (!AppendDecoded(std::move(rec))) {
            m_error = GroupLabel(group) + ": " + m_error;
            ClearImages();
            return false;
        }
    }
    if (m_images.empty()) return Fail(HoldsNoImages(group, missing));
    m_fileType = kIconType;
    (void)First();
    return true;
}

bool ModuleGroupAsIconFile(const ModuleResources& module, const IconGroup& group,
                           std::vector<uint8_t>& out, std::string& reason) {
    out.clear();
    reason = GroupUnusable(group);
    if (!reason.empty()) return false;
    std::vector<DirectoryImage> images;
    images.reserve(group.entries.size());
    for (const IconGroupEntry& entry : group.entries) {
        const ModuleResource* res = module.Find(kResourceTypeIcon, entry.iconId);
        if (res == nullptr) continue; // as loading does: the images the module kept
        IconImageRec header;
        if (!DecodeModuleIcon(module, entry, header, reason, true)) {
            reason = GroupLabel(group) + ": " + reason;
            return false;
        }
        const std::span<const uint8_t> bytes = module.BytesOf(*res);
        DirectoryImage& image = images.emplace_back();
        image.width = static_cast<uint8_t>(entry.width < 256 ? entry.width : 0);
        image.height = static_cast<uint8_t>(entry.height < 256 ? entry.height : 0);
        image.colourCount = entry.colourCount;
        image.planes = entry.planes;
        image.bitCount = entry.bitCount;
        image.bytes.assign(bytes.begin(), bytes.end());
    }
    if (images.empty()) {
        reason = HoldsNoImages(group, group.entries.size());
        return false;
    }
    return AssembleIconFile(kIconType, images, out, reason);
}

} // namespace pictoform
