#include "stage/component/stage_commands.h"

#include <optional>
#include <string>

#include "platform/text.h"
#include "runtime/forms/component.h"
#include "runtime/values/arg_list.h"
#include "runtime/forms/font_value.h"
#include "stage/component/cartoon_box.h"
#include "stage/component/cartoon_object.h"

namespace stage {

namespace {

[[noreturn]] void NoSuchComponent() {
  rt::RuntimeErrorMessage(platform::gbk("指定窗口或窗口组件不存在或尚未载入"));
}

using rt::ArgRecord;

// The arguments after the component reference.
struct StageArgs : rt::ArgList {
  StageArgs(int argc, const ArgRecord* args)
      : rt::ArgList(rt::ArgList(argc, args).From(1)), self(rt::ArgList(argc, args)[0]) {}
  const ArgRecord& self;  // the reference itself; absent when there was none
};

CartoonBox& StageOf(const StageArgs& a) { return StageComponent(a.self.Low(), a.self.High()); }
CartoonObject& TemplateOf(const StageArgs& a) { return TemplateComponent(a.self.Low(), a.self.High()); }

void SetInt(ArgRecord* r, int v) { *r = rt::ArgInt(v); }
void SetBool(ArgRecord* r, bool v) { *r = rt::ArgBool(v); }

#define STAGE_COMMAND(name) void name(ArgRecord* result, int argc, ArgRecord* args)
#define STAGE_ARGS    \
  const StageArgs a(argc, args); \
  (void)result

STAGE_COMMAND(GetPictureWidth) { STAGE_ARGS; SetInt(result, TemplateOf(a).GetPictureWidth()); }
STAGE_COMMAND(GetPictureHeight) { STAGE_ARGS; SetInt(result, TemplateOf(a).GetPictureHeight()); }

STAGE_COMMAND(CreateObject) {
  STAGE_ARGS;
  CartoonBox& box = StageOf(a);
  const CartoonObject* tmpl = nullptr;
  if (a.Has(0)) tmpl = CartoonObject::Find(a[0].Low(), a[0].High());
  SetInt(result, box.CreateObject(tmpl, a.Number(1), a.Number(2), a.Bool(3, true), std::string(a.Text(4))));
}

STAGE_COMMAND(DestroyObjects) {
  STAGE_ARGS;
  CartoonBox& box = StageOf(a);
  std::vector<int> ids;
  for (int i = 0; i < a.Count(); ++i)
    if (a.Has(i)) ids.push_back(a.Int(i));
  box.DestroyObjects(ids);
}

STAGE_COMMAND(DestroyAllObjects) { STAGE_ARGS; StageOf(a).DestroyAllObjects(); }
STAGE_COMMAND(ObjectExists) { STAGE_ARGS; SetBool(result, StageOf(a).ObjectExists(a.Int(0))); }

STAGE_COMMAND(SetObjectText) {
  STAGE_ARGS;
  CartoonBox& box = StageOf(a);
  std::optional<platform::LogFont> font;
  if (a.Has(2) && a[2].type == kTypeFont && rt::AsAddress(a[2]))
    font = rt::LogFontFromFont(*static_cast<const rt::FontValue*>(rt::AsAddress(a[2])));
  const uint32_t colour = a.Has(3) ? uint32_t(rt::IntArg(a[3])) : kDefaultColour;
  box.SetObjectText(a.Int(0), std::string(a.Text(1)), font ? &*font : nullptr, colour);
}

STAGE_COMMAND(SetObjectPicture) {
  STAGE_ARGS;
  StageOf(a).SetObjectPicture(a.Int(0), a.Bytes(1), a.Int(2, -1));
}

STAGE_COMMAND(SetTrend) {
  STAGE_ARGS;
  StageOf(a).SetTrend(a.Int(0), a.Has(1) ? uint32_t(a.Int(1)) : kDefaultColour, a.Int(2));
}

STAGE_COMMAND(SetAlpha) { STAGE_ARGS; StageOf(a).SetAlpha(a.Int(0), a.Int(1)); }
STAGE_COMMAND(GetAlpha) { STAGE_ARGS; SetInt(result, StageOf(a).GetAlpha(a.Int(0))); }
STAGE_COMMAND(SetLayer) { STAGE_ARGS; StageOf(a).SetLayer(a.Int(0), a.Int(1)); }
STAGE_COMMAND(GetLayer) { STAGE_ARGS; SetInt(result, StageOf(a).GetLayer(a.Int(0))); }
STAGE_COMMAND(SetTypeValue) { STAGE_ARGS; StageOf(a).SetTypeValue(a.Int(0), a.Int(1)); }
STAGE_COMMAND(SetVisible) { STAGE_ARGS; StageOf(a).SetVisible(a.Int(0), a.Bool(1, true)); }
STAGE_COMMAND(SetTag) { STAGE_ARGS; StageOf(a).SetTag(a.Int(0), std::string(a.Text(1))); }

STAGE_COMMAND(SetPosition) {
  STAGE_ARGS;
  StageOf(a).SetPosition(a.Int(0), a.Number(1), a.Number(2), a.Bool(3, false));
}

STAGE_COMMAND(GetX) { STAGE_ARGS; SetInt(result, StageOf(a).GetX(a.Int(0))); }
STAGE_COMMAND(GetY) { STAGE_ARGS; SetInt(result, StageOf(a).GetY(a.Int(0))); }
STAGE_COMMAND(GetWidth) { STAGE_ARGS; SetInt(result, StageOf(a).GetWidth(a.Int(0))); }
STAGE_COMMAND(GetHeight) { STAGE_ARGS; SetInt(result, StageOf(a).GetHeight(a.Int(0))); }

STAGE_COMMAND(SetCollision) {
  STAGE_ARGS;
  std::optional<std::span<const uint8_t>> sound;
  if (a.Has(2)) sound = a.Bytes(2);
  StageOf(a).SetCollision(a.Int(0), a.Bool(1), sound);
}

STAGE_COMMAND(SetAngle) { STAGE_ARGS; StageOf(a).SetAngle(a.Int(0), a.Int(1)); }
STAGE_COMMAND(SetZoom) { STAGE_ARGS; StageOf(a).SetZoom(a.Int(0), a.Int(1), a.OptInt(2)); }
STAGE_COMMAND(GetZoom) { STAGE_ARGS; SetInt(result, StageOf(a).GetZoom(a.Int(0))); }

STAGE_COMMAND(PlayAnimation) {
  STAGE_ARGS;
  StageOf(a).PlayAnimation(a.Int(0), a.Int(1), a.Bool(2), a.Int(3), a.Int(4));
}

STAGE_COMMAND(FindOverlapping) {
  STAGE_ARGS;
  std::optional<std::string> tag;
  if (a.Has(3)) tag = std::string(a.Text(3));
  SetInt(result, StageOf(a).FindOverlapping(a.Int(0), a.OptInt(1), a.OptInt(2), tag, a.Bool(4)));
}

STAGE_COMMAND(CaptureArea) {
  STAGE_ARGS;
  const uint32_t background = a.Has(4) ? uint32_t(a.Int(4)) : kDefaultColour;
  const auto bmp = StageOf(a).CaptureArea(a.Int(0), a.Int(1), a.Int(2), a.Int(3), background);
  *result = rt::ArgBytes(rt::MakeBytes(bmp));
}

STAGE_COMMAND(MonitorKeys) {
  STAGE_ARGS;
  std::vector<int> keys;
  for (int i = 1; i < a.Count(); ++i) keys.push_back(a.Int(i));
  StageOf(a).MonitorKeys(a.OptInt(0), keys);
}

STAGE_COMMAND(NextFrame) { STAGE_ARGS; StageOf(a).NextFrame(a.Int(0)); }
STAGE_COMMAND(SetTurnType) { STAGE_ARGS; StageOf(a).SetTurnType(a.Int(0), a.Int(1)); }
STAGE_COMMAND(GetTurnType) { STAGE_ARGS; SetInt(result, StageOf(a).GetTurnType(a.Int(0))); }

STAGE_COMMAND(ClearArea) {
  STAGE_ARGS;
  StageOf(a).ClearArea(a.OptInt(0), a.OptInt(1), a.OptInt(2), a.OptInt(3));
}

STAGE_COMMAND(DrawRectangle) {
  STAGE_ARGS;
  StageOf(a).DrawRectangle(a.Int(0), a.Int(1), a.Int(2), a.Int(3));
}

// IsKeyDown reads the queue's key state; the stage reference only names the caller.
STAGE_COMMAND(IsKeyDown) { STAGE_ARGS; SetBool(result, CartoonBox::IsKeyDown(a.Int(0))); }

#undef STAGE_ARGS
#undef STAGE_COMMAND

}  // namespace

CartoonBox& StageComponent(uint32_t windowId, uint32_t componentId) {
  CartoonBox* box = CartoonBox::Find(windowId, componentId);
  if (!box) NoSuchComponent();
  return *box;
}

CartoonObject& TemplateComponent(uint32_t windowId, uint32_t componentId) {
  CartoonObject* t = CartoonObject::Find(windowId, componentId);
  if (!t) NoSuchComponent();
  return *t;
}

const std::vector<StageCommand>& StageCommands() {
  static const std::vector<StageCommand> table = {
      {"GetPictureWidth", GetPictureWidth}, {"GetPictureHeight", GetPictureHeight},
      {"CreateObject", CreateObject},       {"DestroyObjects", DestroyObjects},
      {"DestroyAllObjects", DestroyAllObjects}, {"ObjectExists", ObjectExists},
      {"SetObjectText", SetObjectText},     {"SetObjectPicture", SetObjectPicture},
      {"SetTrend", SetTrend},               {"SetAlpha", SetAlpha},
      {"GetAlpha", GetAlpha},               {"SetLayer", SetLayer},
      {"GetLayer", GetLayer},               {"SetTypeValue", SetTypeValue},
      {"SetVisible", SetVisible},           {"SetTag", SetTag},
      {"SetPosition", SetPosition},         {"GetX", GetX},
      {"GetY", GetY},                       {"GetWidth", GetWidth},
      {"GetHeight", GetHeight},             {"SetCollision", SetCollision},
      {"SetAngle", SetAngle},               {"SetZoom", SetZoom},
      {"GetZoom", GetZoom},                 {"PlayAnimation", PlayAnimation},
      {"FindOverlapping", FindOverlapping}, {"CaptureArea", CaptureArea},
      {"MonitorKeys", MonitorKeys},         {"NextFrame", NextFrame},
      {"SetTurnType", SetTurnType},         {"GetTurnType", GetTurnType},
      {"ClearArea", ClearArea},             {"DrawRectangle", DrawRectangle},
      {"IsKeyDown", IsKeyDown},
  };
  return table;
}

rt::CommandRoutine FindStageCommand(std::string_view englishName) {
  for (const StageCommand& c : StageCommands())
    if (englishName == c.englishName) return c.routine;
  return nullptr;
}

}  // namespace stage
