#include "test_pictures.h"

#include <cstring>

#include "tools/encoders/encoders.h"

namespace stagetest {

std::vector<uint8_t> EncodeGif(int width, int height, const std::vector<uint32_t>& palette,
                               const std::vector<GifFrame>& frames, int transparentIndex) {
  encoders::GifImage gif;
  gif.width = width;
  gif.height = height;
  gif.palette = palette;
  gif.palette.resize(256, 0);  // every index a test may use has an entry
  for (const GifFrame& f : frames) {
    encoders::GifFrame frame;
    frame.indices = f.indexes;
    frame.delayCs = f.delayCs;
    frame.transparentIndex = transparentIndex;
    gif.frames.push_back(std::move(frame));
  }
  return encoders::EncodeGif(gif);
}

std::vector<uint8_t> SolidFramesGif(int width, int height, int frameCount, int delayCs) {
  std::vector<uint32_t> palette;
  for (int i = 0; i < frameCount; ++i) palette.push_back(0x102030u * uint32_t(i + 1));
  std::vector<GifFrame> frames;
  for (int i = 0; i < frameCount; ++i)
    frames.push_back({std::vector<uint8_t>(size_t(width * height), uint8_t(i)), delayCs});
  return EncodeGif(width, height, palette, frames);
}

std::vector<uint8_t> EncodePngRgba(int width, int height, const std::vector<uint32_t>& argb) {
  return encoders::PngFromArgb(width, height, argb);
}

stage::Picture SolidPicture(int width, int height, uint32_t pixel, uint32_t key) {
  stage::Picture p;
  p.width = width;
  p.height = height;
  stage::PictureFrame f;
  f.pixels = platform::Surface(width, height, pixel);
  f.key = key;
  p.frames.push_back(std::move(f));
  return p;
}

stage::Picture RandomPicture(std::mt19937& rng, int width, int height, int frames) {
  stage::Picture p;
  p.width = width;
  p.height = height;
  const uint32_t keyColour = 0x00FF00FFu;  // COLORREF magenta
  const uint32_t keyPixel = 0x00FF00FFu;   // same bytes in pixel order
  for (int i = 0; i < frames; ++i) {
    stage::PictureFrame f;
    f.pixels = platform::Surface(width, height, 0);
    f.key = (rng() & 1) ? keyColour : stage::kDefaultColour;
    // Blobs rather than noise, so that some rows and rectangles are empty.
    const int mode = int(rng() % 4);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        uint32_t px = rng() & 0x00FFFFFFu;
        const uint32_t r = rng() % 100;
        if (mode == 0 && r < 60) px |= 0xFF000000u;                    // mostly invisible
        else if (mode == 1 && r < 20) px = keyPixel;                   // keyed holes
        else if (mode == 2) px |= uint32_t(rng() % 256) << 24;         // any transparency
        else if (mode == 3 && (x + y) % 7 < 3) px |= 0xFF000000u;      // stripes
        if (r >= 97) px = keyPixel | (uint32_t(rng() % 2) << 24);      // key, maybe translucent
        f.pixels.At(x, y) = px;
      }
    }
    p.frames.push_back(std::move(f));
  }
  return p;
}

}  // namespace stagetest

namespace stagetest {
std::vector<uint8_t> ShapeGif(int width, int height, int x0, int y0, int x1, int y1,
                              uint32_t rgb) {
  GifFrame f;
  f.indexes.assign(size_t(width * height), 0);
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) f.indexes[size_t(y * width + x)] = 1;
  return EncodeGif(width, height, {0x00FF00, rgb}, {f}, /*transparent*/ 0);
}
}  // namespace stagetest
