#include "stage/pictures/blit.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "stage/pictures/pixels.h"

namespace stage {

namespace {

enum class Loop { Copy, CopyBinary, Uniform, General };

struct SpanJob {
  const uint32_t* src;
  uint32_t* dst;
  int count;
  uint32_t keyPixel;
  int opacity;                        // object part of o, 0..254
  const int16_t* uniformTable;        // Uniform: table[d + 255] = round(d x w / 255)
};

inline bool SkipKey(uint32_t px, uint32_t keyPixel) { return MatchesKeyColour(px, keyPixel); }

inline uint32_t BlendUniform(uint32_t s, uint32_t d, const int16_t* t) {
  const int b = int(d & 0xFF) + t[int(s & 0xFF) - int(d & 0xFF) + 255];
  const int g = int((d >> 8) & 0xFF) + t[int((s >> 8) & 0xFF) - int((d >> 8) & 0xFF) + 255];
  const int r = int((d >> 16) & 0xFF) + t[int((s >> 16) & 0xFF) - int((d >> 16) & 0xFF) + 255];
  return (d & 0xFF000000u) | (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b);
}

template <Loop kLoop, bool kKeyed>
void BlendSpan(const SpanJob& j) {
  const uint32_t* s = j.src;
  uint32_t* d = j.dst;
  if constexpr (kLoop == Loop::Copy && !kKeyed) {
    std::memcpy(d, s, size_t(j.count) * sizeof(uint32_t));
    return;
  }
  for (int i = 0; i < j.count; ++i) {
    const uint32_t px = s[i];
    if constexpr (kKeyed) {
      if (SkipKey(px, j.keyPixel)) continue;
    }
    if constexpr (kLoop == Loop::Copy) {
      d[i] = px;
    } else if constexpr (kLoop == Loop::CopyBinary) {
      if ((px >> 24) == 0) d[i] = px;
    } else if constexpr (kLoop == Loop::Uniform) {
      if ((px >> 24) == 0) d[i] = BlendUniform(px, d[i], j.uniformTable);
    } else {
      d[i] = BlendPixel(px, d[i], j.opacity + int(px >> 24));
    }
  }
}

using SpanFn = void (*)(const SpanJob&);

template <Loop kLoop>
SpanFn Pick(bool keyed) {
  return keyed ? &BlendSpan<kLoop, true> : &BlendSpan<kLoop, false>;
}

// The frame region that lands inside the buffer, in frame coordinates, and where it
// lands in the buffer. False when nothing is left.
bool Clip(const platform::Surface& buffer, platform::Point origin, const Sprite& s, int x,
          int y, platform::Rect& frameArea, platform::Point& dstAt) {
  const platform::Rect sprite{x, y, x + s.Width(), y + s.Height()};
  const platform::Rect buf{origin.x, origin.y, origin.x + buffer.Width(),
                           origin.y + buffer.Height()};
  const platform::Rect hit = platform::Intersect(sprite, buf);
  if (hit.Empty()) return false;
  frameArea = hit.Offset(-x, -y);
  dstAt = {hit.left - origin.x, hit.top - origin.y};
  return true;
}

}  // namespace

void BlendSprite(platform::Surface& buffer, platform::Point origin, const Sprite& sprite,
                 int frame, int x, int y, int alpha) {
  if (!sprite.Valid()) return;
  const int opacity = AlphaToOpacity(alpha);
  if (opacity >= 255) return;
  platform::Rect area;
  platform::Point at;
  if (!Clip(buffer, origin, sprite, x, y, area, at)) return;
  frame = ClampFrame(sprite, frame);
  const FrameInfo& info = sprite.frames[size_t(frame)];
  const platform::Surface& px = sprite.picture.frames[size_t(frame)].pixels;

  // Every pixel painting can show is solid (transparency byte below 255 and not the
  // key colour), so the mask's per-row solid spans bound the work on each row.
  std::array<int16_t, 511> table{};
  SpanFn fn;
  if (opacity == 0) {
    fn = info.alpha == FrameAlpha::Opaque   ? Pick<Loop::Copy>(info.hasKey)
         : info.alpha == FrameAlpha::Binary ? Pick<Loop::CopyBinary>(info.hasKey)
                                            : Pick<Loop::General>(info.hasKey);
  } else if (info.alpha != FrameAlpha::Mixed) {
    const int w = 255 - opacity;
    for (int d = -255; d <= 255; ++d) table[size_t(d + 255)] = int16_t(RoundDiv255(d * w));
    fn = Pick<Loop::Uniform>(info.hasKey);
  } else {
    fn = Pick<Loop::General>(info.hasKey);
  }
  SpanJob job{nullptr, nullptr, 0, info.keyPixel, opacity, table.data()};
  for (int fy = area.top; fy < area.bottom; ++fy) {
    const int x0 = std::max(area.left, info.mask.FirstSolid(fy));
    const int x1 = std::min(area.right, info.mask.LastSolid(fy));
    if (x0 >= x1) continue;
    job.src = px.Row(fy) + x0;
    job.dst = buffer.Row(at.y + fy - area.top) + at.x + (x0 - area.left);
    job.count = x1 - x0;
    fn(job);
  }
}

void BlendSpriteReference(platform::Surface& buffer, platform::Point origin,
                          const Sprite& sprite, int frame, int x, int y, int alpha) {
  if (!sprite.Valid()) return;
  frame = ClampFrame(sprite, frame);
  const PictureFrame& f = sprite.picture.frames[size_t(frame)];
  const bool hasKey = f.key != kDefaultColour;
  const uint32_t keyPixel = KeyToPixel(f.key);
  const int opacity = AlphaToOpacity(alpha);
  for (int fy = 0; fy < sprite.Height(); ++fy) {
    for (int fx = 0; fx < sprite.Width(); ++fx) {
      const int bx = x + fx - origin.x, by = y + fy - origin.y;
      if (bx < 0 || by < 0 || bx >= buffer.Width() || by >= buffer.Height()) continue;
      const uint32_t s = f.pixels.At(fx, fy);
      if (hasKey && MatchesKeyColour(s, keyPixel)) continue;
      buffer.At(bx, by) = BlendPixel(s, buffer.At(bx, by), opacity + int(s >> 24));
    }
  }
}

}  // namespace stage
