// Files that other programs made are opened in the editor and saved without
// a change; what comes back must be what came: the same images in the same
// order, stored the same way (PNG or bitmap), with the same hot spot per
// image, the same frame times, order of frames and names, and about the same
// size.

#include <cstdlib>

#include "editor/MenuModel.h"
#include "editor/MouseFixture.h"
#include "editor/ViewCommands.h"
#include "icon/IconBytes.h"
#include "icon/IconFile.h"
#include "icon/ModuleFixtures.h"
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

// Xcursor files hold colours premultiplied by alpha: a translucent pixel
// comes back within the rounding that costs, (255 + a) / 2a at alpha a.
::testing::AssertionResult NearThroughPremultiplied(const test::Picture& expected,
                                                    const test::Picture& actual) {
    if (expected.width != actual.width || expected.height != actual.height) {
        return ::testing::AssertionFailure() << "size differs";
    }
    for (size_t i = 0; i < expected.rgba.size(); ++i) {
        const int alpha = expected.rgba[i | 3];
        if (i % 4 != 3 && alpha == 0) continue; // a hidden colour
        const int slack = i % 4 == 3 ? 0 : (255 + alpha) / (2 * alpha);
        if (std::abs(expected.rgba[i] - actual.rgba[i]) > slack) {
            return ::testing::AssertionFailure()
                   << "byte " << i << " is " << int(actual.rgba[i]) << ", expected "
                   << int(expected.rgba[i]) << " at alpha " << alpha;
        }
    }
    return ::testing::AssertionSuccess();
}

class RoundTripTest : public MouseFixture {
protected:
    // Opens the file, saves it under the same name and compares every image
    // of the two versions; the size may grow by at most `slack`.
    void OpenAndSaveUnchanged(const std::string& path, double slack) {
        const std::vector<uint8_t> original = ReadBytes(path);
        ASSERT_TRUE(view.OpenIconDocument(path, FileExtension(path)));
        view.OnFileSave();
        ASSERT_TRUE(ui.Messages().empty());
        ExpectSameImages(original, ReadBytes(path), slack);
    }

