// PCX, 256-colour and monochrome, run-length encoded.
#include "fuzz/pictures/check_surface.h"
#include "runtime/pictures/pcx_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CheckStill(rt::pictures::DecodePcx({data, size}));
  return 0;
}
