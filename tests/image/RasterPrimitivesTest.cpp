#include "image/RasterPrimitives.h"

#include <climits>
#include <cmath>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "image/PlanePixels.h"

using namespace pictoform;
using namespace pictoform::imagetest;

namespace {

// '#' where a pixel is covered, '.' where it is empty, rows ended by '|'.
std::string Coverage(const CLayerImage& img) {
    std::string rows;
    for (int y = 0; y < img.Height(); ++y) {
        for (int x = 0; x < img.Width(); ++x) rows += At(img, x, y).c ? '#' : '.';
        rows += '|';
    }
    return rows;
}

Px Of(const PixelColor& c, int coverage) {
    return {c.red, c.green, c.blue, c.alpha, coverage};
}

PenOutputs SinglePen(const PixelColor& colour) {
    PenOutputs pen;
    pen.colours = {colour};
    pen.single = colour;
    pen.gradientKind = kGradientLinear;
    return pen;
}

constexpr PixelColor kRed{255, 0, 0, 255};
constexpr PixelColor kGreen{0, 255, 0, 255};
constexpr PixelColor kBlue{0, 0, 255, 255};
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// Every pixel of the 3 x 3 block (bx, by).
void ExpectBlock(const CLayerImage& img, int bx, int by, Px expected) {
    for (int j = 0; j < 3; ++j)
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(At(img, 3 * bx + i, 3 * by + j), expected) << "block " << bx << "," << by;
}

// Every pixel of img: `inside` where in(x, y) holds, `outside` elsewhere.
template <class In> void ExpectPixels(const CLayerImage& img, In in, Px inside, Px outside) {
    for (int y = 0; y < img.Height(); ++y)
        for (int x = 0; x < img.Width(); ++x)
            EXPECT_EQ(At(img, x, y), in(x, y) ? inside : outside) << x << "," << y;
}

} // namespace

TEST(PixelRuleTest, EmptyTakesColourCoveredBlendsAndErasingEmpties) {
    CLayerImage img = Make(5, 1);
    Put(img, 1, 0, {200, 100, 0, 10, 1});
    Put(img, 2, 0, {255, 255, 255, 200, 1});
    Put(img, 3, 0, {9, 9, 9, 9, 1});
    PaintPixel(img, 0, 0, {0, 255, 50, 100}, false);
    // A one-pixel box paints exactly that pixel.
    FillEllipse(img, 1, 2, 0, 1, {0, 255, 50, 100});
    PaintPixel(img, 2, 0, {255, 255, 255, 255}, false);
    PaintPixel(img, 3, 0, {1, 2, 3, 4}, true);
    PaintPixel(img, 4, 0, {7, 8, 9, 0}, false);
    PaintPixel(img, -1, 0, kRed, false); // outside: ignored
    PaintPixel(img, 5, 0, kRed, false);
    // Weights 101 and 155: red 200 * 155 >> 8, green (100 * 155 + 255 * 101) >> 8,
    // blue 50 * 101 >> 8; alpha adds. 255 * 256 is the 65280 cap itself: white
    // stays white; alpha stops at 255.
    const Px expected[] = {{0, 255, 50, 100, 1},
                           {121, 161, 19, 110, 1},
                           {255, 255, 255, 255, 1},
                           kEmpty,
                           {7, 8, 9, 0, 1}};
    for (int x = 0; x < 5; ++x) EXPECT_EQ(At(img, x, 0), expected[x]) << x;
}

TEST(PixelRuleTest, StampAboveOneSkipsPixelsAtOrAboveItAndWritesIt) {
    CLayerImage img = Make(4, 1);
    Put(img, 0, 0, {10, 10, 10, 50, 19});
    Put(img, 1, 0, {10, 10, 10, 50, 20});
    Put(img, 2, 0, {10, 10, 10, 50, 30});
    img.SetPaintStamp(20);
    FillEllipse(img, 0, 4, 0, 1, kRed); // the whole row
    const Px row[] = {Of(kRed, 20), {10, 10, 10, 50, 20}, {10, 10, 10, 50, 30}, Of(kRed, 20)};
    for (int x = 0; x < 4; ++x) EXPECT_EQ(At(img, x, 0), row[x]) << x;
    FillEllipse(img, 0, 4, 0, 1, Erasing(kRed));
    for (int x = 0; x < 4; ++x) EXPECT_EQ(At(img, x, 0), row[x]) << x;

    img.SetPaintStamp(1);
    FillEllipse(img, 0, 4, 0, 1, kBlue);
    for (int x = 0; x < 4; ++x) EXPECT_EQ(At(img, x, 0), Of(kBlue, 1)) << x;
    FillEllipse(img, 0, 4, 0, 1, Erasing(kBlue));
    // A stamp of 0 lets nothing through, so no pixel gets colour without coverage.
    img.SetPaintStamp(0);
    FillEllipse(img, 0, 4, 0, 1, kBlue);
    for (int x = 0; x < 4; ++x) EXPECT_EQ(At(img, x, 0), kEmpty) << x;
}

