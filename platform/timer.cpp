// Window timers. A timer keeps its own grid of expiries (start + n * period): a late
// check does not shift later ticks, and expiries that pass while a tick is still
// pending merge into that one tick.
//
// A sleeping timer (SetTimerSleep) leaves out the grid points at which its owner has
// nothing to do. Whether a tick would do nothing is decided from the owner's state, and
// the owner's state can change whenever our code runs: in a handler, or in whatever
// called the queue (a test that sets state and pumps again). So a decision is taken just
// before the queue waits and holds only for the grid points that pass during that wait,
// when nothing of ours runs; it ends as the wait ends, and every wait decides anew. A
// tick that falls due together with other work is decided when it would be delivered,
// after that work, exactly as the tick itself would have seen it.
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
  TimerSleep sleep;       // empty: ticks on every grid point
  uint64_t sleepUntil = 0;  // during a wait: grid points before this are left out (0: none)
};

// The longest a sleeping timer stays away, so a run whose only clock sleeps still has a
// deadline (the headless host ends a run that has none).
constexpr uint64_t kLongestSleepMs = 1000;

std::vector<Timer>& Timers() {
  static std::vector<Timer> timers;
  return timers;
}
uint64_t g_nextSeq = 0;

uint64_t Now() { return GetHost().Now(); }

void AdvancePast(Timer& t, uint64_t now) {
  if (t.due <= now) t.due += uint64_t(t.period) * ((now - t.due) / t.period + 1);
}

// The earliest expiry by `now` of a tick that will be delivered (and decided then): a
// sleeping timer's grid point after it is not left out by the decision, since that tick
// would have run after the other one, which may give it work.
uint64_t EarliestOtherExpiry(uint64_t now) {
  uint64_t earliest = UINT64_MAX;
  for (const Timer& t : Timers()) {
    // A sleeping timer's first delivered grid point is the one its decision wakes it on.
    const uint64_t first = t.pending ? t.expiry : std::max(t.due, t.sleepUntil);
    if (first <= now) earliest = std::min(earliest, first);
  }
  return earliest;
}

// Leaves out the grid points before `before` that the sleeping timers' decisions cover,
// telling their owners in time order (owners may share state across timers).
void SkipSleptTicks(uint64_t before) {
  const uint64_t limit = std::min(before, EarliestOtherExpiry(before));
  for (;;) {
    Timer* next = nullptr;
    for (Timer& t : Timers()) {
      if (t.sleepUntil == 0 || t.pending || t.due >= limit || t.due >= t.sleepUntil) continue;
      if (!next || t.due < next->due) next = &t;
    }
    if (!next) return;
    const uint64_t at = next->due;
    next->due += next->period;
    if (next->sleep.skipped) {
      TimerSleep::Skipped skipped = next->sleep.skipped;  // may reset the timers
      skipped(uint32_t(at));
    }
  }
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
  for (;;) {
    Timer* best = nullptr;
    for (Timer& t : Timers()) {
      if (!t.pending) continue;
      if (!best || t.expiry < best->expiry || (t.expiry == best->expiry && t.seq < best->seq))
        best = &t;
    }
    if (!best) return false;
    if (best->sleep.nextDue) {
      // Decided now, after whatever ran before it: a tick with nothing to do is left out
      // (taking it would have changed nothing either).
      const std::optional<uint32_t> due = best->sleep.nextDue(uint32_t(now));
      if (!due || *due != uint32_t(now)) {
        best->pending = false;
        if (best->sleep.skipped) {
          TimerSleep::Skipped skipped = best->sleep.skipped;
          skipped(uint32_t(now));
        }
        continue;
      }
    }
    out = Message{best->hwnd, WM_TIMER, best->id, 0, uint32_t(now)};
    if (remove) best->pending = false;
    return true;
  }
}

void EndTimerSleeps() {
  bool any = false;
  for (const Timer& t : Timers()) any = any || t.sleepUntil != 0;
  if (!any) return;
  // The decisions held for the wait that just ended; what follows is decided anew.
  SkipSleptTicks(Now());
  for (Timer& t : Timers()) t.sleepUntil = 0;
}

std::optional<uint32_t> NextTimerDue(bool decide) {
  const uint64_t now = Now();
  std::optional<uint64_t> next;
  for (Timer& t : Timers()) {
    uint64_t when = t.pending ? 0 : t.due;
    if (!t.pending && t.sleep.nextDue) {
      // The first grid point at or after the owner's next due time, within reach.
      const uint64_t from = std::max(t.due, now);
      const std::optional<uint32_t> due = t.sleep.nextDue(uint32_t(from));
      uint64_t wake = due ? from + uint32_t(*due - uint32_t(from)) : UINT64_MAX;
      wake = std::min(wake, t.due + kLongestSleepMs);
      if (wake > t.due) when = t.due + (wake - t.due + t.period - 1) / t.period * t.period;
      if (decide) t.sleepUntil = when;
    }
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
      t.sleepUntil = 0;
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

// Only a question: no decision outlives it.
std::optional<uint32_t> NextTimerDeadline() { return NextTimerDue(false); }

void SetTimerSleep(HWND h, uint32_t id, TimerSleep sleep) {
  for (Timer& t : Timers()) {
    if (t.hwnd == h && t.id == id) {
      t.sleep = std::move(sleep);
      t.sleepUntil = 0;
    }
  }
}

}  // namespace platform
