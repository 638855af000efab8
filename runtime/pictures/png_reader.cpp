#include "runtime/pictures/png_reader.h"

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <memory>

#include <png.h>

#include "runtime/pictures/picture_limits.h"
#include "platform/byte_reader.h"

namespace rt::pictures {
namespace {

void ReadFromMemory(png_structp png, png_bytep out, png_size_t length) {
  auto* src = static_cast<platform::ByteReader*>(png_get_io_ptr(png));
  const auto bytes = src->Bytes(length);
  if (!src->Ok()) png_error(png, "truncated");
  std::copy(bytes.begin(), bytes.end(), out);
}

// libpng reports through longjmp; warnings are not errors and are not printed.
void OnError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void OnWarning(png_structp, png_const_charp) {}

// libpng allocates a chunk's declared length before it reads the chunk (and this
// system's libpng does so for sPLT and other ancillary chunks despite the chunk limit
// set below), so one corrupt length field asks for up to 2 GiB. A chunk that claims more
// than the file still holds can never be read whole: libpng would fail on it anyway, so
// such a file is refused before libpng sees it.
bool ChunkLengthsFit(std::span<const uint8_t> bytes) {
  platform::ByteReader r(bytes);
  r.Skip(8);  // the signature
  while (r.Remaining() >= 8) {
    const uint32_t length = r.U32Be();
    const auto type = r.Bytes(4);
    if (length > r.Remaining()) return false;
    if (std::memcmp(type.data(), "IEND", 4) == 0) break;
    r.Skip(length);
    if (r.Remaining() < 4) break;  // the CRC is missing: libpng's to report
    r.Skip(4);
  }
  return true;
}

struct PngState {
  png_structp png = nullptr;
  png_infop info = nullptr;
  platform::ByteReader source;
  PngImage image;
  std::vector<png_bytep> rows;
};

bool Decode(PngState& s) {
  png_structp png = s.png;
  png_infop info = s.info;
  png_set_read_fn(png, &s.source, ReadFromMemory);
  png_set_user_limits(png, kMaxSide, kMaxSide);
  png_set_chunk_malloc_max(png, 16u << 20);
  png_read_info(png, info);
  const png_uint_32 w = png_get_image_width(png, info), h = png_get_image_height(png, info);
  if (!DimensionsValid(w, h)) return false;
  const int colourType = png_get_color_type(png, info);
  s.image.hasAlphaChannel = (colourType & PNG_COLOR_MASK_ALPHA) != 0;
  s.image.hasTransparencyChunk = png_get_valid(png, info, PNG_INFO_tRNS) != 0;

  png_set_strip_16(png);
  png_set_packing(png);
  if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA) {
    png_set_expand_gray_1_2_4_to_8(png);
    png_set_gray_to_rgb(png);
  }
  if (s.image.hasTransparencyChunk) png_set_tRNS_to_alpha(png);
  png_set_bgr(png);
  png_set_filler(png, 0xFF, PNG_FILLER_AFTER);  // no-op when alpha is already there
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != size_t(w) * 4) return false;

  s.image.width = int(w);
  s.image.height = int(h);
  s.image.pixels.resize(size_t(w) * h);
  s.rows.resize(h);
  for (png_uint_32 y = 0; y < h; ++y)
    s.rows[y] = reinterpret_cast<png_bytep>(s.image.pixels.data() + size_t(y) * w);
  png_read_image(png, s.rows.data());
  png_read_end(png, nullptr);
  return true;
}

}  // namespace

bool SniffPng(std::span<const uint8_t> bytes) {
  return bytes.size() >= 8 && std::memcmp(bytes.data(), kPngSignature, 8) == 0;
}

std::optional<PngImage> ReadPng(std::span<const uint8_t> bytes) {
  if (!SniffPng(bytes) || !ChunkLengthsFit(bytes)) return std::nullopt;
  // On the heap: locals of the function that calls setjmp are not safe across longjmp.
  const auto s = std::make_unique<PngState>();
  s->source = platform::ByteReader(bytes);
  s->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
  if (!s->png) return std::nullopt;
  s->info = png_create_info_struct(s->png);
  if (s->info && setjmp(png_jmpbuf(s->png)) == 0 && Decode(*s)) {
    png_destroy_read_struct(&s->png, &s->info, nullptr);
    return std::move(s->image);
  }
  png_destroy_read_struct(&s->png, s->info ? &s->info : nullptr, nullptr);
  return std::nullopt;
}

}  // namespace rt::pictures
