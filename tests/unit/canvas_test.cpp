// The canvas's conventions, checked pixel by pixel on small bitmaps.
#include "platform/canvas.h"

#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace zamiro {
namespace {

constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kRed = 0x0000FF;
constexpr uint32_t kBlue = 0xFF0000;
constexpr uint32_t kGrey = 0x808080;

// A white canvas of the given size with the default pen and brush.
struct Fresh {
  explicit Fresh(int w = 24, int h = 24) { k.SetSize(w, h); }
  Canvas k;
};

std::vector<uint32_t> Snapshot(const Canvas& k) {
  std::vector<uint32_t> px;
  for (int y = 0; y < k.Height(); ++y) {
    for (int x = 0; x < k.Width(); ++x) px.push_back(k.Pixel(x, y));
  }
  return px;
}

int Count(const Canvas& k, uint32_t colour) {
  int n = 0;
  for (uint32_t p : Snapshot(k)) n += p == colour;
  return n;
}

// A picture that is not plain white, so that exclusive-or and transparent gaps show.
void PaintBackground(Canvas& k) {
  for (int y = 0; y < k.Height(); ++y) {
    for (int x = 0; x < k.Width(); ++x) {
      k.SetPixel(x, y, static_cast<uint32_t>((x * 37 + y * 101) * 0x010307) & 0xFFFFFF);
    }
  }
}

// Text rows of a box, '#' for `ink` and '.' otherwise: readable failure messages.
std::string Rows(const Canvas& k, uint32_t ink, int x1, int y1, int x2, int y2) {
  std::string s;
  for (int y = y1; y <= y2; ++y) {
    for (int x = x1; x <= x2; ++x) s += k.Pixel(x, y) == ink ? '#' : '.';
    s += '\n';
  }
  return s;
}

TEST(Canvas, AFreshCanvasIsWhiteWithTheDefaultPenAndBrush) {
  Fresh f(5, 3);
  EXPECT_EQ(f.k.Width(), 5);
  EXPECT_EQ(f.k.Height(), 3);
  EXPECT_EQ(Count(f.k, kWhite), 15);
  EXPECT_EQ(f.k.PenColour(), kBlack);
  EXPECT_EQ(f.k.PenWidth(), 1);
  EXPECT_EQ(f.k.PenMode(), pmCopy);
  EXPECT_EQ(f.k.BrushColour(), kWhite);
  EXPECT_EQ(f.k.BrushStyle(), bsSolid);
  EXPECT_EQ(f.k.Image().format(), QImage::Format_RGB32);
}

TEST(Canvas, ALineIncludesItsStartAndLeavesOutItsEnd) {
  const struct {
    int x0, y0, x1, y1;
  } lines[] = {
      {5, 10, 15, 10}, {15, 10, 5, 10}, {10, 5, 10, 15}, {10, 15, 10, 5},
      {3, 3, 17, 17},  {17, 17, 3, 3},  {3, 17, 17, 3},  {17, 3, 3, 17},
      {2, 8, 20, 12},  {20, 12, 2, 8},  {8, 2, 12, 20},  {12, 20, 8, 2},
  };
  for (const auto& l : lines) {
    Fresh f;
    f.k.MoveTo(l.x0, l.y0);
    f.k.LineTo(l.x1, l.y1);
    const std::string where = std::to_string(l.x0) + "," + std::to_string(l.y0) + " to " +
                              std::to_string(l.x1) + "," + std::to_string(l.y1);
    EXPECT_EQ(f.k.Pixel(l.x0, l.y0), kBlack) << where;
    EXPECT_EQ(f.k.Pixel(l.x1, l.y1), kWhite) << where;
    // One pixel per step along the longer axis, the end left out.
    EXPECT_EQ(Count(f.k, kBlack), std::max(std::abs(l.x1 - l.x0), std::abs(l.y1 - l.y0))) << where;
    EXPECT_EQ(f.k.PenPos().x, l.x1);
    EXPECT_EQ(f.k.PenPos().y, l.y1);
  }
}

TEST(Canvas, AShallowLineStepsOneRowHalfwayAlong) {
  Fresh f(60, 5);
  f.k.MoveTo(0, 3);
  f.k.LineTo(50, 2);
  EXPECT_EQ(Rows(f.k, kBlack, 0, 2, 50, 3), std::string(25, '.') + std::string(25, '#') + ".\n" +
                                                std::string(25, '#') + std::string(26, '.') + "\n");
}

TEST(Canvas, ALineToItsOwnStartDrawsNothing) {
  Fresh f;
  f.k.MoveTo(4, 4);
  f.k.LineTo(4, 4);
  EXPECT_EQ(Count(f.k, kWhite), 24 * 24);
}

TEST(Canvas, APolylineTouchesEachJointOnce) {
  Fresh f;
  f.k.SetPenMode(pmXor);
  f.k.SetPenColour(kWhite);  // white exclusive-or white is black: a pixel hit twice is white
  const CanvasPoint square[] = {{2, 2}, {12, 2}, {12, 12}, {2, 12}, {2, 2}};
  f.k.Polyline(square, 5);
  EXPECT_EQ(Count(f.k, kBlack), 40);
  EXPECT_EQ(Rows(f.k, kBlack, 2, 2, 12, 3), "###########\n#.........#\n");
}

TEST(Canvas, FewerThanTwoPointsDrawNothing) {
  Fresh f;
  const CanvasPoint one[] = {{3, 3}};
  f.k.Polyline(one, 1);
  f.k.Polygon(one, 1);
  f.k.Polyline(one, 0);
  EXPECT_EQ(Count(f.k, kWhite), 24 * 24);
}

TEST(Canvas, ARectangleLeavesOutItsRightAndBottomEdgeAndOrdersItsCorners) {
  const double corners[][4] = {{2, 3, 9, 8}, {9, 8, 2, 3}, {9, 3, 2, 8}, {2, 8, 9, 3}};
  for (const auto& c : corners) {
    Fresh f(12, 12);
    f.k.SetBrushColour(kRed);
    f.k.Rectangle(c[0], c[1], c[2], c[3]);
    EXPECT_EQ(Rows(f.k, kBlack, 1, 2, 10, 9),
              "..........\n"
              ".#######..\n"
              ".#.....#..\n"
              ".#.....#..\n"
              ".#.....#..\n"
              ".#######..\n"
              "..........\n"
              "..........\n")
        << c[0] << "," << c[1] << "," << c[2] << "," << c[3];
    EXPECT_EQ(Count(f.k, kRed), 5 * 3);  // the inside, columns 3 to 7 and rows 4 to 6
    EXPECT_EQ(f.k.Pixel(5, 5), kRed);
  }
}

TEST(Canvas, AnEllipseIsInscribedInItsBox) {
  Fresh f(20, 16);
  f.k.SetBrushColour(kRed);
  f.k.Ellipse(2, 3, 14, 11);  // columns 2 to 13, rows 3 to 10
  int left = 99, right = -1, top = 99, bottom = -1;
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 20; ++x) {
      if (f.k.Pixel(x, y) == kWhite) continue;
      left = std::min(left, x);
      right = std::max(right, x);
      top = std::min(top, y);
      bottom = std::max(bottom, y);
    }
  }
  EXPECT_EQ(left, 2);
  EXPECT_EQ(right, 13);
  EXPECT_EQ(top, 3);
  EXPECT_EQ(bottom, 10);
  EXPECT_EQ(f.k.Pixel(8, 7), kRed);    // the inside is the brush
  EXPECT_EQ(f.k.Pixel(2, 7), kBlack);  // the outline is the pen
  EXPECT_EQ(f.k.Pixel(2, 3), kWhite);  // the box's corner is outside
  // Ordered like a rectangle.
  Fresh g(20, 16);
  g.k.SetBrushColour(kRed);
  g.k.Ellipse(14, 11, 2, 3);
  EXPECT_EQ(Snapshot(g.k), Snapshot(f.k));
}

