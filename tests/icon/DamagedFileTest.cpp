// Damaged files are refused with a reason, never read past their end, and
// never make the reader allocate by sizes their bytes do not back.

#include <gtest/gtest.h>

#include <random>
#include <tuple>

#include "icon/IconBytes.h"
#include "icon/IconFile.h"
#include "icon/IconTestImages.h"
#include "icon/ModuleFixtures.h"
#include "icon/XcursorFile.h"

using namespace pictoform;
using namespace pictoform::test;

namespace {

std::vector<uint8_t> SmallIcon(unsigned flags) {
    auto pixel = [](int x, int y) {
        return Px{static_cast<uint8_t>(x * 9), static_cast<uint8_t>(y * 5), 3,
                  static_cast<uint8_t>(x == y ? 0 : 255)};
    };
    const std::vector<IconImageRec> images = {
        MakeImage(5, 4, kDepth32, pixel), MakeImage(3, 3, kDepth16, pixel),
        MakeImage(2, 2, kDepth24, pixel), MakeImage(4, 1, kDepth2, pixel),
        MakeImage(9, 2, kDepth256, pixel)};
    HotSpot hot{1, 1};
    CIconFile engine(hot);
    std::vector<uint8_t> out;
    EXPECT_TRUE(engine.EncodeIconFile(images, flags, out));
    return out;
}

// Files of every kind that is read by content: an icon, a cursor, an Xcursor
// file and an animated cursor of compressed frames.
std::vector<std::pair<const char*, std::vector<uint8_t>>> SampleFiles() {
    std::vector<IconImageRec> frames = {
        MakeImage(5, 4, kDepth32,
                  [](int x, int y) {
                      return Px{uint8_t(x * 40), 1, uint8_t(y), 128};
                  }),
        MakeImage(3, 3, kDepth32, [](int x, int) {
            return Px{9, 8, 7, uint8_t(x ? 255 : 0)};
        })};
    frames[0].hotSpot = HotSpot{2, 1};
    std::vector<uint8_t> xcursor, ani;
    std::string reason;
    EXPECT_TRUE(EncodeXcursor(frames, xcursor, reason)) << reason;
    for (IconImageRec& frame : frames) frame.png = true;
    frames[1].frameTime = 7;
    CIconFile writer;
    EXPECT_TRUE(writer.EncodeAnimatedCursor(frames, kWriteCursor, ani));
    return {{"icon", SmallIcon(0)},
            {"cursor", SmallIcon(kWriteCursor)},
            {"Xcursor", xcursor},
            {"animated cursor", ani}};
}

void ExpectRefused(CIconFile& engine, const std::vector<uint8_t>& bytes, const std::string& what) {
    EXPECT_FALSE(engine.ReadIconData(bytes)) << what;
    EXPECT_FALSE(engine.LastError().empty()) << what;
    EXPECT_TRUE(engine.Images().empty()) << what;
}

} // namespace

TEST(DamagedFile, TruncatedAtEveryByteIsRefused) {
    for (const auto& [kind, whole] : SampleFiles()) {
        CIconFile engine;
        ASSERT_TRUE(engine.ReadIconData(whole)) << kind << ": " << engine.LastError();
        for (size_t n = 0; n < whole.size(); ++n) {
            const std::vector<uint8_t> cut(whole.begin(), whole.begin() + static_cast<long>(n));
            ExpectRefused(engine, cut, std::string(kind) + " cut at " + std::to_string(n));
        }
    }
}

// What info shows comes from the headers alone: the same sizes, depths,
// storage, hot spots and times that reading gives, and no pixels.
TEST(DamagedFile, ListingDescribesWhatReadingDecodes) {
    const auto samples = SampleFiles();
    for (const auto& [kind, bytes] : samples) {
        CIconFile read, listed;
        ASSERT_TRUE(read.ReadIconData(bytes)) << kind;
        ASSERT_TRUE(listed.ListIconData(bytes)) << kind << ": " << listed.LastError();
        ASSERT_EQ(listed.Images().size(), read.Images().size()) << kind;
        for (size_t i = 0; i < read.Images().size(); ++i) {
            const IconImageRec& a = read.Images()[i];
            const IconImageRec& b = listed.Images()[i];
            EXPECT_EQ(std::tie(b.width, b.height, b.depth, b.png, b.hotSpot, b.frameTime),
                      std::tie(a.width, a.height, a.depth, a.png, a.hotSpot, a.frameTime))
                << kind << " " << i;
            EXPECT_TRUE(b.xcursor == a.xcursor) << kind << " " << i;
            EXPECT_TRUE(b.colours.empty() && b.mask.empty()) << kind << " " << i;
        }
    }
}

