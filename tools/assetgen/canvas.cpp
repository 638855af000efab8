#include "tools/assetgen/canvas.h"

#include <algorithm>
#include <cmath>

namespace assetgen {

void Canvas::Blend(int x, int y, Rgba c, int alpha255) {
  if (!Inside(x, y) || alpha255 <= 0) return;
  Rgba& d = At(x, y);
  int a = std::min(alpha255, 255);
  if (d.a == 0) {
    d = {c.r, c.g, c.b, uint8_t(a)};
    return;
  }
  d.r = uint8_t((c.r * a + d.r * (255 - a) + 127) / 255);
  d.g = uint8_t((c.g * a + d.g * (255 - a) + 127) / 255);
  d.b = uint8_t((c.b * a + d.b * (255 - a) + 127) / 255);
  d.a = uint8_t(std::max<int>(d.a, a));
}

void Canvas::FillRect(int x, int y, int w, int h, Rgba c) {
  for (int yy = std::max(0, y); yy < std::min(h_, y + h); ++yy)
    for (int xx = std::max(0, x); xx < std::min(w_, x + w); ++xx) At(xx, yy) = c;
}

void Canvas::Paste(const Canvas& src, int dx, int dy, bool mirror) {
  for (int y = 0; y < src.Height(); ++y)
    for (int x = 0; x < src.Width(); ++x) {
      Rgba c = src.At(mirror ? src.Width() - 1 - x : x, y);
      if (c.a == 255)
        Set(dx + x, dy + y, c);
      else if (c.a > 0)
        Blend(dx + x, dy + y, c, c.a);
    }
}

void Canvas::Outline(Rgba c) {
  std::vector<uint8_t> add(px_.size(), 0);
  for (int y = 0; y < h_; ++y)
    for (int x = 0; x < w_; ++x) {
      if (At(x, y).a != 0) continue;
      auto solid = [&](int xx, int yy) { return Inside(xx, yy) && At(xx, yy).a >= 128; };
      if (solid(x - 1, y) || solid(x + 1, y) || solid(x, y - 1) || solid(x, y + 1)) add[size_t(y) * w_ + x] = 1;
    }
  for (size_t i = 0; i < px_.size(); ++i)
    if (add[i]) px_[i] = c;
}

Mask& Mask::Ellipse(double cx, double cy, double rx, double ry, double angleDeg) {
  double a = angleDeg * M_PI / 180.0, ca = std::cos(a), sa = std::sin(a);
  double r = std::max(rx, ry) + 1;
  for (int y = int(std::floor(cy - r)); y <= int(std::ceil(cy + r)); ++y)
    for (int x = int(std::floor(cx - r)); x <= int(std::ceil(cx + r)); ++x) {
      double px = x + 0.5 - cx, py = y + 0.5 - cy;
      double u = px * ca + py * sa, v = -px * sa + py * ca;
      if ((u * u) / (rx * rx) + (v * v) / (ry * ry) <= 1.0) Put(x, y);
    }
  return *this;
}

Mask& Mask::Capsule(double ax, double ay, double bx, double by, double ra, double rb) {
  double dx = bx - ax, dy = by - ay, len2 = dx * dx + dy * dy;
  double r = std::max(ra, rb) + 1;
  int x0 = int(std::floor(std::min(ax, bx) - r)), x1 = int(std::ceil(std::max(ax, bx) + r));
  int y0 = int(std::floor(std::min(ay, by) - r)), y1 = int(std::ceil(std::max(ay, by) + r));
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) {
      double px = x + 0.5 - ax, py = y + 0.5 - ay;
      double t = len2 > 0 ? std::clamp((px * dx + py * dy) / len2, 0.0, 1.0) : 0.0;
      double ex = px - t * dx, ey = py - t * dy;
      double rr = ra + (rb - ra) * t;
      if (ex * ex + ey * ey <= rr * rr) Put(x, y);
    }
  return *this;
}

Mask& Mask::Polygon(const std::vector<double>& xy) {
  size_t n = xy.size() / 2;
  if (n < 3) return *this;
  for (int y = 0; y < h_; ++y) {
    double sy = y + 0.5;
    std::vector<double> xs;
    for (size_t i = 0; i < n; ++i) {
      double x1 = xy[2 * i], y1 = xy[2 * i + 1];
      double x2 = xy[2 * ((i + 1) % n)], y2 = xy[2 * ((i + 1) % n) + 1];
      if ((y1 <= sy && y2 > sy) || (y2 <= sy && y1 > sy)) xs.push_back(x1 + (sy - y1) / (y2 - y1) * (x2 - x1));
    }
    std::sort(xs.begin(), xs.end());
    for (size_t i = 0; i + 1 < xs.size(); i += 2)
      for (int x = int(std::ceil(xs[i] - 0.5)); x <= int(std::floor(xs[i + 1] - 0.5)); ++x) Put(x, y);
  }
  return *this;
}

Mask& Mask::Rect(int x, int y, int w, int h) {
  for (int yy = y; yy < y + h; ++yy)
    for (int xx = x; xx < x + w; ++xx) Put(xx, yy);
  return *this;
}

Mask& Mask::Subtract(const Mask& o) {
  for (size_t i = 0; i < m_.size(); ++i)
    if (o.m_[i]) m_[i] = 0;
  return *this;
}

Mask& Mask::Intersect(const Mask& o) {
  for (size_t i = 0; i < m_.size(); ++i)
    if (!o.m_[i]) m_[i] = 0;
  return *this;
}

void Shade(Canvas& cv, const Mask& m, const Ramp& ramp, int depth) {
  for (int y = 0; y < m.Height(); ++y)
    for (int x = 0; x < m.Width(); ++x) {
      if (!m.Get(x, y)) continue;
      bool edge = !m.Get(x - 1, y) || !m.Get(x + 1, y) || !m.Get(x, y - 1) || !m.Get(x, y + 1);
      Rgba c = ramp.c[2];
      if (edge)
        c = ramp.c[0];
      else if (!m.Get(x + depth, y + depth) || !m.Get(x + depth + 1, y))
        c = ramp.c[1];
      else if (!m.Get(x - depth, y - depth) || !m.Get(x - 1, y - depth))
        c = ramp.c[3];
      cv.Set(x, y, c);
    }
}

void Flat(Canvas& cv, const Mask& m, Rgba c) {
  for (int y = 0; y < m.Height(); ++y)
    for (int x = 0; x < m.Width(); ++x)
      if (m.Get(x, y)) cv.Set(x, y, c);
}

}  // namespace assetgen
