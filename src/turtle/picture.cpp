#include "turtle/picture.h"

#include <cmath>

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
  const double x = std::trunc(t.turtleX), y = std::trunc(t.turtleY);
  const double h = std::trunc(t.turtleHeading);
  const double wingRx = CursorDx(h + 80, 12), wingRy = CursorDy(h + 80, 12);
  const double wingLx = CursorDx(h - 80, 12), wingLy = CursorDy(h - 80, 12);
  const double eyeRx = CursorDx(h + 35, 7), eyeRy = CursorDy(h + 35, 7);
  const double eyeLx = CursorDx(h - 35, 7), eyeLy = CursorDy(h - 35, 7);
  const TPenMode mode = canvas.PenMode();
  const uint32_t colour = canvas.PenColour();
  canvas.SetPenMode(pmXor);
  canvas.SetPenColour(0);
  canvas.Ellipse(x - 12, y - 12, x + 12, y + 12);
  canvas.Chord(x - 11, y - 11, x + 11, y + 11, x + wingRx, y - wingRy, x + wingLx, y - wingLy);
  canvas.Ellipse(x + eyeRx - 4, y - eyeRy - 4, x + eyeRx + 4, y - eyeRy + 4);
  canvas.Ellipse(x + eyeLx - 4, y - eyeLy - 4, x + eyeLx + 4, y - eyeLy + 4);
  canvas.SetPenMode(mode);
  canvas.SetPenColour(colour);
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
