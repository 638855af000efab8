// The one message queue: posted and input messages first, in order, then the quit
// message, then paint for invalid windows, then timer ticks. Key state follows the
// messages as they are taken, not the keyboard as it is now.
#include <array>
#include <deque>
#include <mutex>
#include <thread>

#include "platform/host.h"
#include "platform/latency_probe.h"
#include "platform/process.h"
#include "platform/window_internal.h"

namespace platform {
namespace detail {

namespace {

struct Queue {
  std::mutex mutex;
  std::deque<Message> posted;
  bool quitPending = false;
  int quitCode = 0;
};
Queue& Q() {
  static Queue q;
  return q;
}

// As the application has seen it (GetKeyState).
std::array<int16_t, 256> g_keyState{};
// As the host reported it; decides SYSKEY messages, repeat bits and mouse flags.
std::array<bool, 256> g_inputDown{};
uint32_t g_mouseButtons = 0;
int g_idleEnds = 0;
std::thread::id g_mainThread = std::this_thread::get_id();

void TrackKeyState(const Message& m) {
  int vk = -1;
  bool down = false;
  switch (m.message) {
    case WM_KEYDOWN: case WM_SYSKEYDOWN: vk = int(m.wParam & 0xFF); down = true; break;
    case WM_KEYUP: case WM_SYSKEYUP: vk = int(m.wParam & 0xFF); break;
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: vk = VK_LBUTTON; down = true; break;
    case WM_LBUTTONUP: vk = VK_LBUTTON; break;
    case WM_RBUTTONDOWN: vk = VK_RBUTTON; down = true; break;
    case WM_RBUTTONUP: vk = VK_RBUTTON; break;
    default: return;
  }
  int16_t& s = g_keyState[size_t(vk)];
  if (down) {
    // The low bit toggles on each new press, as Caps Lock's light would.
    if (!(s & int16_t(0x8000))) s ^= 1;
    s = int16_t(s | int16_t(0x8000));
  } else {
    s = int16_t(s & 1);
  }
}

uint32_t Now() { return HostStarted() ? GetHost().Now() : 0; }

void Post(const Message& m) {
  {
    std::lock_guard lock(Q().mutex);
    Q().posted.push_back(m);
  }
  if (std::this_thread::get_id() != g_mainThread && HostStarted()) GetHost().Wake();
}

HWND KeyTarget() {
  HWND f = GetFocus();
  return f ? f : GetActiveWindow();
}

uint32_t CharForKey(int vk, bool shift) {
  if (vk >= 'A' && vk <= 'Z') return shift ? uint32_t(vk) : uint32_t(vk - 'A' + 'a');
  if (vk >= '0' && vk <= '9') return shift ? uint32_t(")!@#$%^&*("[vk - '0']) : uint32_t(vk);
  if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) return uint32_t('0' + vk - VK_NUMPAD0);
  switch (vk) {
    case VK_SPACE: return ' ';
    case VK_MULTIPLY: return '*';
    case VK_ADD: return '+';
    case VK_SUBTRACT: return '-';
    case VK_DECIMAL: return '.';
    case VK_DIVIDE: return '/';
    default: return 0;
  }
}

// Nothing will ever happen again (no timer, nothing scheduled): end the run the way a
// user would, by closing the windows; if that does not end it, quit, then exit.
// Asks every shown top-level window to close, as the user would; false when none is shown.
bool CloseShownWindows() {
  bool any = false;
  for (HWND h : GetTopLevelWindows()) {
    if (IsWindowVisible(h) && !(GetStyle(h) & WS_MESSAGEONLY)) {
      PostCloseRequest(h);
      any = true;
    }
  }
  return any;
}

// Waits for the next timer or scheduled item, for input, or at the latest until `limit`.
// The sleeping timers' decisions are taken for this wait and end with it, before any of
// our code runs again (false: the host has nothing that could still come).
bool WaitForWork(std::optional<uint32_t> limit) {
  std::optional<uint32_t> deadline = NextTimerDue(true);
  for (std::optional<uint32_t> other : {NextScheduleDue(), limit})
    if (other && (!deadline || *other < *deadline)) deadline = other;
  const bool more = GetHost().WaitUntil(deadline);
  EndTimerSleeps();
  return more;
}

void EndIdleRun() {
  ++g_idleEnds;
  if (g_idleEnds == 1 && CloseShownWindows()) return;
  if (g_idleEnds <= 2) {
    PostQuitMessage(0);
    return;
  }
  ExitProcess(0);
}

}  // namespace

void ResetQueue() {
  std::lock_guard lock(Q().mutex);
  Q().posted.clear();
  Q().quitPending = false;
  Q().quitCode = 0;
  g_keyState.fill(0);
  g_inputDown.fill(false);
  g_mouseButtons = 0;
  g_idleEnds = 0;
  g_mainThread = std::this_thread::get_id();
}

}  // namespace detail

