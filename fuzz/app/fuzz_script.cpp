// The --script format. A script that parses holds known key codes, and the same keys
// written back as "MS down|up CODE" lines parse to the same list (codes below 10 take two
// digits, since one digit names a digit key); one that does not
// parse gets a one-line message naming its line.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/host.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<platform::ScriptedKey> keys;
  if (auto error = platform::ParseScript(text, keys)) {
    if (error->rfind("line ", 0) != 0 || error->find('\n') != std::string::npos) __builtin_trap();
    return 0;
  }
  std::string written;
  for (const auto& k : keys) {
    if (k.vk < 1 || k.vk > 254) __builtin_trap();
    written += std::to_string(k.timeMs) + (k.down ? " down " : " up ") + (k.vk < 10 ? "0" : "") +
               std::to_string(k.vk) + "\n";
  }
  std::vector<platform::ScriptedKey> again;
  if (platform::ParseScript(written, again) || again.size() != keys.size()) __builtin_trap();
  for (size_t i = 0; i < keys.size(); ++i)
    if (again[i].timeMs != keys[i].timeMs || again[i].vk != keys[i].vk || again[i].down != keys[i].down)
      __builtin_trap();
  return 0;
}
