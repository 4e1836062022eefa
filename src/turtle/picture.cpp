#include "turtle/picture.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <mutex>
#include <unordered_map>

#include "interp/context.h"

namespace zamiro {
namespace {

constexpr double kAnglePi = 3.14159265358979;  // the decimal literal headings have always used

// Cursor offsets: dx(a, r) = trunc(sin(a * pi / 180) * r), dy likewise with the cosine.
double CursorDx(double a, double r) {
  return std::trunc(std::sin(a * kAnglePi / 180) * r);
}
double CursorDy(double a, double r) {
  return std::trunc(std::cos(a * kAnglePi / 180) * r);
}

// Where the cursor's wing points and eyes lie from its centre, for a whole heading h.
struct CursorOffsets {
  double wingRx, wingRy, wingLx, wingLy, eyeRx, eyeRy, eyeLx, eyeLy;
};

CursorOffsets OffsetsFor(double h) {
  return {CursorDx(h + 80, 12), CursorDy(h + 80, 12), CursorDx(h - 80, 12), CursorDy(h - 80, 12),
          CursorDx(h + 35, 7),  CursorDy(h + 35, 7),  CursorDx(h - 35, 7),  CursorDy(h - 35, 7)};
}

// The cursor's four figures with the canvas's operations, pen black and exclusive-or: the
// outlines change nothing, the brush shows. The pen is given back as it was.
void DrawCursorFiguresAt(double x, double y, const CursorOffsets& o, Canvas& canvas) {
  const TPenMode mode = canvas.PenMode();
  const uint32_t colour = canvas.PenColour();
  canvas.SetPenMode(pmXor);
  canvas.SetPenColour(0);
  canvas.Ellipse(x - 12, y - 12, x + 12, y + 12);
  canvas.Chord(x - 11, y - 11, x + 11, y + 11, x + o.wingRx, y - o.wingRy, x + o.wingLx,
               y - o.wingLy);
  canvas.Ellipse(x + o.eyeRx - 4, y - o.eyeRy - 4, x + o.eyeRx + 4, y - o.eyeRy + 4);
  canvas.Ellipse(x + o.eyeLx - 4, y - o.eyeLy - 4, x + o.eyeLx + 4, y - o.eyeLy + 4);
  canvas.SetPenMode(mode);
  canvas.SetPenColour(colour);
}

void DrawCursorFigures(const XorFigure& f, Canvas& canvas) {
  DrawCursorFiguresAt(f.x, f.y, OffsetsFor(f.turn), canvas);
}

constexpr int kCoverReach = XorMask::kSide / 2;  // the figures span -12 to +12

using CoverRows = std::array<uint32_t, XorMask::kSide>;

// Which pixels the four figures change, found by drawing them with a white brush on a white
// scratch picture: the ones covered an odd number of times turn black.
CoverRows DrawnCover(const CursorOffsets& o) {
  constexpr int kCentre = XorMask::kSide, kSide = 2 * kCentre;
  Canvas k;
  k.SetSize(kSide, kSide);
  DrawCursorFiguresAt(kCentre, kCentre, o, k);
  CoverRows rows{};
  for (int j = 0; j < XorMask::kSide; ++j) {
    for (int i = 0; i < XorMask::kSide; ++i) {
      if (k.Pixel(kCentre - kCoverReach + i, kCentre - kCoverReach + j) != kWhite) {
        rows[static_cast<size_t>(j)] |= uint32_t{1} << i;
      }
    }
  }
  return rows;
}

// Covers by their offsets, each in -12 to 12: a few hundred headings' worth in all.
CoverRows CachedCover(const CursorOffsets& o) {
  static std::mutex mutex;
  static std::unordered_map<uint64_t, CoverRows> covers;
  uint64_t key = 0;
  for (double v : {o.wingRx, o.wingRy, o.wingLx, o.wingLy, o.eyeRx, o.eyeRy, o.eyeLx, o.eyeLy}) {
    key = key << 5 | static_cast<uint64_t>(v + 12);
  }
  std::lock_guard<std::mutex> lock(mutex);
  auto found = covers.find(key);
  if (found != covers.end()) return found->second;
  if (covers.size() >= 4096) covers.clear();  // a bound, never expected to be reached
  return covers.emplace(key, DrawnCover(o)).first->second;
}

void CursorCover(const XorFigure& f, XorMask* mask) {
  const CoverRows rows = CachedCover(OffsetsFor(f.turn));
  std::copy(rows.begin(), rows.end(), mask->rows);
}

// Home at the centre of the shown image, facing up. The caller holds the lock.
void GoHome(Picture& picture, TurtleState& t, int imageWidth, int imageHeight) {
  picture.imageWidth = imageWidth;
  picture.imageHeight = imageHeight;
  t.centreX = t.turtleX = imageWidth / 2;
  t.centreY = t.turtleY = imageHeight / 2;
  t.turtleHeading = 0;
}

}  // namespace

uint32_t ColourNumber(double re) {
  const double t = std::trunc(re);
  if (!(t >= -2147483648.0 && t <= 2147483647.0)) return 0xFFFFFFFF;
  return static_cast<uint32_t>(static_cast<int32_t>(t));
}

int StandardColourIndex(uint32_t colour) {
  for (int i = 0; i < 16; ++i) {
    if (StandardColours[i] == colour) return i;
  }
  return 0;
}

void DrawTurtleCursor(const TurtleState& t, Canvas& canvas) {
  // The cursor turns in whole degrees and sits on whole pixels.
  const XorFigure f{std::trunc(t.turtleX), std::trunc(t.turtleY), std::trunc(t.turtleHeading),
                    CursorCover, DrawCursorFigures};
  // Within this bound (h +- 80) * pi stays finite, and so do the offsets the cover is cached
  // by; beyond it (infinite or undefined headings too) the figures are drawn one by one.
  if (std::fabs(f.turn) <= 1e300) {
    canvas.ToggleXorFigure(f);
  } else {
    DrawCursorFigures(f, canvas);
  }
}

void FormShow(InterpreterContext& c, int imageWidth, int imageHeight) {
  std::lock_guard<std::mutex> lock(c.picture.mutex);
  GoHome(c.picture, c.turtle, imageWidth, imageHeight);
}

void FormResize(InterpreterContext& c, int panelWidth, int panelHeight, int imageWidth,
                int imageHeight) {
  PictureStep step(c);
  step.canvas.SetSize(panelWidth, panelHeight);
  GoHome(step.picture, step.turtle, imageWidth, imageHeight);
  if (!step.turtle.turtleHidden) DrawTurtleCursor(step.turtle, step.canvas);
}

void ResetTurtlePen(InterpreterContext& c) {
  std::lock_guard<std::mutex> lock(c.picture.mutex);
  TurtleState& t = c.turtle;
  t.penUp = false;
  t.turtleHidden = false;
  t.penColour = 0;
  t.penWidth = 1;
  t.brushStyle = bsSolid;
  t.brushColour = 0;
  c.drawArgs.pixelColourIndex = 0;
}

TurtleState TurtleSnapshot(InterpreterContext& c) {
  std::lock_guard<std::mutex> lock(c.picture.mutex);
  return c.turtle;
}

PictureStep::PictureStep(InterpreterContext& c)
    : turtle(c.turtle), canvas(c.picture.canvas), picture(c.picture), lock_(c.picture.mutex) {}

PictureStep::~PictureStep() {
  picture.changes.fetch_add(1, std::memory_order_relaxed);
}

}  // namespace zamiro
