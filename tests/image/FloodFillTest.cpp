#include "image/RasterPrimitives.h"

#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "image/PlanePixels.h"

using namespace pictoform;
using namespace pictoform::imagetest;

namespace {

// Pictures drawn as text, one character a pixel.
constexpr Px kWall{0, 0, 0, 255, 20};       // '#'
constexpr Px kWhite{255, 255, 255, 255, 1}; // 'w': white, but covered
constexpr Px kFaint{255, 255, 255, 77, 0};  // 'a': empty white with another alpha
constexpr Px kPaint{10, 20, 30, 40, 1};     // 'F': the fill colour, normalised
const std::string kLegend = ".#waF";
const Px kPixels[] = {kEmpty, kWall, kWhite, kFaint, kPaint};

CLayerImage Draw(const std::vector<std::string>& rows) {
    CLayerImage img = Make(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()));
    for (int y = 0; y < img.Height(); ++y)
        for (int x = 0; x < img.Width(); ++x) Put(img, x, y, kPixels[kLegend.find(rows[y][x])]);
    return img;
}

std::vector<std::string> Read(const CLayerImage& img) {
    std::vector<std::string> rows;
    for (int y = 0; y < img.Height(); ++y) {
        std::string row;
        for (int x = 0; x < img.Width(); ++x) {
            const Px p = At(img, x, y);
            char ch = '?';
            for (size_t k = 0; k < kLegend.size(); ++k)
                if (kPixels[k] == p) ch = kLegend[k];
            if (p == Px{0, 0, 0, 255, 1}) ch = '1'; // a wall after normalising
            row += ch;
        }
        rows.push_back(row);
    }
    return rows;
}

PenOutputs SinglePen(int kind) {
    PenOutputs pen;
    pen.single = {10, 20, 30, 40};
    pen.colours = {pen.single};
    pen.gradientKind = kind;
    return pen;
}

// Table entry i has red i, so a pixel's red is the index it was given.
PenOutputs GradientPen(int kind) {
    PenOutputs pen;
    pen.colours = {{255, 0, 0, 255}, {0, 0, 255, 255}};
    pen.single = {1, 1, 1, 1};
    for (int i = 0; i < 256; ++i) pen.table[i] = {static_cast<uint8_t>(i), 0, 99, 200};
    pen.gradientKind = kind;
    return pen;
}

std::vector<std::vector<int>> Indices(const CLayerImage& img) {
    std::vector<std::vector<int>> rows(img.Height());
    for (int y = 0; y < img.Height(); ++y)
        for (int x = 0; x < img.Width(); ++x) {
            const Px p = At(img, x, y);
            EXPECT_EQ(p.b * 1000 + p.a * 10 + p.c, 99 * 1000 + 200 * 10 + 1) << x << "," << y;
            rows[y].push_back(p.r);
        }
    return rows;
}

} // namespace

TEST(FloodFillTest, FillsTheFourConnectedRegionOfSameCoverageAndColour) {
    // Alpha is not compared ('a' is taken); coverage is ('w' stops the fill).
    // Walls keep their colour, but their mark 20 ends as 1 like every other.
    const std::vector<std::string> picture = {
        "...#.....", ".#.#.###.", ".#...#.w.", "a######.#", "#.....#..",
    };
    CLayerImage img = Draw(picture);
    FloodFill(img, 0, 0, SinglePen(kGradientLinear), 0, 0, 5, 5);
    const std::vector<std::string> expected = {
        "FFF1FFFFF", "F1F1F111F", "F1FFF1.wF", "F111111.1", "1.....1..",
    };
    EXPECT_EQ(Read(img), expected);

    // The same region seeded from its far end.
    img = Draw(picture);
    FloodFill(img, 8, 2, SinglePen(kGradientRadial), 0, 0, 0, 0);
    EXPECT_EQ(Read(img), expected);

    // Covered pixels match in all three colour channels, but not in alpha: from
    // the seed (1, 1) the fill takes only the pixel above, which differs in alpha.
    const Px red{201, 30, 40, 255, 1}, green{200, 31, 40, 255, 1}, blue{200, 30, 41, 255, 1};
    const Px before[] = {green, {200, 30, 40, 9, 1}, red, blue, {200, 30, 40, 255, 1}, kEmpty};
    const Px after[] = {green, kPaint, red, blue, kPaint, kEmpty};
    img = Make(3, 2);
    for (int i = 0; i < 6; ++i) Put(img, i % 3, i / 3, before[i]);
    FloodFill(img, 1, 1, SinglePen(kGradientLinear), 0, 0, 1, 1);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(At(img, i % 3, i / 3), after[i]) << i;
}

