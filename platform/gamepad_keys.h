// What a game controller presses, independent of where its events come from (SDL's
// game-controller API on the desktop, the browser's Gamepad API on the page): buttons and
// axes numbered as SDL's game controller numbers them, and which keyboard keys they hold.
//
//   d-pad, left stick      arrows          south (A / cross)      Space
//   west (X / square)      Z               north (Y / triangle)   X
//   east (B / circle)      Return          start                  Return
//   left shoulder          1               right shoulder         2
//   left trigger           3               right trigger          4
//   back / select          5
//
// No button gives Escape or closes anything: a stray press never ends a game. The guide
// button, the right stick and the extra paddles give nothing.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <set>

namespace platform::detail {

// SDL_GameControllerButton and SDL_GameControllerAxis (gamepad.cpp checks they agree).
enum PadButton : int {
  kPadSouth = 0, kPadEast = 1, kPadWest = 2, kPadNorth = 3, kPadBack = 4, kPadGuide = 5,
  kPadStart = 6, kPadLeftStick = 7, kPadRightStick = 8, kPadLeftShoulder = 9,
  kPadRightShoulder = 10, kPadUp = 11, kPadDown = 12, kPadLeft = 13, kPadRight = 14,
};
enum PadAxis : int {
  kPadLeftX = 0, kPadLeftY = 1, kPadRightX = 2, kPadRightY = 3, kPadTriggerLeft = 4,
  kPadTriggerRight = 5,
};

// The virtual key of a controller button, 0 for none.
int VirtualKeyForButton(int button);
// The key one direction of an axis presses, 0 for none (down and right are positive).
int VirtualKeyForAxis(int axis, bool positive);

// Sticks and triggers press their key when pushed past half way and release it when
// back inside the dead zone; between the two the key keeps its state, so a stick
// resting near the threshold does not chatter. Axis values run from -32768 to 32767.
inline constexpr int kAxisPress = 16384;
inline constexpr int kAxisDeadZone = 8000;

// The keys the controllers hold. A key goes down when the first source (a button or an
// axis direction of any pad) holds it and up when the last lets go.
class PadKeys {
 public:
  using KeySink = std::function<void(int vk, bool down)>;
  explicit PadKeys(KeySink sink) : sink_(std::move(sink)) {}

  void Button(int32_t pad, int button, bool down);
  void Axis(int32_t pad, int axis, int value);
  // The pad went away: every key it held goes up.
  void Removed(int32_t pad);
  // The keys were released by other means: forget what is held, posting nothing.
  void Forget();

 private:
  // What of a controller holds a key: a button, or one direction of an axis.
  using Source = int;
  void Press(int32_t pad, Source s, int vk, bool down);

  KeySink sink_;
  std::map<int32_t, std::set<Source>> held_;
  std::array<int, 256> holders_{};  // per virtual key: how many sources of all pads hold it
};

}  // namespace platform::detail
