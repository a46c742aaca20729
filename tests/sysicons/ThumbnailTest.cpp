// Thumbnails: the image nearest the size at or above it, scaled down and
// never up, an animated cursor's first frame shown, a program's first icon
// group; only the image chosen is decoded.

#include <gtest/gtest.h>

#include "icon/IconFile.h"
#include "icon/ModuleFixtures.h"
#include "icon/ModuleIcons.h"
#include "icon/PictureScale.h"
#include "sysicons/DesktopShell.h"
#include "sysicons/Thumbnail.h"

namespace pictoform {
namespace {

using namespace test;

// Image `index` of a file as a whole read gives it, as a picture.
BgraPicture ImageOf(const std::vector<uint8_t>& bytes, size_t index) {
    CIconFile file;
    const bool read =
        IsModuleData(bytes) ? file.LoadModuleIconData(bytes, 0) : file.ReadIconData(bytes);
    if (!read || index >= file.Images().size()) return {};
    const IconImageRec& rec = file.Images()[index];
    return {rec.width, rec.height, BgraOfRecord(rec)};
}

TEST(ThumbnailTest, TheImageNearestTheSizeAtOrAboveItIsTheOnlyOneDecoded) {
    // PNG-stored images, out of order, and two of one size where the deeper
    // must win.
    std::vector<IconImageRec> images = {Pattern(16, 16, kDepth32, 1), Pattern(48, 48, kDepth32, 2),
                                        Pattern(32, 32, kDepth16, 3), Pattern(32, 32, kDepth32, 4)};
    for (IconImageRec& rec : images) rec.png = rec.depth == kDepth32;
    const std::vector<uint8_t> ico = IcoBytes(images);
    const struct Case {
        int side;
        size_t image;
        int shown; // the thumbnail's side
    } cases[] = {{1, 0, 1},   {15, 0, 15}, {16, 0, 16}, {17, 3, 17},
                 {32, 3, 32}, {33, 1, 33}, {48, 1, 48}, {1024, 1, 48}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.side);
        // Every other PNG image is damaged past its header: decoding it fails.
        std::vector<uint8_t> damaged = ico;
        for (size_t i = 0; i < images.size(); ++i) {
            // The middle byte of the image the entry points to.
            const size_t middle = U32At(ico, 6 + 16 * i + 12) + U32At(ico, 6 + 16 * i + 8) / 2;
            if (i != c.image && images[i].png) damaged[middle] ^= 0x55;
        }
        EXPECT_FALSE(CIconFile().ReadIconData(damaged));

        BgraPicture thumbnail;
        std::string reason;
        ASSERT_TRUE(MakeThumbnail(damaged, c.side, thumbnail, reason)) << reason;
        const BgraPicture whole = ImageOf(ico, c.image);
        const BgraPicture expected =
            c.shown == whole.width ? whole : ScalePicture(whole, c.shown, c.shown);
        EXPECT_EQ(thumbnail.width, c.shown);
        EXPECT_EQ(thumbnail.height, c.shown);
        EXPECT_TRUE(thumbnail.bgra == expected.bgra);
    }
}

// An animated cursor shows the frame it shows first; a program its first icon group.
TEST(ThumbnailTest, AnAnimatedCursorShowsItsFirstFrameAndAProgramItsFirstGroup) {
    BgraPicture thumbnail;
    std::string reason;
    std::vector<IconImageRec> frames;
    for (uint32_t seed : {5u, 6u, 7u}) frames.push_back(Pattern(24, 24, kDepth32, seed));
    for (const auto& [sequence, first] : {std::pair{std::vector<uint32_t>{}, size_t{0}},
                                          std::pair{std::vector<uint32_t>{2, 0, 1}, size_t{2}}}) {
        AnimationInfo info;
        info.sequence = sequence;
        std::vector<uint8_t> ani;
        ASSERT_TRUE(CIconFile().EncodeAnimatedCursor(frames, kWriteCursor, ani, info));
        ASSERT_TRUE(MakeThumbnail(ani, 16, thumbnail, reason)) << reason;
        EXPECT_TRUE(thumbnail.bgra == ScalePicture(ImageOf(ani, first), 16, 16).bgra) << first;
    }

    std::vector<Resource> resources;
    uint16_t nextId = 1;
    AddIconGroup(resources, ResourceName::Id(7),
                 IcoBytes({Pattern(16, 16, kDepth256, 8), Pattern(32, 32, kDepth24, 9)}), nextId);
    AddIconGroup(resources, ResourceName::Id(8), IcoBytes({Pattern(16, 16, kDepth24, 10)}), nextId);
    const std::vector<uint8_t> dll = BuildPe(false, resources).bytes;
    ASSERT_TRUE(MakeThumbnail(dll, 128, thumbnail, reason)) << reason;
    EXPECT_TRUE(thumbnail.bgra == ImageOf(dll, 1).bgra);

    // Only programs have groups to choose from.
    const std::vector<uint8_t> ico = IcoBytes({Pattern(16, 16, kDepth24, 11)});
    EXPECT_FALSE(ReadPictureForSide(ico, 1, 16, thumbnail, reason));
    EXPECT_EQ(reason, "only a program holds icon groups");
}

} // namespace
} // namespace pictoform
