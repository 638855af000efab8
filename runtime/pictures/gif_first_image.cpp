#include "runtime/pictures/gif_first_image.h"

#include <algorithm>

#include "runtime/pictures/gif_reader.h"
#include "runtime/pictures/picture_limits.h"

namespace rt::pictures {

// The image is drawn through its palette as an 8-bit bitmap would be: the transparent
// index shows its table colour. Screen areas the image does not cover show the
// background colour of the global table, or white when there is none.
std::optional<platform::Surface> DecodeGifFirstImage(std::span<const uint8_t> bytes) {
  GifReader reader;
  if (!reader.Open(bytes) || reader.Next() != GifReader::Step::Image) return std::nullopt;
  const GifScreen& screen = reader.Screen();
  const GifImage& image = reader.Image();
  int width = screen.width, height = screen.height;
  if (width == 0 || height == 0) {  // a zero screen: fall back to the image's own frame
    width = image.left + image.width;
    height = image.top + image.height;
  }
  if (!DimensionsValid(width, height)) return std::nullopt;
  const uint32_t background =
      screen.hasGlobalTable ? screen.globalTable[size_t(screen.backgroundIndex)] : 0xFFFFFF;
  platform::Surface out(width, height, 0xFF000000u | background);

  // Clip the image to the screen once; rows then copy without checks.
  const int visibleWidth = std::clamp(width - image.left, 0, image.width);
  const GifPalette& palette = *image.palette;
  if (visibleWidth == 0) return out;
  for (int stored = 0; stored < image.height; ++stored) {
    const size_t rowStart = size_t(stored) * size_t(image.width);
    if (rowStart >= image.decodedPixels) break;
    const int y = image.top + image.DisplayRow(stored);
    if (y >= height) continue;
    const size_t available = std::min<size_t>(image.decodedPixels - rowStart, visibleWidth);
    const uint8_t* src = image.indices + rowStart;
    uint32_t* dst = out.Row(y) + image.left;
    for (size_t x = 0; x < available; ++x) dst[x] = 0xFF000000u | palette[src[x]];
  }
  return out;
}

}  // namespace rt::pictures
