// The SDL host on SDL's own dummy display: a virtual controller plugged in, pressed and
// unplugged, mouse positions through the window's scaling, and F11.
#include <SDL.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "message_log.h"
#include "platform/audio.h"
#include "platform/host_internal.h"
#include "virtual_pad.h"

using namespace platform;
using namespace platform::testing;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

using KeyMessage = std::pair<uint32_t, int>;  // WM_KEYDOWN or WM_KEYUP, virtual key

class RealHost : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    // The dummy display gives no window the keyboard focus, and SDL keeps controller
    // events from a program without focus.
    setenv("SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS", "1", 1);
    HostOptions options;
    options.scale = 2;
    auto failure = Init(options);
    ASSERT_FALSE(failure) << *failure;
    top = MakeTop(log.Proc(), {0, 0, 640, 480});
    ASSERT_NE(top, 0u);
    window = SDL_GetWindowFromID(1);
    ASSERT_NE(window, nullptr);
  }
  void TearDown() override {
    if (joystick) SDL_JoystickClose(joystick);
    ResetForTesting();
    detail::ShutdownSdl();
  }

  // Plugs in a virtual controller with every button and axis.
  void PlugIn() {
    device = AttachVirtualPad("Test pad");
    ASSERT_GE(device, 0) << SDL_GetError();
    ASSERT_TRUE(SDL_IsGameController(device)) << "no controller mapping for the virtual pad";
    joystick = SDL_JoystickOpen(device);
    ASSERT_NE(joystick, nullptr);
    // Triggers rest at the low end of the raw range.
    SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_TRIGGERLEFT, -32768);
    SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, -32768);
    Keys();
  }

  // What the host posted since the last call, as key messages.
  std::vector<KeyMessage> Keys() {
    GetHost().PumpInput();
    std::vector<KeyMessage> keys;
    for (const Message& m : Drain())
      if (m.message == WM_KEYDOWN || m.message == WM_KEYUP) keys.push_back({m.message, int(m.wParam)});
    return keys;
  }

  std::vector<Point> Clicks() {
    GetHost().PumpInput();
    std::vector<Point> at;
    for (const Message& m : Drain())
      if (m.message == WM_LBUTTONDOWN) at.push_back({int16_t(m.lParam & 0xFFFF), int16_t(m.lParam >> 16)});
    return at;
  }

  void Click(int x, int y) {
    SDL_Event e{};
    e.type = SDL_MOUSEBUTTONDOWN;
    e.button.windowID = SDL_GetWindowID(window);
    e.button.button = SDL_BUTTON_LEFT;
    e.button.state = SDL_PRESSED;
    e.button.clicks = 1;
    e.button.x = x;
    e.button.y = y;
    SDL_PushEvent(&e);
  }

  MessageLog log;
  HWND top = 0;
  SDL_Window* window = nullptr;
  int device = -1;
  SDL_Joystick* joystick = nullptr;
};

