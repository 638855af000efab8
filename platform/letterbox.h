// Where a fixed-size client area appears inside a larger output (a fullscreen display or
// a resized window): scaled by the largest whole factor that fits, so every client pixel
// becomes the same square of output pixels, and centred on black.
#pragma once
#include "platform/types.h"

namespace platform {

struct Letterbox {
  int factor = 1;
  Rect dest;  // the scaled client area in output pixels; may reach past a too-small output
};

// The factor is at least 1: an output smaller than the client area shows its middle.
Letterbox FitWholeFactor(int clientWidth, int clientHeight, int outputWidth, int outputHeight);

// An output position back to client coordinates. Positions on the black bars land
// outside the client area (negative, or past its size), where the desktop drops them
// unless a window holds the mouse capture.
Point OutputToClient(const Letterbox& box, Point output);

}  // namespace platform
