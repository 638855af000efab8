#include <png.h>

#include <stdexcept>

#include "tools/assetgen/encoders.h"

namespace assetgen {
namespace {
void Append(png_structp png, png_bytep data, png_size_t n) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + n);
}
void NoFlush(png_structp) {}
}  // namespace

Bytes EncodePng(const Canvas& c, bool alpha) {
  Bytes out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) throw std::runtime_error("libpng: out of memory");
  const int channels = alpha ? 4 : 3;
  std::vector<uint8_t> rows(size_t(c.Width()) * c.Height() * channels);
  for (int y = 0; y < c.Height(); ++y)
    for (int x = 0; x < c.Width(); ++x) {
      Rgba p = c.At(x, y);
      uint8_t* d = &rows[(size_t(y) * c.Width() + x) * channels];
      d[0] = p.r, d[1] = p.g, d[2] = p.b;
      if (alpha) d[3] = p.a;
    }
  std::vector<png_bytep> rowPtrs(c.Height());
  for (int y = 0; y < c.Height(); ++y) rowPtrs[y] = &rows[size_t(y) * c.Width() * channels];
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    throw std::runtime_error("libpng: encoding failed");
  }
  png_set_write_fn(png, &out, Append, NoFlush);
  png_set_compression_level(png, 9);
  png_set_IHDR(png, info, c.Width(), c.Height(), 8, alpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_rows(png, info, rowPtrs.data());
  png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

}  // namespace assetgen
