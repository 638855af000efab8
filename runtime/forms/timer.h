// The `Timer` component: a hidden child window that raises `Tick`.
#pragma once
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

}  // namespace rt
