// The undo history on real files: the bytes of a history file, what undo and
// redo re-create on a layer and its object, and that files go with their records.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <csignal>
#include <filesystem>
#include <memory>
#include <sys/resource.h>

#include "colour/MultiColorPen.h"
#include "history/HistoryChain.h"
#include "history/HistoryFile.h"
#include "icon/IconLayer.h"
#include "objects/CopiedPattern.h"
#include "support/ScriptedUiServices.h"
#include "support/TestSupport.h"

using namespace pictoform;
using namespace pictoform::test;

namespace {

using Px = std::array<int, 5>; // red, green, blue, alpha, coverage
constexpr Px kEmpty{255, 255, 255, 0, 0};
struct BlockPx {
    int bx, by;
    Px px;
};

// Compares the middle pixel of each listed icon pixel of a tripled picture.
void ExpectBlocks(const CLayerImage& p, std::initializer_list<BlockPx> blocks, int line) {
    for (const auto& [bx, by, px] : blocks) {
        const int x = 3 * bx + 1, y = 3 * by + 1;
        const PixelColor c = p.GetPixel(x, y);
        EXPECT_EQ((Px{c.red, c.green, c.blue, c.alpha, p.CoveragePlane()[y * p.Width() + x]}), px)
            << "block " << bx << ", " << by << " (line " << line << ")";
    }
}
#define EXPECT_BLOCKS(pic, ...) ExpectBlocks(pic, {__VA_ARGS__}, __LINE__)

std::vector<uint8_t> Bytes(const CLayerImage& p) {
    std::vector<uint8_t> out(p.ColourBits(), p.ColourBits() + p.Stride() * p.Height());
    out.insert(out.end(), p.AlphaPlane(), p.AlphaPlane() + 2 * p.Width() * p.Height());
    return out;
}

std::string Join(const std::vector<uint32_t>& numbers) {
    std::string out;
    for (uint32_t n : numbers) out += (out.empty() ? "" : " ") + std::to_string(n);
    return out;
}
// The numbers of the history files in the folder, as "1 2 4".
std::string CahFiles(const TempDir& dir) {
    std::vector<uint32_t> numbers;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        if (entry.path().extension() == ".cah") numbers.push_back(std::stoul(entry.path().stem()));
    std::sort(numbers.begin(), numbers.end());
    return Join(numbers);
}
// The kinds of the chain's records, oldest first, as "3 4 2".
std::string Kinds(const HistoryChain& chain) {
    std::vector<uint32_t> kinds;
    for (const HistoryNode* n = chain.First(); n; n = n->Next())
        kinds.push_back(static_cast<uint32_t>(n->Kind()));
    return Join(kinds);
}

class HistoryTest : public ::testing::Test {
protected:
    // What the tools do: paint the committed picture, show it, record the step.
    void Pencil(CIconLayer& layer, int bx, int by, PixelColor colour) {
        layer.Committed().SetBlock(bx, by, colour, 3);
        ASSERT_TRUE(layer.Committed().CopyTo(layer.Working()));
        ASSERT_TRUE(layer.History()->AppendLayerSnapshot(layer.Committed(), store));
    }
    void Line(CIconLayer& layer, std::array<int, 4> p, int width, bool soft) {
        layer.History()->AppendPenStroke(p[0], p[1], p[2], p[3], width, pen);
        if (soft || width / 3 != 1) {
            StrokeWithStops(layer.Committed(), pen.Outputs(), p[0], p[1], p[2], p[3], width);
            NormalizeCoverage(layer.Committed());
        } else {
            auto pixel = [](int v) { return std::floor(static_cast<float>(v) * 0.33333334f); };
            DrawPenLine(layer.Committed(), pen.Outputs(), pixel(p[0]), pixel(p[1]), pixel(p[2]),
                        pixel(p[3]));
        }
        ASSERT_TRUE(layer.Committed().CopyTo(layer.Working()));
    }
    void Single(PixelColor colour) {
        pen.SetMode(kPenSingleColour);
        pen.SetSingleColor(colour);
        pen.BuildColors();
    }
    std::unique_ptr<CIconLayer> NewLayer(int side) {
        auto layer = std::make_unique<CIconLayer>(counter);
        EXPECT_TRUE(layer->Create(side, side));
        return layer;
    }

