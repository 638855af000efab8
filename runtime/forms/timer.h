// The `Timer` component (TypeCode 0x10020): a hidden child window that raises `Tick`.
#pragma once
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

}  // namespace rt
