// Animated cursors exchanged with other programs: .ani files assembled from
// icons and cursors that icotool made must give back the pictures those were
// made from, and the frames we write must decode in Pillow to what we wrote.

#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "icon/IconBytes.h"
#include "icon/IconFile.h"
#include "support/Pictures.h"
#include "support/TestSupport.h"

namespace pictoform {
namespace {

using test::Bytes;
using test::CommandResult;
using test::Paint;
using test::Picture;
using test::PictureOf;
using test::ReadBytes;
using test::SamePixels;
using test::TempDir;
using test::ToRecord;
using test::U32At;
using Blob = std::vector<uint8_t>;

// `count` colours (black among them when there are holes); entry k of a
// table whose red channel alone tells its entries apart.
Picture FewColours(int w, int h, uint32_t count, bool holes, uint32_t seed) {
    return Paint(w, h, [=](int x, int y) -> std::array<uint8_t, 4> {
        const uint32_t v = (static_cast<uint32_t>(x * 7 + y * 13) + seed * 31) * 2654435761u;
        if (holes && (v >> 29) == 0) return {0, 0, 0, 0};
        const uint32_t k = (v >> 8) % count + (holes ? 0 : 1);
        return {static_cast<uint8_t>(k * 37), static_cast<uint8_t>(k * 91),
                static_cast<uint8_t>(k * 53), 255};
    });
}

// Every pixel its own colour; with alpha a spread of opacities, 0 and 255 among them.
Picture ManyColours(int w, int h, bool alpha, uint32_t seed) {
    return Paint(w, h, [=](int x, int y) -> std::array<uint8_t, 4> {
        const uint32_t v = (static_cast<uint32_t>(x * 977 + y * 131) + seed) * 2654435761u;
        const uint8_t a = !alpha ? 255 : x == 0 ? 0 : y == 0 ? 255 : static_cast<uint8_t>(v >> 24);
        return {static_cast<uint8_t>(x * 255 / (w - 1)), static_cast<uint8_t>(y * 255 / (h - 1)),
                static_cast<uint8_t>(v >> 16), a};
    });
}

// Pillow's decode of the first image of each icon file.
std::vector<Picture> PillowFirstImages(const std::vector<std::string>& paths) {
    std::vector<Picture> firsts;
    for (const std::vector<Picture>& frames : test::PillowDecode(paths)) {
        if (frames.empty()) break;
        firsts.push_back(frames.front());
    }
    return firsts;
}

Blob Chunk(const char* id, const Blob& body) {
    Bytes c;
    c.Raw(Blob(id, id + 4)).U32(static_cast<uint32_t>(body.size())).Raw(body);
    if (body.size() & 1) c.U8(0);
    return c.b;
}

Blob Cat(const std::vector<Blob>& parts) {
    Blob out;
    for (const Blob& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

Blob Values(const std::vector<uint32_t>& values) {
    Bytes b;
    for (uint32_t v : values) b.U32(v);
    return b.b;
}

Blob Riff(const std::vector<Blob>& chunks) {
    const Blob body = Cat(chunks);
    Bytes f;
    f.Raw({'R', 'I', 'F', 'F'})
        .U32(static_cast<uint32_t>(body.size() + 4))
        .Raw({'A', 'C', 'O', 'N'});
    return f.Raw(body).b;
}

// The bodies of the "icon" chunks of a file as we write it, checking on the
// way that every size adds up to the file's length.
std::vector<Blob> WrittenFrames(const Blob& ani) {
    std::vector<Blob> frames;
    EXPECT_EQ(U32At(ani, 4) + 8, ani.size());
    // The frame list comes last, after the header and whatever chunks of
    // timing, order and names the file has.
    size_t pos = 12;
    while (pos + 12 <= ani.size() && !(std::memcmp(&ani[pos], "LIST", 4) == 0 &&
                                       std::memcmp(&ani[pos + 8], "fram", 4) == 0)) {
        pos += 8 + U32At(ani, pos + 4) + (U32At(ani, pos + 4) & 1);
    }
    const size_t listEnd = pos + 8 + U32At(ani, pos + 4);
    EXPECT_EQ(listEnd, ani.size());
    pos += 12;
    while (pos + 8 <= listEnd) {
        const size_t size = U32At(ani, pos + 4);
        EXPECT_EQ(std::memcmp(&ani[pos], "icon", 4), 0);
        frames.emplace_back(ani.begin() + long(pos + 8), ani.begin() + long(pos + 8 + size));
        pos += 8 + size + (size & 1);
    }
    EXPECT_EQ(pos, listEnd);
    return frames;
}

// Pictures made by Pillow and turned into icons and cursors by icotool.
struct Made {
    std::vector<Picture> firstImages; // what each frame's first image shows
    std::vector<Blob> icons;          // the icon or cursor file of each frame
};

Made MakeWithIcotool(const TempDir& dir) {
    Made made;
    int serial = 0;
    auto make = [&](const std::vector<Picture>& pics, const std::vector<std::string>& options) {
        std::vector<std::string> argv{test::IcotoolPath(), "-c"};
        argv.insert(argv.end(), options.begin(), options.end());
        const std::string out = dir.File("made" + std::to_string(serial++) + ".ico");
        argv.insert(argv.end(), {"-o", out});
        for (const Picture& pic : pics) {
            const std::string png = dir.File("src" + std::to_string(serial++) + ".png");
            test::SavePngs(dir, {{png, pic}});
            argv.push_back(png);
        }
        const CommandResult r = test::Run(argv);
        EXPECT_EQ(r.status, 0) << r.err;
        made.firstImages.push_back(pics.front());
        made.icons.push_back(ReadBytes(out));
    };
    make({ManyColours(32, 32, true, 1)}, {});                                  // 32 bits with alpha
    make({FewColours(16, 16, 15, true, 2)}, {});                               // 4 bits
    make({FewColours(24, 20, 200, true, 3)}, {});                              // 8 bits
    make({FewColours(17, 17, 2, false, 4)}, {});                               // 1 bit
    make({ManyColours(40, 20, false, 5)}, {});                                 // 24 bits
    make({FewColours(20, 20, 2, false, 6), ManyColours(48, 48, true, 7)}, {}); // two images
    // A cursor whose hot spot y sits where an icon keeps 8 bits per pixel.
    make({ManyColours(32, 32, true, 8)}, {"--cursor", "--hotspot-x=3", "--hotspot-y=8"});
    return made;
}

void ExpectFrames(const CIconFile& engine, const std::vector<Picture>& want,
                  const std::vector<int32_t>& times) {
    ASSERT_EQ(engine.Images().size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        SCOPED_TRACE("frame " + std::to_string(i));
        EXPECT_TRUE(SamePixels(want[i], PictureOf(engine.Images()[i])));
        EXPECT_EQ(engine.Images()[i].frameTime, times[i]);
    }
}

TEST(AnimatedInterop, ReadsFramesThatIcotoolMade) {
    PICTOFORM_REQUIRE_ICOTOOL();
    PICTOFORM_REQUIRE_PILLOW();
    TempDir dir;
    const Made made = MakeWithIcotool(dir);
    ASSERT_EQ(made.icons.size(), 7u);
    const Blob& cursor = made.icons.back();
    ASSERT_EQ(test::U16At(cursor, 2), kCursorType);
    ASSERT_EQ(test::U16At(cursor, 10), 3u);
    ASSERT_EQ(test::U16At(cursor, 12), 8u);
    ASSERT_EQ(test::U16At(made.icons[5], 4), 2u);
    const uint32_t n = static_cast<uint32_t>(made.icons.size());

    Blob frames = Cat({Blob{'f', 'r', 'a', 'm'}});
    for (const Blob& icon : made.icons) frames = Cat({frames, Chunk("icon", icon)});
    Blob oddFrames = Cat({Blob{'f', 'r', 'a', 'm'}});
    for (Blob icon : made.icons) {
        // A byte beyond the icon makes an odd chunk with its pad byte.
        icon.push_back(0x5A);
        oddFrames = Cat({oddFrames, Chunk("icon", icon)});
    }
    const Blob anih = Chunk("anih", Values({36, n, n, 0, 0, 0, 0, 4, 1}));
    const Blob info = Chunk("LIST", Cat({{'I', 'N', 'F', 'O'}, Chunk("INAM", {'O', 'd', 'd'})}));
    const Blob rate = Chunk("rate", Values({5, 6, 7, 8, 9, 10, 11}));
    const Blob seq = Chunk("seq ", Values({0, 1, 0, 2, 3, 4, 5, 6, 6}));

    // Without a rate chunk every frame takes the header's display rate; with
    // a sequence the rates go by step, and a frame takes its first step's.
    const std::vector<int32_t> fixed(n, 4);
    const std::vector<int32_t> rated{5, 6, 8, 9, 10, 11, 4};
    struct Case {
        const char* name;
        Blob file;
        const std::vector<int32_t>& times;
    };
    const std::vector<Case> cases = {
        {"plain", Riff({anih, Chunk("LIST", frames)}), fixed},
        {"rate and seq", Riff({info, anih, rate, seq, Chunk("LIST", frames)}), rated},
        {"odd chunks", Riff({anih, Chunk("IART", {'x'}), seq, Chunk("LIST", oddFrames), info}),
         fixed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.File(std::string(c.name) + ".ani");
        test::WriteBytes(path, c.file);
        CIconFile engine;
        ASSERT_TRUE(engine.ReadIconFile(path)) << engine.LastError();
        ExpectFrames(engine, made.firstImages, c.times);
        const bool plain = std::string(c.name) == "plain";
        const std::vector<uint32_t> order{0, 1, 0, 2, 3, 4, 5, 6, 6};
        EXPECT_EQ(engine.Animation().sequence, plain ? std::vector<uint32_t>{} : order);
        EXPECT_EQ(engine.Animation().title, plain ? "" : "Odd");
        EXPECT_EQ(engine.Animation().author, std::string(c.name) == "odd chunks" ? "x" : "");
        EXPECT_EQ(engine.Images()[2].depth, kDepth256);
        EXPECT_EQ(engine.Images()[6].depth, kDepth32) << "cursor frame";

        // Written back by us, the same frames at the same times.
        std::vector<IconImageRec> records = engine.Images();
        for (IconImageRec& rec : records) {
            FlipRows(rec);
            // icotool's AND mask hides pixels under half opacity, and the
            // icon writer blanks the colour of every masked pixel; a format
            // of the editor covers each pixel that has any alpha.
            if (rec.HasAlpha()) {
                for (size_t p = 0; p < rec.PixelCount(); ++p) rec.mask[p] = rec.alpha[p] != 0;
            }
        }
        Blob ours;
        ASSERT_TRUE(engine.EncodeAnimatedCursor(records, 0, ours)) << engine.LastError();
        EXPECT_EQ(WrittenFrames(ours).size(), n);
        CIconFile again;
        ASSERT_TRUE(again.ReadAnimatedData(ours)) << again.LastError();
        ExpectFrames(again, made.firstImages, c.times);
    }

    // Pillow agrees on the first image of every icon frame.
    std::vector<std::string> icons;
    for (size_t i = 0; i + 1 < made.icons.size(); ++i) {
        icons.push_back(dir.File("frame" + std::to_string(i) + ".ico"));
        test::WriteBytes(icons.back(), made.icons[i]);
    }
    const std::vector<Picture> pillow = PillowFirstImages(icons);
    ASSERT_EQ(pillow.size(), icons.size());
    for (size_t i = 0; i < pillow.size(); ++i) {
        EXPECT_TRUE(SamePixels(pillow[i], made.firstImages[i])) << "frame " << i;
    }
}

TEST(AnimatedInterop, FramesWeWriteDecodeInOtherPrograms) {
    PICTOFORM_REQUIRE_ICOTOOL();
    PICTOFORM_REQUIRE_PILLOW();
    TempDir dir;
    const std::vector<std::pair<Picture, int32_t>> sources = {
        {ManyColours(32, 32, true, 21), kDepth32},
        {FewColours(16, 16, 15, true, 22), kDepth16},
        {FewColours(30, 18, 255, true, 23), kDepth256},
        {ManyColours(17, 9, false, 24), kDepth24},
        {FewColours(13, 7, 2, false, 25), kDepth2},
        {ManyColours(48, 48, true, 26), kDepth32},
    };
    std::vector<IconImageRec> records;
    for (const auto& [pic, depth] : sources) records.push_back(ToRecord(pic, depth));
    CIconFile engine;
    const std::string path = dir.File("ours.ani");
    ASSERT_TRUE(engine.WriteAnimatedCursor(path, records, 0)) << engine.LastError();
    const Blob ani = ReadBytes(path);
    EXPECT_EQ(U32At(ani, 40), 32u);
    const std::vector<Blob> frames = WrittenFrames(ani);
    ASSERT_EQ(frames.size(), sources.size());

    std::vector<std::string> icons;
    for (size_t i = 0; i < frames.size(); ++i) {
        icons.push_back(dir.File("frame" + std::to_string(i) + ".ico"));
        test::WriteBytes(icons.back(), frames[i]);
        const CommandResult listed = test::Run({test::IcotoolPath(), "-l", icons.back()});
        EXPECT_EQ(listed.status, 0) << listed.err;
        EXPECT_EQ(listed.err, "") << "icotool finds the frame file sound";
        EXPECT_NE(
            listed.out.find("--bit-depth=" + std::to_string(BitsPerPixelOf(sources[i].second))),
            std::string::npos)
            << listed.out;
    }
    const std::vector<Picture> pillow = PillowFirstImages(icons);
    ASSERT_EQ(pillow.size(), sources.size());
    CIconFile reader;
    ASSERT_TRUE(reader.ReadIconFile(path)) << reader.LastError();
    ASSERT_EQ(reader.Images().size(), sources.size());
    for (size_t i = 0; i < sources.size(); ++i) {
        SCOPED_TRACE("frame " + std::to_string(i));
        EXPECT_TRUE(SamePixels(sources[i].first, pillow[i]));
        EXPECT_TRUE(SamePixels(sources[i].first, PictureOf(reader.Images()[i])));
        EXPECT_EQ(reader.Images()[i].depth, sources[i].second);
    }
}

} // namespace
} // namespace pictoform
