// What every picture the stage's decoders return must satisfy: at least one frame, and
// every frame the picture's full size (playback only switches frames, painting reads
// whole frames). Reading every pixel lets the sanitizers see any left unwritten.
// The reading itself is not coverage-instrumented: it has no branches worth steering by,
// and tracing each pixel's loop test cost more than decoding the picture.
#pragma once
#include <optional>

#include "stage/pictures/picture.h"

#if defined(__clang__)
#define TOLVARAN_NOT_STEERING __attribute__((no_sanitize("coverage")))
#else
#define TOLVARAN_NOT_STEERING
#endif

TOLVARAN_NOT_STEERING
inline void CheckPicture(const std::optional<stage::Picture>& p) {
  if (!p) return;
  if (!p->Valid()) __builtin_trap();
  uint32_t sum = 0;
  for (const auto& frame : p->frames) {
    if (frame.pixels.Width() != p->width || frame.pixels.Height() != p->height) __builtin_trap();
    if (frame.delayMs < 0) __builtin_trap();
    for (int y = 0; y < p->height; ++y) {
      const uint32_t* row = frame.pixels.Row(y);
      for (int x = 0; x < p->width; ++x) sum += row[x];
    }
  }
  volatile uint32_t sink = sum;
  (void)sink;
}