TEST(DamagedFile, DirectoryAndOffsetsPastTheEnd) {
    // A one-entry directory, the entry's size and offset given, then `rest`.
    const auto one = [](uint32_t size, uint32_t offset, const Blob& rest) {
        Bytes f;
        IconHeader(f, 1, 1);
        return Entry(f, 1, 1, 0, 1, 32, size, offset).Raw(rest).b;
    };
    // The last image cut 50 bytes in: 9 x 2 at 256 colours is a header, a
    // palette and two 12-byte rows.
    const Blob small = SmallIcon(0);
    const uint32_t last = U32At(small, 6 + 16 * 4 + 12);
    const Blob png = PngBytes(Paint(1, 1, [](int, int) {
        return std::array<uint8_t, 4>{3, 2, 1, 4};
    }));
    const struct {
        const char* what;
        Blob bytes;
        std::string reason; // empty: any reason
    } cases[] = {
        {"an image cut short", Blob(small.begin(), small.begin() + last + 50),
         "image 4 data ends at byte " + std::to_string(last + 40 + 1024 + 24) + " of " +
             std::to_string(last + 50)},
        {"a count the file has no room for", Bytes().U16(0).U16(1).U16(65535).Zeros(100).b,
         "directory of 65535 images ends at byte 1048566 of 106"},
        {"an offset far past the end", one(1000, 1000, Blob(40)), ""},
        {"an offset that wraps 32 bits", one(1000, 0xFFFFFFF0u, Blob(40)), ""},
        {"a bitmap header whose size leaves the file",
         one(48, 22, Bytes().U32(0x7FFFFFFF).Zeros(44).b), ""},
        {"an old core header, shorter than any icon's", one(48, 22, Bytes().U32(12).Zeros(44).b),
         "image 0 has a bitmap header of 12 bytes"},
        // (A PNG larger than the reader takes: PngImage.DecodedAtItsOwnSizeWithTheMaskFromAlpha.)
        {"a PNG entry claiming more bytes than the file holds", one(0xFFFFFF00u, 22, png), ""},
    };
    CIconFile engine;
    for (const auto& c : cases) {
        ExpectRefused(engine, c.bytes, c.what);
        EXPECT_TRUE(c.reason.empty() || engine.LastError() == c.reason) << engine.LastError();
    }
}

TEST(DamagedFile, RandomlyCorruptedFilesNeverCrashTheReader) {
    // The sanitizer build turns any stray read into a failure here.
    std::mt19937 random(20261206);
    for (const auto& [kind, whole] : SampleFiles()) {
        for (int round = 0; round < 3000; ++round) {
            auto bytes = whole;
            const int flips = 1 + static_cast<int>(random() % 6);
            for (int i = 0; i < flips; ++i) {
                bytes[random() % bytes.size()] = static_cast<uint8_t>(random());
            }
            CIconFile engine;
            if (engine.ReadIconData(bytes)) {
                for (const IconImageRec& rec : engine.Images()) ASSERT_TRUE(rec.IsConsistent());
            } else {
                ASSERT_FALSE(engine.LastError().empty());
            }
        }
    }
}

TEST(DamagedFile, UnreadableFilesSayWhy) {
    TempDir dir;
    CIconFile engine;
    EXPECT_FALSE(engine.ReadIconFile(dir.Path()));
    EXPECT_EQ(engine.LastError(), "Is a directory");
    EXPECT_FALSE(engine.ReadIconFile(dir.File("missing.ico")));
    EXPECT_EQ(engine.LastError(), "No such file or directory");
    WriteBytes(dir.File("empty.ico"), {});
    EXPECT_FALSE(engine.ReadIconFile(dir.File("empty.ico")));
    EXPECT_EQ(engine.LastError(), "file is too short to be an icon (0 bytes)");
    EXPECT_FALSE(engine.ReadIconData(Bytes().Raw({'B', 'M'}).Zeros(10).b));
    EXPECT_EQ(engine.LastError(), "not an icon or cursor file (type 0)");
}
