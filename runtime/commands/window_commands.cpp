// Message pumping and the three component methods. A component reference arrives as one
// record: window id in the low half, component id in the high half, TypeCode as type.
#include <algorithm>

#include "platform/window.h"
#include "runtime/commands/commands.h"
#include "runtime/forms/component.h"

namespace rt::commands {
namespace {

// The component's window; GetComponent reports a component that is not loaded.
platform::HWND ComponentWindow(int argc, const ArgRecord* args) {
  const ArgRecord ref = argc > 0 ? args[0] : ArgRecord{};
  return GetComponent(ref.Low(), ref.High()).Hwnd();
}

}  // namespace

void DoEvents(ArgRecord*, int, ArgRecord*) { rt::DoEvents(); }

void FocusComponent(ArgRecord*, int argc, ArgRecord* args) {
  // A component without a window of its own has nothing to focus; giving the focus to
  // "no window" instead would silently take it from the game's stage.
  if (const platform::HWND h = ComponentWindow(argc, args)) platform::SetFocus(h);
}

void ComponentHasFocus(ArgRecord* result, int argc, ArgRecord* args) {
  const platform::HWND h = ComponentWindow(argc, args);
  const platform::HWND focus = platform::GetFocus();
  bool has = false;
  if (h != 0 && focus != 0) {
    if (focus == h) {
      has = true;
    } else if (platform::GetParent(focus) == h) {
      // Focus on an inner window counts only for components built of inner windows.
      const UnitType* type = FindUnitType(args[0].type);
      has = type && (type->flags & kUnitInnerWindows) != 0;
    }
  }
  *result = ArgBool(has);
}

void MoveComponent(ArgRecord*, int argc, ArgRecord* args) {
  const platform::HWND h = ComponentWindow(argc, args);
  if (!h) return;
  auto given = [&](int i) { return i < argc && Present(args[i]); };
  const platform::Rect old = platform::GetRectInParent(h);
  platform::Rect r = old;
  if (given(1)) r = r.Offset(IntArg(args[1]) - r.left, 0);
  if (given(2)) r = r.Offset(0, IntArg(args[2]) - r.top);
  // A negative size would turn the rectangle inside out; it is an empty window instead.
  if (given(3) && IntArg(args[3]) != -1) r.right = r.left + std::max(IntArg(args[3]), 0);
  if (given(4) && IntArg(args[4]) != -1) r.bottom = r.top + std::max(IntArg(args[4]), 0);
  if (r == old) return;
  platform::MoveWindow(h, r, true);
}

}  // namespace rt::commands
