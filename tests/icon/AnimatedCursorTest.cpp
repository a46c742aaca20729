// Animated cursors: the bytes we write, RIFF files built by hand, and
// damaged files, which are refused with a reason and an empty list.

#include <gtest/gtest.h>

#include "icon/IconBytes.h"
#include "icon/IconFile.h"
#include "icon/IconTestImages.h"
#include "icon/ModuleFixtures.h"

using namespace pictoform;
using namespace pictoform::test;

namespace {

Blob Id(const char* id) {
    return Blob(id, id + 4);
}

Blob Anih(uint32_t frames, uint32_t displayRate = 10) {
    return Chunk("anih", Values({36, frames, frames, 0, 0, 32, 1, displayRate, 1}));
}

Blob Rate(const std::vector<uint32_t>& values) {
    return Chunk("rate", Values(values));
}

Blob Frames(const std::vector<Blob>& icons) {
    Blob body = Id("fram");
    for (const Blob& icon : icons) body = Cat({body, Chunk("icon", icon)});
    return Chunk("LIST", body);
}

// A few distinct colours, so that every depth holds them exactly; with
// `holes` some pixels are transparent.
std::function<Px(int, int)> Pattern(int seed, bool holes) {
    return [=](int x, int y) {
        if (holes && (x + y + seed) % 5 == 0) return Px{0, 0, 0, 0};
        const int k = (x * 3 + y + seed) % 3;
        return Px{static_cast<uint8_t>(40 * k + 10), static_cast<uint8_t>(200 - seed),
                  static_cast<uint8_t>(60 + 50 * k), 255};
    };
}

Blob Frame(int w, int h, int32_t depth, int seed) {
    return IcoBytes({MakeImage(w, h, depth, Pattern(seed, true))});
}

Blob Encode(const std::vector<IconImageRec>& images, unsigned flags = 0) {
    CIconFile engine;
    Blob ani;
    EXPECT_TRUE(engine.EncodeAnimatedCursor(images, flags, ani)) << engine.LastError();
    return ani;
}

void ExpectPixels(const IconImageRec& rec, int w, int h, const std::function<Px(int, int)>& fn) {
    EXPECT_TRUE(SamePixels(PictureOfSource(MakeImage(w, h, kDepth32, fn)), PictureOf(rec)));
}

// The frame times of what the engine read.
std::vector<int32_t> Times(const CIconFile& engine) {
    std::vector<int32_t> times;
    for (const IconImageRec& rec : engine.Images()) times.push_back(rec.frameTime);
    return times;
}

void ExpectRefused(const Blob& file, const std::string& reason = "") {
    CIconFile engine;
    EXPECT_FALSE(engine.ReadAnimatedData(file));
    EXPECT_FALSE(engine.LastError().empty());
    if (!reason.empty()) {
        EXPECT_EQ(engine.LastError(), reason);
    }
    EXPECT_TRUE(engine.Images().empty());
}

} // namespace

// --- Writing ----------------------------------------------------------------

TEST(AnimatedCursorWrite, LayoutIsExactAndFramesKeepTheirOwnSizeAndDepth) {
    auto twoColours = [](int x, int y) {
        return (x + 2 * y) % 3 ? Px{255, 255, 255, 255} : Px{0, 0, 0, 255};
    };
    const std::vector<IconImageRec> images = {MakeImage(16, 16, kDepth16, Pattern(1, true)),
                                              MakeImage(48, 40, kDepth256, Pattern(2, true)),
                                              MakeImage(17, 5, kDepth24, Pattern(3, false)),
                                              MakeImage(9, 3, kDepth2, twoColours),
                                              MakeImage(7, 7, kDepth4, Pattern(5, true)),
                                              MakeImage(32, 32, kDepth32, Pattern(6, true))};
    // The header takes the first frame's size and bits per pixel; each frame
    // is exactly the one-image icon file of its format; no rate, sequence or
    // information chunks. (Frames of each depth read back: the reading tests
    // below and the icon file tests.)
    std::vector<Blob> icons;
    for (const IconImageRec& rec : images) icons.push_back(IcoBytes({rec}));
    EXPECT_EQ(Encode(images),
              Riff({Chunk("anih", Values({36, 6, 6, 16, 16, 4, 1, 10, 1})), Frames(icons)}));
}

