// The masks and colour presets that ship with the program: they read as the
// program reads them, face the right way, match a fresh run of the script
// that makes them, and sit where the build tree's program looks.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "colour/MultiColorPen.h"
#include "editor/ProgramPaths.h"
#include "panels/AdvColorDialog.h"
#include "panels/MaskLibrary.h"
#include "support/TestPaths.h"
#include "support/TestSupport.h"

using namespace pictoform;
using namespace pictoform::test;

namespace {

namespace fs = std::filesystem;

const std::string kData = std::string(PICTOFORM_SOURCE_DIR) + "/data";
constexpr int kSide = 64;

const std::vector<std::string> kMaskTitles = {
    "Arrow Down",     "Arrow Left",     "Arrow Right", "Arrow Up", "Check Mark",
    "Circle",         "Cross",          "Diamond",     "Drop",     "Heart",
    "Hexagon",        "Lightning Bolt", "Moon",        "Plus",     "Ring",
    "Rounded Square", "Speech Bubble",  "Star",        "Triangle"};
const std::vector<std::string> kPresetTitles = {"Fire",  "Forest", "Greyscale", "Metal",
                                                "Ocean", "Pastel", "Rainbow",   "Sunset"};

std::vector<std::string> Titles(const std::vector<MaskEntry>& list) {
    std::vector<std::string> titles;
    for (const MaskEntry& e : list) titles.push_back(e.title);
    return titles;
}

std::set<std::string> FileNames(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

MaskImage Mask(const std::string& title) {
    MaskImage mask;
    std::string why;
    EXPECT_TRUE(ReadMaskFile(kData + "/Masks/" + title + ".msk", mask, &why))
        << title << ": " << why;
    return mask;
}

int At(const MaskImage& mask, int x, int y) {
    return mask.pixels.at(static_cast<size_t>(y) * mask.width + x);
}

// Every file of these data folders in `copy` holds the same bytes as in data/.
void ExpectSameFiles(const std::string& copy,
                     std::initializer_list<const char*> folders = {"Masks", "Presets"}) {
    for (const char* folder : folders) {
        const std::string ours = kData + "/" + folder;
        const std::string theirs = copy + "/" + folder;
        ASSERT_TRUE(fs::is_directory(theirs)) << theirs;
        for (const std::string& name : FileNames(ours)) {
            ASSERT_TRUE(FileExists(theirs + "/" + name)) << folder << "/" << name;
            // Compared whole: a mismatch names the file rather than printing its bytes.
            EXPECT_TRUE(ReadBytes(theirs + "/" + name) == ReadBytes(ours + "/" + name))
                << folder << "/" << name << " differs";
        }
    }
}

} // namespace

TEST(ShippedMasks, AreListedByTitleAndEachIsASmoothSixtyFourSquare) {
    const std::vector<MaskEntry> list = ListMaskFolder(kData + "/Masks");
    EXPECT_EQ(Titles(list), kMaskTitles);
    for (const MaskEntry& entry : list) {
        SCOPED_TRACE(entry.title);
        MaskImage mask;
        ASSERT_TRUE(ReadMaskFile(entry.path, mask));
        EXPECT_EQ(std::pair(mask.width, mask.height), std::pair(kSide, kSide));
        // No bytes past the pixels.
        EXPECT_EQ(ReadBytes(entry.path).size(), 7u + kSide * kSide);
        const auto [low, high] = std::minmax_element(mask.pixels.begin(), mask.pixels.end());
        EXPECT_EQ(std::pair(int{*low}, int{*high}), std::pair(0, 255));
        const auto partial = std::count_if(mask.pixels.begin(), mask.pixels.end(),
                                           [](uint8_t c) { return c != 0 && c != 255; });
        // Smooth edges all round, not a stray grey pixel.
        EXPECT_GE(partial, 24);
        // The border stays clear so a stamped mask does not fill its frame's edge.
        for (int i = 0; i < kSide; ++i) {
            const int last = kSide - 1;
            EXPECT_EQ(At(mask, i, 0) + At(mask, 0, i) + At(mask, i, last) + At(mask, last, i), 0)
                << "at " << i;
        }
    }
}

// The script that draws the masks is pinned byte for byte below; these
// points pin that it draws them the right way up. (Each is 64 x 64, as the
// test above checks; At() throws on a pixel beyond a mask.)
TEST(ShippedMasks, TheShapesStandUpright) {
    // Arrow Up: the narrow tip in the top quarter's centre, open sky in its
    // corners, the wide head under it, then the shaft, its sides empty.
    // Heart: two lobes at the top with the notch between; the point at the bottom.
    // Star: one point straight up; between the two feet at the bottom, nothing.
    const struct {
        const char* mask;
        int x, y, value;
    } points[] = {
        {"Arrow Up", 31, 8, 255},  {"Arrow Up", 32, 8, 255},  {"Arrow Up", 24, 8, 0},
        {"Arrow Up", 0, 0, 0},     {"Arrow Up", 63, 0, 0},    {"Arrow Up", 12, 12, 0},
        {"Arrow Up", 10, 28, 255}, {"Arrow Up", 32, 56, 255}, {"Arrow Up", 10, 56, 0},
        {"Arrow Up", 53, 56, 0},   {"Heart", 20, 10, 255},    {"Heart", 43, 10, 255},
        {"Heart", 31, 12, 0},      {"Heart", 32, 12, 0},      {"Heart", 32, 30, 255},
        {"Heart", 31, 55, 255},    {"Heart", 10, 50, 0},      {"Heart", 31, 60, 0},
        {"Star", 31, 10, 255},     {"Star", 20, 10, 0},       {"Star", 31, 56, 0},
        {"Star", 17, 54, 255},     {"Star", 46, 54, 255},
    };
    for (const auto& p : points) {
        const MaskImage mask = Mask(p.mask);
        EXPECT_EQ(At(mask, p.x, p.y), p.value) << p.mask << " " << p.x << "," << p.y;
    }

    // The other arrows are Arrow Up's turns.
    const MaskImage up = Mask("Arrow Up");
    const MaskImage down = Mask("Arrow Down");
    const MaskImage left = Mask("Arrow Left");
    const MaskImage right = Mask("Arrow Right");
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            ASSERT_EQ(At(down, x, kSide - 1 - y), At(up, x, y)) << x << "," << y;
            ASSERT_EQ(At(left, y, x), At(up, x, y)) << x << "," << y;
            ASSERT_EQ(At(right, kSide - 1 - y, x), At(up, x, y)) << x << "," << y;
        }
    }
}

