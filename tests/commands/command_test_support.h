// Small helpers for calling runtime commands in tests the way game code does.
#pragma once
#include <string>

#include "platform/host.h"
#include "runtime/commands/commands.h"
#include "runtime/values/values.h"

namespace commands_test {

inline rt::ArgRecord Call(rt::CommandRoutine routine, std::initializer_list<rt::ArgRecord> args) {
  return rt::CallCommand(routine, args);
}

// A text result as a string; the block is released as the caller must.
inline std::string TakeText(const rt::ArgRecord& r) {
  EXPECT_EQ(r.type, rt::kTypeText);
  char* t = static_cast<char*>(rt::AsAddress(r));
  std::string s(rt::TextView(t));
  rt::Free(t);
  return s;
}

inline void StartHeadless() {
  platform::HostOptions options;
  options.headless = true;
  platform::ResetForTesting(options);
}

}  // namespace commands_test
