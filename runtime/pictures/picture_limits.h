// Limits on decoded picture sizes. A picture header can claim any size; these caps keep
// a corrupt or hostile file from asking for gigabytes before a single pixel is read.
#pragma once
#include <cstddef>
#include <cstdint>

namespace rt::pictures {

#ifndef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
inline constexpr int kMaxSide = 16384;
// 32 Mpx: 128 MiB as 32-bit pixels. Far beyond any picture the game uses.
inline constexpr uint64_t kMaxPixels = uint64_t(1) << 25;
// All frames of one animation together, as 32-bit pixels.
inline constexpr uint64_t kMaxAnimationBytes = uint64_t(512) << 20;
#else
// Fuzzing builds (cmake/Fuzz.cmake defines the macro) take the same paths with smaller caps:
// a header that claims a huge canvas is then refused in microseconds instead of being
// filled for a second, and the fuzzer spends its time on the decoders' logic. 64 Kpx
// still holds every sprite of the game.
inline constexpr int kMaxSide = 4096;
inline constexpr uint64_t kMaxPixels = uint64_t(1) << 16;
inline constexpr uint64_t kMaxAnimationBytes = uint64_t(16) << 20;
#endif

inline constexpr bool DimensionsValid(int64_t width, int64_t height) {
  return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide &&
         uint64_t(width) * uint64_t(height) <= kMaxPixels;
}

}  // namespace rt::pictures
