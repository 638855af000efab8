// The stage's commands in the runtime's command-call convention: the first record is
// the component reference (window id low, component id high, type code as type), then
// the arguments in order; an omitted optional argument is a record of type 0.
//
// Templates (`CartoonObject`):
//   GetPictureWidth, GetPictureHeight                        -> int
// Stage (`CartoonBox`), objects:
//   CreateObject(template?, x, y, visible = true, tag = "")  -> int id
//   DestroyObjects(id, ...), DestroyAllObjects(), ObjectExists(id) -> bool
// Pictures and animation:
//   SetObjectText(id, text, font = keep, colour = keep), SetObjectPicture(id, bytes, key = -1)
//   SetTrend(id, colour = keep, depth = 0), SetZoom(id, x, y = x), GetZoom(id)
//   SetTurnType(id, t = 0), GetTurnType(id), SetAngle(id, a)
//   PlayAnimation(id, plays, destroyWhenDone = false, extraDelay = 0, loopDelay = 0), NextFrame(id)
// Appearance:
//   SetAlpha/GetAlpha, SetLayer/GetLayer, SetVisible(id, v = true), SetTypeValue, SetTag(id, tag = "")
//   GetWidth(id), GetHeight(id)
// Movement and collision:
//   SetPosition(id, x, y, forward = false), GetX(id), GetY(id)
//   SetCollision(id, allowed, sound = keep), FindOverlapping(id, x, y, tag, rules = false) -> int
// Keys:
//   MonitorKeys(interval = 10, key, ...), IsKeyDown(key) -> bool
// Drawing surface:
//   CaptureArea(x, y, w, h, background = default) -> byte set (BMP file image)
//   ClearArea(left, top, width, height), DrawRectangle(left, top, right, bottom)
//
// A font argument is a record of type kTypeFont whose value is the address of an
// rt::FontValue.
#pragma once
#include <string_view>
#include <vector>

#include "runtime/values/values.h"

namespace stage {

class CartoonBox;
class CartoonObject;

inline constexpr uint32_t kTypeFont = 0x10004;

// The typed cores of these commands are CartoonBox's and CartoonObject's own methods;
// a command finds its component here. A stage or template that is not loaded is the
// runtime error "指定窗口或窗口组件不存在或尚未载入", as for every component command.
CartoonBox& StageComponent(uint32_t windowId, uint32_t componentId);
CartoonObject& TemplateComponent(uint32_t windowId, uint32_t componentId);

struct StageCommand {
  const char* englishName;
  rt::CommandRoutine routine;
};

// nullptr for an unknown name.
rt::CommandRoutine FindStageCommand(std::string_view englishName);
const std::vector<StageCommand>& StageCommands();

}  // namespace stage