TEST_F(RealHost, ControllerButtonsAreKeysAndUnpluggingReleasesThem) {
  PlugIn();
  const std::pair<int, int> buttons[] = {
      {SDL_CONTROLLER_BUTTON_A, VK_SPACE},          {SDL_CONTROLLER_BUTTON_X, 'Z'},
      {SDL_CONTROLLER_BUTTON_Y, 'X'},               {SDL_CONTROLLER_BUTTON_B, VK_RETURN},
      {SDL_CONTROLLER_BUTTON_START, VK_RETURN},     {SDL_CONTROLLER_BUTTON_BACK, '5'},
      {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, '1'},    {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, '2'},
      {SDL_CONTROLLER_BUTTON_DPAD_LEFT, VK_LEFT},   {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, VK_RIGHT},
      {SDL_CONTROLLER_BUTTON_DPAD_UP, VK_UP},       {SDL_CONTROLLER_BUTTON_DPAD_DOWN, VK_DOWN},
  };
  for (auto [button, vk] : buttons) {
    SCOPED_TRACE(button);
    SDL_JoystickSetVirtualButton(joystick, button, SDL_PRESSED);
    EXPECT_THAT(Keys(), ElementsAre(KeyMessage{WM_KEYDOWN, vk}));
    EXPECT_TRUE(GetKeyState(vk) & 0x8000);
    SDL_JoystickSetVirtualButton(joystick, button, SDL_RELEASED);
    EXPECT_THAT(Keys(), ElementsAre(KeyMessage{WM_KEYUP, vk}));
    EXPECT_FALSE(GetKeyState(vk) & 0x8000);
  }
  SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_GUIDE, SDL_PRESSED);
  EXPECT_THAT(Keys(), IsEmpty());
  SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_GUIDE, SDL_RELEASED);
  SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_LEFTX, -32768);
  EXPECT_THAT(Keys(), ElementsAre(KeyMessage{WM_KEYDOWN, VK_LEFT}));
  SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_LEFTX, 0);
  EXPECT_THAT(Keys(), ElementsAre(KeyMessage{WM_KEYUP, VK_LEFT}));
  SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767);
  EXPECT_THAT(Keys(), ElementsAre(KeyMessage{WM_KEYDOWN, '4'}));

  // Pulled out with keys held: they go up, nothing is left pressed, nothing closes.
  SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_A, SDL_PRESSED);
  SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_LEFTY, 32767);
  EXPECT_THAT(Keys(), ::testing::UnorderedElementsAre(KeyMessage{WM_KEYDOWN, VK_SPACE},
                                                      KeyMessage{WM_KEYDOWN, VK_DOWN}));
  SDL_JoystickClose(joystick);
  joystick = nullptr;
  ASSERT_EQ(SDL_JoystickDetachVirtual(device), 0);
  EXPECT_THAT(Keys(), ::testing::UnorderedElementsAre(KeyMessage{WM_KEYUP, VK_SPACE},
                                                      KeyMessage{WM_KEYUP, VK_DOWN},
                                                      KeyMessage{WM_KEYUP, '4'}));
  for (int vk : {int(VK_SPACE), int(VK_DOWN), int('4')}) EXPECT_FALSE(GetKeyState(vk) & 0x8000);
  EXPECT_THAT(log.Messages(top), ::testing::Not(::testing::Contains(uint32_t(WM_CLOSE))));
}

// This thread's voluntary context switches so far: each is a wake-up.
long WakeUps() {
  std::ifstream status("/proc/thread-self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("voluntary_ctxt_switches:", 0) == 0) return std::stol(line.substr(24));
  return -1;
}

// SDL waits by reading every device each millisecond while a joystick is attached; the
// host sleeps in slices instead, and still hears a pad's button at once.
TEST_F(RealHost, WithAPadPluggedInWaitsSleepAndAButtonEndsThem) {
  PlugIn();
  Drain();
  const long before = WakeUps();
  EXPECT_FALSE(WaitMessageUntil(GetHost().Now() + 200));
  EXPECT_LT(WakeUps() - before, 100);  // a millisecond's polling: about 200

  const uint32_t start = GetHost().Now();
  std::thread presser([this] {
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_A, SDL_PRESSED);
  });
  const bool woke = WaitMessageUntil(start + 3000);
  presser.join();
  EXPECT_TRUE(woke);
  EXPECT_LT(GetHost().Now() - start, 3000u);
  EXPECT_THAT(Keys(), ElementsAre(KeyMessage{WM_KEYDOWN, VK_SPACE}));
  SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_A, SDL_RELEASED);
  Keys();
}

