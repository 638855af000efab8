// A stage-ready picture: the decoded or rendered `Picture` plus what painting and
// collision precompute once per picture instead of once per paint or move: a content
// hash for the pool, each frame's transparency class and its solid mask.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/types.h"
#include "stage/pictures/picture.h"

namespace stage {

// How a frame's transparency bytes look; picks the painting loop.
enum class FrameAlpha : uint8_t {
  Opaque,  // every transparency byte is 0
  Binary,  // only 0 and 255
  Mixed,   // anything else
};

// One bit per pixel, set where the pixel is solid (collision's notion). Rows are padded
// to whole 64-bit words; bit x of a row is word x / 64, bit x % 64.
class SolidMask {
 public:
  SolidMask() = default;
  SolidMask(const PictureFrame& frame, int width, int height);

  int Width() const { return width_; }
  int Height() const { return height_; }
  // Rows without a solid pixel have first >= last.
  int FirstSolid(int y) const { return spans_[size_t(y)].first; }
  int LastSolid(int y) const { return spans_[size_t(y)].last; }  // one past
  // Bounding box of all solid pixels; empty when the frame has none.
  platform::Rect SolidBounds() const { return bounds_; }
  bool Test(int x, int y) const {
    return (Row(y)[size_t(x) >> 6] >> (unsigned(x) & 63)) & 1u;
  }
  // 64 bits of row y starting at bit x (x may run past the row; missing bits are 0).
  uint64_t Bits(int y, int x) const;
  // Whether any solid pixel lies in the rectangle (clipped to the mask).
  bool AnySolid(platform::Rect r) const;

 private:
  const uint64_t* Row(int y) const { return words_.data() + size_t(y) * size_t(wordsPerRow_); }
  struct Span {
    int first = 0, last = 0;
  };
  int width_ = 0, height_ = 0, wordsPerRow_ = 0;
  std::vector<uint64_t> words_;
  std::vector<Span> spans_;
  platform::Rect bounds_;
};

struct FrameInfo {
  FrameAlpha alpha = FrameAlpha::Opaque;
  bool hasKey = false;
  uint32_t keyPixel = 0;  // KeyToPixel(frame key) when hasKey
  SolidMask mask;
};

struct Sprite {
  Picture picture;
  uint64_t hash = 0;
  std::vector<FrameInfo> frames;  // one per picture frame

  int Width() const { return picture.width; }
  int Height() const { return picture.height; }
  int FrameCount() const { return int(picture.frames.size()); }
  bool Valid() const { return picture.Valid(); }
  // Same dimensions, frame count and per frame the same key, delay and pixel bytes.
  bool SameContent(const Sprite& other) const;
};
using SpritePtr = std::shared_ptr<const Sprite>;

// Builds the hash, classes and masks. An invalid picture gives nullptr: callers treat
// both as "no picture".
SpritePtr MakeSprite(Picture picture);

// Frame `index` clamped into the picture; frame indexes stay valid across re-renders.
inline int ClampFrame(const Sprite& s, int index) {
  return (index >= 0 && index < s.FrameCount()) ? index : 0;
}

}  // namespace stage
