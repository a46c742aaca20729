// Mask files and the mask library over a folder.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iterator>

#include "panels/MaskLibrary.h"
#include "support/TestPaths.h"
#include "support/TestSupport.h"

using namespace pictoform;
using namespace pictoform::test;

namespace {

std::vector<uint8_t> MaskBytes(uint8_t w0, uint8_t w1, uint8_t h0, uint8_t h1,
                               std::vector<uint8_t> pixels) {
    std::vector<uint8_t> b(7 + pixels.size());
    const uint8_t header[7] = {'p', 'a', 't', w0, w1, h0, h1};
    std::copy(std::begin(header), std::end(header), b.begin());
    std::copy(pixels.begin(), pixels.end(), b.begin() + 7);
    return b;
}

TestPaths FolderPaths(std::string masks) {
    TestPaths paths;
    paths.masks = std::move(masks);
    return paths;
}

std::vector<std::string> Titles(const std::vector<MaskEntry>& list) {
    std::vector<std::string> titles;
    for (const MaskEntry& e : list) titles.push_back(e.title);
    return titles;
}

} // namespace

TEST(ReadMaskFile, ReadsBigEndianSizesAndTopRowFirstBytes) {
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
}

TEST(ReadMaskFile, RefusesWhatItCannotReadAndKeepsTheOldMask) {
    TempDir dir;
    WriteBytes(dir.File("short.msk"), MaskBytes(0, 2, 0, 3, {1, 2, 3, 4, 5}));
    WriteBytes(dir.File("header.msk"), {'p', 'a', 't', 0, 1, 0});
    WriteBytes(dir.File("magic.msk"), {'p', 'a', 'x', 0, 1, 0, 1, 9});
    // 65535 x 65535 claimed by a file of eight bytes: refused before allocating 4 GB.
    WriteBytes(dir.File("huge.msk"), MaskBytes(0xFF, 0xFF, 0xFF, 0xFF, {1}));
    std::filesystem::create_directory(dir.File("folder.msk"));

    MaskImage mask{1, 1, {42}};
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

    const std::vector<MaskEntry> list = ListMaskLibrary(FolderPaths(dir.Path()));
    EXPECT_EQ(Titles(list), (std::vector<std::string>{"apple", "arrow", "bolt", "Star"}));
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[1].path, dir.File("arrow.msk"));
    MaskImage mask;
    EXPECT_TRUE(ReadMaskFile(list[3].path, mask));
    EXPECT_TRUE(ListMaskFolder(dir.File("Missing")).empty());
}
