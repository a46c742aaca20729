// A whole editing session per file kind: a file that another program made
// is opened, painted on with the mouse, the stroke undone, another painted,
// and the document saved through File > Save. The saved bytes are compared
// with a file this test builds from the formats' layout rules, so a fault
// anywhere on the way (reading, the painting pipeline, undo, flattening,
// writing) shows as a byte that differs. Animated cursors are RoundTripTest's.

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

// Opaque and translucent colours with a transparent border, so that alpha,
// the mask and the black of transparent pixels are all exercised.
test::Picture Sample(int width, int height, int seed) {
    return test::Paint(width, height, [=](int x, int y) {
        if (x == 0 || y == 0 || x == width - 1 || y == height - 1) return std::array<uint8_t, 4>{};
        return std::array<uint8_t, 4>{static_cast<uint8_t>(200 - seed),
                                      static_cast<uint8_t>(y * 15),
                                      static_cast<uint8_t>(x * 15 + seed),
                                      static_cast<uint8_t>((x + y) % 3 == 0 ? 128 : 255)};
    });
}

// The image data of a 32-bit entry: the header (height doubled for the
// mask, the colour bytes' size filled in), the colour rows bottom-up with
// alpha, then the mask rows (1 = transparent, each row padded to 32 bits).
test::Blob BitmapEntry(const test::Picture& p) {
    test::Bytes b;
    test::BitmapHeader(b, p.width, p.height, 32);
    b.PutU32(20, static_cast<uint32_t>(p.width * p.height * 4));
    const std::vector<uint8_t> bgra = test::PngOfPicture(p).bgra;
    for (int y = p.height - 1; y >= 0; --y) {
        const auto row = bgra.begin() + static_cast<ptrdiff_t>(y) * p.width * 4;
        b.Raw({row, row + p.width * 4});
    }
    for (int y = p.height - 1; y >= 0; --y) {
        test::Blob row(static_cast<size_t>((p.width + 31) / 32 * 4), 0);
        for (int x = 0; x < p.width; ++x)
            if (p.rgba[(static_cast<size_t>(y) * p.width + x) * 4 + 3] == 0)
                row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        b.Raw(row);
    }
    return b.b;
}

// A one-image icon (type 1) or cursor (type 2, the hot spot in the entry's
// planes and bit count fields) file.
test::Blob SingleImageFile(const test::Picture& p, uint16_t type, uint16_t hotX = 0,
                           uint16_t hotY = 0) {
    const test::Blob data = BitmapEntry(p);
    test::Bytes f;
    test::IconHeader(f, type, 1);
    test::Entry(f, static_cast<uint8_t>(p.width), static_cast<uint8_t>(p.height), 0,
                type == 1 ? 1 : hotX, type == 1 ? 32 : hotY, static_cast<uint32_t>(data.size()),
                22);
    return f.Raw(data).b;
}

class EndToEndTest : public MouseFixture {
protected:
    static constexpr PixelColor kInk{30, 160, 90, 255}; // red, green, blue, alpha

    void Open(const std::string& path) {
        ASSERT_TRUE(view.OpenIconDocument(path, path.substr(path.size() - 3)));
        Show();
    }

    // Paints a short stroke, takes it back with Edit > Undo, then clicks one
    // pixel; returns the picture as it should now be saved.
    test::Picture PaintUndoPaint(test::Picture expected, int clickX, int clickY) {
        workspace.Colours().SetColor(kInk.Rgba32(), 0, 0);
        Use(kToolPencilSquare);
        const std::vector<uint8_t> before = FinalBytes();
        Drag({{4, 7}, {19, 7}, {19, 22}});
        EXPECT_NE(FinalBytes(), before) << "the stroke painted nothing";
        EXPECT_TRUE(view.Commands().Update(command::kUndo).enabled);
        view.Commands().Run(command::kUndo);
        view.Paint();
        EXPECT_EQ(FinalBytes(), before) << "undo did not restore the picture";

        Click(3 * clickX + 1, 3 * clickY + 1);
        const std::array<uint8_t, 4> ink{kInk.red, kInk.green, kInk.blue, 255};
        std::copy(ink.begin(), ink.end(),
                  expected.rgba.begin() + (clickY * expected.width + clickX) * 4);
        EXPECT_TRUE(view.Modified());
        return expected;
    }

