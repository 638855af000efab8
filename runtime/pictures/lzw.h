// The GIF variant of LZW decompression: variable code width from the minimum code size
// + 1 up to 12 bits, clear and end codes, a table of 4096 entries. The one
// implementation used by every GIF reader in the program.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

namespace rt::pictures {

inline constexpr int kLzwMaxCodes = 4096;

class LzwDecoder {
 public:
  // Decodes `codes` (the image's sub-blocks joined) into at most `count` indices at
  // `out`; returns how many were written. Decoding stops at the end code, when `out` is
  // full, when the codes run out, or at the first impossible code: a damaged stream
  // yields the pixels before the damage. A minimum code size outside 1..8 yields none.
  size_t Decode(int minCodeSize, std::span<const uint8_t> codes, uint8_t* out, size_t count);

 private:
  // Each table entry is its prefix entry plus one suffix byte; length and first byte are
  // kept so that a string can be written back to front straight into the output.
  uint16_t prefix_[kLzwMaxCodes];
  uint16_t length_[kLzwMaxCodes];
  uint8_t suffix_[kLzwMaxCodes];
  uint8_t first_[kLzwMaxCodes];
};

}  // namespace rt::pictures
