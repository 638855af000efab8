#include "platform/letterbox.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace platform {

namespace {

// Rounds towards minus infinity, so a position one pixel left of the picture is client
// column -1, not 0.
int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

// A position far off the picture stays far off, whatever the host reported.
int ClampToInt(int64_t v) {
  return int(std::clamp<int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

}  // namespace

Letterbox FitWholeFactor(int clientWidth, int clientHeight, int outputWidth, int outputHeight) {
  Letterbox box;
  clientWidth = std::max(1, clientWidth);
  clientHeight = std::max(1, clientHeight);
  box.factor = std::max(1, std::min(outputWidth / clientWidth, outputHeight / clientHeight));
  const int w = clientWidth * box.factor, h = clientHeight * box.factor;
  // Odd leftovers put the extra black pixel on the right and at the bottom.
  const int x = int(FloorDiv(outputWidth - w, 2)), y = int(FloorDiv(outputHeight - h, 2));
  box.dest = {x, y, x + w, y + h};
  return box;
}

Point OutputToClient(const Letterbox& box, Point output) {
  const int f = std::max(1, box.factor);
  return {ClampToInt(FloorDiv(int64_t(output.x) - box.dest.left, f)),
          ClampToInt(FloorDiv(int64_t(output.y) - box.dest.top, f))};
}

}  // namespace platform
