// Walks the blocks of a GIF file and decodes each image's indices. Composition (canvas,
// disposal, transparency) is left to the caller: the picture loader wants only the
// first image, the stage composes every frame.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "platform/byte_reader.h"
#include "runtime/pictures/lzw.h"

namespace rt::pictures {

// Colours as 0x00RRGGBB. Tables are always 256 entries; entries past the file's table
// are black, so any index is safe to look up.
using GifPalette = std::array<uint32_t, 256>;

bool SniffGif(std::span<const uint8_t> bytes);

struct GifScreen {
  int width = 0;
  int height = 0;
  bool hasGlobalTable = false;
  int globalTableSize = 0;
  int backgroundIndex = 0;
  GifPalette globalTable{};
};

// The graphic-control state in force for an image. Disposal is reset before each image;
// the other fields carry over from earlier control blocks.
struct GifControl {
  int disposal = 0;  // packed & 0x1C: 0, 4 keep, 8 restore background, 12 restore previous
  bool transparent = false;
  int delayCs = 0;  // hundredths of a second
  int transparentIndex = 0;
};

struct GifImage {
  int left = 0, top = 0, width = 0, height = 0;
  bool interlaced = false;
  const GifPalette* palette = nullptr;  // the local table, else the global one
  int paletteSize = 0;                  // 0: the file gave neither
  GifControl control;
  // Indices in the order the file stores them: rows appear as `DisplayRow` says.
  const uint8_t* indices = nullptr;
  size_t decodedPixels = 0;  // fewer than width x height when the stream was damaged
  // The canvas row of the n-th stored row (interlaced images store rows in 4 passes).
  int DisplayRow(int storedRow) const;
};

class GifReader {
 public:
  GifReader();
  ~GifReader();
  GifReader(const GifReader&) = delete;
  GifReader& operator=(const GifReader&) = delete;

  // Reads the header and global table; false when they are missing or cut short.
  bool Open(std::span<const uint8_t> bytes);
  const GifScreen& Screen() const { return screen_; }

  enum class Step {
    Image,      // Image() holds the next image
    End,        // trailer, an unknown block, or an image too large to decode
    Truncated,  // the data stops inside a block; the image it held is lost
  };
  Step Next();
  const GifImage& Image() const { return image_; }

 private:
  bool ReadControlExtension();
  bool SkipSubBlocks();
  Step ReadImage();

  platform::ByteReader reader_{{}};
  GifScreen screen_;
  GifControl control_;
  GifPalette localTable_{};
  GifImage image_;
  std::vector<uint8_t> codes_;
  std::vector<uint8_t> indices_;
  std::unique_ptr<LzwDecoder> lzw_;
};

}  // namespace rt::pictures
