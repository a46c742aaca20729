// Resources and icons read out of programs and libraries: what the resource
// reader lists and in which order, the group list, every image of a group
// with its exact pixels, and the groups and images that are missing or
// unusable; the icon viewer's items, 32 x 32 previews and the index that OK
// gives. Libraries come from our own builders and from MinGW's windres and
// ld, checked against wrestool and icotool.

#include <gtest/gtest.h>

#include "icon/IconBytes.h"
#include "icon/IconFile.h"
#include "icon/IconTestImages.h"
#include "icon/IconViewerModel.h"
#include "icon/ModuleFixtures.h"
#include "icon/ModuleIcons.h"
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

TEST(ModuleResources, ListsInDirectoryOrderPeNamedEntriesFirst) {
    const std::vector<Resource> source = Mixed();
    const char* const pe = "CUSTOM/9/0 14/APPICON/1033 14/7/1033 14/5/1033 3/1/1033 3/1/1031";
    const struct {
        std::vector<uint8_t> bytes;
        ModuleKind kind;
        std::string listing;
        size_t firstIcon; // where the first language of icon 1 is listed
    } cases[] = {
        {BuildPe(false, source).bytes, ModuleKind::kPe32, pe, 4},
        {BuildPe(true, source).bytes, ModuleKind::kPe32Plus, pe, 4},
        {BuildNe(source), ModuleKind::kNe, "14/7/0 14/5/0 14/APPICON/0 3/1/0 3/1/0 CUSTOM/9/0", 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.kind));
        ModuleResources m;
        std::string reason;
        ASSERT_TRUE(m.Read(c.bytes, reason)) << reason;
        EXPECT_EQ(m.Kind(), c.kind);
        EXPECT_EQ(Listing(m, source), c.listing);
        // Lookups take the first language; a list by type names each resource
        // once (the order: ModuleIcon.ListsEveryGroupWithItsEntries).
        EXPECT_EQ(m.Find(3, 1), &m.Resources()[c.firstIcon]);
        EXPECT_EQ(m.Find(3, 2), nullptr);
        EXPECT_EQ(m.Find(14, 9), nullptr);
        EXPECT_EQ(m.OfType(3).size(), 1u);
    }
    // NE resources start and end on the table's alignment.
    ModuleResources m;
    std::string reason;
    ASSERT_TRUE(m.Read(BuildNe({source[5]}, 9), reason)) << reason;
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
    std::vector<uint8_t> dos = Bytes().Raw({'M', 'Z'}).Zeros(0x3A).U32(0x40).Zeros(64).b;
    EXPECT_FALSE(m.Read(dos, reason));
    EXPECT_EQ(reason,
              "no PE or NE header at byte 64 (a DOS program, or an unsupported kind of module)");
    dos.resize(40);
    EXPECT_FALSE(m.Read(dos, reason));
    EXPECT_EQ(reason, "MZ header ends at byte 64 of 40");
}

void ExpectGroupLoaded(const CIconFile& engine, const SampleGroup& group) {
    SCOPED_TRACE("group " + group.name);
    ASSERT_EQ(engine.Images().size(), group.sources.size());
    EXPECT_EQ(engine.FileType(), kIconType);
    for (size_t i = 0; i < group.sources.size(); ++i) {
        SCOPED_TRACE("image " + std::to_string(i));
        const IconImageRec& rec = engine.Images()[i];
        EXPECT_EQ(rec.depth, group.sources[i].depth);
        EXPECT_TRUE(SamePixels(PictureOfSource(group.sources[i]), PictureOf(rec)));
    }
}

std::vector<std::pair<std::string, std::vector<uint8_t>>> HandBuiltLibraries(bool named) {
    const std::vector<Resource> res = SampleResources(named);
    return {{"PE32", BuildPe(false, res).bytes},
            {"PE32+", BuildPe(true, res).bytes},
            {"NE", BuildNe(res)}};
}

TEST(ModuleIcon, ListsEveryGroupWithItsEntries) {
    for (const auto& [kind, bytes] : HandBuiltLibraries(true)) {
        SCOPED_TRACE(kind);
        std::vector<IconGroup> groups;
        std::string reason;
        ASSERT_TRUE(ListModuleIconGroups(bytes, groups, reason)) << reason;
        // name: width x height x bits #icon id, per entry.
        std::string listed;
        for (const IconGroup& g : groups) {
            listed += g.name.ToString() + ":";
            for (const IconGroupEntry& e : g.entries) {
                listed += " " + std::to_string(e.width) + "x" + std::to_string(e.height) + "x" +
                          std::to_string(e.bitCount) + "#" + std::to_string(e.iconId);
            }
            listed += "; ";
        }
        EXPECT_EQ(listed, "APPICON: 24x24x24#1 16x16x1#2; 5: 16x16x8#3 16x16x32#4 32x32x8#5 "
                          "32x32x32#6; 7: 48x48x32#7 16x16x4#8; 200: 256x256x32#9; ");
    }
}

