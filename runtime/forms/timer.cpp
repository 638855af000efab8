#include "runtime/forms/timer.h"

#include <algorithm>

#include "platform/text.h"
#include "platform/window.h"
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

  void SleepWhile(std::function<bool()> nothingToDo) {
    nothingToDo_ = std::move(nothingToDo);
    ApplySleep();
  }

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
    if (interval_ > 0 && platform::IsWindow(hwnd_)) {
      platform::SetTimer(hwnd_, kTimerId, uint32_t(interval_));
      ApplySleep();
    }
  }

  // The desktop timer leaves out the grid points at which the handler would do nothing.
  // Once the program is ending no event is raised any more, and the handler's state may
  // already be gone: then every tick is let through unasked.
  void ApplySleep() {
    if (!platform::IsWindow(hwnd_)) return;
    platform::TimerSleep sleep;
    if (nothingToDo_) {
      sleep.nextDue = [this](uint32_t now) -> std::optional<uint32_t> {
        if (ExitCounter() == 0 && nothingToDo_()) return std::nullopt;
        return now;
      };
    }
    platform::SetTimerSleep(hwnd_, kTimerId, std::move(sleep));
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
  std::function<bool()> nothingToDo_;
};

std::unique_ptr<Component> CreateTimer(const CreateInfo& ci) {
  auto settings = TimerFields().ReadSettings(ci.ownBlock);
  if (!settings) return nullptr;
  auto timer = std::make_unique<TimerUnit>(ci, std::max(settings->interval, 0));
  if (!timer->Create(ci)) return nullptr;
  return timer;
}

}  // namespace

void SetTimerSleepWhile(uint32_t windowId, uint32_t componentId, std::function<bool()> nothingToDo) {
  if (auto* timer = dynamic_cast<TimerUnit*>(FindComponent(windowId, componentId)))
    timer->SleepWhile(std::move(nothingToDo));
}

const FieldTable<TimerSettings>& TimerFields() {
  static const FieldTable<TimerSettings> table(
      {"Timer", kTimerTypeCode, 1, 0, CutShort::KeepsWhatWasRead},
      {{"Interval", FieldKind::Int, kTimerInterval - 8, kPropInt, &TimerSettings::interval}},
      {{"Tick", kTimerTick}});
  return table;
}

UnitType TimerUnitType() {
  UnitType t = UnitTypeOf(TimerFields().Facts());
  t.displayName = platform::gbk("时钟");
  t.flags = kUnitRaisesEvents | kUnitIsWindowComponent | kUnitInvisibleAtRunTime;
  t.create = CreateTimer;
  return t;
}

}  // namespace rt
