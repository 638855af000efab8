// Shared state of the emulated window system. Only the platform's own window, queue,
// timer, paint and host units include this; everything above uses window.h.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

#include "platform/draw.h"
#include "platform/host.h"
#include "platform/surface.h"
#include "platform/window.h"

namespace platform::detail {

struct Window {
  HWND handle = 0;
  HWND parent = 0;
  std::vector<HWND> children;  // bottom of the z-order first
  std::string title;
  Rect rect;                   // parent client coordinates (top level: screen)
  uint32_t style = 0;
  int childId = 0;
  WndProc proc;
  std::optional<Rect> invalid;  // client coordinates, bounding box of what needs paint
  std::optional<Rect> owed;     // client coordinates: painting deferred until the frame is read
  bool beganPaint = false;      // BeginPaint ran during the current WM_PAINT
  std::unique_ptr<DC> paintDC;  // from BeginPaint until EndPaint
  std::unique_ptr<Surface> frame;  // top-level windows only
  bool frameDirty = false;         // painted since last presented
  std::vector<Rect> dirtyRects;    // frame pixels painted since then (AddDirtyRect)
  bool destroying = false;
};

struct Desktop {
  std::unordered_map<HWND, std::unique_ptr<Window>> windows;
  std::vector<HWND> topLevels;  // bottom of the z-order first
  HWND nextHandle = 0x10010;
  HWND focus = 0;
  HWND active = 0;
  HWND capture = 0;
  Point cursor;
};

Desktop& D();
Window* Find(HWND h);

// Windows of one top-level tree in paint order: parent before children, lower siblings
// before higher ones.
std::vector<HWND> PaintOrder(HWND topLevel);
// The window's client area in its top-level frame, clipped by every ancestor; empty
// when it or an ancestor is hidden.
Rect VisibleFrameRect(HWND h);
// Client origin of a window inside its top-level frame.
Point FrameOrigin(HWND h);
// What a window may not draw over (top-level frame pixels): for the window and each
// ancestor that clips siblings, the visible siblings above it.
std::vector<Rect> CoveringSiblings(HWND h);
// Marks `frameRect` (top-level frame pixels) invalid in every visible window of the
// tree from `from` onwards in paint order.
void InvalidateFrameArea(HWND topLevel, const Rect& frameRect, HWND from);
// Creates, resizes or drops the frame of a top-level window to match its client size.
void SyncFrame(Window& w);
// Presents every frame painted since the last call.
void PresentDirtyFrames();
// True when a frame has been drawn on and kept from the host for a display refresh.
bool PresentOverdue();
// How many frames have been handed to the host so far.
uint64_t FramesPresented();
// Forgets timers of a window that is going away.
void KillWindowTimers(HWND h);
// Finds the first window (paint order, bottom top-level first) with something to paint.
HWND NextWindowToPaint();
// Sends WM_PAINT and validates when the procedure did not paint, so a procedure that
// ignores WM_PAINT cannot make the queue spin.
void PaintNow(HWND h);

// Queue internals shared with the host and the timer unit.
void ResetQueue();
void ResetTimers();
void ResetDesktop();
// Pending timer tick to deliver, if any expired (checks against the host clock).
bool TakeTimerMessage(Message& out, bool remove);
// The earliest timer deadline. With `decide`, taken just before the queue waits, the
// sleeping timers also decide which grid points they leave out during that wait;
// EndTimerSleeps, as soon as the wait ends, applies and ends those decisions.
std::optional<uint32_t> NextTimerDue(bool decide);
void EndTimerSleeps();

// Scheduled items of the command line (script keys, screenshots, run-for): run those
// that are due; the earliest one still ahead.
void RunDueSchedule();
std::optional<uint32_t> NextScheduleDue();
void ResetSchedule(const HostOptions& options);
// True once after a termination signal (EndOnSignals) asked the program to end.
bool TakeSignalledEnd();

}  // namespace platform::detail
