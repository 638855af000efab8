// The stage's GIF decoder: every image composed onto a logical-screen canvas and kept
// as a full frame, so playback only switches frames.
#include <algorithm>
#include <array>
#include <vector>

#include "runtime/pictures/gif_reader.h"
#include "runtime/pictures/picture_limits.h"
#include "stage/pictures/picture.h"

namespace stage {
namespace {

using rt::pictures::GifImage;
using rt::pictures::GifReader;

// A GIF whose data stops early (a file cut short in a copy or a download) keeps the
// frames it completed: they are intact, and an animation that ends early beats no
// picture at all. The image the data stopped in is dropped. A file whose frames would
// outgrow the animation budget (kMaxAnimationBytes) is treated the same way from the
// frame that crosses it.
constexpr bool kTruncatedGifKeepsFramesSoFar = true;

constexpr uint32_t kTransparentWhite = 0xFFFFFFFFu;  // empty canvas
constexpr int kDefaultDelayMs = 50;                  // a zero delay plays at this pace

struct Area {
  int left = 0, top = 0, width = 0, height = 0;
  bool Empty() const { return width <= 0 || height <= 0; }
};

// The part of the image that lies on the canvas; everything outside is never drawn.
Area ClipToCanvas(const GifImage& image, int canvasWidth, int canvasHeight) {
  Area a;
  a.left = image.left;
  a.top = image.top;
  a.width = std::clamp(canvasWidth - image.left, 0, image.width);
  a.height = std::clamp(canvasHeight - image.top, 0, image.height);
  return a;
}

// Pixels under an image whose disposal puts back what was there before.
class SavedArea {
 public:
  void Save(const platform::Surface& canvas, const Area& a) {
    area_ = a;
    pixels_.resize(size_t(a.width) * size_t(a.height));
    for (int y = 0; y < a.height; ++y)
      std::copy_n(canvas.Row(a.top + y) + a.left, a.width, pixels_.data() + size_t(y) * a.width);
  }
  void RestoreInto(platform::Surface& canvas) {
    for (int y = 0; y < area_.height; ++y)
      std::copy_n(pixels_.data() + size_t(y) * area_.width, area_.width,
                  canvas.Row(area_.top + y) + area_.left);
    area_ = {};
  }

 private:
  Area area_;
  std::vector<uint32_t> pixels_;
};

// Draws the decoded indices. Every pixel whose table colour equals the key colour is
// skipped, whatever its index; the others land opaque (transparency byte 0).
void DrawImage(const GifImage& image, const Area& clip, platform::Surface& canvas) {
  if (clip.Empty()) return;
  const auto& palette = *image.palette;
  const bool keyed = image.control.transparent;
  const uint32_t key = palette[size_t(image.control.transparentIndex)];
  std::array<uint8_t, 256> skip{};
  if (keyed)
    for (size_t i = 0; i < 256; ++i) skip[i] = palette[i] == key;

  for (int stored = 0; stored < image.height; ++stored) {
    const size_t rowStart = size_t(stored) * size_t(image.width);
    if (rowStart >= image.decodedPixels) break;
    const int row = image.DisplayRow(stored);
    if (row >= clip.height) continue;
    const size_t count = std::min<size_t>(image.decodedPixels - rowStart, size_t(clip.width));
    const uint8_t* src = image.indices + rowStart;
    uint32_t* dst = canvas.Row(clip.top + row) + clip.left;
    if (keyed) {
      for (size_t x = 0; x < count; ++x)
        if (!skip[src[x]]) dst[x] = palette[src[x]];
    } else {
      for (size_t x = 0; x < count; ++x) dst[x] = palette[src[x]];
    }
  }
}

}  // namespace

std::optional<Picture> DecodeGif(std::span<const uint8_t> bytes, KeyRequest key) {
  GifReader reader;
  if (!reader.Open(bytes)) return std::nullopt;
  const int width = reader.Screen().width, height = reader.Screen().height;
  if (!rt::pictures::DimensionsValid(width, height)) return std::nullopt;

  Picture p;
  p.width = width;
  p.height = height;
  platform::Surface canvas(width, height, kTransparentWhite);
  SavedArea saved;
  // Pixels plus a little for the frame's own bookkeeping, so that a flood of tiny
  // frames is bounded too.
  const uint64_t frameBytes = uint64_t(width) * uint64_t(height) * 4 + 64;
  uint64_t used = 0;

  for (;;) {
    const GifReader::Step step = reader.Next();
    if (step == GifReader::Step::Truncated) {
      if (!kTruncatedGifKeepsFramesSoFar) return std::nullopt;
      break;
    }
    if (step != GifReader::Step::Image) break;
    if (used + frameBytes > rt::pictures::kMaxAnimationBytes) break;
    used += frameBytes;

    saved.RestoreInto(canvas);
    const GifImage& image = reader.Image();
    const Area clip = ClipToCanvas(image, width, height);
    const int disposal = image.control.disposal;
    // Restore-to-background and restore-to-previous both put back what was there.
    if ((disposal == 8 || disposal == 12) && !clip.Empty()) saved.Save(canvas, clip);
    DrawImage(image, clip, canvas);

    PictureFrame frame;
    frame.pixels = canvas;
    frame.delayMs = image.control.delayCs == 0 ? kDefaultDelayMs : image.control.delayCs * 10;
    frame.key = FrameKey(key, canvas);
    p.frames.push_back(std::move(frame));
  }
  if (p.frames.empty()) return std::nullopt;
  return p;
}

}  // namespace stage
