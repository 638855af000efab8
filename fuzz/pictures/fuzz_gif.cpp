// The stage's GIF decoder, with the automatic key so every frame's corner is read.
#include "fuzz/pictures/check_picture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CheckPicture(stage::DecodeGif({data, size}, stage::KeyRequest::FromArgument(-2)));
  return 0;
}
