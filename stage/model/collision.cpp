#include "stage/model/collision.h"

#include <algorithm>

#include "stage/pictures/pixels.h"

namespace stage {

namespace {

using platform::Rect;

// Collision runs this for every candidate; keep it inline rather than calling out.
inline Rect ClipRect(const Rect& a, const Rect& b) {
  const Rect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
               std::min(a.bottom, b.bottom)};
  return r.Empty() ? Rect{} : r;
}

const SolidMask& MaskOf(const Placed& p) {
  return p.sprite->frames[size_t(ClampFrame(*p.sprite, p.frame))].mask;
}

bool SolidAt(const Placed& p, int fx, int fy) {
  const int f = ClampFrame(*p.sprite, p.frame);
  const PictureFrame& frame = p.sprite->picture.frames[size_t(f)];
  return IsSolid(frame.pixels.At(fx, fy), frame.key != kDefaultColour, KeyToPixel(frame.key));
}

bool AnySolidReference(const Placed& p, Rect r) {  // r in frame coordinates
  r = ClipRect(r, {0, 0, p.sprite->Width(), p.sprite->Height()});
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x)
      if (SolidAt(p, x, y)) return true;
  return false;
}

// The strips of the frame (in frame coordinates) lying beside each stage edge, limited
// to the rows or columns of the frame's intersection with the stage.
struct Strips {
  Rect left, top, right, bottom;
};
bool StripsOf(const Placed& p, int w, int h, Strips& s) {
  const Rect r = p.Bounds();
  const Rect i = ClipRect(r, {0, 0, w, h});
  if (i.Empty()) return false;
  const Rect rows{0, i.top - p.y, 0, i.bottom - p.y};
  const Rect cols{i.left - p.x, 0, i.right - p.x, 0};
  s.left = p.x < 0 ? Rect{0, rows.top, -p.x, rows.bottom} : Rect{};
  s.top = p.y < 0 ? Rect{cols.left, 0, cols.right, -p.y} : Rect{};
  s.right = r.right > w ? Rect{w - p.x, rows.top, r.Width(), rows.bottom} : Rect{};
  s.bottom = r.bottom > h ? Rect{cols.left, h - p.y, cols.right, r.Height()} : Rect{};
  return true;
}

template <typename AnySolidFn>
int BorderBitsWith(const Placed& p, int w, int h, AnySolidFn any) {
  if (!p.Valid()) return 0;
  Strips s;
  if (!StripsOf(p, w, h, s)) return 0;
  int bits = 0;
  if (!s.left.Empty() && any(s.left)) bits |= kBorderLeft;
  if (!s.top.Empty() && any(s.top)) bits |= kBorderTop;
  if (!s.right.Empty() && any(s.right)) bits |= kBorderRight;
  if (!s.bottom.Empty() && any(s.bottom)) bits |= kBorderBottom;
  return bits;
}

template <typename AnySolidFn>
bool InsideStageWith(const Placed& p, int w, int h, AnySolidFn any) {
  const Rect stageRect{0, 0, w, h};
  if (!p.Valid()) return stageRect.Contains({p.x, p.y});
  const Rect r = p.Bounds();
  const Rect i = ClipRect(r, stageRect);
  if (i.Empty()) return false;
  if (i == r) return true;
  return any(i.Offset(-p.x, -p.y));
}

}  // namespace

bool PixelOverlap(const Placed& a, const Placed& b) {
  if (!a.Valid() || !b.Valid()) return false;
  // Whole rectangles first: most candidates end here.
  if (a.x >= b.x + b.sprite->Width() || b.x >= a.x + a.sprite->Width() ||
      a.y >= b.y + b.sprite->Height() || b.y >= a.y + a.sprite->Height())
    return false;
  const SolidMask& ma = MaskOf(a);
  const SolidMask& mb = MaskOf(b);
  // Rectangle first: only where both frames have solid pixels at all.
  const Rect ra = ma.SolidBounds().Offset(a.x, a.y);
  const Rect rb = mb.SolidBounds().Offset(b.x, b.y);
  const Rect i = ClipRect(ra, rb);
  if (i.Empty()) return false;
  for (int y = i.top; y < i.bottom; ++y) {
    const int ay = y - a.y, by = y - b.y;
    const int x0 = std::max({i.left, a.x + ma.FirstSolid(ay), b.x + mb.FirstSolid(by)});
    const int x1 = std::min({i.right, a.x + ma.LastSolid(ay), b.x + mb.LastSolid(by)});
    for (int x = x0; x < x1; x += 64) {
      uint64_t bits = ma.Bits(ay, x - a.x) & mb.Bits(by, x - b.x);
      const int n = x1 - x;
      if (n < 64) bits &= (uint64_t(1) << n) - 1;
      if (bits) return true;
    }
  }
  return false;
}

bool InsideStage(const Placed& p, int w, int h) {
  return InsideStageWith(p, w, h, [&](Rect r) { return MaskOf(p).AnySolid(r); });
}

int BorderBits(const Placed& p, int w, int h) {
  return BorderBitsWith(p, w, h, [&](Rect r) { return MaskOf(p).AnySolid(r); });
}

bool PixelOverlapReference(const Placed& a, const Placed& b) {
  if (!a.Valid() || !b.Valid()) return false;
  const Rect i = ClipRect(a.Bounds(), b.Bounds());
  for (int y = i.top; y < i.bottom; ++y)
    for (int x = i.left; x < i.right; ++x)
      if (SolidAt(a, x - a.x, y - a.y) && SolidAt(b, x - b.x, y - b.y)) return true;
  return false;
}

bool InsideStageReference(const Placed& p, int w, int h) {
  return InsideStageWith(p, w, h, [&](Rect r) { return AnySolidReference(p, r); });
}

int BorderBitsReference(const Placed& p, int w, int h) {
  return BorderBitsWith(p, w, h, [&](Rect r) { return AnySolidReference(p, r); });
}

}  // namespace stage
