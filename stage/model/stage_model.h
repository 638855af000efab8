// `StageModel`: the stage's objects without a window. It keeps the objects (pictures with
// position, layer, alpha, tint, zoom, flip, animation and collision settings) in drawing
// order, moves them with their veto, border and collision events, plays their animations
// and ends their lifetimes on the clock it is given, and answers queries: objects,
// positions, overlaps, the object under a point. Whatever it changes on screen it reports
// as an area to paint again; painting is the host's business.
//
// Any event handler may destroy objects or the whole stage. Every step that raises an
// event re-checks afterwards and reports a MoveResult; objects are always found again by
// id after an event, never through a pointer held across it.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/draw.h"
#include "platform/types.h"
#include "stage/model/stage_events.h"
#include "stage/pictures/resource_pool.h"
#include "stage/pictures/sprite.h"
#include "stage/pictures/sprite_cache.h"

namespace stage {

// Result of every step that raises events.
enum MoveResult : int { kGoOn = 0, kStageGone = 1, kObjectGone = 2 };

// Truncation toward zero, saturated to the int range (NaN gives 0).
inline int TruncToInt(double v) {
  if (!(v == v)) return 0;
  if (v >= 2147483647.0) return 2147483647;
  if (v <= -2147483648.0) return -2147483647 - 1;
  return int(v);
}

struct StageObject {
  // The fields collision walks read come first, to share a cache line.
  int id = 0;
  int type = 0;
  int layer = 0;
  bool collideAllowed = false;
  bool visible = true;
  int frameIndex = 0;
  double x = 0, y = 0;
  SpritePtr rendered;  // source after flip, rotation, zoom, tint and brightness
  SpritePtr source;    // the decoded picture or rendered text
  int lastCollided = 0;
  uint32_t expiry = 0;  // 0: never
  std::string text;     // GBK
  uint32_t textColour = 0;
  BytesPtr font;        // 60-byte LOGFONT or none
  uint32_t frameStart = 0;  // 0: not started
  bool playing = false;
  int playsLeft = 0;
  int loopDelay = 0;
  int extraFrameDelay = 0;
  bool destroyWhenDone = false;
  uint32_t trendColour = 0xFFFFFF;
  int trendDepth = 0, light = 0, alpha = 0;
  int zoomX = 1000, zoomY = 1000;
  int angle = 0;  // 0..359
  bool rotateFollow = false;
  int turnType = 0;
  BytesPtr destroySound, collidedSound;
  std::string tag;

  int IntX() const { return TruncToInt(x); }  // truncated toward zero
  int IntY() const { return TruncToInt(y); }
  bool HasPicture() const { return rendered && rendered->Valid(); }
  // The rendered picture's rectangle at the truncated position; empty without one.
  platform::Rect Bounds() const;
};

// What a new object takes from its template. The spans only need to live for the call.
struct ObjectTemplate {
  int type = 0;
  std::string_view text;  // GBK; the picture below is already its rendering
  uint32_t textColour = 0;
  std::span<const uint8_t> font;  // a 60-byte LOGFONT or empty
  SpritePtr picture;
  bool playing = false;
  int plays = 0;  // >= 1: that many plays, then the object goes
  int loopDelay = 0;
  uint32_t trendColour = 0xFFFFFF;
  int trendDepth = 0, light = 0, alpha = 0, zoom = 1000, layer = 0, angle = 0;
  bool rotateFollow = false;
  int turnType = 0;
  int lifetime = 0;  // ms; 0 lives until destroyed
  std::span<const uint8_t> createSound, destroySound, collidedSound;
  bool collideAllowed = false;
};

class StageModel {
 public:
  // What the model needs from whatever runs it.
  class Listener {
   public:
    virtual ~Listener() = default;
    // The clock in milliseconds (it wraps). Lifetimes and frame delays count on it.
    virtual uint32_t Now() = 0;
    // Raises an event. kStageGone when the handler took the whole stage away (the model
    // returns at once without touching itself), otherwise kGoOn.
    virtual MoveResult Raise(StageEvent slot, std::span<const int32_t> args, int64_t* result,
                             bool* resultPresent) = 0;
    // An area (stage coordinates, never empty) whose look changed.
    virtual void Changed(const platform::Rect& area) = 0;
    virtual void PlaySound(const BytesPtr& sound) = 0;
    // The object has left the stage (after its sound).
    virtual void Removed(int id) = 0;
  };

  explicit StageModel(Listener& listener) : listener_(listener) {}
  StageModel(const StageModel&) = delete;
  StageModel& operator=(const StageModel&) = delete;

  // The stage's size; borders and "inside" are measured against it.
  void SetSize(int width, int height) {
    width_ = width;
    height_ = height;
  }
  int Width() const { return width_; }
  int Height() const { return height_; }

