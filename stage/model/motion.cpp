// StageModel: moves with their veto, border and collision events, the overlap and point
// queries, the animation step and the clock step.
#include <algorithm>

#include "stage/model/collision.h"
#include "stage/model/stage_model.h"

namespace stage {

namespace {

int Trunc(double v) { return TruncToInt(v); }

Placed PlacedOf(const StageObject& o) {
  return {o.rendered.get(), o.frameIndex, o.IntX(), o.IntY()};
}

bool g_referenceScans = false;

bool Overlap(const Placed& a, const Placed& b) {
  if (!a.Valid() || !b.Valid()) return false;
  if (g_referenceScans) return PixelOverlapReference(a, b);
  return BoundsTouch(a, b) && PixelOverlap(a, b);
}
bool Inside(const Placed& p, int w, int h) {
  return g_referenceScans ? InsideStageReference(p, w, h) : InsideStage(p, w, h);
}
int Borders(const Placed& p, int w, int h) {
  return g_referenceScans ? BorderBitsReference(p, w, h) : BorderBits(p, w, h);
}

}  // namespace

void StageModel::SetReferenceScans(bool on) { g_referenceScans = on; }

MoveResult StageModel::MoveObject(int id, double x, double y) {
  StageObject* o = Find(id);
  if (!o) return kGoOn;
  const int nx = Trunc(x), ny = Trunc(y);
  if (nx == o->IntX() && ny == o->IntY()) {
    // Sub-pixel movement is silent.
    o->x = x;
    o->y = y;
    return kGoOn;
  }
  int64_t answer = 0;
  bool answered = false;
  if (MoveResult r = Raise(kPositionChanging, PositionEvent{id, nx, ny}, id, &answer, &answered); r != kGoOn)
    return r;
  if (answered && answer == 0) return kGoOn;  // vetoed
  o = Find(id);
  const platform::Rect before = o->Bounds();
  o->x = x;
  o->y = y;
  if (o->visible) {
    // A short step repaints one rectangle covering both places.
    const platform::Rect after = o->Bounds();
    if (before.left < after.right && after.left < before.right && before.top < after.bottom &&
        after.top < before.bottom) {
      Changed(platform::Union(before, after));
    } else {
      Changed(before);
      Changed(after);
    }
  }
  return Raise(kPositionChanged, PositionEvent{id, nx, ny}, id);
}

MoveResult StageModel::ForwardMove(int id, double x, double y) {
  StageObject* o = Find(id);
  if (!o) return kGoOn;
  const int oldX = o->IntX(), oldY = o->IntY();
  if (MoveResult r = MoveObject(id, x, y); r != kGoOn) return r;
  o = Find(id);
  if (o->IntX() == oldX && o->IntY() == oldY) return kGoOn;

  const int w = width_, h = height_;
  const bool inside = Inside(PlacedOf(*o), w, h);
  if (!inside) {
    if (MoveResult r = Raise(kOutOfBorder, ObjectEvent{id}, id); r != kGoOn) return r;
    o = Find(id);
  }
  if (!o->HasPicture()) return kGoOn;
  if (inside) {
    if (const int bits = Borders(PlacedOf(*o), w, h); bits != 0) {
      if (MoveResult r = Raise(kBorderHit, BorderHitEvent{id, oldX, oldY, bits}, id); r != kGoOn) return r;
      o = Find(id);
      if (!o->HasPicture()) return kGoOn;
    }
  }
  if (o->collideAllowed) {
    const Placed me = PlacedOf(*o);
    int partner = 0;
    // The list is sorted by layer: walking down from the top, the first lower layer
    // ends the search.
    for (auto it = list_.rbegin(); it != list_.rend(); ++it) {
      const StageObject& c = **it;
      if (c.layer < o->layer) break;
      if (&c == o || !c.collideAllowed || c.layer > o->layer || c.type == o->type) continue;
      if (Overlap(me, PlacedOf(c))) {
        partner = c.id;
        break;
      }
    }
    if (partner != 0) {
      if (partner == o->lastCollided) return kGoOn;  // still the same contact
      o->lastCollided = partner;
      PlaySound(o->collidedSound);
      return Raise(kObjectCollided, CollisionEvent{id, oldX, oldY, partner}, id);
    }
  }
  o->lastCollided = 0;
  return kGoOn;
}

int StageModel::FindOverlapping(int id, std::optional<int> x, std::optional<int> y,
                                const std::optional<std::string>& tagFilter,
                                bool collisionRules) const {
  const StageObject* o = FindObject(id);
  if (!o || !o->HasPicture()) return -1;
  Placed me = PlacedOf(*o);
  if (x) me.x = *x;
  if (y) me.y = *y;
  for (auto it = list_.rbegin(); it != list_.rend(); ++it) {
    const StageObject& c = **it;
    if (collisionRules) {
      if (c.layer < o->layer) break;
      if (!c.collideAllowed || c.layer != o->layer || c.type == o->type) continue;
    }
    if (&c == o) continue;
    if (tagFilter && c.tag != *tagFilter) continue;
    if (Overlap(me, PlacedOf(c))) return c.id;
  }
  return -1;
}

namespace {

// How long from `now` until an object's next frame is due; nullopt when it is not
// playing (the conditions of AnimationStep and of the tick's loop).
std::optional<uint32_t> FrameDueIn(const StageObject& o, uint32_t now) {
  if (!o.visible || !o.playing || !o.HasPicture() || o.rendered->FrameCount() <= 1)
    return std::nullopt;
  if (o.frameStart == 0) return 0;
  const int frame = ClampFrame(*o.rendered, o.frameIndex);
  const int64_t needed = int64_t(o.rendered->picture.frames[size_t(frame)].delayMs) +
                         o.extraFrameDelay + (frame == 0 ? o.loopDelay : 0);
  const int64_t elapsed = int64_t(now - o.frameStart);
  if (elapsed >= needed) return 0;
  return uint32_t(needed - elapsed);
}

}  // namespace

std::optional<uint32_t> StageModel::NextDueIn(uint32_t now) const {
  std::optional<uint32_t> in;  // from now
  auto consider = [&in](uint32_t wait) {
    if (!in || wait < *in) in = wait;
  };
  for (const auto& p : list_) {
    const StageObject& o = *p;
    if (o.expiry != 0) consider(now >= o.expiry ? 0 : o.expiry - now);
    if (auto wait = FrameDueIn(o, now)) consider(*wait);
    if (in == 0u) break;
  }
  return in;
}

MoveResult StageModel::AnimationStep(int id, uint32_t now) {
  StageObject* o = Find(id);
  if (!o || !o->playing || !o->HasPicture() || o->rendered->FrameCount() <= 1) return kGoOn;
  if (o->frameStart == 0) o->frameStart = now;
  const int count = o->rendered->FrameCount();
  int frame = ClampFrame(*o->rendered, o->frameIndex);
  int64_t needed = int64_t(o->rendered->picture.frames[size_t(frame)].delayMs) +
                   o->extraFrameDelay + (frame == 0 ? o->loopDelay : 0);
  if (int64_t(now - o->frameStart) < needed) return kGoOn;

  frame += 1;
  if (frame >= count) {
    o->frameIndex = 0;
    if (o->playsLeft > 0 && --o->playsLeft == 0) {
      o->playing = false;
      Touch(*o);
      if (MoveResult r = Raise(kAnimationFinished, ObjectEvent{id}, id); r != kGoOn) return r;
      o = Find(id);
      if (o->destroyWhenDone) return DestroyObject(id);
    }
    frame = 0;
  }
  o->frameIndex = frame;
  o->frameStart = now;
  Touch(*o);
  return kGoOn;
}

MoveResult StageModel::Step() {
  // The list may change inside any event, so the index is re-checked against the current
  // count and never carried across a removal.
  for (size_t i = 0; i < list_.size();) {
    const uint32_t now = listener_.Now();
    StageObject& o = *list_[i];
    const int id = o.id;
    if (o.expiry != 0 && now >= o.expiry) {
      if (DestroyObject(id) == kStageGone) return kStageGone;
      continue;
    }
    if (o.visible && o.HasPicture()) {
      const MoveResult r = AnimationStep(id, now);
      if (r == kStageGone) return kStageGone;
      if (r == kObjectGone) continue;
    }
    ++i;
  }
  return kGoOn;
}

int StageModel::ObjectAt(platform::Point p) const {
  for (auto it = list_.rbegin(); it != list_.rend(); ++it) {
    const StageObject& o = **it;
    if (!o.HasPicture() || !o.Bounds().Contains(p)) continue;
    const FrameInfo& f = o.rendered->frames[size_t(ClampFrame(*o.rendered, o.frameIndex))];
    if (f.mask.Test(p.x - o.IntX(), p.y - o.IntY())) return o.id;
  }
  return 0;
}

}  // namespace stage