TEST(ModuleIcon, LoadsEachGroupByItsIndex) {
    for (bool named : {false, true}) {
        for (const auto& [kind, bytes] : HandBuiltLibraries(named)) {
            SCOPED_TRACE(kind + (named ? " with the named group" : ""));
            HotSpot hotSpot{3, 4};
            CIconFile engine(hotSpot);
            const size_t first = named ? 0 : 1;
            for (size_t g = first; g < SampleGroups().size(); ++g) {
                ASSERT_TRUE(engine.LoadModuleIconData(bytes, static_cast<int>(g - first)))
                    << engine.LastError();
                ExpectGroupLoaded(engine, SampleGroups()[g]);
            }
            EXPECT_EQ(hotSpot, (HotSpot{3, 4})) << "a module's icons have no hot spot";
            const int count = static_cast<int>(SampleGroups().size() - first);
            EXPECT_FALSE(engine.LoadModuleIconData(bytes, count));
            EXPECT_EQ(engine.LastError(), "module has " + std::to_string(count) +
                                              " icon groups; there is none at index " +
                                              std::to_string(count));
            EXPECT_TRUE(engine.Images().empty());
            EXPECT_EQ(engine.FileType(), 0u);
            EXPECT_FALSE(engine.LoadModuleIconData(bytes, -1));
        }
    }
}

TEST(ModuleIcon, SkipsMissingImagesAndRefusesGroupsLeftEmpty) {
    const std::vector<uint8_t> ico =
        IcoBytes({Pattern(16, 16, kDepth32, 20), Pattern(32, 32, kDepth16, 21)});
    const std::vector<IcoImage> images = SplitIco(ico);
    // Group 1 lists icons 10 and 11, of which only 11 is there; group 2
    // lists icon 12 alone, which is not.
    const std::vector<Resource> res{
        {ResourceName::Id(14), ResourceName::Id(1), 1033, GroupData(images, 10)},
        {ResourceName::Id(14), ResourceName::Id(2), 1033, GroupData({images[0]}, 12)},
        {ResourceName::Id(3), ResourceName::Id(11), 1033, images[1].data},
    };
    const std::vector<uint8_t> pe = BuildPe(false, res).bytes;
    CIconFile engine;
    ASSERT_TRUE(engine.LoadModuleIconData(pe, 0)) << engine.LastError();
    ASSERT_EQ(engine.Images().size(), 1u);
    EXPECT_EQ(engine.Images()[0].width, 32);
    EXPECT_EQ(engine.Images()[0].depth, kDepth16);
    EXPECT_FALSE(engine.LoadModuleIconData(pe, 1));
    EXPECT_EQ(engine.LastError(), "icon group 2 holds no images (1 missing)");
}

TEST(ModuleIcon, GroupsOfType2ReadAsIconsAndOtherTypesAreRefused) {
    const IconImageRec pattern = Pattern(16, 16, kDepth32, 22);
    const std::vector<IcoImage> images = SplitIco(IcoBytes({pattern}));
    for (const uint16_t type : {uint16_t{2}, uint16_t{3}}) {
        SCOPED_TRACE(type);
        const std::vector<uint8_t> ne = BuildNe({
            {ResourceName::Id(14), ResourceName::Text("CUR"), 1033, GroupData(images, 1, type)},
            {ResourceName::Id(3), ResourceName::Id(1), 1033, images[0].data},
        });
        CIconFile engine;
        ModuleResources module;
        std::string reason;
        ASSERT_TRUE(module.Read(ne, reason)) << reason;
        std::vector<uint8_t> preview;
        // The viewer shows what loads, and nothing else.
        EXPECT_EQ(BuildGroupPreview(module, IconGroupsOf(module)[0], 16, preview), type == 2);
        if (type == 3) {
            EXPECT_FALSE(engine.LoadModuleIconData(ne, 0));
            EXPECT_EQ(engine.LastError(), "icon group 'CUR' is of type 3, not an icon");
            continue;
        }
        ASSERT_TRUE(engine.LoadModuleIconData(ne, 0)) << engine.LastError();
        EXPECT_TRUE(SamePixels(PictureOfSource(pattern), PictureOf(engine.Images()[0])));
    }
}