using namespace detail;

bool PostMessage(HWND h, uint32_t msg, uint64_t wParam, int64_t lParam) {
  // Only the UI thread may look at the window table; other threads post blindly and
  // a message for a window that is gone is dropped at dispatch.
  if (std::this_thread::get_id() == g_mainThread && h != 0 && !IsWindow(h)) return false;
  Post(Message{h, msg, wParam, lParam, Now()});
  return true;
}

void PostQuitMessage(int exitCode) {
  {
    std::lock_guard lock(Q().mutex);
    Q().quitPending = true;
    Q().quitCode = exitCode;
  }
  if (std::this_thread::get_id() != g_mainThread && HostStarted()) GetHost().Wake();
}

int64_t SendMessage(HWND h, uint32_t msg, uint64_t wParam, int64_t lParam) {
  Window* w = Find(h);
  if (!w) return 0;
  WndProc proc = w->proc;  // the window may go away while its procedure runs
  if (proc) return proc(h, msg, wParam, lParam);
  return DefWindowProc(h, msg, wParam, lParam);
}

bool PeekMessage(Message& out, uint32_t flags) {
  bool remove = (flags & PM_REMOVE) != 0;
  // A termination signal closes the windows as the user would; with none shown, quit.
  if (TakeSignalledEnd() && !CloseShownWindows()) PostQuitMessage(0);
  RunDueSchedule();
  GetHost().PumpInputBeforeMessage();
  {
    std::unique_lock lock(Q().mutex);
    if (!Q().posted.empty()) {
      out = Q().posted.front();
      if (remove) Q().posted.pop_front();
      lock.unlock();
      if (remove) {
        TrackKeyState(out);
        g_idleEnds = 0;
      }
      return true;
    }
    if (Q().quitPending) {
      out = Message{0, WM_QUIT, uint64_t(int64_t(Q().quitCode)), 0, Now()};
      if (remove) Q().quitPending = false;
      return true;
    }
  }
  if (HWND h = NextWindowToPaint()) {
    out = Message{h, WM_PAINT, 0, 0, Now()};
    return true;
  }
  // Timers due at the same moment each draw on the frame; it is shown once, after the
  // last of them, unless running behind has kept it from the screen too long already.
  if (TakeTimerMessage(out, remove)) {
    if (PresentOverdue()) PresentDirtyFrames();
    return true;
  }
  PresentDirtyFrames();
  return false;
}

bool GetMessage(Message& out) {
  for (;;) {
    if (PeekMessage(out, PM_REMOVE)) return out.message != WM_QUIT;
    if (!WaitForWork(std::nullopt)) EndIdleRun();
  }
}

bool WaitMessageUntil(uint32_t timeMs) {
  Message m;
  for (;;) {
    if (PeekMessage(m, PM_NOREMOVE)) return true;
    if (Now() >= timeMs) return false;
    WaitForWork(timeMs);
  }
}

int64_t DispatchMessage(const Message& m) {
  ProbeDispatched(m.message);
  if (m.hwnd == 0 || !IsWindow(m.hwnd)) return 0;
  if (m.message == WM_PAINT) {
    PaintNow(m.hwnd);
    return 0;
  }
  return SendMessage(m.hwnd, m.message, m.wParam, m.lParam);
}

bool HasPendingInput() {
  std::lock_guard lock(Q().mutex);
  return !Q().posted.empty() || Q().quitPending;
}

