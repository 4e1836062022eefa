// The turtle cursor, the window's show and resize, and every graphics statement, checked on
// the picture's pixels and through the turtle queries.
#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "interp_fixture.h"
#include "turtle/picture.h"

namespace zamiro::testing {
namespace {

constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kRed = 0x0000FF;
constexpr uint32_t kBlue = 0xFF0000;
constexpr uint32_t kOlive = 0x008080;
// The default window: a 469x277 picture shown as a 467x275 image, home at (233, 137).
constexpr int kPanelW = 469, kPanelH = 277, kHomeX = 233, kHomeY = 137;

std::vector<uint32_t> Snapshot(const Canvas& k) {
  std::vector<uint32_t> px;
  for (int y = 0; y < k.Height(); ++y) {
    for (int x = 0; x < k.Width(); ++x) px.push_back(k.Pixel(x, y));
  }
  return px;
}

int CountNot(const Canvas& k, uint32_t colour, int x1, int y1, int x2, int y2) {
  int n = 0;
  for (int y = y1; y <= y2; ++y) {
    for (int x = x1; x <= x2; ++x) n += k.Pixel(x, y) != colour;
  }
  return n;
}

int CountNot(const Canvas& k, uint32_t colour) {
  return CountNot(k, colour, 0, 0, k.Width() - 1, k.Height() - 1);
}

void PaintBackground(Canvas& k) {
  for (int y = 0; y < k.Height(); ++y) {
    for (int x = 0; x < k.Width(); ++x) {
      k.SetPixel(x, y, static_cast<uint32_t>((x * 53 + y * 97) * 0x030105) & 0xFFFFFF);
    }
  }
}

// A white picture with the turtle cursor drawn as the turtle `t` says.
std::vector<uint32_t> WhiteWithCursor(const TurtleState& t) {
  Canvas k;
  k.SetSize(kPanelW, kPanelH);
  DrawTurtleCursor(t, k);
  return Snapshot(k);
}

TurtleState At(double x, double y, double heading) {
  TurtleState t;
  t.turtleX = x;
  t.turtleY = y;
  t.turtleHeading = heading;
  return t;
}

// An interpreter whose picture is sized as the window sizes it when it first appears.
class Drawing {
 public:
  Drawing() {
    FormResize(s.c, kPanelW, kPanelH, kPanelW - 2, kPanelH - 2);
    FormShow(s.c, kPanelW - 2, kPanelH - 2);
  }
  void Run(const std::vector<std::string>& lines) { s.Run(lines); }
  const Canvas& Picture() const { return s.c.picture.canvas; }
  uint32_t Px(int x, int y) const { return Picture().Pixel(x, y); }
  const std::vector<std::string>& Output() const { return s.host.output; }
  const std::vector<std::string>& Messages() const { return s.host.messages; }

