// Pictures of stage objects: decoded frames with per-frame delay and colour key, and
// the transforms applied when an object is rendered.
//
// Pixel convention inside a frame: B, G, R and a *transparency* byte (0 opaque,
// 255 invisible), i.e. uint32_t 0xTTRRGGBB. This is not the desktop's alpha.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/draw.h"
#include "platform/surface.h"

namespace stage {

inline constexpr uint32_t kDefaultColour = 0xFF000000u;  // COLORREF "default / none"

struct PictureFrame {
  platform::Surface pixels;           // full picture size, 0xTTRRGGBB
  uint32_t key = kDefaultColour;      // COLORREF colour key, kDefaultColour = none
  int delayMs = 0;
};

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<PictureFrame> frames;
  bool Valid() const { return width > 0 && height > 0 && !frames.empty(); }
};
using PicturePtr = std::shared_ptr<const Picture>;

// Colour-key request of decoding: none, each frame's own top-left pixel, or one colour.
struct KeyRequest {
  enum Mode { None, Automatic, Colour } mode = None;
  uint32_t colour = kDefaultColour;  // COLORREF when mode == Colour
  // -1 or kDefaultColour: None; -2: Automatic; anything else: that colour.
  static KeyRequest FromArgument(int64_t key);
};

// The key a decoded frame gets: none, the colour asked for, or (automatic) the colour of
// the frame's own top-left pixel.
uint32_t FrameKey(const KeyRequest& key, const platform::Surface& frame);

// Chooses the decoder by signature: GIF (all frames), PNG (libpng), else the runtime's
// picture loader (BMP, JPEG, icons ...). nullopt when nothing valid comes out.
std::optional<Picture> DecodePicture(std::span<const uint8_t> bytes, KeyRequest key);
// The stage's own GIF decoder; a GIF that ends early keeps the frames decoded so far.
std::optional<Picture> DecodeGif(std::span<const uint8_t> bytes, KeyRequest key);
// One frame; alpha (an alpha channel or a tRNS chunk) becomes transparency 255 - alpha.
std::optional<Picture> DecodePng(std::span<const uint8_t> bytes, KeyRequest key);

// Text picture: lines split at '\n' ("\r\n" allowed), 2 px between lines, one colour.
// nullopt for the empty text. gbkText is GBK.
std::optional<Picture> RenderText(const std::string& gbkText, const platform::LogFont* font,
                                  uint32_t textColour);

// Transforms, applied in this order by the renderer.
void FlipPicture(Picture& p, int turnType);                 // 0..3
Picture RotatePicture(const Picture& p, int angleDegrees);  // clockwise
// Zoom in per mille. nullopt when a dimension rounds to 0 (the object then has no
// picture). Scaling clears every frame's key.
std::optional<Picture> ZoomPicture(const Picture& p, int zoomX, int zoomY);
// Both leave pixels equal to their frame's key alone.
void TintPicture(Picture& p, uint32_t trendColour, int depth);  // depth 1..100 percent
void BrightenPicture(Picture& p, int light);                    // percent, may be negative

}  // namespace stage
