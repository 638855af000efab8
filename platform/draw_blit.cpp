// Bit-block transfers: plain copies and stretching (nearest and smooth).
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/draw.h"

namespace platform {

void DC::BitBlt(int x, int y, int w, int h, const Surface& src, int sx, int sy) {
  if (!target_ || w <= 0 || h <= 0) return;
  // FIXME: a copy within one surface through a DC with holes copies piece by piece, so
  // a piece may read what an earlier one wrote; no window that clips siblings scrolls.
  EachPiece([&] { BlitInClip(x, y, w, h, src, sx, sy); });
}

void DC::BlitInClip(int x, int y, int w, int h, const Surface& src, int sx, int sy) {
  // Clip the destination, then the source, each moving the other by the same amount.
  Rect dest = Intersect(Rect{x, y, x + w, y + h}.Offset(origin_.x, origin_.y), clip_);
  if (dest.Empty()) return;
  const int shiftX = sx - (x + origin_.x), shiftY = sy - (y + origin_.y);
  const Rect from = Intersect(dest.Offset(shiftX, shiftY), src.Bounds());
  if (from.Empty()) return;
  dest = from.Offset(-shiftX, -shiftY);

  // A copy within one surface may overlap: walk rows away from the overlap.
  const bool upwards = &src == target_ && dest.top > from.top;
  const size_t bytes = size_t(dest.Width()) * sizeof(uint32_t);
  for (int i = 0; i < dest.Height(); ++i) {
    const int row = upwards ? dest.Height() - 1 - i : i;
    uint32_t* d = target_->Row(dest.top + row) + dest.left;
    std::memmove(d, src.Row(from.top + row) + from.left, bytes);
    for (int k = 0; k < dest.Width(); ++k) d[k] |= 0xFF000000u;
  }
}

namespace {

// One destination row or column of a stretch: which source pixels it takes and how much
// of each (weights in 1/16384, summing to exactly 16384).
struct Taps {
  int first = 0;
  std::vector<int> weights;
};
constexpr int kOne = 16384;

// Source coordinate range [lo, hi) an axis may read: the source rectangle within the
// surface. `flip` mirrors the axis.
struct Axis {
  int srcStart, srcLen, dstLen, lo, hi;
  bool flip;
};

// Index of the source pixel under the centre of destination pixel i, or -1 outside.
int NearestSource(const Axis& a, int i) {
  const int j = a.flip ? a.dstLen - 1 - i : i;
  const int s = a.srcStart + int((int64_t(2 * j + 1) * a.srcLen) / (2 * int64_t(a.dstLen)));
  return (s >= a.lo && s < a.hi) ? s : -1;
}

Taps SmoothTaps(const Axis& a, int i) {
  const int j = a.flip ? a.dstLen - 1 - i : i;
  const double scale = double(a.srcLen) / a.dstLen;
  std::vector<double> w;
  int first;
  if (scale > 1.0) {
    // Shrinking: the area of the source covered by this destination pixel.
    const double s0 = j * scale, s1 = (j + 1) * scale;
    first = int(std::floor(s0));
    const int last = std::min(int(std::ceil(s1)), a.srcLen) - 1;
    for (int k = first; k <= last; ++k) {
      w.push_back(std::min(s1, double(k + 1)) - std::max(s0, double(k)));
    }
  } else {
    // Growing: linear between the two nearest source pixel centres.
    const double c = (j + 0.5) * scale - 0.5;
    first = int(std::floor(c));
    const double f = c - first;
    w = {1.0 - f, f};
  }
  // Clamp taps to the readable range, folding weight that falls outside onto the edge.
  Taps t;
  const int lo = a.lo - a.srcStart, hi = a.hi - a.srcStart;
  int minIndex = hi, maxIndex = lo - 1;
  for (size_t k = 0; k < w.size(); ++k) {
    const int idx = std::clamp(first + int(k), lo, hi - 1);
    minIndex = std::min(minIndex, idx);
    maxIndex = std::max(maxIndex, idx);
  }
  t.first = a.srcStart + minIndex;
  std::vector<double> folded(size_t(maxIndex - minIndex + 1), 0.0);
  double total = 0;
  for (size_t k = 0; k < w.size(); ++k) {
    folded[size_t(std::clamp(first + int(k), lo, hi - 1) - minIndex)] += w[k];
    total += w[k];
  }
  int sum = 0;
  for (double v : folded) {
    t.weights.push_back(int(std::lround(v / total * kOne)));
    sum += t.weights.back();
  }
  // Rounding leftovers go to the heaviest tap so flat areas stay exactly flat.
  auto heaviest = std::max_element(t.weights.begin(), t.weights.end());
  *heaviest += kOne - sum;
  return t;
}

}  // namespace

void DC::StretchBlt(int x, int y, int w, int h, const Surface& src, int sx, int sy, int sw,
                    int sh, int mode) {
  EachPiece([&] { StretchInClip(x, y, w, h, src, sx, sy, sw, sh, mode); });
}

void DC::StretchInClip(int x, int y, int w, int h, const Surface& src, int sx, int sy, int sw,
                       int sh, int mode) {
  if (!target_ || w == 0 || h == 0 || sw == 0 || sh == 0 || src.Empty()) return;
  const bool flipX = (w < 0) != (sw < 0), flipY = (h < 0) != (sh < 0);
  if (w < 0) { x += w; w = -w; }
  if (h < 0) { y += h; h = -h; }
  if (sw < 0) { sx += sw; sw = -sw; }
  if (sh < 0) { sy += sh; sh = -sh; }
  const Axis ax{sx, sw, w, std::max(sx, 0), std::min(sx + sw, src.Width()), flipX};
  const Axis ay{sy, sh, h, std::max(sy, 0), std::min(sy + sh, src.Height()), flipY};
  if (ax.lo >= ax.hi || ay.lo >= ay.hi) return;

  const Rect full = Rect{x, y, x + w, y + h}.Offset(origin_.x, origin_.y);
  const Rect dest = Intersect(full, clip_);
  if (dest.Empty()) return;

  if (mode != STRETCH_SMOOTH) {
    std::vector<int> columns(size_t(dest.Width()));
    for (int i = 0; i < dest.Width(); ++i) columns[size_t(i)] = NearestSource(ax, dest.left - full.left + i);
    for (int yy = dest.top; yy < dest.bottom; ++yy) {
      const int s = NearestSource(ay, yy - full.top);
      if (s < 0) continue;
      const uint32_t* in = src.Row(s);
      uint32_t* out = target_->Row(yy);
      for (int i = 0; i < dest.Width(); ++i) {
        if (columns[size_t(i)] >= 0) out[dest.left + i] = in[columns[size_t(i)]] | 0xFF000000u;
      }
    }
    return;
  }

  // Smooth: filter each source row horizontally once, then combine rows vertically.
  std::vector<Taps> columns(size_t(dest.Width()));
  for (int i = 0; i < dest.Width(); ++i) columns[size_t(i)] = SmoothTaps(ax, dest.left - full.left + i);
  std::vector<Taps> rows(size_t(dest.Height()));
  int rowLo = ay.hi, rowHi = ay.lo;
  for (int i = 0; i < dest.Height(); ++i) {
    rows[size_t(i)] = SmoothTaps(ay, dest.top - full.top + i);
    rowLo = std::min(rowLo, rows[size_t(i)].first);
    rowHi = std::max(rowHi, rows[size_t(i)].first + int(rows[size_t(i)].weights.size()));
  }
  // Horizontal pass, kept at 1/64 precision per channel so the vertical pass loses little.
  const size_t width = size_t(dest.Width());
  std::vector<uint32_t> filtered(size_t(rowHi - rowLo) * width * 3);
  for (int r = rowLo; r < rowHi; ++r) {
    const uint32_t* in = src.Row(r);
    uint32_t* out = filtered.data() + size_t(r - rowLo) * width * 3;
    for (size_t i = 0; i < width; ++i) {
      const Taps& t = columns[i];
      int64_t acc[3] = {0, 0, 0};
      for (size_t k = 0; k < t.weights.size(); ++k) {
        const uint32_t p = in[t.first + int(k)];
        acc[0] += int64_t((p >> 16) & 0xFF) * t.weights[k];
        acc[1] += int64_t((p >> 8) & 0xFF) * t.weights[k];
        acc[2] += int64_t(p & 0xFF) * t.weights[k];
      }
      for (int c = 0; c < 3; ++c) out[3 * i + size_t(c)] = uint32_t((acc[c] + kOne / 128) / (kOne / 64));
    }
  }
  for (int i = 0; i < dest.Height(); ++i) {
    const Taps& t = rows[size_t(i)];
    uint32_t* out = target_->Row(dest.top + i) + dest.left;
    for (size_t col = 0; col < width; ++col) {
      int64_t acc[3] = {0, 0, 0};
      for (size_t k = 0; k < t.weights.size(); ++k) {
        const uint32_t* p = filtered.data() + (size_t(t.first + int(k) - rowLo) * width + col) * 3;
        for (int c = 0; c < 3; ++c) acc[c] += int64_t(p[c]) * t.weights[k];
      }
      uint32_t px = 0xFF000000u;
      for (int c = 0; c < 3; ++c) {
        const int64_t v = (acc[c] + int64_t(kOne) * 32) / (int64_t(kOne) * 64);
        px |= uint32_t(std::clamp<int64_t>(v, 0, 255)) << (16 - 8 * c);
      }
      out[col] = px;
    }
  }
}

}  // namespace platform
