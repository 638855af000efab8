#include "runtime/pictures/bmp_decoder.h"

#include "platform/byte_reader.h"
#include "runtime/pictures/dib.h"

namespace rt::pictures {
namespace {

// BITMAPFILEHEADER, 14 bytes.
struct FileHeader {
  uint16_t type;       // "BM"
  uint32_t size;       // whole file; unreliable in the wild, not used
  uint16_t reserved1;
  uint16_t reserved2;
  uint32_t offBits;    // where the pixel rows start
};

}  // namespace

bool SniffBmp(std::span<const uint8_t> bytes) {
  return bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M';
}

std::optional<platform::Surface> DecodeBmp(std::span<const uint8_t> bytes) {
  platform::ByteReader r(bytes);
  FileHeader f;
  if (!platform::ReadAll(r, f.type, f.size, f.reserved1, f.reserved2, f.offBits)) return std::nullopt;
  DibInfo info;
  if (!ReadDibInfo(r, false, info)) return std::nullopt;
  // Some writers leave the offset 0; the rows then follow the colour table.
  size_t start = f.offBits != 0 ? f.offBits : r.Position();
  if (start > bytes.size()) return std::nullopt;
  platform::Surface out;
  if (!DecodeDibPixels(bytes.subspan(start), info, out)) return std::nullopt;
  return out;
}

}  // namespace rt::pictures
