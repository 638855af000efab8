// A storm of host events through the SDL host on SDL's dummy display: keys with
// repeats, text, controllers plugged in and pulled out with their buttons and sticks,
// the mouse over the picture and over the black bars, the window resized (to nothing
// and to 16k x 16k), minimised, restored, focused and unfocused, fullscreen and back,
// displays changing, quit requests. Besides surviving all of it, the host must
//   - leave no key down once every controller that could hold one is gone and the
//     keyboard has let go of its own keys;
//   - deliver mouse positions only inside the client area (nothing holds the capture);
//   - keep the letterbox in range for any output size.
#include <SDL.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <vector>

#include "platform/host.h"
#include "platform/host_internal.h"
#include "platform/letterbox.h"
#include "platform/window.h"
#include "tests/platform/virtual_pad.h"

namespace {

using namespace platform;

constexpr int kClientW = 640, kClientH = 480;
// The dummy display gives each window a framebuffer of its size: real resizes stay at
// sizes a test can afford; the 16k sizes go through the events and the letterbox.
constexpr int kRealSizeCap = 1280;

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "fuzz_sdl_events: %s\n", what);
  __builtin_trap();
}

class Input {
 public:
  Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool Empty() const { return pos_ >= size_; }
  uint8_t U8() { return pos_ < size_ ? data_[pos_++] : 0; }
  uint16_t U16() { return uint16_t(U8() | U8() << 8); }
  int32_t I32() { return int32_t(uint32_t(U16()) | uint32_t(U16()) << 16); }
  // A size: nothing, one, the client's own, a little more or less, or 16k.
  int Size(int client) {
    switch (U8() % 8) {
      case 0: return 0;
      case 1: return 1;
      case 2: return client;
      case 3: return client * 2 + 1;
      case 4: return 16384;
      case 5: return int(U16() % 20000);
      case 6: return client - 1;
      default: return int(U16() % 4096);
    }
  }
  // A coordinate: mostly on or near the window, sometimes anywhere.
  int32_t Coordinate() {
    switch (U8() % 4) {
      case 0: return I32();
      case 1: return int32_t(U16() % 3000) - 500;
      default: return int32_t(U16() % 1400);
    }
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

const SDL_Keycode kKeys[] = {SDLK_LEFT,   SDLK_RIGHT, SDLK_UP,     SDLK_DOWN,   SDLK_SPACE,
                             SDLK_RETURN, SDLK_z,     SDLK_x,      SDLK_1,      SDLK_5,
                             SDLK_F11,    SDLK_ESCAPE, SDLK_LSHIFT, SDLK_LCTRL, SDLK_LALT,
                             SDLK_RALT,   SDLK_a,     SDLK_KP_4,   SDLK_TAB,    SDLK_F1};

struct Storm {
  HWND top = 0;
  SDL_Window* window = nullptr;
  uint32_t windowId = 0;
  std::map<int, SDL_Joystick*> pads;  // device instance id -> our handle on the virtual pad
  std::set<int> keyboardDown;         // virtual keys the keyboard holds
  std::set<SDL_Keycode> pressed;      // every key the keyboard pressed in this input
  std::set<int32_t> padsThatMayHold;  // ids that pressed something and have not gone

  void Start() {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    // The dummy display focuses nothing, and SDL drops controller events of a program
    // without focus.
    setenv("SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS", "1", 1);
    if (auto failure = Init(HostOptions{})) Fail(failure->c_str());
    CreateWindowParams p;
    p.rect = {0, 0, kClientW, kClientH};
    p.style = WS_VISIBLE;
    p.title = "storm";
    // Close requests are counted as messages, never obeyed: the window stays for the run.
    p.proc = [](HWND h, uint32_t m, uint64_t w, int64_t l) -> int64_t {
      return m == WM_CLOSE ? 0 : DefWindowProc(h, m, w, l);
    };
    top = CreateWindow(p);
    window = SDL_GetWindowFromID(1);
    if (!top || !window) Fail("no window on the dummy display");
    windowId = SDL_GetWindowID(window);
  }

  uint32_t SomeWindow(Input& in) { return in.U8() % 8 ? windowId : in.U8(); }

  void Push(SDL_Event& e) {
    if (SDL_PushEvent(&e) < 0) Fail("SDL refused an event");
  }

  void Key(Input& in) {
    SDL_Event e{};
    const bool down = in.U8() & 1;
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.windowID = SomeWindow(in);
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.repeat = down ? in.U8() & 1 : 0;
    const uint8_t pick = in.U8();
    e.key.keysym.sym = pick < 200 ? kKeys[pick % std::size(kKeys)] : SDL_Keycode(in.I32());
    Push(e);
    if (down) pressed.insert(e.key.keysym.sym);
    const int vk = detail::VirtualKeyFromSdl(e.key.keysym.sym);
    if (vk == 0 || e.key.keysym.sym == SDLK_F11) return;
    if (down) keyboardDown.insert(vk);
    else keyboardDown.erase(vk);
  }

  void Text(Input& in) {
    SDL_Event e{};
    e.type = in.U8() & 1 ? SDL_TEXTINPUT : SDL_TEXTEDITING;
    e.text.windowID = SomeWindow(in);
    const size_t n = in.U8() % sizeof e.text.text;
    for (size_t i = 0; i < n; ++i) e.text.text[i] = char(in.U8());
    Push(e);
  }

  void PlugIn() {
    if (pads.size() >= 4) return;
    const int device = platform::testing::AttachVirtualPad("storm pad");
    if (device < 0) return;
    SDL_Joystick* j = SDL_JoystickOpen(device);
    if (!j) return;
    pads[SDL_JoystickInstanceID(j)] = j;
    // A pad's triggers rest half way until it reports them: it may press at once.
    padsThatMayHold.insert(SDL_JoystickInstanceID(j));
  }

  void PullOut(int id) {
    auto it = pads.find(id);
    if (it == pads.end()) return;
    const int device = DeviceIndexOf(id);
    SDL_JoystickClose(it->second);
    pads.erase(it);
    if (device >= 0) SDL_JoystickDetachVirtual(device);
    padsThatMayHold.erase(id);
  }

  static int DeviceIndexOf(int id) {
    for (int i = 0; i < SDL_NumJoysticks(); ++i)
      if (SDL_JoystickGetDeviceInstanceID(i) == id) return i;
    return -1;
  }

  SDL_Joystick* SomePad(Input& in, int* id) {
    if (pads.empty()) return nullptr;
    auto it = pads.begin();
    std::advance(it, in.U8() % pads.size());
    *id = it->first;
    return it->second;
  }

  void RealPad(Input& in) {
    int id = 0;
    switch (in.U8() % 4) {
      case 0: PlugIn(); return;
      case 1:
        if (SomePad(in, &id)) PullOut(id);
        return;
      case 2:
        if (SDL_Joystick* j = SomePad(in, &id)) {
          SDL_JoystickSetVirtualButton(j, in.U8() % SDL_CONTROLLER_BUTTON_MAX, in.U8() & 1);
          padsThatMayHold.insert(id);
        }
        return;
      default:
        if (SDL_Joystick* j = SomePad(in, &id)) {
          SDL_JoystickSetVirtualAxis(j, in.U8() % SDL_CONTROLLER_AXIS_MAX, int16_t(in.U16()));
          padsThatMayHold.insert(id);
        }
        return;
    }
  }

  // Controller events no pad sent: ids that never existed, or one of a real pad.
  void MadeUpPad(Input& in) {
    SDL_Event e{};
    const int32_t which = in.U8() % 8;
    switch (in.U8() % 5) {
      case 0: e.type = SDL_CONTROLLERDEVICEADDED; break;
      case 1: e.type = SDL_CONTROLLERDEVICEREMOVED; break;
      case 2: e.type = SDL_CONTROLLERBUTTONDOWN; break;
      case 3: e.type = SDL_CONTROLLERBUTTONUP; break;
      default: e.type = SDL_CONTROLLERAXISMOTION; break;
    }
    if (e.type == SDL_CONTROLLERAXISMOTION) {
      e.caxis.which = which;
      e.caxis.axis = in.U8() % (SDL_CONTROLLER_AXIS_MAX + 1);
      e.caxis.value = int16_t(in.U16());
    } else if (e.type == SDL_CONTROLLERBUTTONDOWN || e.type == SDL_CONTROLLERBUTTONUP) {
      e.cbutton.which = which;
      e.cbutton.button = in.U8() % (SDL_CONTROLLER_BUTTON_MAX + 1);
      e.cbutton.state = e.type == SDL_CONTROLLERBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    } else {
      e.cdevice.which = which;
    }
    Push(e);
    if (e.type == SDL_CONTROLLERDEVICEREMOVED) padsThatMayHold.erase(which);
    else if (e.type != SDL_CONTROLLERDEVICEADDED) padsThatMayHold.insert(which);
  }

  void Mouse(Input& in) {
    SDL_Event e{};
    switch (in.U8() % 3) {
      case 0:
        e.type = SDL_MOUSEMOTION;
        e.motion.windowID = SomeWindow(in);
        e.motion.x = in.Coordinate();
        e.motion.y = in.Coordinate();
        break;
      case 1:
        e.type = in.U8() & 1 ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
        e.button.windowID = SomeWindow(in);
        e.button.button = in.U8() % 6;
        e.button.clicks = in.U8() % 3;
        e.button.state = e.type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
        e.button.x = in.Coordinate();
        e.button.y = in.Coordinate();
        break;
      default:
        e.type = SDL_MOUSEWHEEL;
        e.wheel.windowID = SomeWindow(in);
        e.wheel.y = int32_t(int8_t(in.U8()));
        break;
    }
    Push(e);
  }

  void WindowEvent(Input& in) {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = SomeWindow(in);
    e.window.event = uint8_t(in.U8() % (SDL_WINDOWEVENT_DISPLAY_CHANGED + 1));
    e.window.data1 = in.Size(kClientW);
    e.window.data2 = in.Size(kClientH);
    Push(e);
  }

  // What the window manager or the user does to the window itself.
  void Manage(Input& in) {
    switch (in.U8() % 7) {
      case 0: {
        const int w = std::min(in.Size(kClientW), kRealSizeCap);
        const int h = std::min(in.Size(kClientH), kRealSizeCap);
        SDL_SetWindowSize(window, w, h);
        break;
      }
      case 1: SDL_MinimizeWindow(window); break;
      case 2: SDL_RestoreWindow(window); break;
      case 3: SDL_MaximizeWindow(window); break;
      case 4: SDL_SetWindowFullscreen(window, in.U8() & 1 ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0); break;
      case 5: SDL_HideWindow(window); SDL_ShowWindow(window); break;
      default: SDL_RaiseWindow(window); break;
    }
  }

  void Other(Input& in) {
    SDL_Event e{};
    switch (in.U8() % 4) {
      case 0: e.type = SDL_QUIT; break;
      case 1:
        e.type = SDL_DISPLAYEVENT;
        e.display.display = in.U8() % 3;
        e.display.event = uint8_t(in.U8() % (SDL_DISPLAYEVENT_DISCONNECTED + 1));
        e.display.data1 = in.I32();
        break;
      case 2:
        // No sound device is open here: these must change nothing.
        e.type = in.U8() & 1 ? SDL_AUDIODEVICEADDED : SDL_AUDIODEVICEREMOVED;
        e.adevice.which = in.U8();
        e.adevice.iscapture = in.U8() & 1;
        break;
      default: e.type = SDL_RENDER_TARGETS_RESET; break;
    }
    Push(e);
  }

  // The letterbox for an output of any size: the picture is the client area scaled by
  // a whole factor, centred, and positions map back consistently.
  static void CheckLetterbox(Input& in) {
    const int ow = in.Size(kClientW), oh = in.Size(kClientH);
    const Letterbox box = FitWholeFactor(kClientW, kClientH, ow, oh);
    if (box.factor < 1 || box.dest.Width() != kClientW * box.factor ||
        box.dest.Height() != kClientH * box.factor)
      Fail("letterbox is not the client scaled by its factor");
    if (ow >= kClientW && oh >= kClientH) {
      if (box.factor != std::min(ow / kClientW, oh / kClientH)) Fail("factor not the largest");
      if (box.dest.left < 0 || box.dest.top < 0 || box.dest.right > ow || box.dest.bottom > oh)
        Fail("letterbox outside the output");
    }
    const Point at{in.Coordinate(), in.Coordinate()};
    const Point c = OutputToClient(box, at);
    const bool onPicture = at.x >= box.dest.left && at.x < box.dest.right &&
                           at.y >= box.dest.top && at.y < box.dest.bottom;
    const bool inClient = c.x >= 0 && c.x < kClientW && c.y >= 0 && c.y < kClientH;
    if (onPicture != inClient) Fail("a position on the picture maps outside the client or back");
  }

  // Moves SDL's events through the host and takes what it posted, as the game would.
  void Pump() {
    GetHost().PumpInput();
    Message m;
    while (PeekMessage(m, PM_REMOVE)) {
      if (m.message >= WM_MOUSEMOVE && m.message <= WM_MOUSEWHEEL && m.message != WM_MOUSEWHEEL) {
        const int x = int16_t(m.lParam & 0xFFFF), y = int16_t((m.lParam >> 16) & 0xFFFF);
        if (x < 0 || x >= kClientW || y < 0 || y >= kClientH)
          Fail("mouse message outside the client area");
      }
      DispatchMessage(m);
    }
    CheckNoKeyLeftDown();
  }

  void CheckNoKeyLeftDown() {
    if (!padsThatMayHold.empty()) return;
    for (int vk = 8; vk < 256; ++vk)
      if ((GetKeyState(vk) & 0x8000) && !keyboardDown.count(vk)) Fail("a key stayed down");
  }

  void Run(Input& in) {
    while (!in.Empty()) {
      const uint8_t op = in.U8();
      switch (op % 10) {
        case 0: case 1: Key(in); break;
        case 2: Text(in); break;
        case 3: RealPad(in); break;
        case 4: MadeUpPad(in); break;
        case 5: Mouse(in); break;
        case 6: WindowEvent(in); break;
        case 7: Manage(in); break;
        case 8: Other(in); break;
        default: CheckLetterbox(in); break;
      }
      if (op >= 128) Pump();  // events pile up between pumps, as between frames
    }
    Pump();
    // Every pad pulled out, every keyboard key let go: nothing may stay pressed.
    while (!pads.empty()) PullOut(pads.begin()->first);
    Pump();
    for (int32_t id : std::set<int32_t>(padsThatMayHold)) {
      SDL_Event e{};
      e.type = SDL_CONTROLLERDEVICEREMOVED;
      e.cdevice.which = id;
      Push(e);
    }
    padsThatMayHold.clear();
    for (SDL_Keycode sym : pressed) {
      SDL_Event e{};
      e.type = SDL_KEYUP;
      e.key.windowID = windowId;
      e.key.keysym.sym = sym;
      Push(e);
    }
    keyboardDown.clear();
    pressed.clear();
    Pump();
    // The next input starts from a window of the usual size, not fullscreen.
    SDL_SetWindowFullscreen(window, 0);
    SDL_RestoreWindow(window);
    SDL_SetWindowSize(window, kClientW, kClientH);
    Pump();
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Storm* storm = [] {
    auto* s = new Storm;
    s->Start();
    return s;
  }();
  Input in(data, size);
  storm->Run(in);
  return 0;
}
