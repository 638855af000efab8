// The `Timer` component (TypeCode 0x10020): a hidden child window that raises `Tick`.
#pragma once
#include <functional>
#include <memory>

#include "runtime/forms/component.h"

namespace rt {

inline constexpr uint32_t kTimerTypeCode = 0x10020;
inline constexpr uint32_t kTimerId = 1000;  // the desktop timer behind every Timer
inline constexpr int32_t kTimerTick = 0;    // own event `Tick`
// Property `Interval` (ms): writing it starts, restarts (greater than 0) or stops the timer.
inline constexpr int kTimerInterval = 8;

// The own block: version (at most 1), interval in ms. An empty block means interval 0.
UnitType TimerUnitType();

// Tells the runtime when the timer's handler has nothing to do: while `nothingToDo()`
// holds, its ticks are left out (the others stay on the timer's grid), and it is asked
// again after every message and tick, the only things that can give the handler work.
// It must hold only where a tick would change nothing at all: no state, no counter, no
// random draw. An empty function lets every tick through. No-op for a missing timer.
void SetTimerSleepWhile(uint32_t windowId, uint32_t componentId, std::function<bool()> nothingToDo);

}  // namespace rt