TEST(PixelRuleTest, NormalizeCoverageMakesEveryMarkOneAndSaysWhere) {
    // Row 0 has nothing to change; row 1 marks between its plain pixels.
    CLayerImage img = Make(6, 3);
    const int marks[2][6] = {{0, 1, 1, 0, 1, 0}, {1, 0, 10, 1, 255, 1}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 6; ++x) Put(img, x, y, {x, y, 3, 4, marks[y][x]});
    EXPECT_EQ(NormalizeCoverage(img), (PixelRect{2, 1, 5, 2}));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(At(img, x, y), (Px{x, y, 3, 4, marks[y][x] ? 1 : 0})) << x << "," << y;
    EXPECT_TRUE(NormalizeCoverage(img).Empty());
    CLayerImage null;
    EXPECT_TRUE(NormalizeCoverage(null).Empty());
}

TEST(FillEllipseTest, ColumnsSampledAtWholeXAndClipped) {
    struct Case {
        int w, h, x0, x1, y0, y1;
        const char* expected;
    };
    const Case cases[] = {
        // Column 0 has h = 0: only the row under the centre, 1.5, truncated.
        {4, 4, 0, 3, 0, 3, ".##.|###.|.##.|....|"},
        {4, 4, 3, 0, 3, 0, ".##.|###.|.##.|....|"},
        // Centre (1, 5), radii 3 and 4: column 3 has h = 4 * sqrt(5 / 9) = 2.98, rows 2 on.
        {6, 6, -2, 4, 1, 9, "......|###...|####..|####..|####..|####..|"},
        // Centre row 0, radius 3: top half clipped away.
        {5, 4, 0, 4, -3, 3, ".###.|.###.|.###.|.....|"},
        {4, 2, 2, 2, 0, 4, "....|....|"},
        {4, 2, 0, 4, 1, 1, "....|....|"},
        {4, 3, INT_MIN, INT_MAX, INT_MIN, INT_MAX, "####|####|####|"},
    };
    for (const Case& c : cases) {
        CLayerImage img = Make(c.w, c.h);
        FillEllipse(img, c.x0, c.x1, c.y0, c.y1, {1, 2, 3, 200});
        EXPECT_EQ(Coverage(img), c.expected) << c.x0 << " " << c.x1 << " " << c.y0 << " " << c.y1;
    }
}

TEST(FillTriangleTest, SpansFromEdgeCrossingsAtWholeRows) {
    struct Case {
        int w, h;
        float ax, ay, bx, by, cx, cy;
        const char* expected;
    };
    const char* const kNone = "....|....|....|....|";
    const Case cases[] = {
        // Right end exclusive: x + y < 4; the row of the bottom vertex is not drawn.
        {6, 6, 0, 0, 4, 0, 0, 4, "####..|###...|##....|#.....|......|......|"},
        {6, 6, 0, 4, 4, 0, 0, 0, "####..|###...|##....|#.....|......|......|"},
        // Row 0 lies above the top vertex; spans start at truncate(0.5) = 0.
        {7, 6, .5f, .5f, 5.5f, .5f, .5f, 5.5f, ".......|#####..|####...|###....|##.....|#......|"},
        // Clipped on the left and at the bottom.
        {4, 4, -2, 0, 3, 0, -2, 5, "###.|##..|#...|....|"},
        {3, 2, -1e30f, -1e30f, 1e30f, -1e30f, 0, 1e30f, "###|###|"},
        // Collinear, outside, not finite: nothing.
        {4, 4, 0, 0, 2, 2, 3, 3, kNone},
        {4, 4, -5, 0, -1, 0, -3, 3, kNone},
        {4, 4, 0, 4, 4, 4, 0, 9, kNone},
        {4, 4, 0, 0, kNaN, 0, 0, 4, kNone},
        {4, 4, 0, 0, kInf, 0, 0, 4, kNone},
    };
    for (const Case& c : cases) {
        CLayerImage img = Make(c.w, c.h);
        FillTriangle(img, {c.ax, c.ay, kGreen}, {c.bx, c.by, kGreen}, {c.cx, c.cy, kGreen}, false);
        EXPECT_EQ(Coverage(img), c.expected)
            << c.ax << "," << c.ay << " " << c.bx << "," << c.by << " " << c.cx << "," << c.cy;
    }
}

