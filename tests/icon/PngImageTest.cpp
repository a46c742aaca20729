// PNG-compressed images inside icon files.

#include <gtest/gtest.h>

#include "icon/IconBytes.h"
#include "icon/IconFile.h"
#include "icon/IconTestImages.h"
#include "icon/ModuleFixtures.h"

using namespace pictoform;
using namespace pictoform::test;

namespace {

// A w x h PNG whose pixel (x, y) has red x, green y, blue 99 and alpha x * y.
std::vector<uint8_t> GradientPng(int w, int h) {
    return PngBytes(Paint(w, h, [](int x, int y) {
        return std::array<uint8_t, 4>{uint8_t(x), uint8_t(y), 99, uint8_t(x * y)};
    }));
}

Bytes IconWithPng(uint8_t entryW, uint8_t entryH, const std::vector<uint8_t>& png) {
    Bytes f;
    IconHeader(f, 1, 1);
    Entry(f, entryW, entryH, 0, 1, 32, static_cast<uint32_t>(png.size()), 22);
    return f.Raw(png);
}

} // namespace

// The PNG's own size wins over the entry's, up to 1024 a side: programs
// carry pictures larger than 256 (a 194 x 313 one in Wine's winecfg.exe).
TEST(PngImage, DecodedAtItsOwnSizeWithTheMaskFromAlpha) {
    const struct {
        uint8_t entryW, entryH;
        int w, h;
    } cases[] = {{0, 0, 256, 256}, {32, 32, 48, 20}, {194, 57, 194, 313}};
    CIconFile engine;
    for (const auto& c : cases) {
        ASSERT_TRUE(engine.ReadIconData(IconWithPng(c.entryW, c.entryH, GradientPng(c.w, c.h)).b))
            << engine.LastError();
        const IconImageRec& rec = engine.Images()[0];
        ASSERT_EQ(rec.width, c.w);
        ASSERT_EQ(rec.height, c.h);
        EXPECT_EQ(rec.depth, kDepth32);
        for (int y = 0; y < c.h; ++y) {
            for (int x = 0; x < c.w; ++x) {
                const auto a = static_cast<uint8_t>(x * y);
                ASSERT_EQ(ReadPixel(rec, x, y), (Px{uint8_t(x), uint8_t(y), 99, a}))
                    << x << "," << y;
                ASSERT_EQ(rec.mask[size_t(c.h - 1 - y) * size_t(c.w) + size_t(x)], a != 0 ? 1 : 0);
            }
        }
    }
    EXPECT_FALSE(engine.ReadIconData(IconWithPng(0, 0, GradientPng(1025, 4)).b));
    EXPECT_EQ(engine.LastError(),
              "image 0 holds a PNG of 1025 x 4 pixels, larger than 1024 a side");
    EXPECT_TRUE(engine.Images().empty());
}

TEST(PngImage, DamagedPngIsRefusedWithLibpngsReason) {
    auto png = GradientPng(16, 16);
    png[png.size() / 2] ^= 0x5A; // inside the compressed data: its checksum no longer holds
    CIconFile engine;
    EXPECT_FALSE(engine.ReadIconData(IconWithPng(16, 16, png).b));
    EXPECT_EQ(engine.LastError().rfind("image 0 holds damaged PNG data (", 0), 0u)
        << engine.LastError();
}

// Which images are compressed: CliConvert and InteropWrite. The entry of a
// compressed one still says 32 bits, and its transparent pixels are blanked.
TEST(PngImage, WrittenWithA32BitEntryAndTransparentPixelsBlanked) {
    IconImageRec image = MakeImage(3, 2, kDepth32, [](int x, int y) {
        return Px{uint8_t(40 * x), uint8_t(y), 7, uint8_t(x == 2 ? 0 : 180)};
    });
    image.png = true;
    CIconFile engine;
    std::vector<uint8_t> packed;
    ASSERT_TRUE(engine.EncodeIconFile({image}, 0, packed)) << engine.LastError();
    EXPECT_TRUE(HasPngSignature(std::span<const uint8_t>(packed).subspan(22)));
    EXPECT_EQ(packed[6 + 6], 32); // bit count in the entry
    ASSERT_TRUE(engine.ReadIconData(packed)) << engine.LastError();
    EXPECT_EQ(ReadPixel(engine.Images()[0], 1, 1), (Px{40, 1, 7, 180}));
    EXPECT_EQ(ReadPixel(engine.Images()[0], 2, 1), (Px{0, 0, 0, 0})); // transparent, blanked
}
