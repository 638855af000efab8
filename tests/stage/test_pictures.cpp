#include "test_pictures.h"

#include <png.h>

#include <cstring>

namespace stagetest {

namespace {

void Put16(std::vector<uint8_t>& out, int v) {
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}

// LZW with 8-bit literals only: codes stay 9 bits wide because a clear code is sent
// before the decoder's table would need a tenth bit.
std::vector<uint8_t> LzwLiterals(const std::vector<uint8_t>& indexes) {
  std::vector<uint8_t> bytes;
  uint32_t acc = 0;
  int bits = 0;
  auto emit = [&](int code) {
    acc |= uint32_t(code) << bits;
    bits += 9;
    while (bits >= 8) {
      bytes.push_back(uint8_t(acc));
      acc >>= 8;
      bits -= 8;
    }
  };
  const int kClear = 256, kEnd = 257;
  emit(kClear);
  int sinceClear = 0;
  for (uint8_t idx : indexes) {
    if (sinceClear == 250) {
      emit(kClear);
      sinceClear = 0;
    }
    emit(idx);
    ++sinceClear;
  }
  emit(kEnd);
  if (bits > 0) bytes.push_back(uint8_t(acc));
  return bytes;
}

}  // namespace

std::vector<uint8_t> EncodeGif(int width, int height, const std::vector<uint32_t>& palette,
                               const std::vector<GifFrame>& frames, int transparentIndex) {
  std::vector<uint8_t> out = {'G', 'I', 'F', '8', '9', 'a'};
  Put16(out, width);
  Put16(out, height);
  out.push_back(0xF7);  // global table of 256 entries
  out.push_back(0);     // background index
  out.push_back(0);     // aspect
  for (int i = 0; i < 256; ++i) {
    const uint32_t c = i < int(palette.size()) ? palette[size_t(i)] : 0;
    out.push_back(uint8_t(c >> 16));
    out.push_back(uint8_t(c >> 8));
    out.push_back(uint8_t(c));
  }
  for (const GifFrame& f : frames) {
    // Graphic control: disposal none, transparency flag, delay, transparent index.
    out.insert(out.end(), {0x21, 0xF9, 4, uint8_t(transparentIndex >= 0 ? 1 : 0)});
    Put16(out, f.delayCs);
    out.push_back(uint8_t(transparentIndex >= 0 ? transparentIndex : 0));
    out.push_back(0);
    out.push_back(0x2C);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, width);
    Put16(out, height);
    out.push_back(0);  // no local table, not interlaced
    out.push_back(8);  // minimum code size
    const std::vector<uint8_t> data = LzwLiterals(f.indexes);
    for (size_t at = 0; at < data.size(); at += 255) {
      const size_t n = std::min<size_t>(255, data.size() - at);
      out.push_back(uint8_t(n));
      out.insert(out.end(), data.begin() + ptrdiff_t(at), data.begin() + ptrdiff_t(at + n));
    }
    out.push_back(0);
  }
  out.push_back(0x3B);
  return out;
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
  std::vector<uint8_t> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return {};
  }
  png_set_write_fn(
      png, &out,
      [](png_structp p, png_bytep data, png_size_t n) {
        auto* v = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(p));
        v->insert(v->end(), data, data + n);
      },
      nullptr);
  png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGBA,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  std::vector<uint8_t> row(size_t(width) * 4);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const uint32_t c = argb[size_t(y * width + x)];
      row[size_t(x) * 4 + 0] = uint8_t(c >> 16);
      row[size_t(x) * 4 + 1] = uint8_t(c >> 8);
      row[size_t(x) * 4 + 2] = uint8_t(c);
      row[size_t(x) * 4 + 3] = uint8_t(c >> 24);
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
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
