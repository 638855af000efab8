// The game form's components as the game's rules use them: the two stages and the two
// templates as objects, the eight timers by name. Each call goes through the stage's and
// the runtime's commands (their typed cores), so the rules reach exactly what a form
// program's command calls reach.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "game/form_ids.h"
#include "runtime/forms/component.h"

namespace game {

using Bytes = std::vector<uint8_t>;

// Transparent colours of a picture set on a sprite: none, or the picture's top-left pixel.
inline constexpr int64_t kNoKey = -1;
inline constexpr int64_t kTopLeftKey = -2;
inline constexpr uint32_t kDefaultColour = 0xFF000000;
// Flip values: the picture as drawn (the hero faces left), or mirrored (faces right).
inline constexpr int kFaceLeft = 0;
inline constexpr int kFaceRight = 1;

// A `CartoonObject` of the form. Objects created from it copy whatever it holds then.
class Template {
 public:
  constexpr explicit Template(uint32_t componentId) : id_(componentId) {}
  uint32_t Id() const { return id_; }

  void SetPicture(std::span<const uint8_t> bytes) const;
  void SetFlip(int turnType) const;
  void SetTypeValue(int type) const;
  void SetPlayGIF(bool on) const;
  int PictureWidth() const;
  int PictureHeight() const;

 private:
  uint32_t id_;
};

// A `CartoonBox` of the form. Ids name its objects; an unknown id makes a setter do
// nothing and a getter answer 0.
class Stage {
 public:
  constexpr explicit Stage(uint32_t componentId) : id_(componentId) {}
  uint32_t Id() const { return id_; }

  // ---- objects --------------------------------------------------------------------
  int Create(const Template& from, double x, double y, bool visible = true,
             std::string_view tag = {}) const;
  int CreatePlain(double x, double y, bool visible = true) const;  // no template
  void Destroy(int id) const;
  void DestroyAll() const;
  bool Exists(int id) const;

  // ---- place ----------------------------------------------------------------------
  // A plain move raises no border or collision events; a forward move does.
  void Move(int id, double x, double y) const;
  void MoveForward(int id, double x, double y) const;
  int X(int id) const;
  int Y(int id) const;
  int Width(int id) const;
  int Height(int id) const;

  // ---- look -----------------------------------------------------------------------
  void SetPicture(int id, std::span<const uint8_t> bytes, int64_t key = kNoKey) const;
  // font: nullptr keeps the object's font.
  void SetText(int id, std::string_view gbkText, const rt::FontValue* font = nullptr,
               uint32_t colour = kDefaultColour) const;
  void Tint(int id, uint32_t colour, int depthPercent) const;
  void SetAlpha(int id, int transparency) const;  // 0 opaque .. 100 invisible
  int Alpha(int id) const;
  void SetLayer(int id, int layer) const;
  int Layer(int id) const;
  void Show(int id) const;
  void Hide(int id) const;
  void SetTypeValue(int id, int type) const;
  void SetTag(int id, std::string_view gbkTag) const;
  void SetCollision(int id, bool allowed) const;
  void SetZoom(int id, int perMilleX, int perMilleY) const;
  int Zoom(int id) const;  // horizontal, per mille
  void SetFlip(int id, int turnType) const;
  int Flip(int id) const;
  void SetAngle(int id, int degrees) const;  // the object's forward direction

  // ---- animation ------------------------------------------------------------------
  // plays 0 loops for ever; loopDelayMs is added before each repetition's first frame.
  void Play(int id, int plays, bool destroyWhenDone = false, int loopDelayMs = 0) const;
  void NextFrame(int id) const;

  // ---- overlap --------------------------------------------------------------------
  // The topmost object tagged `tag` overlapping `id` (placed at x, y when given; no
  // collision rules); -1 when there is none.
  int FindOverlapping(int id, std::string_view gbkTag, std::optional<int> x = std::nullopt,
                      std::optional<int> y = std::nullopt) const;
  // The same among all objects, whatever their tag.
  int FindAnyOverlapping(int id, std::optional<int> x = std::nullopt,
                         std::optional<int> y = std::nullopt) const;

  // ---- drawing surface ------------------------------------------------------------
  // With the stage's pen and brush (the game's: a white area in a black frame).
  void DrawRectangle(int left, int top, int right, int bottom) const;
  // The area as a picture (a BMP file image); empty when it misses the stage.
  Bytes Capture(int x, int y, int width, int height, uint32_t background = kDefaultColour) const;
  void ClearArea(int left, int top, int width, int height) const;
  void Clear() const;  // the whole surface back to the background

  // ---- the component ----------------------------------------------------------------
  int StageWidth() const;
  int StageHeight() const;
  void Resize(int width, int height) const;  // keeps its place
  void SetBackColour(uint32_t colour) const;
  void WatchKeys(int intervalMs, std::initializer_list<int> keys) const;
  static bool IsKeyDown(int key);
  void Focus() const;
  bool HasFocus() const;

 private:
  uint32_t id_;
};

// A `Timer` of the form: ticks every interval while started.
class Timer {
 public:
  constexpr explicit Timer(uint32_t componentId) : id_(componentId) {}
  void Start(int intervalMs) const;
  void Stop() const;
  // Its ticks are left out while `nothingToDo()` holds (see rt::SetTimerSleepWhile).
  void SleepWhile(bool (*nothingToDo)()) const;

 private:
  uint32_t id_;
};

inline constexpr Stage MainStage{form::MainStage};
inline constexpr Stage ScratchStage{form::ScratchStage};
inline constexpr Template SpriteTemplate{form::SpriteTemplate};
inline constexpr Template BlockTemplate{form::BlockTemplate};

inline constexpr Timer UseItemTimer{form::UseItemTimer};
inline constexpr Timer PickUpTimer{form::PickUpTimer};
inline constexpr Timer ItemTimer{form::ItemTimer};
inline constexpr Timer HeroFlashTimer{form::HeroFlashTimer};
inline constexpr Timer CollisionTimer{form::CollisionTimer};
inline constexpr Timer MonsterTimer{form::MonsterTimer};
inline constexpr Timer IdleTimer{form::IdleTimer};
inline constexpr Timer JumpTimer{form::JumpTimer};

// ---- program files and built-in sound -------------------------------------------------
// The program folder followed by a path as the game writes it ("\图片集合\鸡腿.png"),
// in the runtime's GBK.
std::string ProgramFile(std::string_view utf8RelativePath);
// The file's bytes; empty when it is missing.
Bytes ReadProgramFile(std::string_view utf8RelativePath);
int PictureFileWidth(std::string_view utf8RelativePath);
int PictureFileHeight(std::string_view utf8RelativePath);
void PlaySound(std::span<const uint8_t> wave);

}  // namespace game