TEST(Canvas, AnEmptyBoxDrawsNothing) {
  Fresh f;
  f.k.Rectangle(5, 5, 5, 10);
  f.k.Ellipse(5, 5, 10, 5);
  f.k.Chord(5, 5, 5, 5, 9, 5, 1, 5);
  f.k.Arc(5, 5, 10, 5, 9, 5, 1, 5);
  EXPECT_EQ(Count(f.k, kWhite), 24 * 24);
}

TEST(Canvas, ChordAndArcRunCounterclockwiseFromTheFirstRay) {
  // The box's circle has its top at (10, 0), left (0, 10), bottom (10, 20), right (20, 10);
  // the rays point to the box's corners.
  const struct {
    double x3, y3, x4, y4;
    bool top, left, bottom, right;  // which points of the circle the figure reaches
  } cases[] = {
      {21, 0, 0, 0, true, false, false, false},    // top right to top left: the top
      {0, 0, 21, 0, false, true, true, true},      // the other way round: all but the top
      {0, 0, 0, 21, false, true, false, false},    // top left to bottom left: the left
      {21, 21, 21, 0, false, false, false, true},  // bottom right to top right: the right
  };
  for (const auto& k : cases) {
    Fresh chord(22, 22);
    chord.k.SetBrushColour(kRed);
    chord.k.Chord(0, 0, 21, 21, k.x3, k.y3, k.x4, k.y4);
    Fresh arc(22, 22);
    arc.k.Arc(0, 0, 21, 21, k.x3, k.y3, k.x4, k.y4);
    const std::string where = std::to_string(k.x3) + "," + std::to_string(k.y3) + " to " +
                              std::to_string(k.x4) + "," + std::to_string(k.y4);
    // The inside of the chord, one pixel in from each of the four points.
    EXPECT_EQ(chord.k.Pixel(10, 1) == kRed, k.top) << where;
    EXPECT_EQ(chord.k.Pixel(1, 10) == kRed, k.left) << where;
    EXPECT_EQ(chord.k.Pixel(10, 19) == kRed, k.bottom) << where;
    EXPECT_EQ(chord.k.Pixel(19, 10) == kRed, k.right) << where;
    // The arc's curve at each of the four points.
    EXPECT_EQ(arc.k.Pixel(10, 0) == kBlack, k.top) << where;
    EXPECT_EQ(arc.k.Pixel(0, 10) == kBlack, k.left) << where;
    EXPECT_EQ(arc.k.Pixel(10, 20) == kBlack, k.bottom) << where;
    EXPECT_EQ(arc.k.Pixel(20, 10) == kBlack, k.right) << where;
    EXPECT_EQ(Count(arc.k, kRed), 0);  // an arc is the pen only
  }
}

