// Xcursor files: ones xcursorgen made open with their pictures' pixels, hot
// spots and delays; ours are read back by a reader of the format written
// here from its manual page, independent of libXcursor; damaged files are
// refused before anything is decoded.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <tuple>

#include "icon/IconBytes.h"
#include "icon/IconTestImages.h"
#include "icon/ModuleFixtures.h"
#include "icon/XcursorFile.h"

namespace pictoform {
namespace {

using namespace test;

uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
    return at + 4 <= b.size() ? U32At(b, at) : 0;
}

// What the manual describes: a header with the table's length, table entries
// of type, subtype and position, image chunks of width, height, hot spot,
// delay and premultiplied ARGB pixels, top row first.
struct PlainImage {
    uint32_t nominal, width, height, xhot, yhot, delay, firstPixel;
    friend bool operator==(const PlainImage&, const PlainImage&) = default;
};
// Every image's pixels, as the file holds them, go into `pixels` when given.
std::vector<PlainImage> ReadPlainly(const std::vector<uint8_t>& file,
                                    std::vector<uint32_t>* pixels = nullptr) {
    std::vector<PlainImage> images;
    if (file.size() < 16 || std::memcmp(file.data(), "Xcur", 4) != 0) return images;
    const uint32_t header = U32(file, 4);
    for (uint32_t i = 0; i < U32(file, 12); ++i) {
        const size_t entry = header + size_t{i} * 12;
        if (U32(file, entry) != 0xfffd0002) continue;
        const size_t at = U32(file, entry + 8);
        images.push_back({U32(file, entry + 4), U32(file, at + 16), U32(file, at + 20),
                          U32(file, at + 24), U32(file, at + 28), U32(file, at + 32),
                          U32(file, at + 36)});
        const size_t count = size_t{U32(file, at + 16)} * U32(file, at + 20);
        for (size_t p = 0; pixels && p < count; ++p) pixels->push_back(U32(file, at + 36 + p * 4));
    }
    return images;
}

TEST(XcursorTest, FilesXcursorgenMadeOpenWithTheirPixelsHotSpotsAndDelays) {
    if (!OracleAvailable("xcursorgen (x11-apps)", XcursorgenPath())) return;
    TempDir temp;
    struct Frame {
        int side;
        std::array<uint8_t, 4> rgba;
        int xhot, yhot, delay, jiffies;
    };
    // 50 ms is 3 jiffies, 17 ms 1, 100 ms 6; half-transparent red stays red.
    const Frame frames[] = {{24, {255, 0, 0, 128}, 3, 5, 50, 3},
                            {32, {0, 0, 255, 255}, 7, 9, 100, 6},
                            {24, {0, 200, 0, 255}, 1, 2, 17, 1}};
    std::string config;
    for (size_t i = 0; i < std::size(frames); ++i) {
        const Frame& f = frames[i];
        const std::string name = temp.File("f" + std::to_string(i) + ".png");
        WriteBytes(name, PngBytes(Paint(f.side, f.side, [&](int, int) { return f.rgba; })));
        config += std::to_string(f.side) + " " + std::to_string(f.xhot) + " " +
                  std::to_string(f.yhot) + " " + name + " " + std::to_string(f.delay) + "\n";
    }
    WriteBytes(temp.File("cfg"), std::vector<uint8_t>(config.begin(), config.end()));
    const CommandResult made = test::Run({XcursorgenPath(), temp.File("cfg"), temp.File("arrow")});
    ASSERT_EQ(made.status, 0) << made.err;
    const std::vector<uint8_t> file = ReadBytes(temp.File("arrow"));

    std::vector<IconImageRec> images;
    std::string reason;
    ASSERT_TRUE(ReadXcursorData(file, images, reason)) << reason;
    ASSERT_EQ(images.size(), std::size(frames));
    for (size_t i = 0; i < images.size(); ++i) {
        const Frame& f = frames[i];
        EXPECT_EQ(images[i].width, f.side);
        EXPECT_EQ(ReadPixel(images[i], 0, 0), (Px{f.rgba[0], f.rgba[1], f.rgba[2], f.rgba[3]}));
        EXPECT_EQ(images[i].hotSpot, (HotSpot{uint16_t(f.xhot), uint16_t(f.yhot)}));
        EXPECT_EQ(images[i].frameTime, f.jiffies);
    }

    // Written again (top row first, as the writers take them): the same
    // images to a reader that knows only the format.
    for (IconImageRec& rec : images) FlipRows(rec);
    std::vector<uint8_t> ours;
    ASSERT_TRUE(EncodeXcursor(images, ours, reason)) << reason;
    EXPECT_EQ(ReadPlainly(ours), ReadPlainly(file));
}

// Every cursor of the themes Debian ships opens, and is written back with the
// same pixels, hot spots, nominal sizes (often not the image's width there)
// and delays (16 and 30 ms, not whole jiffies).
TEST(XcursorTest, CursorThemesFromDebianAreWrittenBackAsTheyCame) {
    size_t files = 0;
    for (const char* theme :
         {"Adwaita", "DMZ-White", "DMZ-Black", "redglass", "whiteglass", "handhelds"}) {
        const std::string folder = SystemCursorTheme(theme);
        if (!OracleAvailable(std::string(theme) + " cursor theme", folder)) continue;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            if (entry.is_symlink() || !entry.is_regular_file()) continue;
            SCOPED_TRACE(entry.path().string());
            const std::vector<uint8_t> file = ReadBytes(entry.path());
            std::vector<IconImageRec> images;
            std::string reason;
            ASSERT_TRUE(ReadXcursorData(file, images, reason)) << reason;
            std::vector<IconImageRec> listed;
            ASSERT_TRUE(ListXcursorData(file, listed, reason)) << reason;
            ASSERT_EQ(listed.size(), images.size());
            // Listed from the headers alone, the same images; read one by
            // one, the same pixels.
            const auto fields = [](const IconImageRec& r) {
                return std::tie(r.width, r.height, r.hotSpot, r.xcursor);
            };
            for (size_t i = 0; i < images.size(); ++i) {
                IconImageRec alone;
                ASSERT_TRUE(ReadXcursorImage(file, i, alone, reason)) << reason;
                EXPECT_TRUE(fields(listed[i]) == fields(images[i]) &&
                            fields(alone) == fields(images[i]) &&
                            alone.colours == images[i].colours && alone.alpha == images[i].alpha)
                    << i;
            }
            for (IconImageRec& rec : images) FlipRows(rec);
            std::vector<uint8_t> ours;
            ASSERT_TRUE(EncodeXcursor(images, ours, reason)) << reason;
            std::vector<uint32_t> ourPixels, theirPixels;
            EXPECT_EQ(ReadPlainly(ours, &ourPixels), ReadPlainly(file, &theirPixels));
            EXPECT_TRUE(ourPixels == theirPixels);
            ++files;
        }
    }
    EXPECT_GT(files, 100u);
}

