// The form's message pre-filter: component pre-filters, keyboard navigation (Tab, Enter,
// Esc, F1, arrows, Alt mnemonics) and the common key and mouse events.
#include <cctype>
#include <filesystem>

#include "platform/process.h"
#include "platform/text.h"
#include "platform/window.h"
#include "runtime/forms/keys.h"
#include "runtime/forms/runtime_state.h"

namespace rt {

using namespace detail;
using namespace platform;

int ReportedKeyCode(int vk) {
  if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) return vk - VK_NUMPAD0 + '0';
  if (vk == VK_SUBTRACT) return 189;
  if (vk == VK_DECIMAL) return 190;
  if (vk == VK_DIVIDE) return 191;
  return vk;
}

int ReportedModifiers(int vk) {
  int mods = GetModifiers();
  if (vk == VK_CONTROL || vk == VK_LCONTROL || vk == VK_RCONTROL) mods &= ~1;
  if (vk == VK_SHIFT || vk == VK_LSHIFT || vk == VK_RSHIFT) mods &= ~2;
  if (vk == VK_MENU || vk == VK_LMENU || vk == VK_RMENU) mods &= ~4;
  return mods;
}

namespace {

bool IsKeyMessage(uint32_t m) {
  return m == WM_KEYDOWN || m == WM_KEYUP || m == WM_CHAR || m == WM_SYSKEYDOWN ||
         m == WM_SYSKEYUP || m == WM_SYSCHAR;
}

const UnitType* TypeOf(const WindowState& w, size_t i) {
  const UnitState& u = w.units[i];
  if (!u.type) u.type = FindUnitType(w.desc.records[i].typeCode);
  return u.type;
}

bool Alive(const WindowState& w) { return w.hwnd != 0 && IsWindow(w.hwnd); }

HWND HwndOf(const WindowState& w, size_t i) {
  return w.units[i].live ? w.units[i].live->Hwnd() : 0;
}

bool Focusable(const WindowState& w, size_t i, uint32_t requiredTypeFlag) {
  HWND h = HwndOf(w, i);
  if (!h || !IsWindowVisible(h) || !IsWindowEnabled(h)) return false;
  if (requiredTypeFlag) {
    const UnitType* t = TypeOf(w, i);
    return t && (t->flags & requiredTypeFlag);
  }
  return (GetStyle(h) & WS_TABSTOP) != 0;
}

// Moves the focus to the next (step +1) or previous (-1) focusable unit in stored order,
// wrapping around. False when there is none to move to.
bool MoveFocus(WindowState& w, size_t from, int step, uint32_t requiredTypeFlag) {
  size_t n = w.units.size();
  if (n <= 1) return false;
  size_t i = from;
  for (size_t tries = 0; tries < n; ++tries) {
    i = (i + n + size_t(step)) % n;
    if (i == 0) continue;
    if (Focusable(w, i, requiredTypeFlag)) {
      if (i != from) SetFocus(HwndOf(w, i));
      return true;
    }
  }
  return false;
}

bool OpenHelp(const FormKeySettings& k) {
  if (!k.f1OpensHelp || k.helpFile.empty()) return false;
  std::string path = HostPath(k.helpFile);
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return false;
  OpenWithDesktop(path);
  return true;
}

bool ActivateMnemonic(WindowState& w, int vk) {
  if (vk < 0 || vk > 127 || !std::isalnum(vk)) return false;
  char wanted = char(std::tolower(vk));
  for (size_t i = 1; i < w.units.size(); ++i) {
    HWND h = HwndOf(w, i);
    if (!h || !IsWindowVisible(h) || !IsWindowEnabled(h)) continue;
    std::string caption = w.units[i].live->Caption();
    for (size_t p = 0; p + 1 < caption.size(); ++p) {
      if (caption[p] != '&') continue;
      if (std::tolower(static_cast<unsigned char>(caption[p + 1])) == wanted) {
        if (GetStyle(h) & WS_TABSTOP) SetFocus(h);
        if (w.units[i].live) w.units[i].live->DefaultAction();
        return true;
      }
      ++p;  // "&&" is a literal '&'
    }
  }
  return false;
}

// Step 3 of the pre-filter. True when a navigation key acted (the message is consumed).
bool Navigate(WindowState& w, const Message& msg) {
  HWND focusHwnd = GetFocus();
  auto focus = UnitOfHwnd(focusHwnd);
  size_t focusIndex = focus && focus->window == &w ? size_t(focus->index) : 0;
  Component* focused = w.units[focusIndex].live.get();
  if (focused && focused->WantsKey(msg)) return false;

  int vk = int(msg.wParam);
  if (msg.message == WM_SYSKEYDOWN || (msg.message == WM_KEYDOWN && (GetModifiers() & 4)))
    return ActivateMnemonic(w, vk);
  if (msg.message != WM_KEYDOWN) return false;

  const FormKeySettings* keys = w.units[0].live ? w.units[0].live->KeySettings() : nullptr;
  switch (vk) {
    case VK_TAB:
      return MoveFocus(w, focusIndex, (GetModifiers() & 2) ? -1 : 1, 0);
    case VK_RETURN:
      if (focused && focusIndex != 0 && focused->HasDefaultAction()) {
        focused->DefaultAction();
        return true;
      }
      return keys && keys->enterMovesFocus && MoveFocus(w, focusIndex, 1, 0);
    case VK_ESCAPE:
      if (!keys || !keys->escCloses) return false;
      SendMessage(w.hwnd, WM_CLOSE, 0, 0);
      return true;
    case VK_F1:
      return keys && OpenHelp(*keys);
    case VK_LEFT: case VK_UP: case VK_RIGHT: case VK_DOWN: {
      const UnitType* t = focusIndex ? TypeOf(w, focusIndex) : nullptr;
      if (!t || !(t->flags & kUnitRadioLike)) return false;
      int step = (vk == VK_LEFT || vk == VK_UP) ? -1 : 1;
      return MoveFocus(w, focusIndex, step, kUnitRadioLike);
    }
    default:
      return false;
  }
}

struct CommonEventArgs {
  int32_t index = 0;
  uint32_t count = 0;
  int32_t args[3] = {};
};

int MouseModifiers() { return GetModifiers(); }

std::optional<CommonEventArgs> CommonEventFor(const Message& msg) {
  int vk = int(msg.wParam);
  auto mouse = [&](int32_t index) {
    return CommonEventArgs{index, 3,
                           {int32_t(uint16_t(LParamX(msg.lParam))),
                            int32_t(uint16_t(LParamY(msg.lParam))), MouseModifiers()}};
  };
  switch (msg.message) {
    case WM_KEYDOWN: case WM_SYSKEYDOWN:
      return CommonEventArgs{kEvKeyDown, 2, {ReportedKeyCode(vk), ReportedModifiers(vk)}};
    case WM_KEYUP: case WM_SYSKEYUP:
      return CommonEventArgs{kEvKeyUp, 2, {ReportedKeyCode(vk), ReportedModifiers(vk)}};
    case WM_CHAR: case WM_SYSCHAR:
      return CommonEventArgs{kEvCharacter, 1, {int32_t(msg.wParam)}};
    case WM_LBUTTONDOWN: return mouse(kEvLeftButtonDown);
    case WM_LBUTTONUP: return mouse(kEvLeftButtonUp);
    case WM_LBUTTONDBLCLK: return mouse(kEvDoubleClick);
    case WM_RBUTTONDOWN: return mouse(kEvRightButtonDown);
    case WM_RBUTTONUP: return mouse(kEvRightButtonUp);
    case WM_MOUSEMOVE: return mouse(kEvMouseMove);
    case WM_MOUSEWHEEL:
      return CommonEventArgs{kEvWheel, 2, {int16_t(uint16_t(msg.wParam >> 16)) / 120, MouseModifiers()}};
    default:
      return std::nullopt;
  }
}

}  // namespace

