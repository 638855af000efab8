#include "platform/changed_rects.h"

#include <algorithm>
#include <cstring>

namespace platform {

namespace {

bool TileChanged(const uint32_t* before, const uint32_t* after, int width, int x0, int x1,
                 int y0, int y1) {
  const size_t bytes = size_t(x1 - x0) * sizeof(uint32_t);
  for (int y = y0; y < y1; ++y) {
    const size_t at = size_t(y) * size_t(width) + size_t(x0);
    if (std::memcmp(before + at, after + at, bytes) != 0) return true;
  }
  return false;
}

}  // namespace

std::vector<Rect> ChangedRects(const uint32_t* before, const uint32_t* after, int width,
                               int height, int tile) {
  std::vector<Rect> done;
  if (width <= 0 || height <= 0 || tile <= 0) return done;
  std::vector<Rect> open;  // runs of the tile row above, still growing downwards
  for (int y0 = 0; y0 < height; y0 += tile) {
    const int y1 = std::min(height, y0 + tile);
    std::vector<Rect> runs;
    for (int x0 = 0; x0 < width; x0 += tile) {
      const int x1 = std::min(width, x0 + tile);
      if (!TileChanged(before, after, width, x0, x1, y0, y1)) continue;
      if (!runs.empty() && runs.back().right == x0) {
        runs.back().right = x1;
      } else {
        runs.push_back({x0, y0, x1, y1});
      }
    }
    std::vector<Rect> next;
    for (Rect& run : runs) {
      auto above = std::find_if(open.begin(), open.end(), [&](const Rect& r) {
        return r.left == run.left && r.right == run.right;
      });
      if (above != open.end()) {
        run.top = above->top;
        open.erase(above);
      }
      next.push_back(run);
    }
    done.insert(done.end(), open.begin(), open.end());
    open = std::move(next);
  }
  done.insert(done.end(), open.begin(), open.end());
  return done;
}

}  // namespace platform
