// Presenting only what changed: the areas painted since the last present, merged into a
// few rectangles, and those areas copied, scaled by the letterbox's whole factor, into
// the output. The hosts use this for the window; it knows nothing of SDL.
#pragma once
#include <cstdint>
#include <span>
#include <vector>

#include "platform/letterbox.h"
#include "platform/surface.h"
#include "platform/types.h"

namespace platform {

// Adds `r` to a list of changed areas kept short: a rectangle that overlaps or nearly
// touches one already there is merged with it when their bounding box wastes little, and
// past `kMaxDirtyRects` everything becomes one bounding box.
inline constexpr size_t kMaxDirtyRects = 12;
void AddDirtyRect(std::vector<Rect>& rects, const Rect& r);

// Copies the `dirty` areas of `frame` (frame pixels) into a 32-bit output whose pixels
// have the frame's byte order (XRGB8888 or ARGB8888): `out` is its first pixel, `pitch`
// its row length in pixels, `outWidth` x `outHeight` its size. Each frame pixel becomes
// a factor x factor square at box.dest's origin; whatever falls outside the output is
// cut. Returns the output rectangles written (empty ones left out).
std::vector<Rect> CopyScaledRects(const Surface& frame, std::span<const Rect> dirty,
                                  const Letterbox& box, uint32_t* out, int pitch,
                                  int outWidth, int outHeight);

}  // namespace platform
