// `CartoonBox`: the sprite stage component. A child window of the form that hosts a
// StageModel (the objects), paints them in layer order over its drawing surface, runs a
// 5 ms clock for the model's lifetimes and animations and for watched keys, turns mouse
// messages into object events, and raises the model's events through the form runtime.
//
// The object commands are the model's; the component forwards them. Any event handler
// may destroy the whole form: after every event the component checks that it is still
// alive before it touches itself.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/draw.h"
#include "platform/surface.h"
#include "runtime/forms/component.h"
#include "stage/component/stored_blocks.h"
#include "stage/model/stage_model.h"

namespace stage {

class CartoonObject;

inline constexpr uint32_t kCartoonBoxType = 0x20008;

// Own property indexes (property index - 8).
enum StageProperty : int {
  kStBorder, kStBackColor, kStPic, kStPicDrawMode, kStPenStyle, kStDrawRop2, kStPenWidth,
  kStPenColor, kStBrushStyle, kStBrushColor, kStTextColor, kStTextBackColor, kStFont,
  kStagePropertyCount
};

struct WatchedKey {
  int key = 0;
  int interval = 10;
  uint32_t lastReport = 0;
};

class CartoonBox : public rt::Component, private StageModel::Listener {
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

  // ---- objects (the model's, see stage/model/stage_model.h) ---------------------------
  int CreateObject(const CartoonObject* tmpl, double x, double y, bool visible = true,
                   const std::string& tag = {});
  void DestroyObjects(std::span<const int> ids) { model_.DestroyObjects(ids); }
  void DestroyAllObjects() { model_.DestroyAllObjects(); }
  bool ObjectExists(int id) const { return model_.ObjectExists(id); }

  // ---- pictures and animation -------------------------------------------------------
  // font: nullptr keeps the object's font; textColour kDefaultColour keeps its colour.
  void SetObjectText(int id, const std::string& text, const platform::LogFont* font = nullptr,
                     uint32_t textColour = kDefaultColour) {
    model_.SetObjectText(id, text, font, textColour);
  }
  void SetObjectPicture(int id, std::span<const uint8_t> bytes, int64_t key = -1) {
    model_.SetObjectPicture(id, bytes, key);
  }
  void SetTrend(int id, uint32_t trendColour = kDefaultColour, int depth = 0) {
    model_.SetTrend(id, trendColour, depth);
  }
  void SetZoom(int id, int zoomX, std::optional<int> zoomY = std::nullopt) {
    model_.SetZoom(id, zoomX, zoomY);
  }
  int GetZoom(int id) const { return model_.GetZoom(id); }
  void SetTurnType(int id, int turnType = 0) { model_.SetTurnType(id, turnType); }
  int GetTurnType(int id) const { return model_.GetTurnType(id); }
  void SetAngle(int id, int angle) { model_.SetAngle(id, angle); }
  void PlayAnimation(int id, int plays, bool destroyWhenDone = false, int extraFrameDelay = 0,
                     int loopDelay = 0) {
    model_.PlayAnimation(id, plays, destroyWhenDone, extraFrameDelay, loopDelay);
  }
  void NextFrame(int id) { model_.NextFrame(id); }

  // ---- appearance -------------------------------------------------------------------
  void SetAlpha(int id, int alpha) { model_.SetAlpha(id, alpha); }
  int GetAlpha(int id) const { return model_.GetAlpha(id); }
  void SetLayer(int id, int layer) { model_.SetLayer(id, layer); }
  int GetLayer(int id) const { return model_.GetLayer(id); }
  void SetVisible(int id, bool visible = true) { model_.SetVisible(id, visible); }
  void SetTypeValue(int id, int type) { model_.SetTypeValue(id, type); }
  void SetTag(int id, const std::string& tag) { model_.SetTag(id, tag); }
  int GetWidth(int id) const { return model_.GetWidth(id); }
  int GetHeight(int id) const { return model_.GetHeight(id); }

  // ---- movement and collision -------------------------------------------------------
  void SetPosition(int id, double x, double y, bool asForwardMove = false) {
    if (asForwardMove) {
      model_.ForwardMove(id, x, y);
    } else {
      model_.MoveObject(id, x, y);
    }
  }
  int GetX(int id) const { return model_.GetX(id); }
  int GetY(int id) const { return model_.GetY(id); }
  // sound: nullopt keeps the collided sound, an empty span removes it.
  void SetCollision(int id, bool allowed,
                    std::optional<std::span<const uint8_t>> sound = std::nullopt) {
    model_.SetCollision(id, allowed, sound);
  }
  int FindOverlapping(int id, std::optional<int> x = std::nullopt,
                      std::optional<int> y = std::nullopt,
                      const std::optional<std::string>& tagFilter = std::nullopt,
                      bool collisionRules = false) const {
    return model_.FindOverlapping(id, x, y, tagFilter, collisionRules);
  }
  MoveResult MoveObject(int id, double x, double y) { return model_.MoveObject(id, x, y); }
  MoveResult ForwardMove(int id, double x, double y) { return model_.ForwardMove(id, x, y); }

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
  static void SetReferenceScans(bool on) { StageModel::SetReferenceScans(on); }

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
  const StageModel& Model() const { return model_; }
  const StageObject* FindObject(int id) const { return model_.FindObject(id); }
  std::vector<int> ObjectIdsInOrder() const { return model_.ObjectIdsInOrder(); }
  const ResourcePool& Pool() const { return model_.Pool(); }
  const SpriteCache& PictureCache() const { return model_.PictureCache(); }
  // The most objects the stage has held at once (a long run must not pile them up).
  size_t PeakObjectCount() const { return model_.PeakObjectCount(); }
  const platform::Surface& DrawingSurface() const { return surface_; }
  const std::vector<WatchedKey>& WatchedKeys() const { return watched_; }
  platform::Point TextCursor() const { return textCursor_; }
  const StageSettings& Settings() const { return s_; }
  int ClientWidth() const { return model_.Width(); }
  int ClientHeight() const { return model_.Height(); }

 private:
  CartoonBox() : model_(*this) {}
  int64_t Proc(platform::HWND h, uint32_t msg, uint64_t wp, int64_t lp);

  // StageModel::Listener.
  uint32_t Now() override;
  MoveResult Raise(StageEvent slot, std::span<const int32_t> args, int64_t* result,
                   bool* resultPresent) override;
  void Changed(const platform::Rect& area) override { InvalidateRect(area); }
  void PlaySound(const BytesPtr& sound) override;
  void Removed(int id) override {
    if (hoverId_ == id) hoverId_ = 0;
  }

  template <class Event>
  MoveResult Raise(StageEvent slot, const Event& e) {
    const auto args = e.Args();
    return Raise(slot, args, nullptr, nullptr);
  }
  void InvalidateRect(const platform::Rect& r);
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
  void OnMouse(uint32_t msg, platform::Point p);
  MoveResult MouseLeft();
  // Over an object, the cursor is now outside the window: the next tick reports it. The
  // cursor moves only with the host's input, so this changes only when input is taken.
  bool CursorLeftWhileOver() const;

  StageSettings s_;
  platform::HWND hwnd_ = 0;
  uint32_t windowId_ = 0, componentId_ = 0;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  bool windowGone_ = false;  // set by WM_DESTROY

  StageModel model_;
  std::vector<WatchedKey> watched_;

  platform::Surface surface_;
  // What Paint composes in, kept from paint to paint: a new one each time cost an
  // allocation and fresh pages for every frame.
  platform::Surface paintBuffer_;
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
