// The picture the turtle draws on, and what the window does with it.
//
// The picture belongs to the interpreter: its thread draws straight into the bitmap while it
// executes graphics statements. Every access to the bitmap, the canvas and the interpreter's
// TurtleState from another thread holds `Picture::mutex`, and the interpreter holds it for
// every drawing step and every change of the TurtleState. (The interpreter reads the pen,
// fill and visibility fields, which only it writes, without the lock.)
//
// For the window (all on its own thread):
// - Repaint: when `picture.changes` differs from the value last shown, lock
//   `picture.mutex` and paint `picture.canvas.Image()` 1:1 from its top-left corner (or copy
//   it under the lock and paint the copy). Never hold the lock while waiting for the
//   interpreter: it needs the same lock to go on. Image() first applies a cursor drawing
//   that the canvas held back (Canvas::MakeCurrent), so it is the whole picture.
// - Print and save: lock, copy or draw the image, unlock.
// - Show and resize: call FormShow and FormResize (they lock for themselves).
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "platform/canvas.h"
#include "turtle/turtle_state.h"

namespace zamiro {

struct InterpreterContext;

struct Picture {
  std::mutex mutex;     // guards the canvas, the sizes and InterpreterContext::turtle
  Canvas canvas;        // the bitmap: the panel's size
  int imageWidth = 0;   // the shown image, the panel less its bevel: the centre, and what
  int imageHeight = 0;  // cs clears
  std::atomic<uint64_t> changes{0};  // grows with every drawing step; read without the lock
};

// The window appeared: centre, position and heading from the shown image's size (centre =
// size div 2, the turtle at home facing up). Draws nothing.
void FormShow(InterpreterContext& c, int imageWidth, int imageHeight);

// The picture pane changed size: the bitmap takes the panel's size keeping its pixels (new
// pixels get the canvas's brush), the turtle goes home at the centre of the image facing up,
// and its cursor is drawn there unless it is hidden. The cursor drawn before is not erased:
// it stays behind as a stray image. The image is the panel less its one-pixel bevel, so
// panel - 2 in each direction.
void FormResize(InterpreterContext& c, int panelWidth, int panelHeight, int imageWidth,
                int imageHeight);

// Draws the turtle cursor into the canvas with an exclusive-or pen, so a second call with
// the same state and brush erases it. The caller holds the picture's lock. The canvas may
// hold the drawing back (an erase right after a draw then costs nothing); it applies it
// before anyone reads or draws on the bitmap (Canvas::MakeCurrent).
void DrawTurtleCursor(const TurtleState& t, Canvas& canvas);

// The turtle's pen and fill settings and put's colour number as the interpreter starts them.
void ResetTurtlePen(InterpreterContext& c);

// A consistent copy of the TurtleState, for the turtle queries.
TurtleState TurtleSnapshot(InterpreterContext& c);

// Holds the picture's lock for one drawing step of the interpreter and counts the step when
// it ends.
class PictureStep {
 public:
  explicit PictureStep(InterpreterContext& c);
  ~PictureStep();
  PictureStep(const PictureStep&) = delete;
  PictureStep& operator=(const PictureStep&) = delete;

  TurtleState& turtle;
  Canvas& canvas;
  Picture& picture;

 private:
  std::lock_guard<std::mutex> lock_;
};

}  // namespace zamiro
