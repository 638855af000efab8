// `CartoonBox`: the sprite stage. A child window of the form that owns stage objects
// (pictures with position, layer, alpha, tint, zoom, flip, animation and collision
// settings), paints them in layer order over its drawing surface, runs a 5 ms clock
// for lifetimes, animation and watched keys, and raises its events through the form
// runtime.
//
// Any event handler may destroy objects or the whole form. Every step that raises an
// event re-checks afterwards and reports a MoveResult; objects are always found again
// by id after an event, never through a pointer held across it.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/draw.h"
#include "platform/surface.h"
#include "runtime/forms/component.h"
#include "stage/resource_pool.h"
#include "stage/sprite_cache.h"
#include "stage/stage_events.h"
#include "stage/stored_blocks.h"

namespace stage {

class CartoonObject;

inline constexpr uint32_t kCartoonBoxType = 0x20008;

// Own property indexes (property index - 8).
enum StageProperty : int {
  kStBorder, kStBackColor, kStPic, kStPicDrawMode, kStPenStyle, kStDrawRop2, kStPenWidth,
  kStPenColor, kStBrushStyle, kStBrushColor, kStTextColor, kStTextBackColor, kStFont,
  kStagePropertyCount
};

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

struct WatchedKey {
  int key = 0;
  int interval = 10;
  uint32_t lastReport = 0;
};

class CartoonBox : public rt::Component {
 public:
  // nullptr when the stored block is unreadable or its version too high.
  static std::unique_ptr<CartoonBox> Create(const rt::CreateInfo& info);
  ~CartoonBox() override;
  CartoonBox(const CartoonBox&) = delete;
  CartoonBox& operator=(const CartoonBox&) = delete;

  platform::HWND Hwnd() const override { return hwnd_; }
  rt::PropValue ReadProperty(int ownIndex) override;
  bool WriteProperty(int ownIndex, const rt::PropValue& v) override;

  // Finds a live stage by its component reference (nullptr if none).
  static CartoonBox* Find(uint32_t windowId, uint32_t componentId);
  // Events go to rt::RaiseEvent unless a test installs its own dispatcher.
  using EventSink = std::function<bool(rt::EventRecord&)>;
  static void SetEventSink(EventSink sink);

  // ---- objects ----------------------------------------------------------------------
  int CreateObject(const CartoonObject* tmpl, double x, double y, bool visible = true,
                   const std::string& tag = {});
  void DestroyObjects(std::span<const int> ids);
  void DestroyAllObjects();
  bool ObjectExists(int id) const { return FindObject(id) != nullptr; }

  // ---- pictures and animation -------------------------------------------------------
  // font: nullptr keeps the object's font; textColour kDefaultColour keeps its colour.
  void SetObjectText(int id, const std::string& text, const platform::LogFont* font = nullptr,
                     uint32_t textColour = kDefaultColour);
  void SetObjectPicture(int id, std::span<const uint8_t> bytes, int64_t key = -1);
  void SetTrend(int id, uint32_t trendColour = kDefaultColour, int depth = 0);
  void SetZoom(int id, int zoomX, std::optional<int> zoomY = std::nullopt);
  int GetZoom(int id) const;
  void SetTurnType(int id, int turnType = 0);
  int GetTurnType(int id) const;
  void SetAngle(int id, int angle);
  void PlayAnimation(int id, int plays, bool destroyWhenDone = false, int extraFrameDelay = 0,
                     int loopDelay = 0);
  void NextFrame(int id);

  // ---- appearance -------------------------------------------------------------------
  void SetAlpha(int id, int alpha);
  int GetAlpha(int id) const;
  void SetLayer(int id, int layer);
  int GetLayer(int id) const;
  void SetVisible(int id, bool visible = true);
  void SetTypeValue(int id, int type);
  void SetTag(int id, const std::string& tag);
  int GetWidth(int id) const;
  int GetHeight(int id) const;

  // ---- movement and collision -------------------------------------------------------
  void SetPosition(int id, double x, double y, bool asForwardMove = false);
  int GetX(int id) const;
  int GetY(int id) const;
  // sound: nullopt keeps the collided sound, an empty span removes it.
  void SetCollision(int id, bool allowed,
                    std::optional<std::span<const uint8_t>> sound = std::nullopt);
  int FindOverlapping(int id, std::optional<int> x = std::nullopt,
                      std::optional<int> y = std::nullopt,
                      const std::optional<std::string>& tagFilter = std::nullopt,
                      bool collisionRules = false) const;
  MoveResult MoveObject(int id, double x, double y);
  MoveResult ForwardMove(int id, double x, double y);

  // ---- keys -------------------------------------------------------------------------
  // interval: nullopt keeps 10; key codes 0 are skipped.
  void MonitorKeys(std::optional<int> interval, std::span<const int> keys);
  static bool IsKeyDown(int key);

