// Controllers as the keyboard: buttons that give nothing, the axes' thresholds, keys
// shared by several sources, and unplugging. Events are made by hand, as SDL delivers
// them, so every edge can be reached exactly.
#include <SDL.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "platform/gamepad.h"
#include "platform/types.h"

using namespace platform;
using namespace platform::detail;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

using Change = std::pair<int, bool>;  // virtual key, down

class Pad : public ::testing::Test {
 protected:
  Pad() : pads([this](int vk, bool down) { changes.push_back({vk, down}); }) {}

  void Button(int32_t pad, int button, bool down) {
    SDL_Event e{};
    e.type = down ? SDL_CONTROLLERBUTTONDOWN : SDL_CONTROLLERBUTTONUP;
    e.cbutton.which = pad;
    e.cbutton.button = uint8_t(button);
    e.cbutton.state = down ? SDL_PRESSED : SDL_RELEASED;
    EXPECT_TRUE(pads.Handle(e));
  }
  void Axis(int32_t pad, int axis, int value) {
    SDL_Event e{};
    e.type = SDL_CONTROLLERAXISMOTION;
    e.caxis.which = pad;
    e.caxis.axis = uint8_t(axis);
    e.caxis.value = int16_t(value);
    EXPECT_TRUE(pads.Handle(e));
  }
  void Unplug(int32_t pad) {
    SDL_Event e{};
    e.type = SDL_CONTROLLERDEVICEREMOVED;
    e.cdevice.which = pad;
    EXPECT_TRUE(pads.Handle(e));
  }
  std::vector<Change> Take() { return std::exchange(changes, {}); }

  std::vector<Change> changes;
  Gamepads pads;
};

// Each mapped button through SDL itself: sdl_host_test. Here the buttons that give nothing.
TEST_F(Pad, UnmappedButtonsGiveNothingAndNothingQuits) {
  for (int button : std::initializer_list<int>{SDL_CONTROLLER_BUTTON_GUIDE, SDL_CONTROLLER_BUTTON_LEFTSTICK,
                     SDL_CONTROLLER_BUTTON_RIGHTSTICK, SDL_CONTROLLER_BUTTON_MISC1,
                     SDL_CONTROLLER_BUTTON_PADDLE1, SDL_CONTROLLER_BUTTON_PADDLE4,
                     SDL_CONTROLLER_BUTTON_TOUCHPAD, 200}) {
    Button(0, button, true);
    Button(0, button, false);
  }
  EXPECT_THAT(Take(), IsEmpty());
  for (int b = 0; b < SDL_CONTROLLER_BUTTON_MAX; ++b) EXPECT_NE(VirtualKeyForButton(b), VK_ESCAPE);
}

TEST_F(Pad, SticksAndTriggersPassADeadZoneWithoutChatter) {
  // Inside the dead zone and up to half way: nothing yet.
  Axis(0, SDL_CONTROLLER_AXIS_LEFTX, -kAxisDeadZone);
  Axis(0, SDL_CONTROLLER_AXIS_LEFTX, -(kAxisPress - 1));
  EXPECT_THAT(Take(), IsEmpty());
  Axis(0, SDL_CONTROLLER_AXIS_LEFTX, -kAxisPress);
  EXPECT_THAT(Take(), ElementsAre(Change{VK_LEFT, true}));
  // Wobbling around the threshold keeps the key down; only the dead zone releases it.
  Axis(0, SDL_CONTROLLER_AXIS_LEFTX, -(kAxisPress - 2000));
  Axis(0, SDL_CONTROLLER_AXIS_LEFTX, -32768);
  Axis(0, SDL_CONTROLLER_AXIS_LEFTX, -kAxisDeadZone);
  EXPECT_THAT(Take(), IsEmpty());
  Axis(0, SDL_CONTROLLER_AXIS_LEFTX, -(kAxisDeadZone - 1));
  EXPECT_THAT(Take(), ElementsAre(Change{VK_LEFT, false}));
  // Swinging straight across releases one side before pressing the other.
  Axis(0, SDL_CONTROLLER_AXIS_LEFTX, -32768);
  Axis(0, SDL_CONTROLLER_AXIS_LEFTX, 32767);
  EXPECT_THAT(Take(), ElementsAre(Change{VK_LEFT, true}, Change{VK_LEFT, false},
                                  Change{VK_RIGHT, true}));
  Axis(0, SDL_CONTROLLER_AXIS_LEFTX, 0);
  // Up is negative on the vertical axis.
  Axis(0, SDL_CONTROLLER_AXIS_LEFTY, -20000);
  Axis(0, SDL_CONTROLLER_AXIS_LEFTY, 20000);
  Axis(0, SDL_CONTROLLER_AXIS_LEFTY, 0);
  EXPECT_THAT(Take(), ElementsAre(Change{VK_RIGHT, false}, Change{VK_UP, true},
                                  Change{VK_UP, false}, Change{VK_DOWN, true},
                                  Change{VK_DOWN, false}));
  // Triggers run from 0 to 32767.
  Axis(0, SDL_CONTROLLER_AXIS_TRIGGERLEFT, 20000);
  Axis(0, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767);
  Axis(0, SDL_CONTROLLER_AXIS_TRIGGERLEFT, 10000);
  Axis(0, SDL_CONTROLLER_AXIS_TRIGGERLEFT, 0);
  Axis(0, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 0);
  EXPECT_THAT(Take(), ElementsAre(Change{'3', true}, Change{'4', true}, Change{'3', false},
                                  Change{'4', false}));
  // The right stick is free for nothing.
  Axis(0, SDL_CONTROLLER_AXIS_RIGHTX, -32768);
  Axis(0, SDL_CONTROLLER_AXIS_RIGHTY, 32767);
  EXPECT_THAT(Take(), IsEmpty());
}

