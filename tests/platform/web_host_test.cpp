// What the browser's host computes without a browser: its key table against the SDL
// host's.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "platform/host_internal.h"
#include "platform/keys_web.h"
#include "platform/types.h"

using namespace platform;
using namespace platform::detail;

namespace {

// Every key of a US keyboard: its KeyboardEvent.code and the SDL key symbol of that key.
std::vector<std::pair<std::string, SDL_Keycode>> UsKeyboard() {
  std::vector<std::pair<std::string, SDL_Keycode>> keys;
  for (char c = 'A'; c <= 'Z'; ++c) keys.push_back({std::string("Key") + c, SDLK_a + (c - 'A')});
  for (int d = 0; d <= 9; ++d) keys.push_back({"Digit" + std::to_string(d), SDLK_0 + d});
  for (int f = 1; f <= 12; ++f) keys.push_back({"F" + std::to_string(f), SDLK_F1 + (f - 1)});
  keys.push_back({"Numpad0", SDLK_KP_0});
  for (int d = 1; d <= 9; ++d) keys.push_back({"Numpad" + std::to_string(d), SDLK_KP_1 + (d - 1)});
  const std::pair<const char*, SDL_Keycode> named[] = {
      {"NumpadMultiply", SDLK_KP_MULTIPLY}, {"NumpadAdd", SDLK_KP_PLUS},
      {"NumpadSubtract", SDLK_KP_MINUS}, {"NumpadDecimal", SDLK_KP_PERIOD},
      {"NumpadDivide", SDLK_KP_DIVIDE}, {"NumpadEnter", SDLK_KP_ENTER}, {"Enter", SDLK_RETURN},
      {"ArrowLeft", SDLK_LEFT}, {"ArrowRight", SDLK_RIGHT}, {"ArrowUp", SDLK_UP},
      {"ArrowDown", SDLK_DOWN}, {"Space", SDLK_SPACE}, {"Escape", SDLK_ESCAPE}, {"Tab", SDLK_TAB},
      {"Backspace", SDLK_BACKSPACE}, {"Insert", SDLK_INSERT}, {"Delete", SDLK_DELETE},
      {"Home", SDLK_HOME}, {"End", SDLK_END}, {"PageUp", SDLK_PAGEUP}, {"PageDown", SDLK_PAGEDOWN},
      {"Pause", SDLK_PAUSE}, {"CapsLock", SDLK_CAPSLOCK}, {"ControlLeft", SDLK_LCTRL},
      {"ControlRight", SDLK_RCTRL}, {"ShiftLeft", SDLK_LSHIFT}, {"ShiftRight", SDLK_RSHIFT},
      {"AltLeft", SDLK_LALT}, {"AltRight", SDLK_RALT}, {"Semicolon", SDLK_SEMICOLON},
      {"Equal", SDLK_EQUALS}, {"Comma", SDLK_COMMA}, {"Minus", SDLK_MINUS},
      {"Period", SDLK_PERIOD}, {"Slash", SDLK_SLASH}, {"Backquote", SDLK_BACKQUOTE},
      {"BracketLeft", SDLK_LEFTBRACKET}, {"Backslash", SDLK_BACKSLASH},
      {"BracketRight", SDLK_RIGHTBRACKET}, {"Quote", SDLK_QUOTE},
      // Keys the desktop ignores, on both hosts.
      {"MetaLeft", SDLK_LGUI}, {"ContextMenu", SDLK_APPLICATION}, {"PrintScreen", SDLK_PRINTSCREEN},
      {"ScrollLock", SDLK_SCROLLLOCK}, {"NumLock", SDLK_NUMLOCKCLEAR}, {"F13", SDLK_F13},
  };
  for (const auto& [code, sym] : named) keys.push_back({code, sym});
  return keys;
}

TEST(WebKeys, EveryKeyGivesWhatTheSdlHostGives) {
  int mapped = 0;
  for (const auto& [code, sym] : UsKeyboard()) {
    EXPECT_EQ(VirtualKeyFromDomCode(code), VirtualKeyFromSdl(sym)) << code;
    mapped += VirtualKeyFromSdl(sym) != 0;
  }
  EXPECT_GT(mapped, 90);  // the tables are not empty on both sides
  for (const char* bad : {"", "Key", "KeyAB", "Keya", "Digit", "Digit10", "F0", "F1x", "Numpad",
                          "NumpadX", "F", "Unidentified"})
    EXPECT_EQ(VirtualKeyFromDomCode(bad), 0) << bad;
}

}  // namespace
