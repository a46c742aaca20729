// Mask files and the mask library over a folder.

#include <gtest/gtest.h>

#include <filesystem>

#include "panels/MaskLibrary.h"
#include "support/TestPaths.h"
#include "support/TestSupport.h"

using namespace pictoform;
using namespace pictoform::test;

namespace {

std::vector<uint8_t> MaskBytes(uint8_t w0, uint8_t w1, uint8_t h0, uint8_t h1,
                               std::vector<uint8_t> pixels) {
    pixels.insert(pixels.begin(), {'p', 'a', 't', w0, w1, h0, h1});
    return pixels;
}

} // namespace

TEST(ReadMaskFile, ReadsBigEndianSizesAndTopRowFirstBytesAndRefusesTheRest) {
    struct Case {
        std::vector<uint8_t> file;
        int width, height;
        std::vector<uint8_t> pixels;
    };
    const Case cases[] = {
        // The extra byte is not read.
        {MaskBytes(0, 2, 0, 3, {1, 2, 3, 4, 5, 6, 99}), 2, 3, {1, 2, 3, 4, 5, 6}},
        {MaskBytes(1, 0, 0, 1, std::vector<uint8_t>(256, 7)), 256, 1, std::vector<uint8_t>(256, 7)},
        {MaskBytes(0, 0, 0, 0, {}), 0, 0, {}},
    };
    TempDir dir;
    MaskImage mask; // one for all: a read replaces what the last one left
    for (const Case& c : cases) {
        WriteBytes(dir.File("m.msk"), c.file);
        ASSERT_TRUE(ReadMaskFile(dir.File("m.msk"), mask)) << c.width;
        EXPECT_EQ(mask.width, c.width);
        EXPECT_EQ(mask.height, c.height);
        EXPECT_EQ(mask.pixels, c.pixels);
    }

    // What it cannot read is refused, and the mask read before is kept.
    WriteBytes(dir.File("short.msk"), MaskBytes(0, 2, 0, 3, {1, 2, 3, 4, 5}));
    WriteBytes(dir.File("header.msk"), {'p', 'a', 't', 0, 1, 0});
    WriteBytes(dir.File("magic.msk"), {'p', 'a', 'x', 0, 1, 0, 1, 9});
    // 65535 x 65535 claimed by a file of eight bytes: refused before allocating 4 GB.
    WriteBytes(dir.File("huge.msk"), MaskBytes(0xFF, 0xFF, 0xFF, 0xFF, {1}));
    std::filesystem::create_directory(dir.File("folder.msk"));

    mask = MaskImage{1, 1, {42}};
    for (const char* name :
         {"short.msk", "header.msk", "magic.msk", "huge.msk", "folder.msk", "missing.msk"}) {
        std::string why;
        EXPECT_FALSE(ReadMaskFile(dir.File(name), mask, &why)) << name;
        EXPECT_FALSE(why.empty()) << name;
    }
    EXPECT_EQ(mask.width, 1);
    EXPECT_EQ(mask.pixels, std::vector<uint8_t>{42});
}

TEST(MaskLibrary, ListsByInitialLetterWithFullPaths) {
    TempDir dir;
    for (const char* name : {"bolt.msk", "arrow.msk", "Star.msk", "apple.MSK", "_hidden.msk",
                             "9lives.msk", "cloud.txt", "heart.msk.bak"})
        WriteBytes(dir.File(name), MaskBytes(0, 0, 0, 0, {}));
    std::filesystem::create_directory(dir.File("dir.msk"));

    TestPaths paths;
    paths.masks = dir.Path();
    std::string listed;
    for (const MaskEntry& e : ListMaskLibrary(paths)) listed += e.title + "=" + e.path + ";";
    EXPECT_EQ(listed, "apple=" + dir.File("apple.MSK") + ";arrow=" + dir.File("arrow.msk") +
                          ";bolt=" + dir.File("bolt.msk") + ";Star=" + dir.File("Star.msk") + ";");
    EXPECT_TRUE(ListMaskFolder(dir.File("Missing")).empty());
}
