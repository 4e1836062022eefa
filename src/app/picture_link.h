// What the window needs of the interpreter's picture.
#pragma once

#include <QImage>
#include <cstdint>
#include <mutex>

#include "interp/context.h"

namespace zamiro {

// The lock that every reader and writer of the picture holds.
std::mutex& PictureMutex(InterpreterContext& c);
// The picture itself; read it only while holding PictureMutex.
const QImage& PictureImage(InterpreterContext& c);
// Grows with every change to the picture.
uint64_t PictureGeneration(InterpreterContext& c);
// The window appeared: the turtle goes home at the centre of the shown image.
void PictureShow(InterpreterContext& c, int imageWidth, int imageHeight);
// The picture pane changed size: the bitmap takes the pane's size, keeping its pixels.
void PictureResize(InterpreterContext& c, int panelWidth, int panelHeight);

}  // namespace zamiro
