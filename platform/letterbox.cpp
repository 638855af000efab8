#include "platform/letterbox.h"

#include <algorithm>

namespace platform {

namespace {

// Rounds towards minus infinity, so a position one pixel left of the picture is client
// column -1, not 0.
int FloorDiv(int a, int b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

}  // namespace

Letterbox FitWholeFactor(int clientWidth, int clientHeight, int outputWidth, int outputHeight) {
  Letterbox box;
  clientWidth = std::max(1, clientWidth);
  clientHeight = std::max(1, clientHeight);
  box.factor = std::max(1, std::min(outputWidth / clientWidth, outputHeight / clientHeight));
  const int w = clientWidth * box.factor, h = clientHeight * box.factor;
  // Odd leftovers put the extra black pixel on the right and at the bottom.
  const int x = FloorDiv(outputWidth - w, 2), y = FloorDiv(outputHeight - h, 2);
  box.dest = {x, y, x + w, y + h};
  return box;
}

Point OutputToClient(const Letterbox& box, Point output) {
  const int f = std::max(1, box.factor);
  return {FloorDiv(output.x - box.dest.left, f), FloorDiv(output.y - box.dest.top, f)};
}

}  // namespace platform
