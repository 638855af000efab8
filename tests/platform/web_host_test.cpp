// What the browser's host computes without a browser: its key table against the SDL
// host's, and the changed rectangles it sends to the canvas.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "platform/changed_rects.h"
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

// Every changed pixel lies in some rectangle, rectangles stay in the frame and do not
// overlap, and an unchanged tile is never sent.
void ExpectCovers(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, int w, int h,
                  int tile) {
  const std::vector<Rect> rects = ChangedRects(a.data(), b.data(), w, h, tile);
  std::vector<int> cover(size_t(w) * size_t(h), 0);
  for (const Rect& r : rects) {
    ASSERT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= w && r.bottom <= h && !r.Empty());
    EXPECT_EQ(r.left % tile, 0);
    EXPECT_EQ(r.top % tile, 0);
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) ++cover[size_t(y) * size_t(w) + size_t(x)];
  }
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const size_t i = size_t(y) * size_t(w) + size_t(x);
      EXPECT_LE(cover[i], 1) << x << "," << y;
      if (a[i] != b[i]) EXPECT_EQ(cover[i], 1) << x << "," << y;
    }
  }
  // No rectangle holds a whole unchanged tile.
  for (const Rect& r : rects) {
    for (int ty = r.top; ty < r.bottom; ty += tile) {
      for (int tx = r.left; tx < r.right; tx += tile) {
        bool changed = false;
        for (int y = ty; y < std::min(h, ty + tile); ++y)
          for (int x = tx; x < std::min(w, tx + tile); ++x)
            changed |= a[size_t(y) * size_t(w) + size_t(x)] != b[size_t(y) * size_t(w) + size_t(x)];
        EXPECT_TRUE(changed) << "tile at " << tx << "," << ty;
      }
    }
  }
}

TEST(ChangedRects, NothingChangedSendsNothing) {
  std::vector<uint32_t> a(640 * 480, 0xFF102030);
  EXPECT_TRUE(ChangedRects(a.data(), a.data(), 640, 480).empty());
  EXPECT_TRUE(ChangedRects(a.data(), a.data(), 0, 480).empty());
}

TEST(ChangedRects, OnePixelSendsItsTileOnly) {
  std::vector<uint32_t> a(640 * 480, 0), b = a;
  b[size_t(100) * 640 + 70] = 1;
  EXPECT_EQ(ChangedRects(a.data(), b.data(), 640, 480), (std::vector<Rect>{{64, 96, 96, 128}}));
  // The last, partial tiles are clipped to the frame.
  std::vector<uint32_t> c(50 * 40, 0), d = c;
  d.back() = 7;
  EXPECT_EQ(ChangedRects(c.data(), d.data(), 50, 40), (std::vector<Rect>{{32, 32, 50, 40}}));
}

TEST(ChangedRects, NeighbouringTilesJoinAndDistantOnesStayApart) {
  std::vector<uint32_t> a(640 * 480, 0), b = a;
  // A 3 x 2 tile block (a sprite moving) and a lone tile (a number in the corner).
  for (int y = 40; y < 90; ++y)
    for (int x = 70; x < 150; ++x) b[size_t(y) * 640 + size_t(x)] = 5;
  b[size_t(470) * 640 + 630] = 9;
  const std::vector<Rect> rects = ChangedRects(a.data(), b.data(), 640, 480);
  EXPECT_EQ(rects, (std::vector<Rect>{{64, 32, 160, 96}, {608, 448, 640, 480}}));
  ExpectCovers(a, b, 640, 480, 32);
}

TEST(ChangedRects, RandomChangesAreAllCovered) {
  std::mt19937 rng(21);
  for (int round = 0; round < 40; ++round) {
    const int w = 1 + int(rng() % 200), h = 1 + int(rng() % 150), tile = 1 + int(rng() % 40);
    std::vector<uint32_t> a(size_t(w) * size_t(h));
    for (auto& p : a) p = rng();
    std::vector<uint32_t> b = a;
    const int changes = int(rng() % 30);
    for (int i = 0; i < changes; ++i) b[rng() % b.size()] ^= 1u + (rng() & 0xFF);
    ExpectCovers(a, b, w, h, tile);
  }
}

}  // namespace
