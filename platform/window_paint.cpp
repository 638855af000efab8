// Invalidation and painting. Every top-level window owns one client-sized frame; each
// window paints its own visible part of it, bottom-up, and the host shows the frame.
#include <algorithm>
#include <optional>

#include "platform/draw.h"
#include "platform/host.h"
#include "platform/present.h"
#include "platform/window_internal.h"

namespace platform {
namespace detail {

namespace {

// False only when no window has an invalid area, so the queue, which asks for the next
// window to paint whenever it looks for work, need not walk the trees to find none.
bool g_mayBeInvalid = false;

// Bounding boxes only: the union of two invalid areas may repaint a little more than
// needed, which costs time but never leaves stale pixels.
void AddInvalid(Window& w, const Rect& client) {
  Rect r = Intersect(client, Rect{0, 0, w.rect.Width(), w.rect.Height()});
  if (r.Empty()) return;
  w.invalid = w.invalid ? Union(*w.invalid, r) : r;
  g_mayBeInvalid = true;
}

uint32_t BackgroundPixel() { return ToPixel(GetSysColor(COLOR_BTNFACE)); }

bool g_paintingOwed = false;

// When a frame was first drawn on since the host last showed it; none while every frame
// is shown.
std::optional<uint32_t> g_unshownSince;
uint64_t g_framesPresented = 0;

void MarkFrameDrawn(Window& top) {
  if (!g_unshownSince && HostStarted()) g_unshownSince = GetHost().Now();
  top.frameDirty = true;
}

// Painting only fills frames, and what a procedure paints follows from the state it has
// when it paints; so while nobody reads a frame, the paint can wait and cover the union
// of the areas owed with the state of the moment the frame is read. The messages flow
// as before (a WM_PAINT is still taken and dispatched), only the drawing waits.
bool PaintDeferred() {
  return !g_paintingOwed && HostStarted() && GetHostOptions().deferPaint;
}

// Paints every area owed, before a frame is read.
void PaintOwed() {
  if (g_paintingOwed) return;
  bool any = false;
  for (auto& [h, w] : D().windows) {
    if (!w->owed) continue;
    w->invalid = w->invalid ? Union(*w->invalid, *w->owed) : *w->owed;
    w->owed.reset();
    any = true;
    g_mayBeInvalid = true;
  }
  if (!any) return;
  g_paintingOwed = true;
  UpdateAllWindows();
  g_paintingOwed = false;
}

}  // namespace

void InvalidateFrameArea(HWND topLevel, const Rect& frameRect, HWND from) {
  if (frameRect.Empty()) return;
  bool started = from == 0 || from == topLevel;
  for (HWND h : PaintOrder(topLevel)) {
    if (h == from) started = true;
    if (!started) continue;
    Rect visible = VisibleFrameRect(h);
    Rect hit = Intersect(visible, frameRect);
    if (hit.Empty()) continue;
    Point o = FrameOrigin(h);
    AddInvalid(*Find(h), hit.Offset(-o.x, -o.y));
  }
}

void SyncFrame(Window& w) {
  if (w.style & WS_MESSAGEONLY) return;
  int width = std::max(0, w.rect.Width()), height = std::max(0, w.rect.Height());
  if (!w.frame) w.frame = std::make_unique<Surface>();
  if (w.frame->Width() != width || w.frame->Height() != height)
    w.frame->Resize(width, height, BackgroundPixel());
}

bool PresentOverdue() {
  // A display refresh at 60 Hz.
  constexpr uint32_t kLongestUnshownMs = 16;
  return g_unshownSince && HostStarted() && GetHost().Now() - *g_unshownSince >= kLongestUnshownMs;
}

void PresentDirtyFrames() {
  if (!HostStarted()) return;
  g_unshownSince.reset();
  // Asked after every message; most of the time no frame has been drawn on.
  bool any = false;
  for (HWND h : D().topLevels) {
    const Window* w = Find(h);
    any = any || (w && w->frameDirty && w->frame);
  }
  if (!any) return;
  for (HWND h : std::vector<HWND>(D().topLevels)) {
    Window* w = Find(h);
    if (!w || !w->frameDirty || !w->frame) continue;
    w->frameDirty = false;
    std::vector<Rect> dirty = std::move(w->dirtyRects);
    w->dirtyRects.clear();
    if (!(w->style & WS_VISIBLE)) continue;
    GetHost().PresentRects(h, *w->frame, dirty);
    ++g_framesPresented;
  }
}

uint64_t FramesPresented() { return g_framesPresented; }

HWND NextWindowToPaint() {
  if (!g_mayBeInvalid) return 0;
  for (HWND top : D().topLevels) {
    for (HWND h : PaintOrder(top)) {
      Window* w = Find(h);
      if (!w->invalid) continue;
      if (VisibleFrameRect(h).Empty()) {
        // Hidden or clipped away: nothing of it can show, so nothing is owed.
        w->invalid.reset();
        continue;
      }
      return h;
    }
  }
  g_mayBeInvalid = false;
  return 0;
}

void PaintNow(HWND h) {
  Window* w = Find(h);
  if (!w) return;
  if (PaintDeferred()) {
    SendMessage(h, WM_PAINTDEFERRED, 0, 0);
    w = Find(h);
    if (!w) return;
    if (w->invalid) w->owed = w->owed ? Union(*w->owed, *w->invalid) : *w->invalid;
    w->invalid.reset();
    return;
  }
  w->beganPaint = false;
  SendMessage(h, WM_PAINT, 0, 0);
  w = Find(h);
  if (w && !w->beganPaint) w->invalid.reset();
}

}  // namespace detail

using namespace detail;

void InvalidateRect(HWND h, const Rect* clientRect) {
  Window* w = Find(h);
  if (!w) return;
  Rect visible = VisibleFrameRect(h);
  if (visible.Empty()) return;
  Point o = FrameOrigin(h);
  Rect area = clientRect ? Intersect(clientRect->Offset(o.x, o.y), visible) : visible;
  InvalidateFrameArea(GetTopLevel(h), area, h);
}

void ValidateRect(HWND h, const Rect* clientRect) {
  Window* w = Find(h);
  if (!w || !w->invalid) return;
  if (!clientRect) {
    w->invalid.reset();
    return;
  }
  // A bounding box can only shrink when the validated part covers whole edges of it.
  Rect inv = *w->invalid;
  Rect v = *clientRect;
  if (v.left <= inv.left && v.right >= inv.right) {
    if (v.top <= inv.top && v.bottom >= inv.bottom) {
      w->invalid.reset();
      return;
    }
    if (v.top <= inv.top && v.bottom > inv.top) inv.top = v.bottom;
    else if (v.bottom >= inv.bottom && v.top < inv.bottom) inv.bottom = v.top;
  } else if (v.top <= inv.top && v.bottom >= inv.bottom) {
    if (v.left <= inv.left && v.right > inv.left) inv.left = v.right;
    else if (v.right >= inv.right && v.left < inv.right) inv.right = v.left;
  }
  if (inv.Empty()) w->invalid.reset();
  else w->invalid = inv;
}

bool GetUpdateRect(HWND h, Rect* out) {
  Window* w = Find(h);
  bool has = w && w->invalid && !w->invalid->Empty();
  if (out) *out = has ? *w->invalid : Rect{};
  return has;
}

void UpdateWindow(HWND h) {
  Window* w = Find(h);
  if (!w || !w->invalid) return;
  if (VisibleFrameRect(h).Empty()) {
    w->invalid.reset();
    return;
  }
  PaintNow(h);
  PresentDirtyFrames();
}

void UpdateAllWindows() {
  // A procedure that invalidates itself while painting would never let this finish;
  // the cap turns that into one more pass later instead of a hang.
  for (int guard = 0; guard < 100000; ++guard) {
    HWND h = NextWindowToPaint();
    if (!h) break;
    PaintNow(h);
  }
  PresentDirtyFrames();
}

DC* BeginPaint(HWND h, PaintStruct* ps) {
  Window* w = Find(h);
  if (!w) return nullptr;
  Window* top = Find(GetTopLevel(h));
  w->beganPaint = true;
  Rect update = w->invalid.value_or(Rect{});
  w->invalid.reset();
  if (ps) ps->rcPaint = update;
  Point o = FrameOrigin(h);
  Rect clip = Intersect(update.Offset(o.x, o.y), VisibleFrameRect(h));
  if (top->frame) {
    MarkFrameDrawn(*top);
    AddDirtyRect(top->dirtyRects, clip);
    w->paintDC = std::make_unique<DC>(top->frame.get(), o, clip, CoveringSiblings(h));
  } else {
    // Message-only windows have no frame; give them a DC that draws nowhere.
    static Surface nothing;
    w->paintDC = std::make_unique<DC>(&nothing, o, Rect{});
  }
  return w->paintDC.get();
}

void EndPaint(HWND h, const PaintStruct*) {
  if (Window* w = Find(h)) w->paintDC.reset();
}

DC* GetDC(HWND h) {
  Window* w = Find(h);
  if (!w) return nullptr;
  Window* top = Find(GetTopLevel(h));
  Point o = FrameOrigin(h);
  if (!top->frame) {
    static Surface nothing;
    return new DC(&nothing, o, Rect{});
  }
  MarkFrameDrawn(*top);
  AddDirtyRect(top->dirtyRects, VisibleFrameRect(h));
  return new DC(top->frame.get(), o, VisibleFrameRect(h), CoveringSiblings(h));
}

void ReleaseDC(HWND, DC* dc) { delete dc; }

const Surface* GetWindowFrame(HWND topLevel) {
  Window* w = Find(topLevel);
  if (!w || w->parent) return nullptr;
  PaintOwed();
  w = Find(topLevel);  // a painting procedure may have destroyed it
  return w ? w->frame.get() : nullptr;
}

}  // namespace platform
