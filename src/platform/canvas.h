// The picture's canvas: a 32-bit RGB bitmap with a pen and a brush, drawn without
// antialiasing, keeping the conventions of the desktop canvases Logo pictures were made on:
//
// - A line includes its start pixel and excludes its end pixel, so a polyline touches each
//   joint once.
// - A box (X1, Y1, X2, Y2) excludes its right and bottom edge: Rectangle(0, 0, 10, 10)
//   outlines columns and rows 0 to 9. Rectangle, Ellipse, Chord and Arc order their corners;
//   FillRect does not (an inverted box is filled from the second corner + 1 up to the first).
// - An ellipse is inscribed in its box. Chord and Arc run counterclockwise on the screen
//   from the ray through their first point to the ray through the second; when both rays
//   point the same way, Arc draws the whole ellipse.
// - Filled figures (Rectangle, Ellipse, Chord, Polygon) outline with the pen and fill the
//   inside with the brush. With a one-pixel pen every pixel of a figure is touched once, by
//   the pen or by the brush; a wider pen is laid over the brush's inside.
// - Pen mode pmXor combines the pen's strokes and the brush's fill with the picture by
//   bitwise exclusive-or, so drawing the same figure twice restores every pixel. FillRect and
//   SetPixel always replace pixels, whatever the mode.
// - A pen of width 1 or less draws one-pixel lines; a wider pen has round ends and joins. A
//   negative width is ignored. Widths beyond kMaxDrawnPenWidth are drawn that wide.
// - The brush: setting its colour while it is clear makes it solid; making it clear makes
//   its colour white. Hatch styles paint 8x8 patterns aligned to the bitmap's origin in the
//   brush colour and leave the pixels between the lines as they were.
//
// Coordinates are canvas pixels (origin top left, y downward) given as doubles and truncated
// toward zero when drawn. Any double is accepted: NaN counts as 0, lines are clipped to the
// bitmap in floating point (so far-away points keep the line's direction), and the corners
// of other figures are clamped to +-kCoordLimit.
//
// Exclusive-or figures (the turtle cursor) may be drawn late: a figure drawn again at the
// same place with the same brush while its first drawing still waits cancels it, so a cursor
// erased and redrawn around every move costs nothing. Whatever reads or draws on the bitmap
// first applies a waiting figure (MakeCurrent), so the bitmap is, whenever anyone looks, the
// one that drawing everything at once would give.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

class QImage;
class QPointF;

namespace zamiro {

// Pen modes, by the platform's numbers.
enum TPenMode : uint8_t { pmCopy = 4, pmXor = 14 };

// Brush styles, by the platform's numbers.
enum TBrushStyle : uint8_t {
  bsSolid = 0,
  bsClear = 1,
  bsHorizontal = 2,
  bsVertical = 3,
  bsFDiagonal = 4,  // lines falling from left to right
  bsBDiagonal = 5,  // lines rising from left to right
  bsCross = 6,
  bsDiagCross = 7,
};

struct CanvasPoint {
  double x = 0;
  double y = 0;
};

constexpr uint32_t kWhite = 0xFFFFFF;
// Corners of figures other than lines are clamped to this distance from the origin.
constexpr double kCoordLimit = 1 << 21;
// The widest pen that is drawn: wider pens draw 255 pixels wide (the width the turtle keeps,
// and pw reports, stays as set). A wide line costs its length times the width plus a round
// end, and a figure's outline a round end per segment (a few hundred for a large ellipse), so
// the bound keeps every line and figure to milliseconds, also on large pictures.
constexpr int kMaxDrawnPenWidth = 255;

// True when the hatch of `style` covers pixel (x, y) (always for bsSolid, never for bsClear).
bool HatchCovers(TBrushStyle style, int x, int y);

// The pixels a small figure covers within the square of kSide pixels whose top-left corner
// is (x - kSide / 2, y - kSide / 2): bit i of rows[j] is pixel (x - kSide / 2 + i,
// y - kSide / 2 + j).
struct XorMask {
  static constexpr int kSide = 32;
  uint32_t rows[kSide] = {};
};

class Canvas;

// A small figure combined with the bitmap by exclusive-or with the brush: where it is (whole
// pixels), which way it turns, and two routines: `draw` draws it with the canvas's own
// operations, touching nothing outside its XorMask square; `cover` says which pixels of the
// square `draw` changes when the square lies wholly on the bitmap. Near an edge the figure is
// the part of its cover that lies on the bitmap (`draw` may differ there by a pixel where the
// painter clips). Equal figures cover equal pixels.
struct XorFigure {
  double x = 0;
  double y = 0;
  double turn = 0;
  void (*cover)(const XorFigure& figure, XorMask* mask) = nullptr;
  void (*draw)(const XorFigure& figure, Canvas& canvas) = nullptr;

