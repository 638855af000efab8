// The stage's GIF decoder, with the automatic key so every frame's corner is read.
#include "stage/picture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto p = stage::DecodeGif({data, size}, stage::KeyRequest::FromArgument(-2));
  if (p && !p->Valid()) __builtin_trap();
  return 0;
}
