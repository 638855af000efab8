// The program's icon: the hero mid-swing on a night-blue badge with a gold rim. It is
// drawn once at 256 x 256, the hero's chunky pixels enlarged by a whole factor; the
// smaller sizes are averaged down from it, each output pixel the exact area it covers,
// so the small icons stay balanced instead of losing pixels.
#include <algorithm>
#include <cmath>

#include "tools/assetgen/art.h"
#include "tools/assetgen/palette.h"

namespace assetgen {

namespace {

constexpr int kMaster = 256;

// Coverage (0..1) of pixel (x, y) by a rounded square inset by `inset`, corner radius r.
double RoundedSquare(int x, int y, double inset, double r) {
  const double lo = inset + r, hi = kMaster - inset - r;
  const double px = x + 0.5, py = y + 0.5;
  const double dx = std::max({lo - px, 0.0, px - hi}), dy = std::max({lo - py, 0.0, py - hi});
  return std::clamp(r - std::hypot(dx, dy) + 0.5, 0.0, 1.0);
}

Rgba Mix(Rgba a, Rgba b, double t) {
  auto m = [t](uint8_t x, uint8_t y) { return uint8_t(std::lround(x + (y - x) * t)); };
  return {m(a.r, b.r), m(a.g, b.g), m(a.b, b.b), 255};
}

Canvas Badge() {
  Canvas cv(kMaster, kMaster);
  const Rgba top = Opaque(0x1C2A58), bottom = Opaque(0x3A1E3A);
  for (int y = 0; y < kMaster; ++y)
    for (int x = 0; x < kMaster; ++x) {
      const double outer = RoundedSquare(x, y, 6, 44), rim = RoundedSquare(x, y, 16, 34);
      if (outer <= 0) continue;
      Rgba c = Mix(top, bottom, y / double(kMaster - 1));
      // A pale moon behind the hero's head.
      const double moon = std::hypot(x - 150.0, y - 92.0);
      if (moon < 58) c = Mix(c, pal::kLight.c[2], std::clamp((58 - moon) / 10, 0.0, 1.0) * 0.55);
      // The gold rim between the outer edge and the inner field.
      const Rgba gold = y < kMaster / 2 ? pal::kGold.c[3] : pal::kGold.c[2];
      c = Mix(gold, c, rim);
      cv.Blend(x, y, c, int(std::lround(outer * 255)));
    }
  return cv;
}

// The hero's opaque bounding box.
void Bounds(const Canvas& c, int& x0, int& y0, int& x1, int& y1) {
  x0 = c.Width(), y0 = c.Height(), x1 = -1, y1 = -1;
  for (int y = 0; y < c.Height(); ++y)
    for (int x = 0; x < c.Width(); ++x)
      if (c.At(x, y).a >= 128) {
        x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
      }
}

Canvas Master() {
  Canvas cv = Badge();
  Canvas hero = HeroPreview();
  hero.Outline(pal::kOutline);
  int x0, y0, x1, y1;
  Bounds(hero, x0, y0, x1, y1);
  if (x1 < x0) return cv;
  const int w = x1 - x0 + 1, h = y1 - y0 + 1;
  const int inner = kMaster - 2 * 30;
  const int f = std::max(1, std::min(inner / w, inner / h));
  // Centred, standing a little low so the feet meet the rim.
  const int ox = (kMaster - w * f) / 2, oy = kMaster - 26 - h * f;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      // Facing right, into the picture, as an icon reads.
      const Rgba c = hero.At(x1 - x, y0 + y);
      if (c.a < 128) continue;
      cv.FillRect(ox + x * f, oy + y * f, f, f, Rgba{c.r, c.g, c.b, 255});
    }
  return cv;
}

// Area-weighted reduction with premultiplied alpha (edges do not darken).
Canvas Reduce(const Canvas& src, int size) {
  Canvas out(size, size);
  const double s = double(src.Width()) / size;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      double r = 0, g = 0, b = 0, a = 0, area = 0;
      const double sx0 = x * s, sx1 = (x + 1) * s, sy0 = y * s, sy1 = (y + 1) * s;
      for (int yy = int(sy0); yy < int(std::ceil(sy1)) && yy < src.Height(); ++yy) {
        const double wy = std::min(sy1, yy + 1.0) - std::max(sy0, double(yy));
        for (int xx = int(sx0); xx < int(std::ceil(sx1)) && xx < src.Width(); ++xx) {
          const double w = wy * (std::min(sx1, xx + 1.0) - std::max(sx0, double(xx)));
          const Rgba c = src.At(xx, yy);
          const double pa = c.a / 255.0 * w;
          r += c.r * pa, g += c.g * pa, b += c.b * pa, a += pa, area += w;
        }
      }
      if (a <= 0) continue;
      out.At(x, y) = {uint8_t(std::lround(r / a)), uint8_t(std::lround(g / a)),
                      uint8_t(std::lround(b / a)), uint8_t(std::lround(255 * a / area))};
    }
  return out;
}

}  // namespace

Bytes Icon(int size) {
  const Canvas master = Master();
  return EncodePng(size == kMaster ? master : Reduce(master, size), true);
}

}  // namespace assetgen
