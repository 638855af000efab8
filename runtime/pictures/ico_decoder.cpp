#include "runtime/pictures/ico_decoder.h"

#include <algorithm>
#include <vector>

#include "platform/byte_reader.h"
#include "runtime/pictures/dib.h"
#include "runtime/pictures/png_reader.h"

namespace rt::pictures {
namespace {

// ICONDIR, 6 bytes.
struct IconDir {
  uint16_t reserved;  // 0
  uint16_t type;      // 1 icon, 2 cursor
  uint16_t count;
};

// ICONDIRENTRY, 16 bytes.
struct IconDirEntry {
  uint8_t width;       // 0 means 256
  uint8_t height;      // 0 means 256
  uint8_t colorCount;  // ignored: the image header is authoritative
  uint8_t reserved;
  uint16_t planes;     // a cursor's hot spot x; ignored
  uint16_t bitCount;   // a cursor's hot spot y; used only to rank entries
  uint32_t bytesInRes;
  uint32_t imageOffset;
};

// A broken best entry falls back to the next; a few tries are enough for real files.
constexpr size_t kMaxAttempts = 8;

bool SniffDir(std::span<const uint8_t> bytes, uint16_t type) {
  if (bytes.size() < 6) return false;
  return bytes[0] == 0 && bytes[1] == 0 && bytes[2] == type && bytes[3] == 0 &&
         (bytes[4] | bytes[5]) != 0;
}

constexpr uint32_t OverWhite(uint32_t colour, unsigned alpha) {
  auto mix = [alpha](unsigned c) { return (c * alpha + 255 * (255 - alpha) + 127) / 255; };
  return 0xFF000000u | (mix((colour >> 16) & 0xFF) << 16) | (mix((colour >> 8) & 0xFF) << 8) |
         mix(colour & 0xFF);
}
static_assert(OverWhite(0x123456, 255) == 0xFF123456u);
static_assert(OverWhite(0x123456, 0) == 0xFFFFFFFFu);

std::optional<platform::Surface> DrawPngEntry(std::span<const uint8_t> data) {
  auto png = ReadPng(data);
  if (!png) return std::nullopt;
  platform::Surface out(png->width, png->height);
  uint32_t* dst = out.Data();
  for (uint32_t px : png->pixels) *dst++ = OverWhite(px, px >> 24);
  return out;
}

// The classic drawing of a mask icon onto white: mask bit 1 keeps the screen and XORs
// the colour into it (the transparent parts stay white, "inverted" parts of cursors
// turn dark), mask bit 0 puts the colour. 32-bit images with alpha blend instead.
std::optional<platform::Surface> DrawBitmapEntry(std::span<const uint8_t> data) {
  platform::ByteReader r(data);
  DibInfo info;
  if (!ReadDibInfo(r, true, info)) return std::nullopt;
  const size_t colourStart = r.Position();
  const uint64_t colourBytes = DibStride(info.width, info.bitCount) * uint64_t(info.height);
  platform::Surface out;
  std::vector<uint8_t> alpha;
  if (!DecodeDibPixels(data.subspan(colourStart), info, out, &alpha)) return std::nullopt;

  if (std::any_of(alpha.begin(), alpha.end(), [](uint8_t a) { return a != 0; })) {
    for (int y = 0; y < out.Height(); ++y) {
      uint32_t* row = out.Row(y);
      const uint8_t* a = alpha.data() + size_t(y) * size_t(out.Width());
      for (int x = 0; x < out.Width(); ++x) row[x] = OverWhite(row[x], a[x]);
    }
    return out;
  }

  const uint64_t maskStride = DibStride(info.width, 1);
  const uint64_t maskStart = colourStart + colourBytes;
  if (maskStart + maskStride * uint64_t(info.height) > data.size()) return std::nullopt;
  for (int row = 0; row < info.height; ++row) {
    const uint8_t* mask = data.data() + maskStart + maskStride * uint64_t(row);
    uint32_t* dst = out.Row(info.topDown ? row : info.height - 1 - row);
    for (int x = 0; x < info.width; ++x)
      if (mask[x >> 3] & (0x80 >> (x & 7))) dst[x] = 0xFF000000u | (~dst[x] & 0xFFFFFF);
  }
  return out;
}

}  // namespace

bool SniffIcon(std::span<const uint8_t> bytes) { return SniffDir(bytes, 1); }
bool SniffCursor(std::span<const uint8_t> bytes) { return SniffDir(bytes, 2); }

std::optional<platform::Surface> DecodeIcon(std::span<const uint8_t> bytes) {
  platform::ByteReader r(bytes);
  IconDir dir;
  if (!platform::ReadAll(r, dir.reserved, dir.type, dir.count) || dir.count == 0) return std::nullopt;
  std::vector<IconDirEntry> entries(dir.count);
  for (IconDirEntry& e : entries) {
    if (!platform::ReadAll(r, e.width, e.height, e.colorCount, e.reserved, e.planes, e.bitCount,
                 e.bytesInRes, e.imageOffset))
      return std::nullopt;
  }
  auto area = [](const IconDirEntry& e) {
    return (e.width ? e.width : 256) * (e.height ? e.height : 256);
  };
  std::stable_sort(entries.begin(), entries.end(), [&](const auto& a, const auto& b) {
    if (area(a) != area(b)) return area(a) > area(b);
    return dir.type == 1 && a.bitCount > b.bitCount;
  });

  for (size_t i = 0; i < entries.size() && i < kMaxAttempts; ++i) {
    const IconDirEntry& e = entries[i];
    if (e.imageOffset > bytes.size() || e.bytesInRes > bytes.size() - e.imageOffset) continue;
    auto data = bytes.subspan(e.imageOffset, e.bytesInRes);
    auto picture = SniffPng(data) ? DrawPngEntry(data) : DrawBitmapEntry(data);
    if (picture) return picture;
  }
  return std::nullopt;
}

}  // namespace rt::pictures