TEST(Canvas, AnArcWhoseRaysAgreeIsTheWholeEllipse) {
  Fresh arc(24, 20);
  arc.k.SetBrushColour(kRed);
  arc.k.Arc(2, 3, 21, 17, 21, 10, 21, 10);
  Fresh outline(24, 20);
  outline.k.SetBrushStyle(bsClear);
  outline.k.Ellipse(2, 3, 21, 17);
  EXPECT_EQ(Snapshot(arc.k), Snapshot(outline.k));
  EXPECT_GT(Count(arc.k, kBlack), 40);
}

TEST(Canvas, APolygonIsOutlinedAndFilled) {
  Fresh f;
  f.k.SetBrushColour(kRed);
  const CanvasPoint square[] = {{3, 3}, {15, 3}, {15, 15}, {3, 15}, {3, 3}};
  f.k.Polygon(square, 5);
  EXPECT_EQ(f.k.Pixel(9, 9), kRed);
  for (int i = 3; i <= 15; ++i) {
    EXPECT_EQ(f.k.Pixel(i, 3), kBlack) << i;
    EXPECT_EQ(f.k.Pixel(3, i), kBlack) << i;
    EXPECT_EQ(f.k.Pixel(15, i), kBlack) << i;
    EXPECT_EQ(f.k.Pixel(i, 15), kBlack) << i;
  }
  EXPECT_EQ(Count(f.k, kRed), 11 * 11);
  EXPECT_EQ(f.k.Pixel(16, 9), kWhite);
}

