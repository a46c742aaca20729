// Icons read out of programs and libraries: the group list in its fixed
// order, every image of a group with its exact pixels, and the groups and
// images that are missing or unusable. Libraries come from our own builders
// and from MinGW's windres and ld, checked against wrestool and icotool.

#include <gtest/gtest.h>

#include "icon/IconFile.h"
#include "icon/IconViewerModel.h"
#include "icon/ModuleFixtures.h"
#include "icon/ModuleIcons.h"

namespace pictoform {
namespace {

using namespace test;

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

// Our group list is wrestool's, and each group loads with the pixels that
// wrestool and icotool extract and that the group was made from.
void ExpectSameAsWrestoolExtracts(const std::string& module) {
    std::vector<std::string> listed;
    for (const WrestoolEntry& e : WrestoolList(module)) {
        if (e.type == "14") listed.push_back(e.name);
    }
    std::vector<IconGroup> groups;
    std::string reason;
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

} // namespace
} // namespace pictoform
