#include <png.h>

#include <stdexcept>

#include "tools/encoders/encoders.h"

namespace encoders {

namespace {

void Append(png_structp png, png_bytep data, png_size_t n) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + n);
}
void NoFlush(png_structp) {}

}  // namespace

Bytes EncodePng(const PngImage& image) {
  if (image.width <= 0 || image.height <= 0 || image.rows.size() % size_t(image.height) != 0)
    throw std::runtime_error("PNG: rows do not fit the size");
  Bytes out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    throw std::runtime_error("libpng: out of memory");
  }
  std::vector<png_color> palette;
  for (uint32_t c : image.palette)
    palette.push_back({png_byte(c >> 16), png_byte(c >> 8), png_byte(c)});
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    throw std::runtime_error("libpng: encoding failed");
  }
  png_set_write_fn(png, &out, Append, NoFlush);
  if (image.compressionLevel >= 0) png_set_compression_level(png, image.compressionLevel);
  png_set_IHDR(png, info, png_uint_32(image.width), png_uint_32(image.height), image.bitDepth,
               image.colourType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (!palette.empty()) png_set_PLTE(png, info, palette.data(), int(palette.size()));
  if (!image.trns.empty()) {
    const Bytes& t = image.trns;
    if (image.colourType == PNG_COLOR_TYPE_PALETTE) {
      png_set_tRNS(png, info, t.data(), int(t.size()), nullptr);
    } else {
      // A grey key is one 16-bit sample, a colour key three.
      png_color_16 key{};
      key.gray = png_uint_16(t[0] << 8 | (t.size() > 1 ? t[1] : 0));
      if (t.size() >= 6) {
        key.red = png_uint_16(t[0] << 8 | t[1]);
        key.green = png_uint_16(t[2] << 8 | t[3]);
        key.blue = png_uint_16(t[4] << 8 | t[5]);
      }
      png_set_tRNS(png, info, nullptr, 0, &key);
    }
  }
  png_write_info(png, info);
  const size_t stride = image.rows.size() / size_t(image.height);
  for (int y = 0; y < image.height; ++y)
    png_write_row(png, image.rows.data() + stride * size_t(y));
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out;
}

Bytes PngFile(int width, int height, int colourType, int bitDepth, const Bytes& rows,
              const std::vector<uint32_t>& palette, const Bytes& trns) {
  return EncodePng({.width = width, .height = height, .colourType = colourType, .bitDepth = bitDepth,
                   .rows = rows, .palette = palette, .trns = trns});
}

Bytes PngFromArgb(int width, int height, const std::vector<uint32_t>& argb) {
  PngImage image{.width = width, .height = height, .colourType = PNG_COLOR_TYPE_RGBA};
  image.rows.reserve(argb.size() * 4);
  for (uint32_t c : argb)
    image.rows.insert(image.rows.end(), {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c), uint8_t(c >> 24)});
  return EncodePng(image);
}

}  // namespace encoders