    static void ExpectSameImages(const std::vector<uint8_t>& original,
                                 const std::vector<uint8_t>& saved, double slack) {
        CIconFile before;
        ASSERT_TRUE(before.ReadIconData(original)) << before.LastError();
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
            EXPECT_TRUE(is.xcursor == was.xcursor);
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
}

TEST_F(RoundTripTest, AnimatedCursorWithRatesOrderAndNames) {
    PICTOFORM_REQUIRE_ICOTOOL();
    PICTOFORM_REQUIRE_PILLOW();
    // Three cursors that icotool made, each with its own hot spot, put in an
    // animated cursor by hand: an INFO list, the order 0 1 2 1 with the
    // middle frame shown for two different times, then the frames.
    test::Blob frames = {'f', 'r', 'a', 'm'};
    for (int i = 0; i < 3; ++i) {
        const std::string png = temp.File("f" + std::to_string(i) + ".png");
        const std::string cur = temp.File("f" + std::to_string(i) + ".cur");
        test::SavePngs(temp, {{png, Sample(32, 30 + static_cast<uint32_t>(i))}});
        const test::CommandResult made =
            test::Run({test::IcotoolPath(), "-c", "--cursor", "--hotspot-x=" + std::to_string(i),
                       "--hotspot-y=" + std::to_string(10 + i), "-o", cur, png});
        ASSERT_EQ(made.status, 0) << made.err;
        frames = test::Cat({frames, test::Chunk("icon", ReadBytes(cur))});
    }
    const test::Blob info = test::Cat({{'I', 'N', 'F', 'O'},
                                       test::Chunk("INAM", {'B', 'u', 's', 'y', 0}),
                                       test::Chunk("IART", {'P', 'i', 'c', 't', 'o', 0})});
    const std::string path = temp.File("busy.ani");
    test::WriteBytes(
        path,
        test::Riff({test::Chunk("LIST", info),
                    test::Chunk("anih", test::Values({36, 3, 4, 0, 0, 0, 0, 6, 3})),
                    test::Chunk("rate", test::Values({6, 9, 12, 4})),
                    test::Chunk("seq ", test::Values({0, 1, 2, 1})), test::Chunk("LIST", frames)}));

    OpenAndSaveUnchanged(path, 1.05);
    const AnimationInfo& animation = view.Animation();
    EXPECT_EQ(animation.sequence, (std::vector<uint32_t>{0, 1, 2, 1}));
    EXPECT_EQ(animation.stepRates, (std::vector<uint32_t>{6, 9, 12, 4}));
    EXPECT_EQ(animation.title, "Busy");
    EXPECT_EQ(animation.author, "Picto");
    EXPECT_EQ(workspace.FormatList().Item(2).format->FrameTime(), 12);
    EXPECT_EQ(workspace.FormatList().Item(1).format->CursorHotSpot(), (HotSpot{1, 11}));

    // Through an Xcursor file, which has no order of frames, and back: every
    // step becomes a frame with its own time and hot spot.
    ui.QueueFile(temp.File("busy"));
    view.OnFileSaveAs();
    ASSERT_TRUE(ui.Messages().empty());
    ASSERT_TRUE(view.OpenIconDocument(temp.File("busy"), ""));
    ASSERT_TRUE(view.SaveIconDocument(temp.File("back.ani"), "ani"));
    CIconFile back;
    ASSERT_TRUE(back.ReadIconFile(temp.File("back.ani"))) << back.LastError();
    CIconFile original;
    ASSERT_TRUE(original.ReadIconFile(path));
    ASSERT_EQ(back.Images().size(), 4u);
    const uint32_t frameOfStep[] = {0, 1, 2, 1};
    const int32_t timeOfStep[] = {6, 9, 12, 4};
    for (size_t step = 0; step < 4; ++step) {
        const IconImageRec& was = original.Images()[frameOfStep[step]];
        const IconImageRec& is = back.Images()[step];
        EXPECT_EQ(is.frameTime, timeOfStep[step]);
        EXPECT_EQ(is.hotSpot, was.hotSpot);
        EXPECT_TRUE(NearThroughPremultiplied(test::PictureOf(was), test::PictureOf(is)));
    }
}

// An animated cursor of a theme Debian ships, opened by its content under
// its own name (which has no ending) and saved again as an Xcursor file; the
// other themes' files are XcursorTest's.
TEST_F(RoundTripTest, AnXcursorFileOfADebianThemeSavesAsItCame) {
    const std::string folder = test::SystemCursorTheme("redglass");
    if (!test::OracleAvailable("redglass cursor theme", folder)) return;
    const std::string path = temp.File("watch");
    test::WriteBytes(path, ReadBytes(folder + "/watch"));
    OpenAndSaveUnchanged(path, 1.0);
    EXPECT_EQ(view.Extension(), CPictoformView::kXcursorKind);
    // Save As offers the Xcursor kind and the name as it is.
    ui.QueueFile(std::nullopt);
    view.OnFileSaveAs();
    EXPECT_EQ(ui.files.Requests().back().fileName, path);
    EXPECT_EQ(ui.files.Requests().back().filterIndex, 4);
}

TEST_F(RoundTripTest, TheOrderOfFramesFollowsTheFormatCommands) {
    AnimationInfo& animation = view.Animation();
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(workspace.FormatList().AddNewFormat({16, 16, kDepth32}, false));
    }
    animation.sequence = {0, 1, 2, 1};
    animation.stepRates = {6, 9, 12, 4};
    ASSERT_TRUE(workspace.FormatList().SelectItem(1));
    ASSERT_TRUE(view.Commands().Run(command::kFormatDown)); // frames 1 and 2 trade places
    EXPECT_EQ(animation.sequence, (std::vector<uint32_t>{0, 2, 1, 2}));
    ui.QueueAnswer(MessageAnswer::Yes);
    ASSERT_TRUE(view.Commands().Run(command::kDeleteFormat)); // the frame now at 2
    EXPECT_EQ(animation.sequence, (std::vector<uint32_t>{0, 1}));
    EXPECT_EQ(animation.stepRates, (std::vector<uint32_t>{6, 12}));
    // A frame added at the end is shown last, for its own time.
    AppendFrame(animation, 2);
    EXPECT_EQ(animation.sequence, (std::vector<uint32_t>{0, 1, 2}));
    EXPECT_EQ(animation.stepRates, (std::vector<uint32_t>{6, 12, 0}));
}

} // namespace
} // namespace pictoform
