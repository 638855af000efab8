// The test program around the builder-made test form: its handlers record what they
// saw into one log, and a fixture starts a fresh headless desktop and runtime per test.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/types.h"
#include "runtime/forms/runtime.h"

namespace formtest {

inline constexpr uint32_t kWindow = 0x52010001;
inline constexpr uint32_t kLink = 0x1601, kLabel = 0x1602, kProbeA = 0x1603, kProbeB = 0x1604,
                          kFastTimer = 0x1605, kStoppedTimer = 0x1606, kHiddenLabel = 0x1607;
inline constexpr uint32_t kProbeType = 0x30001;

struct KeyEvent {
  int code = 0, mods = 0;
};

struct Log {
  std::vector<std::string> order;  // which handlers ran, in order
  std::vector<uint32_t> fastTicks;  // tick counts at each FastTimer tick
  int stoppedTicks = 0;
  std::vector<KeyEvent> probeKeyDown, probeKeyUp, formKeyDown;
  std::vector<int> characters;
  bool formVisibleInCreated = true;
  int64_t labelWidthInCreated = -1;
  int gotFocus = 0;
  // What handlers return; nullopt is "returned nothing".
  std::optional<int64_t> probeKeyDownResult, characterResult, closeResult;
  std::function<void()> onFastTick, onStoppedTick, onClose;
};
Log& TheLog();

// The messages a probe unit's window received (keys and characters).
struct ProbeLog {
  std::vector<platform::Message> messages;
};
ProbeLog& Probe(uint32_t componentId);

// Runs the desktop's queue through the form's pre-filter, as the loop does, until the
// virtual clock reaches `ms` or nothing is left to happen.
void PumpUntil(uint32_t ms);
// Dispatches what is queued now, without letting time pass.
void PumpPending();

class FormTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Starts the runtime on the test form and loads its window.
  void Load();
  platform::HWND Hwnd(uint32_t componentId) const;
};

}  // namespace formtest
