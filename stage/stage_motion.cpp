// CartoonBox: moves with their veto, border and collision events, the overlap query,
// watched keys, the animation step and the 5 ms stage clock.
#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/process.h"
#include "platform/window.h"
#include "stage/cartoon_box.h"
#include "stage/collision.h"

namespace stage {

namespace {

int Trunc(double v) { return TruncToInt(v); }

Placed PlacedOf(const StageObject& o) {
  return {o.rendered.get(), o.frameIndex, o.IntX(), o.IntY()};
}

// One time for all stages: the clock forces pending repaints at most every 100 ms.
uint32_t g_lastForcedRepaint = 0;
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

void CartoonBox::SetReferenceScans(bool on) { g_referenceScans = on; }

void CartoonBox::SetPosition(int id, double x, double y, bool asForwardMove) {
  if (asForwardMove) {
    ForwardMove(id, x, y);
  } else {
    MoveObject(id, x, y);
  }
}

MoveResult CartoonBox::MoveObject(int id, double x, double y) {
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
      InvalidateRect(platform::Union(before, after));
    } else {
      InvalidateRect(before);
      InvalidateRect(after);
    }
  }
  return Raise(kPositionChanged, PositionEvent{id, nx, ny}, id);
}

MoveResult CartoonBox::ForwardMove(int id, double x, double y) {
  StageObject* o = Find(id);
  if (!o) return kGoOn;
  const int oldX = o->IntX(), oldY = o->IntY();
  if (MoveResult r = MoveObject(id, x, y); r != kGoOn) return r;
  o = Find(id);
  if (o->IntX() == oldX && o->IntY() == oldY) return kGoOn;

  const int w = ClientWidth(), h = ClientHeight();
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

int CartoonBox::FindOverlapping(int id, std::optional<int> x, std::optional<int> y,
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

void CartoonBox::MonitorKeys(std::optional<int> interval, std::span<const int> keys) {
  const int every = interval ? std::max(*interval, 0) : 10;
  for (int key : keys)
    if (key != 0) watched_.push_back({key, every, 0});
}

bool CartoonBox::IsKeyDown(int key) { return (platform::GetKeyState(key) & 0x8000) != 0; }

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

std::optional<uint32_t> CartoonBox::NextDue(uint32_t now) const {
  if (CursorLeftWhileOver()) return now;
  std::optional<uint32_t> in;  // from now
  auto consider = [&in](uint32_t wait) {
    if (!in || wait < *in) in = wait;
  };
  for (const WatchedKey& k : watched_) {
    if (!IsKeyDown(k.key)) continue;
    const uint32_t elapsed = now - k.lastReport;
    consider(elapsed >= uint32_t(k.interval) ? 0 : uint32_t(k.interval) - elapsed);
  }
  for (const auto& p : list_) {
    const StageObject& o = *p;
    if (o.expiry != 0) consider(now >= o.expiry ? 0 : o.expiry - now);
    if (auto wait = FrameDueIn(o, now)) consider(*wait);
    if (in == 0u) break;
  }
  if (!in) return std::nullopt;
  return now + *in;
}

void CartoonBox::StepSkipped(uint32_t time) {
  if (time - g_lastForcedRepaint > 100) g_lastForcedRepaint = time;
}

MoveResult CartoonBox::AnimationStep(int id, uint32_t now) {
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
      Invalidate(*o);
      if (MoveResult r = Raise(kAnimationFinished, ObjectEvent{id}, id); r != kGoOn) return r;
      o = Find(id);
      if (o->destroyWhenDone) return DestroyObject(id);
    }
    frame = 0;
  }
  o->frameIndex = frame;
  o->frameStart = now;
  Invalidate(*o);
  return kGoOn;
}

bool CartoonBox::CursorLeftWhileOver() const {
  if (hoverId_ <= 0 || !platform::IsWindow(hwnd_)) return false;
  const platform::Point c = platform::ScreenToClient(hwnd_, platform::GetCursorPos());
  return !platform::GetClientRect(hwnd_).Contains(c);
}

void CartoonBox::StageTick() {
  // 1. The cursor left the window while over an object.
  if (CursorLeftWhileOver() && MouseLeft() == kStageGone) return;

  // 3. Watched keys: at most one event per tick.
  const uint32_t keyNow = platform::GetTickCount();
  for (size_t i = 0; i < watched_.size(); ++i) {
    WatchedKey& k = watched_[i];
    if (keyNow - k.lastReport < uint32_t(k.interval) || !IsKeyDown(k.key)) continue;
    k.lastReport = keyNow;
    const int key = k.key;
    if (Raise(kWatchedKeyDown, WatchedKeyEvent{key, platform::GetModifiers()}) == kStageGone) return;
    break;
  }

  // 4. Lifetimes and animation. The list may change inside any event, so the index is
  // re-checked against the current count and never carried across a removal.
  for (size_t i = 0; i < list_.size();) {
    const uint32_t now = platform::GetTickCount();
    StageObject& o = *list_[i];
    const int id = o.id;
    if (o.expiry != 0 && now >= o.expiry) {
      if (DestroyObject(id) == kStageGone) return;
      continue;
    }
    if (o.visible && o.HasPicture()) {
      const MoveResult r = AnimationStep(id, now);
      if (r == kStageGone) return;
      if (r == kObjectGone) continue;
    }
    ++i;
  }

  // 5. Forced repaint.
  const uint32_t now = platform::GetTickCount();
  if (now - g_lastForcedRepaint > 100) {
    g_lastForcedRepaint = now;
    platform::UpdateAllWindows();
  }
}

}  // namespace stage
