#include "runtime/pictures/png_reader.h"
#include "stage/pictures/picture.h"

namespace stage {

// Alpha becomes the transparency byte (255 - alpha). Besides colour-with-alpha images
// this honours grey-with-alpha images and tRNS chunks: their alpha is just as much part
// of the picture, and pixels the file marks invisible should not show.
std::optional<Picture> DecodePng(std::span<const uint8_t> bytes, KeyRequest key) {
  auto png = rt::pictures::ReadPng(bytes);
  if (!png) return std::nullopt;
  Picture p;
  p.width = png->width;
  p.height = png->height;
  PictureFrame frame;
  frame.pixels = platform::Surface(p.width, p.height);
  uint32_t* dst = frame.pixels.Data();
  for (uint32_t px : png->pixels) *dst++ = (px & 0x00FFFFFFu) | ((~px) & 0xFF000000u);
  frame.key = FrameKey(key, frame.pixels);
  p.frames.push_back(std::move(frame));
  return p;
}

}  // namespace stage
