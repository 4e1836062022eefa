// Where the turtle is, which way it faces, its pen and fill settings, the 16 standard colours
// and the argument slots of the figures.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/canvas.h"

namespace zamiro {

// Canvas coordinates: pixels of the bitmap, origin top left, y downward. User coordinates:
// origin at the centre, y upward; user (x, y) is canvas (centreX + x, centreY - y).
struct TurtleState {
  double centreX = 0;  // the picture's centre in canvas pixels: the home position
  double centreY = 0;
  double turtleX = 0;  // canvas pixels, unrounded, y growing downward
  double turtleY = 0;
  double turtleHeading = 0;  // degrees, 0 up, 90 right; never reduced to a range
  bool penUp = false;
  bool turtleHidden = false;
  uint32_t penColour = 0;  // 0x00BBGGRR
  int32_t penWidth = 1;
  uint32_t brushColour = 0;
  uint8_t brushStyle = 0;  // a TBrushStyle
};

// The arguments of the last figure drawn.
struct DrawArgs {
  double shapeX1 = 0;  // canvas pixels
  double shapeY1 = 0;
  double shapeX2 = 0;
  double shapeY2 = 0;
  double pixelX = 0;
  double pixelY = 0;
  uint32_t pixelColourIndex = 0;        // the colour number of put
  std::vector<CanvasPoint> polyPoints;  // polyCount + 1 points, the last a copy of the first
  int32_t polyCount = 0;
};

// The colours that colour numbers 0 to 15 select, as 0x00BBGGRR.
inline constexpr uint32_t StandardColours[16] = {
    0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0x808080,
    0xC0C0C0, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF,
};

// The colour of a colour number; black outside 0 to 15.
constexpr uint32_t ColourOfNumber(uint32_t number) {
  return number < 16 ? StandardColours[number] : 0;
}

// The colour number of a value's real part: truncated toward zero and taken as an unsigned
// 32-bit number; a value without a 32-bit integer (NaN, beyond the range) is 0xFFFFFFFF,
// which selects black like every number above 15.
uint32_t ColourNumber(double re);

// The index of a colour in StandardColours, or 0 when it is none of them.
int StandardColourIndex(uint32_t colour);

}  // namespace zamiro
