#include "stage/pictures/picture.h"

#include "runtime/pictures/gif_reader.h"
#include "runtime/pictures/picture_loader.h"
#include "runtime/pictures/png_reader.h"

namespace stage {
namespace {

// The runtime's loader gives opaque desktop pixels; a frame wants transparency 0.
std::optional<Picture> DecodeStill(std::span<const uint8_t> bytes, KeyRequest key) {
  auto bitmap = rt::LoadPicture(bytes);
  if (!bitmap || bitmap->Empty()) return std::nullopt;
  Picture p;
  p.width = bitmap->Width();
  p.height = bitmap->Height();
  PictureFrame frame;
  frame.pixels = std::move(*bitmap);
  uint32_t* px = frame.pixels.Data();
  const size_t count = size_t(p.width) * size_t(p.height);
  for (size_t i = 0; i < count; ++i) px[i] &= 0x00FFFFFFu;
  frame.key = FrameKey(key, frame.pixels);
  p.frames.push_back(std::move(frame));
  return p;
}

}  // namespace

KeyRequest KeyRequest::FromArgument(int64_t key) {
  if (key == -1 || key == int64_t(kDefaultColour)) return {};
  if (key == -2) return {Automatic, kDefaultColour};
  return {Colour, uint32_t(key)};
}

uint32_t FrameKey(const KeyRequest& key, const platform::Surface& frame) {
  switch (key.mode) {
    case KeyRequest::Automatic:
      return frame.Empty() ? kDefaultColour : platform::FromPixel(frame.At(0, 0));
    case KeyRequest::Colour:
      return key.colour;
    case KeyRequest::None:
      break;
  }
  return kDefaultColour;
}

std::optional<Picture> DecodePicture(std::span<const uint8_t> bytes, KeyRequest key) {
  std::optional<Picture> p;
  if (bytes.size() > 5 && rt::pictures::SniffGif(bytes)) {
    p = DecodeGif(bytes, key);
  } else if (bytes.size() > 7 && rt::pictures::SniffPng(bytes)) {
    p = DecodePng(bytes, key);
  } else {
    p = DecodeStill(bytes, key);
  }
  if (!p || !p->Valid()) return std::nullopt;
  return p;
}

}  // namespace stage
