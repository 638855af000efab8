// The runtime's picture loader: sniffing by the first bytes, then BMP, JPEG, icons,
// cursors, first GIF image or PCX.
#include "fuzz/pictures/check_surface.h"
#include "runtime/pictures/picture_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CheckStill(rt::LoadPicture({data, size}));
  return 0;
}
