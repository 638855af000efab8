// What every still the runtime's picture decoders return must satisfy: a non-empty
// bitmap whose pixels are all opaque. Reading every pixel also lets the sanitizers see
// any pixel the decoder left unwritten or placed outside the bitmap.
#pragma once
#include <optional>

#include "platform/surface.h"

inline void CheckStill(const std::optional<platform::Surface>& picture) {
  if (!picture) return;
  if (picture->Empty()) __builtin_trap();
  for (int y = 0; y < picture->Height(); ++y) {
    const uint32_t* row = picture->Row(y);
    for (int x = 0; x < picture->Width(); ++x)
      if ((row[x] >> 24) != 0xFF) __builtin_trap();
  }
}
