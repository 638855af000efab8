// Surfaces and their PNG encoding.
#include "platform/surface.h"

#include <png.h>

#include <algorithm>
#include <cstdio>

namespace platform {

namespace {

// Guards against sizes whose pixel count would not fit in memory arithmetic.
bool SaneSize(int width, int height) {
  return width > 0 && height > 0 && int64_t(width) * int64_t(height) <= (int64_t(1) << 30);
}

}  // namespace

Surface::Surface(int width, int height, uint32_t fill) { Resize(width, height, fill); }

void Surface::Resize(int width, int height, uint32_t fill) {
  if (!SaneSize(width, height)) {
    width_ = height_ = 0;
    pixels_.clear();
    pixels_.shrink_to_fit();
    return;
  }
  width_ = width;
  height_ = height;
  pixels_.assign(size_t(width) * size_t(height), fill);
}

void Surface::Reshape(int width, int height) {
  if (!SaneSize(width, height)) {
    Resize(width, height);
    return;
  }
  width_ = width;
  height_ = height;
  pixels_.resize(size_t(width) * size_t(height));
}

void Surface::Fill(const Rect& r, uint32_t pixel) {
  const int left = std::max(r.left, 0), right = std::min(r.right, width_);
  const int top = std::max(r.top, 0), bottom = std::min(r.bottom, height_);
  if (left >= right || top >= bottom) return;
  for (int y = top; y < bottom; ++y) std::fill(Row(y) + left, Row(y) + right, pixel);
}

// ---- PNG -----------------------------------------------------------------------------

namespace {

void AppendToVector(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}
void NoFlush(png_structp) {}
void SilentWarning(png_structp, png_const_charp) {}
void ErrorToLongjmp(png_structp png, png_const_charp) { png_longjmp(png, 1); }

// Only plain data lives in this frame, so the longjmp out of libpng skips no destructor.
// The stream carries no time or text chunks: the same pixels always give the same bytes.
bool EncodeRows(const Surface& s, std::vector<uint8_t>* out, uint8_t* row, bool keepAlpha) {
  png_structp png =
      png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, ErrorToLongjmp, SilentWarning);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, out, AppendToVector, NoFlush);
  png_set_IHDR(png, info, png_uint_32(s.Width()), png_uint_32(s.Height()), 8,
               keepAlpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  const int channels = keepAlpha ? 4 : 3;
  for (int y = 0; y < s.Height(); ++y) {
    const uint32_t* src = s.Row(y);
    for (int x = 0; x < s.Width(); ++x) {
      uint8_t* d = row + channels * x;
      d[0] = uint8_t(src[x] >> 16);
      d[1] = uint8_t(src[x] >> 8);
      d[2] = uint8_t(src[x]);
      if (keepAlpha) d[3] = uint8_t(src[x] >> 24);
    }
    png_write_row(png, row);
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

bool EncodePng(const Surface& s, std::vector<uint8_t>& out, PngAlpha alpha) {
  out.clear();
  if (s.Empty()) return false;
  const bool keepAlpha = alpha == PngAlpha::Keep;
  std::vector<uint8_t> row(size_t(s.Width()) * (keepAlpha ? 4 : 3));
  if (!EncodeRows(s, &out, row.data(), keepAlpha)) {
    out.clear();
    return false;
  }
  return true;
}

bool WritePng(const Surface& s, const std::string& utf8Path, PngAlpha alpha) {
  std::vector<uint8_t> bytes;
  if (!EncodePng(s, bytes, alpha)) return false;
  FILE* f = std::fopen(utf8Path.c_str(), "wb");
  if (!f) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  const bool closed = std::fclose(f) == 0;
  if (!written || !closed) {
    std::remove(utf8Path.c_str());
    return false;
  }
  return true;
}

}  // namespace platform
