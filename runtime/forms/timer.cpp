#include "runtime/forms/timer.h"

#include "platform/text.h"
#include "platform/window.h"
#include "platform/byte_reader.h"
#include "runtime/forms/runtime.h"

namespace rt {

namespace {

class TimerUnit : public Component {
 public:
  TimerUnit(const CreateInfo& ci, int32_t interval)
      : windowId_(ci.windowId), componentId_(ci.componentId), interval_(interval) {}
  ~TimerUnit() override {
    if (hwnd_ && platform::IsWindow(hwnd_)) {
      platform::KillTimer(hwnd_, kTimerId);
      platform::DestroyWindow(hwnd_);
    }
  }

  bool Create(const CreateInfo& ci) {
    platform::CreateWindowParams p;
    p.parent = ci.parent;
    p.rect = ci.rect;
    p.style = platform::WS_CHILD;  // never visible, whatever the stored flags say
    p.childId = ci.childNumber;
    p.proc = [this](platform::HWND h, uint32_t msg, uint64_t wParam, int64_t lParam) {
      return Proc(h, msg, wParam, lParam);
    };
    hwnd_ = platform::CreateWindow(p);
    if (!hwnd_) return false;
    Start();
    return true;
  }

  platform::HWND Hwnd() const override { return hwnd_; }

  PropValue ReadProperty(int ownIndex) override {
    PropValue v;
    if (ownIndex == 0) v.i = interval_;
    return v;
  }

  bool WriteProperty(int ownIndex, const PropValue& v) override {
    if (ownIndex != 0) return false;
    int32_t interval = v.i < 0 ? 0 : int32_t(std::min<int64_t>(v.i, INT32_MAX));
    if (interval == interval_) return false;  // the running period is not restarted
    if (platform::IsWindow(hwnd_)) platform::KillTimer(hwnd_, kTimerId);
    interval_ = interval;
    Start();
    return false;
  }

 private:
  void Start() {
    if (interval_ > 0 && platform::IsWindow(hwnd_))
      platform::SetTimer(hwnd_, kTimerId, uint32_t(interval_));
  }

  int64_t Proc(platform::HWND h, uint32_t msg, uint64_t wParam, int64_t lParam) {
    if (msg == platform::WM_TIMER && wParam == kTimerId) {
      // The tick may close the window and with it this timer: nothing of `this` is
      // used after the event.
      EventRecord ev;
      ev.windowId = windowId_;
      ev.componentId = componentId_;
      ev.eventIndex = kTimerTick;
      RaiseEvent(ev);
      return 0;
    }
    return platform::DefWindowProc(h, msg, wParam, lParam);
  }

  uint32_t windowId_, componentId_;
  int32_t interval_ = 0;
  platform::HWND hwnd_ = 0;
};

std::unique_ptr<Component> CreateTimer(const CreateInfo& ci) {
  int32_t interval = 0;
  if (!ci.ownBlock.empty()) {
    platform::ByteReader r(ci.ownBlock);
    uint32_t version = r.U32Le();
    if (!r.Ok() || version > 1) return nullptr;
    int32_t stored = r.I32Le();
    if (r.Ok() && stored > 0) interval = stored;
  }
  auto timer = std::make_unique<TimerUnit>(ci, interval);
  if (!timer->Create(ci)) return nullptr;
  return timer;
}

}  // namespace

UnitType TimerUnitType() {
  UnitType t;
  t.displayName = platform::gbk("时钟");
  t.englishName = "Timer";
  t.typeCode = kTimerTypeCode;
  t.flags = kUnitRaisesEvents | kUnitIsWindowComponent | kUnitInvisibleAtRunTime;
  t.properties = PropertyTable({kPropInt});
  t.create = CreateTimer;
  return t;
}

}  // namespace rt
