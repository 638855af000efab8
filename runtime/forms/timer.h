// The `Timer` component: a hidden child window that raises `Tick`.
#pragma once
#include <functional>
#include <memory>

#include "runtime/forms/component.h"
#include "runtime/forms/stored_fields.h"

namespace rt {

inline constexpr uint32_t kTimerTypeCode = 0x10020;
inline constexpr uint32_t kTimerId = 1000;  // the desktop timer behind every Timer
inline constexpr int32_t kTimerTick = 0;    // own event `Tick`
// Property `Interval` (ms): writing it starts, restarts (greater than 0) or stops the timer.
inline constexpr int kTimerInterval = 8;

struct TimerSettings {
  int32_t interval = 0;  // ms; 0 or less: stopped
};
// The own block's one field, version 1, and the kind's type code and event.
const FieldTable<TimerSettings>& TimerFields();

UnitType TimerUnitType();

// Tells the runtime when the timer's handler has nothing to do: while `nothingToDo()`
// holds, its ticks are left out (the others stay on the timer's grid). It is asked
// before every wait of the queue and again when a tick falls due, so whatever gives the
// handler work (another handler, or code between two pumps) wakes it on its next grid
// point, as if it had never slept. It must hold only where a tick would change nothing
// at all: no state, no counter, no random draw. An empty function lets every tick
// through. No-op for a missing timer.
void SetTimerSleepWhile(uint32_t windowId, uint32_t componentId, std::function<bool()> nothingToDo);

}  // namespace rt
