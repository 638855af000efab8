#include "bench_pictures.h"

namespace stagebench {

stage::Picture Disc(int size, uint32_t rgb, bool alphaEdge, bool keyed) {
  stage::Picture p;
  p.width = p.height = size;
  stage::PictureFrame f;
  f.pixels = platform::Surface(size, size, 0);
  const uint32_t keyPixel = 0x00FF00FFu;
  f.key = keyed ? 0x00FF00FFu : stage::kDefaultColour;
  const double r = size / 2.0;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const double dx = x + 0.5 - r, dy = y + 0.5 - r;
      const double d = dx * dx + dy * dy;
      uint32_t px = (rgb & 0xFFFFFFu) ^ uint32_t((x * 7 + y * 3) & 0x1F);
      if (d > r * r) {
        px = keyed ? keyPixel : 0xFF000000u | px;
      } else if (alphaEdge && d > (r - 4) * (r - 4)) {
        px |= 0x80000000u;  // half-transparent rim
      }
      f.pixels.At(x, y) = px;
    }
  }
  p.frames.push_back(std::move(f));
  return p;
}

}  // namespace stagebench
