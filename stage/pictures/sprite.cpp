#include "stage/pictures/sprite.h"

#include <algorithm>
#include <cstring>

#include "stage/pictures/pixels.h"

namespace stage {

SolidMask::SolidMask(const PictureFrame& frame, int width, int height)
    : width_(width), height_(height), wordsPerRow_((width + 63) / 64) {
  words_.assign(size_t(wordsPerRow_) * size_t(height), 0);
  spans_.resize(size_t(height));
  const bool hasKey = frame.key != kDefaultColour;
  const uint32_t keyPixel = KeyToPixel(frame.key);
  int bx0 = width, by0 = height, bx1 = 0, by1 = 0;
  for (int y = 0; y < height; ++y) {
    const uint32_t* src = frame.pixels.Row(y);
    uint64_t* row = words_.data() + size_t(y) * size_t(wordsPerRow_);
    Span span{width, 0};
    for (int x = 0; x < width; ++x) {
      if (!IsSolid(src[x], hasKey, keyPixel)) continue;
      row[size_t(x) >> 6] |= uint64_t(1) << (unsigned(x) & 63);
      span.first = std::min(span.first, x);
      span.last = x + 1;
    }
    spans_[size_t(y)] = span;
    if (span.first < span.last) {
      bx0 = std::min(bx0, span.first);
      bx1 = std::max(bx1, span.last);
      by0 = std::min(by0, y);
      by1 = y + 1;
    }
  }
  bounds_ = (bx0 < bx1) ? platform::Rect{bx0, by0, bx1, by1} : platform::Rect{};
}

uint64_t SolidMask::Bits(int y, int x) const {
  const uint64_t* row = Row(y);
  const int word = x >> 6, shift = x & 63;
  uint64_t lo = word < wordsPerRow_ ? row[word] : 0;
  if (shift == 0) return lo;
  uint64_t hi = word + 1 < wordsPerRow_ ? row[word + 1] : 0;
  return (lo >> shift) | (hi << (64 - shift));
}

namespace {
inline platform::Rect ClipRect(const platform::Rect& a, const platform::Rect& b) {
  const platform::Rect r{std::max(a.left, b.left), std::max(a.top, b.top),
                         std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
  return r.Empty() ? platform::Rect{} : r;
}
}  // namespace

bool SolidMask::AnySolid(platform::Rect r) const {
  r = ClipRect(r, ClipRect(bounds_, {0, 0, width_, height_}));
  if (r.Empty()) return false;
  for (int y = r.top; y < r.bottom; ++y) {
    const int x0 = std::max(r.left, FirstSolid(y)), x1 = std::min(r.right, LastSolid(y));
    for (int x = x0; x < x1; x += 64) {
      uint64_t bits = Bits(y, x);
      const int n = x1 - x;
      if (n < 64) bits &= (uint64_t(1) << n) - 1;
      if (bits) return true;
    }
  }
  return false;
}

namespace {

uint64_t HashPicture(const Picture& p) {
  // FNV-1a over the geometry and every frame; only used to find candidates, equality
  // is always decided by comparing content.
  uint64_t h = 1469598103934665603ull;
  auto mix = [&h](uint64_t v) {
    h ^= v;
    h *= 1099511628211ull;
  };
  mix(uint64_t(uint32_t(p.width)));
  mix(uint64_t(uint32_t(p.height)));
  mix(p.frames.size());
  for (const PictureFrame& f : p.frames) {
    mix(f.key);
    mix(uint64_t(uint32_t(f.delayMs)));
    const uint32_t* px = f.pixels.Data();
    const size_t n = size_t(f.pixels.Width()) * size_t(f.pixels.Height());
    for (size_t i = 0; i + 1 < n; i += 2) mix(uint64_t(px[i]) | (uint64_t(px[i + 1]) << 32));
    if (n & 1) mix(px[n - 1]);
  }
  return h;
}

FrameAlpha ClassifyAlpha(const PictureFrame& f) {
  FrameAlpha cls = FrameAlpha::Opaque;
  const uint32_t* px = f.pixels.Data();
  const size_t n = size_t(f.pixels.Width()) * size_t(f.pixels.Height());
  for (size_t i = 0; i < n; ++i) {
    const uint32_t t = px[i] >> 24;
    if (t == 0) continue;
    if (t != 255) return FrameAlpha::Mixed;
    cls = FrameAlpha::Binary;
  }
  return cls;
}

}  // namespace

bool Sprite::SameContent(const Sprite& o) const {
  if (hash != o.hash || picture.width != o.picture.width ||
      picture.height != o.picture.height || picture.frames.size() != o.picture.frames.size())
    return false;
  for (size_t i = 0; i < picture.frames.size(); ++i) {
    const PictureFrame& a = picture.frames[i];
    const PictureFrame& b = o.picture.frames[i];
    if (a.key != b.key || a.delayMs != b.delayMs) return false;
    const size_t n = size_t(picture.width) * size_t(picture.height);
    if (std::memcmp(a.pixels.Data(), b.pixels.Data(), n * sizeof(uint32_t)) != 0) return false;
  }
  return true;
}

SpritePtr MakeSprite(Picture picture) {
  if (!picture.Valid()) return nullptr;
  for (const PictureFrame& f : picture.frames) {
    // A frame whose surface disagrees with the picture's size would make every loop
    // below read out of bounds; such a picture is no picture.
    if (f.pixels.Width() != picture.width || f.pixels.Height() != picture.height) return nullptr;
  }
  auto s = std::make_shared<Sprite>();
  s->hash = HashPicture(picture);
  s->frames.reserve(picture.frames.size());
  for (const PictureFrame& f : picture.frames) {
    FrameInfo info;
    info.alpha = ClassifyAlpha(f);
    info.hasKey = f.key != kDefaultColour;
    info.keyPixel = KeyToPixel(f.key);
    info.mask = SolidMask(f, picture.width, picture.height);
    s->frames.push_back(std::move(info));
  }
  s->picture = std::move(picture);
  return s;
}

}  // namespace stage
