#include "runtime/pictures/jpeg_decoder.h"

#include <csetjmp>
#include <cstdio>
#include <memory>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

#include "runtime/pictures/picture_limits.h"

namespace rt::pictures {
namespace {

// libjpeg's default error handler prints and calls exit(); ours jumps back to the
// decoder instead. A file that ends early is an error too: libjpeg would only warn and
// pad the picture with grey, and a half-grey picture is not what the file holds.
struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
};

[[noreturn]] void OnError(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  std::longjmp(err->jump, 1);
}

void OnMessage(j_common_ptr cinfo, int level) {
  if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF) OnError(cinfo);
  // Other warnings (stray bytes between markers and the like) are harmless; stay quiet.
}

void OutputMessage(j_common_ptr) {}

// A progressive file can hold thousands of tiny scans that each walk the whole picture;
// real encoders write about ten. Like other hardened decoders, give up past a bound.
constexpr int kMaxScans = 500;

void OnProgress(j_common_ptr cinfo) {
  auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
  if (d->is_decompressor && d->input_scan_number > kMaxScans) OnError(cinfo);
}

// Adobe writes CMYK inverted; either way the product of ink and white gives the colour.
uint32_t CmykToPixel(const uint8_t* p, bool inverted) {
  unsigned c = p[0], m = p[1], y = p[2], k = p[3];
  if (!inverted) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
  unsigned r = (c * k + 127) / 255, g = (m * k + 127) / 255, b = (y * k + 127) / 255;
  return 0xFF000000u | (r << 16) | (g << 8) | b;
}

// Everything that must survive a longjmp lives outside the function that calls setjmp.
struct JpegState {
  jpeg_decompress_struct cinfo{};
  ErrorManager err{};
  jpeg_progress_mgr progress{};
  platform::Surface out;
  std::vector<uint8_t> row;
};

bool Decode(JpegState& s, std::span<const uint8_t> bytes) {
  jpeg_decompress_struct& cinfo = s.cinfo;
  jpeg_mem_src(&cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
  if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK) return false;
  if (!DimensionsValid(cinfo.image_width, cinfo.image_height)) return false;
  const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
  cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;
  jpeg_start_decompress(&cinfo);
  const int w = int(cinfo.output_width), h = int(cinfo.output_height);
  s.out.Resize(w, h);
  if (cmyk) s.row.resize(size_t(w) * 4);
  while (cinfo.output_scanline < cinfo.output_height) {
    const int y = int(cinfo.output_scanline);
    JSAMPROW target = cmyk ? s.row.data() : reinterpret_cast<JSAMPROW>(s.out.Row(y));
    if (jpeg_read_scanlines(&cinfo, &target, 1) != 1) return false;
    if (cmyk) {
      uint32_t* dst = s.out.Row(y);
      const bool inverted = cinfo.saw_Adobe_marker;
      for (int x = 0; x < w; ++x) dst[x] = CmykToPixel(s.row.data() + x * 4, inverted);
    }
  }
  jpeg_finish_decompress(&cinfo);
  return true;
}

}  // namespace

bool SniffJpeg(std::span<const uint8_t> bytes) {
  return bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xD8;
}

std::optional<platform::Surface> DecodeJpeg(std::span<const uint8_t> bytes) {
  // On the heap: locals of the function that calls setjmp are not safe across longjmp.
  const auto s = std::make_unique<JpegState>();
  s->cinfo.err = jpeg_std_error(&s->err.base);
  s->err.base.error_exit = OnError;
  s->err.base.emit_message = OnMessage;
  s->err.base.output_message = OutputMessage;
  jpeg_create_decompress(&s->cinfo);
  s->progress.progress_monitor = OnProgress;
  s->cinfo.progress = &s->progress;
  if (setjmp(s->err.jump) == 0 && Decode(*s, bytes)) {
    jpeg_destroy_decompress(&s->cinfo);
    return std::move(s->out);
  }
  jpeg_destroy_decompress(&s->cinfo);
  return std::nullopt;
}

}  // namespace rt::pictures