  // ---- drawing surface --------------------------------------------------------------
  // A 32-bit BMP file image of the area; empty when the rectangle misses the stage.
  std::vector<uint8_t> CaptureArea(int x, int y, int width, int height,
                                   uint32_t background = kDefaultColour);
  void ClearArea(std::optional<int> left = {}, std::optional<int> top = {},
                 std::optional<int> width = {}, std::optional<int> height = {});
  void DrawRectangle(int left, int top, int right, int bottom);

  // ---- engine -----------------------------------------------------------------------
  // Benchmarks and tests: moves and overlap queries use the plain per-pixel scans
  // instead of the solid masks (same answers, slower).
  static void SetReferenceScans(bool on);

  // One 5 ms clock step (normally driven by the window timer).
  void StageTick();
  // The earliest time at or after `now` at which StageTick could do anything but keep
  // its time (nullopt: nothing until the objects, the keys or the mouse change). The
  // clock sleeps until then, on its own grid.
  std::optional<uint32_t> NextDue(uint32_t now) const;
  // A clock step left out at `time`: keeps the time it would have kept.
  static void StepSkipped(uint32_t time);
  // Composes the stage area `clip` (client coordinates) into `out`, with the drawing
  // surface (or a solid fill of `background` when given) under the objects.
  void Compose(const platform::Rect& clip, platform::Surface& out,
               std::optional<uint32_t> background = std::nullopt);

  // ---- inspection (tests, tools) -----------------------------------------------------
  const StageObject* FindObject(int id) const;
  std::vector<int> ObjectIdsInOrder() const;
  const ResourcePool& Pool() const { return pool_; }
  const SpriteCache& PictureCache() const { return pictureCache_; }
  // The most objects the stage has held at once (a long run must not pile them up).
  size_t PeakObjectCount() const { return peakObjects_; }
  const platform::Surface& DrawingSurface() const { return surface_; }
  const std::vector<WatchedKey>& WatchedKeys() const { return watched_; }
  platform::Point TextCursor() const { return textCursor_; }
  const StageSettings& Settings() const { return s_; }
  int ClientWidth() const;
  int ClientHeight() const;

 private:
  CartoonBox() = default;
  int64_t Proc(platform::HWND h, uint32_t msg, uint64_t wp, int64_t lp);

  StageObject* Find(int id);
  int IndexOf(int id) const;
  void InsertByLayer(std::unique_ptr<StageObject> o);
  void Invalidate(const StageObject& o, bool force = false);
  void InvalidateRect(const platform::Rect& r);
  void Rerender(StageObject& o);
  void ClearPlayback(StageObject& o);
  void ReleasePictures(StageObject& o);
  void PlaySound(const BytesPtr& sound);
  // Raises an event; afterwards kStageGone / kObjectGone (for objectId > 0) / kGoOn.
  template <class Event>
  MoveResult Raise(StageEvent slot, const Event& e, int objectId = 0, int64_t* result = nullptr,
                   bool* resultPresent = nullptr) {
    const auto args = e.Args();
    return RaiseArgs(slot, args, objectId, result, resultPresent);
  }
  MoveResult RaiseArgs(StageEvent slot, std::span<const int32_t> args, int objectId,
                       int64_t* result, bool* resultPresent);
  MoveResult DestroyObject(int id);
  MoveResult AnimationStep(int id, uint32_t now);
  void Teardown();

  // Drawing surface and tools.
  void BuildSurface();
  platform::Surface BuildBackground(int width, int height);
  void ApplyBorderStyle();
  platform::Pen MakePen() const;
  platform::Brush MakeBrush() const;
  void Paint();
  // Rebuilds the drawing surface when the client size changed since it was built.
  void SyncSurfaceSize();

  // Mouse.
  int ObjectAt(platform::Point p) const;
  void OnMouse(uint32_t msg, platform::Point p);
  MoveResult MouseLeft();

  StageSettings s_;
  platform::HWND hwnd_ = 0;
  uint32_t windowId_ = 0, componentId_ = 0;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  bool windowGone_ = false;  // set by WM_DESTROY

  std::vector<std::unique_ptr<StageObject>> list_;  // sorted by layer, drawing order
  std::unordered_map<int, StageObject*> byId_;      // the same objects, found by id
  int clientWidth_ = 0, clientHeight_ = 0;          // kept up to date by WM_SIZE
  int nextId_ = 1;
  size_t peakObjects_ = 0;
  ResourcePool pool_;
  SpriteCache pictureCache_;  // decoded files and rendered pictures, kept for reuse
  std::vector<WatchedKey> watched_;

  platform::Surface surface_;
  // The background picture decoded once per `pic` value.
  std::vector<uint8_t> decodedPicBytes_;
  std::optional<platform::Surface> decodedPic_;
  std::unique_ptr<platform::DC> surfaceDc_;
  std::shared_ptr<platform::Font> font_;
  platform::Point textCursor_;

  // Mouse tracking.
  int hoverId_ = 0;     // object under the cursor, 0 none
  int pressedId_ = 0;   // 0 not down, -1 down over nothing
  bool tracking_ = false;
};

// Registers `CartoonBox` and `CartoonObject` with the form runtime.
void RegisterStageUnitTypes();

}  // namespace stage
