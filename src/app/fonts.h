// The window's fonts: Japanese gothic and mincho faces.
#pragma once

#include <QFont>

namespace zamiro {

QFont GothicFont(int pixelHeight);  // proportional gothic, the window's usual face
QFont MinchoFont(int pixelHeight);  // mincho, the command line's face

}  // namespace zamiro