TEST(FillTriangleTest, InterpolatesChannelsSkipsZeroAlphaAndBlendsWithFloats) {
    // Red runs 63.75 per column, alpha 50 per row, green stays 10.
    const PenPoint a{0, 0, {0, 10, 0, 0}}, b{4, 0, {255, 10, 0, 0}}, c{0, 4, {0, 10, 0, 200}};
    for (bool swapped : {false, true}) {
        CLayerImage img = Make(5, 5);
        Put(img, 2, 0, {1, 2, 3, 4, 5});
        Put(img, 1, 1, {100, 200, 0, 10, 1});
        FillTriangle(img, a, swapped ? c : b, swapped ? b : c, false);
        // Row 0 has alpha 0 everywhere: untouched, covered or not. Below it x + y < 4
        // takes red 63.75 x and alpha 50 y; w = 51 on the covered (1, 1): red
        // (100 * 205 + 51 * 63.75) >> 8, green (200 * 205 + 510) >> 8.
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 5; ++x) {
                const Px want = x == 1 && y == 1     ? Px{92, 162, 0, 60, 1}
                                : x == 2 && y == 0   ? Px{1, 2, 3, 4, 5}
                                : y > 0 && x + y < 4 ? Px{255 * x / 4, 10, 0, 50 * y, 1}
                                                     : kEmpty;
                EXPECT_EQ(At(img, x, y), want) << x << "," << y;
            }
    }
}

TEST(FillTriangleTest, EraseEmptiesTheSpanWhateverTheAlphaUnderTheStamp) {
    CLayerImage img = Make(5, 5);
    img.Fill(50, 60, 1);
    Put(img, 1, 1, {50, 50, 50, 60, 20});
    img.SetPaintStamp(20);
    const PixelColor clear{0, 0, 0, 0};
    FillTriangle(img, {0, 0, clear}, {4, 0, clear}, {0, 4, clear}, true);
    EXPECT_EQ(Coverage(img), "....#|.#.##|..###|.####|#####|");
    EXPECT_EQ(At(img, 1, 1), (Px{50, 50, 50, 60, 20}));
    EXPECT_EQ(At(img, 0, 0), kEmpty);
    EXPECT_EQ(At(img, 4, 4), (Px{50, 50, 50, 60, 1}));
}

TEST(PenLineTest, MultiColourRunsTheTableFromFirstEndToSecondAndEqualEndsTakeTheFirstEntry) {
    PenOutputs pen;
    pen.colours = {Stop(kRed, 0.0f), Stop(kBlue, 1.0f)};
    for (int i = 0; i < 256; ++i)
        pen.table[i] = {static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), 7, 255};
    CLayerImage img = Make(33, 3);
    DrawPenLine(img, pen, 10, 0, 0, 0);
    // Block k is (10 - k) * 25.5, truncated.
    const int index[] = {255, 229, 204, 178, 153, 127, 102, 76, 51, 25, 0};
    for (int k = 0; k <= 10; ++k) ExpectBlock(img, k, 0, {index[k], 255 - index[k], 7, 255, 1});

    // Equal ends blend one block with the first list entry, not the table's.
    img = Make(9, 9);
    DrawPenLine(img, pen, 1, 1, 1, 1);
    EXPECT_EQ(Coverage(img), ".........|.........|.........|...###...|...###...|...###...|"
                             ".........|.........|.........|");
    ExpectBlock(img, 1, 1, Of(kRed, 1));
}

