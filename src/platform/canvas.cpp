#include "platform/canvas.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <algorithm>
#include <cmath>

namespace zamiro {
namespace {

// Far enough for any picture, near enough that differences of two values stay finite.
constexpr double kFar = 1e300;
constexpr double kDegrees = 180 / 3.14159265358979323846;

// A coordinate as the canvas uses it: truncated toward zero, NaN as 0, finite.
double Whole(double v) {
  if (std::isnan(v)) return 0;
  return std::trunc(std::clamp(v, -kFar, kFar));
}

double Clamped(double v) {
  return std::clamp(Whole(v), -kCoordLimit, kCoordLimit);
}

int ClampedInt(double v) {
  return static_cast<int>(Clamped(v));
}

QRgb ToRgb(uint32_t colour) {
  return qRgb(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

uint32_t FromRgb(QRgb rgb) {
  return static_cast<uint32_t>(qRed(rgb)) | static_cast<uint32_t>(qGreen(rgb)) << 8 |
         static_cast<uint32_t>(qBlue(rgb)) << 16;
}

// Liang-Barsky: clips the segment to the square of +-kCoordLimit; false when nothing is left.
bool ClipToLimit(QPointF& p, QPointF& q) {
  double t0 = 0, t1 = 1;
  const double dx = q.x() - p.x(), dy = q.y() - p.y();
  const double edges[4][2] = {{-dx, p.x() + kCoordLimit},
                              {dx, kCoordLimit - p.x()},
                              {-dy, p.y() + kCoordLimit},
                              {dy, kCoordLimit - p.y()}};
  for (const auto& e : edges) {
    if (e[0] == 0) {
      if (e[1] < 0) return false;
      continue;
    }
    double t = e[1] / e[0];
    if (e[0] < 0) {
      t0 = std::max(t0, t);
    } else {
      t1 = std::min(t1, t);
    }
    if (t0 > t1) return false;
  }
  const QPointF a = p;
  p = QPointF(a.x() + t0 * dx, a.y() + t0 * dy);
  q = QPointF(a.x() + t1 * dx, a.y() + t1 * dy);
  return true;
}

bool InsideLimit(const QPointF& p) {
  return std::fabs(p.x()) <= kCoordLimit && std::fabs(p.y()) <= kCoordLimit;
}

// The pen as it is drawn: one pixel without its end point, or wide with round ends.
QPen DrawnPen(QColor colour, int width) {
  QPen pen(colour);
  if (width <= 1) {
    pen.setWidth(1);
    pen.setCapStyle(Qt::FlatCap);
  } else {
    pen.setWidth(std::min(width, kMaxDrawnPenWidth));
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
  }
  return pen;
}

// Mask colours: the brush marks the blue channel, the pen the green one.
constexpr QRgb kMaskBrush = 0xFF0000FF;
constexpr QRgb kMaskPen = 0xFF00FF00;

// One inclusive-exclusive span of FillRect along one axis, as the platform's block fill
// takes a negative extent: from the second corner + 1 up to the first + 1.
void FillSpan(double a, double b, double* lo, double* hi) {
  if (b >= a) {
    *lo = a;
    *hi = b;
  } else {
    *lo = b + 1;
    *hi = a + 1;
  }
}

}  // namespace

namespace {

// Whether the hatch of `style` covers (x, y), by its definition: 8x8 tiles from the origin.
bool HatchRule(int style, int x, int y) {
  const bool horizontal = (y & 7) == 3;
  const bool vertical = (x & 7) == 4;
  const bool falling = ((x - y) & 7) == 0;
  const bool rising = ((x + y) & 7) == 7;
  switch (style) {
    case bsClear:
      return false;
    case bsHorizontal:
      return horizontal;
    case bsVertical:
      return vertical;
    case bsFDiagonal:
      return falling;
    case bsBDiagonal:
      return rising;
    case bsCross:
      return horizontal || vertical;
    case bsDiagCross:
      return falling || rising;
    default:
      return true;
  }
}

// One row of a hatch: bit i covers the columns that are i modulo 8. Tabled, as every figure
// asks for every row.
unsigned HatchRow(TBrushStyle style, int y) {
  struct Table {
    uint8_t rows[8][8] = {};
    Table() {
      for (int s = 0; s < 8; ++s) {
        for (int r = 0; r < 8; ++r) {
          for (int i = 0; i < 8; ++i) rows[s][r] |= HatchRule(s, i, r) ? 1 << i : 0;
        }
      }
    }
  };
  static const Table table;
  return style < 8 ? table.rows[style][y & 7] : 0xFF;
}

}  // namespace

bool HatchCovers(TBrushStyle style, int x, int y) {
  return ((HatchRow(style, y) >> (x & 7)) & 1) != 0;
}

// What a filled figure is: its kind, its box (corners ordered, clamped) or points, and the
// rays of a chord or arc.
struct Canvas::FigureSpec {
  explicit FigureSpec(Figure k) : kind(k) {}
  // A figure in a box, corners ordered.
  FigureSpec(Figure k, double x1, double y1, double x2, double y2) : kind(k) {
    left = std::min(Clamped(x1), Clamped(x2));
    right = std::max(Clamped(x1), Clamped(x2));
    top = std::min(Clamped(y1), Clamped(y2));
    bottom = std::max(Clamped(y1), Clamped(y2));
  }

  Figure kind;
  double left = 0, top = 0, right = 0, bottom = 0;
  double startDegrees = 0, spanDegrees = 360;
  QPolygonF points;
  bool filled = true;

  QRect Box() const {
    return QRect(static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left) - 1,
                 static_cast<int>(bottom - top) - 1);
  }
  void Draw(QPainter& p) const;
  QPainterPath Outline() const;
};

void Canvas::FigureSpec::Draw(QPainter& p) const {
  const QRectF box(Box());
  switch (kind) {
    case Figure::kRectangle:
      p.drawRect(Box());
      return;
    case Figure::kEllipse:
      p.drawEllipse(Box());
      return;
    case Figure::kPolygon:
      p.drawPolygon(points, Qt::OddEvenFill);
      return;
    case Figure::kChord:
    case Figure::kArc: {
      if (spanDegrees >= 360) {
        p.drawEllipse(Box());
        return;
      }
      QPainterPath path;
      path.arcMoveTo(box, startDegrees);
      path.arcTo(box, startDegrees, spanDegrees);
      if (kind == Figure::kChord) path.closeSubpath();
      p.drawPath(path);
      return;
    }
  }
}

QPainterPath Canvas::FigureSpec::Outline() const {
  const QRectF box(Box());
  QPainterPath path;
  switch (kind) {
    case Figure::kRectangle:
      path.addRect(box);
      break;
    case Figure::kEllipse:
      path.addEllipse(box);
      break;
    case Figure::kPolygon:
      path.addPolygon(points);
      path.closeSubpath();
      break;
    case Figure::kChord:
    case Figure::kArc:
      if (spanDegrees >= 360) {
        path.addEllipse(box);
        break;
      }
      path.arcMoveTo(box, startDegrees);
      path.arcTo(box, startDegrees, spanDegrees);
      if (kind == Figure::kChord) path.closeSubpath();
      break;
  }
  return path;
}

namespace {

double DistanceToSegment(QPointF p, QPointF a, QPointF b) {
  const QPointF d = b - a;
  const double length2 = QPointF::dotProduct(d, d);
  const double t =
      length2 > 0 ? std::clamp(QPointF::dotProduct(p - a, d) / length2, 0.0, 1.0) : 0.0;
  const QPointF off = p - (a + t * d);
  return std::hypot(off.x(), off.y());
}

// True when the pen's disc swept along a to b covers the whole box.
bool Covers(QPointF a, QPointF b, const QRectF& box, double radius) {
  for (QPointF corner : {box.topLeft(), box.topRight(), box.bottomLeft(), box.bottomRight()}) {
    if (DistanceToSegment(corner, a, b) > radius) return false;
  }
  return true;
}

// A wide pen sweeps a disc along the outline, so the outline is drawn as round-ended segments
// one by one: the painter's own wide outlines leave the middle of a small figure empty.
// Segments too far away are skipped, and one that covers everything ends the work.
void StrokeWide(QPainter& p, const QPainterPath& outline, const QRectF& visible, int width) {
  const double reach = width / 2.0 + 1;
  for (const QPolygonF& part : outline.toSubpathPolygons()) {
    for (int i = 1; i < part.size(); ++i) {
      const QPointF a = part[i - 1], b = part[i];
      const bool near = std::max(a.x(), b.x()) + reach >= visible.left() &&
                        std::min(a.x(), b.x()) - reach <= visible.right() &&
                        std::max(a.y(), b.y()) + reach >= visible.top() &&
                        std::min(a.y(), b.y()) - reach <= visible.bottom();
      if (!near) continue;
      p.drawLine(a, b);
      if (Covers(a, b, visible, width / 2.0 - 2)) return;
    }
  }
}

}  // namespace

Canvas::Canvas() : image_(std::make_unique<QImage>()), scratch_(std::make_unique<QImage>()) {}

Canvas::~Canvas() = default;

const QImage& Canvas::Image() const {
  MakeCurrent();
  return *image_;
}

int Canvas::Width() const {
  return image_->width();
}

int Canvas::Height() const {
  return image_->height();
}

// The bitmap's rows for one drawing operation: taking them copies the bitmap first if the
// window holds a copy of it, once rather than for every row.
Canvas::Rows Canvas::WritableRows() const {
  return {image_->bits(), static_cast<ptrdiff_t>(image_->bytesPerLine())};
}

void Canvas::SetSize(int width, int height) {
  MakeCurrent();  // a waiting cursor stays on the old pixels
  if (width <= 0 || height <= 0) {
    *image_ = QImage();
    return;
  }
  QImage next(width, height, QImage::Format_RGB32);
  if (next.isNull()) {
    *image_ = QImage();
    return;
  }
  next.fill(qRgb(255, 255, 255));
  std::swap(*image_, next);
  FillRect(0, 0, width, height);
  if (!next.isNull()) {
    QPainter p(image_.get());
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(0, 0, next);
  }
}

void Canvas::SetPenWidth(int width) {
  if (width >= 0) penWidth_ = width;
}

void Canvas::SetBrushColour(uint32_t colour) {
  brushColour_ = colour & kWhite;
  if (brushStyle_ == bsClear) brushStyle_ = bsSolid;
}

void Canvas::SetBrushStyle(TBrushStyle style) {
  brushStyle_ = style;
  if (style == bsClear) brushColour_ = kWhite;
}

void Canvas::MoveTo(double x, double y) {
  penPos_ = {Whole(x), Whole(y)};
}

void Canvas::LineTo(double x, double y) {
  const CanvasPoint ends[2] = {penPos_, {Whole(x), Whole(y)}};
  if (penWidth_ <= 1) {  // the turtle's usual line, without the polyline's set-up
    MakeCurrent();
    if (!image_->isNull()) ThinLine(QPointF(ends[0].x, ends[0].y), QPointF(ends[1].x, ends[1].y));
  } else {
    DrawSegments(ends, 2);
  }
  penPos_ = ends[1];
}

// One-pixel lines are stepped here rather than by the painter, whose one-pixel lines leave
// out the last pixel in its own drawing order, which is the start of some lines.
void Canvas::ThinLine(QPointF a, QPointF b) {
  if (InsideLimit(a) && InsideLimit(b)) {
    // Whole coordinates already: no rounding needed.
    Step(static_cast<int64_t>(a.x()), static_cast<int64_t>(a.y()), static_cast<int64_t>(b.x()),
         static_cast<int64_t>(b.y()));
  } else if (ClipToLimit(a, b)) {
    Step(std::llround(a.x()), std::llround(a.y()), std::llround(b.x()), std::llround(b.y()));
  }
}

// Steps from (x0, y0) toward (x1, y1) along the major axis, leaving out the end point; the
// minor offset of step i is the exact one rounded half up, (2 |minor| i + steps) div
// (2 steps), kept as a quotient and remainder. Only the steps whose major coordinate lies on
// the bitmap are visited; pixels are written straight into the rows.
void Canvas::Step(int64_t x0, int64_t y0, int64_t x1, int64_t y1) {
  const int64_t dx = x1 - x0, dy = y1 - y0;
  const bool xMajor = std::llabs(dx) >= std::llabs(dy);
  const int64_t major = xMajor ? dx : dy, minor = xMajor ? dy : dx;
  const int64_t steps = std::llabs(major);
  if (steps == 0) return;
  const int64_t majorStep = major < 0 ? -1 : 1, minorStep = minor < 0 ? -1 : 1;
  const int64_t majorStart = xMajor ? x0 : y0, minorStart = xMajor ? y0 : x0;
  const int64_t majorSize = xMajor ? Width() : Height(), minorSize = xMajor ? Height() : Width();
  const int64_t first =
      std::max<int64_t>(majorStep > 0 ? -majorStart : majorStart - (majorSize - 1), 0);
  const int64_t last =
      std::min<int64_t>(majorStep > 0 ? majorSize - 1 - majorStart : majorStart, steps - 1);
  if (first > last) return;
  const int64_t twoSteps = 2 * steps, twoMinor = 2 * std::llabs(minor);
  const int64_t start = twoMinor * first + steps;
  int64_t offset = start / twoSteps, rest = start % twoSteps;
  const bool exclusive = penMode_ == pmXor;
  const QRgb rgb = exclusive ? ToRgb(penColour_) & 0xFFFFFF : ToRgb(penColour_);
  const Rows rows = WritableRows();
  for (int64_t i = first; i <= last; ++i) {
    const int64_t m = majorStart + majorStep * i, n = minorStart + minorStep * offset;
    if (n >= 0 && n < minorSize) {
      QRgb* dst = xMajor ? rows.Row(static_cast<int>(n)) + m : rows.Row(static_cast<int>(m)) + n;
      *dst = exclusive ? *dst ^ rgb : rgb;
    }
    rest += twoMinor;
    if (rest >= twoSteps) {
      rest -= twoSteps;
      ++offset;
    }
  }
}

void Canvas::DrawSegments(const CanvasPoint* points, size_t count) {
  MakeCurrent();
  if (image_->isNull() || count < 2) return;
  if (penWidth_ <= 1) {
    for (size_t i = 1; i < count; ++i) {
      ThinLine(QPointF(Whole(points[i - 1].x), Whole(points[i - 1].y)),
               QPointF(Whole(points[i].x), Whole(points[i].y)));
    }
    return;
  }
  QPainter p(image_.get());
  p.setPen(DrawnPen(QColor(ToRgb(penColour_)), penWidth_));
  p.setCompositionMode(penMode_ == pmXor ? QPainter::RasterOp_SourceXorDestination
                                         : QPainter::CompositionMode_Source);
  for (size_t i = 1; i < count; ++i) {
    QPointF a(Whole(points[i - 1].x), Whole(points[i - 1].y));
    QPointF b(Whole(points[i].x), Whole(points[i].y));
    if ((InsideLimit(a) && InsideLimit(b)) || ClipToLimit(a, b)) p.drawLine(a, b);
  }
}

void Canvas::Polyline(const CanvasPoint* points, size_t count) {
  DrawSegments(points, count);
}

void Canvas::Rectangle(double x1, double y1, double x2, double y2) {
  FigureSpec f(Figure::kRectangle, x1, y1, x2, y2);
  DrawFigure(f);
}

void Canvas::Ellipse(double x1, double y1, double x2, double y2) {
  FigureSpec f(Figure::kEllipse, x1, y1, x2, y2);
  DrawFigure(f);
}

namespace {

// The counterclockwise sweep of a chord or arc from the ray through (x3, y3) to the ray
// through (x4, y4), as angles of the ellipse's parameter (what the painter's arcs take).
void ArcAngles(double left, double top, double right, double bottom, double x3, double y3,
               double x4, double y4, double* start, double* span) {
  const double cx = (left + right) / 2, cy = (top + bottom) / 2;
  const double a = (right - left) / 2, b = (bottom - top) / 2;
  auto angle = [&](double x, double y) { return std::atan2(-(y - cy) / b, (x - cx) / a); };
  const double from = angle(Clamped(x3), Clamped(y3)) * kDegrees;
  const double to = angle(Clamped(x4), Clamped(y4)) * kDegrees;
  double sweep = std::fmod(to - from, 360.0);
  if (sweep <= 0) sweep += 360;  // equal rays: the whole ellipse
  *start = from;
  *span = sweep;
}

}  // namespace

void Canvas::Chord(double x1, double y1, double x2, double y2, double x3, double y3, double x4,
                   double y4) {
  FigureSpec f(Figure::kChord, x1, y1, x2, y2);
  if (f.right <= f.left || f.bottom <= f.top) return;
  ArcAngles(f.left, f.top, f.right, f.bottom, x3, y3, x4, y4, &f.startDegrees, &f.spanDegrees);
  DrawFigure(f);
}

void Canvas::Arc(double x1, double y1, double x2, double y2, double x3, double y3, double x4,
                 double y4) {
  FigureSpec f(Figure::kArc, x1, y1, x2, y2);
  f.filled = false;
  if (f.right <= f.left || f.bottom <= f.top) return;
  ArcAngles(f.left, f.top, f.right, f.bottom, x3, y3, x4, y4, &f.startDegrees, &f.spanDegrees);
  DrawFigure(f);
}

void Canvas::Polygon(const CanvasPoint* points, size_t count) {
  if (count < 2) return;
  FigureSpec f(Figure::kPolygon);
  f.points.reserve(static_cast<qsizetype>(count));
  f.left = f.top = kCoordLimit;
  f.right = f.bottom = -kCoordLimit;
  for (size_t i = 0; i < count; ++i) {
    const CanvasPoint& pt = points[i];
    const double x = Clamped(pt.x), y = Clamped(pt.y);
    f.points.append(QPointF(x, y));
    f.left = std::min(f.left, x);
    f.right = std::max(f.right, x + 1);
    f.top = std::min(f.top, y);
    f.bottom = std::max(f.bottom, y + 1);
  }
  DrawFigure(f);
}

// Draws the figure into a mask of its part of the bitmap (brush and pen marked apart, as a
// copy-mode drawing), then applies the mask with the pen mode and the brush's hatch. The
// brush covers the inside as a one-pixel pen leaves it; a wider pen is laid over it.
void Canvas::DrawFigure(const FigureSpec& f) {
  MakeCurrent();
  if (image_->isNull() || f.right <= f.left || f.bottom <= f.top) return;
  const int width = std::min(penWidth_, kMaxDrawnPenWidth);
  const double margin = width / 2 + 2;
  const int left = static_cast<int>(std::max(0.0, f.left - margin));
  const int top = static_cast<int>(std::max(0.0, f.top - margin));
  const int right = static_cast<int>(std::min<double>(Width(), f.right + margin));
  const int bottom = static_cast<int>(std::min<double>(Height(), f.bottom + margin));
  if (right <= left || bottom <= top) return;
  const int w = right - left, h = bottom - top;
  QImage* mask = Scratch(w, h);
  if (mask == nullptr) return;
  {
    QPainter p(mask);
    p.setClipRect(0, 0, w, h);
    p.translate(-left, -top);
    const bool brush = f.filled && brushStyle_ != bsClear;
    p.setBrush(brush ? QBrush(QColor(kMaskBrush)) : QBrush(Qt::NoBrush));
    if (width <= 1) {
      p.setPen(DrawnPen(QColor(kMaskPen), width));
      f.Draw(p);
    } else {
      if (brush) {
        p.setPen(DrawnPen(QColor(Qt::black), 1));
        f.Draw(p);
      }
      p.setCompositionMode(QPainter::RasterOp_SourceOrDestination);
      p.setPen(DrawnPen(QColor(kMaskPen), width));
      StrokeWide(p, f.Outline(), QRectF(left, top, right - left, bottom - top), width);
    }
  }
  ApplyMask(*mask, w, h, left, top);
}

QImage* Canvas::Scratch(int width, int height) {
  if (scratch_->width() < width || scratch_->height() < height) {
    *scratch_ = QImage(std::max(width, scratch_->width()), std::max(height, scratch_->height()),
                       QImage::Format_RGB32);
    if (scratch_->isNull()) return nullptr;
  }
  for (int y = 0; y < height; ++y) {
    std::fill_n(reinterpret_cast<QRgb*>(scratch_->scanLine(y)), width, QRgb{0});
  }
  return scratch_.get();
}

void Canvas::ApplyMask(const QImage& mask, int width, int height, int left, int top) {
  const bool exclusive = penMode_ == pmXor;
  const QRgb brush = ToRgb(brushColour_) & (exclusive ? 0xFFFFFF : 0xFFFFFFFF);
  const QRgb pen = ToRgb(penColour_) & (exclusive ? 0xFFFFFF : 0xFFFFFFFF);
  const Rows rows = WritableRows();
  for (int y = 0; y < height; ++y) {
    // The hatch of this row: bit i covers the columns that are i modulo 8.
    const unsigned hatch = HatchRow(brushStyle_, top + y);
    const auto* m = reinterpret_cast<const QRgb*>(mask.constScanLine(y));
    QRgb* dst = rows.Row(top + y) + left;
    for (int x = 0; x < width; ++x) {
      if (m[x] == 0) continue;
      if ((m[x] & 0xFF) != 0 && ((hatch >> ((left + x) & 7)) & 1) != 0) {
        dst[x] = exclusive ? dst[x] ^ brush : brush;
      }
      if ((m[x] & 0xFF00) != 0) dst[x] = exclusive ? dst[x] ^ pen : pen;
    }
  }
}

void Canvas::FillRect(double x1, double y1, double x2, double y2) {
  MakeCurrent();
  if (image_->isNull() || brushStyle_ == bsClear) return;
  double l, r, t, b;
  FillSpan(Clamped(x1), Clamped(x2), &l, &r);
  FillSpan(Clamped(y1), Clamped(y2), &t, &b);
  const int left = static_cast<int>(std::max(0.0, l));
  const int right = static_cast<int>(std::min<double>(Width(), r));
  const int top = static_cast<int>(std::max(0.0, t));
  const int bottom = static_cast<int>(std::min<double>(Height(), b));
  const QRgb rgb = ToRgb(brushColour_);
  const Rows rows = WritableRows();
  for (int y = top; y < bottom; ++y) {
    const unsigned hatch = HatchRow(brushStyle_, y);
    QRgb* dst = rows.Row(y);
    for (int x = left; x < right; ++x) {
      if (((hatch >> (x & 7)) & 1) != 0) dst[x] = rgb;
    }
  }
}

void Canvas::SetPixel(double x, double y, uint32_t colour) {
  MakeCurrent();
  const double px = Whole(x), py = Whole(y);
  if (px < 0 || py < 0 || px >= Width() || py >= Height()) return;
  image_->setPixel(static_cast<int>(px), static_cast<int>(py), ToRgb(colour));
}

uint32_t Canvas::Pixel(int x, int y) const {
  MakeCurrent();
  if (x < 0 || y < 0 || x >= Width() || y >= Height()) return 0;
  return FromRgb(image_->pixel(x, y));
}

void Canvas::StretchDraw(double x1, double y1, double x2, double y2, const QImage& picture) {
  MakeCurrent();
  if (image_->isNull() || picture.isNull()) return;
  QPainter p(image_.get());
  p.setRenderHint(QPainter::SmoothPixmapTransform, false);
  const int l = ClampedInt(x1), t = ClampedInt(y1);
  p.drawImage(QRect(l, t, ClampedInt(x2) - l, ClampedInt(y2) - t), picture);
}

void Canvas::ToggleXorFigure(const XorFigure& figure) {
  if (xorDrawing_ == XorDrawing::kByDrawing) {
    figure.draw(figure, *this);
    return;
  }
  // A clear brush, or a black one, changes no pixel.
  if (brushStyle_ == bsClear || brushColour_ == 0) return;
  const WaitingFigure w{figure, brushColour_, brushStyle_, penWidth_};
  if (waiting_ && *waiting_ == w) {
    waiting_.reset();  // drawn twice: the pixels stay as they are
    return;
  }
  MakeCurrent();
  if (xorDrawing_ == XorDrawing::kAtOnce) {
    ApplyXorFigure(w);
  } else {
    waiting_ = w;
  }
}

void Canvas::MakeCurrent() const {
  if (!waiting_) return;
  const WaitingFigure w = *waiting_;
  waiting_.reset();
  // Sound: a figure only waits on a canvas someone changed, so the canvas is not a const
  // object.
  const_cast<Canvas*>(this)->ApplyXorFigure(w);
}

// Whether the figure's square lies within +-kCoordLimit, where `cover` holds, and whether
// any of it lies on the bitmap.
bool Canvas::SquareCovered(const XorFigure& f, bool* onBitmap) const {
  constexpr double kReach = XorMask::kSide / 2;
  const double left = f.x - kReach, top = f.y - kReach;
  const double right = left + XorMask::kSide, bottom = top + XorMask::kSide;
  *onBitmap = right > 0 && bottom > 0 && left < Width() && top < Height();
  return left >= -kCoordLimit && top >= -kCoordLimit && right <= kCoordLimit &&
         bottom <= kCoordLimit;
}

// Each covered pixel on the bitmap and under the hatch becomes pixel ^ brush colour. Past
// +-kCoordLimit (only a bitmap that large could show it) the figure is drawn by its own
// routine with the brush and pen it was drawn with.
void Canvas::ApplyXorFigure(const WaitingFigure& w) {
  bool onBitmap = false;
  const bool covered = SquareCovered(w.figure, &onBitmap);
  if (!onBitmap) return;
  if (!covered) {
    DrawXorFigureAsDrawn(w);
    return;
  }
  XorMask mask;
  w.figure.cover(w.figure, &mask);
  const int left = static_cast<int>(w.figure.x) - XorMask::kSide / 2;
  const int top = static_cast<int>(w.figure.y) - XorMask::kSide / 2;
  const QRgb bits = ToRgb(w.brushColour) & 0xFFFFFF;
  const Rows rows = WritableRows();
  for (int j = std::max(0, -top); j < XorMask::kSide && top + j < Height(); ++j) {
    const unsigned hatch = HatchRow(w.brushStyle, top + j);
    QRgb* dst = rows.Row(top + j);
    for (uint32_t row = mask.rows[j]; row != 0; row &= row - 1) {
      const int x = left + __builtin_ctz(row);
      if (x >= 0 && x < Width() && ((hatch >> (x & 7)) & 1) != 0) dst[x] ^= bits;
    }
  }
}

void Canvas::DrawXorFigureAsDrawn(const WaitingFigure& w) {
  const uint32_t colour = brushColour_;
  const TBrushStyle style = brushStyle_;
  const int width = penWidth_;
  brushColour_ = w.brushColour;
  brushStyle_ = w.brushStyle;
  penWidth_ = w.penWidth;
  w.figure.draw(w.figure, *this);
  brushColour_ = colour;
  brushStyle_ = style;
  penWidth_ = width;
}

}  // namespace zamiro
