// A whole editing session: an icon file that Pillow made is opened, painted
// on with the mouse, the stroke undone, another painted, and the document
// saved through File > Save. The saved bytes are compared with what the
// file's layout rules give, so a fault anywhere on the way (reading, the
// painting pipeline, undo, flattening, writing) shows as a byte that
// differs. Cursors, their hot spots and animated cursors are RoundTripTest's.

#include <algorithm>
#include <array>

#include "editor/MenuModel.h"
#include "editor/MouseFixture.h"
#include "editor/ViewCommands.h"
#include "icon/IconBytes.h"
#include "icon/PngCodec.h"
#include "support/Pictures.h"

namespace pictoform {
namespace {

using test::MouseFixture;
using test::ReadBytes;
using test::RunPython;
using test::WriteBytes;

using EndToEndTest = MouseFixture;

TEST_F(EndToEndTest, IconThatPillowWroteIsPaintedUndoneAndSavedStillCompressed) {
    PICTOFORM_REQUIRE_PILLOW();
    // Opaque and translucent colours with a transparent border, so that
    // alpha, the mask and the black of transparent pixels are all exercised.
    test::Picture expected = test::Paint(16, 16, [](int x, int y) {
        if (x == 0 || y == 0 || x == 15 || y == 15) return std::array<uint8_t, 4>{};
        return std::array<uint8_t, 4>{160, static_cast<uint8_t>(y * 15),
                                      static_cast<uint8_t>(x * 15 + 40),
                                      static_cast<uint8_t>((x + y) % 3 == 0 ? 128 : 255)};
    });
    // Pillow stores the picture as a PNG inside the icon.
    const std::string raw = temp.File("sample.rgba");
    const std::string path = temp.File("sample.ico");
    WriteBytes(raw, expected.rgba);
    const auto made = RunPython("import sys\nfrom PIL import Image\n"
                                "im = Image.frombytes('RGBA', (16, 16), open(sys.argv[1], "
                                "'rb').read())\n"
                                "im.save(sys.argv[2], sizes=[(16, 16)])\n",
                                {raw, path});
    ASSERT_EQ(made.status, 0) << made.err;
    ASSERT_TRUE(view.OpenIconDocument(path, "ico"));
    Show();
    ASSERT_EQ(workspace.FormatList().Count(), 1);
    ASSERT_EQ(Format().Depth(), kDepth32);

    // A short stroke taken back with Edit > Undo, then one pixel clicked.
    const PixelColor ink{30, 160, 90, 255};
    workspace.Colours().SetColor(ink.Rgba32(), 0, 0);
    Use(kToolPencilSquare);
    const auto before = Planes(Format().Final());
    Drag({{4, 7}, {19, 7}, {19, 22}});
    EXPECT_NE(Planes(Format().Final()), before) << "the stroke painted nothing";
    EXPECT_TRUE(view.Commands().Update(command::kUndo).enabled);
    view.Commands().Run(command::kUndo);
    view.Paint();
    EXPECT_EQ(Planes(Format().Final()), before) << "undo did not restore the picture";
    Click(3 * 5 + 1, 3 * 9 + 1);
    const std::array<uint8_t, 4> painted{ink.red, ink.green, ink.blue, 255};
    std::copy(painted.begin(), painted.end(), expected.rgba.begin() + (9 * 16 + 5) * 4);
    EXPECT_TRUE(view.Modified());
    view.OnFileSave();
    EXPECT_FALSE(view.Modified());

    // The image came as a PNG and goes back as one: the directory as the
    // layout gives it, then the PNG with the painted pixels.
    const std::vector<uint8_t> saved = ReadBytes(path);
    ASSERT_GT(saved.size(), 22u);
    test::Bytes header;
    test::Entry(test::IconHeader(header, 1, 1), 16, 16, 0, 1, 32, 0, 0);
    EXPECT_TRUE(std::equal(saved.begin(), saved.begin() + 14, header.b.begin()));
    EXPECT_EQ(test::U32At(saved, 14), saved.size() - 22);
    EXPECT_EQ(test::U32At(saved, 18), 22u);
    PngPixels png;
    std::string reason;
    ASSERT_TRUE(DecodePng(std::span(saved).subspan(22), 256, png, reason)) << reason;
    EXPECT_EQ(test::PictureOfPng(png).rgba, expected.rgba);
}

} // namespace
} // namespace pictoform