TEST(ModuleIcon, CapsThePixelsAGroupDecodesTo) {
    // Entries may all name the same icon, so the module's size does not bound
    // what a group decodes to.
    const std::vector<Resource> res = GroupOfOneIcon(kMaxDecodedPixels / (256 * 256) + 1);
    CIconFile engine;
    EXPECT_FALSE(engine.LoadModuleIconData(BuildPe(false, res).bytes, 0));
    EXPECT_EQ(engine.LastError(),
              "icon group 1: its images hold more than " +
                  std::to_string(kMaxDecodedPixels / 1000000) +
                  " million pixels in all, more than Pictoform reads from one file");
    EXPECT_TRUE(engine.Images().empty());
}

// Our resource list is wrestool's, sizes too, and each icon group loads with
// the pixels that wrestool and icotool extract and that the group was made from.
void ExpectSameAsWrestoolExtracts(const std::string& module) {
    std::vector<std::string> listed;
    std::string ourList, theirList;
    for (const WrestoolEntry& e : WrestoolList(module)) {
        if (e.type == "14") listed.push_back(e.name);
        theirList += e.type + "/" + e.name + ":" + std::to_string(e.size) + " ";
    }
    const std::vector<uint8_t> bytes = ReadBytes(module);
    ModuleResources m;
    std::string reason;
    ASSERT_TRUE(m.Read(bytes, reason)) << reason;
    for (const ModuleResource& r : m.Resources()) {
        ourList += r.type.ToString() + "/" + r.name.ToString() + ":" + std::to_string(r.size) + " ";
    }
    EXPECT_EQ(ourList, theirList);
    std::vector<IconGroup> groups;
    ASSERT_TRUE(ListModuleIconGroups(module, groups, reason)) << reason;
    ASSERT_EQ(groups.size(), listed.size());
    ASSERT_EQ(groups.size(), SampleGroups().size());
    TempDir dir;
    CIconFile engine;
    for (size_t g = 0; g < groups.size(); ++g) {
        EXPECT_EQ(groups[g].name.ToString(), listed[g]);
        ASSERT_TRUE(engine.LoadModuleIcon(module, static_cast<int>(g))) << engine.LastError();
        ExpectGroupLoaded(engine, SampleGroups()[g]);
        const std::vector<Picture> theirs = WrestoolGroupPictures(dir, module, listed[g]);
        ASSERT_EQ(theirs.size(), engine.Images().size());
        for (size_t i = 0; i < theirs.size(); ++i) {
            EXPECT_TRUE(SamePixels(theirs[i], PictureOf(engine.Images()[i])))
                << "group " << listed[g] << " image " << i;
        }
    }
}

TEST(ModuleIconInterop, LibrariesLoadAsWrestoolAndIcotoolExtract) {
    PICTOFORM_REQUIRE_WRESTOOL();
    PICTOFORM_REQUIRE_ICOTOOL();
    TempDir dir;
    const std::string icl = dir.File("lib.icl");
    WriteBytes(icl, BuildNe(SampleResources(true)));
    ExpectSameAsWrestoolExtracts(icl);
    for (int bits : {32, 64}) {
        SCOPED_TRACE(std::to_string(bits) + " bits");
        PICTOFORM_REQUIRE_MINGW(bits);
        const std::string dll = MinGwLibraries(bits).full;
        ASSERT_FALSE(dll.empty());
        ExpectSameAsWrestoolExtracts(dll);
    }
}

std::string WriteModule(const TempDir& dir, const std::string& name,
                        const std::vector<uint8_t>& bytes) {
    const std::string path = dir.File(name);
    WriteBytes(path, bytes);
    return path;
}

TEST(IconViewerModel, OkGivesTheIndexOfTheSelectedItemAndNothingWithoutOne) {
    TempDir dir;
    const std::string path = WriteModule(dir, "lib.icl", BuildNe(SampleResources(false)));
    CIconViewerModel model(path);
    ASSERT_FALSE(model.MustClose()) << model.LoadError();
    ASSERT_EQ(model.IconCount(), 3);
    EXPECT_EQ(model.ItemText(2), "icon 3");
    // What OK gives after selecting `item`: the index chosen and the result text.
    const auto okAfter = [&](int item) {
        model.Select(item);
        model.Accept();
        return std::pair(model.ChosenIndex(), model.ResultText());
    };
    // OK without a selection, or past the last item, chooses nothing.
    EXPECT_EQ(okAfter(-1), std::pair(-1, std::string()));
    EXPECT_EQ(okAfter(3), std::pair(-1, std::string()));
    EXPECT_EQ(model.SelectedItem(), -1);
    model.Select(1);
    EXPECT_EQ(okAfter(-1), std::pair(-1, std::string()));
    EXPECT_EQ(okAfter(2), std::pair(2, path + ",2"));
}