TEST(Canvas, ExclusiveOrAppliesToStrokesAndFillsAndUndoesItself) {
  Fresh f;
  PaintBackground(f.k);
  const std::vector<uint32_t> before = Snapshot(f.k);
  f.k.SetPenMode(pmXor);
  f.k.SetPenColour(0x123456);
  f.k.SetBrushColour(0x654321);
  f.k.MoveTo(1, 1);
  f.k.LineTo(20, 1);
  EXPECT_EQ(f.k.Pixel(5, 1), before[1 * 24 + 5] ^ 0x123456);
  f.k.Ellipse(2, 4, 20, 22);
  EXPECT_EQ(f.k.Pixel(11, 13), before[13 * 24 + 11] ^ 0x654321);  // inside: the brush
  EXPECT_EQ(f.k.Pixel(2, 13), before[13 * 24 + 2] ^ 0x123456);    // outline: the pen
  f.k.Ellipse(2, 4, 20, 22);
  f.k.MoveTo(1, 1);
  f.k.LineTo(20, 1);
  EXPECT_EQ(Snapshot(f.k), before);
  // Every figure, and the wide pen too.
  for (int width : {1, 6}) {
    f.k.SetPenWidth(width);
    for (int pass = 0; pass < 2; ++pass) {
      const CanvasPoint tri[] = {{1, 1}, {22, 5}, {8, 20}, {1, 1}};
      f.k.Polygon(tri, 4);
      f.k.Rectangle(3, 3, 18, 12);
      f.k.Chord(0, 0, 23, 23, 23, 5, 0, 20);
      f.k.Arc(0, 0, 23, 23, 0, 20, 23, 5);
      f.k.Polyline(tri, 4);
    }
    EXPECT_EQ(Snapshot(f.k), before) << width;
  }
}

TEST(Canvas, FillRectAndPixelsReplaceWhateverTheMode) {
  Fresh f;
  PaintBackground(f.k);
  f.k.SetPenMode(pmXor);
  f.k.SetBrushColour(kRed);
  f.k.FillRect(2, 2, 6, 6);
  f.k.SetPixel(10, 10, kBlue);
  EXPECT_EQ(f.k.Pixel(3, 3), kRed);
  EXPECT_EQ(f.k.Pixel(10, 10), kBlue);
}

TEST(Canvas, FillRectTakesItsCornersAsGiven) {
  const std::string blank = "..........\n";
  const std::string lit = "..####....\n";      // columns 2 to 5
  const std::string shifted = "...####...\n";  // columns 3 to 6
  const struct {
    double x1, y1, x2, y2;
    std::string rows;  // columns 0 to 9, rows 0 to 6
  } cases[] = {
      {2, 3, 6, 5, blank + blank + blank + lit + lit + blank + blank},
      // A corner before the other fills from the second + 1 up to the first, inclusive.
      {6, 5, 2, 3, blank + blank + blank + blank + shifted + shifted + blank},
      {6, 3, 2, 5, blank + blank + blank + shifted + shifted + blank + blank},
      {2, 3, 2, 5, blank + blank + blank + blank + blank + blank + blank},
  };
  for (const auto& k : cases) {
    Fresh f(10, 10);
    f.k.SetBrushColour(kBlack);
    f.k.FillRect(k.x1, k.y1, k.x2, k.y2);
    EXPECT_EQ(Rows(f.k, kBlack, 0, 0, 9, 6), k.rows) << k.x1 << "," << k.y1;
    EXPECT_EQ(Count(f.k, kBlack), k.rows.find('#') == std::string::npos ? 0 : 8);
  }
}

TEST(Canvas, OnePixelPensAndTheNegativeWidth) {
  for (int width : {0, 1}) {
    Fresh f;
    f.k.SetPenWidth(width);
    f.k.MoveTo(2, 10);
    f.k.LineTo(20, 10);
    EXPECT_EQ(Count(f.k, kBlack), 18) << width;
  }
  Fresh f;
  f.k.SetPenWidth(5);
  f.k.SetPenWidth(-3);
  EXPECT_EQ(f.k.PenWidth(), 5);
  f.k.MoveTo(4, 10);
  f.k.LineTo(20, 10);
  for (int y = 8; y <= 12; ++y) EXPECT_EQ(f.k.Pixel(12, y), kBlack) << y;
  EXPECT_EQ(f.k.Pixel(12, 6), kWhite);
  EXPECT_EQ(f.k.Pixel(12, 14), kWhite);
}

TEST(Canvas, TheBrushRules) {
  Canvas k;
  k.SetBrushColour(kRed);
  k.SetBrushStyle(bsClear);
  EXPECT_EQ(k.BrushColour(), kWhite);  // clear makes the colour white
  EXPECT_EQ(k.BrushStyle(), bsClear);
  k.SetBrushColour(kBlue);
  EXPECT_EQ(k.BrushStyle(), bsSolid);  // a colour makes a clear brush solid
  EXPECT_EQ(k.BrushColour(), kBlue);
  k.SetBrushStyle(bsCross);
  k.SetBrushColour(kRed);
  EXPECT_EQ(k.BrushStyle(), bsCross);  // a hatch keeps its style
}

