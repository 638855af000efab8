#include <cstdio>
#include <jpeglib.h>

#include <cstdlib>
#include <stdexcept>

#include "tools/assetgen/encoders.h"

namespace assetgen {

Bytes EncodeJpeg(const Canvas& c, int quality) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr jerr;
  cinfo.err = jpeg_std_error(&jerr);  // errors end the generator: the build must fail
  jpeg_create_compress(&cinfo);
  unsigned char* mem = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &mem, &size);
  cinfo.image_width = JDIMENSION(c.Width());
  cinfo.image_height = JDIMENSION(c.Height());
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  cinfo.optimize_coding = TRUE;
  for (int i = 0; i < cinfo.num_components; ++i) {
    cinfo.comp_info[i].h_samp_factor = 1;  // 4:4:4: pixel art has one-pixel colour detail
    cinfo.comp_info[i].v_samp_factor = 1;
  }
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<uint8_t> row(size_t(c.Width()) * 3);
  while (cinfo.next_scanline < cinfo.image_height) {
    int y = int(cinfo.next_scanline);
    for (int x = 0; x < c.Width(); ++x) {
      Rgba p = c.At(x, y);
      row[size_t(x) * 3] = p.r, row[size_t(x) * 3 + 1] = p.g, row[size_t(x) * 3 + 2] = p.b;
    }
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&cinfo, &r, 1);
  }
  jpeg_finish_compress(&cinfo);
  Bytes out(mem, mem + size);
  jpeg_destroy_compress(&cinfo);
  std::free(mem);
  return out;
}

}  // namespace assetgen
