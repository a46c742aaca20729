// Files that other programs write and read, though they bend the layout:
// each is built the way the named program builds it and must read with
// exact pixels.

#include <gtest/gtest.h>

#include <array>

#include "icon/IconBytes.h"
#include "icon/IconFile.h"
#include "icon/IconTestImages.h"
#include "icon/ModuleFixtures.h"

using namespace pictoform;
using namespace pictoform::test;

namespace {

Px Mixed(int x, int y) {
    return Px{static_cast<uint8_t>(x * 16), static_cast<uint8_t>(y * 8), 77, 255};
}

void ExpectSame(const IconImageRec& want, const IconImageRec& read) {
    EXPECT_EQ(read.width, want.width);
    EXPECT_EQ(read.height, want.height);
    EXPECT_EQ(read.colours, want.colours);
    EXPECT_EQ(read.mask, want.mask);
}

} // namespace

// Where the directory disagrees with a bitmap, the bitmap's own size wins.
// Wine's cursors as wrestool takes them out give half the height in the
// directory; Pillow's hopper_unexpected.ico gives twice it. A writer that wrote
// the mask but left it out of the entry's size: where the mask ends exactly at
// the next image, or at the end of the file, it is read.
TEST(ReadingMends, WhatTheDirectoryGetsWrongTheBitmapPutsRight) {
    const IconImageRec holed = MakeImage(16, 16, kDepth24, [](int x, int y) {
        return Px{static_cast<uint8_t>(x * 16), 40, 77,
                  static_cast<uint8_t>((x + y) % 3 ? 255 : 0)};
    });
    struct Case {
        const char* what;
        IconImageRec image;
        unsigned flags;
        uint8_t entryWidth, entryHeight;
        int maskLeftOut; // 0: none, 1: of the last image, 2: of an image before another
    };
    const Case cases[] = {
        {"cursor, half the height", MakeImage(32, 32, kDepth2, Mixed), kWriteCursor, 32, 16, 0},
        {"icon, twice the height", MakeImage(16, 16, kDepth24, Mixed), 0, 16, 32, 0},
        {"icon, another width", MakeImage(8, 4, kDepth16, Mixed), 0, 3, 4, 0},
        {"mask of the last image", holed, 0, 16, 16, 1},
        {"mask of an image before another", holed, 0, 16, 16, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<IconImageRec> images{c.image};
        if (c.maskLeftOut == 2) images.push_back(MakeImage(8, 8, kDepth24, Mixed));
        Blob file = IcoBytes(images, c.flags);
        file[6] = c.entryWidth;
        file[7] = c.entryHeight;
        if (c.maskLeftOut) PutU32At(file, 14, U32At(file, 14) - 4 * 16);
        CIconFile engine, plain;
        ASSERT_TRUE(engine.ReadIconData(file)) << engine.LastError();
        ASSERT_TRUE(plain.ReadIconData(IcoBytes(images, c.flags)));
        ExpectSame(plain.Images()[0], engine.Images()[0]);
    }
}

TEST(ReadingMends, TrueColourBitmapsThatPillowWroteWithoutAMaskAreOpaque) {
    PICTOFORM_REQUIRE_PILLOW();
    TempDir dir;
    const std::string path = dir.File("rgb.ico");
    const CommandResult made =
        RunPython("import sys\nfrom PIL import Image\n"
                  "im = Image.new('RGB', (24, 16))\n"
                  "im.putdata([(x * 10, y * 15, 77) for y in range(16) for x in range(24)])\n"
                  "im.save(sys.argv[1], sizes=[(16, 16), (24, 16)], bitmap_format='bmp')\n",
                  {path});
    ASSERT_EQ(made.status, 0) << made.err;
    CIconFile engine;
    ASSERT_TRUE(engine.ReadIconFile(path)) << engine.LastError();
    ASSERT_EQ(engine.Images().size(), 2u);
    const IconImageRec& last = engine.Images()[1];
    EXPECT_EQ(last.depth, kDepth24);
    EXPECT_TRUE(SamePixels(Paint(24, 16,
                                 [](int x, int y) -> std::array<uint8_t, 4> {
                                     return {uint8_t(x * 10), uint8_t(y * 15), 77, 255};
                                 }),
                           PictureOf(last)));
}

TEST(ReadingMends, ThirtyTwoBitImagesWithNoAlphaTakeItFromTheirMask) {
    // Older editors wrote 32-bit images with every alpha byte 0 and the
    // shape in the AND mask.
    const IconImageRec image = MakeImage(6, 5, kDepth32, [](int x, int y) {
        return Px{static_cast<uint8_t>(40 * x), 9, static_cast<uint8_t>(50 * y),
                  static_cast<uint8_t>(x > y ? 255 : 0)};
    });
    std::vector<uint8_t> file = IcoBytes({image});
    const size_t pixels = 22 + 40;
    for (size_t p = 0; p < 30; ++p) file[pixels + p * 4 + 3] = 0;
    CIconFile engine;
    ASSERT_TRUE(engine.ReadIconData(file)) << engine.LastError();
    EXPECT_TRUE(SamePixels(PictureOfSource(image), PictureOf(engine.Images()[0])));
    // A faint but real alpha is kept as it is.
    file[pixels + 3] = 1;
    ASSERT_TRUE(engine.ReadIconData(file));
    EXPECT_EQ(ReadPixel(engine.Images()[0], 0, 4).a, 1);
    EXPECT_EQ(ReadPixel(engine.Images()[0], 5, 0).a, 0);
}

TEST(ReadingMends, BytesAfterTheRiffChunkOfAnAnimatedCursorAreNotPartOfIt) {
    const std::vector<IconImageRec> frames = {MakeImage(4, 4, kDepth32, Mixed),
                                              MakeImage(4, 4, kDepth24, Mixed)};
    CIconFile writer;
    std::vector<uint8_t> ani;
    ASSERT_TRUE(writer.EncodeAnimatedCursor(frames, 0, ani));
    const size_t whole = ani.size();
    // A chunk header whose size runs far past the end, as tools leave behind.
    const uint8_t junk[] = {'J', 'U', 'N', 'K', 0x10, 0x10, 0, 0, 1, 2};
    ani.insert(ani.end(), std::begin(junk), std::end(junk));
    CIconFile engine;
    ASSERT_TRUE(engine.ReadAnimatedData(ani)) << engine.LastError();
    ASSERT_EQ(engine.Images().size(), 2u);
    EXPECT_EQ(engine.Images()[1].depth, kDepth24);
    // The same chunk inside the RIFF chunk is damage.
    PutU32At(ani, 4, static_cast<uint32_t>(ani.size() - 8));
    EXPECT_FALSE(engine.ReadAnimatedData(ani));
    EXPECT_EQ(engine.LastError(), "chunk \"JUNK\" ends at byte " +
                                      std::to_string(whole + 8 + 0x1010) + " of " +
                                      std::to_string(ani.size()));
}
