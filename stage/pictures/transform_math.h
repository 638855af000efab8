// Pixel arithmetic of the transforms, small enough to check at compile time.
#pragma once
#include <cstdint>

#include "runtime/pictures/picture_limits.h"

namespace stage {

// round(n / d) for d > 0, halves away from zero.
constexpr int64_t RoundedDiv(int64_t n, int64_t d) {
  return n >= 0 ? (n + d / 2) / d : -((-n + d / 2) / d);
}
static_assert(RoundedDiv(250, 100) == 3 && RoundedDiv(-250, 100) == -3);
static_assert(RoundedDiv(249, 100) == 2 && RoundedDiv(-249, 100) == -2);

// round(size x zoom / 1000).
constexpr int ZoomedSize(int size, int zoomPerMille) {
  return int(RoundedDiv(int64_t(size) * zoomPerMille, 1000));
}
// truncate(source / target x 256): the 8-bit fixed-point step of nearest sampling.
constexpr uint32_t ZoomStep(int source, int target) {
  return uint32_t((uint64_t(source) << 8) / uint64_t(target));
}
static_assert(ZoomedSize(3, 500) == 2 && ZoomedSize(10, 1500) == 15);
static_assert(ZoomStep(10, 15) == 170 && ZoomStep(10, 5) == 512);

// Each of blue, green, red moves towards the target by round((t - v) x depth / 100).
constexpr uint32_t TintPixel(uint32_t px, uint32_t target, int depth) {
  uint32_t out = px & 0xFF000000u;
  for (int shift = 0; shift < 24; shift += 8) {
    const int v = int((px >> shift) & 0xFF), t = int((target >> shift) & 0xFF);
    out |= uint32_t(v + RoundedDiv(int64_t(t - v) * depth, 100)) << shift;
  }
  return out;
}
static_assert(TintPixel(0x00000000, 0x00FF0000, 50) == 0x00800000);   // 127.5 -> 128
static_assert(TintPixel(0x000000FF, 0x00000000, 50) == 0x0000007F);   // -127.5 -> -128
static_assert(TintPixel(0xFF102030, 0x00102030, 100) == 0xFF102030);  // transparency kept

// TintPixel for one target and depth, looked up per channel.
struct TintTables {
  uint8_t channel[3][256] = {};
  constexpr TintTables(uint32_t target, int depth) {
    for (int c = 0; c < 3; ++c) {
      const int t = int((target >> (8 * c)) & 0xFF);
      for (int v = 0; v < 256; ++v)
        channel[c][v] = uint8_t(v + RoundedDiv(int64_t(t - v) * depth, 100));
    }
  }
  constexpr uint32_t Apply(uint32_t px) const {
    return (px & 0xFF000000u) | uint32_t(channel[0][px & 0xFF]) |
           (uint32_t(channel[1][(px >> 8) & 0xFF]) << 8) |
           (uint32_t(channel[2][(px >> 16) & 0xFF]) << 16);
  }
};
static_assert(TintTables(0x00FF0000, 50).Apply(0x12000000) == TintPixel(0x12000000, 0x00FF0000, 50));
static_assert(TintTables(0x00000000, 50).Apply(0x000000FF) == 0x0000007F);

// Each of blue, green, red becomes v + round(v x light / 100), clamped to 0..255.
constexpr uint32_t BrightenPixel(uint32_t px, int light) {
  uint32_t out = px & 0xFF000000u;
  for (int shift = 0; shift < 24; shift += 8) {
    const int64_t v = (px >> shift) & 0xFF;
    int64_t r = v + RoundedDiv(v * light, 100);
    r = r < 0 ? 0 : (r > 255 ? 255 : r);
    out |= uint32_t(r) << shift;
  }
  return out;
}
static_assert(BrightenPixel(0x00000064, 50) == 0x00000096);   // 100 -> 150
static_assert(BrightenPixel(0x000000C8, 50) == 0x000000FF);   // clamped
static_assert(BrightenPixel(0x00000005, -50) == 0x00000002);  // 5 - 2.5 -> 5 - 3
static_assert(BrightenPixel(0x00000064, -200) == 0x00000000);

}  // namespace stage
