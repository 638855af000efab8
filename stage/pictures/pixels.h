// Pixel arithmetic of the stage: solid-pixel test, colour keys and the blend of one
// sprite pixel over the composed buffer. Frame pixels are 0xTTRRGGBB with a
// transparency byte T (0 opaque, 255 invisible); buffer pixels are 0xAARRGGBB with the
// alpha byte ignored.
#pragma once
#include <cstdint>

namespace stage {

// A COLORREF key (0x00BBGGRR) in frame pixel order (B, G, R) with a fourth byte of 0.
constexpr uint32_t KeyToPixel(uint32_t colorref) {
  return ((colorref & 0xFFu) << 16) | (colorref & 0xFF00u) | ((colorref >> 16) & 0xFFu);
}

constexpr uint32_t kNoKey = 0xFF000000u;  // COLORREF "none", same value as kDefaultColour

// Collision and tint compare whole pixels: a pixel with a non-zero transparency byte
// never matches the key there.
constexpr bool IsSolid(uint32_t pixel, bool hasKey, uint32_t keyPixel) {
  return (pixel >> 24) < 255u && !(hasKey && pixel == keyPixel);
}

// Painting compares only the three colour bytes with the key.
constexpr bool MatchesKeyColour(uint32_t pixel, uint32_t keyPixel) {
  return ((pixel ^ keyPixel) & 0x00FFFFFFu) == 0;
}

// round(d / 255) for |d| <= 255 * 255; d / 255 is never exactly half-way, so the
// direction of rounding at .5 never matters.
constexpr int RoundDiv255(int d) { return d >= 0 ? (d + 127) / 255 : -((-d + 127) / 255); }

// One channel: dst + round((src - dst) * weight / 255), weight = 255 - opacity sum.
constexpr uint32_t BlendChannel(uint32_t src, uint32_t dst, int weight) {
  return uint32_t(int(dst) + RoundDiv255((int(src) - int(dst)) * weight));
}

// The blend of one sprite pixel over a buffer pixel, given o = object part + the
// pixel's transparency byte. o <= 0 copies, o >= 255 leaves the buffer alone.
constexpr uint32_t BlendPixel(uint32_t src, uint32_t dst, int o) {
  if (o <= 0) return src;
  if (o >= 255) return dst;
  const int w = 255 - o;
  const uint32_t b = BlendChannel(src & 0xFF, dst & 0xFF, w);
  const uint32_t g = BlendChannel((src >> 8) & 0xFF, (dst >> 8) & 0xFF, w);
  const uint32_t r = BlendChannel((src >> 16) & 0xFF, (dst >> 16) & 0xFF, w);
  return (dst & 0xFF000000u) | (r << 16) | (g << 8) | b;
}

// The object part of the opacity sum: round(alpha x 255 / 100). A negative alpha
// counts as 0 (opaque): letting it go below 0 would reveal pixels whose transparency
// byte says invisible, such as the blank canvas of a GIF.
constexpr int AlphaToOpacity(int alpha) {
  if (alpha <= 0) return 0;
  if (alpha >= 100) return 255;
  return (alpha * 255 + 50) / 100;
}

static_assert(RoundDiv255(127) == 0 && RoundDiv255(128) == 1 && RoundDiv255(-128) == -1);
static_assert(BlendPixel(0x00FF0000u, 0xFF0000FFu, 0) == 0x00FF0000u);
static_assert(BlendPixel(0x00FF0000u, 0xFF0000FFu, 255) == 0xFF0000FFu);
// Half way between pure red and pure blue: 255 * 127 / 255 = 127, and 128 for blue.
static_assert(BlendPixel(0x00FF0000u, 0xFF0000FFu, 128) == 0xFF7F0080u);
static_assert(AlphaToOpacity(50) == 128 && AlphaToOpacity(1) == 3 && AlphaToOpacity(-5) == 0);
static_assert(KeyToPixel(0x00112233u) == 0x00332211u);

}  // namespace stage
