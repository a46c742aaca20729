// What a format keeps beside its pixels (compression, hot spot, frame time)
// and what the canvas shows of it: the saved colours of a format of few
// colours, and the hot spot.

#include <functional>
#include <set>

#include "editor/MenuModel.h"
#include "editor/MouseFixture.h"
#include "editor/ViewCommands.h"
#include "icon/IconFile.h"
#include "icon/PngCodec.h"

namespace pictoform {
namespace {

using test::MouseFixture;
using test::Rgb;
using test::ScreenPixel;

Rgb ImagePixel(const CLayerImage& image, int x, int y) {
    const PixelColor c = image.GetPixel(x, y);
    return {c.red, c.green, c.blue};
}

// The colours as a file keeps them: with its alpha or mask bit.
std::vector<Rgb> Stored(std::vector<Rgb> colours, uint8_t a) {
    for (Rgb& c : colours) c.a = a;
    return colours;
}

class FormatStorageTest : public MouseFixture {
protected:
    // Lays a picture of a few hundred colours, opaque but for its top-left
    // pixel, into the current layer.
    void LayManyColours() {
        const CIconFormat& f = *workspace.CurrentFormat();
        const size_t n = static_cast<size_t>(f.Width()) * static_cast<size_t>(f.Height());
        std::vector<uint8_t> colours(n * 3), mask(n, 1);
        for (size_t p = 0; p < n; ++p) {
            colours[p * 3] = static_cast<uint8_t>(p * 7);
            colours[p * 3 + 1] = static_cast<uint8_t>(p * 3);
            colours[p * 3 + 2] = static_cast<uint8_t>(255 - p);
        }
        mask[n - static_cast<size_t>(f.Width())] = 0; // bottom row first: the top-left pixel
        CIconLayer& layer = *workspace.CurrentLayer();
        layer.Working().LoadPixels(colours.data(), nullptr, mask.data());
        layer.Committed().LoadPixels(colours.data(), nullptr, mask.data());
    }
};

TEST_F(FormatStorageTest, AFewColourFormatIsShownInTheColoursItIsSavedIn) {
    UseFormat(16, 16, kDepth16);
    LayManyColours();
    view.Paint();
    // Each pixel but the clear top-left one, top row first.
    const auto each = [](const std::function<Rgb(int, int)>& at) {
        std::vector<Rgb> out;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                if (x + y > 0) out.push_back(at(x, y));
        return out;
    };
    const CLayerImage& final = workspace.CurrentFormat()->Final();
    const std::vector<Rgb> pixels = each([&](int x, int y) { return ImagePixel(final, x, y); });
    const std::set<Rgb> shown(pixels.begin(), pixels.end());
    EXPECT_LE(shown.size(), 15u);
    EXPECT_GE(shown.size(), 12u) << "the reduction spends its budget";
    // The canvas blocks (zoom 3) show the same colours.
    EXPECT_EQ(each([&](int x, int y) { return ScreenPixel(view.Screen(), 3 * x + 1, 3 * y + 1); }),
              pixels);

    // Export Format as PNG writes the picture in those colours too.
    ui.QueueFile(temp.File("sixteen.png"));
    ASSERT_TRUE(view.Commands().Run(command::kExportPng));
    ASSERT_EQ(ui.files.Requests().size(), 1u);
    EXPECT_EQ(ui.files.Requests()[0].fileName, "Untitled-16x16.png");
    EXPECT_FALSE(view.Modified()) << "exporting changes nothing";
    PngPixels png;
    std::string reason;
    ASSERT_TRUE(DecodePng(test::ReadBytes(temp.File("sixteen.png")), 256, png, reason)) << reason;
    ASSERT_EQ(png.width, 16);
    EXPECT_EQ(each([&](int x, int y) {
                  const uint8_t* px = &png.bgra[static_cast<size_t>(y * 16 + x) * 4];
                  return Rgb{px[2], px[1], px[0], px[3]};
              }),
              Stored(pixels, 255));
    EXPECT_EQ(png.bgra[3], 0);

    // And so does the icon file, bottom row first.
    const std::string path = temp.File("sixteen.ico");
    ASSERT_TRUE(view.SaveIconDocument(path, "ico"));
    CIconFile engine;
    ASSERT_TRUE(engine.ReadIconFile(path));
    const IconImageRec& saved = engine.Images()[1];
    ASSERT_EQ(saved.depth, kDepth16);
    EXPECT_EQ(each([&](int x, int y) {
                  const size_t p = static_cast<size_t>((15 - y) * 16 + x);
                  return Rgb{saved.colours[p * 3 + 2], saved.colours[p * 3 + 1],
                             saved.colours[p * 3], saved.mask[p]};
              }),
              Stored(pixels, 1));
    EXPECT_EQ(saved.mask[15 * 16], 0);
}

TEST_F(FormatStorageTest, EachFormatHasItsOwnHotSpotShownAsAnInvertedCross) {
    UseFormat(16, 16, kDepth32);
    CLayerImage before;
    ASSERT_TRUE(before.Create(view.Screen().Width(), view.Screen().Height()));
    ASSERT_TRUE(view.Screen().CopyTo(before));
    view.SetHotSpot({5, 6});
    view.Paint();
    // Zoom 3: the pixel's middle is (16, 19), inverted once, with arms of 4
    // each way.
    for (const auto& [x, y] : {std::pair{12, 19}, {20, 19}, {16, 15}, {16, 23}, {16, 19}}) {
        const Rgb was = ScreenPixel(before, x, y);
        EXPECT_EQ(ScreenPixel(view.Screen(), x, y),
                  (Rgb{static_cast<uint8_t>(255 - was.r), static_cast<uint8_t>(255 - was.g),
                       static_cast<uint8_t>(255 - was.b)}))
            << x << "," << y;
    }
    EXPECT_EQ(ScreenPixel(view.Screen(), 21, 19), ScreenPixel(before, 21, 19));

    ASSERT_TRUE(workspace.FormatList().SelectItem(0));
    EXPECT_EQ(view.HotSpot().x, 0) << "the 48 x 48 format has none of its own";
    // Each is saved with its image: RoundTripTest's.
    ASSERT_TRUE(workspace.FormatList().SelectItem(1));
    EXPECT_EQ(view.HotSpot().x, 5);
}

TEST_F(FormatStorageTest, NewFormatTakesStorageHotSpotAndTimeFromTheSelectedOne) {
    CIconFormat& selected = *workspace.CurrentFormat(); // 48 x 48, 32 bits
    selected.SetCursorHotSpot(HotSpot{45, 24});
    selected.SetFrameTime(7);
    struct Case {
        FormatChoice choice;
        bool png;
        HotSpot hotSpot;
    };
    const Case cases[] = {
        {{32, 32, kDepth32}, true, {30, 16}},
        {{16, 8, kDepth16}, false, {15, 4}},
        {{256, 256, kDepth32}, true, {240, 128}},
    };
    for (const bool selectedPng : {true, false}) {
        selected.SetStoredAsPng(selectedPng);
        for (const Case& c : cases) {
            ASSERT_TRUE(workspace.FormatList().AddNewFormat(c.choice, false));
            const CIconFormat& made =
                *workspace.FormatList().Item(workspace.FormatList().Count() - 1).format;
            // A 256 x 256 format of 32 bits is stored compressed whatever it came from.
            EXPECT_EQ(made.StoredAsPng(), c.png && (selectedPng || c.choice.width == 256));
            EXPECT_EQ(made.CursorHotSpot(), c.hotSpot);
            EXPECT_EQ(made.FrameTime(), 7);
        }
    }
}

TEST_F(FormatStorageTest, StoreAsPngIsACheckItemOfThirtyTwoBitFormats) {
    CViewCommands& commands = view.Commands();
    EXPECT_TRUE(commands.Update(command::kStoreAsPng).enabled);
    EXPECT_FALSE(commands.Update(command::kStoreAsPng).checked);
    ASSERT_TRUE(commands.Run(command::kStoreAsPng));
    EXPECT_TRUE(commands.Update(command::kStoreAsPng).checked);
    EXPECT_TRUE(view.Modified());
    EXPECT_TRUE(workspace.CurrentFormat()->StoredAsPng());

    UseFormat(16, 16, kDepth256);
    EXPECT_FALSE(commands.Update(command::kStoreAsPng).enabled);
    EXPECT_FALSE(commands.Update(command::kStoreAsPng).checked);
}

} // namespace
} // namespace pictoform
