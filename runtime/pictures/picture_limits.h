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
// filled for a second, and the fuzzer spends its time on the decoders' logic. 32 Kpx
// still holds every animated sprite of the game (the largest is 173 x 188), and a
// canvas of it stays within the sanitizer's pooled allocations instead of costing a
// fresh mapping and its page faults per frame. Every frame of an animation is a whole
// canvas: 1 MiB holds eight frames of the largest one and 32 of a hero sprite, past
// which a file takes the same path as a real one past 512 MiB, only sooner.
inline constexpr int kMaxSide = 4096;
inline constexpr uint64_t kMaxPixels = uint64_t(1) << 15;
inline constexpr uint64_t kMaxAnimationBytes = uint64_t(1) << 20;
#endif

inline constexpr bool DimensionsValid(int64_t width, int64_t height) {
  return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide &&
         uint64_t(width) * uint64_t(height) <= kMaxPixels;
}

}  // namespace rt::pictures
