#include "app/fonts.h"

#include <QStringList>

namespace zamiro {
namespace {

QFont Make(const QStringList& families, int pixelHeight) {
  QFont f;
  f.setFamilies(families);
  f.setPixelSize(pixelHeight);
  return f;
}

}  // namespace

QFont GothicFont(int pixelHeight) {
  return Make({"IPAPGothic", "IPA Pゴシック", "IPAGothic", "Sans Serif"}, pixelHeight);
}

QFont MinchoFont(int pixelHeight) {
  return Make({"IPAMincho", "IPA明朝", "IPAPMincho", "Serif"}, pixelHeight);
}

}  // namespace zamiro
