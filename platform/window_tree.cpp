// The window tree: creation and destruction, placement, z-order, visibility, enabling,
// focus and capture. Window procedures may re-enter any of these, so nothing here keeps
// a Window pointer across a call into a procedure.
#include <algorithm>

#include "platform/host.h"
#include "platform/window_internal.h"

namespace platform {
namespace detail {

Desktop& D() {
  static Desktop desktop;
  return desktop;
}

Window* Find(HWND h) {
  if (h == 0) return nullptr;
  auto it = D().windows.find(h);
  return it == D().windows.end() ? nullptr : it->second.get();
}

namespace {

void AppendPaintOrder(HWND h, std::vector<HWND>& out) {
  Window* w = Find(h);
  if (!w) return;
  out.push_back(h);
  for (HWND c : w->children) AppendPaintOrder(c, out);
}

bool IsTopLevelShown(const Window& w) {
  return !w.parent && (w.style & WS_VISIBLE) && !(w.style & WS_MESSAGEONLY);
}

void NotifyHost(HWND h) {
  Window* w = Find(h);
  if (w && w->parent) return;
  if (HostStarted()) GetHost().TopLevelChanged(h);
}

// The list a window sits in among its siblings.
std::vector<HWND>* SiblingList(const Window& w) {
  if (!w.parent) return &D().topLevels;
  Window* p = Find(w.parent);
  return p ? &p->children : nullptr;
}

// Keeps always-on-top top-level windows above the others.
void PlaceInList(std::vector<HWND>& list, HWND h, size_t index) {
  index = std::min(index, list.size());
  list.insert(list.begin() + ptrdiff_t(index), h);
  if (&list != &D().topLevels) return;
  std::stable_partition(list.begin(), list.end(), [](HWND x) {
    Window* w = Find(x);
    return !(w && (w->style & WS_EX_TOPMOST));
  });
}

bool IsInSubtree(HWND h, HWND root) {
  for (Window* w = Find(h); w; w = Find(w->parent))
    if (w->handle == root) return true;
  return false;
}

// Invalidates what a window covered in its parent before it moved, hid or went away.
void InvalidateOldPlace(HWND h) {
  Window* w = Find(h);
  if (!w || !w->parent) return;
  Rect area = VisibleFrameRect(h);
  if (area.Empty()) return;
  InvalidateFrameArea(GetTopLevel(h), area, w->parent);
}

void InvalidateWholeSubtree(HWND h) {
  Rect area = VisibleFrameRect(h);
  if (!area.Empty()) InvalidateFrameArea(GetTopLevel(h), area, h);
}

void DropFocusIfInside(HWND root) {
  if (D().focus && IsInSubtree(D().focus, root)) SetFocus(0);
}

void DestroyRecursive(HWND h) {
  Window* w = Find(h);
  if (!w || w->destroying) return;
  w->destroying = true;
  std::vector<HWND> children = w->children;
  for (auto it = children.rbegin(); it != children.rend(); ++it) DestroyRecursive(*it);
  if (D().capture == h) ReleaseCapture();
  if (D().focus == h) D().focus = 0;
  KillWindowTimers(h);
  SendMessage(h, WM_DESTROY, 0, 0);
  w = Find(h);
  if (!w) return;
  if (std::vector<HWND>* list = SiblingList(*w)) std::erase(*list, h);
  bool topLevel = w->parent == 0;
  if (D().active == h) D().active = 0;
  D().windows.erase(h);
  if (topLevel && HostStarted()) GetHost().TopLevelChanged(h);
}

}  // namespace

namespace {
// Reused by VisibleFrameRect, which calls nothing that could re-enter it.
std::vector<Window*> g_chain;
}  // namespace

std::vector<HWND> PaintOrder(HWND topLevel) {
  std::vector<HWND> out;
  AppendPaintOrder(topLevel, out);
  return out;
}

Point FrameOrigin(HWND h) {
  Point p;
  for (Window* w = Find(h); w && w->parent; w = Find(w->parent)) {
    p.x += w->rect.left;
    p.y += w->rect.top;
  }
  return p;
}

std::vector<Rect> CoveringSiblings(HWND h) {
  std::vector<Rect> holes;
  for (Window* w = Find(h); w && w->parent; w = Find(w->parent)) {
    if (!(w->style & WS_CLIPSIBLINGS)) continue;
    const std::vector<HWND>& siblings = Find(w->parent)->children;
    auto self = std::find(siblings.begin(), siblings.end(), w->handle);
    if (self == siblings.end()) continue;
    for (auto it = self + 1; it != siblings.end(); ++it) {
      const Rect r = VisibleFrameRect(*it);
      if (!r.Empty()) holes.push_back(r);
    }
  }
  return holes;
}

Rect VisibleFrameRect(HWND h) {
  // Invalidation asks this of every window in paint order, so the chain of ancestors
  // is walked once: first up, for visibility and the origins, then down, clipping.
  Window* w = Find(h);
  if (!w) return {};
  std::vector<Window*>& chain = g_chain;
  chain.clear();
  for (Window* a = w; a; a = Find(a->parent)) {
    if (!(a->style & WS_VISIBLE)) return {};
    chain.push_back(a);
  }
  // The top level is the frame's own space; each child sits at its rect's corner (as
  // does an orphan whose parent has gone, from where its chain ends).
  const Window* top = chain.back();
  Point o;
  if (top->parent) o = Point{top->rect.left, top->rect.top};
  Rect r{o.x, o.y, o.x + top->rect.Width(), o.y + top->rect.Height()};
  for (size_t i = chain.size() - 1; i-- > 0;) {
    o.x += chain[i]->rect.left;
    o.y += chain[i]->rect.top;
    r = Intersect(r, Rect{o.x, o.y, o.x + chain[i]->rect.Width(), o.y + chain[i]->rect.Height()});
    if (r.Empty()) return {};
  }
  return r.Empty() ? Rect{} : r;
}

void ResetDesktop() {
  // Tests start over without running procedures of windows that belong to finished tests.
  D().windows.clear();
  D().topLevels.clear();
  D().focus = D().active = D().capture = 0;
  D().cursor = {};
}

}  // namespace detail

using namespace detail;

HWND CreateWindow(const CreateWindowParams& p) {
  if (p.parent && !Find(p.parent)) return 0;
  if (p.rect.Width() < 0 || p.rect.Height() < 0) return 0;
  auto owned = std::make_unique<Window>();
  Window& w = *owned;
  w.handle = D().nextHandle++;
  w.parent = p.parent;
  w.title = p.title;
  w.rect = p.rect;
  w.style = p.style | (p.parent ? uint32_t(WS_CHILD) : 0u);
  w.childId = p.childId;
  w.proc = p.proc;
  HWND h = w.handle;
  D().windows.emplace(h, std::move(owned));
  // As on the desktop the forms come from: a child starts below its siblings, a
  // top-level window above the others.
  if (std::vector<HWND>* list = SiblingList(w)) PlaceInList(*list, h, p.parent ? 0 : list->size());
  if (!p.parent) SyncFrame(w);
  if (SendMessage(h, WM_CREATE, 0, 0) == -1) {
    DestroyWindow(h);
    return 0;
  }
  if (!IsWindow(h)) return 0;
  InvalidateWholeSubtree(h);
  NotifyHost(h);
  return h;
}

bool DestroyWindow(HWND h) {
  Window* w = Find(h);
  if (!w || w->destroying) return false;
  InvalidateOldPlace(h);
  DestroyRecursive(h);
  return true;
}

bool IsWindow(HWND h) {
  Window* w = Find(h);
  return w && !w->destroying;
}

HWND GetParent(HWND h) {
  Window* w = Find(h);
  return w ? w->parent : 0;
}

HWND GetTopLevel(HWND h) {
  Window* w = Find(h);
  while (w && w->parent) w = Find(w->parent);
  return w ? w->handle : 0;
}

std::vector<HWND> GetChildren(HWND h) {
  Window* w = Find(h);
  return w ? w->children : std::vector<HWND>{};
}

std::vector<HWND> GetTopLevelWindows() { return D().topLevels; }

int GetChildId(HWND h) {
  Window* w = Find(h);
  return w ? w->childId : 0;
}

void SetWindowProc(HWND h, WndProc proc) {
  if (Window* w = Find(h)) w->proc = std::move(proc);
}

int64_t DefWindowProc(HWND h, uint32_t msg, uint64_t, int64_t) {
  switch (msg) {
    case WM_CLOSE:
      DestroyWindow(h);
      return 0;
    case WM_PAINT: {
      PaintStruct ps;
      BeginPaint(h, &ps);
      EndPaint(h, &ps);
      return 0;
    }
    default:
      return 0;
  }
}

bool ShowWindow(HWND h, bool show) {
  Window* w = Find(h);
  if (!w) return false;
  bool was = (w->style & WS_VISIBLE) != 0;
  if (was == show) return was;
  if (!show) {
    InvalidateOldPlace(h);
    DropFocusIfInside(h);
  }
  if (show) {
    w->style |= WS_VISIBLE;
  } else {
    w->style &= ~uint32_t(WS_VISIBLE);
  }
  SendMessage(h, WM_SHOWWINDOW, show ? 1 : 0, 0);
  if (show) InvalidateWholeSubtree(h);
  NotifyHost(h);
  return was;
}

bool IsWindowVisible(HWND h) {
  for (Window* w = Find(h); w; w = Find(w->parent))
    if (!(w->style & WS_VISIBLE)) return false;
  return Find(h) != nullptr;
}

bool EnableWindow(HWND h, bool enable) {
  Window* w = Find(h);
  if (!w) return false;
  bool wasDisabled = (w->style & WS_DISABLED) != 0;
  if (wasDisabled != enable) return wasDisabled;
  if (enable) {
    w->style &= ~uint32_t(WS_DISABLED);
  } else {
    w->style |= WS_DISABLED;
    // A disabled window cannot keep the keyboard.
    DropFocusIfInside(h);
  }
  SendMessage(h, WM_ENABLE, enable ? 1 : 0, 0);
  return wasDisabled;
}

bool IsWindowEnabled(HWND h) {
  Window* w = Find(h);
  return w && !(w->style & WS_DISABLED);
}

uint32_t GetStyle(HWND h) {
  Window* w = Find(h);
  return w ? w->style : 0;
}

void SetStyle(HWND h, uint32_t style) {
  Window* w = Find(h);
  if (!w) return;
  // Visibility and enabling have their own calls with their own messages.
  const uint32_t kept = WS_VISIBLE | WS_DISABLED | WS_CHILD;
  w->style = (w->style & kept) | (style & ~kept);
  NotifyHost(h);
}

bool MoveWindow(HWND h, const Rect& r, bool repaint) {
  Window* w = Find(h);
  if (!w || r.Width() < 0 || r.Height() < 0) return false;
  Rect old = w->rect;
  if (old == r) return true;
  if (repaint) InvalidateOldPlace(h);
  w->rect = r;
  bool moved = old.left != r.left || old.top != r.top;
  bool sized = old.Width() != r.Width() || old.Height() != r.Height();
  if (!w->parent && sized) SyncFrame(*w);
  if (moved) SendMessage(h, WM_MOVE, 0, MakeLParam(r.left, r.top));
  if (sized) SendMessage(h, WM_SIZE, 0, MakeLParam(r.Width(), r.Height()));
  if (!IsWindow(h)) return true;
  if (repaint || (!Find(h)->parent && sized)) InvalidateWholeSubtree(h);
  if (!Find(h)->parent) NotifyHost(h);
  return true;
}

Rect GetWindowRect(HWND h) {
  Window* w = Find(h);
  if (!w) return {};
  Point o = ClientToScreen(h, {0, 0});
  return {o.x, o.y, o.x + w->rect.Width(), o.y + w->rect.Height()};
}

Rect GetClientRect(HWND h) {
  Window* w = Find(h);
  return w ? Rect{0, 0, w->rect.Width(), w->rect.Height()} : Rect{};
}

Rect GetRectInParent(HWND h) {
  Window* w = Find(h);
  return w ? w->rect : Rect{};
}

Point ClientToScreen(HWND h, Point p) {
  for (Window* w = Find(h); w; w = Find(w->parent)) {
    p.x += w->rect.left;
    p.y += w->rect.top;
  }
  return p;
}

Point ScreenToClient(HWND h, Point p) {
  Point o = ClientToScreen(h, {0, 0});
  return {p.x - o.x, p.y - o.y};
}

void SetZOrder(HWND h, HWND insertAfter) {
  Window* w = Find(h);
  if (!w || insertAfter == h) return;
  std::vector<HWND>* list = SiblingList(*w);
  if (!list) return;
  size_t index;
  if (insertAfter == HWND_TOP) {
    index = list->size() - 1;
  } else if (insertAfter == HWND_BOTTOM) {
    index = 0;
  } else {
    auto it = std::find(list->begin(), list->end(), insertAfter);
    if (it == list->end()) return;
    // Directly below the given sibling.
    index = size_t(it - list->begin());
    if (index > size_t(std::find(list->begin(), list->end(), h) - list->begin())) --index;
  }
  std::erase(*list, h);
  PlaceInList(*list, h, index);
  InvalidateWholeSubtree(h);
  if (w->parent) {
    // Whatever it used to cover may now show through.
    Rect area = VisibleFrameRect(h);
    if (!area.Empty()) InvalidateFrameArea(GetTopLevel(h), area, w->parent);
  }
}

void SetWindowTitle(HWND h, const std::string& utf8) {
  Window* w = Find(h);
  if (!w) return;
  w->title = utf8;
  NotifyHost(h);
}

std::string GetWindowTitle(HWND h) {
  Window* w = Find(h);
  return w ? w->title : std::string();
}

Rect GetScreenRect() {
  if (HostStarted()) return GetHost().ScreenRect();
  return {0, 0, 1920, 1080};
}

HWND WindowFromPoint(HWND topLevel, Point p) {
  Window* w = Find(topLevel);
  if (!w || !(w->style & WS_VISIBLE) || !GetClientRect(topLevel).Contains(p)) return 0;
  HWND found = topLevel;
  for (;;) {
    Window* cur = Find(found);
    HWND next = 0;
    for (auto it = cur->children.rbegin(); it != cur->children.rend(); ++it) {
      Window* c = Find(*it);
      if (c && (c->style & WS_VISIBLE) && c->rect.Contains(p)) {
        next = *it;
        p = {p.x - c->rect.left, p.y - c->rect.top};
        break;
      }
    }
    if (!next) return found;
    found = next;
  }
}

HWND SetFocus(HWND h) {
  HWND old = D().focus;
  if (h && !IsWindow(h)) return old;
  if (h == old) return old;
  D().focus = h;
  if (h) D().active = GetTopLevel(h);
  if (old && IsWindow(old)) SendMessage(old, WM_KILLFOCUS, h, 0);
  // The procedure of the old window may have moved the focus elsewhere already.
  if (h && D().focus == h && IsWindow(h)) SendMessage(h, WM_SETFOCUS, old, 0);
  return old;
}

HWND GetFocus() { return IsWindow(D().focus) ? D().focus : 0; }

HWND GetActiveWindow() {
  Window* a = Find(D().active);
  if (a && IsTopLevelShown(*a)) return a->handle;
  for (auto it = D().topLevels.rbegin(); it != D().topLevels.rend(); ++it) {
    Window* w = Find(*it);
    if (w && IsTopLevelShown(*w)) return *it;
  }
  return 0;
}

HWND SetCapture(HWND h) {
  HWND old = D().capture;
  if (!IsWindow(h) || h == old) return old;
  D().capture = h;
  if (old && IsWindow(old)) SendMessage(old, WM_CAPTURECHANGED, 0, int64_t(h));
  return old;
}

bool ReleaseCapture() {
  HWND old = D().capture;
  if (!old) return false;
  D().capture = 0;
  if (IsWindow(old) || (Find(old) && Find(old)->destroying))
    SendMessage(old, WM_CAPTURECHANGED, 0, 0);
  return true;
}

HWND GetCapture() { return IsWindow(D().capture) ? D().capture : 0; }

Point GetCursorPos() { return D().cursor; }

}  // namespace platform