TEST(AnimatedCursorWrite, OddCompressedFrameIsPadded) {
    // A 256 x 256 frame stored compressed; try pictures until one compresses
    // to an odd number of bytes.
    for (int seed = 0; seed < 40; ++seed) {
        auto pixel = [seed](int x, int y) {
            return Px{static_cast<uint8_t>(x ^ seed), static_cast<uint8_t>(y), 7,
                      static_cast<uint8_t>((x * y + seed) % 7 == 0 ? 0 : 200)};
        };
        std::vector<IconImageRec> images = {MakeImage(256, 256, kDepth32, pixel),
                                            MakeImage(4, 4, kDepth24, Pattern(1, false))};
        images[0].png = true;
        const Blob ani = Encode(images);
        const uint32_t first = U32At(ani, 72);
        if ((first & 1) == 0) continue;
        // The odd chunk is followed by its pad byte. (Reading past pad bytes:
        // InformationAndUnknownChunksAnywhere and RatesApplyByIndexOrByFirstStep.)
        EXPECT_EQ(ani, Riff({Chunk("anih", Values({36, 2, 2, 256, 256, 32, 1, 10, 1})),
                             Frames({IcoBytes({images[0]}), IcoBytes({images[1]})})}));
        return;
    }
    FAIL() << "no picture compressed to an odd size";
}

TEST(AnimatedCursorWrite, CursorFramesCarryTheHotSpotAndIconFramesLeaveItBe) {
    // Hot spot y = 8 where an icon keeps its bit count: the frame must say it
    // is a cursor, or a reader would take the 32-bit frame for 256 colours.
    HotSpot hot{3, 8};
    CIconFile engine(hot);
    Blob ani;
    const IconImageRec image = MakeImage(16, 16, kDepth32, Pattern(2, true));
    ASSERT_TRUE(engine.EncodeAnimatedCursor({image}, kWriteCursor, ani)) << engine.LastError();
    // The frame's type, then its entry's hot spot.
    EXPECT_EQ((std::vector<uint32_t>{U16At(ani, 78), U16At(ani, 86), U16At(ani, 88)}),
              (std::vector<uint32_t>{kCursorType, 3, 8}));
    HotSpot read{99, 99};
    CIconFile reader(read);
    ASSERT_TRUE(reader.ReadAnimatedData(ani)) << reader.LastError();
    ASSERT_EQ(reader.Images().size(), 1u);
    EXPECT_EQ(reader.Images()[0].depth, kDepth32);
    ExpectPixels(reader.Images()[0], 16, 16, Pattern(2, true));
    EXPECT_EQ(read, (HotSpot{3, 8})) << "the first frame's hot spot is the file's";
    // An icon frame has no hot spot to give: the one held stays.
    read = {5, 6};
    ASSERT_TRUE(reader.ReadAnimatedData(Encode({image}))) << reader.LastError();
    EXPECT_EQ(read, (HotSpot{5, 6}));
}

TEST(AnimatedCursorWrite, RefusesWhatCannotBeWritten) {
    CIconFile engine;
    Blob ani{1, 2, 3};
    EXPECT_FALSE(engine.EncodeAnimatedCursor({}, 0, ani));
    EXPECT_EQ(engine.LastError(), "an animated cursor needs at least one frame");
    EXPECT_TRUE(ani.empty());

    std::vector<IconImageRec> images(2, MakeImage(4, 4, kDepth32, Pattern(0, false)));
    images[1].depth = 8;
    EXPECT_FALSE(engine.EncodeAnimatedCursor(images, 0, ani));
    EXPECT_EQ(engine.LastError(),
              "frame 1 cannot be written: depth 8 is not 2, 4, 16, 256, 24 or 32");
    EXPECT_TRUE(ani.empty());

    // (Written files: CliConvert, which writes animated cursors through it.)
    images.pop_back();
    EXPECT_FALSE(engine.WriteAnimatedCursor(TempDir().File("none/x.ani"), images, 0));
    EXPECT_FALSE(engine.LastError().empty());
}

// --- Reading files built by hand ----------------------------------------------

