#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>

#include <stdexcept>

#include "tools/encoders/encoders.h"

namespace encoders {

Bytes EncodeJpeg(const JpegImage& image) {
  const size_t stride = size_t(image.width) * size_t(image.components);
  if (image.width <= 0 || image.height <= 0 || (image.components != 1 && image.components != 3) ||
      image.samples.size() != stride * size_t(image.height))
    throw std::runtime_error("JPEG: samples do not fit the size");
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr err{};
  // The library's own handler prints its message and ends the process: the request was
  // checked above, so only a broken library gets there, and a tool or test must stop.
  cinfo.err = jpeg_std_error(&err);
  unsigned char* mem = nullptr;
  unsigned long size = 0;
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, &mem, &size);
  cinfo.image_width = JDIMENSION(image.width);
  cinfo.image_height = JDIMENSION(image.height);
  cinfo.input_components = image.components;
  cinfo.in_color_space = image.components == 1 ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, image.quality, TRUE);
  cinfo.optimize_coding = image.optimizeCoding ? TRUE : FALSE;
  if (image.fullChroma) {
    for (int i = 0; i < cinfo.num_components; ++i) {
      cinfo.comp_info[i].h_samp_factor = 1;
      cinfo.comp_info[i].v_samp_factor = 1;
    }
  }
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(image.samples.data() + stride * cinfo.next_scanline);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  Bytes out(mem, mem + size);
  jpeg_destroy_compress(&cinfo);
  std::free(mem);
  return out;
}

Bytes JpegFile(int width, int height, const std::vector<uint32_t>& rgb, int quality, bool grey) {
  JpegImage image{.width = width, .height = height, .components = grey ? 1 : 3, .quality = quality};
  for (uint32_t c : rgb) {
    if (grey) image.samples.push_back(uint8_t(c));
    else image.samples.insert(image.samples.end(), {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c)});
  }
  return EncodeJpeg(image);
}

}  // namespace encoders
