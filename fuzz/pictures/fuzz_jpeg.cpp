// JPEG through libjpeg, with the decoder's own error and scan limits.
#include "fuzz/pictures/check_surface.h"
#include "runtime/pictures/jpeg_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CheckStill(rt::pictures::DecodeJpeg({data, size}));
  return 0;
}
