// The emulated window system: a tree of windows, one message queue, window timers,
// focus, capture, key state and invalidation/paint. Single-threaded except where a
// function says otherwise: everything runs on the thread that called Init().
//
// Z-order: a new child joins its siblings at the bottom (so of components created in
// turn, the first is topmost); a new top-level window goes on top of the others.
//
// Painting model: every top-level window owns a client-sized BGRA32 frame. A window
// paints into that frame, clipped to its own visible rectangle; windows are painted
// bottom-up (parent before children, lower siblings before higher), so invalidating a
// window also invalidates whatever overlaps it above. A window with WS_CLIPSIBLINGS
// never draws over a visible sibling above it (nor over those above an ancestor that
// clips siblings), in WM_PAINT and through GetDC alike. WM_PAINT is produced by the
// queue only when no posted or input message waits (then WM_TIMER, lowest).
#pragma once
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/types.h"

namespace platform {

class DC;
class Surface;

// Window procedure: (hwnd, message, wParam, lParam) -> result. The default for an
// unhandled message is DefWindowProc.
using WndProc = std::function<int64_t(HWND, uint32_t, uint64_t, int64_t)>;

enum WindowStyle : uint32_t {
  WS_VISIBLE = 1u << 0,
  WS_DISABLED = 1u << 1,
  WS_TABSTOP = 1u << 2,
  WS_CHILD = 1u << 3,
  WS_CAPTION = 1u << 4,       // top level: title bar
  WS_SYSMENU = 1u << 5,       // top level: close box / system menu
  WS_MINIMIZEBOX = 1u << 6,
  WS_MAXIMIZEBOX = 1u << 7,
  WS_THICKFRAME = 1u << 8,    // resizable frame
  WS_BORDER = 1u << 9,        // thin border (fixed frame)
  WS_EX_TOPMOST = 1u << 10,
  WS_EX_TOOLWINDOW = 1u << 11,
  WS_EX_CLIENTEDGE = 1u << 12,
  WS_EX_STATICEDGE = 1u << 13,
  WS_DLGFRAME = 1u << 14,
  WS_MESSAGEONLY = 1u << 15,  // never shown, no frame (the runtime's hidden window)
  WS_CLIPSIBLINGS = 1u << 16, // child: draws nothing where a visible sibling above lies
};

struct CreateWindowParams {
  HWND parent = 0;        // 0: top-level
  std::string title;      // UTF-8 caption of a top-level window
  Rect rect;              // child: in the parent's client coordinates;
                          // top level: the client area in screen coordinates
  uint32_t style = 0;
  int childId = 0;        // child-window number (the runtime numbers from 100 by 10)
  WndProc proc;           // may be empty: DefWindowProc only
};

// ---- life cycle -----------------------------------------------------------------
HWND CreateWindow(const CreateWindowParams& p);  // sends WM_CREATE; 0 on failure
// Destroys children first (deepest first), sending WM_DESTROY to each; kills its timers,
// drops focus and capture held by it. When the last top-level window (other than
// message-only ones) goes, nothing is posted: the runtime decides about WM_QUIT.
bool DestroyWindow(HWND h);
bool IsWindow(HWND h);
HWND GetParent(HWND h);
HWND GetTopLevel(HWND h);
std::vector<HWND> GetChildren(HWND h);           // bottom of the z-order first
std::vector<HWND> GetTopLevelWindows();
int GetChildId(HWND h);
void SetWindowProc(HWND h, WndProc proc);
int64_t DefWindowProc(HWND h, uint32_t msg, uint64_t wParam, int64_t lParam);
// WM_CLOSE in DefWindowProc destroys the window.

// ---- placement and state ---------------------------------------------------------
bool ShowWindow(HWND h, bool show);          // never activates; returns previous visibility
bool IsWindowVisible(HWND h);                // itself and every ancestor visible
bool EnableWindow(HWND h, bool enable);      // sends WM_ENABLE; returns previous disabled state
bool IsWindowEnabled(HWND h);
uint32_t GetStyle(HWND h);
void SetStyle(HWND h, uint32_t style);       // frame/caption bits of a top-level window
// Moves and sizes in parent client coordinates (top level: screen coordinates of the
// client area). Sends WM_MOVE/WM_SIZE when they change; invalidates old and new places.
bool MoveWindow(HWND h, const Rect& r, bool repaint = true);
Rect GetWindowRect(HWND h);                  // screen coordinates
Rect GetClientRect(HWND h);                  // {0, 0, width, height}
Rect GetRectInParent(HWND h);                // parent client coordinates
Point ClientToScreen(HWND h, Point p);
Point ScreenToClient(HWND h, Point p);
// Z-order among siblings. insertAfter: HWND_TOP, HWND_BOTTOM or a sibling that the
// window is placed directly below (as the classic call does).
inline constexpr HWND HWND_TOP = 0;
inline constexpr HWND HWND_BOTTOM = 1;
void SetZOrder(HWND h, HWND insertAfter);
void SetWindowTitle(HWND h, const std::string& utf8);
std::string GetWindowTitle(HWND h);
Rect GetScreenRect();                        // the desktop work area (for centring)
// Deepest visible, enabled-or-not child under a point given in top-level client coords.
HWND WindowFromPoint(HWND topLevel, Point clientPoint);

// ---- focus and capture ------------------------------------------------------------
HWND SetFocus(HWND h);  // sends WM_KILLFOCUS / WM_SETFOCUS; returns the previous focus
HWND GetFocus();
HWND GetActiveWindow();
HWND SetCapture(HWND h);
bool ReleaseCapture();  // sends WM_CAPTURECHANGED to the old capture window
HWND GetCapture();
Point GetCursorPos();   // screen coordinates, as the host last reported the mouse

// ---- message queue -----------------------------------------------------------------
// PostMessage and PostQuitMessage may be called from any thread.
bool PostMessage(HWND h, uint32_t msg, uint64_t wParam, int64_t lParam);
void PostQuitMessage(int exitCode);
int64_t SendMessage(HWND h, uint32_t msg, uint64_t wParam, int64_t lParam);
// Blocks (letting the host wait for input or the next timer) until a message is there.
// Returns false when the message is WM_QUIT.
bool GetMessage(Message& out);
enum PeekFlags : uint32_t { PM_NOREMOVE = 0, PM_REMOVE = 1 };
bool PeekMessage(Message& out, uint32_t flags);
int64_t DispatchMessage(const Message& m);  // WM_TIMER with a callback calls it
// True when a posted or input message waits (not paint, not timers).
bool HasPendingInput();
// Input from a host, in top-level client coordinates. The queue routes it: keys to the
// focus window (else the active top-level window), mouse to the capture window or the
// window under the point.
void PostKeyInput(int vk, bool down);
void PostCharInput(uint32_t ch);
void PostMouseInput(HWND topLevel, uint32_t msg, Point clientPoint, int wheelDelta = 0);
void PostCloseRequest(HWND topLevel);

// ---- timers ------------------------------------------------------------------------
// A timer per (window, id). Expiries that fall while the thread is busy merge into one
// pending WM_TIMER (wParam = id); the next period is counted from the expiry.
bool SetTimer(HWND h, uint32_t id, uint32_t periodMs);
bool KillTimer(HWND h, uint32_t id);
// A clock that keeps its grid but need not wake when nothing is due. `nextDue(now)` is
// the earliest time at or after `now` at which a tick could do anything (nullopt:
// nothing until some message changes that); only ticks at or after it are delivered,
// on the same grid points as before. `skipped(time)` hears of every tick left out, at
// the time it would have run, for state a tick keeps even when it does nothing.
struct TimerSleep {
  using NextDue = std::function<std::optional<uint32_t>(uint32_t now)>;
  using Skipped = std::function<void(uint32_t time)>;
  NextDue nextDue;
  Skipped skipped;
};
// For an existing timer (SetTimer first); an empty TimerSleep makes it tick every period.
void SetTimerSleep(HWND h, uint32_t id, TimerSleep sleep);

// ---- key state ---------------------------------------------------------------------
// The state as the queue has seen it: updated when a key message is taken from the
// queue (GetMessage or PeekMessage with PM_REMOVE). Bit 0x8000 set while down.
int16_t GetKeyState(int vk);
// 1 Ctrl, 2 Shift, 4 Alt, from GetKeyState.
int GetModifiers();

// ---- painting ----------------------------------------------------------------------
void InvalidateRect(HWND h, const Rect* clientRect);  // nullptr: the whole client area
void ValidateRect(HWND h, const Rect* clientRect);
bool GetUpdateRect(HWND h, Rect* out);
void UpdateWindow(HWND h);                 // paints it now if it has an invalid part
// Paints every invalid window of every top-level window now (bottom-up).
void UpdateAllWindows();
struct PaintStruct {
  Rect rcPaint;  // client coordinates
};
// Gives a DC onto the window's place in its top-level frame, clipped to the update
// rectangle, and validates it. EndPaint releases the DC.
DC* BeginPaint(HWND h, PaintStruct* ps);
void EndPaint(HWND h, const PaintStruct* ps);
// A DC onto the window's client area outside WM_PAINT (clipped to the visible part).
DC* GetDC(HWND h);
void ReleaseDC(HWND h, DC* dc);
// The composed client-area frame of a top-level window (after UpdateAllWindows).
const Surface* GetWindowFrame(HWND topLevel);

// ---- run-loop plumbing used by the hosts ---------------------------------------------
// The earliest timer deadline, if any timer runs.
std::optional<uint32_t> NextTimerDeadline();
// Takes and dispatches messages, letting the host clock run (headless: jump), until
// the clock reaches `timeMs` and nothing is left to do at that time. Returns false
// when WM_QUIT was taken (it is not re-posted). Meant for tests and tools.
bool RunMessagesUntil(uint32_t timeMs);
// Lets the host clock run (headless: jump) until a message can be taken or the clock
// reaches `timeMs`; true when one can (GetMessage then returns it without waiting).
// For loops that run their own dispatch for a while: GetMessage alone may wait for as
// long as every timer sleeps.
bool WaitMessageUntil(uint32_t timeMs);

}  // namespace platform
