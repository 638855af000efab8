#include "runtime/pictures/pcx_decoder.h"

#include <algorithm>
#include <vector>

#include "platform/byte_reader.h"
#include "runtime/pictures/picture_limits.h"

namespace rt::pictures {
namespace {

// The 128-byte PCX header.
struct PcxHeader {
  uint8_t manufacturer;  // 0x0A
  uint8_t version;
  uint8_t encoding;      // 1: run-length
  uint8_t bitsPerPixel;  // per plane
  uint16_t xMin, yMin, xMax, yMax;  // inclusive
  uint16_t hDpi, vDpi;   // ignored
  // 48 bytes of 16-colour palette (unused by the kinds read here), 1 reserved byte
  uint8_t planes;
  uint16_t bytesPerLine;  // per plane, even
  // palette info, screen size and 54 filler bytes follow; ignored
};
constexpr size_t kHeaderSize = 128;
constexpr size_t kPaletteSize = 769;  // marker 0x0C and 256 RGB triples
constexpr uint8_t kPaletteMarker = 0x0C;

bool ReadHeader(platform::ByteReader& r, PcxHeader& h) {
  if (!platform::ReadAll(r, h.manufacturer, h.version, h.encoding, h.bitsPerPixel, h.xMin, h.yMin,
               h.xMax, h.yMax, h.hDpi, h.vDpi) ||
      !r.Skip(48 + 1) || !platform::ReadAll(r, h.planes, h.bytesPerLine))
    return false;
  return r.Seek(kHeaderSize);
}

// Runs: a byte with the two top bits set repeats the next byte (count in the low six
// bits); any other byte stands for itself. Runs may cross scan lines.
bool Unpack(platform::ByteReader& r, std::vector<uint8_t>& out) {
  size_t pos = 0;
  while (pos < out.size()) {
    uint8_t b;
    if (!r.Read(b)) return false;
    size_t count = 1;
    if ((b & 0xC0) == 0xC0) {
      count = b & 0x3F;
      if (!r.Read(b)) return false;
    }
    if (count > out.size() - pos) count = out.size() - pos;
    std::fill_n(out.begin() + std::ptrdiff_t(pos), count, b);
    pos += count;
  }
  return true;
}

}  // namespace

bool SniffPcx256(std::span<const uint8_t> bytes) {
  return bytes.size() >= 4 && bytes[0] == 0x0A && bytes[1] <= 5 && bytes[2] == 1 &&
         bytes[3] == 8;
}

bool SniffPcxMono(std::span<const uint8_t> bytes) {
  return bytes.size() >= 4 && bytes[0] == 0x0A && bytes[1] == 3 && bytes[2] == 1 &&
         bytes[3] == 1;
}

std::optional<platform::Surface> DecodePcx(std::span<const uint8_t> bytes) {
  platform::ByteReader header(bytes);
  PcxHeader h;
  if (!ReadHeader(header, h)) return std::nullopt;
  const int64_t w = int64_t(h.xMax) - h.xMin + 1, height = int64_t(h.yMax) - h.yMin + 1;
  if (!DimensionsValid(w, height)) return std::nullopt;
  // Only the two kinds read here: any other depth would index the lines as if it were one
  // of them, past their ends.
  if (h.bitsPerPixel != 1 && h.bitsPerPixel != 8) return std::nullopt;
  const bool mono = h.bitsPerPixel == 1;
  const bool rgb = !mono && h.planes == 3;
  if (mono ? h.planes != 1 : (h.planes != 1 && h.planes != 3)) return std::nullopt;
  if (uint64_t(h.bytesPerLine) * 8 < uint64_t(w) * h.bitsPerPixel) return std::nullopt;

  // The 256-colour palette closes the file; the pixel runs end before it.
  std::span<const uint8_t> runs = bytes.subspan(kHeaderSize);
  uint32_t palette[256];
  if (!mono && !rgb) {
    if (bytes.size() < kHeaderSize + kPaletteSize) return std::nullopt;
    const uint8_t* p = bytes.data() + bytes.size() - kPaletteSize;
    if (p[0] != kPaletteMarker) return std::nullopt;
    for (int i = 0; i < 256; ++i)
      palette[i] = (uint32_t(p[1 + i * 3]) << 16) | (uint32_t(p[2 + i * 3]) << 8) | p[3 + i * 3];
    runs = runs.first(runs.size() - kPaletteSize);
  }

  // One run pair yields at most 63 bytes: data too short for the picture is refused
  // before anything is allocated for it.
  const size_t lineBytes = size_t(h.bytesPerLine) * h.planes;
  if (uint64_t(lineBytes) * uint64_t(height) > uint64_t(runs.size()) * 63) return std::nullopt;
  std::vector<uint8_t> pixels(lineBytes * size_t(height));
  platform::ByteReader r(runs);
  if (!Unpack(r, pixels)) return std::nullopt;

  platform::Surface out{int(w), int(height)};
  for (int y = 0; y < height; ++y) {
    const uint8_t* line = pixels.data() + lineBytes * size_t(y);
    uint32_t* dst = out.Row(y);
    for (int x = 0; x < w; ++x) {
      uint32_t colour;
      if (mono) {
        colour = (line[x >> 3] & (0x80 >> (x & 7))) ? 0xFFFFFF : 0;
      } else if (rgb) {
        colour = (uint32_t(line[x]) << 16) | (uint32_t(line[x + h.bytesPerLine]) << 8) |
                 line[x + 2 * h.bytesPerLine];
      } else {
        colour = palette[line[x]];
      }
      dst[x] = 0xFF000000u | colour;
    }
  }
  return out;
}

}  // namespace rt::pictures
