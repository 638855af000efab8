// Device-independent bitmaps: the info header, colour table and pixel rows shared by
// BMP files and the bitmap entries of icons and cursors.
#pragma once
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "platform/surface.h"
#include "platform/byte_reader.h"

namespace rt::pictures {

enum DibCompression : uint32_t {
  BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3, BI_ALPHABITFIELDS = 6,
};

struct DibInfo {
  int width = 0;
  int height = 0;         // rows of colour pixels (an icon's doubled height halved)
  bool topDown = false;   // a negative stored height
  int bitCount = 0;
  uint32_t compression = BI_RGB;
  std::array<uint32_t, 4> masks{};  // red, green, blue, alpha for 16 and 32 bits
  std::vector<uint32_t> palette;    // 0x00RRGGBB; lookups past its end give black
};

// Reads an info header (core, 40-byte, V2..V5) with its masks and colour table; the
// reader is left just after the table. `iconImage`: the height counts colour and mask.
bool ReadDibInfo(platform::ByteReader& r, bool iconImage, DibInfo& info);

// Decodes the pixel rows at `pixels` into an opaque top-down surface. When `alpha` is
// given and the image has 32 bits per pixel, the fourth byte of each pixel lands there.
bool DecodeDibPixels(std::span<const uint8_t> pixels, const DibInfo& info,
                     platform::Surface& out, std::vector<uint8_t>* alpha = nullptr);

// Bytes of one stored row of `width` pixels at `bitCount`, padded to 32 bits; 0 when
// the size would not fit in memory limits.
uint64_t DibStride(int width, int bitCount);

}  // namespace rt::pictures