  Session s;
};

// ---- The cursor ----

TEST(TurtleCursor, DrawnTwiceRestoresEveryPixelForEveryBrush) {
  const double headings[] = {0, 12.9, 45, 90, 137, 400, -77, 1e10};
  for (int style = bsSolid; style <= bsDiagCross; ++style) {
    for (uint32_t brush : {kWhite, kRed, 0x123456u}) {
      Canvas k;
      k.SetSize(60, 50);
      PaintBackground(k);
      k.SetBrushColour(brush);
      k.SetBrushStyle(static_cast<TBrushStyle>(style));
      k.SetPenColour(kBlue);
      const std::vector<uint32_t> before = Snapshot(k);
      for (double h : headings) {
        DrawTurtleCursor(At(30.7, 24.2, h), k);
        EXPECT_EQ(Snapshot(k) != before, style != bsClear) << style << " " << h;
        DrawTurtleCursor(At(30.7, 24.2, h), k);
        ASSERT_EQ(Snapshot(k), before) << "style " << style << " heading " << h;
      }
      EXPECT_EQ(k.PenMode(), pmCopy);  // the pen is given back as it was
      EXPECT_EQ(k.PenColour(), kBlue);
    }
  }
}

TEST(TurtleCursor, OnWhiteADarkDiscWithALightCapAndTwoDarkEyes) {
  Canvas k;
  k.SetSize(60, 60);
  DrawTurtleCursor(At(30, 30, 0), k);
  EXPECT_EQ(k.Pixel(30, 38), kBlack);  // the body behind the wings' line
  EXPECT_EQ(k.Pixel(20, 33), kBlack);
  EXPECT_EQ(k.Pixel(30, 22), kWhite);  // the cap in front, between the eyes
  EXPECT_EQ(k.Pixel(34, 25), kBlack);  // right eye: dx(35, 7) = 4, dy(35, 7) = 5
  EXPECT_EQ(k.Pixel(26, 25), kBlack);  // left eye
  // Everything within the body's box, columns and rows 18 to 41.
  EXPECT_EQ(CountNot(k, kWhite, 18, 18, 41, 41), CountNot(k, kWhite));
  EXPECT_GT(CountNot(k, kWhite), 300);
  // Facing right, the eyes are to the right of the centre.
  Canvas r;
  r.SetSize(60, 60);
  DrawTurtleCursor(At(30, 30, 90), r);
  EXPECT_EQ(r.Pixel(35, 34), kBlack);
  EXPECT_EQ(r.Pixel(35, 26), kBlack);
  EXPECT_EQ(r.Pixel(22, 30), kBlack);
}

TEST(TurtleCursor, AClearBrushShowsNothing) {
  Canvas k;
  k.SetSize(40, 40);
  k.SetBrushStyle(bsClear);
  DrawTurtleCursor(At(20, 20, 30), k);
  EXPECT_EQ(CountNot(k, kWhite), 0);
}

TEST(TurtleCursor, SitsOnWholePixelsAndTurnsInWholeDegrees) {
  const struct {
    TurtleState a, b;
  } same[] = {
      {At(-0.5, 100.9, 0), At(0, 100, 0)},  // truncated toward zero: column 0, not -1
      {At(200, 100, 12.9), At(200, 100, 12)},
      {At(200, 100, 400), At(200, 100, 40)},
      {At(200, 100, -30.5), At(200, 100, -30)},
  };
  for (const auto& k : same) {
    EXPECT_EQ(WhiteWithCursor(k.a), WhiteWithCursor(k.b)) << k.a.turtleHeading;
  }
  EXPECT_NE(WhiteWithCursor(At(200, 100, 12)), WhiteWithCursor(At(200, 100, 20)));
}

TEST(TurtleCursor, WithAColouredBrushShowsOtherColours) {
  Canvas k;
  k.SetSize(40, 40);
  k.SetBrushColour(kRed);
  DrawTurtleCursor(At(20, 20, 0), k);
  EXPECT_EQ(k.Pixel(20, 28), kWhite ^ kRed);  // white exclusive-or red: aqua
}

// The cursor from its cached cover and from its four figures drawn one by one are the same
// pixels wherever it lies wholly on the picture, whichever way it faces, with any brush and
// pen.
struct CursorBrush {
  uint32_t colour;
  TBrushStyle style;
  int penWidth;
};
constexpr CursorBrush kCursorBrushes[] = {
    {kWhite, bsSolid, 1}, {0x123456, bsDiagCross, 7}, {kRed, bsHorizontal, 100000}};

std::vector<double> CursorHeadings() {
  std::vector<double> headings = {12.9, 400, -77, 1e10, -1e15, 1e300, 0.5, -0.5};
  for (int h = 0; h < 360; ++h) headings.push_back(h);
  return headings;
}

void PrepareForCursor(Canvas& k, int w, int h, const CursorBrush& b, int shift = 0) {
  k.SetSize(w, h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      // Unsigned, so the pattern wraps instead of overflowing.
      const auto v = static_cast<uint32_t>((x - shift) * 53 + (y - shift) * 97);
      k.SetPixel(x, y, (v * 0x030105u) & 0xFFFFFF);
    }
  }
  k.SetBrushColour(b.colour);
  k.SetBrushStyle(b.style);
  k.SetPenWidth(b.penWidth);
}

TEST(TurtleCursor, TheFastCursorIsTheFourFiguresDrawnOneByOne) {
  const std::vector<double> headings = CursorHeadings();
  const double places[][2] = {{30.7, 24.2}, {16, 16}, {44.9, 34}, {17, 33.5}, {43, 17}};
  for (const CursorBrush& b : kCursorBrushes) {
    for (const auto& p : places) {
      Canvas fast, figures;
      fast.SetXorDrawing(XorDrawing::kAtOnce);
      figures.SetXorDrawing(XorDrawing::kByDrawing);
      PrepareForCursor(fast, 60, 50, b);
      PrepareForCursor(figures, 60, 50, b);
      const QImage before = fast.Image();
      for (double h : headings) {
        const TurtleState t = At(p[0], p[1], h);
        DrawTurtleCursor(t, fast);
        DrawTurtleCursor(t, figures);
        ASSERT_EQ(fast.Image(), figures.Image()) << p[0] << "," << p[1] << " h " << h;
        DrawTurtleCursor(t, fast);
        DrawTurtleCursor(t, figures);
        ASSERT_EQ(fast.Image(), before);
      }
    }
  }
}

// Near and beyond the edges the cursor is the part of the whole cursor that lies on the
// picture: the same pixels as on a picture larger by 32 on every side.
TEST(TurtleCursor, AtTheEdgesTheCursorIsThePartOnThePicture) {
  const std::vector<double> headings = CursorHeadings();
  const double places[][2] = {{0, 0},     {-11, 5},   {59.9, 49}, {70, 25},
                              {5, -12.5}, {-13, -13}, {72, 62},   {12, 40}};
  size_t turn = 0;
  for (const CursorBrush& b : kCursorBrushes) {
    for (const auto& p : places) {
      Canvas edge, whole;
      PrepareForCursor(edge, 60, 50, b);
      PrepareForCursor(whole, 124, 114, b, 32);
      for (size_t i = turn++ % 5; i < headings.size(); i += 5) {
        DrawTurtleCursor(At(p[0], p[1], headings[i]), edge);
        DrawTurtleCursor(At(p[0] + 32, p[1] + 32, headings[i]), whole);
        for (int y = 0; y < 50; ++y) {
          for (int x = 0; x < 60; ++x) {
            ASSERT_EQ(edge.Pixel(x, y), whole.Pixel(x + 32, y + 32))
                << p[0] << "," << p[1] << " h " << headings[i] << " at " << x << "," << y;
          }
        }
        DrawTurtleCursor(At(p[0], p[1], headings[i]), edge);
        DrawTurtleCursor(At(p[0] + 32, p[1] + 32, headings[i]), whole);
      }
    }
  }
}

// Random graphics programs, run with the cursor drawn late (as always), at once, and by its
// figures: the pictures are equal at every look, and the looks come between lines, at resizes
// (which leave a stray cursor) and at the end.
class Recorded {
 public:
  Recorded(XorDrawing how, const std::vector<std::string>& lines, int every) {
    s.c.picture.canvas.SetXorDrawing(how);
    FormResize(s.c, 123, 93, 121, 91);
    FormShow(s.c, 121, 91);
    s.onSupply = [this, every](size_t i) {
      if (i % static_cast<size_t>(every) == 0) looks.push_back(Snapshot(s.c.picture.canvas));
      if (i % 13 == 7) FormResize(s.c, 123 - static_cast<int>(i % 5), 93, 121, 91);
    };
    s.Run(lines);
    looks.push_back(Snapshot(s.c.picture.canvas));
  }
  Session s;
  std::vector<std::vector<uint32_t>> looks;
};

std::string RandomStatement(std::mt19937& random) {
  auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  auto num = [&](int range) {
    const int v = pick(2 * range + 1) - range;
    return v < 0 ? "(" + std::to_string(v) + ")" : std::to_string(v);
  };
  switch (pick(20)) {
    case 0:
    case 1:
      return "fd " + num(40);
    case 2:
      return "bk " + num(20);
    case 3:
    case 4:
      return "rt " + num(200);
    case 5:
      return "lt " + num(400) + " + 0." + std::to_string(pick(10));
    case 6:
      return "seth " + num(360);
    case 7:
      return "setxy " + num(70) + " " + num(55);
    case 8:
      return pick(2) ? "ht" : "st";
    case 9:
      return pick(2) ? "pu" : "pd";
    case 10:
      return pick(4) ? "st" : "home";
    case 11:
      return pick(5) ? "setbc " + std::to_string(pick(17)) : "cs";
    case 12:
      return "setbs " + std::to_string(pick(9));
    case 13:
      return "setpc " + std::to_string(pick(17)) + " setpw " + std::to_string(pick(4) * pick(4));
    case 14:
      return "put " + num(60) + " " + num(45) + " " + std::to_string(pick(16));
    case 15:
      return "fillellipse " + num(60) + " " + num(45) + " " + num(60) + " " + num(45);
    case 16:
      return "line " + num(60) + " " + num(45) + " " + num(60) + " " + num(45);
    case 17:
      return "repeat " + std::to_string(pick(30)) + " [fd " + num(9) + " rt " + num(90) + "]";
    case 18:
      return "setx " + num(80) + " sety " + num(60);
    default:
      return "rt 1 fd 1 rt 1 pu fd 1 pd lt 2 bk 1";
  }
}

TEST(TurtleCursor, DrawnLateItGivesThePicturesOfDrawingAtOnce) {
  for (int seed = 1; seed <= 6; ++seed) {
    std::mt19937 random(static_cast<unsigned>(seed));
    std::vector<std::string> lines;
    for (int i = 0; i < 150; ++i) {
      std::string line = RandomStatement(random);
      if (random() % 3 == 0) line += " " + RandomStatement(random);
      lines.push_back(line);
    }
    const int every = seed % 3 == 0 ? 10 : 1;
    const Recorded late(XorDrawing::kDeferred, lines, every);
    const Recorded once(XorDrawing::kAtOnce, lines, every);
    const Recorded figures(XorDrawing::kByDrawing, lines, every);
    ASSERT_EQ(late.looks.size(), figures.looks.size());
    for (size_t i = 0; i < late.looks.size(); ++i) {
      ASSERT_EQ(late.looks[i], once.looks[i]) << "seed " << seed << " look " << i;
      ASSERT_EQ(late.looks[i], figures.looks[i]) << "seed " << seed << " look " << i;
    }
    EXPECT_TRUE(late.s.host.messages.empty()) << late.s.host.messages.front();
  }
}

// ---- The window: show and resize ----

TEST(Window, TheFirstPictureIsWhiteWithTheCursorAtHome) {
  Drawing d;
  const TurtleState& t = d.s.c.turtle;
  EXPECT_EQ(t.centreX, kHomeX);
  EXPECT_EQ(t.centreY, kHomeY);
  EXPECT_EQ(t.turtleX, kHomeX);
  EXPECT_EQ(t.turtleY, kHomeY);
  EXPECT_EQ(t.turtleHeading, 0);
  EXPECT_EQ(d.Picture().Width(), kPanelW);
  EXPECT_EQ(d.Picture().Height(), kPanelH);
  EXPECT_EQ(Snapshot(d.Picture()), WhiteWithCursor(At(kHomeX, kHomeY, 0)));
}

TEST(Window, ResizingLeavesTheOldCursorAndDrawsANewOneAtTheNewCentre) {
  Drawing d;
  d.Run({"fd 50 rt 30"});
  const std::vector<uint32_t> before = Snapshot(d.Picture());
  const uint64_t changes = d.s.c.picture.changes;
  FormResize(d.s.c, 301, 201, 299, 199);
  FormShow(d.s.c, 299, 199);
  const TurtleState& t = d.s.c.turtle;
  EXPECT_EQ(t.centreX, 149);
  EXPECT_EQ(t.centreY, 99);
  EXPECT_EQ(t.turtleX, 149);
  EXPECT_EQ(t.turtleY, 99);
  EXPECT_EQ(t.turtleHeading, 0);
  EXPECT_GT(d.s.c.picture.changes, changes);
  // What was drawn stays where it was, the old cursor (at 233, 87) included, except where
  // the new cursor at (149, 99) lies.
  Canvas expected;
  expected.SetSize(kPanelW, kPanelH);
  for (int y = 0; y < 201; ++y) {
    for (int x = 0; x < 301; ++x) {
      expected.SetPixel(x, y, before[static_cast<size_t>(y * kPanelW + x)]);
    }
  }
  expected.SetSize(301, 201);
  DrawTurtleCursor(At(149, 99, 0), expected);
  EXPECT_EQ(Snapshot(d.Picture()), Snapshot(expected));
  EXPECT_GT(CountNot(d.Picture(), kWhite, 221, 75, 244, 98), 100);
}

TEST(Window, AResizeFillsTheNewAreaWithTheBrushAndAHiddenTurtleStaysHidden) {
  Drawing d;
  d.Run({"ht setbc 12"});
  FormResize(d.s.c, 500, 300, 498, 298);
  EXPECT_EQ(d.Px(480, 10), kBlue);  // new area: the canvas brush
  EXPECT_EQ(d.Px(10, 290), kBlue);
  EXPECT_EQ(d.Px(249, 149), kWhite);  // no cursor at the new centre
  EXPECT_EQ(CountNot(d.Picture(), kWhite, 0, 0, kPanelW - 1, kPanelH - 1), 0);
}

// ---- Motion and pen ----

TEST(Motion, ForwardFromHomeDrawsUpToButNotIncludingTheEnd) {
  Drawing d;
  d.Run({"ht", "fd 100"});
  for (int y = 38; y <= 137; ++y) EXPECT_EQ(d.Px(kHomeX, y), kBlack) << y;
  EXPECT_EQ(d.Px(kHomeX, 37), kWhite);
  EXPECT_EQ(CountNot(d.Picture(), kWhite), 100);
  EXPECT_TRUE(d.Messages().empty());
}

TEST(Motion, RightNinetyThenForwardEndsOneRowAboveTheCentre) {
  Drawing d;
  d.Run({"ht rt 90 fd 50", "print ycor > 0", "print ycor < 1e-12"});
  for (int x = 233; x <= 257; ++x) EXPECT_EQ(d.Px(x, 137), kBlack) << x;
  for (int x = 258; x <= 282; ++x) EXPECT_EQ(d.Px(x, 136), kBlack) << x;
  EXPECT_EQ(d.Px(283, 136), kWhite);
  EXPECT_EQ(CountNot(d.Picture(), kWhite), 50);
  EXPECT_EQ(d.Output(), (std::vector<std::string>{"1", "1"}));
}

TEST(Motion, TheTurtleQueriesFollowEveryMove) {
  const struct {
    const char* script;
    std::vector<std::string> output;
  } cases[] = {
      {"fd 100 print xcor print ycor print heading print distance 0 0", {"0", "100", "0", "100"}},
      {"lt 90 fd 50 print xcor print heading", {"-50", "-90"}},
      {"setxy 30 40 print distance 0 0 print heading print xcor", {"50", "0", "30"}},
      {"rt 400 print heading", {"400"}},
      {"seth 45 print heading seth -1e300 print heading", {"45", "-1E300"}},
      {"bk 20 print ycor fd 30.5 print ycor", {"-20", "10.5"}},
      {"fd 50 rt 90 fd 20 home print xcor print ycor print heading", {"0", "0", "0"}},
      {"setx -30 sety 25 print xcor print ycor", {"-30", "25"}},
      {"fd complex 10 99 rt complex 90 5 print ycor print heading", {"10", "90"}},
      {"fd 10 print towards 0 0 print towards 0 20", {"180", "0"}},
      {"cs print xcor print heading", {"0", "0"}},
      {"line 0 0 100 100 pu fd 10 print ycor print xcor", {"10", "0"}},
      // Exact double arithmetic: the centre is lost in the rounding of 1e300.
      {"fd 1e300 print ycor bk 1e300 print ycor", {"1E300", "137"}},
      {"print pc print pw setpc 9 setpw 4 print pc print pw", {"0", "1", "9", "4"}},
  };
  for (const auto& k : cases) {
    Drawing d;
    d.Run({k.script});
    EXPECT_EQ(d.Output(), k.output) << k.script;
    EXPECT_TRUE(d.Messages().empty()) << k.script;
  }
}

TEST(Motion, ALineOnlyWithThePenDown) {
  Drawing d;
  d.Run({"ht pu fd 50 pd fd 50"});
  for (int y = 38; y <= 87; ++y) EXPECT_EQ(d.Px(kHomeX, y), kBlack) << y;
  for (int y = 88; y <= 137; ++y) EXPECT_EQ(d.Px(kHomeX, y), kWhite) << y;
}

TEST(Motion, HomeAndTurnsDrawNoLine) {
  Drawing d;
  d.Run({"ht fd 50 rt 90 fd 30 home seth 45 lt 10"});
  EXPECT_EQ(CountNot(d.Picture(), kWhite), 80);
}

TEST(Motion, SetXYDrawsStraightToThePointAndKeepsTheHeading) {
  Drawing d;
  d.Run({"ht rt 10 setxy 30 40", "print heading"});
  EXPECT_EQ(d.Px(233, 137), kBlack);
  EXPECT_EQ(d.Px(248, 117), kBlack);  // half way
  EXPECT_EQ(d.Px(263, 97), kWhite);   // the end is left out
  EXPECT_EQ(CountNot(d.Picture(), kWhite), 40);
  EXPECT_EQ(d.Output(), std::vector<std::string>{"10"});
}

TEST(Motion, JapaneseKeywordsDrawTheSame) {
  const struct {
    const char* japanese;
    const char* english;
  } pairs[] = {
      {"まえへ 50 みぎへ 90 うしろへ 20 ひだりへ 45 まえへ 10", "fd 50 rt 90 bk 20 lt 45 fd 10"},
      {"ペンをあげろ まえへ 10 ペンをおろせ まえへ 5 もどれ", "pu fd 10 pd fd 5 home"},
      {"よこのいちは 30 たてのいちは 20 いちは 5 5 むきは 30", "setx 30 sety 20 setxy 5 5 seth 30"},
      {"かくれろ まえへ 9 でてこい えをけせ", "ht fd 9 st cs"},
      {"いろは あか はばは 3 まえへ 10", "setpc 9 setpw 3 fd 10"},
  };
  for (const auto& p : pairs) {
    Drawing j, e;
    j.Run({p.japanese});
    e.Run({p.english});
    EXPECT_EQ(Snapshot(j.Picture()), Snapshot(e.Picture())) << p.english;
    EXPECT_TRUE(j.Messages().empty()) << p.japanese;
  }
}

TEST(Motion, HideTwiceShowOnceShowsOneCursor) {
  Drawing d;
  d.Run({"ht ht st"});
  EXPECT_EQ(Snapshot(d.Picture()), WhiteWithCursor(At(kHomeX, kHomeY, 0)));
  Drawing e;
  e.Run({"st st"});
  EXPECT_EQ(Snapshot(e.Picture()), WhiteWithCursor(At(kHomeX, kHomeY, 0)));
}

TEST(Motion, TheCursorFollowsTheTurtle) {
  Drawing d;
  d.Run({"pu fd 50 rt 30"});
  EXPECT_EQ(Snapshot(d.Picture()), WhiteWithCursor(At(kHomeX, kHomeY - 50, 30)));
}

TEST(Motion, AFailedTurnLeavesAStrayCursor) {
  Drawing d;
  d.Run({"rt 1/0"});
  EXPECT_EQ(CountNot(d.Picture(), kWhite), 0);  // erased, though the turtle counts as shown
  EXPECT_EQ(d.Messages().size(), 1u);
  Drawing e;
  e.Run({"rt 1/0", "pu fd 50"});
  // The move's erase drew the cursor back at home, where it stays.
  Canvas expected;
  expected.SetSize(kPanelW, kPanelH);
  DrawTurtleCursor(At(kHomeX, kHomeY, 0), expected);
  DrawTurtleCursor(At(kHomeX, kHomeY - 50, 0), expected);
  EXPECT_EQ(Snapshot(e.Picture()), Snapshot(expected));
}

TEST(Motion, AFailedSetXYHasMovedXAndErasedTheCursor) {
  Drawing d;
  d.Run({"setxy 40 1/0", "print xcor print ycor"});
  EXPECT_EQ(CountNot(d.Picture(), kWhite), 0);
  EXPECT_EQ(d.Output(), (std::vector<std::string>{"40", "0"}));
}

TEST(Motion, ClearScreenWipesTheImageWithAFrameOfThePen) {
  Drawing d;
  // A pixel in the bitmap's last column, which the shown image does not cover.
  d.Run({"put 234 (-138) 12 setpc 9 setpw 3 fd 60 setbc 2 cs", "print pc print pw"});
  EXPECT_EQ(d.Px(467, 275), kBlue);  // not part of the image: not cleared
  EXPECT_EQ(d.Px(kHomeX, 80), kWhite);
  EXPECT_EQ(d.Px(0, 100), kRed);  // the frame: the pen of the last line, 3 wide
  EXPECT_EQ(d.Px(1, 100), kRed);
  EXPECT_EQ(d.Px(100, 0), kRed);
  EXPECT_EQ(d.Px(466, 100), kRed);
  EXPECT_EQ(d.Px(100, 274), kRed);
  EXPECT_EQ(d.Px(100, 100), kWhite);
  EXPECT_EQ(d.s.c.picture.canvas.BrushColour(), kWhite);
  EXPECT_EQ(d.s.c.picture.canvas.BrushStyle(), bsSolid);
  EXPECT_EQ(d.s.c.turtle.brushColour, StandardColours[2]);  // what setbc chose stays
  EXPECT_EQ(d.Output(), (std::vector<std::string>{"9", "3"}));
  // The cursor is drawn afresh at home, facing up.
  EXPECT_EQ(d.Px(kHomeX, kHomeY + 8), kBlack);
}

TEST(Motion, AfterClearScreenFillsAreWhite) {
  Drawing d;
  d.Run({"ht setbc 9 cs fillellipse 10 10 60 (-40)"});
  EXPECT_EQ(d.Px(kHomeX + 35, kHomeY + 15), kWhite);
  EXPECT_EQ(d.Px(kHomeX + 10, kHomeY + 15), kBlack);  // the outline
}

TEST(Motion, ChangingTheBrushWhileShownLeavesATrace) {
  Drawing d;
  d.Run({"setbc 9 ht"});
  EXPECT_GT(CountNot(d.Picture(), kWhite), 0);
  Drawing e;
  e.Run({"ht setbc 9 st ht"});
  EXPECT_EQ(CountNot(e.Picture(), kWhite), 0);
}

TEST(Motion, EveryStepCountsAsAChange) {
  Drawing d;
  const uint64_t before = d.s.c.picture.changes;
  d.Run({"fd 10"});
  EXPECT_GT(d.s.c.picture.changes, before);
}

TEST(Motion, FarAwayAndUndefinedPlacesAreSafe) {
  Drawing d;
  d.Run({"ht fd exp 1000", "print ycor", "home setx 1e300 sety -1e300 setxy 1e20 (-1e20)",
         "home rt 37 fd 1e18", "setpw 2000000000 fd 10 print pw", "setpw 1e10", "home seth 0/0",
         "ellipse -1e300 1e300 1e300 (-1e300)",
         "fillellipse -1e9 5 1e9 (-5) rectangle -1e300 0 5 5 put 1e300 0 9",
         "line 0 0 1e300 1e300"});
  ASSERT_GE(d.Output().size(), 2u);
  EXPECT_EQ(d.Output()[0], "INF");
  EXPECT_EQ(d.Output()[1], "2000000000");
  // setpw 1e10 has no 32-bit width; 0/0 divides by zero.
  ASSERT_EQ(d.Messages().size(), 2u);
  EXPECT_NE(d.Messages()[0].find("-2147483648"), std::string::npos) << d.Messages()[0];
  EXPECT_EQ(d.Picture().Width(), kPanelW);
}

TEST(Motion, AFarMoveKeepsItsDirectionOnThePicture) {
  for (double heading : {37.0, -100.0, 181.5}) {
    Drawing d;
    d.Run({"ht rt " + FormatGeneral15(heading) + " fd 1e18"});
    const double h = heading * 3.14159265358979 / 180;
    int drawn = 0;
    for (int y = 0; y < kPanelH; ++y) {
      for (int x = 0; x < kPanelW; ++x) {
        if (d.Px(x, y) == kWhite) continue;
        ++drawn;
        // Every pixel lies on the ray from home, within rounding.
        const double dx = x - kHomeX, dy = y - kHomeY;
        EXPECT_LE(std::fabs(dx * std::cos(h) + dy * std::sin(h)), 0.75) << x << "," << y;
        EXPECT_GE(dx * std::sin(h) - dy * std::cos(h), 0) << x << "," << y;
      }
    }
    EXPECT_GT(drawn, 100) << heading;
  }
}

// ---- Colours, width and figures ----

TEST(Shapes, PenColoursByNameAndNumber) {
  const struct {
    const char* setpc;
    uint32_t colour;
    const char* pc;
  } cases[] = {
      {"setpc あか", kRed, "9"},
      {"setpc 9", kRed, "9"},
      {"setpc 16", kBlack, "0"},
      {"setpc -1", kBlack, "0"},
      {"setpc 3.9", kOlive, "3"},
      {"いろは しろ", kWhite, "15"},
      {"setpc しろ", kWhite, "15"},
      {"いろは 12", kBlue, "12"},
      {"setpc 1e20", kBlack, "0"},
      {"setpc こいこん", 0x800000, "4"},
      {"setpc くらいあおみどり", 0x808000, "6"},
      {"setpc complex 14 3", 0xFFFF00, "14"},
  };
  for (const auto& k : cases) {
    Drawing d;
    d.Run({std::string("ht setpc 2 ") + k.setpc + " fd 10 print pc"});
    EXPECT_EQ(d.Px(kHomeX, kHomeY - 5), k.colour) << k.setpc;
    EXPECT_EQ(d.Output(), std::vector<std::string>{k.pc}) << k.setpc;
    EXPECT_TRUE(d.Messages().empty()) << k.setpc;
  }
}

TEST(Shapes, BrushColourTakesNumbersOnly) {
  Drawing d;
  d.Run({"setbc あか"});
  ASSERT_EQ(d.Messages().size(), 1u);
  EXPECT_NE(d.Messages()[0].find("あか は初めて出てくる関数です"), std::string::npos);
}

TEST(Shapes, FillStylesByNumber) {
  const struct {
    int number;
    TBrushStyle style;
  } cases[] = {{0, bsSolid}, {1, bsClear},     {2, bsHorizontal}, {3, bsVertical},
               {4, bsCross}, {5, bsFDiagonal}, {6, bsBDiagonal},  {7, bsDiagCross},
               {8, bsSolid}, {-1, bsSolid}};
  for (const auto& k : cases) {
    Drawing d;
    d.Run({"ht setbc 9 setbs " + std::to_string(k.number) + " fillrect -50 50 50 (-50)"});
    const uint32_t brush = k.style == bsClear ? kWhite : kRed;
    int wrong = 0;
    for (int y = kHomeY - 50; y < kHomeY + 50; ++y) {
      for (int x = kHomeX - 50; x < kHomeX + 50; ++x) {
        wrong += d.Px(x, y) != (HatchCovers(k.style, x, y) ? brush : kWhite);
      }
    }
    EXPECT_EQ(wrong, 0) << k.number;
    EXPECT_EQ(d.s.c.turtle.brushStyle, k.style) << k.number;
  }
}

TEST(Shapes, AClearFillThenAColourIsSolidAgain) {
  Drawing d;
  d.Run({"ht setbc 9 setbs 1 fillellipse -20 20 20 (-20) put 0 0 12",
         "setbc 12 fillrect 30 30 40 20"});
  EXPECT_EQ(d.Px(kHomeX, kHomeY), kBlue);  // the clear fill left the blue pixel
  EXPECT_EQ(d.s.c.picture.canvas.BrushStyle(), bsSolid);
  EXPECT_EQ(d.Px(kHomeX + 35, kHomeY - 25), kBlue);
}

TEST(Shapes, FiguresUseTheWidthOfTheLastTurtleLine) {
  Drawing d;
  d.Run({"ht setpw 5 rectangle 0 0 50 50"});
  EXPECT_EQ(d.Px(kHomeX - 1, kHomeY - 25), kWhite);
  EXPECT_EQ(d.Px(kHomeX, kHomeY - 25), kBlack);
  Drawing e;
  e.Run({"ht setpw 5 pu fd 0 pd fd 0 rectangle 0 0 50 50"});  // a line of no length
  EXPECT_EQ(e.Px(kHomeX - 2, kHomeY - 25), kBlack);
  EXPECT_EQ(e.Px(kHomeX + 2, kHomeY - 25), kBlack);
  Drawing f;
  f.Run({"ht setpw 5 fd 10 setpw -3 fd 10 print pw"});
  EXPECT_EQ(f.Px(kHomeX + 2, kHomeY - 15), kBlack);  // the negative width was ignored
  EXPECT_EQ(f.Output(), std::vector<std::string>{"-3"});
}

TEST(Shapes, RectangleCornersAreOrdered) {
  Drawing a, b;
  a.Run({"ht rectangle 0 0 50 50"});
  b.Run({"ht rectangle 50 50 0 0"});
  EXPECT_EQ(Snapshot(a.Picture()), Snapshot(b.Picture()));
  for (auto [x, y] : {std::pair{233, 137}, {283, 137}, {233, 87}, {283, 87}}) {
    EXPECT_EQ(a.Px(x, y), kBlack) << x << "," << y;
  }
  EXPECT_EQ(a.Px(258, 112), kWhite);
  EXPECT_EQ(CountNot(a.Picture(), kWhite), 200);
}

TEST(Shapes, NegativeArgumentsNeedParentheses) {
  Drawing d;
  d.Run({"ht rectangle -50 50 50 (-50)"});
  EXPECT_EQ(d.Px(183, 87), kBlack);
  EXPECT_EQ(d.Px(283, 187), kBlack);
}

TEST(Shapes, LinesAndFiguresLeaveTheTurtleAlone) {
  Drawing d;
  d.Run({"ht pu line 0 0 100 100 print xcor print ycor"});
  EXPECT_EQ(d.Px(233, 137), kBlack);
  EXPECT_EQ(d.Px(283, 87), kBlack);
  EXPECT_EQ(d.Px(333, 37), kWhite);
  EXPECT_EQ(d.Output(), (std::vector<std::string>{"0", "0"}));
}

TEST(Shapes, EllipsesAreInscribedInTheirBox) {
  Drawing d;
  d.Run({"ht setbc 12 ellipse -50 30 50 (-30) fillellipse 100 30 200 (-30)"});
  // Outline only: columns 183 to 282, rows 107 to 166.
  EXPECT_EQ(CountNot(d.Picture(), kWhite, 183, 107, 282, 166),
            CountNot(d.Picture(), kWhite, 0, 0, 300, 270));
  EXPECT_EQ(d.Px(183, 137), kBlack);
  EXPECT_EQ(d.Px(282, 137), kBlack);
  EXPECT_EQ(d.Px(233, 107), kBlack);
  EXPECT_EQ(d.Px(233, 166), kBlack);
  EXPECT_EQ(d.Px(233, 137), kWhite);
  EXPECT_EQ(d.Px(383, 137), kBlue);   // filled with the brush
  EXPECT_EQ(d.Px(333, 137), kBlack);  // outlined with the pen
}

TEST(Shapes, PolygonsAndPolylinesFromAnArray) {
  const std::string square =
      "make \"p {0} 0 make \"p {1} complex 100 0 make \"p {2} complex 100 100 "
      "make \"p {3} complex 0 100";
  Drawing poly;
  poly.Run({square, "ht setbc 9 polygon 4 &p"});
  EXPECT_EQ(poly.Px(283, 87), kRed);
  for (auto [x, y] : {std::pair{233, 137}, {333, 137}, {333, 37}, {233, 37}, {233, 87}}) {
    EXPECT_EQ(poly.Px(x, y), kBlack) << x << "," << y;
  }
  EXPECT_EQ(poly.Px(334, 87), kWhite);
  Drawing open;
  open.Run({square, "ht polyline 4 &p"});
  EXPECT_EQ(open.Px(333, 87), kBlack);
  EXPECT_EQ(open.Px(233, 87), kWhite);  // the fourth side is not drawn
  EXPECT_EQ(open.Px(283, 87), kWhite);
  Drawing closed;
  closed.Run({square, "make \"p {4} 0 ht polyline 5 &p"});
  EXPECT_EQ(closed.Px(233, 87), kBlack);
  Drawing none;
  none.Run({square, "ht polygon 0 &p polyline 1 &p polygon 1 &p"});
  EXPECT_EQ(CountNot(none.Picture(), kWhite), 0);
  EXPECT_TRUE(none.Messages().empty());
}

TEST(Shapes, PolylineErrorsDrawNothing) {
  const struct {
    const char* script;
    const char* message;
  } cases[] = {
      {"polyline 3 p", "[エラー 無視します] Top Level の 2 行 17 列には配列が必要です"},
      {"polyline 3 &q", "[エラー 無視します] Top Level の 2 行 18 列の q は初めて出てくる配列です"},
      {"polygon 5 &p",
       "[エラー 無視します] Top Level の 2 行 17 列の点の数 5 は 0 から 4 までです"},
      {"polygon -1 &p",
       "[エラー 無視します] Top Level の 2 行 18 列の点の数 -1 は 0 から 4 までです"},
      {"polyline 1e20 &p",
       "[エラー 無視します] Top Level の 2 行 21 列の点の数 1E20 は 0 から 4 までです"},
  };
  for (const auto& k : cases) {
    Drawing d;
    d.Run({"ht make \"p {3} complex 50 50", std::string("    ") + k.script + " fd 10"});
    EXPECT_EQ(d.Messages(), std::vector<std::string>{k.message}) << k.script;
    EXPECT_EQ(CountNot(d.Picture(), kWhite), 0) << k.script;
  }
}

TEST(Shapes, PutSetsOnePixel) {
  const struct {
    const char* script;
    int x, y;
    uint32_t colour;
  } cases[] = {
      {"put 0 0 9", 233, 137, kRed},           {"put 0 0 20", 233, 137, kBlack},
      {"put 10.7 (-5.2) 12", 243, 142, kBlue}, {"put -3 4 2", 230, 133, 0x008000},
      {"put 0 0 (-1)", 233, 137, kBlack},
  };
  for (const auto& k : cases) {
    Drawing d;
    d.Run({std::string("ht setbc 9 fillrect -20 20 20 (-20) ") + k.script});
    EXPECT_EQ(d.Px(k.x, k.y), k.colour) << k.script;
    // One pixel only: its neighbours keep the fill.
    EXPECT_EQ(CountNot(d.Picture(), kRed, k.x - 1, k.y - 1, k.x + 1, k.y + 1),
              k.colour == kRed ? 0 : 1)
        << k.script;
    EXPECT_TRUE(d.Messages().empty()) << k.script;
  }
}

TEST(Shapes, ArgumentsAreKeptAsTheyAreRead) {
  Drawing d;
  d.Run({"ht line 10 20 30 1/0"});
  const DrawArgs& a = d.s.c.drawArgs;
  EXPECT_EQ(a.shapeX1, kHomeX + 10);
  EXPECT_EQ(a.shapeY1, kHomeY - 20);
  EXPECT_EQ(a.shapeX2, kHomeX + 30);
  EXPECT_EQ(CountNot(d.Picture(), kWhite), 0);  // nothing drawn
}

// ---- Threads ----

TEST(Threads, TheWindowCanResizeWhileTheInterpreterDraws) {
  InputQueue queue;
  RecordingHost host;
  InterpreterContext c(host, queue);
  FormResize(c, kPanelW, kPanelH, kPanelW - 2, kPanelH - 2);
  FormShow(c, kPanelW - 2, kPanelH - 2);
  queue.Add("repeat 3000 [fd 1 rt 1 setxy xcor ycor]");
  queue.SetSupplier([](std::string&) { return false; });  // then the interpreter ends
  TYomikThd::Options options;
  options.startupPauseMs = 0;
  options.startupBeep = false;
  TYomikThd thread(c, options);
  for (int i = 0; i < 300; ++i) {
    FormResize(c, 300 + i % 7, 200 + i % 5, 298 + i % 7, 198 + i % 5);
    std::lock_guard<std::mutex> lock(c.picture.mutex);
    ASSERT_EQ(c.picture.canvas.Image().width(), 300 + i % 7);  // no one else resizes
  }
  thread.Join();
  EXPECT_TRUE(host.messages.empty());
  EXPECT_TRUE(std::isfinite(c.turtle.turtleX));
}

}  // namespace
}  // namespace zamiro::testing
