// Test-only stand-ins for the form runtime and the sound player, so the component,
// sound and message commands can be checked on their own against real platform windows.
#pragma once
#include <cstdint>
#include <span>
#include <vector>

#include "platform/types.h"

namespace fake_runtime {

// A loaded component of (window id, component id) living in `hwnd`.
void AddComponent(uint32_t windowId, uint32_t componentId, platform::HWND hwnd);
// A unit type with the given flags for FindUnitType.
void AddUnitType(uint32_t typeCode, uint32_t flags);
void Clear();

extern int doEventsCalls;
struct PlayedSound {
  std::vector<uint8_t> data;
  int loop = 0;
};
extern std::vector<PlayedSound> played;
// What the fake sound player answers.
extern bool soundStarts;

}  // namespace fake_runtime
