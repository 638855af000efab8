// Files written by hand, field by field, for tests that need what no library writes:
// unusual or broken GIF streams (chosen code sizes, interlacing, comments, cut or bad
// codes), and the BMP, icon and PCX formats. Everything else is written through
// tools/encoders/encoders.h.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "tools/encoders/encoders.h"

namespace encoders {

// ---- GIF -------------------------------------------------------------------------------
// A real LZW encoder (growing code width, table reset at 4096) so the decoder sees the
// same streams as from any graphics program.
Bytes LzwEncode(int minCodeSize, const std::vector<uint8_t>& indices);

struct GifBuilder {
  Bytes bytes;
  // Colours as 0xRRGGBB. An empty table means no global table.
  GifBuilder(int width, int height, const std::vector<uint32_t>& globalTable,
             const char* signature = "GIF89a");
  GifBuilder& Control(int disposalMethod, bool transparent, int delayCs, int transparentIndex);
  GifBuilder& Comment(const std::string& text);
  GifBuilder& Netscape(int loops);
  // indices in display order; stored interlaced when asked.
  GifBuilder& Image(int left, int top, int width, int height, const std::vector<uint8_t>& indices,
                    bool interlaced = false, const std::vector<uint32_t>& localTable = {},
                    int minCodeSize = 0);
  GifBuilder& Trailer();
};

// ---- BMP / ICO / PCX ---------------------------------------------------------------------
struct BmpLayout {
  int width = 0, height = 0;
  int bitCount = 24;
  bool topDown = false;
  uint32_t compression = 0;            // 0 BI_RGB, 3 BI_BITFIELDS
  std::vector<uint32_t> masks;         // for BI_BITFIELDS: red, green, blue
  std::vector<uint32_t> palette;       // 0xRRGGBB
  std::vector<uint32_t> pixels;        // top-down; palette index or 0xAARRGGBB value
  int headerSize = 40;
};
// The info header, colour table and rows. With an AND mask (an icon image) the stored
// height is doubled and the mask (top-down rows of 0/1 per pixel) follows the rows.
Bytes DibBytes(const BmpLayout& layout, const std::vector<uint8_t>* andMask = nullptr);
Bytes BmpFile(const BmpLayout& layout);

struct IconEntry {
  int width, height, bitCount;
  Bytes data;  // a DIB with mask, or a PNG file
};
Bytes IconFile(const std::vector<IconEntry>& entries, int type = 1);

// 256 colours (bitsPerPixel 8, palette 0xRRGGBB) or monochrome (bitsPerPixel 1, 0/1).
Bytes PcxFile(int width, int height, int bitsPerPixel, const std::vector<uint8_t>& indices,
              const std::vector<uint32_t>& palette = {});

}  // namespace encoders
