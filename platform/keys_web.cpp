#include "platform/keys_web.h"

#include <utility>

#include "platform/types.h"

namespace platform::detail {

namespace {

int Digit(std::string_view code, std::string_view prefix) {
  if (code.size() != prefix.size() + 1 || code.substr(0, prefix.size()) != prefix) return -1;
  const char c = code.back();
  return c >= '0' && c <= '9' ? c - '0' : -1;
}

}  // namespace

int VirtualKeyFromDomCode(std::string_view code) {
  if (code.size() == 4 && code.substr(0, 3) == "Key" && code[3] >= 'A' && code[3] <= 'Z')
    return code[3];
  if (int d = Digit(code, "Digit"); d >= 0) return '0' + d;
  if (int d = Digit(code, "Numpad"); d >= 0) return VK_NUMPAD0 + d;
  if (code.size() >= 2 && code.size() <= 3 && code[0] == 'F') {
    int n = 0;
    for (char c : code.substr(1)) {
      if (c < '0' || c > '9') return 0;
      n = n * 10 + (c - '0');
    }
    return n >= 1 && n <= 12 ? VK_F1 + n - 1 : 0;
  }
  static constexpr std::pair<std::string_view, int> kKeys[] = {
      {"NumpadMultiply", VK_MULTIPLY}, {"NumpadAdd", VK_ADD},
      {"NumpadSubtract", VK_SUBTRACT}, {"NumpadDecimal", VK_DECIMAL}, {"NumpadDivide", VK_DIVIDE},
      {"NumpadEnter", VK_RETURN},  {"Enter", VK_RETURN},          {"ArrowLeft", VK_LEFT},
      {"ArrowRight", VK_RIGHT},    {"ArrowUp", VK_UP},            {"ArrowDown", VK_DOWN},
      {"Space", VK_SPACE},         {"Escape", VK_ESCAPE},         {"Tab", VK_TAB},
      {"Backspace", VK_BACK},      {"Insert", VK_INSERT},         {"Delete", VK_DELETE},
      {"Home", VK_HOME},           {"End", VK_END},               {"PageUp", VK_PRIOR},
      {"PageDown", VK_NEXT},       {"Pause", VK_PAUSE},           {"CapsLock", VK_CAPITAL},
      // The game asks for the generic modifier codes, not the left/right ones.
      {"ControlLeft", VK_CONTROL}, {"ControlRight", VK_CONTROL},  {"ShiftLeft", VK_SHIFT},
      {"ShiftRight", VK_SHIFT},    {"AltLeft", VK_MENU},          {"AltRight", VK_MENU},
      // US-layout punctuation keys (the classic OEM codes).
      {"Semicolon", 0xBA},         {"Equal", 0xBB},               {"Comma", 0xBC},
      {"Minus", 0xBD},             {"Period", 0xBE},              {"Slash", 0xBF},
      {"Backquote", 0xC0},         {"BracketLeft", 0xDB},         {"Backslash", 0xDC},
      {"BracketRight", 0xDD},      {"Quote", 0xDE},
  };
  for (const auto& [name, vk] : kKeys)
    if (name == code) return vk;
  return 0;
}

}  // namespace platform::detail
