// Controllers through SDL's game-controller API, which names buttons by their place on
// the pad (south, east ...) whatever the maker printed on them.
#include "platform/gamepad.h"

#include <SDL.h>

#include <vector>

#include "platform/types.h"

namespace platform::detail {

namespace {

constexpr int kAxisSource = 100;

int AxisSource(int axis, bool positive) { return kAxisSource + axis * 2 + (positive ? 1 : 0); }

// The key an axis direction presses, 0 for none.
int VirtualKeyForAxis(int axis, bool positive) {
  switch (axis) {
    case SDL_CONTROLLER_AXIS_LEFTX: return positive ? VK_RIGHT : VK_LEFT;
    case SDL_CONTROLLER_AXIS_LEFTY: return positive ? VK_DOWN : VK_UP;  // down is positive
    case SDL_CONTROLLER_AXIS_TRIGGERLEFT: return positive ? '3' : 0;
    case SDL_CONTROLLER_AXIS_TRIGGERRIGHT: return positive ? '4' : 0;
    default: return 0;
  }
}

}  // namespace

int VirtualKeyForButton(int button) {
  switch (button) {
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT: return VK_LEFT;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT: return VK_RIGHT;
    case SDL_CONTROLLER_BUTTON_DPAD_UP: return VK_UP;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN: return VK_DOWN;
    case SDL_CONTROLLER_BUTTON_A: return VK_SPACE;   // south
    case SDL_CONTROLLER_BUTTON_X: return 'Z';        // west
    case SDL_CONTROLLER_BUTTON_Y: return 'X';        // north
    case SDL_CONTROLLER_BUTTON_B: return VK_RETURN;  // east
    case SDL_CONTROLLER_BUTTON_START: return VK_RETURN;
    case SDL_CONTROLLER_BUTTON_LEFTSHOULDER: return '1';
    case SDL_CONTROLLER_BUTTON_RIGHTSHOULDER: return '2';
    case SDL_CONTROLLER_BUTTON_BACK: return '5';
    default: return 0;
  }
}

Gamepads::Gamepads(KeySink sink) : sink_(std::move(sink)) {}

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
      Press(e.cbutton.which, e.cbutton.button, VirtualKeyForButton(e.cbutton.button),
            e.type == SDL_CONTROLLERBUTTONDOWN);
      return true;
    case SDL_CONTROLLERAXISMOTION:
      Axis(e.caxis.which, e.caxis.axis, e.caxis.value);
      return true;
    default:
      return false;
  }
}

void Gamepads::Press(int32_t pad, Source s, int vk, bool down) {
  if (vk <= 0 || vk > 0xFF) return;
  std::set<Source>& held = held_[pad];
  if (down) {
    if (!held.insert(s).second) return;
    if (holders_[size_t(vk)]++ == 0) sink_(vk, true);
  } else {
    if (!held.erase(s)) return;
    if (--holders_[size_t(vk)] == 0) sink_(vk, false);
  }
}

void Gamepads::Axis(int32_t pad, int axis, int value) {
  for (bool positive : {false, true}) {
    const int vk = VirtualKeyForAxis(axis, positive);
    if (!vk) continue;
    const int along = positive ? value : -value;  // how far the axis leans this way
    if (along >= kAxisPress) {
      Press(pad, AxisSource(axis, positive), vk, true);
    } else if (along < kAxisDeadZone) {
      Press(pad, AxisSource(axis, positive), vk, false);
    }
  }
}

void Gamepads::Removed(int32_t pad) {
  if (auto it = held_.find(pad); it != held_.end()) {
    const std::vector<Source> sources(it->second.begin(), it->second.end());
    for (Source s : sources) {
      const int vk = s >= kAxisSource
                         ? VirtualKeyForAxis((s - kAxisSource) / 2, (s - kAxisSource) % 2 != 0)
                         : VirtualKeyForButton(s);
      Press(pad, s, vk, false);
    }
    held_.erase(pad);
  }
  if (auto it = open_.find(pad); it != open_.end()) {
    SDL_GameControllerClose(it->second);
    open_.erase(it);
  }
}

void Gamepads::Forget() {
  held_.clear();
  holders_.fill(0);
}

}  // namespace platform::detail