TEST(AnimatedCursorRead, RatesApplyByIndexOrByFirstStep) {
    const Blob frames =
        Frames({Frame(4, 4, kDepth32, 0), Frame(5, 3, kDepth16, 1), Frame(2, 6, kDepth24, 2)});
    CIconFile engine;
    ASSERT_TRUE(engine.ReadAnimatedData(Riff({Anih(3), Rate({7, 30}), frames})))
        << engine.LastError();
    EXPECT_EQ(Times(engine), (std::vector<int32_t>{7, 30, 10})) << "the header's display rate";
    EXPECT_EQ(engine.Images()[1].depth, kDepth16);
    ExpectPixels(engine.Images()[1], 5, 3, Pattern(1, true));

    // More rates than frames, and a rate chunk whose last value is cut off.
    ASSERT_TRUE(engine.ReadAnimatedData(Riff({Anih(3), frames, Rate({1, 2, 3, 4, 5})})));
    EXPECT_EQ(Times(engine), (std::vector<int32_t>{1, 2, 3}));
    const Blob cutRate = Chunk("rate", {9, 0, 0, 0, 8, 0, 0});
    ASSERT_TRUE(engine.ReadAnimatedData(Riff({Anih(3, 0), cutRate, frames})));
    EXPECT_EQ(Times(engine), (std::vector<int32_t>{9, 240, 240})) << "a display rate of 0 is 240";
    // A sequence does not repeat frames; a frame takes the rate of its first step.
    ASSERT_TRUE(engine.ReadAnimatedData(Riff(
        {Anih(3), Chunk("seq ", Values({0, 1, 0, 1, 1, 2})), Rate({1, 2, 3, 4, 5, 6}), frames})));
    EXPECT_EQ(Times(engine), (std::vector<int32_t>{1, 2, 6}));
    EXPECT_EQ(engine.Images()[0].width, 4);
}

TEST(AnimatedCursorRead, InformationAndUnknownChunksAnywhere) {
    const Blob info =
        Chunk("LIST", Cat({Id("INFO"), Chunk("INAM", {'O', 'd', 'd'}), Chunk("IART", {'M', 'e'})}));
    const Blob frames = Frames({Frame(4, 4, kDepth32, 0), Frame(6, 2, kDepth4, 1)});
    const Blob odd = Chunk("xyz1", {1, 2, 3, 4, 5});
    // The last file comes from a writer that left out the pad byte after an odd chunk.
    for (const Blob& file : {Riff({info, Anih(2), frames}), Riff({Anih(2), odd, frames, info}),
                             Riff({odd, info, Anih(2), Chunk("INAM", {'A'}), frames, odd}),
                             Riff({Anih(2), Chunk("INAM", {'A'}, false), frames})}) {
        CIconFile engine;
        ASSERT_TRUE(engine.ReadAnimatedData(file)) << engine.LastError();
        ASSERT_EQ(engine.Images().size(), 2u);
        ExpectPixels(engine.Images()[1], 6, 2, Pattern(1, true));
    }
}

// A frame gives the image its entry points to, the first of several, and
// the next frame follows.
TEST(AnimatedCursorRead, FrameImageIsTakenWhereItsEntrySays) {
    // Ten spare bytes between directory and image; the entry points past them.
    Blob icon = Frame(4, 4, kDepth32, 2);
    icon.insert(icon.begin() + 22, 10, 0xEE);
    icon[18] = 32;
    const Blob twoImages = IcoBytes({MakeImage(8, 8, kDepth24, Pattern(3, false)),
                                     MakeImage(16, 16, kDepth32, Pattern(4, true))});
    CIconFile engine;
    ASSERT_TRUE(engine.ReadAnimatedData(
        Riff({Anih(3), Frames({icon, twoImages, Frame(5, 5, kDepth16, 1)})})))
        << engine.LastError();
    ASSERT_EQ(engine.Images().size(), 3u);
    ExpectPixels(engine.Images()[0], 4, 4, Pattern(2, true));
    ExpectPixels(engine.Images()[1], 8, 8, Pattern(3, false));
    ExpectPixels(engine.Images()[2], 5, 5, Pattern(1, true));

    // An offset that lies in the next frame is not followed there.
    Blob far = Frame(4, 4, kDepth32, 2);
    far[18] = 200;
    ExpectRefused(Riff({Anih(2), Frames({far, Frame(4, 4, kDepth32, 2)})}),
                  "frame 0 image header ends at byte 240 of " + std::to_string(far.size()));
}

