#include "demo_pictures.h"

#include <algorithm>
#include <cstddef>

namespace stagedemo {

namespace {

void Put16(std::vector<uint8_t>& out, int v) {
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

uint8_t CubeIndex(uint32_t rgb) {
  auto q = [](uint32_t c) { return (c * 5 + 127) / 255; };
  return uint8_t(1 + q((rgb >> 16) & 0xFF) * 36 + q((rgb >> 8) & 0xFF) * 6 + q(rgb & 0xFF));
}

// 8-bit literal codes only, a clear code before the table would need 10 bits.
void AppendLzw(std::vector<uint8_t>& out, const std::vector<uint8_t>& indexes) {
  std::vector<uint8_t> data;
  uint32_t acc = 0;
  int bits = 0, since = 0;
  auto emit = [&](int code) {
    acc |= uint32_t(code) << bits;
    for (bits += 9; bits >= 8; bits -= 8, acc >>= 8) data.push_back(uint8_t(acc));
  };
  emit(256);
  for (uint8_t v : indexes) {
    if (since == 250) {
      emit(256);
      since = 0;
    }
    emit(v);
    ++since;
  }
  emit(257);
  if (bits) data.push_back(uint8_t(acc));
  out.push_back(8);
  for (size_t at = 0; at < data.size(); at += 255) {
    const size_t k = std::min<size_t>(255, data.size() - at);
    out.push_back(uint8_t(k));
    out.insert(out.end(), data.begin() + ptrdiff_t(at), data.begin() + ptrdiff_t(at + k));
  }
  out.push_back(0);
}

}  // namespace

std::vector<uint8_t> MakeGif(int width, int height, int frames, int delayCs, const PaintFn& paint) {
  std::vector<uint8_t> out = {'G', 'I', 'F', '8', '9', 'a'};
  Put16(out, width);
  Put16(out, height);
  out.insert(out.end(), {0xF7, 0, 0});
  // Entry 0 is the transparent one (a green nobody paints with), then the colour cube.
  out.insert(out.end(), {0, 255, 1});
  for (int i = 0; i < 255; ++i) {
    const int r = (i / 36) % 6, g = (i / 6) % 6, b = i % 6;
    out.insert(out.end(), {uint8_t(r * 51), uint8_t(g * 51), uint8_t(b * 51)});
  }
  for (int f = 0; f < frames; ++f) {
    out.insert(out.end(), {0x21, 0xF9, 4, 1});
    Put16(out, delayCs);
    out.insert(out.end(), {0, 0, 0x2C});
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, width);
    Put16(out, height);
    out.push_back(0);
    std::vector<uint8_t> idx(size_t(width) * size_t(height));
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const int64_t c = paint(f, x, y);
        idx[size_t(y * width + x)] = c < 0 ? 0 : CubeIndex(uint32_t(c));
      }
    AppendLzw(out, idx);
  }
  out.push_back(0x3B);
  return out;
}

std::vector<uint8_t> MakeBmp(int width, int height, const std::function<uint32_t(int, int)>& paint) {
  std::vector<uint8_t> out = {'B', 'M'};
  const uint32_t image = uint32_t(width * height * 4);
  Put32(out, 54 + image);
  Put32(out, 0);
  Put32(out, 54);
  Put32(out, 40);
  Put32(out, uint32_t(width));
  Put32(out, uint32_t(height));
  Put16(out, 1);
  Put16(out, 32);
  for (int i = 0; i < 6; ++i) Put32(out, i == 1 ? image : 0);
  for (int y = height - 1; y >= 0; --y)
    for (int x = 0; x < width; ++x) {
      const uint32_t c = paint(x, y);
      out.insert(out.end(), {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16), 0});
    }
  return out;
}

}  // namespace stagedemo
