// An RGBA drawing surface for generated art, plus the shape masks the sprites are built
// from. Every sprite is a stack of parts; each part is a mask filled with a four-shade
// ramp lit from the top-left, so all characters share one look.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace assetgen {

struct Rgba {
  uint8_t r = 0, g = 0, b = 0, a = 0;
  friend bool operator==(const Rgba&, const Rgba&) = default;
};
inline constexpr Rgba Opaque(uint32_t rgb) {
  return {uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb), 255};
}

// Darkest (edge) to lightest.
struct Ramp {
  Rgba c[4];
};

class Canvas {
 public:
  Canvas() = default;
  Canvas(int w, int h, Rgba fill = {}) : w_(w), h_(h), px_(size_t(w) * h, fill) {}
  int Width() const { return w_; }
  int Height() const { return h_; }
  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < w_ && y < h_; }
  Rgba& At(int x, int y) { return px_[size_t(y) * w_ + x]; }
  Rgba At(int x, int y) const { return px_[size_t(y) * w_ + x]; }
  void Set(int x, int y, Rgba c) {
    if (Inside(x, y)) At(x, y) = c;
  }
  // Source-over with 8-bit alpha; opaque stays opaque.
  void Blend(int x, int y, Rgba c, int alpha255);
  void FillRect(int x, int y, int w, int h, Rgba c);
  // Copies src's opaque-ish pixels (a > 0) at (dx, dy), optionally mirrored.
  void Paste(const Canvas& src, int dx, int dy, bool mirror = false);
  // Adds a one-pixel outline of `c` around every opaque region (4-neighbourhood).
  void Outline(Rgba c);
  const std::vector<Rgba>& Pixels() const { return px_; }

 private:
  int w_ = 0, h_ = 0;
  std::vector<Rgba> px_;
};

// A coverage mask in canvas coordinates; shapes are unioned into it.
class Mask {
 public:
  Mask(int w, int h) : w_(w), h_(h), m_(size_t(w) * h, 0) {}
  bool Get(int x, int y) const { return x >= 0 && y >= 0 && x < w_ && y < h_ && m_[size_t(y) * w_ + x]; }
  void Put(int x, int y, bool on = true) {
    if (x >= 0 && y >= 0 && x < w_ && y < h_) m_[size_t(y) * w_ + x] = on;
  }
  int Width() const { return w_; }
  int Height() const { return h_; }
  Mask& Ellipse(double cx, double cy, double rx, double ry, double angleDeg = 0);
  // A limb: segment a-b with radius ra at a and rb at b (round ends).
  Mask& Capsule(double ax, double ay, double bx, double by, double ra, double rb);
  Mask& Polygon(const std::vector<double>& xy);  // x0,y0,x1,y1,...
  Mask& Rect(int x, int y, int w, int h);
  Mask& Subtract(const Mask& other);
  Mask& Intersect(const Mask& other);

 private:
  int w_, h_;
  std::vector<uint8_t> m_;
};

// Fills the mask with the ramp: edge pixels take c[0], pixels facing the light c[3],
// pixels facing away c[1], the rest c[2]. `depth` sets how far inside the light and
// shadow bands reach.
void Shade(Canvas& cv, const Mask& m, const Ramp& ramp, int depth = 2);
// Flat fill, no shading.
void Flat(Canvas& cv, const Mask& m, Rgba c);

// Deterministic pseudo-random numbers (xorshift), so every run writes the same bytes.
class Rng {
 public:
  explicit Rng(uint32_t seed) : s_(seed ? seed : 1) {}
  uint32_t Next() {
    s_ ^= s_ << 13;
    s_ ^= s_ >> 17;
    s_ ^= s_ << 5;
    return s_;
  }
  int Range(int lo, int hi) { return lo + int(Next() % uint32_t(hi - lo + 1)); }
  double Unit() { return (Next() & 0xFFFFFF) / double(0x1000000); }

 private:
  uint32_t s_;
};

}  // namespace assetgen