TEST(AnimatedCursorRead, NoFramesIsAnEmptySuccess) {
    CIconFile engine;
    ASSERT_TRUE(engine.ReadAnimatedData(Riff({Anih(0), Frames({})}))) << engine.LastError();
    EXPECT_TRUE(engine.Images().empty());
    ASSERT_TRUE(engine.ReadAnimatedData(Riff({Anih(0)})));
    // A header that names frames where none follow is a file cut short.
    ExpectRefused(Riff({Anih(2)}), "header names 2 frames but the file holds no frame list");
}

// --- Damaged files --------------------------------------------------------------
// (Cuts at every byte are in DamagedFileTest, with the other kinds of file.)

TEST(AnimatedCursorDamage, SizesAndFieldsAreNotTrusted) {
    const Blob good = Frame(4, 4, kDepth32, 0);
    const Blob file = Riff({Anih(2), Frames({good, good})});
    const size_t second = 68 + 8 + good.size(), end = file.size();
    const auto with = [](Blob b, size_t at, uint32_t v) {
        PutU32At(b, at, v);
        return b;
    };
    const std::string kNotRiff = "not an animated cursor (no RIFF ACON header)";
    const auto frameWith = [&](size_t at, uint8_t v) {
        Blob frame = good;
        frame[at] = v;
        return Riff({Anih(1), Frames({frame})});
    };
    const struct {
        Blob bytes;
        std::string reason; // empty: any reason
    } cases[] = {
        {Riff({Frames({good})}), "animated cursor has no \"anih\" header chunk"},
        {Cat({Id("RIFX"), {0, 0, 0, 0}, Id("ACON"), Anih(0)}), kNotRiff},
        {Cat({Id("RIFF"), {0, 0, 0, 0}, Id("AVI "), Anih(0)}), kNotRiff},
        {good, kNotRiff},
        // A huge size on a frame, on the rate chunk, and on the list.
        {with(file, second + 4, 0xFFFFFFFF), "frame 1 ends at byte " +
                                                 std::to_string(second + 8 + 0xFFFFFFFFull) +
                                                 " of " + std::to_string(end)},
        {with(Riff({Anih(1), Chunk("rate", {1, 0, 0, 0}), Frames({good})}), 60, 0xFFFFFFF0), ""},
        {with(file, 60, static_cast<uint32_t>(4 + 8 + good.size() + 8 + 20)),
         "frame 1 ends at byte " + std::to_string(end) + ", past the end of its list at byte " +
             std::to_string(second + 28)},
        // A frame that claims less than it needs, inside a list that is whole.
        {with(file, second + 4, 30), ""},
        // Frames that are not icon files.
        {Riff({Anih(1), Frames({Blob(10, 0)})}), ""},
        {frameWith(2, 0), "frame 0 is not an icon or cursor (type 0)"},
        {frameWith(4, 0), "frame 0 holds no images"},
        // Cut inside the last frame, and at its end: the list says more is missing.
        {Blob(file.begin(), file.end() - 10),
         "frame 1 ends at byte " + std::to_string(end) + " of " + std::to_string(end - 10)},
        {Blob(file.begin(), file.begin() + long(second)),
         "frame list ends at byte " + std::to_string(end) + " of " + std::to_string(second)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        ExpectRefused(c.bytes, c.reason);
    }
}

TEST(AnimatedCursorDamage, DecodedPixelsAreCapped) {
    // Small compressed frames that each decode to 256 x 256 pixels: the file
    // stays small while what it decodes to would not.
    std::vector<IconImageRec> one = {MakeImage(256, 256, kDepth32, Px{1, 2, 3, 255})};
    one[0].png = true;
    const Blob icon = IcoBytes(one);
    ASSERT_LT(icon.size(), 4000u);
    const size_t fits = kMaxDecodedPixels / (256 * 256);
    CIconFile engine;
    ASSERT_TRUE(engine.ReadAnimatedData(Riff({Anih(0), Frames(std::vector<Blob>(fits, icon))})));
    EXPECT_EQ(engine.Images().size(), fits);
    ExpectRefused(Riff({Anih(0), Frames(std::vector<Blob>(fits + 1, icon))}),
                  "its images hold more than " + std::to_string(kMaxDecodedPixels / 1000000) +
                      " million pixels in all, more than Pictoform reads from one file");
}
