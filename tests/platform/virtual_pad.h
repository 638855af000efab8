// A game controller that exists only in SDL (a virtual joystick with every button and
// axis of a controller), for driving the host's controller handling without hardware.
#pragma once
#include <SDL.h>

namespace platform::testing {

// Plugs one in; its device index, or negative when SDL refuses.
inline int AttachVirtualPad(const char* name) {
  SDL_VirtualJoystickDesc desc{};
  desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
  desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
  desc.naxes = SDL_CONTROLLER_AXIS_MAX;
  desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
  desc.name = name;
  return SDL_JoystickAttachVirtualEx(&desc);
}

}  // namespace platform::testing