TEST(XcursorTest, DamagedFilesAreRefusedBeforeAnythingIsDecoded) {
    // A header, one table entry, one image header: 64 bytes in all.
    const auto file = [](uint32_t entries, uint32_t position, uint32_t width, uint32_t height) {
        return Bytes()
            .Raw({'X', 'c', 'u', 'r'})
            .Raw(Values({16u, 0x10000u, entries, 0xfffd0002u, 32u, position, 36u, 0xfffd0002u, 32u,
                         1u, width, height, 0u, 0u, 50u}))
            .b;
    };
    struct Case {
        std::vector<uint8_t> bytes;
        const char* reason;
    };
    const Case cases[] = {
        {{'X', 'c', 'u', 'r', 16, 0},
         "the file is damaged or incomplete (its header is cut short)"},
        {file(1000, 28, 1, 1),
         "the file is damaged or incomplete (its table of 1000 entries does not fit in 64 bytes)"},
        {file(1, 28, 30000, 30000),
         "image 1 is 30000 x 30000 pixels; at most 1024 a side can be opened"},
        {file(1, 28, 16, 16), "the file is damaged or incomplete (image 1 ends beyond the file)"},
        {file(1, 60, 1, 1), "the file is damaged or incomplete (image 1 lies beyond its end)"},
    };
    for (const Case& c : cases) {
        std::vector<IconImageRec> images;
        std::string reason;
        EXPECT_FALSE(ReadXcursorData(c.bytes, images, reason)) << c.reason;
        EXPECT_EQ(reason, c.reason);
    }
    // Read alone, an image whose chunk names neither type nor size, or
    // another size than its table entry, is refused as the whole read refuses
    // it, and nothing of libXcursor's is left behind (the sanitized build checks).
    std::vector<uint8_t> unnamed = file(1, 28, 1, 1);
    unnamed.resize(unnamed.size() + 4, 0xff);
    std::vector<uint8_t> mismatched = unnamed;
    std::fill(unnamed.begin() + 32, unnamed.begin() + 40, 0);
    mismatched[20] = 24;
    for (const std::vector<uint8_t>& bytes : {unnamed, mismatched}) {
        IconImageRec alone;
        std::vector<IconImageRec> all;
        std::string reason;
        EXPECT_FALSE(ReadXcursorData(bytes, all, reason));
        EXPECT_FALSE(ReadXcursorImage(bytes, 0, alone, reason));
        EXPECT_EQ(reason, "the file is damaged or incomplete (libXcursor could not read image 0)");
    }
}

TEST(XcursorTest, DelaysBecomeTheNearestJiffyAndBack) {
    const int cases[][3] = {{0, 1, 17},    {8, 1, 17},       {50, 3, 50},
                            {100, 6, 100}, {1000, 60, 1000}, {25, 2, 33}};
    for (auto [ms, jiffies, back] : cases) {
        EXPECT_EQ(JiffiesOfDelay(uint32_t(ms)), jiffies) << ms;
        EXPECT_EQ(DelayOfJiffies(jiffies), uint32_t(back)) << ms;
    }
}

} // namespace
} // namespace pictoform