TEST_F(RealHost, MousePositionsComeBackThroughScaleAndLetterbox) {
  int w = 0, h = 0;
  SDL_GetWindowSize(window, &w, &h);
  EXPECT_EQ(w, 1280);
  EXPECT_EQ(h, 960);
  Click(0, 0);
  Click(201, 101);
  Click(1279, 959);
  EXPECT_THAT(Clicks(), ElementsAre(Point{0, 0}, Point{100, 50}, Point{639, 479}));
  // Resized by the user to 1920 x 1080: still twice, now with bars at the sides.
  SDL_SetWindowSize(window, 1920, 1080);
  Click(320 + 201, 60 + 101);
  Click(1599, 1019);
  Click(100, 500);  // on the bar: outside the client area, dropped
  EXPECT_THAT(Clicks(), ElementsAre(Point{100, 50}, Point{639, 479}));
}

TEST_F(RealHost, F11TogglesFullscreenAndIsNotAKey) {
  auto press = [&](bool down) {
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.windowID = SDL_GetWindowID(window);
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.sym = SDLK_F11;
    e.key.keysym.scancode = SDL_SCANCODE_F11;
    SDL_PushEvent(&e);
  };
  EXPECT_FALSE(SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN);
  press(true);
  press(false);
  EXPECT_THAT(Keys(), IsEmpty());
  EXPECT_TRUE(SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN_DESKTOP);
  press(true);
  press(false);
  EXPECT_THAT(Keys(), IsEmpty());
  EXPECT_FALSE(SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN);
}

// The queue asks the host for input before every message and the host reads the system
// at most once a millisecond; what it has read already (here, pushed events) still
// reaches the queue on every ask, however close together.
TEST_F(RealHost, EventsAlreadyReadReachTheQueueOnEveryMessage) {
  auto press = [&](SDL_Keycode key, bool down) {
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.windowID = SDL_GetWindowID(window);
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.sym = key;
    SDL_PushEvent(&e);
  };
  Drain();
  std::vector<KeyMessage> seen;
  for (SDL_Keycode key : {SDLK_LEFT, SDLK_RIGHT, SDLK_SPACE}) {
    press(key, true);
    Message m;
    while (PeekMessage(m, PM_REMOVE))
      if (m.message == WM_KEYDOWN) seen.push_back({m.message, int(m.wParam)});
  }
  EXPECT_THAT(seen, ElementsAre(KeyMessage{WM_KEYDOWN, VK_LEFT}, KeyMessage{WM_KEYDOWN, VK_RIGHT},
                                KeyMessage{WM_KEYDOWN, VK_SPACE}));
  for (SDL_Keycode key : {SDLK_LEFT, SDLK_RIGHT, SDLK_SPACE}) press(key, false);
  Drain();
}

// The sound device's comings and goings reach the audio through the host's events: a
// removed output that is the one in use is closed, a capture device or another output
// changes nothing, and a new output brings the sound back.
TEST_F(RealHost, AudioDeviceEventsCloseAndReopenTheOutput) {
  UseAudioDeviceForTesting(true);
  auto out = OpenWaveOut({}, [](void*) {});
  ASSERT_TRUE(out);
  const uint32_t id = AudioDeviceInUse();
  ASSERT_NE(id, 0u);
  auto device = [](uint32_t type, uint32_t which, bool capture) {
    SDL_Event e{};
    e.type = type;
    e.adevice.which = which;
    e.adevice.iscapture = capture;
    SDL_PushEvent(&e);
    GetHost().PumpInput();
  };
  device(SDL_AUDIODEVICEREMOVED, id, true);
  device(SDL_AUDIODEVICEREMOVED, id + 1, false);
  EXPECT_EQ(AudioDeviceInUse(), id);
  device(SDL_AUDIODEVICEREMOVED, id, false);
  EXPECT_EQ(AudioDeviceInUse(), 0u);
  device(SDL_AUDIODEVICEADDED, 0, false);
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (AudioDeviceInUse() == 0 && std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_NE(AudioDeviceInUse(), 0u);
  out.reset();
  ShutdownAudio();
  UseAudioDeviceForTesting(false);
}

}  // namespace