TEST(Canvas, HatchesPaintTheBrushColourAndLeaveTheGaps) {
  const struct {
    TBrushStyle style;
    const char* rows;  // an 8x8 tile from the origin
  } hatches[] = {
      {bsHorizontal,
       "........\n........\n........\n########\n........\n........\n........\n"
       "........\n"},
      {bsVertical,
       "....#...\n....#...\n....#...\n....#...\n....#...\n....#...\n....#...\n"
       "....#...\n"},
      {bsCross,
       "....#...\n....#...\n....#...\n########\n....#...\n....#...\n....#...\n"
       "....#...\n"},
      {bsFDiagonal,
       "#.......\n.#......\n..#.....\n...#....\n....#...\n.....#..\n......#.\n"
       ".......#\n"},
      {bsBDiagonal,
       ".......#\n......#.\n.....#..\n....#...\n...#....\n..#.....\n.#......\n"
       "#.......\n"},
      {bsDiagCross,
       "#......#\n.#....#.\n..#..#..\n...##...\n...##...\n..#..#..\n.#....#.\n"
       "#......#\n"},
  };
  for (const auto& h : hatches) {
    Fresh f(16, 16);
    PaintBackground(f.k);
    const std::vector<uint32_t> before = Snapshot(f.k);
    f.k.SetBrushColour(kRed);
    f.k.SetBrushStyle(h.style);
    f.k.FillRect(0, 0, 16, 16);
    EXPECT_EQ(Rows(f.k, kRed, 0, 0, 7, 7), h.rows) << int{h.style};
    EXPECT_EQ(Rows(f.k, kRed, 8, 8, 15, 15), h.rows) << int{h.style};  // 8x8 repeats
    for (int i = 0; i < 16 * 16; ++i) {
      const uint32_t now = Snapshot(f.k)[static_cast<size_t>(i)];
      ASSERT_TRUE(now == kRed || now == before[static_cast<size_t>(i)]) << i;
    }
    // Figures use the same tiles, aligned to the bitmap's origin.
    Fresh g(16, 16);
    g.k.SetBrushColour(kRed);
    g.k.SetBrushStyle(h.style);
    g.k.SetPenColour(kWhite);
    g.k.Rectangle(0, 0, 16, 16);
    EXPECT_EQ(Rows(g.k, kRed, 1, 1, 14, 14), Rows(f.k, kRed, 1, 1, 14, 14)) << int{h.style};
  }
}

TEST(Canvas, SolidAndClearBrushes) {
  Fresh f(10, 10);
  f.k.SetBrushColour(kGrey);
  f.k.Ellipse(0, 0, 10, 10);
  EXPECT_EQ(f.k.Pixel(5, 5), kGrey);
  f.k.SetBrushStyle(bsClear);
  f.k.SetPixel(5, 5, kBlue);
  f.k.Ellipse(0, 0, 10, 10);
  f.k.FillRect(0, 0, 10, 10);
  EXPECT_EQ(f.k.Pixel(5, 5), kBlue);
}

TEST(Canvas, ResizingKeepsPixelsAndFillsTheNewAreaWithTheBrush) {
  Fresh f(6, 4);
  f.k.SetPixel(5, 3, kBlue);
  f.k.SetBrushColour(kRed);
  f.k.SetSize(9, 7);
  EXPECT_EQ(f.k.Pixel(5, 3), kBlue);
  EXPECT_EQ(f.k.Pixel(0, 0), kWhite);
  EXPECT_EQ(f.k.Pixel(8, 0), kRed);
  EXPECT_EQ(f.k.Pixel(0, 6), kRed);
  EXPECT_EQ(Count(f.k, kRed), 9 * 7 - 6 * 4);
  f.k.SetSize(6, 4);  // cropped
  EXPECT_EQ(f.k.Pixel(5, 3), kBlue);
  EXPECT_EQ(Count(f.k, kRed), 0);
  f.k.SetBrushStyle(bsClear);
  f.k.SetSize(7, 4);
  EXPECT_EQ(f.k.Pixel(6, 0), kWhite);  // no brush: the new area is white
  f.k.SetSize(0, 4);
  EXPECT_TRUE(f.k.Image().isNull());
  f.k.MoveTo(0, 0);
  f.k.LineTo(5, 5);  // a 0x0 canvas draws nothing
  f.k.Ellipse(0, 0, 5, 5);
  EXPECT_EQ(f.k.Pixel(0, 0), 0u);
}

