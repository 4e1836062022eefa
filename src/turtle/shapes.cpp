// Colours, pen width, fill and the figures that leave the turtle where it is. Each figure
// keeps its arguments in DrawArgs as it reads them and is drawn in one step under the
// picture's lock; the pen is the canvas's as it stands (the width of the last turtle line).
#include <cmath>
#include <cstring>
#include <new>

#include "interp/errors.h"
#include "interp/texts.h"
#include "lexer/lexer.h"
#include "turtle/picture.h"
#include "turtle/turtle_commands.h"
#include "values/values.h"

namespace zamiro {
namespace {

double Argument(InterpreterContext& c) {
  return EvalExpression(c).re;
}

// Canvas coordinates of user coordinates, from the centre as it stands now.
double CanvasX(InterpreterContext& c, double x) {
  std::lock_guard<std::mutex> lock(c.picture.mutex);
  return c.turtle.centreX + x;
}

double CanvasY(InterpreterContext& c, double y) {
  std::lock_guard<std::mutex> lock(c.picture.mutex);
  return c.turtle.centreY - y;
}

// setbs numbers in the platform's brush-style order, which differs at 4, 5 and 6.
TBrushStyle BrushStyleOfNumber(uint32_t number) {
  constexpr TBrushStyle kStyles[8] = {bsSolid, bsClear,     bsHorizontal, bsVertical,
                                      bsCross, bsFDiagonal, bsBDiagonal,  bsDiagCross};
  return number < 8 ? kStyles[number] : bsSolid;
}

void DrawShape(Canvas& k, const DrawArgs& a, Shape shape) {
  switch (shape) {
    case Shape::kLine:
      k.MoveTo(a.shapeX1, a.shapeY1);
      k.LineTo(a.shapeX2, a.shapeY2);
      return;
    case Shape::kRectangle: {
      const double l = std::trunc(std::fmin(a.shapeX1, a.shapeX2));
      const double r = std::trunc(std::fmax(a.shapeX1, a.shapeX2));
      const double t = std::trunc(std::fmin(a.shapeY1, a.shapeY2));
      const double b = std::trunc(std::fmax(a.shapeY1, a.shapeY2));
      const CanvasPoint outline[5] = {{l, b}, {l, t}, {r, t}, {r, b}, {l, b}};
      k.Polyline(outline, 5);
      return;
    }
    case Shape::kFillRect:
      k.FillRect(a.shapeX1, a.shapeY1, a.shapeX2, a.shapeY2);
      return;
    case Shape::kFillEllipse:
      k.Ellipse(a.shapeX1, a.shapeY1, a.shapeX2, a.shapeY2);
      return;
    case Shape::kEllipse: {
      // Both rays through the same point: the whole ellipse.
      const double m = std::trunc((a.shapeY1 + a.shapeY2) * 0.5);
      k.Arc(a.shapeX1, a.shapeY1, a.shapeX2, a.shapeY2, a.shapeX2, m, a.shapeX2, m);
      return;
    }
  }
}

// The array of polyline and polygon: "&" and a variable's name.
TVarList& ArrayArgument(InterpreterContext& c) {
  if (CompareNoCase(c.tok.tokText, "&") != 0) {
    ReportErrorAndAbort(c, T().msgArrayNeeded, T().capIgnore);
  }
  NextToken(c);
  TVarList* v = FindLocal(c, c.tok.tokText);
  if (v == nullptr) v = FindGlobal(c, c.tok.tokText);
  if (v == nullptr) ReportErrorAndAbort(c, T().msgNewArray, T().capIgnore);
  return *v;
}

// Points are taken from the array's elements, so the count must lie within it.
void CheckPointCount(InterpreterContext& c, double count, uint32_t size) {
  if (count >= 0 && count <= size) return;
  AbortWithText(c,
                Format(T().msgCountOutOfRange.c_str(), c.sourceName, c.lex.lineNo, c.lex.column,
                       FormatGeneral15(count).c_str(), static_cast<int>(size)),
                T().capIgnore);
}

// One point per element, x in the real part and y in the imaginary part, truncated here;
// the last entry repeats the first.
void BuildPolyPoints(InterpreterContext& c, TVarList& array, int32_t count) {
  double cx, cy;
  {
    std::lock_guard<std::mutex> lock(c.picture.mutex);
    cx = c.turtle.centreX;
    cy = c.turtle.centreY;
  }
  std::vector<CanvasPoint>& points = c.drawArgs.polyPoints;
  try {
    points.assign(static_cast<size_t>(count) + 1, CanvasPoint{});
  } catch (const std::bad_alloc&) {
    ReportErrorAndAbort(c, T().msgNoMemory, T().capError);
  }
  for (int32_t i = 0; i < count; ++i) {
    const Complex e = ElementAt(array, static_cast<uint32_t>(i));
    points[static_cast<size_t>(i)] = {std::trunc(cx + e.re), std::trunc(cy - e.im)};
  }
  points[static_cast<size_t>(count)] = points[0];
}

}  // namespace

void SetPenColourStatement(InterpreterContext& c) {
  NextToken(c);
  uint32_t colour = 0;
  bool named = false;
  for (int i = 0; i < 16 && !named; ++i) {
    if (std::strcmp(c.tok.tokText, T().colourNames[i].c_str()) == 0) {
      NextToken(c);
      colour = StandardColours[i];
      named = true;
    }
  }
  if (!named) colour = ColourOfNumber(ColourNumber(Argument(c)));
  PictureStep s(c);
  s.turtle.penColour = colour;
  s.canvas.SetPenColour(colour);
}

// The width reaches the canvas with the next turtle line.
void SetPenWidthStatement(InterpreterContext& c) {
  NextToken(c);
  int32_t width = 0;
  if (!ToInt32(Argument(c), &width)) ReportErrorAndAbort(c, T().msgIntRange, T().capIgnore);
  std::lock_guard<std::mutex> lock(c.picture.mutex);
  c.turtle.penWidth = width;
}

void SetBrushColourStatement(InterpreterContext& c) {
  NextToken(c);
  const uint32_t colour = ColourOfNumber(ColourNumber(Argument(c)));
  PictureStep s(c);
  s.turtle.brushColour = colour;
  s.canvas.SetBrushColour(colour);
}

void SetBrushStyleStatement(InterpreterContext& c) {
  NextToken(c);
  const TBrushStyle style = BrushStyleOfNumber(ColourNumber(Argument(c)));
  PictureStep s(c);
  s.turtle.brushStyle = style;
  s.canvas.SetBrushColour(s.turtle.brushColour);
  s.canvas.SetBrushStyle(style);
}

void ShapeStatement(InterpreterContext& c, Shape shape) {
  NextToken(c);
  DrawArgs& a = c.drawArgs;
  a.shapeX1 = CanvasX(c, Argument(c));
  a.shapeY1 = CanvasY(c, Argument(c));
  a.shapeX2 = CanvasX(c, Argument(c));
  a.shapeY2 = CanvasY(c, Argument(c));
  PictureStep s(c);
  DrawShape(s.canvas, a, shape);
}

void PutStatement(InterpreterContext& c) {
  NextToken(c);
  DrawArgs& a = c.drawArgs;
  a.pixelX = CanvasX(c, Argument(c));
  a.pixelY = CanvasY(c, Argument(c));
  a.pixelColourIndex = ColourNumber(Argument(c));
  PictureStep s(c);
  s.canvas.SetPixel(a.pixelX, a.pixelY, ColourOfNumber(a.pixelColourIndex));
}

void PolyStatement(InterpreterContext& c, bool polygon) {
  NextToken(c);
  const double count = std::trunc(Argument(c));
  int32_t n = 0;
  if (ToInt32(count, &n)) c.drawArgs.polyCount = n;
  TVarList& array = ArrayArgument(c);
  CheckPointCount(c, count, ElementCount(array));
  NextToken(c);
  BuildPolyPoints(c, array, n);
  {
    PictureStep s(c);
    const std::vector<CanvasPoint>& points = c.drawArgs.polyPoints;
    if (polygon) {
      s.canvas.Polygon(points.data(), points.size());
    } else {
      s.canvas.Polyline(points.data(), static_cast<size_t>(n));
    }
  }
  std::vector<CanvasPoint>().swap(c.drawArgs.polyPoints);  // released after drawing
}

}  // namespace zamiro
