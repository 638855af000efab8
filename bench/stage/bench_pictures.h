#pragma once
#include <random>

#include "stage/pictures/picture.h"

namespace stagebench {
// Round sprites with a transparent outside; `alphaEdge` gives a soft half-transparent
// rim (a PNG-like sprite), `keyed` paints the outside in the key colour instead.
stage::Picture Disc(int size, uint32_t rgb, bool alphaEdge, bool keyed);
}  // namespace stagebench
