// Motion and pen statements: each erases the cursor, moves the canvas pen, changes the turtle,
// draws its line and redraws the cursor, in that order, each step under the picture's lock.
// Arguments are evaluated outside the lock, since they may call procedures that draw.
#include <cmath>

#include "lexer/lexer.h"
#include "turtle/picture.h"
#include "turtle/turtle_commands.h"
#include "values/values.h"

namespace zamiro {
namespace {

constexpr double kAnglePi = 3.14159265358979;  // the decimal literal headings have always used

double Radians(double degrees) {
  return degrees * kAnglePi * (1.0 / 180);
}

double Argument(InterpreterContext& c) {
  return EvalExpression(c).re;
}

// Erases the cursor when it is on the picture, or draws it back after a change.
void CursorIfShown(PictureStep& s) {
  if (!s.turtle.turtleHidden) DrawTurtleCursor(s.turtle, s.canvas);
}

void MovePenToTurtle(PictureStep& s) {
  s.canvas.MoveTo(s.turtle.turtleX, s.turtle.turtleY);
}

// The end of every move: a line in the turtle's pen, or just the pen moved when it is up.
void LineOrMoveToTurtle(PictureStep& s) {
  if (s.turtle.penUp) {
    MovePenToTurtle(s);
    return;
  }
  s.canvas.SetPenColour(s.turtle.penColour);
  s.canvas.SetPenWidth(s.turtle.penWidth);
  s.canvas.LineTo(s.turtle.turtleX, s.turtle.turtleY);
}

// A whole move: erase, pen to the turtle, place the turtle, line or move, redraw.
template <class Place>
void Move(InterpreterContext& c, Place place) {
  PictureStep s(c);
  CursorIfShown(s);
  MovePenToTurtle(s);
  place(s.turtle);
  LineOrMoveToTurtle(s);
  CursorIfShown(s);
}

template <class Change>
void Turn(InterpreterContext& c, Change change) {
  PictureStep s(c);
  CursorIfShown(s);
  change(s.turtle);
  CursorIfShown(s);
}

void GoHome(TurtleState& t) {
  t.turtleX = t.centreX;
  t.turtleY = t.centreY;
  t.turtleHeading = 0;
}

}  // namespace

void ForwardStatement(InterpreterContext& c, bool back) {
  NextToken(c);
  const double d = back ? -Argument(c) : Argument(c);
  Move(c, [d](TurtleState& t) {
    const double h = Radians(t.turtleHeading);
    t.turtleX = t.turtleX + d * std::sin(h);
    t.turtleY = t.turtleY - d * std::cos(h);
  });
}

// The cursor is erased before the angle is read, so an error in it leaves the cursor off the
// picture while the turtle counts as shown; the next erase draws it back as a stray image.
void TurnStatement(InterpreterContext& c, bool left) {
  if (!c.turtle.turtleHidden) {  // only this thread changes it
    PictureStep s(c);
    CursorIfShown(s);
  }
  NextToken(c);
  const double a = Argument(c);
  PictureStep s(c);
  s.turtle.turtleHeading = left ? s.turtle.turtleHeading - a : s.turtle.turtleHeading + a;
  CursorIfShown(s);
}

void SetHeadingStatement(InterpreterContext& c) {
  NextToken(c);
  const double a = Argument(c);
  Turn(c, [a](TurtleState& t) { t.turtleHeading = a; });
}

void SetXStatement(InterpreterContext& c) {
  NextToken(c);
  const double x = Argument(c);
  Move(c, [x](TurtleState& t) { t.turtleX = t.centreX + x; });
}

void SetYStatement(InterpreterContext& c) {
  NextToken(c);
  const double y = Argument(c);
  Move(c, [y](TurtleState& t) { t.turtleY = t.centreY - y; });
}

// x is placed before y is read: an error in y leaves the cursor erased and x moved.
void SetXYStatement(InterpreterContext& c) {
  NextToken(c);
  const double x = Argument(c);
  {
    PictureStep s(c);
    CursorIfShown(s);
    MovePenToTurtle(s);
    s.turtle.turtleX = s.turtle.centreX + x;
  }
  const double y = Argument(c);
  PictureStep s(c);
  s.turtle.turtleY = s.turtle.centreY - y;
  LineOrMoveToTurtle(s);
  CursorIfShown(s);
}

void HomeStatement(InterpreterContext& c) {
  Turn(c, GoHome);
  NextToken(c);
}

// The picture is wiped with a white, solid brush outlined by the pen as it stands, and the
// brush stays white and solid for later fills until setbc or setbs.
void ClearScreenStatement(InterpreterContext& c) {
  {
    PictureStep s(c);
    s.canvas.SetBrushColour(kWhite);
    s.canvas.SetBrushStyle(bsSolid);
    s.canvas.Rectangle(0, 0, s.picture.imageWidth, s.picture.imageHeight);
    GoHome(s.turtle);
    CursorIfShown(s);
  }
  NextToken(c);
}

void HideTurtleStatement(InterpreterContext& c) {
  if (!c.turtle.turtleHidden) {
    PictureStep s(c);
    DrawTurtleCursor(s.turtle, s.canvas);
    s.turtle.turtleHidden = true;
  }
  NextToken(c);
}

void ShowTurtleStatement(InterpreterContext& c) {
  if (c.turtle.turtleHidden) {
    PictureStep s(c);
    DrawTurtleCursor(s.turtle, s.canvas);
    s.turtle.turtleHidden = false;
  }
  NextToken(c);
}

void PenStatement(InterpreterContext& c, bool up) {
  NextToken(c);
  std::lock_guard<std::mutex> lock(c.picture.mutex);
  c.turtle.penUp = up;
}

}  // namespace zamiro
