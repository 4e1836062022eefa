#include "app/picture_link.h"

#include "turtle/picture.h"

namespace zamiro {

std::mutex& PictureMutex(InterpreterContext& c) { return c.picture.mutex; }
const QImage& PictureImage(InterpreterContext& c) { return c.picture.canvas.Image(); }
uint64_t PictureGeneration(InterpreterContext& c) { return c.picture.changes.load(); }
void PictureShow(InterpreterContext& c, int imageWidth, int imageHeight) {
  FormShow(c, imageWidth, imageHeight);
}
void PictureResize(InterpreterContext& c, int panelWidth, int panelHeight) {
  // The image fills the panel inside its one-pixel bevel.
  FormResize(c, panelWidth, panelHeight, panelWidth - 2, panelHeight - 2);
}

}  // namespace zamiro
