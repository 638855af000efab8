#include "runtime/pictures/gif_reader.h"

#include <cstring>

#include "runtime/pictures/picture_limits.h"

namespace rt::pictures {
namespace {

constexpr uint8_t kExtensionIntroducer = 0x21;
constexpr uint8_t kImageSeparator = 0x2C;
constexpr uint8_t kGraphicControlLabel = 0xF9;
constexpr uint8_t kPlainTextLabel = 0x01;
constexpr uint8_t kCommentLabel = 0xFE;
constexpr uint8_t kApplicationLabel = 0xFF;

// Logical screen descriptor: the 13 bytes at the start of the file.
struct ScreenDescriptor {
  uint8_t signature[6];
  uint16_t width;
  uint16_t height;
  uint8_t packed;      // bit 7: global table; bits 0-2: its size as 2^(n+1)
  uint8_t background;  // background colour index
  uint8_t aspect;      // pixel aspect ratio; ignored
};

bool ReadTable(platform::ByteReader& r, int entries, GifPalette& table) {
  auto bytes = r.Bytes(size_t(entries) * 3);
  if (!r.Ok()) return false;
  table.fill(0);
  for (int i = 0; i < entries; ++i) {
    const uint8_t* rgb = bytes.data() + i * 3;
    table[size_t(i)] = (uint32_t(rgb[0]) << 16) | (uint32_t(rgb[1]) << 8) | rgb[2];
  }
  return true;
}

}  // namespace

bool SniffGif(std::span<const uint8_t> bytes) {
  return bytes.size() >= 6 &&
         (std::memcmp(bytes.data(), "GIF87a", 6) == 0 ||
          std::memcmp(bytes.data(), "GIF89a", 6) == 0);
}

int GifImage::DisplayRow(int storedRow) const {
  if (!interlaced) return storedRow;
  // Passes: every 8th row from 0, every 8th from 4, every 4th from 2, every 2nd from 1.
  const int pass1 = (height + 7) / 8;
  const int pass2 = (height + 3) / 8;
  const int pass3 = (height + 1) / 4;
  if (storedRow < pass1) return storedRow * 8;
  storedRow -= pass1;
  if (storedRow < pass2) return storedRow * 8 + 4;
  storedRow -= pass2;
  if (storedRow < pass3) return storedRow * 4 + 2;
  storedRow -= pass3;
  return storedRow * 2 + 1;
}

GifReader::GifReader() : lzw_(std::make_unique<LzwDecoder>()) {}
GifReader::~GifReader() = default;

bool GifReader::Open(std::span<const uint8_t> bytes) {
  reader_ = platform::ByteReader(bytes);
  screen_ = {};
  control_ = {};
  if (bytes.size() < 14 || !SniffGif(bytes)) return false;
  ScreenDescriptor d;
  reader_.Skip(6);  // "GIF87a" or "GIF89a", checked by the sniff
  if (!platform::ReadAll(reader_, d.width, d.height, d.packed, d.background, d.aspect))
    return false;
  screen_.width = d.width;
  screen_.height = d.height;
  screen_.backgroundIndex = d.background;
  if (d.packed & 0x80) {
    screen_.hasGlobalTable = true;
    screen_.globalTableSize = 1 << ((d.packed & 7) + 1);
    if (!ReadTable(reader_, screen_.globalTableSize, screen_.globalTable)) return false;
  }
  return true;
}

// Graphic control extension: block size (4), packed, delay (16-bit), transparent index,
// then the usual sub-block chain.
bool GifReader::ReadControlExtension() {
  uint8_t size;
  if (!reader_.Read(size)) return false;
  auto block = reader_.Bytes(size);
  if (!reader_.Ok()) return false;
  if (size >= 4) {
    const uint8_t* b = block.data();
    control_.disposal = b[0] & 0x1C;
    control_.transparent = (b[0] & 1) != 0;
    control_.delayCs = b[1] | (b[2] << 8);
    control_.transparentIndex = b[3];
  }
  return SkipSubBlocks();
}

bool GifReader::SkipSubBlocks() {
  for (;;) {
    uint8_t size;
    if (!reader_.Read(size)) return false;
    if (size == 0) return true;
    if (!reader_.Skip(size)) return false;
  }
}

GifReader::Step GifReader::Next() {
  control_.disposal = 0;
  for (;;) {
    uint8_t introducer;
    if (!reader_.Read(introducer)) return Step::End;  // no trailer: stop quietly
    if (introducer == kImageSeparator) return ReadImage();
    if (introducer != kExtensionIntroducer) return Step::End;
    uint8_t label;
    if (!reader_.Read(label)) return Step::Truncated;
    bool ok;
    if (label == kGraphicControlLabel) {
      ok = ReadControlExtension();
    } else if (label == kPlainTextLabel || label == kCommentLabel ||
               label == kApplicationLabel) {
      ok = SkipSubBlocks();
    } else {
      return Step::End;
    }
    if (!ok) return Step::Truncated;
  }
}

GifReader::Step GifReader::ReadImage() {
  uint16_t left, top, width, height;
  uint8_t packed;
  if (!platform::ReadAll(reader_, left, top, width, height, packed)) return Step::Truncated;
  image_ = {};
  image_.left = left;
  image_.top = top;
  image_.width = width;
  image_.height = height;
  image_.interlaced = (packed & 0x40) != 0;
  image_.control = control_;
  if (packed & 0x80) {
    image_.paletteSize = 1 << ((packed & 7) + 1);
    if (!ReadTable(reader_, image_.paletteSize, localTable_)) return Step::Truncated;
    image_.palette = &localTable_;
  } else {
    image_.paletteSize = screen_.hasGlobalTable ? screen_.globalTableSize : 0;
    image_.palette = &screen_.globalTable;  // all black when the file has none
  }

  uint8_t minCodeSize;
  if (!reader_.Read(minCodeSize)) return Step::Truncated;
  // Join the sub-blocks first: the LZW loop then runs over one span.
  codes_.clear();
  for (;;) {
    uint8_t size;
    if (!reader_.Read(size)) return Step::Truncated;
    if (size == 0) break;
    auto block = reader_.Bytes(size);
    if (!reader_.Ok()) return Step::Truncated;
    codes_.insert(codes_.end(), block.begin(), block.end());
  }

  const uint64_t pixels = uint64_t(width) * height;
  if (pixels == 0) return Step::Image;
  if (pixels > kMaxPixels) return Step::End;
  if (indices_.size() < pixels) indices_.resize(size_t(pixels));
  image_.indices = indices_.data();
  image_.decodedPixels = lzw_->Decode(minCodeSize, codes_, indices_.data(), size_t(pixels));
  return Step::Image;
}

}  // namespace rt::pictures