    // The current format's final picture as red, green, blue, alpha rows.
    std::vector<uint8_t> FinalBytes() {
        const CLayerImage& f = Format().Final();
        std::vector<uint8_t> out;
        for (int y = 0; y < f.Height(); ++y) {
            for (int x = 0; x < f.Width(); ++x) {
                const PixelColor c = f.GetPixel(x, y);
                for (const uint8_t v : {c.red, c.green, c.blue, c.alpha}) out.push_back(v);
            }
        }
        return out;
    }

    void SaveAndCompare(const std::string& path, const std::vector<uint8_t>& expected) {
        view.OnFileSave();
        EXPECT_FALSE(view.Modified());
        EXPECT_TRUE(ui.Messages().empty());
        const std::vector<uint8_t> saved = ReadBytes(path);
        ASSERT_EQ(saved.size(), expected.size());
        const auto diff = std::mismatch(saved.begin(), saved.end(), expected.begin());
        EXPECT_TRUE(diff.first == saved.end())
            << "first difference at byte " << (diff.first - saved.begin()) << ": "
            << int(*diff.first) << " for " << int(*diff.second);
    }
};

TEST_F(EndToEndTest, IconThatPillowWroteIsPaintedUndoneAndSavedStillCompressed) {
    PICTOFORM_REQUIRE_PILLOW();
    const test::Picture sample = Sample(16, 16, 40);
    // Pillow stores the picture as a PNG inside the icon.
    const std::string raw = temp.File("sample.rgba");
    const std::string path = temp.File("sample.ico");
    WriteBytes(raw, sample.rgba);
    const auto made = RunPython("import sys\nfrom PIL import Image\n"
                                "im = Image.frombytes('RGBA', (16, 16), open(sys.argv[1], "
                                "'rb').read())\n"
                                "im.save(sys.argv[2], sizes=[(16, 16)])\n",
                                {raw, path});
    ASSERT_EQ(made.status, 0) << made.err;

    Open(path);
    ASSERT_EQ(workspace.FormatList().Count(), 1);
    ASSERT_EQ(Format().Depth(), kDepth32);
    const test::Picture expected = PaintUndoPaint(sample, 5, 9);
    view.OnFileSave();
    EXPECT_FALSE(view.Modified());
    // The image came as a PNG and goes back as one: the directory as the
    // layout gives it, then the PNG with the painted pixels.
    const std::vector<uint8_t> saved = ReadBytes(path);
    ASSERT_GT(saved.size(), 22u);
    const std::vector<uint8_t> header = SingleImageFile(expected, 1);
    EXPECT_TRUE(std::equal(saved.begin(), saved.begin() + 14, header.begin()));
    EXPECT_EQ(test::U32At(saved, 14), saved.size() - 22);
    EXPECT_EQ(test::U32At(saved, 18), 22u);
    PngPixels png;
    std::string reason;
    ASSERT_TRUE(DecodePng(std::span(saved).subspan(22), 256, png, reason)) << reason;
    EXPECT_EQ(test::PictureOfPng(png).rgba, expected.rgba);
}

TEST_F(EndToEndTest, CursorThatIcotoolWroteKeepsItsHotSpotThroughTheSession) {
    PICTOFORM_REQUIRE_ICOTOOL();
    PICTOFORM_REQUIRE_PILLOW();
    const test::Picture sample = Sample(32, 32, 10);
    const std::string pngPath = temp.File("sample.png");
    test::SavePngs(temp, {{pngPath, sample}});
    const std::string path = temp.File("sample.cur");
    const auto made = test::Run({test::IcotoolPath(), "-c", "--cursor", "--hotspot-x=7",
                                 "--hotspot-y=11", "-o", path, pngPath});
    ASSERT_EQ(made.status, 0) << made.err;

    Open(path);
    ASSERT_EQ(Format().Depth(), kDepth32);
    EXPECT_EQ(view.HotSpot().x, 7);
    EXPECT_EQ(view.HotSpot().y, 11);
    const test::Picture expected = PaintUndoPaint(sample, 20, 3);
    SaveAndCompare(path, SingleImageFile(expected, 2, 7, 11));
}

} // namespace
} // namespace pictoform