TEST_F(Pad, AKeyHeldBySeveralSourcesGoesUpWithTheLast) {
  Button(0, SDL_CONTROLLER_BUTTON_DPAD_LEFT, true);
  Axis(0, SDL_CONTROLLER_AXIS_LEFTX, -32768);
  Button(1, SDL_CONTROLLER_BUTTON_DPAD_LEFT, true);
  EXPECT_THAT(Take(), ElementsAre(Change{VK_LEFT, true}));
  Button(0, SDL_CONTROLLER_BUTTON_DPAD_LEFT, false);
  Axis(0, SDL_CONTROLLER_AXIS_LEFTX, 0);
  EXPECT_THAT(Take(), IsEmpty());
  Button(1, SDL_CONTROLLER_BUTTON_DPAD_LEFT, false);
  EXPECT_THAT(Take(), ElementsAre(Change{VK_LEFT, false}));
  // East and start are both Return; a repeated down or a stray up changes nothing.
  Button(0, SDL_CONTROLLER_BUTTON_B, true);
  Button(0, SDL_CONTROLLER_BUTTON_B, true);
  Button(0, SDL_CONTROLLER_BUTTON_START, true);
  Button(0, SDL_CONTROLLER_BUTTON_B, false);
  Button(0, SDL_CONTROLLER_BUTTON_Y, false);
  EXPECT_THAT(Take(), ElementsAre(Change{VK_RETURN, true}));
  Button(0, SDL_CONTROLLER_BUTTON_START, false);
  EXPECT_THAT(Take(), ElementsAre(Change{VK_RETURN, false}));
}

TEST_F(Pad, UnpluggingReleasesWhatThatPadHeld) {
  Button(3, SDL_CONTROLLER_BUTTON_A, true);
  Axis(3, SDL_CONTROLLER_AXIS_LEFTX, 32767);
  Axis(3, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767);
  Button(4, SDL_CONTROLLER_BUTTON_A, true);
  Button(4, SDL_CONTROLLER_BUTTON_X, true);
  Take();
  Unplug(3);
  // Space stays: the other pad still holds it.
  EXPECT_THAT(Take(), ::testing::UnorderedElementsAre(Change{VK_RIGHT, false}, Change{'4', false}));
  // The unplugged pad's late events and a second removal change nothing.
  Unplug(3);
  Button(3, SDL_CONTROLLER_BUTTON_B, false);
  Button(4, SDL_CONTROLLER_BUTTON_A, false);
  Unplug(4);
  EXPECT_THAT(Take(), ElementsAre(Change{VK_SPACE, false}, Change{'Z', false}));
  // A pad plugged in again starts from nothing held.
  Button(3, SDL_CONTROLLER_BUTTON_A, true);
  EXPECT_THAT(Take(), ElementsAre(Change{VK_SPACE, true}));
}

TEST_F(Pad, ForgettingDropsHeldStateWithoutPosting) {
  Button(0, SDL_CONTROLLER_BUTTON_A, true);
  Axis(0, SDL_CONTROLLER_AXIS_LEFTX, -32768);
  Take();
  pads.Forget();
  EXPECT_THAT(Take(), IsEmpty());
  // The release of a forgotten press is not posted again; a new press is.
  Button(0, SDL_CONTROLLER_BUTTON_A, false);
  Axis(0, SDL_CONTROLLER_AXIS_LEFTX, 0);
  EXPECT_THAT(Take(), IsEmpty());
  Button(0, SDL_CONTROLLER_BUTTON_A, true);
  EXPECT_THAT(Take(), ElementsAre(Change{VK_SPACE, true}));
  // Other events are not the controllers' business.
  SDL_Event key{};
  key.type = SDL_KEYDOWN;
  EXPECT_FALSE(pads.Handle(key));
}

}  // namespace
