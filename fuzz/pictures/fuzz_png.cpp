// The stage's PNG decoder over libpng.
#include "fuzz/pictures/check_picture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CheckPicture(stage::DecodePng({data, size}, stage::KeyRequest::FromArgument(-2)));
  return 0;
}
