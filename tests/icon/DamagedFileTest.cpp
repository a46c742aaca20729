// Damaged files are refused with a reason, never read past their end, and
// never make the reader allocate by sizes their bytes do not back. Programs
// and libraries too: cut short at every byte, with tables and directories
// that point past the end, back into themselves or nowhere, and counts that
// the bytes cannot back; each is refused with its reason, or read only as far
// as it is intact.

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <tuple>

#include "icon/IconBytes.h"
#include "icon/IconFile.h"
#include "icon/IconTestImages.h"
#include "icon/ModuleFixtures.h"
#include "icon/ModuleIcons.h"
#include "icon/XcursorFile.h"

using namespace pictoform;
using namespace pictoform::test;

namespace {

std::vector<uint8_t> SmallIcon(unsigned flags) {
    auto pixel = [](int x, int y) {
        return Px{static_cast<uint8_t>(x * 9), static_cast<uint8_t>(y * 5), 3,
                  static_cast<uint8_t>(x == y ? 0 : 255)};
    };
    std::vector<IconImageRec> images = {
        MakeImage(5, 4, kDepth32, pixel), MakeImage(3, 3, kDepth16, pixel),
        MakeImage(2, 2, kDepth24, pixel), MakeImage(4, 1, kDepth2, pixel),
        MakeImage(9, 2, kDepth256, pixel)};
    for (IconImageRec& rec : images) rec.hotSpot = HotSpot{1, 1};
    return IcoBytes(images, flags);
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

// Listing refuses it too: info must not pass a file that cannot be opened.
TEST(DamagedFile, TruncatedAtEveryByteIsRefused) {
    for (const auto& [kind, whole] : SampleFiles()) {
        CIconFile engine;
        ASSERT_TRUE(engine.ReadIconData(whole)) << kind << ": " << engine.LastError();
        for (size_t n = 0; n < whole.size(); ++n) {
            const std::vector<uint8_t> cut(whole.begin(), whole.begin() + static_cast<long>(n));
            const std::string what = std::string(kind) + " cut at " + std::to_string(n);
            ExpectRefused(engine, cut, what);
            EXPECT_FALSE(engine.ListIconData(cut)) << what;
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

// --- Programs and libraries ------------------------------------------------------

namespace {

std::string Refusal(std::span<const uint8_t> bytes) {
    ModuleResources m;
    std::string reason;
    if (m.Read(bytes, reason)) return "(read)";
    EXPECT_FALSE(reason.empty());
    return reason;
}

std::string Hex(uint32_t v) {
    char t[16];
    std::snprintf(t, sizeof t, "0x%X", v);
    return t;
}

// A small library: one group of two images.
std::vector<Resource> Small() {
    std::vector<Resource> res;
    uint16_t id = 1;
    AddIconGroup(res, ResourceName::Id(1),
                 IcoBytes({Pattern(8, 8, kDepth16, 1), Pattern(4, 4, kDepth32, 2)}), id);
    return res;
}

// Cuts the module at every byte. A cut module must be refused with a reason
// unless all the bytes that matter were left, and whatever loads must be
// what the whole module gives.
void CutAtEveryByte(const std::vector<uint8_t>& whole, size_t needed) {
    CIconFile intact;
    ASSERT_TRUE(intact.LoadModuleIconData(whole, 0)) << intact.LastError();
    const std::vector<IconImageRec>& expected = intact.Images();
    CIconFile engine;
    for (size_t cut = 0; cut < whole.size(); ++cut) {
        SCOPED_TRACE("cut at " + std::to_string(cut));
        const std::span<const uint8_t> part(whole.data(), cut);
        if (cut < needed) {
            const std::string reason = Refusal(part);
            ASSERT_NE(reason, "(read)");
            ASSERT_FALSE(reason.empty());
        }
        std::string reason;
        std::vector<IconGroup> groups;
        (void)ListModuleIconGroups(part, groups, reason);
        if (!engine.LoadModuleIconData(part, 0)) {
            ASSERT_FALSE(engine.LastError().empty());
            ASSERT_TRUE(engine.Images().empty());
            continue;
        }
        ASSERT_EQ(engine.Images().size(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i) {
            ASSERT_TRUE(SamePixels(PictureOf(expected[i]), PictureOf(engine.Images()[i])))
                << "image " << i;
        }
    }
}

size_t EndOfLastData(const std::vector<uint8_t>& bytes) {
    ModuleResources m;
    std::string reason;
    EXPECT_TRUE(m.Read(bytes, reason)) << reason;
    size_t end = 0;
    for (const ModuleResource& r : m.Resources()) end = std::max(end, r.offset + r.size);
    return end;
}

TEST(DamagedModuleTruncation, HandBuiltModulesCutAtEveryByte) {
    for (bool plus : {false, true}) {
        SCOPED_TRACE(plus ? "PE32+" : "PE32");
        const std::vector<uint8_t> pe = BuildPe(plus, Small()).bytes;
        CutAtEveryByte(pe, EndOfLastData(pe));
    }
    SCOPED_TRACE("NE");
    const std::vector<uint8_t> ne = BuildNe(Small());
    // An NE resource may lack the part of its last alignment unit past the
    // end of the file; the image decoder then judges what is left.
    CutAtEveryByte(ne, EndOfLastData(ne) - 15);
}

TEST(DamagedModuleTruncation, MinGwLibraryCutAtEveryByte) {
    PICTOFORM_REQUIRE_MINGW(64);
    TempDir dir;
    const std::string ico = dir.File("small.ico");
    WriteBytes(ico, IcoBytes({Pattern(8, 8, kDepth16, 1), Pattern(4, 4, kDepth32, 2)}));
    const std::string dll = BuildDll(dir, 64, {{"1", ico}}, "small");
    ASSERT_FALSE(dll.empty());
    const std::vector<uint8_t> bytes = ReadBytes(dll);
    CutAtEveryByte(bytes, EndOfLastData(bytes));
}

// One field of a module changed, `width` bytes at `at`, and the reason it is
// refused with; a reason that ends in "..." need only start the real one.
TEST(DamagedModule, FieldsPointingPastTheEndBackOrNowhere) {
    const BuiltPe built = BuildPe(false, Small());
    const std::vector<uint8_t>& pe = built.bytes;
    const std::vector<uint8_t> ne = BuildNe(Small());
    const std::string ofPe = " of " + std::to_string(pe.size());
    const std::string ofNe = " of " + std::to_string(ne.size());
    const size_t root = built.resourceRoot, opt = 0x58, sections = built.sectionTable;
    constexpr size_t kNe = 0x40, kTable = 0x80;
    // File offset of the directory that entry `i` of the directory at `dir` points to.
    const auto child = [&](size_t dir, size_t i) {
        return root + (U32At(pe, dir + 16 + 8 * i + 4) & 0x7FFFFFFF);
    };
    const size_t names = child(root, 0), languages = child(names, 0);
    const size_t dataEntry = root + U32At(pe, languages + 16 + 4);
    const auto dir = [](size_t at) { return "resource directory at byte " + std::to_string(at); };
    const struct {
        const std::vector<uint8_t>& module;
        size_t at;
        uint32_t value;
        int width;
        std::string reason;
    } cases[] = {
        {pe, 0x3C, 0x7FFFFFF0, 4,
         "module header at byte 2147483632 ends at byte 2147483634" + ofPe},
        // section count
        {pe, 0x46, 0xFFFF, 2,
         "section table ends at byte " + std::to_string(sections + 0xFFFF * 40) + ofPe},
        // size of the optional header
        {pe, 0x54, 0xFFFF, 2,
         "optional header ends at byte " + std::to_string(opt + 0xFFFF) + ofPe},
        {pe, opt, 0x107, 2, "optional header magic 0x107 is neither PE32 nor PE32+"},
        // resource directory RVA
        {pe, opt + 96 + 16, 0x9000, 4, "resource directory at RVA 0x9000 lies in no section"},
        // the section's file offset
        {pe, sections + 20, 0x100000, 4,
         "resource directory at RVA 0x1000 ends at byte " + std::to_string(0x100010) + ofPe},
        // the section's file data shrunk
        {pe, sections + 16, 8, 4,
         "resource directory at RVA 0x1000 runs past the file data of section '.rsrc'"},
        {pe, root + 16 + 4, 0x80000000u, 4, dir(root) + " points to itself"},
        // a name entry leading back to the root
        {pe, names + 16 + 4, 0x80000000u, 4,
         dir(names) + " points back to the directory at byte " + std::to_string(root)},
        {pe, languages + 16 + 4, 0x80000000u | static_cast<uint32_t>(languages - root), 4,
         dir(languages) + " nests deeper than 3 levels"},
        // both types list the same names
        {pe, root + 16 + 8 + 4, U32At(pe, root + 16 + 4), 4,
         dir(root) + " shares the directory at byte " + std::to_string(names) +
             " with another entry"},
        // data where a directory belongs
        {pe, root + 16 + 4, static_cast<uint32_t>(names - root), 4,
         dir(root) + " holds data in entry 0 where a directory belongs"},
        // both counts of the root directory
        {pe, root + 12, 0xFFFFFFFF, 4,
         dir(root) + " with 131070 entries ends at byte " + std::to_string(root + 16 + 131070 * 8) +
             ofPe},
        // subdirectory, type name and data entry far past the end
        {pe, root + 16 + 4, 0xFFFFFFF0u, 4, "resource directory at byte ..."},
        {pe, root + 16, 0x80000000u | 0x7FFFFF00u, 4, "resource name at byte ..."},
        {pe, languages + 16 + 4, 0x7FFFFFF0u, 4, "resource data entry at byte ..."},
        {pe, dataEntry + 4, 0xFFFFFFF0u, 4,
         "data of resource 14/1 at RVA " + Hex(U32At(pe, dataEntry)) +
             " runs past the file data of section '.rsrc'"},
        {pe, dataEntry, 0xF0000000u, 4,
         "data of resource 14/1 at RVA 0xF0000000 lies in no section"},
        {ne, kNe + 0x24, 0xFFF0, 2,
         "resource table at byte " + std::to_string(kNe + 0xFFF0) + " ends at byte " +
             std::to_string(kNe + 0xFFF0 + 2) + ofNe},
        {ne, kTable, 30, 2, "resource table at byte 128 has an alignment shift of 30"},
        // resources of the first type
        {ne, kTable + 2 + 2, 0xFFFF, 2,
         "resource type block at byte 130 with 65535 resources ends at byte " +
             std::to_string(130 + 8 + 65535 * 12) + ofNe},
        // first resource's offset, in units of 16
        {ne, kTable + 2 + 8, 0xFFF0, 2,
         "data of resource 14/1 ends at byte " +
             std::to_string(0xFFF0 * 16 + U16At(ne, kTable + 2 + 10) * 16) + ofNe},
        // a name far past the end
        {ne, kTable + 2 + 8 + 6, 0x7000, 2, "resource name at byte ..."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("row " + std::to_string(&c - cases));
        std::vector<uint8_t> f = c.module;
        c.width == 2 ? Put16(f, c.at, c.value) : Put32(f, c.at, c.value);
        const std::string reason = Refusal(f);
        const bool start = c.reason.ends_with("...");
        EXPECT_EQ(start ? reason.substr(0, c.reason.size() - 3) + "..." : reason, c.reason);
    }
}

TEST(DamagedModule, RefusesMoreResourcesThanTheLimit) {
    // One resource more than the limit, in names of 65535 languages each (a
    // directory's count is 16 bits); without the last one the module reads.
    std::vector<Resource> many;
    for (uint32_t i = 0; i <= kMaxModuleResources; ++i) {
        many.push_back(
            {ResourceName::Id(3), ResourceName::Id(1 + i / 65535), uint16_t(i % 65535), {}});
    }
    EXPECT_EQ(Refusal(BuildPe(false, many).bytes),
              "module holds more than " + std::to_string(kMaxModuleResources) + " resources");
    many.pop_back();
    EXPECT_EQ(Refusal(BuildPe(false, many).bytes), "(read)");
}

TEST(DamagedModule, NeTableWithoutItsEnd) {
    const std::vector<uint8_t> whole = BuildNe(Small());
    constexpr size_t kTable = 0x80;
    // A table whose terminator is lost: every block after it read as zeros
    // would end it, so fill the rest of the file with type blocks.
    std::vector<uint8_t> f(whole.begin(), whole.begin() + kTable + 2);
    while (f.size() < 0x200) {
        const uint8_t block[8] = {3, 0x80, 0, 0, 0, 0, 0, 0};
        f.insert(f.end(), block, block + 8);
    }
    EXPECT_EQ(Refusal(f),
              "resource table at byte 128 has no end before byte " + std::to_string(f.size()));
}

TEST(DamagedModule, DamagedGroupsKeepTheirPlace) {
    const std::vector<Resource> small = Small(); // group 1, icons 1 and 2
    const std::vector<uint8_t> hugeCount{0, 0, 1, 0, 0xFF, 0xFF, 1, 2, 3};
    std::vector<Resource> res{
        small[0],
        {ResourceName::Id(14), ResourceName::Id(2), 1033, hugeCount},
        {ResourceName::Id(14), ResourceName::Id(3), 1033, {0, 0, 1}},
        {ResourceName::Id(14), ResourceName::Id(4), 1033, small[0].data},
        small[1],
        small[2],
    };
    const std::vector<uint8_t> pe = BuildPe(true, res).bytes;
    std::vector<IconGroup> groups;
    std::string reason;
    ASSERT_TRUE(ListModuleIconGroups(pe, groups, reason)) << reason;
    ASSERT_EQ(groups.size(), 4u);
    const std::string damage[] = {"", "with 65535 entries ends at byte 917496 of 9",
                                  "header ends at byte 6 of 3", ""};
    CIconFile engine;
    for (int g = 0; g < 4; ++g) {
        EXPECT_EQ(groups[g].damage, damage[g]);
        EXPECT_EQ(engine.LoadModuleIconData(pe, g), damage[g].empty()) << engine.LastError();
        if (!damage[g].empty()) {
            EXPECT_EQ(engine.LastError(), "icon group " + std::to_string(g + 1) + " " + damage[g]);
        }
    }

    // A group whose second image is cut short is refused, not shown with
    // that image left out.
    res[5].data.resize(30);
    EXPECT_FALSE(engine.LoadModuleIconData(BuildPe(true, res).bytes, 3));
    EXPECT_EQ(engine.LastError(), "icon group 4: icon resource 2 header ends at byte 40 of 30");
    EXPECT_TRUE(engine.Images().empty());
}

} // namespace
