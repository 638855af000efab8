// Pixel tests behind movement and overlap queries. A pixel is solid when its
// transparency byte is below 255 and it is not the frame's key colour; every test uses
// the given frame of the sprite placed at an integer position.
//
// The fast versions work on the sprites' precomputed solid masks (rectangle first,
// then 64 pixels at a time); the *Reference versions are the plain per-pixel scans
// they must agree with.
#pragma once
#include "stage/pictures/sprite.h"
#include "stage/model/stage_events.h"

namespace stage {

struct Placed {
  const Sprite* sprite = nullptr;  // nullptr or invalid: no picture
  int frame = 0;
  int x = 0, y = 0;
  bool Valid() const { return sprite && sprite->Valid(); }
  platform::Rect Bounds() const {
    return Valid() ? platform::Rect{x, y, x + sprite->Width(), y + sprite->Height()}
                   : platform::Rect{};
  }
};

bool PixelOverlap(const Placed& a, const Placed& b);
// The cheap first step of PixelOverlap, inline for walks over many candidates.
inline bool BoundsTouch(const Placed& a, const Placed& b) {
  return a.x < b.x + b.sprite->Width() && b.x < a.x + a.sprite->Width() &&
         a.y < b.y + b.sprite->Height() && b.y < a.y + a.sprite->Height();
}
// Whether the object counts as on the stage (any solid pixel inside, or wholly inside).
bool InsideStage(const Placed& p, int stageWidth, int stageHeight);
// Which edges solid pixels cross; only the strips beside the stage are examined.
int BorderBits(const Placed& p, int stageWidth, int stageHeight);

bool PixelOverlapReference(const Placed& a, const Placed& b);
bool InsideStageReference(const Placed& p, int stageWidth, int stageHeight);
int BorderBitsReference(const Placed& p, int stageWidth, int stageHeight);

}  // namespace stage
