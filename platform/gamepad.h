// Game controllers as a second keyboard: their buttons and sticks press the same
// virtual keys the keyboard does, so the game cannot tell the two apart.
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

union SDL_Event;
struct _SDL_GameController;

namespace platform::detail {

// The virtual key of a controller button (an SDL_GameControllerButton), 0 for none.
int VirtualKeyForButton(int sdlButton);

// Sticks and triggers press their key when pushed past half way and release it when
// back inside the dead zone; between the two the key keeps its state, so a stick
// resting near the threshold does not chatter.
inline constexpr int kAxisPress = 16384;
inline constexpr int kAxisDeadZone = 8000;

class Gamepads {
 public:
  using KeySink = std::function<void(int vk, bool down)>;
  // `sink` receives each key change; the host passes PostKeyInput.
  explicit Gamepads(KeySink sink);
  ~Gamepads();
  Gamepads(const Gamepads&) = delete;
  Gamepads& operator=(const Gamepads&) = delete;

  // Takes the controller events (device added and removed, buttons, axes); false for
  // every other event. A controller added is opened; one removed releases every key it
  // held. Events of a controller opened elsewhere count as well.
  bool Handle(const SDL_Event& e);
  // The keys were released by other means (the window lost the keyboard): forget what
  // the controllers hold, without posting anything. A button still held gives nothing
  // until it is pressed again.
  void Forget();
  size_t OpenCount() const { return open_.size(); }

 private:
  // What of a controller holds a key: a button, or one direction of an axis.
  using Source = int;
  void Press(int32_t pad, Source s, int vk, bool down);
  void Axis(int32_t pad, int axis, int value);
  void Removed(int32_t pad);

  KeySink sink_;
  std::map<int32_t, _SDL_GameController*> open_;
  std::map<int32_t, std::set<Source>> held_;
  std::array<int, 256> holders_{};  // per virtual key: how many sources of all pads hold it
};

}  // namespace platform::detail
