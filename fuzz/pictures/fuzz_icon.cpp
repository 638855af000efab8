// Icons and cursors: the directory, bitmap entries with their masks, PNG entries.
#include "fuzz/pictures/check_surface.h"
#include "runtime/pictures/ico_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CheckStill(rt::pictures::DecodeIcon({data, size}));
  return 0;
}
