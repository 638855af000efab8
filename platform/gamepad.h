// Game controllers as a second keyboard: their buttons and sticks press the same
// virtual keys the keyboard does (platform/gamepad_keys.h), so the game cannot tell the
// two apart.
#pragma once
#include <cstdint>
#include <map>

#include "platform/gamepad_keys.h"

union SDL_Event;
struct _SDL_GameController;

namespace platform::detail {

class Gamepads {
 public:
  using KeySink = PadKeys::KeySink;
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
  void Forget() { keys_.Forget(); }
  size_t OpenCount() const { return open_.size(); }

 private:
  void Removed(int32_t pad);

  PadKeys keys_;
  std::map<int32_t, _SDL_GameController*> open_;
};

}  // namespace platform::detail