  bool operator==(const XorFigure& o) const {
    return x == o.x && y == o.y && turn == o.turn && cover == o.cover && draw == o.draw;
  }
};

// How ToggleXorFigure draws: late when it can (the normal way), at once, or at once by the
// figure's `draw` routine. The last two are for checking the first against.
enum class XorDrawing : uint8_t { kDeferred, kAtOnce, kByDrawing };

class Canvas {
 public:
  Canvas();
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  // The bitmap, made current. A fresh canvas is 0x0 and draws nothing.
  const QImage& Image() const;
  int Width() const;
  int Height() const;
  // Resizes the bitmap, keeping the pixels at their positions (cropped when it shrinks) and
  // filling the new area with the brush over white. A size that cannot be allocated leaves a
  // 0x0 bitmap.
  void SetSize(int width, int height);

  // Colours are 0x00BBGGRR (red in the low byte).
  uint32_t PenColour() const { return penColour_; }
  void SetPenColour(uint32_t colour) { penColour_ = colour & kWhite; }
  int PenWidth() const { return penWidth_; }
  void SetPenWidth(int width);
  TPenMode PenMode() const { return penMode_; }
  void SetPenMode(TPenMode mode) { penMode_ = mode; }
  uint32_t BrushColour() const { return brushColour_; }
  void SetBrushColour(uint32_t colour);
  TBrushStyle BrushStyle() const { return brushStyle_; }
  void SetBrushStyle(TBrushStyle style);

  // The pen position that LineTo starts from.
  CanvasPoint PenPos() const { return penPos_; }
  void MoveTo(double x, double y);
  void LineTo(double x, double y);
  void Rectangle(double x1, double y1, double x2, double y2);
  void Ellipse(double x1, double y1, double x2, double y2);
  void Chord(double x1, double y1, double x2, double y2, double x3, double y3, double x4,
             double y4);
  void Arc(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4);
  // Fewer than two points draw nothing.
  void Polyline(const CanvasPoint* points, size_t count);
  void Polygon(const CanvasPoint* points, size_t count);
  void FillRect(double x1, double y1, double x2, double y2);
  void SetPixel(double x, double y, uint32_t colour);
  // The colour of a pixel; 0 outside the bitmap.
  uint32_t Pixel(int x, int y) const;
  // Draws `picture` scaled into the box, without smoothing.
  void StretchDraw(double x1, double y1, double x2, double y2, const QImage& picture);

  // Draws `figure` with the brush by exclusive-or: each pixel of its cover on the bitmap where
  // the brush's hatch covers it becomes pixel ^ brush colour, so drawing it twice restores
  // every pixel; the pen plays no part. The drawing may wait (see the top of this file).
  void ToggleXorFigure(const XorFigure& figure);
  // Applies a waiting exclusive-or figure. Const because no one can tell the difference:
  // Image, Pixel and every drawing call it first. Callers share the bitmap's lock.
  void MakeCurrent() const;
  void SetXorDrawing(XorDrawing how) { xorDrawing_ = how; }

 private:
  enum class Figure { kRectangle, kEllipse, kChord, kArc, kPolygon };
  struct FigureSpec;
  void DrawFigure(const FigureSpec& f);
  struct Rows {
    unsigned char* base;
    ptrdiff_t bytesPerLine;
    uint32_t* Row(int y) const { return reinterpret_cast<uint32_t*>(base + y * bytesPerLine); }
  };
  // Const for MakeCurrent's sake: the bitmap is held by pointer.
  Rows WritableRows() const;
  // A cleared mask of at least the size, kept from figure to figure.
  QImage* Scratch(int width, int height);
  void ApplyMask(const QImage& mask, int width, int height, int left, int top);
  void DrawSegments(const CanvasPoint* points, size_t count);
  void ThinLine(QPointF a, QPointF b);
  void Step(int64_t x0, int64_t y0, int64_t x1, int64_t y1);
  // A figure with the brush and pen width it was drawn with (the width can move the
  // painter's pixels of `draw`).
  struct WaitingFigure {
    XorFigure figure;
    uint32_t brushColour;
    TBrushStyle brushStyle;
    int penWidth;
    bool operator==(const WaitingFigure& o) const {
      return figure == o.figure && brushColour == o.brushColour && brushStyle == o.brushStyle &&
             penWidth == o.penWidth;
    }
  };
  void ApplyXorFigure(const WaitingFigure& w);
  bool SquareCovered(const XorFigure& f, bool* onBitmap) const;
  void DrawXorFigureAsDrawn(const WaitingFigure& w);

  std::unique_ptr<QImage> image_;
  std::unique_ptr<QImage> scratch_;  // where figures are drawn before they are applied
  uint32_t penColour_ = 0;
  int penWidth_ = 1;
  TPenMode penMode_ = pmCopy;
  uint32_t brushColour_ = kWhite;
  TBrushStyle brushStyle_ = bsSolid;
  CanvasPoint penPos_;
  XorDrawing xorDrawing_ = XorDrawing::kDeferred;
  mutable std::optional<WaitingFigure> waiting_;  // drawn but not yet on the bitmap
};

}  // namespace zamiro
