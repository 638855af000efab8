// Limits on decoded picture sizes. A picture header can claim any size; these caps keep
// a corrupt or hostile file from asking for gigabytes before a single pixel is read.
#pragma once
#include <cstddef>
#include <cstdint>

namespace rt::pictures {

inline constexpr int kMaxSide = 16384;
// 32 Mpx: 128 MiB as 32-bit pixels. Far beyond any picture the game uses.
inline constexpr uint64_t kMaxPixels = uint64_t(1) << 25;

inline constexpr bool DimensionsValid(int64_t width, int64_t height) {
  return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide &&
         uint64_t(width) * uint64_t(height) <= kMaxPixels;
}

}  // namespace rt::pictures
