#include "runtime/pictures/dib.h"

#include <algorithm>
#include <bit>

#include "runtime/pictures/picture_limits.h"

namespace rt::pictures {
namespace {

// Everything after biSize in the 40-byte header (and its V2..V5 extensions).
struct InfoHeader {
  int32_t width;
  int32_t height;
  uint16_t planes;         // always 1; not checked, writers get it wrong
  uint16_t bitCount;
  uint32_t compression;
  uint32_t sizeImage;      // often 0; the stride decides
  int32_t xPelsPerMeter;   // resolution: ignored
  int32_t yPelsPerMeter;
  uint32_t clrUsed;
  uint32_t clrImportant;   // ignored
};

constexpr uint32_t kMaxPaletteEntries = 1u << 16;

// One colour channel described by a mask, scaled to 8 bits.
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  uint64_t max = 0;
  explicit Channel(uint32_t m) : mask(m) {
    if (m == 0) return;
    shift = std::countr_zero(m);
    max = m >> shift;
    if ((max & (max + 1)) != 0) max = (uint64_t(1) << std::bit_width(max)) - 1;  // holes
  }
  uint32_t Get(uint32_t pixel) const {
    if (max == 0) return 0;
    const uint64_t v = (pixel & mask) >> shift;
    return uint32_t((v * 255 + max / 2) / max);
  }
};

bool ValidBitCount(int bits) {
  return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

uint32_t PaletteAt(const DibInfo& info, unsigned index) {
  return index < info.palette.size() ? info.palette[index] : 0;
}

void DecodeRow(const uint8_t* src, const DibInfo& info, const Channel* ch, uint32_t* dst,
               uint8_t* alpha) {
  const int w = info.width;
  switch (info.bitCount) {
    case 1:
    case 4:
    case 8: {
      const int bits = info.bitCount;
      const unsigned mask = (1u << bits) - 1;
      for (int x = 0; x < w; ++x) {
        const int bit = x * bits;
        const unsigned index = (src[bit >> 3] >> (8 - bits - (bit & 7))) & mask;
        dst[x] = 0xFF000000u | PaletteAt(info, index);
      }
      break;
    }
    case 24:
      for (int x = 0; x < w; ++x, src += 3)
        dst[x] = 0xFF000000u | (uint32_t(src[2]) << 16) | (uint32_t(src[1]) << 8) | src[0];
      break;
    case 32:
      if (ch[0].mask == 0xFF0000 && ch[1].mask == 0xFF00 && ch[2].mask == 0xFF) {
        for (int x = 0; x < w; ++x, src += 4) {
          dst[x] = 0xFF000000u | (uint32_t(src[2]) << 16) | (uint32_t(src[1]) << 8) | src[0];
          if (alpha) alpha[x] = uint8_t(ch[3].Get(uint32_t(src[3]) << 24));
        }
        break;
      }
      [[fallthrough]];
    case 16: {
      const int step = info.bitCount / 8;
      for (int x = 0; x < w; ++x, src += step) {
        uint32_t px = step == 2 ? uint32_t(src[0] | (src[1] << 8))
                                : uint32_t(src[0] | (src[1] << 8) | (src[2] << 16)) |
                                      (uint32_t(src[3]) << 24);
        dst[x] = 0xFF000000u | (ch[0].Get(px) << 16) | (ch[1].Get(px) << 8) | ch[2].Get(px);
        if (alpha) alpha[x] = uint8_t(ch[3].Get(px));
      }
      break;
    }
  }
}

// Run-length rows (BI_RLE8 / BI_RLE4): pairs of count and value, escapes for end of
// line, end of bitmap, delta moves and absolute runs. Pixels never written stay at
// palette entry 0, as the classic decoder leaves them.
bool DecodeRle(std::span<const uint8_t> data, const DibInfo& info, platform::Surface& out) {
  const int w = info.width, h = info.height;
  const bool four = info.compression == BI_RLE4;
  const uint32_t background = 0xFF000000u | PaletteAt(info, 0);
  for (int y = 0; y < h; ++y) std::fill(out.Row(y), out.Row(y) + w, background);
  platform::ByteReader r(data);
  int x = 0, row = 0;  // row counts from the bottom
  auto put = [&](unsigned index) {
    if (x < w && row < h) {
      int y = info.topDown ? row : h - 1 - row;
      out.At(x, y) = 0xFF000000u | PaletteAt(info, index);
    }
    ++x;
  };
  for (;;) {
    uint8_t count, value;
    if (!platform::ReadAll(r, count, value)) return false;
    if (count > 0) {
      for (int i = 0; i < count; ++i) put(four ? ((i & 1) ? value & 15 : value >> 4) : value);
      continue;
    }
    if (value == 0) {  // end of line
      x = 0;
      ++row;
    } else if (value == 1) {  // end of bitmap
      return true;
    } else if (value == 2) {  // delta
      uint8_t dx, dy;
      if (!platform::ReadAll(r, dx, dy)) return false;
      x += dx;
      row += dy;
    } else {  // absolute run of `value` pixels, padded to 16 bits
      const size_t bytes = four ? (value + 1u) / 2 : value;
      auto run = r.Bytes(bytes);
      if (!r.Ok() || !r.Skip(bytes & 1)) return false;
      for (int i = 0; i < value; ++i)
        put(four ? ((i & 1) ? run[size_t(i / 2)] & 15 : run[size_t(i / 2)] >> 4)
                 : run[size_t(i)]);
    }
    if (row >= h) return true;
  }
}

}  // namespace

uint64_t DibStride(int width, int bitCount) {
  return ((uint64_t(width) * uint64_t(bitCount) + 31) / 32) * 4;
}

bool ReadDibInfo(platform::ByteReader& r, bool iconImage, DibInfo& info) {
  uint32_t headerSize;
  if (!r.Read(headerSize)) return false;
  const size_t headerStart = r.Position() - 4;
  InfoHeader h{};
  bool core = headerSize == 12;
  if (core) {
    uint16_t w, hh;
    if (!platform::ReadAll(r, w, hh, h.planes, h.bitCount)) return false;
    h.width = w;
    h.height = hh;
  } else if (headerSize >= 40 && headerSize <= 1024) {
    if (!platform::ReadAll(r, h.width, h.height, h.planes, h.bitCount, h.compression, h.sizeImage,
                 h.xPelsPerMeter, h.yPelsPerMeter, h.clrUsed, h.clrImportant))
      return false;
  } else {
    return false;
  }
  if (!ValidBitCount(h.bitCount)) return false;
  info.bitCount = h.bitCount;
  info.compression = h.compression;
  info.topDown = h.height < 0;
  int64_t height = h.height < 0 ? -int64_t(h.height) : int64_t(h.height);
  if (iconImage) height /= 2;
  info.width = h.width;
  info.height = int(height > kMaxSide ? kMaxSide + 1 : height);
  if (!DimensionsValid(h.width, height)) return false;

  switch (h.compression) {
    case BI_RGB:
      break;
    case BI_RLE8:
      if (h.bitCount != 8 || iconImage) return false;
      break;
    case BI_RLE4:
      if (h.bitCount != 4 || iconImage) return false;
      break;
    case BI_BITFIELDS:
    case BI_ALPHABITFIELDS:
      if (h.bitCount != 16 && h.bitCount != 32) return false;
      break;
    default:
      return false;  // embedded JPEG/PNG bitmaps are not drawn by the classic loader
  }

  // Masks: inside V2+ headers, else three (or four) words after the 40-byte header.
  if (h.bitCount == 16) info.masks = {0x7C00, 0x03E0, 0x001F, 0};
  if (h.bitCount == 32) info.masks = {0xFF0000, 0xFF00, 0xFF, 0xFF000000u};
  if (h.compression == BI_BITFIELDS || h.compression == BI_ALPHABITFIELDS) {
    const int count = h.compression == BI_ALPHABITFIELDS ? 4 : 3;
    if (headerSize >= 52 && !r.Seek(headerStart + 40)) return false;
    info.masks[3] = 0;
    for (int i = 0; i < count; ++i)
      if (!r.Read(info.masks[size_t(i)])) return false;
    if (headerSize >= 56 && !r.Read(info.masks[3])) return false;
  }
  if (!r.Seek(headerStart + headerSize)) return false;
  if (headerSize == 40 && h.compression == BI_BITFIELDS && !r.Skip(12)) return false;
  if (headerSize == 40 && h.compression == BI_ALPHABITFIELDS && !r.Skip(16)) return false;

  uint32_t entries = h.clrUsed;
  if (entries == 0 && h.bitCount <= 8) entries = 1u << h.bitCount;
  if (entries > kMaxPaletteEntries) return false;
  const size_t entrySize = core ? 3 : 4;
  auto table = r.Bytes(entries * entrySize);
  if (!r.Ok()) return false;
  info.palette.assign(std::min<uint32_t>(entries, 256), 0);
  for (size_t i = 0; i < info.palette.size(); ++i) {
    const uint8_t* e = table.data() + i * entrySize;  // blue, green, red[, reserved]
    info.palette[i] = (uint32_t(e[2]) << 16) | (uint32_t(e[1]) << 8) | e[0];
  }
  return true;
}

bool DecodeDibPixels(std::span<const uint8_t> pixels, const DibInfo& info,
                     platform::Surface& out, std::vector<uint8_t>* alpha) {
  if (!DimensionsValid(info.width, info.height)) return false;
  if (info.compression == BI_RLE8 || info.compression == BI_RLE4) {
    out.Resize(info.width, info.height);
    return DecodeRle(pixels, info, out);
  }
  const uint64_t stride = DibStride(info.width, info.bitCount);
  if (stride * uint64_t(info.height) > pixels.size()) return false;  // before allocating
  out.Resize(info.width, info.height);
  const Channel channels[4] = {Channel(info.masks[0]), Channel(info.masks[1]),
                               Channel(info.masks[2]), Channel(info.masks[3])};
  const bool wantAlpha = alpha && info.bitCount == 32;
  if (wantAlpha) alpha->assign(size_t(info.width) * size_t(info.height), 0);
  for (int row = 0; row < info.height; ++row) {
    const int y = info.topDown ? row : info.height - 1 - row;
    DecodeRow(pixels.data() + stride * uint64_t(row), info, channels, out.Row(y),
              wantAlpha ? alpha->data() + size_t(y) * size_t(info.width) : nullptr);
  }
  return true;
}

}  // namespace rt::pictures