void PostKeyInput(int vk, bool down) {
  if (vk <= 0 || vk > 0xFF) return;
  bool previous = g_inputDown[size_t(vk)];
  g_inputDown[size_t(vk)] = down;
  bool alt = g_inputDown[VK_MENU], ctrl = g_inputDown[VK_CONTROL];
  bool shift = g_inputDown[VK_SHIFT];
  // Alt turns keys into system keys; with Ctrl held too (AltGr) they stay ordinary.
  bool sys = (alt || vk == VK_MENU) && !ctrl;
  HWND target = KeyTarget();
  if (!target) return;
  uint32_t bits = 1u | (previous ? 1u << 30 : 0u) | (down ? 0u : 1u << 31);
  uint32_t msg = down ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
  Post(Message{target, msg, uint64_t(vk), int64_t(bits), Now()});
  if (down && !sys && !ctrl) {
    if (uint32_t ch = CharForKey(vk, shift)) Post(Message{target, WM_CHAR, ch, int64_t(bits), Now()});
  }
}

void PostCharInput(uint32_t ch) {
  if (HWND target = KeyTarget()) Post(Message{target, WM_CHAR, ch, 1, Now()});
}

void PostMouseInput(HWND topLevel, uint32_t msg, Point p, int wheelDelta) {
  if (!IsWindow(topLevel)) return;
  Point screen = ClientToScreen(topLevel, p);
  D().cursor = screen;
  switch (msg) {
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: g_mouseButtons |= MK_LBUTTON; break;
    case WM_LBUTTONUP: g_mouseButtons &= ~uint32_t(MK_LBUTTON); break;
    case WM_RBUTTONDOWN: g_mouseButtons |= MK_RBUTTON; break;
    case WM_RBUTTONUP: g_mouseButtons &= ~uint32_t(MK_RBUTTON); break;
    default: break;
  }
  HWND target = GetCapture();
  if (!target && msg == WM_MOUSEWHEEL) target = GetFocus();
  if (!target) target = WindowFromPoint(topLevel, p);
  // Disabled windows take no mouse input; the click is lost, as on the desktop.
  if (!target || !IsWindowEnabled(target)) return;
  Point c = ScreenToClient(target, screen);
  uint64_t w = g_mouseButtons | (g_inputDown[VK_SHIFT] ? MK_SHIFT : 0u) |
               (g_inputDown[VK_CONTROL] ? MK_CONTROL : 0u);
  if (msg == WM_MOUSEWHEEL) w |= uint64_t(uint16_t(int16_t(wheelDelta))) << 16;
  Post(Message{target, msg, w, MakeLParam(c.x, c.y), Now()});
}

void PostCloseRequest(HWND topLevel) {
  if (IsWindow(topLevel)) Post(Message{topLevel, WM_CLOSE, 0, 0, Now()});
}

int16_t GetKeyState(int vk) {
  if (vk < 0 || vk > 0xFF) return 0;
  // The generic modifier codes also answer for their left/right twins and back.
  auto either = [](int a, int b) { return int16_t(g_keyState[size_t(a)] | g_keyState[size_t(b)]); };
  switch (vk) {
    case VK_SHIFT: return int16_t(g_keyState[VK_SHIFT] | either(VK_LSHIFT, VK_RSHIFT));
    case VK_CONTROL: return int16_t(g_keyState[VK_CONTROL] | either(VK_LCONTROL, VK_RCONTROL));
    case VK_MENU: return int16_t(g_keyState[VK_MENU] | either(VK_LMENU, VK_RMENU));
    default: return g_keyState[size_t(vk)];
  }
}

int GetModifiers() {
  int m = 0;
  if (GetKeyState(VK_CONTROL) & 0x8000) m |= 1;
  if (GetKeyState(VK_SHIFT) & 0x8000) m |= 2;
  if (GetKeyState(VK_MENU) & 0x8000) m |= 4;
  return m;
}

}  // namespace platform

namespace platform {

bool RunMessagesUntil(uint32_t timeMs) {
  for (;;) {
    Message m;
    if (PeekMessage(m, PM_REMOVE)) {
      if (m.message == WM_QUIT) return false;
      DispatchMessage(m);
      continue;
    }
    if (GetHost().Now() >= timeMs) return true;
    detail::WaitForWork(timeMs);
  }
}

}  // namespace platform

namespace platform::detail {

void ReleaseAllInputKeys() {
  for (int vk = 1; vk < 256; ++vk)
    if (g_inputDown[size_t(vk)]) PostKeyInput(vk, false);
}

}  // namespace platform::detail
