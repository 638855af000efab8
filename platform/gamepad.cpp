// Controllers through SDL's game-controller API, which names buttons by their place on
// the pad (south, east ...) whatever the maker printed on them.
#include "platform/gamepad.h"

#include <SDL.h>

namespace platform::detail {

// The numbering the browser's pads are translated to is SDL's own.
static_assert(int(kPadSouth) == int(SDL_CONTROLLER_BUTTON_A));
static_assert(int(kPadEast) == int(SDL_CONTROLLER_BUTTON_B));
static_assert(int(kPadWest) == int(SDL_CONTROLLER_BUTTON_X));
static_assert(int(kPadNorth) == int(SDL_CONTROLLER_BUTTON_Y));
static_assert(int(kPadBack) == int(SDL_CONTROLLER_BUTTON_BACK));
static_assert(int(kPadGuide) == int(SDL_CONTROLLER_BUTTON_GUIDE));
static_assert(int(kPadStart) == int(SDL_CONTROLLER_BUTTON_START));
static_assert(int(kPadLeftStick) == int(SDL_CONTROLLER_BUTTON_LEFTSTICK));
static_assert(int(kPadRightStick) == int(SDL_CONTROLLER_BUTTON_RIGHTSTICK));
static_assert(int(kPadLeftShoulder) == int(SDL_CONTROLLER_BUTTON_LEFTSHOULDER));
static_assert(int(kPadRightShoulder) == int(SDL_CONTROLLER_BUTTON_RIGHTSHOULDER));
static_assert(int(kPadUp) == int(SDL_CONTROLLER_BUTTON_DPAD_UP));
static_assert(int(kPadDown) == int(SDL_CONTROLLER_BUTTON_DPAD_DOWN));
static_assert(int(kPadLeft) == int(SDL_CONTROLLER_BUTTON_DPAD_LEFT));
static_assert(int(kPadRight) == int(SDL_CONTROLLER_BUTTON_DPAD_RIGHT));
static_assert(int(kPadLeftX) == int(SDL_CONTROLLER_AXIS_LEFTX));
static_assert(int(kPadLeftY) == int(SDL_CONTROLLER_AXIS_LEFTY));
static_assert(int(kPadRightX) == int(SDL_CONTROLLER_AXIS_RIGHTX));
static_assert(int(kPadRightY) == int(SDL_CONTROLLER_AXIS_RIGHTY));
static_assert(int(kPadTriggerLeft) == int(SDL_CONTROLLER_AXIS_TRIGGERLEFT));
static_assert(int(kPadTriggerRight) == int(SDL_CONTROLLER_AXIS_TRIGGERRIGHT));

Gamepads::Gamepads(KeySink sink) : keys_(std::move(sink)) {}

Gamepads::~Gamepads() {
  for (auto& [id, pad] : open_) SDL_GameControllerClose(pad);
}

bool Gamepads::Handle(const SDL_Event& e) {
  switch (e.type) {
    case SDL_CONTROLLERDEVICEADDED: {
      // Controllers present at start arrive here too. `which` is a device index here,
      // an instance id everywhere else.
      SDL_GameController* pad = SDL_GameControllerOpen(e.cdevice.which);
      if (!pad) return true;
      const int32_t id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(pad));
      if (open_.count(id)) {
        SDL_GameControllerClose(pad);  // opened twice: SDL counts the references
      } else {
        open_[id] = pad;
      }
      return true;
    }
    case SDL_CONTROLLERDEVICEREMOVED:
      Removed(e.cdevice.which);
      return true;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
      keys_.Button(e.cbutton.which, e.cbutton.button, e.type == SDL_CONTROLLERBUTTONDOWN);
      return true;
    case SDL_CONTROLLERAXISMOTION:
      keys_.Axis(e.caxis.which, e.caxis.axis, e.caxis.value);
      return true;
    default:
      return false;
  }
}

void Gamepads::Removed(int32_t pad) {
  keys_.Removed(pad);
  if (auto it = open_.find(pad); it != open_.end()) {
    SDL_GameControllerClose(it->second);
    open_.erase(it);
  }
}

}  // namespace platform::detail
