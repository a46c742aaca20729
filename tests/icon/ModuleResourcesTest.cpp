// The resource reader on PE and NE modules: what it lists, in which order,
// and that wrestool lists the same for modules that MinGW's linker and our
// own builders made.

#include <gtest/gtest.h>

#include "icon/ModuleFixtures.h"
#include "icon/ModuleResources.h"

namespace pictoform {
namespace {

using namespace test;

// Identifiers out of order, a named type, a named resource and two
// languages of one name; every resource's bytes differ.
std::vector<Resource> Mixed() {
    const ResourceName group = ResourceName::Id(14), icon = ResourceName::Id(3);
    std::vector<Resource> res{
        {group, ResourceName::Id(7), 1033, {}},
        {group, ResourceName::Id(5), 1033, {}},
        {group, ResourceName::Text("APPICON"), 1033, {}},
        {icon, ResourceName::Id(1), 1033, {}},
        {icon, ResourceName::Id(1), 1031, {}},
        {ResourceName::Text("CUSTOM"), ResourceName::Id(9), 0, {}},
    };
    for (size_t i = 0; i < res.size(); ++i) res[i].data.assign(20 + 41 * i, uint8_t(i + 1));
    return res;
}

// "type/name/language" of every resource, and whether its bytes are those of
// the resource of that key in `source` (NE lengths count whole 16-byte units).
std::string Listing(const ModuleResources& m, const std::vector<Resource>& source) {
    std::string out;
    for (const ModuleResource& r : m.Resources()) {
        out += (out.empty() ? "" : " ") + r.type.ToString() + "/" + r.name.ToString() + "/" +
               std::to_string(r.language);
        const std::span<const uint8_t> bytes = m.BytesOf(r);
        const bool ne = m.Kind() == ModuleKind::kNe;
        const auto same = [&](const Resource& s) {
            return s.type == r.type && s.name == r.name && (ne || s.language == r.language) &&
                   bytes.size() == (ne ? (s.data.size() + 15) / 16 * 16 : s.data.size()) &&
                   std::equal(s.data.begin(), s.data.end(), bytes.begin());
        };
        if (std::none_of(source.begin(), source.end(), same)) out += "(wrong bytes)";
    }
    return out;
}

TEST(ModuleResources, PeListsNamedEntriesFirstThenIdsInDirectoryOrder) {
    for (bool plus : {false, true}) {
        SCOPED_TRACE(plus ? "PE32+" : "PE32");
        const std::vector<Resource> source = Mixed();
        const std::vector<uint8_t> pe = BuildPe(plus, source).bytes;
        ModuleResources m;
        std::string reason;
        ASSERT_TRUE(m.Read(pe, reason)) << reason;
        EXPECT_EQ(m.Kind(), plus ? ModuleKind::kPe32Plus : ModuleKind::kPe32);
        EXPECT_EQ(Listing(m, source),
                  "CUSTOM/9/0 14/APPICON/1033 14/7/1033 14/5/1033 3/1/1033 3/1/1031");
        // Lookups take the first language; a list by type names each resource
        // once (the order: ModuleIcon.ListsEveryGroupWithItsEntries).
        ASSERT_NE(m.Find(3, 1), nullptr);
        EXPECT_EQ(m.Find(3, 1)->language, 1033u);
        EXPECT_EQ(m.Find(3, 2), nullptr);
        EXPECT_EQ(m.Find(14, 9), nullptr);
        EXPECT_EQ(m.OfType(3).size(), 1u);
    }
}

TEST(ModuleResources, NeListsTheTableInItsOrderAndAlignment) {
    const std::vector<Resource> source = Mixed();
    ModuleResources m;
    std::string reason;
    const std::vector<uint8_t> ne = BuildNe(source);
    ASSERT_TRUE(m.Read(ne, reason)) << reason;
    EXPECT_EQ(m.Kind(), ModuleKind::kNe);
    EXPECT_EQ(Listing(m, source), "14/7/0 14/5/0 14/APPICON/0 3/1/0 3/1/0 CUSTOM/9/0");
    EXPECT_EQ(m.Find(3, 1), &m.Resources()[3]);

    const std::vector<uint8_t> aligned = BuildNe({source[5]}, 9);
    ASSERT_TRUE(m.Read(aligned, reason)) << reason;
    ASSERT_EQ(m.Resources().size(), 1u);
    EXPECT_EQ(m.Resources()[0].offset % 512, 0u);
    EXPECT_EQ(m.Resources()[0].size, 512u);
}

TEST(ModuleResources, EmptyModulesAndOtherFiles) {
    ModuleResources m;
    std::string reason;
    std::vector<uint8_t> pe = BuildPe(false, {}).bytes;
    pe[0x58 + 92] = 2; // data directories up to the resource one's
    ASSERT_TRUE(m.Read(pe, reason)) << reason;
    EXPECT_TRUE(m.Resources().empty());
    std::vector<uint8_t> ne = BuildNe({});
    ASSERT_TRUE(m.Read(ne, reason)) << reason;
    EXPECT_TRUE(m.Resources().empty());
    // A resource table given no room: its offset is the next table's.
    std::copy_n(&ne[0x40 + 0x26], 2, &ne[0x40 + 0x24]);
    ASSERT_TRUE(m.Read(ne, reason)) << reason;
    EXPECT_TRUE(m.Resources().empty());

    // (An icon file, which has no MZ header: IconViewerModel.SaysNoIconForModulesWithoutIcons.)
    std::vector<uint8_t> dos(128, 0);
    dos[0] = 'M';
    dos[1] = 'Z';
    dos[0x3C] = 0x40;
    EXPECT_FALSE(m.Read(dos, reason));
    EXPECT_EQ(reason,
              "no PE or NE header at byte 64 (a DOS program, or an unsupported kind of module)");
    dos.resize(40);
    EXPECT_FALSE(m.Read(dos, reason));
    EXPECT_EQ(reason, "MZ header ends at byte 64 of 40");
}

void ExpectSameAsWrestool(const std::string& path) {
    ModuleResources m;
    std::string reason;
    const std::vector<uint8_t> bytes = ReadBytes(path);
    ASSERT_TRUE(m.Read(bytes, reason)) << reason;
    std::string ours, theirs;
    for (const ModuleResource& r : m.Resources()) {
        ours += r.type.ToString() + "/" + r.name.ToString() + ":" + std::to_string(r.size) + " ";
    }
    for (const WrestoolEntry& e : WrestoolList(path)) {
        theirs += e.type + "/" + e.name + ":" + std::to_string(e.size) + " ";
    }
    EXPECT_EQ(ours, theirs);
    EXPECT_FALSE(ours.empty());
}

TEST(ModuleResourcesInterop, ListsWhatWrestoolListsInOurModulesAndMinGwLibraries) {
    PICTOFORM_REQUIRE_WRESTOOL();
    TempDir dir;
    const std::string ne = dir.File("lib.icl"), pe = dir.File("lib.dll");
    WriteBytes(ne, BuildNe(Mixed()));
    WriteBytes(pe, BuildPe(true, Mixed()).bytes);
    ExpectSameAsWrestool(ne);
    ExpectSameAsWrestool(pe);
    const std::string one = dir.File("one.ico"), two = dir.File("two.ico");
    WriteBytes(one, IcoBytes({Pattern(16, 16, kDepth32, 1)}));
    WriteBytes(two, IcoBytes({Pattern(32, 32, kDepth256, 2), Pattern(16, 16, kDepth16, 3)}));
    for (int bits : {32, 64}) {
        SCOPED_TRACE(std::to_string(bits) + " bits");
        PICTOFORM_REQUIRE_MINGW(bits);
        const std::string dll =
            BuildDll(dir, bits, {{"200", one}, {"ZETA", two}, {"5", two}, {"ALPHA", one}},
                     "lib" + std::to_string(bits));
        ASSERT_FALSE(dll.empty());
        ExpectSameAsWrestool(dll);
    }
}

} // namespace
} // namespace pictoform
