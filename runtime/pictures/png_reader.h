// PNG through libpng, for icon entries here and for the stage's object pictures.
// Samples come out as 8-bit blue, green, red, alpha whatever the file stores: 16-bit
// samples are reduced, palette and grey images expanded (grey below 8 bits on an even
// ramp), transparency chunks turned into alpha.
#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace rt::pictures {

inline constexpr uint8_t kPngSignature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
bool SniffPng(std::span<const uint8_t> bytes);

struct PngImage {
  int width = 0;
  int height = 0;
  // What the file stores, before expansion: alpha channel, palette, tRNS chunk.
  bool hasAlphaChannel = false;  // colour or grey with alpha
  bool hasTransparencyChunk = false;
  std::vector<uint32_t> pixels;  // 0xAARRGGBB, alpha 255 where the file has none
};

std::optional<PngImage> ReadPng(std::span<const uint8_t> bytes);

}  // namespace rt::pictures