TEST(Canvas, PixelsOutsideTheBitmapAreIgnored) {
  Fresh f(4, 4);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  f.k.SetPixel(-1, 0, kRed);
  f.k.SetPixel(4, 0, kRed);
  f.k.SetPixel(0, 1e300, kRed);
  f.k.SetPixel(2.9, -0.7, kRed);  // truncated toward zero: (2, 0)
  f.k.SetPixel(nan, 3, kBlue);    // NaN counts as 0
  EXPECT_EQ(Count(f.k, kRed), 1);
  EXPECT_EQ(f.k.Pixel(2, 0), kRed);
  EXPECT_EQ(f.k.Pixel(0, 3), kBlue);
  EXPECT_EQ(f.k.Pixel(-1, 0), 0u);
  EXPECT_EQ(f.k.Pixel(0, 4), 0u);
}

TEST(Canvas, FarAwayLinesKeepTheirDirection) {
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    double x0, y0, x1, y1;
  } far[] = {{0, 10, 1e15, 10}, {0, 10, 1e300, 10}, {0, 10, inf, 10}, {-1e18, 10, 1e18, 10}};
  for (const auto& l : far) {
    Fresh f(30, 20);
    f.k.MoveTo(l.x0, l.y0);
    f.k.LineTo(l.x1, l.y1);
    EXPECT_EQ(Rows(f.k, kBlack, 0, 9, 29, 11), std::string(30, '.') + "\n" + std::string(30, '#') +
                                                   "\n" + std::string(30, '.') + "\n")
        << l.x1;
  }
  // A slope of one half, from the origin to far beyond the bitmap.
  for (double scale : {1.0, 1e6, 1e12, 1e200}) {
    Fresh f(40, 21);
    f.k.MoveTo(0, 0);
    f.k.LineTo(40 * scale, 20 * scale);
    for (int x = 0; x < 40; x += 2) EXPECT_EQ(f.k.Pixel(x, x / 2), kBlack) << scale << " " << x;
    EXPECT_EQ(Count(f.k, kBlack), 40) << scale;
  }
}

TEST(Canvas, AnyCoordinateIsSafe) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const double values[] = {nan, inf, -inf, 1e300, -1e300, 3e9, -3e9, 2147483648.0, 0.5};
  Fresh f(30, 20);
  f.k.SetBrushColour(kRed);
  for (double a : values) {
    for (double b : values) {
      f.k.MoveTo(a, 5);
      f.k.LineTo(b, a);
      f.k.Rectangle(a, 2, b, 9);
      f.k.Ellipse(-a, a, b, 9);
      f.k.Chord(a, a, b, b, a, 0, b, 0);
      f.k.Arc(0, 0, b, a, 3, 3, a, b);
      const CanvasPoint pts[] = {{a, 0}, {b, 10}, {5, a}, {a, b}};
      f.k.Polygon(pts, 4);
      f.k.Polyline(pts, 4);
      f.k.FillRect(a, b, 3, 3);
      f.k.SetPixel(a, b, kBlue);
    }
  }
  EXPECT_EQ(f.k.Width(), 30);  // finished, and still the same bitmap
}

TEST(Canvas, AVeryWidePenIsDrawnAtTheBound) {
  Fresh f(30, 20);
  f.k.SetPenWidth(2000000000);
  EXPECT_EQ(f.k.PenWidth(), 2000000000);
  f.k.MoveTo(15, 10);
  f.k.LineTo(16, 10);
  EXPECT_EQ(Count(f.k, kBlack), 30 * 20);  // covers everything
  f.k.SetBrushColour(kRed);
  f.k.Ellipse(0, 0, 5, 5);
  EXPECT_EQ(Count(f.k, kBlack), 30 * 20);
}

TEST(Canvas, StretchDrawScalesWithoutSmoothing) {
  Fresh src(2, 1);
  src.k.SetPixel(0, 0, kRed);
  Fresh f(8, 4);
  f.k.StretchDraw(0, 0, 8, 4, src.k.Image());
  EXPECT_EQ(Rows(f.k, kRed, 0, 0, 7, 3), "####....\n####....\n####....\n####....\n");
  EXPECT_EQ(Count(f.k, kWhite), 16);
}

// ---- One-pixel lines, against their formula ----