  // ---- objects ----------------------------------------------------------------------
  int CreateObject(const ObjectTemplate* tmpl, double x, double y, bool visible = true,
                   const std::string& tag = {});
  MoveResult DestroyObject(int id);
  void DestroyObjects(std::span<const int> ids);
  void DestroyAllObjects();
  // Forgets every object without events or sounds, and starts the ids again at 1.
  void Clear();

  // ---- pictures and animation -------------------------------------------------------
  void SetObjectText(int id, const std::string& text, const platform::LogFont* font,
                     uint32_t textColour);
  void SetObjectPicture(int id, std::span<const uint8_t> bytes, int64_t key);
  void SetTrend(int id, uint32_t trendColour, int depth);
  void SetZoom(int id, int zoomX, std::optional<int> zoomY);
  int GetZoom(int id) const;
  void SetTurnType(int id, int turnType);
  int GetTurnType(int id) const;
  void SetAngle(int id, int angle);
  void PlayAnimation(int id, int plays, bool destroyWhenDone, int extraFrameDelay,
                     int loopDelay);
  void NextFrame(int id);

  // ---- appearance -------------------------------------------------------------------
  void SetAlpha(int id, int alpha);
  int GetAlpha(int id) const;
  void SetLayer(int id, int layer);
  int GetLayer(int id) const;
  void SetVisible(int id, bool visible);
  void SetTypeValue(int id, int type);
  void SetTag(int id, const std::string& tag);
  int GetWidth(int id) const;
  int GetHeight(int id) const;

  // ---- movement and collision -------------------------------------------------------
  int GetX(int id) const;
  int GetY(int id) const;
  void SetCollision(int id, bool allowed, std::optional<std::span<const uint8_t>> sound);
  int FindOverlapping(int id, std::optional<int> x, std::optional<int> y,
                      const std::optional<std::string>& tagFilter, bool collisionRules) const;
  MoveResult MoveObject(int id, double x, double y);
  MoveResult ForwardMove(int id, double x, double y);
  // Moves and overlap queries use the plain per-pixel scans instead of the solid masks
  // (same answers, slower); for benchmarks and tests.
  static void SetReferenceScans(bool on);

  // ---- clock ------------------------------------------------------------------------
  // Ends the lifetimes that are due and advances the animations whose frame delay has
  // run out, at the listener's time. kStageGone when an event took the stage away.
  MoveResult Step();
  // How long after `now` the next lifetime or frame falls due (0: already due); nullopt
  // when nothing will happen until the objects change.
  std::optional<uint32_t> NextDueIn(uint32_t now) const;

  // ---- queries ----------------------------------------------------------------------
  const StageObject* FindObject(int id) const;
  bool ObjectExists(int id) const { return FindObject(id) != nullptr; }
  std::vector<int> ObjectIdsInOrder() const;
  // Drawing order: lowest layer first, within a layer the newest last.
  const std::vector<std::unique_ptr<StageObject>>& Objects() const { return list_; }
  // The topmost object with a solid pixel at the point, 0 when none.
  int ObjectAt(platform::Point p) const;
  const ResourcePool& Pool() const { return pool_; }
  const SpriteCache& PictureCache() const { return pictureCache_; }
  // The most objects the stage has held at once (a long run must not pile them up).
  size_t PeakObjectCount() const { return peakObjects_; }

 private:
  StageObject* Find(int id) { return const_cast<StageObject*>(FindObject(id)); }
  int IndexOf(int id) const;
  void InsertByLayer(std::unique_ptr<StageObject> o);
  // Reports the object's area as changed; hidden objects only when forced.
  void Touch(const StageObject& o, bool force = false);
  void Changed(const platform::Rect& r) {
    if (!r.Empty()) listener_.Changed(r);
  }
  void Rerender(StageObject& o);
  void ClearPlayback(StageObject& o);
  void ReleasePictures(StageObject& o);
  void PlaySound(const BytesPtr& sound) {
    if (sound && !sound->empty()) listener_.PlaySound(sound);
  }
  // Raises an event; afterwards kStageGone / kObjectGone (for objectId > 0) / kGoOn.
  template <class Event>
  MoveResult Raise(StageEvent slot, const Event& e, int objectId = 0, int64_t* result = nullptr,
                   bool* resultPresent = nullptr) {
    const auto args = e.Args();
    if (listener_.Raise(slot, args, result, resultPresent) == kStageGone) return kStageGone;
    if (objectId > 0 && !FindObject(objectId)) return kObjectGone;
    return kGoOn;
  }
  MoveResult AnimationStep(int id, uint32_t now);

  Listener& listener_;
  std::vector<std::unique_ptr<StageObject>> list_;  // sorted by layer, drawing order
  std::unordered_map<int, StageObject*> byId_;      // the same objects, found by id
  int width_ = 0, height_ = 0;
  int nextId_ = 1;
  size_t peakObjects_ = 0;
  ResourcePool pool_;
  SpriteCache pictureCache_;  // decoded files and rendered pictures, kept for reuse
};

}  // namespace stage