TEST(PenLineTest, SteepLineStepsAlongYAndFarEndsAreClipped) {
    const PenOutputs pen = SinglePen({0, 0, 200, 255});
    CLayerImage img = Make(6, 12);
    // Blocks (0, 0) to (1, 3): x = 0.5 + (t - 0.5) / 3 at t = 0.5 .. 3.5.
    DrawPenLine(img, pen, 0, 0, 1, 3);
    EXPECT_EQ(Coverage(img), "###...|###...|###...|###...|###...|###...|"
                             "...###|...###|...###|...###|...###|...###|");
    ExpectBlock(img, 1, 3, {0, 0, 200, 255, 1});

    img = Make(12, 12);
    DrawPenLine(img, pen, -1e9f, -1e9f, 1e9f, 1e9f);
    ExpectPixels(
        img, [](int x, int y) { return x / 3 == y / 3; }, {0, 0, 200, 255, 1}, kEmpty);

    const std::string row = "############|############|############|";
    const std::string none = "............|............|............|";
    img = Make(12, 6);
    DrawPenLine(img, pen, 1e7f, 0, -1e7f, 0);
    EXPECT_EQ(Coverage(img), row + none);
    img = Make(12, 6);
    DrawPenLine(img, pen, -1e30f, 0, 1e30f, 0); // returns, and stays on its row
    DrawPenLine(img, pen, -1e30f, 1e30f, -1e30f, -1e30f);
    EXPECT_EQ(Coverage(img).substr(row.size()), none);
    img = Make(12, 3);
    DrawPenLine(img, pen, kNaN, 0, 3, 0);
    DrawPenLine(img, pen, 0, 0, kInf, 0);
    DrawPenLine(img, PenOutputs{}, 0, 0, 3, 0);
    EXPECT_EQ(Coverage(img), none);
}

TEST(PenLineTest, BlendLineInterpolatesEachChannelEitherWay) {
    const PixelColor from{0, 0, 255, 255}, to{255, 100, 0, 0};
    // Steps 0..3 of 3: red 255k/3, green 100k/3 truncated, blue and alpha 255 - 255k/3.
    const Px expected[] = {
        {0, 0, 255, 255, 1}, {85, 33, 170, 170, 1}, {170, 66, 85, 85, 1}, kEmpty // alpha 0
    };
    for (bool reversed : {false, true}) {
        CLayerImage img = Make(12, 3);
        const PenPoint p0{reversed ? 3.0f : 0.0f, 0, from}, p1{reversed ? 0.0f : 3.0f, 0, to};
        DrawBlendLine(img, p0, p1);
        for (int k = 0; k < 4; ++k) ExpectBlock(img, reversed ? 3 - k : k, 0, expected[k]);
    }

    CLayerImage img = Make(6, 6);
    DrawBlendLine(img, {1, 1, {10, 20, 30, 100}}, {1, 1, kRed}); // blended once
    DrawBlendLine(img, {kNaN, 1, kRed}, {1, 1, kRed});
    EXPECT_EQ(Coverage(img), "......|......|......|...###|...###|...###|");
    ExpectBlock(img, 1, 1, {10, 20, 30, 100, 1});
}

TEST(StrokeRoundTest, DotTakesTheFirstColourAndItsMarksBlockRepaintUntilNormalized) {
    CLayerImage img = Make(7, 7);
    const PixelColor first{10, 20, 30, 255};
    // Box (1, 1)-(5, 5): column 1 has h = 0 and the centre row 3 is not below ceil(3).
    const char* const dot = ".......|..###..|..###..|..###..|..###..|.......|.......|";
    StrokeRound(img, {3, 3, first}, {3, 3, kRed}, 4);
    EXPECT_EQ(img.PaintStamp(), 1);
    EXPECT_EQ(Coverage(img), dot);
    EXPECT_EQ(At(img, 2, 1), Of(first, 20));
    EXPECT_EQ(At(img, 4, 4), Of(first, 20));

    StrokeRound(img, {3, 3, kBlue}, {3, 3, kBlue}, 4);
    EXPECT_EQ(At(img, 3, 2), Of(first, 20));
    NormalizeCoverage(img);
    StrokeRound(img, {3, 3, kBlue}, {3, 3, kBlue}, 4);
    EXPECT_EQ(At(img, 3, 2), Of(kBlue, 20));

    for (int width : {0, -4}) StrokeRound(img, {1, 1, kRed}, {5, 5, kRed}, width);
    StrokeRound(img, {kNaN, 1, kRed}, {5, 5, kRed}, 4);
    StrokeRound(img, {1, 1, kRed}, {1, kInf, kRed}, 4);
    EXPECT_EQ(Coverage(img), dot);
    EXPECT_EQ(img.PaintStamp(), 1);
}