// Pixel i of a line from (x0, y0) to (x1, y1), end left out: i along the major axis, the
// exact minor offset rounded half up.
std::vector<uint32_t> FormulaLine(int w, int h, int x0, int y0, int x1, int y1, uint32_t colour,
                                  std::vector<uint32_t> px, bool exclusive) {
  const int64_t dx = x1 - x0, dy = y1 - y0;
  const bool xMajor = std::llabs(dx) >= std::llabs(dy);
  const int64_t major = xMajor ? dx : dy, minor = xMajor ? dy : dx;
  const int64_t steps = std::llabs(major);
  for (int64_t i = 0; i < steps; ++i) {
    const int64_t off = (2 * std::llabs(minor) * i + steps) / (2 * steps);
    const int64_t m = (xMajor ? x0 : y0) + (major < 0 ? -i : i);
    const int64_t n = (xMajor ? y0 : x0) + (minor < 0 ? -off : off);
    const int64_t x = xMajor ? m : n, y = xMajor ? n : m;
    if (x < 0 || y < 0 || x >= w || y >= h) continue;
    uint32_t& p = px[static_cast<size_t>(y * w + x)];
    p = exclusive ? p ^ colour : colour;
  }
  return px;
}

TEST(Canvas, OnePixelLinesFollowTheirFormulaOnAndOffTheBitmap) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int> coord(-60, 100);
  for (int n = 0; n < 2000; ++n) {
    Fresh f(41, 29);
    PaintBackground(f.k);
    const bool exclusive = n % 3 == 0;
    f.k.SetPenMode(exclusive ? pmXor : pmCopy);
    f.k.SetPenColour(0x3366CC);
    const int x0 = coord(random), y0 = coord(random), x1 = coord(random), y1 = coord(random);
    const std::vector<uint32_t> want =
        FormulaLine(41, 29, x0, y0, x1, y1, 0x3366CC, Snapshot(f.k), exclusive);
    f.k.MoveTo(x0, y0);
    f.k.LineTo(x1, y1);
    ASSERT_EQ(Snapshot(f.k), want) << x0 << "," << y0 << " to " << x1 << "," << y1;
  }
}

// ---- Exclusive-or figures that wait ----

// A small figure for the tests: a plus of five by five pixels around (x, y), and a diagonal
// when turned, and its square's corner pixels.
void PlusCover(const XorFigure& f, XorMask* m) {
  constexpr int c = XorMask::kSide / 2;
  for (int j = c - 2; j <= c + 2; ++j) m->rows[j] = (j == c ? 0x1Fu : 0x04u) << (c - 2);
  if (f.turn != 0) m->rows[c - 2] |= 1u << (c - 2), m->rows[c + 2] |= 1u << (c + 2);
  m->rows[0] |= 1u, m->rows[XorMask::kSide - 1] |= 1u << (XorMask::kSide - 1);
}

// The same plus drawn pixel by pixel with the canvas's own operations.
void PlusDraw(const XorFigure& f, Canvas& k) {
  XorMask m;
  PlusCover(f, &m);
  for (int j = 0; j < XorMask::kSide; ++j) {
    for (int i = 0; i < XorMask::kSide; ++i) {
      const int x = static_cast<int>(f.x) - XorMask::kSide / 2 + i;
      const int y = static_cast<int>(f.y) - XorMask::kSide / 2 + j;
      if (((m.rows[j] >> i) & 1) == 0 || !HatchCovers(k.BrushStyle(), x, y)) continue;
      if (x >= 0 && y >= 0 && x < k.Width() && y < k.Height()) {
        k.SetPixel(x, y, k.Pixel(x, y) ^ k.BrushColour());
      }
    }
  }
}

XorFigure Plus(double x, double y, double turn = 0) {
  return {x, y, turn, PlusCover, PlusDraw};
}

