// The icon viewer's logic: items and their texts, the 32 x 32 previews, and
// the index and result text that OK gives.

#include <gtest/gtest.h>

#include "icon/IconFile.h"
#include "icon/IconTestImages.h"
#include "icon/IconViewerModel.h"
#include "icon/ModuleFixtures.h"

namespace pictoform {
namespace {

using namespace test;

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
