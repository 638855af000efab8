#include "demo_pictures.h"

#include "tools/encoders/crafted.h"

namespace stagedemo {

namespace {

uint8_t CubeIndex(uint32_t rgb) {
  auto q = [](uint32_t c) { return (c * 5 + 127) / 255; };
  return uint8_t(1 + q((rgb >> 16) & 0xFF) * 36 + q((rgb >> 8) & 0xFF) * 6 + q(rgb & 0xFF));
}

}  // namespace

std::vector<uint8_t> MakeGif(int width, int height, int frames, int delayCs, const PaintFn& paint) {
  encoders::GifImage gif;
  gif.width = width;
  gif.height = height;
  // Entry 0 is the transparent one (a green nobody paints with), then the colour cube.
  gif.palette.push_back(0x00FF01);
  for (int i = 0; i < 255; ++i) {
    const uint32_t r = (i / 36) % 6, g = (i / 6) % 6, b = i % 6;
    gif.palette.push_back((r * 51) << 16 | (g * 51) << 8 | b * 51);
  }
  for (int f = 0; f < frames; ++f) {
    encoders::GifFrame frame;
    frame.delayCs = delayCs;
    frame.transparentIndex = 0;
    frame.indices.resize(size_t(width) * size_t(height));
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const int64_t c = paint(f, x, y);
        frame.indices[size_t(y * width + x)] = c < 0 ? 0 : CubeIndex(uint32_t(c));
      }
    gif.frames.push_back(std::move(frame));
  }
  return encoders::EncodeGif(gif);
}

std::vector<uint8_t> MakeBmp(int width, int height, const std::function<uint32_t(int, int)>& paint) {
  encoders::BmpLayout bmp;
  bmp.width = width;
  bmp.height = height;
  bmp.bitCount = 32;
  bmp.pixels.reserve(size_t(width) * size_t(height));
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) bmp.pixels.push_back(paint(x, y) & 0xFFFFFF);
  return encoders::BmpFile(bmp);
}

}  // namespace stagedemo
