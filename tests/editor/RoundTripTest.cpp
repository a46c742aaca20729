// Files that other programs made are opened in the editor and saved without
// a change; what comes back must be what came: the same images in the same
// order, stored the same way (PNG or bitmap), with the same hot spot per
// image, the same frame times, order of frames and names, and about the same
// size.

#include "editor/MouseFixture.h"
#include "icon/IconFile.h"
#include "support/Pictures.h"

namespace pictoform {
namespace {

using test::MouseFixture;
using test::Picture;
using test::ReadBytes;

Picture Sample(int side, uint32_t seed) {
    return test::Paint(side, side, [=](int x, int y) {
        const uint32_t h = test::Hash(x / 3, y / 3, seed);
        const bool edge = x == 0 || y == 0 || x == side - 1 || y == side - 1;
        return std::array<uint8_t, 4>{static_cast<uint8_t>(h), static_cast<uint8_t>(h >> 8),
                                      static_cast<uint8_t>(x * 255 / side),
                                      static_cast<uint8_t>(edge            ? 0
                                                           : (h >> 16) % 2 ? 255
                                                                           : 160)};
    });
}

class RoundTripTest : public MouseFixture {
protected:
    // Opens the file, saves it under the same name and compares every image
    // of the two versions; the size may grow by at most `slack`.
    void OpenAndSaveUnchanged(const std::string& path, double slack) {
        const std::vector<uint8_t> original = ReadBytes(path);
        CIconFile before;
        ASSERT_TRUE(before.ReadIconData(original)) << before.LastError();
        ASSERT_TRUE(view.OpenIconDocument(path, FileExtension(path)));
        view.OnFileSave();
        ASSERT_TRUE(ui.Messages().empty());
        const std::vector<uint8_t> saved = ReadBytes(path);
        CIconFile after;
        ASSERT_TRUE(after.ReadIconData(saved)) << after.LastError();
        EXPECT_LE(static_cast<double>(saved.size()), static_cast<double>(original.size()) * slack)
            << "grew from " << original.size();

        ASSERT_EQ(after.Images().size(), before.Images().size());
        for (size_t i = 0; i < before.Images().size(); ++i) {
            SCOPED_TRACE("image " + std::to_string(i));
            const IconImageRec& was = before.Images()[i];
            const IconImageRec& is = after.Images()[i];
            EXPECT_EQ(is.depth, was.depth);
            EXPECT_EQ(is.png, was.png);
            EXPECT_EQ(is.hotSpot, was.hotSpot);
            EXPECT_EQ(is.frameTime, was.frameTime);
            EXPECT_TRUE(test::SamePixels(test::PictureOf(was), test::PictureOf(is)));
        }
        EXPECT_EQ(after.Animation(), before.Animation());
    }
};

TEST_F(RoundTripTest, CursorThatIcotoolWroteWithAPngImageAndAHotSpotPerImage) {
    PICTOFORM_REQUIRE_ICOTOOL();
    PICTOFORM_REQUIRE_PILLOW();
    const std::string small = temp.File("16.png"), large = temp.File("48.png");
    test::SavePngs(temp, {{small, Sample(16, 1)}, {large, Sample(48, 2)}});
    const std::string path = temp.File("pointer.cur");
    const test::CommandResult made =
        test::Run({test::IcotoolPath(), "-c", "--cursor", "-o", path, "--hotspot-x=3",
                   "--hotspot-y=4", small, "--hotspot-x=40", "--hotspot-y=41", "--raw=" + large});
    ASSERT_EQ(made.status, 0) << made.err;
    OpenAndSaveUnchanged(path, 1.05);
    // The view shows the current format's own hot spot.
    ASSERT_TRUE(workspace.FormatList().SelectItem(1));
    EXPECT_EQ(view.HotSpot().x, 40);
    EXPECT_EQ(view.HotSpot().y, 41);
}

TEST_F(RoundTripTest, IconsThatPillowAndImageMagickWrote) {
    PICTOFORM_REQUIRE_PILLOW();
    if (!test::OracleAvailable("convert", test::ConvertPath())) return;
    const std::string source = temp.File("source.png");
    test::SavePngs(temp, {{source, Sample(256, 7)}});
    // Pillow stores every size as a PNG; ImageMagick small ones as bitmaps
    // and 256 as a PNG.
    const std::string pillow = temp.File("pillow.ico");
    const test::CommandResult byPillow = test::RunPython(
        "import sys\nfrom PIL import Image\nImage.open(sys.argv[1]).save(sys.argv[2], "
        "sizes=[(16, 16), (32, 32), (256, 256)])\n",
        {source, pillow});
    ASSERT_EQ(byPillow.status, 0) << byPillow.err;
    const std::string magick = temp.File("magick.ico");
    const test::CommandResult byMagick =
        test::Run({test::ConvertPath(), source, "-define", "icon:auto-resize=256,32,16", magick});
    ASSERT_EQ(byMagick.status, 0) << byMagick.err;

    OpenAndSaveUnchanged(pillow, 1.05);
    // ImageMagick's PNG is written with other settings; ours may differ a little more.
    OpenAndSaveUnchanged(magick, 1.25);
}

TEST_F(RoundTripTest, AnimatedCursorWithRatesOrderAndNames) {
    // Three cursor frames of their own hot spots; the order shows the middle
    // one twice, with its own rate at each showing of the first.
    std::vector<IconImageRec> frames;
    for (uint32_t i = 0; i < 3; ++i) {
        IconImageRec rec = test::ToRecord(Sample(32, 20 + i), kDepth32);
        rec.hotSpot = HotSpot{static_cast<uint16_t>(i), static_cast<uint16_t>(10 + i)};
        rec.frameTime = static_cast<int32_t>(6 + 3 * i);
        frames.push_back(rec);
    }
    AnimationInfo info;
    info.sequence = {0, 1, 2, 1};
    info.title = "Busy";
    info.author = "Pictoform tests";
    CIconFile writer;
    const std::string path = temp.File("busy.ani");
    ASSERT_TRUE(writer.WriteAnimatedCursor(path, frames, kWriteCursor, info));
    const std::vector<uint8_t> bytes = ReadBytes(path);
    const std::string text(bytes.begin(), bytes.end());
    const size_t anih = text.find("anih");
    ASSERT_NE(anih, std::string::npos);
    // The header's display rate is the first frame's time; its flags say
    // the frames are icons and a sequence follows.
    EXPECT_EQ(test::U32At(bytes, anih + 8 + 28), 6u);
    EXPECT_EQ(test::U32At(bytes, anih + 8 + 32), 3u);
    EXPECT_LT(text.find("INAM"), anih) << "names come first, as readers look for them";

    OpenAndSaveUnchanged(path, 1.0);
    EXPECT_EQ(view.Animation(), info);
    EXPECT_EQ(workspace.FormatList().Item(2).format->FrameTime(), 12);
    EXPECT_EQ(workspace.FormatList().Item(1).format->CursorHotSpot(), (HotSpot{1, 11}));
}

} // namespace
} // namespace pictoform
