// The five transforms applied when an object's picture is rendered: flip, rotation,
// zoom, tint and brightness, in that order, on every frame.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "stage/pictures/picture.h"
#include "stage/pictures/transform_math.h"

namespace stage {
namespace {

constexpr uint32_t kOutside = 0xFFFFFFFFu;  // fully transparent white

template <typename F>
Picture MapFrames(const Picture& p, int width, int height, F&& pixelSource) {
  Picture out;
  out.width = width;
  out.height = height;
  out.frames.reserve(p.frames.size());
  for (const PictureFrame& f : p.frames) {
    PictureFrame g;
    g.key = f.key;
    g.delayMs = f.delayMs;
    g.pixels = platform::Surface(width, height);
    for (int y = 0; y < height; ++y) {
      uint32_t* dst = g.pixels.Row(y);
      for (int x = 0; x < width; ++x) dst[x] = pixelSource(f.pixels, x, y);
    }
    out.frames.push_back(std::move(g));
  }
  return out;
}

bool IsKey(uint32_t pixel, uint32_t key) { return platform::FromPixel(pixel) == key; }

template <typename F>
void ForEachUnkeyedPixel(Picture& p, F&& change) {
  for (PictureFrame& f : p.frames) {
    const size_t count = size_t(f.pixels.Width()) * size_t(f.pixels.Height());
    uint32_t* px = f.pixels.Data();
    for (size_t i = 0; i < count; ++i)
      if (!IsKey(px[i], f.key)) px[i] = change(px[i]);
  }
}

}  // namespace

void FlipPicture(Picture& p, int turnType) {
  const bool mirror = turnType == 1 || turnType == 3;
  const bool upsideDown = turnType == 2 || turnType == 3;
  for (PictureFrame& f : p.frames) {
    platform::Surface& s = f.pixels;
    if (mirror)
      for (int y = 0; y < s.Height(); ++y) std::reverse(s.Row(y), s.Row(y) + s.Width());
    if (upsideDown)
      for (int y = 0; y < s.Height() / 2; ++y)
        std::swap_ranges(s.Row(y), s.Row(y) + s.Width(), s.Row(s.Height() - 1 - y));
  }
}

Picture RotatePicture(const Picture& p, int angleDegrees) {
  const int a = ((angleDegrees % 360) + 360) % 360;
  const int w = p.width, h = p.height;
  switch (a) {
    case 0:
      return p;
    case 90:  // clockwise: the left column becomes the top row
      return MapFrames(p, h, w, [h](const platform::Surface& s, int x, int y) {
        return s.At(y, h - 1 - x);
      });
    case 180:
      return MapFrames(p, w, h, [w, h](const platform::Surface& s, int x, int y) {
        return s.At(w - 1 - x, h - 1 - y);
      });
    case 270:
      return MapFrames(p, h, w, [w](const platform::Surface& s, int x, int y) {
        return s.At(w - 1 - y, x);
      });
    default:
      break;
  }
  const double rad = a * std::numbers::pi / 180.0;
  const double c = std::cos(rad), sn = std::sin(rad);
  // A tiny allowance keeps 2.0000000001 from rounding up to 3.
  const int nw = std::max(1, int(std::ceil(w * std::fabs(c) + h * std::fabs(sn) - 1e-9)));
  const int nh = std::max(1, int(std::ceil(w * std::fabs(sn) + h * std::fabs(c) - 1e-9)));
  // Each target pixel centre is turned back (counter-clockwise) about the centres.
  return MapFrames(p, nw, nh, [=](const platform::Surface& s, int x, int y) {
    const double dx = x + 0.5 - nw / 2.0, dy = y + 0.5 - nh / 2.0;
    const double sx = dx * c + dy * sn + w / 2.0;
    const double sy = -dx * sn + dy * c + h / 2.0;
    if (sx < 0 || sy < 0 || sx >= w || sy >= h) return kOutside;
    return s.At(int(sx), int(sy));
  });
}

// Scaling both axes at once with independent steps gives exactly what scaling
// horizontally and then vertically gives, for nearest-neighbour sampling with these
// steps; so one pass serves every combination of growing and shrinking.
std::optional<Picture> ZoomPicture(const Picture& p, int zoomX, int zoomY) {
  if ((zoomX == 1000 && zoomY == 1000) || zoomX <= 0 || zoomY <= 0) return p;
  const int nw = ZoomedSize(p.width, zoomX), nh = ZoomedSize(p.height, zoomY);
  if (nw <= 0 || nh <= 0) return std::nullopt;
  if (!rt::pictures::DimensionsValid(nw, nh)) return std::nullopt;
  const uint32_t stepX = ZoomStep(p.width, nw), stepY = ZoomStep(p.height, nh);
  std::vector<int> columns(size_t(nw), 0);
  for (int x = 0; x < nw; ++x) columns[size_t(x)] = int((uint64_t(stepX) * uint64_t(x)) >> 8);

  Picture out;
  out.width = nw;
  out.height = nh;
  for (const PictureFrame& f : p.frames) {
    PictureFrame g;
    g.delayMs = f.delayMs;
    g.key = kDefaultColour;  // scaling clears the key; transparency bytes carry on
    g.pixels = platform::Surface(nw, nh);
    for (int y = 0; y < nh; ++y) {
      const uint32_t* src = f.pixels.Row(int((uint64_t(stepY) * uint64_t(y)) >> 8));
      uint32_t* dst = g.pixels.Row(y);
      for (int x = 0; x < nw; ++x) dst[x] = src[columns[size_t(x)]];
    }
    out.frames.push_back(std::move(g));
  }
  return out;
}

void TintPicture(Picture& p, uint32_t trendColour, int depth) {
  if (depth <= 0) return;
  depth = std::min(depth, 100);
  // TintPixel, one channel at a time through tables: a pulse tints every frame of a
  // sprite on each of its steps.
  const TintTables tables(platform::ToPixel(trendColour), depth);
  ForEachUnkeyedPixel(p, [&](uint32_t px) { return tables.Apply(px); });
}

void BrightenPicture(Picture& p, int light) {
  if (light == 0) return;
  ForEachUnkeyedPixel(p, [&](uint32_t px) { return BrightenPixel(px, light); });
}

}  // namespace stage