bool PreFilterMessage(Message& msg) {
  if (IsKeyMessage(msg.message) && IsWindow(msg.hwnd) && !IsWindowEnabled(msg.hwnd)) return false;
  auto unit = UnitOfHwnd(msg.hwnd);
  if (!unit) return false;
  WindowState& w = *unit->window;
  uint32_t windowId = w.desc.windowId;

  for (size_t i = 0; i < w.units.size(); ++i) {
    const UnitType* t = TypeOf(w, i);
    if (!w.units[i].live || !t || !(t->flags & kUnitHasPreFilter)) continue;
    if (w.units[i].live->PreFilter(msg)) return true;
    if (!Alive(w)) return true;  // the pre-filter closed the window
  }

  if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) {
    if (Navigate(w, msg)) return true;
    if (!Alive(w)) return true;
  }

  auto common = CommonEventFor(msg);
  if (!common) return false;
  // The owner may have gone in a navigation step; find it again.
  unit = UnitOfHwnd(msg.hwnd);
  if (!unit) return false;
  const UnitType* t = TypeOf(*unit->window, size_t(unit->index));
  if (!t || !(t->flags & kUnitRaisesEvents)) return false;

  EventRecord ev;
  ev.windowId = windowId;
  ev.componentId = unit->ComponentId();
  ev.eventIndex = common->index;
  ev.argCount = common->count;
  for (uint32_t i = 0; i < common->count; ++i) ev.args[i] = common->args[i];
  if (!RaiseEvent(ev) || !ev.resultPresent) return false;
  if (ev.result == 0) return true;
  if (common->index == kEvCharacter) msg.wParam = uint64_t(uint32_t(ev.result));
  return false;
}

}  // namespace rt
