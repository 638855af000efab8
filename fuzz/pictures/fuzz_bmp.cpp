// BMP files of every depth and compression, with no sniffing first.
#include "fuzz/pictures/check_surface.h"
#include "runtime/pictures/bmp_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CheckStill(rt::pictures::DecodeBmp({data, size}));
  return 0;
}
