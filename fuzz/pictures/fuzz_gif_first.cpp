// The loader's GIF: the first image on the logical screen, as an opaque still.
#include "fuzz/pictures/check_surface.h"
#include "runtime/pictures/gif_first_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CheckStill(rt::pictures::DecodeGifFirstImage({data, size}));
  return 0;
}
