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

template <int K>
void Widen(const uint32_t* from, uint32_t* to, int pixels) {
  for (int i = 0; i < pixels; ++i)
    for (int j = 0; j < K; ++j) to[i * K + j] = from[i];
}

// Writes `width` output pixels, each frame pixel k times; the first frame pixel has lost
// `cut` of its copies to the left edge. The common factors get loops the compiler can
// unroll: this runs for every pixel of every changed area of a scaled window.
void WidenRow(const uint32_t* from, uint32_t* to, int width, int k, int cut) {
  int x = 0;
  if (cut > 0) {
    x = std::min(k - cut, width);
    std::fill_n(to, x, *from++);
  }
  const int whole = (width - x) / k;
  switch (k) {
    case 2: Widen<2>(from, to + x, whole); break;
    case 3: Widen<3>(from, to + x, whole); break;
    case 4: Widen<4>(from, to + x, whole); break;
    default:
      for (int i = 0; i < whole; ++i) std::fill_n(to + x + i * k, k, from[i]);
      break;
  }
  from += whole;
  x += whole * k;
  if (x < width) std::fill_n(to + x, width - x, *from);
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
    int builtRow = -1;  // the output row holding the last frame row widened
    int builtFor = -1;
    for (int y = dst.top; y < dst.bottom; ++y) {
      uint32_t* to = out + size_t(y) * size_t(pitch) + dst.left;
      const int fy = (y - box.dest.top) / k;
      if (fy == builtFor) {
        // The k output rows of a frame row are the same: the first is widened, the
        // others copy it.
        std::memcpy(to, out + size_t(builtRow) * size_t(pitch) + dst.left, size_t(width) * 4);
        continue;
      }
      const int cut = (dst.left - box.dest.left) % k;  // of the first pixel, cut by the edge
      WidenRow(frame.Row(fy) + (dst.left - box.dest.left) / k, to, width, k, cut);
      builtFor = fy;
      builtRow = y;
    }
  }
  return written;
}

}  // namespace platform
