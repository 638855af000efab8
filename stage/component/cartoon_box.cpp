// CartoonBox: creation and teardown, properties, the window procedure, painting, the
// model's events and the mouse events.
#include "stage/component/cartoon_box.h"

#include <algorithm>
#include <limits>
#include <map>

#include "platform/process.h"
#include "platform/window.h"
#include "runtime/forms/font_value.h"
#include "runtime/sound/sound.h"
#include "stage/component/cartoon_object.h"
#include "stage/pictures/blit.h"

namespace stage {

namespace {

constexpr uint32_t kClockTimerId = 1;
constexpr uint32_t kClockPeriodMs = 5;

std::map<std::pair<uint32_t, uint32_t>, CartoonBox*>& Registry() {
  static std::map<std::pair<uint32_t, uint32_t>, CartoonBox*> r;
  return r;
}

CartoonBox::EventSink& Sink() {
  static CartoonBox::EventSink sink;
  return sink;
}

}  // namespace

// ---- creation and teardown ----------------------------------------------------------

CartoonBox* CartoonBox::Find(uint32_t windowId, uint32_t componentId) {
  auto it = Registry().find({windowId, componentId});
  return it == Registry().end() ? nullptr : it->second;
}

void CartoonBox::SetEventSink(EventSink sink) { Sink() = std::move(sink); }

std::unique_ptr<CartoonBox> CartoonBox::Create(const rt::CreateInfo& info) {
  auto settings = ParseStageBlock(info.ownBlock);
  if (!settings) return nullptr;
  std::unique_ptr<CartoonBox> box(new CartoonBox());
  box->s_ = std::move(*settings);
  box->windowId_ = info.windowId;
  box->componentId_ = info.componentId;

  platform::CreateWindowParams p;
  p.parent = info.parent;
  p.rect = info.rect;
  p.childId = info.childNumber;
  // The stage repaints from its clock whatever moved; clipping siblings keeps that from
  // ever painting over the components stacked above it (the link and the help label).
  p.style = (info.parent ? platform::WS_CHILD | platform::WS_CLIPSIBLINGS : 0u) |
            ((info.flags & 1) ? platform::WS_VISIBLE : 0u) |
            ((info.flags & 2) ? platform::WS_DISABLED : 0u) |
            ((info.flags & 4) ? platform::WS_TABSTOP : 0u);
  CartoonBox* self = box.get();
  p.proc = [self, alive = box->alive_](platform::HWND h, uint32_t m, uint64_t wp, int64_t lp) {
    if (!*alive) return platform::DefWindowProc(h, m, wp, lp);
    return self->Proc(h, m, wp, lp);
  };
  box->hwnd_ = platform::CreateWindow(p);
  if (!box->hwnd_) return nullptr;
  const platform::Rect client = platform::GetClientRect(box->hwnd_);
  box->model_.SetSize(client.Width(), client.Height());

  box->font_ = platform::CreateFont(platform::LogFontOrDefault(box->s_.font));
  box->ApplyBorderStyle();
  box->BuildSurface();
  platform::SetTimer(box->hwnd_, kClockTimerId, kClockPeriodMs);
  platform::TimerSleep sleep;
  sleep.nextDue = [self, alive = box->alive_](uint32_t now) -> std::optional<uint32_t> {
    if (!*alive) return std::nullopt;
    return self->NextDue(now);
  };
  sleep.skipped = &CartoonBox::StepSkipped;
  platform::SetTimerSleep(box->hwnd_, kClockTimerId, std::move(sleep));
  Registry()[{info.windowId, info.componentId}] = box.get();
  return box;
}

CartoonBox::~CartoonBox() {
  *alive_ = false;
  auto it = Registry().find({windowId_, componentId_});
  if (it != Registry().end() && it->second == this) Registry().erase(it);
  if (hwnd_ && platform::IsWindow(hwnd_)) {
    platform::SetWindowProc(hwnd_, {});
    platform::DestroyWindow(hwnd_);
  }
}

void CartoonBox::Teardown() {
  // The window is going: objects leave without events or sounds.
  windowGone_ = true;
  model_.Clear();
  watched_.clear();
  surfaceDc_.reset();
  hoverId_ = pressedId_ = 0;
}

int CartoonBox::CreateObject(const CartoonObject* tmpl, double x, double y, bool visible,
                             const std::string& tag) {
  if (!tmpl) return model_.CreateObject(nullptr, x, y, visible, tag);
  const ObjectTemplate t = tmpl->AsObjectTemplate();
  return model_.CreateObject(&t, x, y, visible, tag);
}

// ---- the model's events, clock and sounds -----------------------------------------------

uint32_t CartoonBox::Now() { return platform::GetTickCount(); }

void CartoonBox::PlaySound(const BytesPtr& sound) { rt::PlaySoundData(*sound, 0); }

MoveResult CartoonBox::Raise(StageEvent slot, std::span<const int32_t> args, int64_t* result,
                             bool* resultPresent) {
  rt::EventRecord ev;
  ev.windowId = windowId_;
  ev.componentId = componentId_;
  ev.eventIndex = slot;
  for (int32_t a : args) {
    if (ev.argCount < 5) ev.args[ev.argCount++] = a;
  }
  const std::shared_ptr<bool> alive = alive_;
  if (Sink()) {
    Sink()(ev);
  } else {
    rt::RaiseEvent(ev);
  }
  // The handler may have closed the form: `this` must not be touched unless alive.
  if (!*alive || windowGone_) return kStageGone;
  if (result) *result = ev.result;
  if (resultPresent) *resultPresent = ev.resultPresent != 0;
  return kGoOn;
}

// ---- properties -------------------------------------------------------------------------

rt::PropValue CartoonBox::ReadProperty(int i) {
  rt::PropValue v;
  switch (i) {
    case kStBorder: v.i = s_.border; break;
    case kStBackColor: v.i = s_.backColor; break;
    case kStPic: v.bytes = s_.pic; break;
    case kStPicDrawMode: v.i = s_.picDrawMode; break;
    case kStPenStyle: v.i = s_.penStyle; break;
    case kStDrawRop2: v.i = s_.drawRop2; break;
    case kStPenWidth: v.i = s_.penWidth; break;
    case kStPenColor: v.i = s_.penColor; break;
    case kStBrushStyle: v.i = s_.brushStyle; break;
    case kStBrushColor: v.i = s_.brushColor; break;
    case kStTextColor: v.i = s_.textColor; break;
    case kStTextBackColor: v.i = s_.textBackColor; break;
    case kStFont: {
      v.font = rt::FontFromLogFont(platform::LogFontOrDefault(s_.font));
      v.hasFont = true;
      break;
    }
    default: break;
  }
  return v;
}

bool CartoonBox::WriteProperty(int i, const rt::PropValue& v) {
  const int n = int(std::clamp<int64_t>(v.i, std::numeric_limits<int>::min(),
                                         std::numeric_limits<int>::max()));
  bool rebuild = false;
  switch (i) {
    case kStBorder: s_.border = n; break;
    case kStBackColor: s_.backColor = uint32_t(v.i); rebuild = true; break;
    case kStPic: s_.pic = v.bytes; rebuild = true; break;
    case kStPicDrawMode: s_.picDrawMode = n; rebuild = true; break;
    case kStPenStyle: s_.penStyle = n; break;
    case kStDrawRop2: s_.drawRop2 = n; break;
    case kStPenWidth: s_.penWidth = n; break;
    case kStPenColor: s_.penColor = uint32_t(v.i); break;
    case kStBrushStyle: s_.brushStyle = n; break;
    case kStBrushColor: s_.brushColor = uint32_t(v.i); break;
    case kStTextColor: s_.textColor = uint32_t(v.i); break;
    case kStTextBackColor: s_.textBackColor = uint32_t(v.i); break;
    case kStFont: {
      s_.font = v.hasFont ? platform::LogFontToBytes(rt::LogFontFromFont(v.font))
                          : std::vector<uint8_t>{};
      font_ = platform::CreateFont(platform::LogFontOrDefault(s_.font));
      if (surfaceDc_) surfaceDc_->SelectFont(font_);
      break;
    }
    default: return false;
  }
  ClampStageSettings(s_);
  if (i == kStBorder) ApplyBorderStyle();
  if (rebuild) {
    BuildSurface();
    InvalidateRect({0, 0, ClientWidth(), ClientHeight()});
  }
  return false;
}

void CartoonBox::ApplyBorderStyle() {
  if (!platform::IsWindow(hwnd_)) return;
  using namespace platform;
  constexpr uint32_t kFrameBits = WS_EX_CLIENTEDGE | WS_DLGFRAME | WS_EX_STATICEDGE | WS_BORDER;
  static constexpr uint32_t kStyles[6] = {0, WS_EX_CLIENTEDGE, WS_DLGFRAME, WS_EX_STATICEDGE,
                                          WS_DLGFRAME | WS_EX_CLIENTEDGE, WS_BORDER};
  const uint32_t style = (GetStyle(hwnd_) & ~kFrameBits) | kStyles[std::clamp(s_.border, 0, 5)];
  if (style != GetStyle(hwnd_)) SetStyle(hwnd_, style);
}

// ---- window procedure and painting ----------------------------------------------------------

int64_t CartoonBox::Proc(platform::HWND h, uint32_t msg, uint64_t wp, int64_t lp) {
  using namespace platform;
  switch (msg) {
    case WM_PAINT:
      Paint();
      return 0;
    case WM_PAINTDEFERRED: {
      // A paint after a resize rebuilds the drawing surface (and puts the text cursor
      // home); that must happen when the paint is taken even if the drawing waits.
      Rect update;
      GetUpdateRect(h, &update);
      if (!Intersect(update, {0, 0, ClientWidth(), ClientHeight()}).Empty()) SyncSurfaceSize();
      return 0;
    }
    case WM_TIMER:
      if (wp == kClockTimerId) {
        StageTick();
        return 0;
      }
      break;
    case WM_DESTROY:
      Teardown();
      break;
    case WM_SIZE: {
      const Rect client = GetClientRect(h);
      model_.SetSize(client.Width(), client.Height());
      break;
    }
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
      OnMouse(msg, {LParamX(lp), LParamY(lp)});
      return 0;
    default:
      break;
  }
  return DefWindowProc(h, msg, wp, lp);
}

void CartoonBox::InvalidateRect(const platform::Rect& r) {
  if (r.Empty() || windowGone_) return;
  platform::InvalidateRect(hwnd_, &r);
}

void CartoonBox::Compose(const platform::Rect& clip, platform::Surface& out,
                         std::optional<uint32_t> background) {
  SyncSurfaceSize();
  const platform::Rect src = platform::Intersect(clip, surface_.Bounds());
  // The drawing surface covers the area (as it does for every paint): nothing to fill.
  if (!background && src == clip) out.Reshape(clip.Width(), clip.Height());
  else
    out.Resize(clip.Width(), clip.Height(),
               background ? platform::ToPixel(*background) : 0xFF000000u);
  const platform::Point origin{clip.left, clip.top};
  if (!background) {
    for (int y = src.top; y < src.bottom; ++y)
      std::copy_n(surface_.Row(y) + src.left, src.Width(),
                  out.Row(y - clip.top) + (src.left - clip.left));
  }
  for (const auto& o : model_.Objects()) {
    if (!o->visible || !o->HasPicture()) continue;
    BlendSprite(out, origin, *o->rendered, o->frameIndex, o->IntX(), o->IntY(), o->alpha);
  }
}

void CartoonBox::SyncSurfaceSize() {
  if (surface_.Width() != ClientWidth() || surface_.Height() != ClientHeight()) BuildSurface();
}

void CartoonBox::Paint() {
  platform::PaintStruct ps;
  platform::DC* dc = platform::BeginPaint(hwnd_, &ps);
  const platform::Rect clip =
      platform::Intersect(ps.rcPaint, {0, 0, ClientWidth(), ClientHeight()});
  if (dc && !clip.Empty()) {
    Compose(clip, paintBuffer_);
    dc->BitBlt(clip.left, clip.top, clip.Width(), clip.Height(), paintBuffer_, 0, 0);
  }
  platform::EndPaint(hwnd_, &ps);
}

// ---- mouse ----------------------------------------------------------------------------------

MoveResult CartoonBox::MouseLeft() {
  const int old = hoverId_;
  hoverId_ = 0;
  tracking_ = false;
  if (old <= 0) return kGoOn;
  return Raise(kObjectLeave, ObjectPressEvent{old, pressedId_});
}

void CartoonBox::OnMouse(uint32_t msg, platform::Point p) {
  using namespace platform;
  const int under = model_.ObjectAt(p);
  switch (msg) {
    case WM_MOUSEMOVE: {
      if (under != hoverId_) {
        const int old = hoverId_;
        hoverId_ = under;
        tracking_ = under > 0;
        if (old > 0 && Raise(kObjectLeave, ObjectPressEvent{old, pressedId_}) == kStageGone) return;
        if (under > 0 && Raise(kObjectEnter, ObjectPressEvent{under, pressedId_}) == kStageGone) return;
      }
      Raise(kStageMouseMove, StageMouseMoveEvent{p.x, p.y, pressedId_});
      return;
    }
    case WM_LBUTTONDOWN:
      pressedId_ = under > 0 ? under : -1;
      Raise(kObjectLeftDown, ObjectEvent{under});
      return;
    case WM_LBUTTONUP: {
      const int pressed = pressedId_;
      if (Raise(kObjectLeftUp, ObjectPressEvent{under, pressed}) == kStageGone) return;
      pressedId_ = 0;
      return;
    }
    case WM_LBUTTONDBLCLK:
      pressedId_ = under > 0 ? under : -1;
      Raise(kObjectDoubleClick, ObjectEvent{under});
      return;
    case WM_RBUTTONDOWN:
      Raise(kObjectRightDown, ObjectEvent{under});
      return;
    case WM_RBUTTONUP:
      Raise(kObjectRightUp, ObjectEvent{under});
      return;
    default:
      return;
  }
}

}  // namespace stage