TEST(StrokeRoundTest, SegmentIsTwoDiscsThenABandShadedFromEndToEnd) {
    // Discs of diameter 4 at x = 2 and 8 cover columns 1..3 and 7..9, rows 3..6; the band
    // between them fills the rest, red falling 42.5 a column from x = 2.
    const Px band[] = {{170, 0, 85, 255, 20}, {127, 0, 127, 255, 20}, {85, 0, 170, 255, 20}};
    auto expected = [&](int x, int y) {
        if (y < 3 || y > 6 || x < 1 || x > 9) return kEmpty;
        if (x <= 3) return Of(kRed, 20);
        if (x >= 7) return Of(kBlue, 20);
        return band[x - 4];
    };
    CLayerImage img = Make(12, 10);
    StrokeRound(img, {2, 5, kRed}, {8, 5, kBlue}, 4);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 12; ++x) EXPECT_EQ(At(img, x, y), expected(x, y)) << x << "," << y;

    img.Fill(50, 60, 1);
    StrokeRound(img, {2, 5, Erasing(kRed)}, {8, 5, Erasing(kBlue)}, 4);
    ExpectPixels(
        img, [&](int x, int y) { return expected(x, y) == kEmpty; }, {50, 50, 50, 60, 1}, kEmpty);
}

TEST(StrokeWithStopsTest, OneEntryPaintsEveryPixelOnceInTheSingleColour) {
    const PixelColor colour{0, 100, 0, 100};
    const PenOutputs pen = SinglePen(colour);
    auto stroke = [](int x, int y) { return y >= 3 && y <= 6 && x >= 1 && x <= 9; };
    CLayerImage img = Make(12, 10);
    StrokeWithStops(img, pen, 2, 5, 8, 5, 4);
    EXPECT_EQ(img.PaintStamp(), 1);
    // Alpha 100, not 200, where the band and the discs overlap.
    ExpectPixels(img, stroke, Of(colour, 20), kEmpty);

    img.Fill(50, 60, 1);
    StrokeWithStops(img, SinglePen(Erasing(colour)), 2, 5, 8, 5, 4);
    ExpectPixels(img, stroke, kEmpty, {50, 50, 50, 60, 1});

    // An odd width: the band covers rows 3.5..6.5 and each disc box starts where the band does.
    img = Make(12, 8);
    StrokeWithStops(img, pen, 2, 5, 8, 5, 3);
    StrokeWithStops(img, pen, 2, 5, 8, 5, 0);
    StrokeWithStops(img, PenOutputs{}, 2, 5, 8, 5, 4);
    EXPECT_EQ(Coverage(img), "............|............|............|............|"
                             "..########..|.#########..|..########..|............|");
}

TEST(StrokeWithStopsTest, SeveralEntriesShadeEachPairAlongTheLine) {
    PenOutputs pen;
    // A stray erase word in a loaded stop: the end disc still paints.
    pen.colours = {Stop(kRed, 0.0f), Stop(kGreen, 0.5f), Erasing(Stop(kBlue, 1.0f))};
    pen.single = kRed;
    CLayerImage img = Make(13, 10);
    StrokeWithStops(img, pen, 2, 5, 10, 5, 4);
    // Bands from x = 2 to 6 and 6 to 10, 63.75 a column; then the discs fill x = 10, 11 and 1.
    auto row = [](int x) -> Px {
        if (x < 1 || x > 11) return kEmpty;
        if (x < 2 || x > 9) return x < 2 ? Of(kRed, 20) : Of(kBlue, 20);
        const int step[] = {255, 191, 127, 63, 0};
        if (x <= 6) return {step[x - 2], step[6 - x], 0, 255, 20};
        return {0, step[x - 6], step[10 - x], 255, 20};
    };
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 13; ++x)
            EXPECT_EQ(At(img, x, y), y >= 3 && y <= 6 ? row(x) : kEmpty) << x << "," << y;

    // Equal ends: the disc at the second end comes first, so the last colour wins.
    img = Make(11, 10);
    StrokeWithStops(img, pen, 5, 5, 5, 5, 4);
    ExpectPixels(
        img, [](int x, int y) { return y >= 3 && y <= 6 && x >= 4 && x <= 6; }, Of(kBlue, 20),
        kEmpty);
}
