// Which parts of a frame changed since the one before: what a host that can update part
// of its output (the page's canvas) sends, instead of the whole frame.
#pragma once
#include <cstdint>
#include <vector>

#include "platform/types.h"

namespace platform {

// Compares two frames of `width` x `height` pixels (rows packed) tile by tile and returns
// rectangles, clipped to the frame, that together cover every changed pixel: the changed
// tiles of a tile row joined into runs, and runs of the same columns in consecutive tile
// rows joined into one rectangle. Empty when nothing changed.
std::vector<Rect> ChangedRects(const uint32_t* before, const uint32_t* after, int width,
                               int height, int tile = 32);

}  // namespace platform
