// Window timers. A timer keeps its own grid of expiries (start + n * period): a late
// check does not shift later ticks, and expiries that pass while a tick is still
// pending merge into that one tick.
#include <algorithm>
#include <vector>

#include "platform/host.h"
#include "platform/window_internal.h"

namespace platform {
namespace detail {

namespace {

struct Timer {
  HWND hwnd = 0;
  uint32_t id = 0;
  uint32_t period = 1;
  uint64_t due = 0;       // next expiry
  bool pending = false;   // a WM_TIMER waits to be taken
  uint64_t expiry = 0;    // when the pending tick expired
  uint64_t seq = 0;       // creation order, for ticks that expire together
};

std::vector<Timer>& Timers() {
  static std::vector<Timer> timers;
  return timers;
}
uint64_t g_nextSeq = 0;

uint64_t Now() { return GetHost().Now(); }

void AdvancePast(Timer& t, uint64_t now) {
  if (t.due <= now) t.due += uint64_t(t.period) * ((now - t.due) / t.period + 1);
}

void CheckExpiries(uint64_t now) {
  for (Timer& t : Timers()) {
    if (t.due > now) continue;
    if (!t.pending) {
      t.pending = true;
      t.expiry = t.due;
    }
    AdvancePast(t, now);
  }
}

}  // namespace

void ResetTimers() { Timers().clear(); }

void KillWindowTimers(HWND h) {
  std::erase_if(Timers(), [h](const Timer& t) { return t.hwnd == h; });
}

// Of the pending ticks, the one that expired first is delivered first; ticks that expired
// at the same moment go in the order their timers were created (setting an existing
// timer again keeps its place). Game timers that share a period then always run in the
// order the game started them, on every run and with either host.
bool TakeTimerMessage(Message& out, bool remove) {
  uint64_t now = Now();
  CheckExpiries(now);
  Timer* best = nullptr;
  for (Timer& t : Timers()) {
    if (!t.pending) continue;
    if (!best || t.expiry < best->expiry || (t.expiry == best->expiry && t.seq < best->seq))
      best = &t;
  }
  if (!best) return false;
  out = Message{best->hwnd, WM_TIMER, best->id, 0, uint32_t(now)};
  if (remove) best->pending = false;
  return true;
}

std::optional<uint32_t> NextTimerDue() {
  std::optional<uint64_t> next;
  for (const Timer& t : Timers()) {
    uint64_t when = t.pending ? 0 : t.due;
    if (!next || when < *next) next = when;
  }
  if (!next) return std::nullopt;
  return uint32_t(*next);
}

}  // namespace detail

using namespace detail;

bool SetTimer(HWND h, uint32_t id, uint32_t periodMs) {
  if (!IsWindow(h)) return false;
  // A zero period would make the queue spin; one millisecond is the finest the clocks tell.
  uint32_t period = std::max<uint32_t>(periodMs, 1);
  uint64_t now = Now();
  for (Timer& t : Timers()) {
    if (t.hwnd == h && t.id == id) {
      // Replacing restarts the period; a tick already waiting stays.
      t.period = period;
      t.due = now + period;
      return true;
    }
  }
  Timer t;
  t.hwnd = h;
  t.id = id;
  t.period = period;
  t.due = now + period;
  t.seq = g_nextSeq++;
  Timers().push_back(t);
  return true;
}

bool KillTimer(HWND h, uint32_t id) {
  return std::erase_if(Timers(), [&](const Timer& t) { return t.hwnd == h && t.id == id; }) > 0;
}

std::optional<uint32_t> NextTimerDeadline() { return NextTimerDue(); }

}  // namespace platform
