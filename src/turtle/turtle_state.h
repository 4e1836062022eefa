// Where the turtle is, which way it faces, and its pen and fill settings.
#pragma once

#include <cstdint>

namespace zamiro {

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
  uint8_t brushStyle = 0;
};

}  // namespace zamiro
