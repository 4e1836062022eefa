// Provisional: a picture kept beside the context until the interpreter owns one.
#include "app/picture_link.h"

#include <map>

namespace zamiro {
namespace {

struct Provisional {
  std::mutex mutex;
  QImage image;
};

Provisional& Of(InterpreterContext& c) {
  static std::map<InterpreterContext*, Provisional> pictures;
  return pictures[&c];
}

}  // namespace

std::mutex& PictureMutex(InterpreterContext& c) { return Of(c).mutex; }
const QImage& PictureImage(InterpreterContext& c) { return Of(c).image; }
uint64_t PictureGeneration(InterpreterContext&) { return 0; }
void PictureShow(InterpreterContext& c, int w, int h) {
  c.turtle.centreX = c.turtle.turtleX = w / 2;
  c.turtle.centreY = c.turtle.turtleY = h / 2;
  c.turtle.turtleHeading = 0;
}
void PictureResize(InterpreterContext& c, int w, int h) {
  std::lock_guard<std::mutex> lock(Of(c).mutex);
  QImage next(w, h, QImage::Format_RGB32);
  next.fill(Qt::white);
  Of(c).image = next;
  PictureShow(c, w - 2, h - 2);
}

}  // namespace zamiro
