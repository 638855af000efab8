// Dirty rectangles and the scaled copy of a frame's changed areas.
#include "platform/present.h"

#include <algorithm>
#include <cstring>

namespace platform {

namespace {

int64_t Area(const Rect& r) { return r.Empty() ? 0 : int64_t(r.Width()) * r.Height(); }

// Merging pays when the bounding box is not much bigger than the two areas: a copy of a
// few extra pixels costs less than another rectangle to update.
bool WorthMerging(const Rect& a, const Rect& b) {
  const Rect u = Union(a, b);
  return Area(u) <= Area(a) + Area(b) + 1024;
}

}  // namespace

void AddDirtyRect(std::vector<Rect>& rects, const Rect& r) {
  if (r.Empty()) return;
  Rect merged = r;
  // A merge may make the new box worth merging with another: repeat until none is.
  for (bool again = true; again;) {
    again = false;
    for (size_t i = 0; i < rects.size(); ++i) {
      if (!WorthMerging(rects[i], merged)) continue;
      merged = Union(rects[i], merged);
      rects.erase(rects.begin() + std::ptrdiff_t(i));
      again = true;
      break;
    }
  }
  rects.push_back(merged);
  if (rects.size() > kMaxDirtyRects) {
    Rect all = rects.front();
    for (const Rect& x : rects) all = Union(all, x);
    rects.assign(1, all);
  }
}

std::vector<Rect> CopyScaledRects(const Surface& frame, std::span<const Rect> dirty,
                                  const Letterbox& box, uint32_t* out, int pitch,
                                  int outWidth, int outHeight) {
  std::vector<Rect> written;
  const int k = std::max(1, box.factor);
  const Rect output{0, 0, outWidth, outHeight};
  std::vector<uint32_t> row;
  for (const Rect& d : dirty) {
    const Rect src = Intersect(d, frame.Bounds());
    if (src.Empty()) continue;
    // The scaled area, cut to the output, and back to the frame pixels it needs.
    const Rect scaled{box.dest.left + src.left * k, box.dest.top + src.top * k,
                      box.dest.left + src.right * k, box.dest.top + src.bottom * k};
    const Rect dst = Intersect(scaled, output);
    if (dst.Empty()) continue;
    written.push_back(dst);
    const int width = dst.Width();
    if (k == 1) {
      for (int y = dst.top; y < dst.bottom; ++y) {
        const uint32_t* from = frame.Row(y - box.dest.top) + (dst.left - box.dest.left);
        std::memcpy(out + size_t(y) * size_t(pitch) + dst.left, from, size_t(width) * 4);
      }
      continue;
    }
    row.resize(size_t(width));
    int builtFor = -1;
    for (int y = dst.top; y < dst.bottom; ++y) {
      const int fy = (y - box.dest.top) / k;
      if (fy != builtFor) {
        // One scaled row serves the k output rows of a frame row. Each frame pixel is
        // written k times, starting part-way into the first when the left edge was cut.
        const uint32_t* from = frame.Row(fy) + (dst.left - box.dest.left) / k;
        int repeat = k - (dst.left - box.dest.left) % k;
        uint32_t* to = row.data();
        for (int x = 0; x < width;) {
          const int n = std::min(repeat, width - x);
          std::fill_n(to + x, n, *from++);
          x += n;
          repeat = k;
        }
        builtFor = fy;
      }
      std::memcpy(out + size_t(y) * size_t(pitch) + dst.left, row.data(), size_t(width) * 4);
    }
  }
  return written;
}

}  // namespace platform
