// Message pumping and the three component methods. A component reference arrives as one
// record: window id in the low half, component id in the high half, TypeCode as type.
#include <algorithm>

#include "platform/window.h"
#include "runtime/commands/commands.h"
#include "runtime/values/arg_list.h"

namespace rt {
namespace {

// The component's window; GetComponent reports a component that is not loaded.
platform::HWND ComponentWindow(const ComponentRef& c) {
  return GetComponent(c.windowId, c.componentId).Hwnd();
}

ComponentRef RefOf(const ArgRecord& record) { return {record.Low(), record.High(), record.type}; }

}  // namespace

void FocusComponent(const ComponentRef& c) {
  // A component without a window of its own has nothing to focus; giving the focus to
  // "no window" instead would silently take it from the game's stage.
  if (const platform::HWND h = ComponentWindow(c)) platform::SetFocus(h);
}

bool ComponentHasFocus(const ComponentRef& c) {
  const platform::HWND h = ComponentWindow(c);
  const platform::HWND focus = platform::GetFocus();
  if (h == 0 || focus == 0) return false;
  if (focus == h) return true;
  if (platform::GetParent(focus) != h) return false;
  // Focus on an inner window counts only for components built of inner windows.
  const UnitType* type = FindUnitType(c.typeCode);
  return type && (type->flags & kUnitInnerWindows) != 0;
}

void MoveComponent(const ComponentRef& c, std::optional<int32_t> left, std::optional<int32_t> top,
                   std::optional<int32_t> width, std::optional<int32_t> height) {
  const platform::HWND h = ComponentWindow(c);
  if (!h) return;
  const platform::Rect old = platform::GetRectInParent(h);
  platform::Rect r = old;
  if (left) r = r.Offset(*left - r.left, 0);
  if (top) r = r.Offset(0, *top - r.top);
  // A negative size would turn the rectangle inside out; it is an empty window instead.
  if (width && *width != -1) r.right = r.left + std::max(*width, 0);
  if (height && *height != -1) r.bottom = r.top + std::max(*height, 0);
  if (r == old) return;
  platform::MoveWindow(h, r, true);
}

namespace commands {

void DoEvents(ArgRecord*, int, ArgRecord*) { rt::DoEvents(); }

void FocusComponent(ArgRecord*, int argc, ArgRecord* args) {
  rt::FocusComponent(RefOf(ArgList(argc, args)[0]));
}

void ComponentHasFocus(ArgRecord* result, int argc, ArgRecord* args) {
  *result = ArgBool(rt::ComponentHasFocus(RefOf(ArgList(argc, args)[0])));
}

void MoveComponent(ArgRecord*, int argc, ArgRecord* args) {
  const ArgList a(argc, args);
  rt::MoveComponent(RefOf(a[0]), a.OptInt(1), a.OptInt(2), a.OptInt(3), a.OptInt(4));
}

}  // namespace commands
}  // namespace rt
