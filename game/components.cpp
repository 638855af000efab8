#include "game/components.h"

#include "game/rules.h"
#include "platform/text.h"
#include "runtime/commands/commands.h"
#include "runtime/forms/runtime.h"
#include "runtime/forms/timer.h"
#include "stage/component/cartoon_box.h"
#include "stage/component/cartoon_object.h"
#include "stage/component/stage_commands.h"
#include "runtime/forms/font_value.h"

namespace game {
namespace {

stage::CartoonBox& Box(uint32_t id) { return stage::StageComponent(form::GameForm, id); }
stage::CartoonObject& Tpl(uint32_t id) { return stage::TemplateComponent(form::GameForm, id); }

// Component properties are numbered after the eight common ones.
constexpr int Own(int ownIndex) { return 8 + ownIndex; }

void WriteTemplateInt(uint32_t id, stage::TemplateProperty p, int64_t v) {
  rt::WriteProperty(form::GameForm, id, Own(p), -1, v);
}

}  // namespace

// ---- templates ------------------------------------------------------------------------

void Template::SetPicture(std::span<const uint8_t> bytes) const {
  rt::PropValue v;
  v.bytes.assign(bytes.begin(), bytes.end());
  rt::WritePropertyValue(form::GameForm, id_, Own(stage::kTplPicture), -1, v);
}
void Template::SetFlip(int turnType) const { WriteTemplateInt(id_, stage::kTplTurnType, turnType); }
void Template::SetTypeValue(int type) const { WriteTemplateInt(id_, stage::kTplType, type); }
void Template::SetPlayGIF(bool on) const { WriteTemplateInt(id_, stage::kTplPlayGIF, on); }
int Template::PictureWidth() const { return Tpl(id_).GetPictureWidth(); }
int Template::PictureHeight() const { return Tpl(id_).GetPictureHeight(); }

// ---- stages: objects ------------------------------------------------------------------

int Stage::Create(const Template& from, double x, double y, bool visible, std::string_view tag) const {
  return Box(id_).CreateObject(&Tpl(from.Id()), x, y, visible, std::string(tag));
}
int Stage::CreatePlain(double x, double y, bool visible) const {
  return Box(id_).CreateObject(nullptr, x, y, visible);
}
void Stage::Destroy(int id) const {
  const int ids[] = {id};
  Box(id_).DestroyObjects(ids);
}
void Stage::DestroyAll() const { Box(id_).DestroyAllObjects(); }
bool Stage::Exists(int id) const { return Box(id_).ObjectExists(id); }

// ---- place ----------------------------------------------------------------------------

void Stage::Move(int id, double x, double y) const { Box(id_).SetPosition(id, x, y, false); }
void Stage::MoveForward(int id, double x, double y) const { Box(id_).SetPosition(id, x, y, true); }
int Stage::X(int id) const { return Box(id_).GetX(id); }
int Stage::Y(int id) const { return Box(id_).GetY(id); }
int Stage::Width(int id) const { return Box(id_).GetWidth(id); }
int Stage::Height(int id) const { return Box(id_).GetHeight(id); }

// ---- look -----------------------------------------------------------------------------

void Stage::SetPicture(int id, std::span<const uint8_t> bytes, int64_t key) const {
  Box(id_).SetObjectPicture(id, bytes, key);
}
void Stage::SetText(int id, std::string_view gbkText, const rt::FontValue* font, uint32_t colour) const {
  if (font) {
    const platform::LogFont lf = rt::LogFontFromFont(*font);
    Box(id_).SetObjectText(id, std::string(gbkText), &lf, colour);
  } else {
    Box(id_).SetObjectText(id, std::string(gbkText), nullptr, colour);
  }
}
void Stage::Tint(int id, uint32_t colour, int depthPercent) const { Box(id_).SetTrend(id, colour, depthPercent); }
void Stage::SetAlpha(int id, int transparency) const { Box(id_).SetAlpha(id, transparency); }
int Stage::Alpha(int id) const { return Box(id_).GetAlpha(id); }
void Stage::SetLayer(int id, int layer) const { Box(id_).SetLayer(id, layer); }
int Stage::Layer(int id) const { return Box(id_).GetLayer(id); }
void Stage::Show(int id) const { Box(id_).SetVisible(id, true); }
void Stage::Hide(int id) const { Box(id_).SetVisible(id, false); }
void Stage::SetTypeValue(int id, int type) const { Box(id_).SetTypeValue(id, type); }
void Stage::SetTag(int id, std::string_view gbkTag) const { Box(id_).SetTag(id, std::string(gbkTag)); }
void Stage::SetCollision(int id, bool allowed) const { Box(id_).SetCollision(id, allowed); }
void Stage::SetZoom(int id, int perMilleX, int perMilleY) const { Box(id_).SetZoom(id, perMilleX, perMilleY); }
int Stage::Zoom(int id) const { return Box(id_).GetZoom(id); }
void Stage::SetFlip(int id, int turnType) const { Box(id_).SetTurnType(id, turnType); }
int Stage::Flip(int id) const { return Box(id_).GetTurnType(id); }
void Stage::SetAngle(int id, int degrees) const { Box(id_).SetAngle(id, degrees); }

// ---- animation and overlap ------------------------------------------------------------

void Stage::Play(int id, int plays, bool destroyWhenDone, int loopDelayMs) const {
  Box(id_).PlayAnimation(id, plays, destroyWhenDone, 0, loopDelayMs);
}
void Stage::NextFrame(int id) const { Box(id_).NextFrame(id); }
int Stage::FindOverlapping(int id, std::string_view gbkTag, std::optional<int> x, std::optional<int> y) const {
  return Box(id_).FindOverlapping(id, x, y, std::string(gbkTag), false);
}
int Stage::FindAnyOverlapping(int id, std::optional<int> x, std::optional<int> y) const {
  return Box(id_).FindOverlapping(id, x, y, std::nullopt, false);
}

// ---- drawing surface ------------------------------------------------------------------

void Stage::DrawRectangle(int left, int top, int right, int bottom) const {
  Box(id_).DrawRectangle(left, top, right, bottom);
}
Bytes Stage::Capture(int x, int y, int width, int height, uint32_t background) const {
  return Box(id_).CaptureArea(x, y, width, height, background);
}
void Stage::ClearArea(int left, int top, int width, int height) const {
  Box(id_).ClearArea(left, top, width, height);
}
void Stage::Clear() const { Box(id_).ClearArea(); }

// ---- the component --------------------------------------------------------------------

int Stage::StageWidth() const { return int(rt::ReadProperty(form::GameForm, id_, rt::kPropWidth)); }
int Stage::StageHeight() const { return int(rt::ReadProperty(form::GameForm, id_, rt::kPropHeight)); }
void Stage::Resize(int width, int height) const {
  rt::MoveComponent({form::GameForm, id_, form::kTypeCartoonBox}, std::nullopt, std::nullopt, width, height);
}
void Stage::SetBackColour(uint32_t colour) const {
  rt::WriteProperty(form::GameForm, id_, Own(stage::kStBackColor), -1, colour);
}
void Stage::WatchKeys(int intervalMs, std::initializer_list<int> keys) const {
  Box(id_).MonitorKeys(intervalMs, std::span<const int>(keys.begin(), keys.size()));
}
bool Stage::IsKeyDown(int key) { return stage::CartoonBox::IsKeyDown(key); }
void Stage::Focus() const { rt::FocusComponent({form::GameForm, id_, form::kTypeCartoonBox}); }
bool Stage::HasFocus() const { return rt::ComponentHasFocus({form::GameForm, id_, form::kTypeCartoonBox}); }

// ---- timers ---------------------------------------------------------------------------

void Timer::Start(int intervalMs) const {
  rt::WriteProperty(form::GameForm, id_, rt::kTimerInterval, -1, intervalMs);
}
void Timer::Stop() const { rt::WriteProperty(form::GameForm, id_, rt::kTimerInterval, -1, 0); }
void Timer::SleepWhile(bool (*nothingToDo)()) const {
  rt::SetTimerSleepWhile(form::GameForm, id_, nothingToDo);
}

// ---- program files and sound ----------------------------------------------------------

std::string ProgramFile(std::string_view utf8RelativePath) {
  return rt::RunDirectory() + platform::gbk(std::string(utf8RelativePath));
}
Bytes ReadProgramFile(std::string_view utf8RelativePath) {
  return rt::ReadFileBytes(ProgramFile(utf8RelativePath));
}
int PictureFileWidth(std::string_view utf8RelativePath) { return rt::PictureWidth(ProgramFile(utf8RelativePath)); }
int PictureFileHeight(std::string_view utf8RelativePath) { return rt::PictureHeight(ProgramFile(utf8RelativePath)); }
void PlaySound(std::span<const uint8_t> wave) { rt::PlaySound(wave); }

}  // namespace game