    TempDir dir;
    ScriptedUiServices ui;
    HistoryStore store{dir.Path(), ui};
    LayerCounter counter;
    CMultiColorPen pen;
};

TEST_F(HistoryTest, FileHoldsBottomUpRowsThenPlanesAndOnlyTheSamePictureReadsIt) {
    CLayerImage pic, tall;                              // a 2 x 1 icon tripled: stride 20
    ASSERT_TRUE(pic.Create(6, 3) && tall.Create(3, 6)); // same pixel count, other stride
    pic.SetBlock(0, 0, {1, 2, 3, 4}, 1);
    pic.SetBlock(2, 1, {7, 8, 9, 255}, 1);
    pic.SetBlock(5, 2, {10, 20, 30, 40}, 1);
    std::string path;
    ASSERT_TRUE(store.WritePicture(pic, HistoryFileUse::LayerSnapshot, path));
    EXPECT_EQ(path, dir.Path() + "/1.cah");
    constexpr uint8_t W = 0xFF; // white, the padding too
    // clang-format off
    EXPECT_EQ(ReadBytes(path), (std::vector<uint8_t>{
        60, 0, 0, 0,
        W, W, W, W, W, W, W, W, W, W, W, W, W, W, W, 30, 20, 10, W, W, // bottom row first
        W, W, W, W, W, W, 9, 8, 7, W, W, W, W, W, W, W, W, W, W, W,
        3, 2, 1, W, W, W, W, W, W, W, W, W, W, W, W, W, W, W, W, W,
        36, 0, 0, 0,
        4, 0, 0, 0, 0, 0, 0, 0, 255, 0, 0, 0, 0, 0, 0, 0, 0, 40, // alpha, top row first
        1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 1}));  // coverage
    // clang-format on
    const std::vector<uint8_t> original = Bytes(pic);
    pic.Fill(0, 9, 9);
    ASSERT_TRUE(ReadHistoryFile(path, pic));
    EXPECT_EQ(Bytes(pic), original);

    // A file that does not fit the picture is refused and changes nothing.
    std::string other;
    ASSERT_TRUE(store.WritePicture(tall, HistoryFileUse::LayerSnapshot, other));
    std::vector<uint8_t> longer = ReadBytes(path), shorter = longer;
    longer.push_back(0);
    shorter.pop_back();
    auto forged = [](uint8_t n, uint8_t m) { // consistent in itself, sized for another picture
        std::vector<uint8_t> b(8 + n + m, 0x11);
        b[0] = n, b[1] = b[2] = b[3] = 0;
        b[4 + n] = m, b[5 + n] = b[6 + n] = b[7 + n] = 0;
        return b;
    };
    pic.Fill(7, 7, 7);
    const std::vector<uint8_t> before = Bytes(pic);
    EXPECT_FALSE(ReadHistoryFile(dir.File("missing.cah"), pic));
    EXPECT_FALSE(ReadHistoryFile(other, pic));
    for (const auto& content : {shorter, longer, forged(80, 36), forged(60, 48)}) {
        WriteBytes(dir.File("bad.cah"), content);
        EXPECT_FALSE(ReadHistoryFile(dir.File("bad.cah"), pic)) << content.size();
    }
    EXPECT_EQ(Bytes(pic), before);
}

TEST_F(HistoryTest, FileThatCannotBeMadeIsReportedAndNotRecorded) {
    WriteBytes(dir.File("plain"), {1});
    const std::string badDir = dir.File("plain") + "/h"; // a folder inside a regular file
    HistoryStore bad(badDir, ui);
    CLayerImage pic;
    ASSERT_TRUE(pic.Create(6, 3));
    std::string path;
    EXPECT_FALSE(bad.WritePicture(pic, HistoryFileUse::LayerSnapshot, path));
    EXPECT_FALSE(bad.WritePicture(pic, HistoryFileUse::ObjectPixels, path));
    // A snapshot reports each of the 11 attempts and the give-up; pixels only the give-up.
    ASSERT_EQ(ui.Messages().size(), 13u);
    for (size_t i = 0; i < 13; ++i) {
        const auto& m = ui.Messages()[i];
        EXPECT_EQ(m.text,
                  "Cannot create history file " + badDir + (i < 12 ? "/1" : "/2") + ".cah.");
        EXPECT_TRUE(m.caption == "Error" && m.icon == MessageIcon::Error);
    }
    auto layer = NewLayer(2);
    EXPECT_FALSE(layer->CreateHistory(bad) || layer->History()->AppendLayerSnapshot(pic, bad));
    EXPECT_TRUE(layer->History()->Empty());
    EXPECT_EQ(ui.Messages().size(), 13u + 24u);

    // A write that stops short counts as a failed attempt and leaves no file.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = 50;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = store.WritePicture(pic, HistoryFileUse::LayerSnapshot, path);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &old), 0);
    EXPECT_FALSE(written);
    EXPECT_EQ(ui.Messages().size(), 13u + 24u + 12u);
    EXPECT_EQ(ui.Messages().back().text, "Cannot create history file " + dir.Path() + "/1.cah.");
    EXPECT_EQ(CahFiles(dir), "");
}

TEST_F(HistoryTest, PencilStepsUndoRedoAndTheLostRedoBranch) {
    auto layer = NewLayer(4);
    ASSERT_TRUE(layer->CreateHistory(store));
    const std::vector<uint8_t> blank = Bytes(layer->Committed());
    // The only record: undo and redo re-apply it and change nothing.
    EXPECT_TRUE(layer->Undo(true) && layer->Redo(true));
    EXPECT_EQ(Bytes(layer->Committed()), blank);
    Pencil(*layer, 0, 0, {200, 10, 20, 255});
    Pencil(*layer, 1, 1, {1, 2, 3, 90});
    EXPECT_TRUE(layer->Undo(true));
    EXPECT_BLOCKS(layer->Working(), {0, 0, {200, 10, 20, 255, 1}}, {1, 1, kEmpty});
    Pencil(*layer, 2, 2, {40, 50, 60, 70});
    EXPECT_EQ(CahFiles(dir), "1 2 4");
    for (int i = 0; i < 4; ++i) layer->Undo(true); // stops at the first picture
    EXPECT_EQ(Bytes(layer->Committed()), blank);
    EXPECT_EQ(layer->History()->Current(), layer->History()->First());
    EXPECT_TRUE(layer->Redo(true));
    EXPECT_BLOCKS(layer->Committed(), {0, 0, {200, 10, 20, 255, 1}}, {2, 2, kEmpty});
}

TEST_F(HistoryTest, UndoAcrossLinesRedrawsFromTheNearestSnapshotInOrder) {
    auto layer = NewLayer(4);
    layer->Committed().SetBlock(3, 0, {50, 60, 70, 255}, 3);
    ASSERT_TRUE(layer->CreateHistory(store));
    // Hard-edged lines one icon pixel wide; the first two overlap at (1, 1).
    Single({255, 0, 0, 128});
    Line(*layer, {4, 1, 4, 10}, 3, false); // column 1
    Pencil(*layer, 2, 2, {9, 9, 9, 255});
    Single({0, 0, 255, 128});
    Line(*layer, {1, 4, 10, 4}, 3, false); // row 1
    Single({0, 255, 0, 255});
    // From left of the canvas: icon pixel -2 (rounded down), so (0, 1), (0, 2), (1, 2), (2, 3).
    Line(*layer, {-4, 1, 7, 10}, 3, false);
    const std::vector<uint8_t> drawn = Bytes(layer->Committed());

    const CLayerImage& pic = layer->Committed();
    EXPECT_TRUE(layer->Undo(false)); // the snapshot, then the row: red once, blue over it
    EXPECT_BLOCKS(pic, {1, 0, {255, 0, 0, 128, 1}}, {1, 1, {126, 0, 128, 255, 1}},
                  {0, 1, {0, 0, 255, 128, 1}}, {0, 2, kEmpty}, {2, 2, {9, 9, 9, 255, 1}},
                  {3, 0, {50, 60, 70, 255, 1}});
    EXPECT_EQ(Bytes(layer->Working()), Bytes(pic));
    EXPECT_TRUE(layer->Undo(false));
    EXPECT_BLOCKS(pic, {1, 1, {255, 0, 0, 128, 1}}, {0, 1, kEmpty});
    EXPECT_TRUE(layer->Undo(false)); // the first picture and the column
    EXPECT_BLOCKS(pic, {2, 2, kEmpty}, {1, 3, {255, 0, 0, 128, 1}}, {3, 0, {50, 60, 70, 255, 1}});
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(layer->Redo(false));
    EXPECT_EQ(Bytes(pic), drawn);
    EXPECT_BLOCKS(pic, {0, 0, kEmpty}, {0, 2, {0, 255, 0, 255, 1}});
    EXPECT_EQ(CahFiles(dir), "1 2");
}

TEST_F(HistoryTest, SoftLinesReplayWithThePenTheyWereDrawnWith) {
    auto layer = NewLayer(8);
    ASSERT_TRUE(layer->CreateHistory(store));
    pen.SetMode(kPenMultiColour);
    pen.BuildColors();
    Line(*layer, {2, 3, 20, 18}, 3, true); // soft even one pixel wide
    const std::vector<uint8_t> first = Bytes(layer->Committed());
    Single({0, 200, 0, 150});
    Line(*layer, {20, 2, 3, 21}, 9, true);
    EXPECT_TRUE(layer->Undo(true));
    EXPECT_EQ(Bytes(layer->Committed()), first);
}

TEST_F(HistoryTest, ObjectRecordsStopUndoAndMergeIntoOnePicture) {
    auto layer = NewLayer(4);
    layer->Committed().SetBlock(1, 1, {10, 20, 30, 255}, 3);
    layer->Committed().SetBlock(2, 2, {40, 50, 60, 128}, 3);
    ASSERT_TRUE(layer->CreateHistory(store));
    auto object = std::make_unique<CCopiedPattern>();
    ASSERT_TRUE(object->CreateFromSelection(layer->Committed(), 3, 3, 9, 9, false));
    CCopiedPattern& copied = *object;
    layer->SetActiveObject(std::move(object));
    HistoryChain& history = *layer->History();
    history.AppendObjectStart();
    ASSERT_TRUE(history.AppendObjectRecord(copied, true, store));
    const PatternGeometry lifted = copied.Geometry();
    const std::vector<uint8_t> pixels = Bytes(copied.Picture());
    copied.Move(3, 0);
    ASSERT_TRUE(history.AppendObjectRecord(copied, true, store));
    const PatternGeometry moved = copied.Geometry();
    copied.Move(0, 6);
    ASSERT_TRUE(history.AppendObjectRecord(copied, false, store));
    EXPECT_EQ(Kinds(history), "3 4 2 2 1");
    const std::vector<uint8_t> committed = Bytes(layer->Committed());

    // The geometry record takes the pixels of the pixel record before it.
    copied.Picture().Fill(0, 0, 0);
    EXPECT_TRUE(layer->Undo(true));
    EXPECT_TRUE(copied.Geometry() == moved && Bytes(copied.Picture()) == pixels);
    for (int i = 0; i < 3; ++i) { // then stays right after the creation
        copied.Picture().Fill(0, 0, 0);
        EXPECT_TRUE(layer->Undo(true));
        EXPECT_TRUE(copied.Geometry() == lifted && Bytes(copied.Picture()) == pixels);
    }
    EXPECT_EQ(Bytes(layer->Committed()), committed);
    EXPECT_TRUE(layer->Redo(true)); // the last record stays a redo branch
    EXPECT_EQ(copied.Geometry(), moved);

    // The merge: the pixels land, the object's records and files go.
    layer->Committed().SetBlock(2, 1, {10, 20, 30, 255}, 3);
    layer->DropActiveObject();
    history.DropObjectRecords();
    ASSERT_TRUE(history.AppendLayerSnapshot(layer->Committed(), store));
    EXPECT_EQ(Kinds(history), "3 3");
    EXPECT_EQ(CahFiles(dir), "1 4");
    EXPECT_TRUE(layer->Undo(true));
    EXPECT_BLOCKS(layer->Committed(), {1, 1, {10, 20, 30, 255, 1}}, {2, 1, kEmpty});
    EXPECT_TRUE(layer->Redo(true));
    EXPECT_BLOCKS(layer->Committed(), {2, 1, {10, 20, 30, 255, 1}});

    // An object with no records yet: undo stays at its marker, the layer untouched.
    const std::vector<uint8_t> merged = Bytes(layer->Committed());
    history.AppendObjectStart();
    EXPECT_FALSE(layer->Undo(true));
    EXPECT_EQ(Bytes(layer->Committed()), merged);
    // Removed; a second drop finds no marker and keeps the layer's records.
    history.DropObjectRecords();
    history.DropObjectRecords();
    EXPECT_EQ(Kinds(history), "3 3");
    EXPECT_EQ(history.Current(), history.First()->Next());

    // A layer goes with every file of its history, its object's too.
    layer->SetActiveObject(std::make_unique<CCopiedPattern>());
    history.AppendObjectStart();
    ASSERT_TRUE(history.AppendObjectRecord(*layer->ActiveObject(), true, store));
    EXPECT_EQ(CahFiles(dir), "1 4 5");
    layer.reset();
    EXPECT_EQ(CahFiles(dir), "");

    // A long chain is freed one record at a time, not by deep recursion.
    auto chain = std::make_unique<HistoryChain>();
    for (int i = 0; i < 100000; ++i) chain->AppendPenStroke(i, 0, i, 3, 3, pen);
    EXPECT_EQ(chain->Current()->Stroke().pen, pen.SaveState());
    chain.reset();
}

} // namespace
