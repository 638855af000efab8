// BGRA32 top-down pixel surfaces. A pixel is a uint32_t 0xAARRGGBB in memory order
// B, G, R, A. The desktop treats alpha as "don't care" except where a caller says so.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/types.h"

namespace platform {

inline constexpr uint32_t ToPixel(COLORREF c) {
  return 0xFF000000u | (uint32_t(GetR(c)) << 16) | (uint32_t(GetG(c)) << 8) | GetB(c);
}
inline constexpr COLORREF FromPixel(uint32_t p) {
  return Rgb(uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p));
}

class Surface {
 public:
  Surface() = default;
  Surface(int width, int height, uint32_t fill = 0xFF000000u);
  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return width_ <= 0 || height_ <= 0; }
  uint32_t* Row(int y) { return pixels_.data() + size_t(y) * size_t(width_); }
  const uint32_t* Row(int y) const { return pixels_.data() + size_t(y) * size_t(width_); }
  uint32_t& At(int x, int y) { return Row(y)[x]; }
  uint32_t At(int x, int y) const { return Row(y)[x]; }
  uint32_t* Data() { return pixels_.data(); }
  const uint32_t* Data() const { return pixels_.data(); }
  Rect Bounds() const { return {0, 0, width_, height_}; }
  void Resize(int width, int height, uint32_t fill = 0xFF000000u);
  // Resizes leaving the pixels unspecified, for a caller about to write every one.
  void Reshape(int width, int height);
  void Fill(const Rect& r, uint32_t pixel);  // clipped

 private:
  int width_ = 0, height_ = 0;
  std::vector<uint32_t> pixels_;
};

// Whether a PNG keeps the pixels' top byte as its alpha channel (8-bit RGBA) or is
// opaque (8-bit RGB, the top byte dropped).
enum class PngAlpha { Drop, Keep };
// Writes a surface as a PNG. Returns false on any failure.
bool WritePng(const Surface& s, const std::string& utf8Path, PngAlpha alpha = PngAlpha::Drop);
// Same, into memory.
bool EncodePng(const Surface& s, std::vector<uint8_t>& out, PngAlpha alpha = PngAlpha::Drop);

}  // namespace platform
