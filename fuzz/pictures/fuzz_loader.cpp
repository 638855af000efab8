// The runtime's picture loader: BMP, JPEG, icons, cursors, first GIF image, PCX.
#include "runtime/pictures/picture_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto picture = rt::LoadPicture({data, size});
  if (picture && picture->Empty()) __builtin_trap();  // a picture is never empty
  return 0;
}
