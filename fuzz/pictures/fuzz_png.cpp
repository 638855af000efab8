// The stage's PNG decoder over libpng.
#include "stage/picture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto p = stage::DecodePng({data, size}, stage::KeyRequest::FromArgument(-2));
  if (p && !p->Valid()) __builtin_trap();
  return 0;
}