TEST(Canvas, AnExclusiveOrFigureCombinesTheBrushWhereItsHatchCovers) {
  for (XorDrawing how : {XorDrawing::kDeferred, XorDrawing::kAtOnce}) {
    Fresh f(40, 40);
    f.k.SetXorDrawing(how);
    PaintBackground(f.k);
    const std::vector<uint32_t> before = Snapshot(f.k);
    auto was = [&](int x, int y) { return before[static_cast<size_t>(y * 40 + x)]; };
    f.k.SetBrushColour(0x0F0F0F);
    f.k.SetBrushStyle(bsVertical);  // column 4 of every 8
    f.k.SetPenColour(kRed);
    f.k.ToggleXorFigure(Plus(20, 21));  // its square wholly on the bitmap
    for (int y = 0; y < 40; ++y) {
      for (int x = 0; x < 40; ++x) {
        const bool covered = (x == 20 && y >= 19 && y <= 23) || (x == 4 && y == 5);
        EXPECT_EQ(f.k.Pixel(x, y), was(x, y) ^ (covered ? 0x0F0F0F : 0)) << x << "," << y;
      }
    }
    f.k.ToggleXorFigure(Plus(20, 21));
    EXPECT_EQ(Snapshot(f.k), before);
    // Partly off the bitmap: drawn by the figure's routine, the rest clipped.
    f.k.SetBrushStyle(bsSolid);
    f.k.SetBrushColour(kRed);
    f.k.ToggleXorFigure(Plus(0, 39, 1));
    EXPECT_EQ(f.k.Pixel(0, 39), was(0, 39) ^ kRed);
    EXPECT_EQ(f.k.Pixel(2, 39), was(2, 39) ^ kRed);
    EXPECT_EQ(f.k.Pixel(0, 37), was(0, 37) ^ kRed);
    EXPECT_EQ(f.k.Pixel(1, 39), was(1, 39) ^ kRed);
    EXPECT_EQ(f.k.Pixel(3, 39), was(3, 39));
    EXPECT_EQ(f.k.Pixel(1, 38), was(1, 38));
    // Wholly off the bitmap: nothing.
    f.k.ToggleXorFigure(Plus(0, 39, 1));
    f.k.ToggleXorFigure(Plus(-17, 5));
    f.k.ToggleXorFigure(Plus(57, 5));
    EXPECT_EQ(Snapshot(f.k), before);
  }
}

TEST(Canvas, AFigureDrawnAgainWhileItWaitsTouchesNoPixel) {
  Fresh f(40, 40);
  PaintBackground(f.k);
  const QImage before = f.k.Image();
  const qint64 key = f.k.Image().cacheKey();
  for (int i = 0; i < 10; ++i) f.k.ToggleXorFigure(Plus(20, 20));
  EXPECT_EQ(f.k.Image().cacheKey(), key);  // never written
  EXPECT_EQ(f.k.Image(), before);
  f.k.ToggleXorFigure(Plus(20, 20));
  EXPECT_NE(f.k.Image(), before);  // reading makes it current
}

// Random steps on a deferring canvas and one that draws at once, and one that draws with the
// figure's own routine: equal whenever looked at, also when looked at seldom.
TEST(Canvas, WaitingFiguresGiveTheSamePicturesAsDrawingAtOnce) {
  for (int every : {1, 3, 50}) {
    std::mt19937 random(static_cast<unsigned>(every));
    Canvas k[3];
    k[1].SetXorDrawing(XorDrawing::kAtOnce);
    k[2].SetXorDrawing(XorDrawing::kByDrawing);
    for (Canvas& c : k) {
      c.SetSize(48, 40);
      PaintBackground(c);
    }
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    for (int step = 0; step < 3000; ++step) {
      const int what = pick(12);
      const double x = pick(60) - 6, y = pick(50) - 5, turn = pick(2);
      const uint32_t colour = static_cast<uint32_t>(random()) & 0xFFFFFF;
      const int size = 36 + pick(14), width = pick(3);
      for (Canvas& c : k) {
        switch (what) {
          case 0:
            c.SetBrushColour(colour);
            break;
          case 1:
            c.SetBrushStyle(static_cast<TBrushStyle>(step % 8));
            break;
          case 2:
            c.MoveTo(x, y);
            c.LineTo(y, x);
            break;
          case 3:
            c.SetPixel(x, y, colour);
            break;
          case 4:
            c.SetSize(size, size - 2);
            break;
          case 6:
            c.SetPenWidth(width);
            break;
          case 5:
            c.Ellipse(x, y, x + 5, y + 4);
            break;
          default:
            c.ToggleXorFigure(Plus(x, y, turn));
            break;
        }
      }
      if (step % every == 0) {
        ASSERT_EQ(Snapshot(k[0]), Snapshot(k[1])) << step;
        ASSERT_EQ(Snapshot(k[0]), Snapshot(k[2])) << step;
      }
    }
    EXPECT_EQ(k[0].Image(), k[1].Image());
    EXPECT_EQ(k[0].Image(), k[2].Image());
  }
}

}  // namespace
}  // namespace zamiro