TEST(ShippedPresets, EveryPresetLoadsAsTheColourPanelReadsIt) {
    TestPaths paths;
    paths.presets = kData + "/Presets";
    std::vector<std::string> titles;
    for (const PresetEntry& entry : ListPresetFolders(paths)) {
        titles.push_back(entry.title);
        CMultiColorPen pen;
        std::string reason;
        EXPECT_TRUE(pen.LoadStops(entry.path, reason)) << entry.title << ": " << reason;
        for (size_t i = 0; i < pen.StopCount(); ++i) {
            EXPECT_EQ(pen.Stop(i).alpha, 255) << entry.title << " stop " << i;
            EXPECT_EQ(pen.Stop(i).word2, 0u) << entry.title << " stop " << i;
        }
    }
    EXPECT_EQ(titles, kPresetTitles);

    CMultiColorPen rainbow;
    std::string reason;
    ASSERT_TRUE(rainbow.LoadStops(kData + "/Presets/Rainbow.gpr", reason)) << reason;
    ASSERT_EQ(rainbow.StopCount(), 7u);
    EXPECT_EQ(rainbow.Stop(0).Rgba32(), 0xff0000ffu); // red in the low byte
    EXPECT_EQ(rainbow.Stop(3).Rgba32(), 0xff00ff00u);
    EXPECT_EQ(rainbow.Stop(3).StopPosition(), 0.5f);
    EXPECT_EQ(rainbow.Stop(1).StopPosition(), 0.125f);
    EXPECT_EQ(rainbow.Stop(6).Rgba32(), 0xffff008bu);
    EXPECT_EQ(rainbow.Stop(6).StopPosition(), 1.0f);
}

TEST(ShippedData, TheScriptMakesTheSameBytesAgain) {
    if (!OracleAvailable("python3", PythonPath())) return;
    TempDir out;
    const CommandResult run = pictoform::test::Run(
        {PythonPath(), std::string(PICTOFORM_SOURCE_DIR) + "/scripts/make_data.py", out.Path()});
    ASSERT_EQ(run.status, 0) << run.err;
    for (const char* folder : {"Masks", "Presets", "icons"})
        EXPECT_EQ(FileNames(out.Path() + "/" + folder), FileNames(kData + "/" + folder)) << folder;
    ExpectSameFiles(out.Path(), {"Masks", "Presets", "icons"});
}

TEST(ShippedData, TheBuildTreeProgramFindsItsCopy) {
    const std::string exeDir = PICTOFORM_DESKTOP_DIR;
    ExpectSameFiles(exeDir);
    const ProgramPaths paths(
        exeDir, [](const char*) -> const char* { return nullptr; },
        [](const std::string&) { return false; });
    EXPECT_TRUE(paths.Portable());
    EXPECT_EQ(Titles(ListMaskLibrary(paths)), kMaskTitles);
    std::set<std::string> presets;
    for (const PresetEntry& entry : ListPresetFolders(paths)) presets.insert(entry.title);
    for (const std::string& title : kPresetTitles) EXPECT_EQ(presets.count(title), 1u) << title;
}