TEST(FloodFillTest, VisitedMarkEndsTheFillAndBecomesOne) {
    // Filling in the target's own colour ends: painted pixels carry the mark 10
    // until the fill is over.
    CLayerImage img = Make(40, 30);
    PenOutputs pen = SinglePen(kGradientLinear);
    pen.single = pen.colours[0] = {255, 255, 255, 0};
    FloodFill(img, 17, 9, pen, 0, 0, 1, 0);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) ASSERT_EQ(At(img, x, y), (Px{255, 255, 255, 0, 1}));

    // A seed that already carries the mark matches nothing but is painted itself.
    img = Draw({"...", "...", "..."});
    for (int x = 0; x < 3; ++x) Put(img, x, 1, {255, 255, 255, 0, 10});
    FloodFill(img, 1, 1, SinglePen(kGradientLinear), 0, 0, 1, 0);
    EXPECT_EQ(Read(img), (std::vector<std::string>{"...", "?F?", "..."}));
    EXPECT_EQ(At(img, 0, 1), (Px{255, 255, 255, 0, 1}));
}

TEST(FloodFillTest, SerpentineRegionIsFilledWhole) {
    // Walls on odd columns, open at the top and the bottom in turn: one long path.
    const int w = 255, h = 200;
    CLayerImage img = Make(w, h);
    auto wall = [](int x, int y) {
        if (x % 2 == 0) return false;
        return !((x % 4 == 1 && y == 0) || (x % 4 == 3 && y == h - 1));
    };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (wall(x, y)) Put(img, x, y, kWall);
    FloodFill(img, 0, h - 1, SinglePen(kGradientLinear), 0, 0, 1, 1);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            ASSERT_EQ(At(img, x, y), (wall(x, y) ? Px{0, 0, 0, 255, 1} : kPaint)) << x << "," << y;
}

TEST(FloodFillTest, LinearIndexIsTheProjectionOnTheVectorMirroredAndCapped) {
    CLayerImage img = Make(6, 1);
    // Origin x = 2, vector (4, 0): |(x - 2) * 0.25 * 255|.
    FloodFill(img, 5, 0, GradientPen(kGradientLinear), 2, 0, 4, 0);
    EXPECT_EQ(Indices(img), (std::vector<std::vector<int>>{{127, 63, 0, 63, 127, 191}}));

    img = Make(4, 4);
    // Vector (2, 2): (x + y) * 63.75, lines of equal index at right angles to it.
    FloodFill(img, 0, 0, GradientPen(kGradientLinear), 0, 0, 2, 2);
    EXPECT_EQ(
        Indices(img),
        (std::vector<std::vector<int>>{
            {0, 63, 127, 191}, {63, 127, 191, 255}, {127, 191, 255, 255}, {191, 255, 255, 255}}));
}

TEST(FloodFillTest, RadialIndexIsDistanceOverVectorLength) {
    CLayerImage img = Make(6, 5);
    // Vector (3, 4), length 5: truncate(distance / 5 * 255).
    FloodFill(img, 2, 2, GradientPen(kGradientRadial), 0, 0, 3, 4);
    EXPECT_EQ(Indices(img), (std::vector<std::vector<int>>{{0, 51, 102, 153, 204, 255},
                                                           {51, 72, 114, 161, 210, 255},
                                                           {102, 114, 144, 183, 228, 255},
                                                           {153, 161, 183, 216, 255, 255},
                                                           {204, 210, 228, 255, 255, 255}}));
}

TEST(FloodFillTest, ZeroOrBrokenVectorGivesTheFirstTableEntry) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        float ox, oy, vx, vy;
    };
    const Case cases[] = {
        {1, 1, 0, 0}, {1, 1, nan, 1}, {nan, 0, 2, 2}, {0, inf, 2, 2}, {0, 0, inf, 0}};
    for (int kind : {kGradientLinear, kGradientRadial})
        for (const Case& c : cases) {
            CLayerImage img = Make(3, 2);
            FloodFill(img, 0, 0, GradientPen(kind), c.ox, c.oy, c.vx, c.vy);
            EXPECT_EQ(Indices(img), (std::vector<std::vector<int>>{{0, 0, 0}, {0, 0, 0}}))
                << kind << " " << c.ox << " " << c.oy << " " << c.vx << " " << c.vy;
        }
}

TEST(FloodFillTest, VertexRectangleOutsideSeedAndUnbuiltPenDoNothing) {
    const std::vector<std::string> picture = {"...", ".#.", "..."};
    struct Case {
        int x, y;
        PenOutputs pen;
    };
    PenOutputs unbuilt;
    unbuilt.gradientKind = kGradientLinear;
    const Case cases[] = {
        {0, 0, SinglePen(kGradientVertex)},
        {0, 0, SinglePen(kGradientRectangle)},
        {0, 0, SinglePen(1)},
        {0, 0, unbuilt},
        {-1, 0, SinglePen(kGradientLinear)},
        {3, 0, SinglePen(kGradientLinear)},
        {0, -1, SinglePen(kGradientLinear)},
        {0, 3, SinglePen(kGradientRadial)},
    };
    for (const Case& c : cases) {
        CLayerImage img = Draw(picture);
        FloodFill(img, c.x, c.y, c.pen, 0, 0, 1, 1);
        EXPECT_EQ(Read(img), picture) << c.x << "," << c.y << " kind " << c.pen.gradientKind;
    }
    CLayerImage null;
    FloodFill(null, 0, 0, SinglePen(kGradientLinear), 0, 0, 1, 1);
}