TEST(IconViewerModel, SaysNoIconForModulesWithoutIcons) {
    TempDir dir;
    const std::vector<Resource> versionOnly{
        {ResourceName::Id(16), ResourceName::Id(1), 1033, std::vector<uint8_t>(64, 0)}};
    CIconViewerModel empty(WriteModule(dir, "empty.dll", BuildPe(true, versionOnly).bytes));
    EXPECT_TRUE(empty.MustClose());
    EXPECT_EQ(empty.IconCount(), 0);
    EXPECT_EQ(empty.LoadError(), "");

    CIconViewerModel notModule(
        WriteModule(dir, "icon.ico", IcoBytes({Pattern(16, 16, kDepth32, 1)})));
    EXPECT_TRUE(notModule.MustClose());
    EXPECT_EQ(notModule.LoadError(), "not a Windows program or library (no MZ header)");
    CIconViewerModel missing(dir.File("missing.dll"));
    EXPECT_TRUE(missing.MustClose());
    EXPECT_FALSE(missing.LoadError().empty());
}

TEST(IconViewerModel, PreviewsPreferAnExact32PixelImageElseScaleTheNearest) {
    TempDir dir;
    const std::string path =
        WriteModule(dir, "full.dll", BuildPe(true, SampleResources(true)).bytes);
    CIconViewerModel model(path);
    ASSERT_EQ(model.IconCount(), 4);
    const auto& groups = SampleGroups();
    // APPICON: 24 x 24 true colour scaled up rather than 16 x 16 monochrome.
    EXPECT_EQ(model.PreviewBgra(0), Preview32(groups[0].sources[0]));
    // Group 5: the 32 x 32 at 32 bits, not the one in 256 colours.
    EXPECT_EQ(model.PreviewBgra(1), Preview32(groups[1].sources[3]));
    // Group 7: 48 x 48 scaled down; group 200: the PNG scaled down.
    EXPECT_EQ(model.PreviewBgra(2), Preview32(groups[2].sources[0]));
    EXPECT_EQ(model.PreviewBgra(3), Preview32(groups[3].sources[0]));
    EXPECT_EQ(model.PreviewBgra(4), std::vector<uint8_t>(32 * 32 * 4, 0));
}

TEST(IconViewerModel, PreviewFallsBackWhenTheBestImageIsUnusable) {
    const IconImageRec big = Pattern(32, 32, kDepth32, 30);
    const IconImageRec small = Pattern(16, 16, kDepth256, 31);
    std::vector<IcoImage> images = SplitIco(IcoBytes({big, small}));
    images[0].data.resize(100); // the 32 x 32 image is cut short
    // A 32-bit image whose alpha bytes are all 0 is drawn by its AND mask.
    const IconImageRec opaque = MakeImage(32, 32, kDepth32, [](int x, int y) {
        return Px{uint8_t(x * 8), uint8_t(y * 8), 9, 255};
    });
    std::vector<IcoImage> noAlpha = SplitIco(IcoBytes({opaque}));
    for (size_t p = 0; p < 32 * 32; ++p) noAlpha[0].data[40 + 4 * p + 3] = 0;
    const std::vector<Resource> res{
        {ResourceName::Id(14), ResourceName::Id(1), 1033, GroupData(images, 1)},
        {ResourceName::Id(14), ResourceName::Id(2), 1033, GroupData(noAlpha, 3)},
        {ResourceName::Id(14), ResourceName::Id(3), 1033, GroupData(noAlpha, 9)},
        {ResourceName::Id(3), ResourceName::Id(1), 1033, images[0].data},
        {ResourceName::Id(3), ResourceName::Id(2), 1033, images[1].data},
        {ResourceName::Id(3), ResourceName::Id(3), 1033, noAlpha[0].data},
    };
    TempDir dir;
    CIconViewerModel model(WriteModule(dir, "odd.dll", BuildPe(false, res).bytes));
    ASSERT_EQ(model.IconCount(), 3);
    EXPECT_EQ(model.PreviewBgra(0), Preview32(small));
    IconImageRec shown = opaque;
    shown.alpha.clear(); // drawn by the mask: every pixel opaque
    EXPECT_EQ(model.PreviewBgra(1), Preview32(shown));
    // Group 3 names icon 9, which is missing: nothing to show.
    EXPECT_EQ(model.PreviewBgra(2), std::vector<uint8_t>(32 * 32 * 4, 0));
}

} // namespace
} // namespace pictoform
