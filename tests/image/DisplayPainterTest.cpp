#include "image/DisplayPainter.h"

#include <climits>
#include <string>

#include <gtest/gtest.h>

#include "image/PlanePixels.h"

using namespace pictoform;
using namespace pictoform::imagetest;

namespace {

constexpr DisplayColor kBlack{0, 0, 0};
constexpr DisplayColor kRed{255, 0, 0};

// One letter a pixel, rows ended by '|': '.' white, 'k' black, 'r' red, '?' other.
std::string Picture(const CLayerImage& img) {
    std::string s;
    for (int y = 0; y < img.Height(); ++y) {
        for (int x = 0; x < img.Width(); ++x) {
            const Px p = At(img, x, y);
            const int rgb = p.r << 16 | p.g << 8 | p.b;
            s += rgb == 0xFFFFFF ? '.' : rgb == 0 ? 'k' : rgb == 0xFF0000 ? 'r' : '?';
        }
        s += '|';
    }
    return s;
}

} // namespace

TEST(DisplayPainterTest, LinesLeaveOutTheirEndDotsRunThroughAChainAndInvert) {
    CLayerImage img = Make(8, 6);
    Put(img, 6, 0, {10, 20, 30, 0, 0});
    DisplayPainter painter(img);
    painter.Line(1, 0, 5, 0); // x 1..4
    painter.Line(0, 1, 4, 2); // a quarter slope, rounded half up: 0, 0, 1, 1
    painter.Line(6, 4, 6, 4); // no length
    painter.SetPen(PenStyle::Dotted, kRed);
    painter.MoveTo(0, 5); // steps 0-3 along, 4-7 up: three on, three off
    painter.LineTo(4, 5);
    painter.LineTo(4, 1);
    painter.MoveTo(7, 5); // the count starts again
    painter.LineTo(7, 0);
    painter.SetInvert(true);
    painter.Line(5, 0, 7, 0);
    EXPECT_EQ(Picture(img), ".kkkkk?.|kk......|..kkr...|....r..r|.......r|rrr....r|");
    EXPECT_EQ(At(img, 6, 0), (Px{245, 235, 225, 0, 0}));
    for (int i = 0; i < 8 * 6; ++i) EXPECT_EQ(img.CoveragePlane()[i] + img.AlphaPlane()[i], 0);
}

TEST(DisplayPainterTest, EverythingIsClippedAndFarAwayEndsKeepTheDotCount) {
    CLayerImage img = Make(7, 5);
    DisplayPainter painter(img);
    painter.SetPen(PenStyle::Dotted, kBlack);
    painter.Line(-1000000002, 1, 1000000000, 1); // x = 0 is step 1000000002, 0 modulo 6
    painter.SetPen(PenStyle::Solid, kRed);
    painter.Line(INT_MIN, INT_MIN, INT_MAX, INT_MAX);
    painter.Line(3, INT_MAX, 3, INT_MIN);
    painter.FillRect(-3, 3, 2, 100, kRed);
    painter.FillRect(4, 3, 2, 1, kBlack); // turned over: empty
    painter.FillRect(INT_MIN, INT_MIN, INT_MIN + 1, INT_MAX, kBlack);
    painter.SetPixel(6, 0, kBlack);
    painter.SetPixel(7, 0, kBlack);
    painter.SetPixel(-1, 3, kBlack);
    EXPECT_EQ(Picture(img), "r..r..k|krkr..k|..rr...|rr.r...|rr.rr..|");

    CLayerImage null;
    DisplayPainter none(null);
    none.Ellipse(0, 0, 10, 10);
    none.FillRect(0, 0, 10, 10, kRed);
    EXPECT_TRUE(null.IsNull());
}

TEST(DisplayPainterTest, EllipseFillsItsBoxLessOneAndOutlinesInThePen) {
    // Pixel centres at doubled offsets X = 2x - 9 from the centre, inside when
    // X^2 + Y^2 <= 100; the outline is each inside pixel with a side neighbour out.
    CLayerImage img = Make(11, 11);
    DisplayPainter painter(img);
    painter.SetBrush(kRed);
    painter.Ellipse(0, 0, 10, 10);
    EXPECT_EQ(Picture(img), "...kkkk....|.kkrrrrkk..|.krrrrrrk..|krrrrrrrrk.|krrrrrrrrk.|"
                            "krrrrrrrrk.|krrrrrrrrk.|.krrrrrrk..|.kkrrrrkk..|...kkkk....|"
                            "...........|");

    // Corners the other way round, half off the image, no brush.
    CLayerImage part = Make(6, 6);
    DisplayPainter outline(part);
    outline.SetNoBrush();
    outline.Ellipse(5, 5, -5, -5);
    EXPECT_EQ(Picture(part), "....k.|....k.|...k..|..kk..|kk....|......|");

    CLayerImage inside = Make(5, 2);
    DisplayPainter huge(inside);
    huge.SetBrush(kRed);
    huge.Ellipse(-(1 << 30), -(1 << 30), 1 << 30, 1 << 30);
    EXPECT_EQ(Picture(inside), "rrrrr|rrrrr|");
}
