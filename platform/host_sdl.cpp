// The SDL2 host: one real window per shown top-level window, a real millisecond clock,
// and waiting in SDL until input arrives or the next deadline passes (an idle game
// sleeps instead of polling). A window shows its client area scaled by the largest whole
// factor that fits and centred on black, whether the user resized it or it fills the
// screen (F11), so pixels stay sharp and square. Game controllers press the keyboard's
// keys (platform/gamepad.h).
#include <SDL.h>
#include <SDL_syswm.h>
#include <dlfcn.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>
#include <map>

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include "platform/audio.h"
#include "platform/gamepad.h"
#include "platform/host_internal.h"
#include "platform/latency_probe.h"
#include "platform/letterbox.h"
#include "platform/present.h"
#include "platform/process.h"
#include "platform/surface.h"
#include "platform/window.h"
#include "platform/x11_display.h"

namespace platform::detail {

namespace {

bool g_sdlStarted = false;
// Set once the display connection has broken: from then on nothing may talk to it.
bool g_displayLost = false;
std::function<void()> g_displayLostHandler;

[[noreturn]] void LoseDisplay();

struct RealWindow {
  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* texture = nullptr;
  int textureW = 0, textureH = 0;
  int clientW = 0, clientH = 0;  // the emulated window's client size the window was sized for
  // Presenting into the window's own surface: what it showed last, to tell whether a
  // present may carry only the changed areas.
  bool useSurface = true;
  // On X, the window's pixels go through shared memory without a wait for the server
  // (platform/x11_display.h); SDL's surface is the way everywhere else.
  std::unique_ptr<X11ShmPresenter> x11;
  SDL_Surface* shown = nullptr;
  int shownW = 0, shownH = 0, shownFrameW = 0, shownFrameH = 0;
  bool needsAll = true;
};

class SdlHost final : public Host {
 public:
  SdlHost(int scale, bool fullscreen)
      : scale_(std::max(1, scale)), fullscreen_(fullscreen), start_(SDL_GetTicks64()),
        gamepads_(PostKeyInput) {
    wakeEvent_ = SDL_RegisterEvents(1);
    wakeFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  }
  ~SdlHost() override {
    for (auto& [h, w] : windows_) Destroy(w);
    if (wakeFd_ >= 0) close(wakeFd_);
  }

  bool IsHeadless() const override { return false; }
  uint32_t Now() override { return uint32_t(SDL_GetTicks64() - start_); }

  void PumpInput() override {
    lastPump_ = SDL_GetTicks64();
    SDL_PumpEvents();
    TakeEvents();
  }

  // Several times a millisecond in a busy frame. Reading the display connection and the
  // device monitors takes some ten system calls each time, so they are read at most once
  // a millisecond (and by every wait); events already read are taken every time. On X,
  // they are read only when the display has sent something, or every 50 ms for the
  // device monitors (a controller plugged in); while a controller is attached, which
  // the display does not report, once a millisecond as before.
  void PumpInputBeforeMessage() override {
    constexpr uint64_t kDevicesEveryMs = 50;
    const uint64_t now = SDL_GetTicks64();
    if (now != lastPump_ && (!xInput_ || now - lastPump_ >= kDevicesEveryMs ||
                             SDL_NumJoysticks() > 0 || xInput_->HasInput())) {
      lastPump_ = now;
      SDL_PumpEvents();
    }
    TakeEvents();
  }

  bool WaitUntil(std::optional<uint32_t> deadline) override {
    if (SDL_NumJoysticks() > 0) {
      WaitInSlices(deadline);
      return true;
    }
    if (xInput_ && wakeFd_ >= 0) {
      WaitOnX(deadline);
      return true;
    }
    if (!deadline) {
      SDL_WaitEvent(nullptr);
      return true;
    }
    uint32_t now = Now();
    if (*deadline <= now) return true;
    // A wait read everything there was as it began and then heard nothing until its
    // time: there is nothing to read as it ends.
    if (SDL_WaitEventTimeout(nullptr, int(std::min<uint32_t>(*deadline - now, INT_MAX))) == 0)
      lastPump_ = SDL_GetTicks64();
    return true;
  }

  // SDL's wait reads the display and the device monitors twice before it sleeps, some
  // twenty system calls for each of the game's sixty-odd waits a second. On X the host
  // sleeps on the display's socket and its own wake-up counter, and reads the display
  // when it has sent something; the device monitors are read every 50 ms, as in
  // PumpInputBeforeMessage.
  void WaitOnX(std::optional<uint32_t> deadline) {
    if (SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT)) return;  // pushed since taken
    int timeout = -1;
    if (deadline) {
      const uint32_t now = Now();
      if (*deadline <= now) return;
      timeout = int(std::min<uint32_t>(*deadline - now, INT_MAX));
    }
    if (!xInput_->Wait(timeout, wakeFd_)) return;
    lastPump_ = SDL_GetTicks64();
    SDL_PumpEvents();
  }

  void TakeEvents() {
    SDL_Event e;
    while (SDL_PeepEvents(&e, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) Translate(e);
  }

  // With a joystick attached, SDL's wait reads every device each millisecond, since it
  // cannot wait on the pads: a thousand wake-ups a second for as long as one is plugged
  // in. The host sleeps in slices instead and reads everything between them; a key or a
  // button waits at most one slice, and another thread's post ends the slice at once.
  void WaitInSlices(std::optional<uint32_t> deadline) {
    constexpr uint32_t kSliceMs = 8;
    const uint32_t now = Now();
    if (deadline && *deadline <= now) return;
    const uint32_t slice = deadline ? std::min(*deadline - now, kSliceMs) : kSliceMs;
    pollfd wake{wakeFd_, POLLIN, 0};  // a descriptor of -1 is ignored: the slice is slept
    if (poll(&wake, 1, int(slice)) > 0) {
      uint64_t count = 0;
      [[maybe_unused]] const ssize_t n = read(wakeFd_, &count, sizeof count);
    }
    lastPump_ = SDL_GetTicks64();
    SDL_PumpEvents();
  }

  void Wake() override {
    if (wakeFd_ >= 0) {
      const uint64_t one = 1;
      [[maybe_unused]] const ssize_t n = write(wakeFd_, &one, sizeof one);
    }
    if (wakeEvent_ == uint32_t(-1)) return;
    SDL_Event e{};
    e.type = wakeEvent_;
    SDL_PushEvent(&e);
  }

  void TopLevelChanged(HWND h) override {
    bool shown = IsWindow(h) && IsWindowVisible(h) && !(GetStyle(h) & WS_MESSAGEONLY);
    auto it = windows_.find(h);
    if (!shown) {
      if (it != windows_.end()) {
        Destroy(it->second);
        windows_.erase(it);
      }
      return;
    }
    Rect client = GetClientRect(h);
    const int cw = std::max(1, client.Width()), ch = std::max(1, client.Height());
    if (it == windows_.end()) {
      RealWindow rw;
      uint32_t flags = SDL_WINDOW_SHOWN | SDL_WINDOW_RESIZABLE;
      if (fullscreen_) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
      rw.window = SDL_CreateWindow(GetWindowTitle(h).c_str(), SDL_WINDOWPOS_CENTERED,
                                   SDL_WINDOWPOS_CENTERED, cw * scale_, ch * scale_, flags);
      if (!rw.window) return;
      // Smaller than the client area there would be no whole factor left to scale by.
      SDL_SetWindowMinimumSize(rw.window, cw, ch);
      rw.clientW = cw;
      rw.clientH = ch;
      // The frame is composed in memory already; all that is left is to copy what changed
      // into the window's own pixels (shared memory on X) and hand the display those
      // rectangles. A renderer would upload the whole frame as a texture and copy it all
      // to the window on every present; a GL one would first bring up a GL driver, which
      // without a GPU is a software rasteriser costing several per cent of a core, 80 MB
      // and 50 ms of start-up. Only when the window has no surface of its own does the
      // software renderer take over. No vsync: waiting for the display would hold up
      // the game's timers.
      if (!UseSdlSurfaceOnly()) rw.x11 = X11ShmPresenter::Open(rw.window);
      if (!xInput_) xInput_ = X11InputProbe::Open(rw.window);  // SDL's connection: one for all
      windows_[h] = std::move(rw);
      return;
    }
    RealWindow& rw = it->second;
    SDL_SetWindowTitle(rw.window, GetWindowTitle(h).c_str());
    // Only a new client size resizes the real window: a size the user chose by dragging
    // stays when the game merely moves or re-titles its window.
    if (rw.clientW == cw && rw.clientH == ch) return;
    rw.clientW = cw;
    rw.clientH = ch;
    SDL_SetWindowMinimumSize(rw.window, cw, ch);
    if (!(SDL_GetWindowFlags(rw.window) & SDL_WINDOW_FULLSCREEN))
      SDL_SetWindowSize(rw.window, cw * scale_, ch * scale_);
  }

  void Present(HWND h, const Surface& frame) override {
    const Rect all = frame.Bounds();
    PresentRects(h, frame, std::span<const Rect>(&all, 1));
  }

  void PresentRects(HWND h, const Surface& frame, std::span<const Rect> dirty) override {
    auto it = windows_.find(h);
    if (it == windows_.end() || frame.Empty()) return;
    RealWindow& rw = it->second;
    if (rw.x11 && !PresentThroughX11(rw, frame, dirty)) {
      rw.x11.reset();  // SDL's way from now on
      rw.needsAll = true;
    }
    if (!rw.x11 && !PresentThroughSdl(rw, frame, dirty)) return;
    ProbePresented();
    if (!presentedOnce_) {
      presentedOnce_ = true;
      ReportStartUpIfAsked();
    }
  }

  Rect ScreenRect() override {
    SDL_Rect r{0, 0, 1920, 1080};
    SDL_GetDisplayUsableBounds(0, &r);
    return {r.x / scale_, r.y / scale_, (r.x + r.w) / scale_, (r.y + r.h) / scale_};
  }

  void ShowMessageBox(const std::string& text, const std::string& caption, int icon) override {
    uint32_t flags = icon == 0x10 ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION;
    SDL_Window* parent = nullptr;
    auto it = windows_.find(GetActiveWindow());
    if (it != windows_.end()) parent = it->second.window;
    if (SDL_ShowSimpleMessageBox(flags, caption.c_str(), text.c_str(), parent) != 0) {
      // No way to show it (the display went away): the text must not be lost.
      std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
      std::fflush(stderr);
    }
  }

 private:
  // TOLVARAN_REPORT_STARTUP=1: one line on stderr with the time from the process's start
  // (as the kernel saw the program start, so loading the libraries counts) to the first
  // frame on the screen. The kernel counts in clock ticks, usually 10 ms.
  static void ReportStartUpIfAsked() {
    const char* asked = std::getenv("TOLVARAN_REPORT_STARTUP");
    if (!asked || std::strcmp(asked, "1") != 0) return;
    std::ifstream stat("/proc/self/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), {});
    // Field 22, counted after the command name, which may hold spaces: start after ')'.
    std::istringstream fields(text.substr(std::min(text.size(), text.rfind(')') + 1)));
    std::string field;
    for (int i = 3; i <= 22 && fields >> field; ++i) {}
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const double started = std::strtod(field.c_str(), nullptr) / double(sysconf(_SC_CLK_TCK));
    const double ms = (double(now.tv_sec) + now.tv_nsec / 1e9 - started) * 1000.0;
    std::fprintf(stderr, "tolvaran: first frame on the screen %.0f ms after start\n", ms);
  }
  bool presentedOnce_ = false;

  // TOLVARAN_SDL_SURFACE=1: present through SDL's window surface on X as well, the way
  // to compare the two or to step around a display that mishandles the other.
  static bool UseSdlSurfaceOnly() {
    const char* v = std::getenv("TOLVARAN_SDL_SURFACE");
    return v && std::strcmp(v, "1") == 0;
  }

  static bool PresentThroughSdl(RealWindow& rw, const Surface& frame,
                                std::span<const Rect> dirty) {
    if (rw.useSurface && !PresentToSurface(rw, frame, dirty)) {
      rw.useSurface = false;
      rw.renderer = SDL_CreateRenderer(rw.window, -1, SDL_RENDERER_SOFTWARE);
      if (!rw.renderer) rw.renderer = SDL_CreateRenderer(rw.window, -1, 0);
    }
    return rw.useSurface || PresentWithRenderer(rw, frame);
  }

  // As PresentToSurface, into the X presenter's image. False when the display refused
  // it; the caller then goes on with SDL's surface.
  static bool PresentThroughX11(RealWindow& rw, const Surface& frame,
                                std::span<const Rect> dirty) {
    int w = 0, h = 0;
    SDL_GetWindowSize(rw.window, &w, &h);  // X has no points apart from pixels
    int pitch = 0;
    bool fresh = false;
    uint32_t* pixels = rw.x11->Begin(w, h, pitch, fresh);
    if (!pixels) return false;
    const std::vector<Rect> written =
        DrawScaled(frame, dirty, fresh || NeedsAll(rw, frame), pixels, pitch, w, h);
    if (!written.empty() && !rw.x11->Put(written)) return false;
    Shown(rw, frame);
    return true;
  }

  // Copies the changed areas, scaled, into the window's surface and updates just those
  // rectangles on the screen; the whole window (black bars included) after anything that
  // may have spoilt it. False when the window has no usable surface.
  static bool PresentToSurface(RealWindow& rw, const Surface& frame,
                               std::span<const Rect> dirty) {
    SDL_Surface* ws = SDL_GetWindowSurface(rw.window);
    if (!ws || ws->format->BytesPerPixel != 4 || ws->format->Rmask != 0x00FF0000u ||
        ws->format->Gmask != 0x0000FF00u || ws->format->Bmask != 0x000000FFu)
      return false;
    const bool all = NeedsAll(rw, frame) || ws != rw.shown || ws->w != rw.shownW ||
                     ws->h != rw.shownH;
    if (SDL_MUSTLOCK(ws) && SDL_LockSurface(ws) != 0) return false;
    const std::vector<Rect> written = DrawScaled(frame, dirty, all,
                                                 static_cast<uint32_t*>(ws->pixels),
                                                 ws->pitch / 4, ws->w, ws->h);
    if (SDL_MUSTLOCK(ws)) SDL_UnlockSurface(ws);
    if (all) {
      if (SDL_UpdateWindowSurface(rw.window) != 0) return false;
    } else if (!written.empty()) {
      std::vector<SDL_Rect> rects;
      rects.reserve(written.size());
      for (const Rect& r : written) rects.push_back({r.left, r.top, r.Width(), r.Height()});
      if (SDL_UpdateWindowSurfaceRects(rw.window, rects.data(), int(rects.size())) != 0)
        return false;
    }
    rw.shown = ws;
    rw.shownW = ws->w;
    rw.shownH = ws->h;
    Shown(rw, frame);
    return true;
  }

  // Whether the next present must redraw the whole window, black bars included.
  static bool NeedsAll(const RealWindow& rw, const Surface& frame) {
    return rw.needsAll || frame.Width() != rw.shownFrameW || frame.Height() != rw.shownFrameH;
  }
  static void Shown(RealWindow& rw, const Surface& frame) {
    rw.shownFrameW = frame.Width();
    rw.shownFrameH = frame.Height();
    rw.needsAll = false;
  }

  // Copies the `dirty` areas of `frame`, scaled into the letterbox, into the window's
  // `w` x `h` pixels (XRGB, `pitch` pixels a row), or with `all` the whole frame on
  // black. Returns the window's rectangles that changed.
  static std::vector<Rect> DrawScaled(const Surface& frame, std::span<const Rect> dirty,
                                      bool all, uint32_t* pixels, int pitch, int w, int h) {
    const Letterbox box = FitWholeFactor(frame.Width(), frame.Height(), w, h);
    if (!all) return CopyScaledRects(frame, dirty, box, pixels, pitch, w, h);
    for (int y = 0; y < h; ++y) std::fill_n(pixels + size_t(y) * size_t(pitch), w, 0u);
    const Rect whole = frame.Bounds();
    CopyScaledRects(frame, std::span<const Rect>(&whole, 1), box, pixels, pitch, w, h);
    return {Rect{0, 0, w, h}};
  }

  // The whole frame through SDL's renderer, for a window without a surface of its own.
  static bool PresentWithRenderer(RealWindow& rw, const Surface& frame) {
    if (!rw.renderer) return false;
    if (!rw.texture || rw.textureW != frame.Width() || rw.textureH != frame.Height()) {
      if (rw.texture) SDL_DestroyTexture(rw.texture);
      // BGRA in memory is ARGB8888 read as a little-endian word.
      rw.texture = SDL_CreateTexture(rw.renderer, SDL_PIXELFORMAT_ARGB8888,
                                     SDL_TEXTUREACCESS_STREAMING, frame.Width(), frame.Height());
      rw.textureW = frame.Width();
      rw.textureH = frame.Height();
      if (!rw.texture) return false;
      SDL_SetTextureScaleMode(rw.texture, SDL_ScaleModeNearest);
    }
    SDL_UpdateTexture(rw.texture, nullptr, frame.Data(), frame.Width() * 4);
    const Letterbox box = BoxOf(rw, frame.Width(), frame.Height());
    const SDL_Rect dest{box.dest.left, box.dest.top, box.dest.Width(), box.dest.Height()};
    SDL_SetRenderDrawColor(rw.renderer, 0, 0, 0, 255);
    SDL_RenderClear(rw.renderer);
    SDL_RenderCopy(rw.renderer, rw.texture, nullptr, &dest);
    SDL_RenderPresent(rw.renderer);
    return true;
  }

  static void Destroy(RealWindow& w) {
    w.x11.reset();  // done with the window on its own connection before SDL destroys it
    if (w.texture) SDL_DestroyTexture(w.texture);
    if (w.renderer) SDL_DestroyRenderer(w.renderer);
    if (w.window) SDL_DestroyWindow(w.window);
    w = RealWindow{};
  }

  HWND FromSdlWindow(uint32_t id) const {
    SDL_Window* sw = SDL_GetWindowFromID(id);
    for (const auto& [h, w] : windows_)
      if (w.window == sw) return h;
    return 0;
  }

  // The window's drawable size in pixels (more than its size in points on a high-density
  // display).
  static void OutputSize(const RealWindow& rw, int& w, int& h) {
    if (!rw.renderer || SDL_GetRendererOutputSize(rw.renderer, &w, &h) != 0)
      SDL_GetWindowSize(rw.window, &w, &h);
  }

  // Where the client area lies in the window's drawable pixels.
  static Letterbox BoxOf(const RealWindow& rw, int clientW, int clientH) {
    int ow = 0, oh = 0;
    OutputSize(rw, ow, oh);
    return FitWholeFactor(clientW, clientH, ow, oh);
  }

  // A mouse position (window coordinates) in the emulated window's client coordinates.
  Point ToClient(HWND h, int x, int y) const {
    auto it = windows_.find(h);
    if (it == windows_.end()) return {x, y};
    const RealWindow& rw = it->second;
    int ww = 0, wh = 0, ow = 0, oh = 0;
    SDL_GetWindowSize(rw.window, &ww, &wh);
    OutputSize(rw, ow, oh);
    if (ww > 0 && wh > 0 && (ow != ww || oh != wh)) {
      x = int(int64_t(x) * ow / ww);
      y = int(int64_t(y) * oh / wh);
    }
    return OutputToClient(FitWholeFactor(rw.clientW, rw.clientH, ow, oh), {x, y});
  }

  void ToggleFullscreen(uint32_t windowId) {
    SDL_Window* sw = SDL_GetWindowFromID(windowId);
    if (!sw) return;
    const bool on = !(SDL_GetWindowFlags(sw) & SDL_WINDOW_FULLSCREEN);
    // Borderless at the desktop's own resolution: no mode switch, nothing to restore.
    SDL_SetWindowFullscreen(sw, on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    fullscreen_ = on;  // windows opened later follow
  }

  void Translate(const SDL_Event& e) {
    if (gamepads_.Handle(e)) return;
    switch (e.type) {
      case SDL_KEYDOWN: case SDL_KEYUP: OnKey(e.key); break;
      case SDL_MOUSEMOTION: OnMotion(e.motion); break;
      case SDL_MOUSEBUTTONDOWN: case SDL_MOUSEBUTTONUP: OnButton(e.button); break;
      case SDL_MOUSEWHEEL: OnWheel(e.wheel); break;
      case SDL_WINDOWEVENT: OnWindow(e.window); break;
      case SDL_QUIT: OnQuit(); break;
      // Output devices only; the game records nothing.
      case SDL_AUDIODEVICEREMOVED:
        if (!e.adevice.iscapture) AudioDeviceRemoved(e.adevice.which);
        break;
      case SDL_AUDIODEVICEADDED:
        if (!e.adevice.iscapture) AudioDeviceAdded();
        break;
      default: break;
    }
  }

  void OnKey(const SDL_KeyboardEvent& k) {
    // F11 belongs to the host, as it does in other programs: the game never sees it.
    if (k.keysym.sym == SDLK_F11) {
      if (k.type == SDL_KEYDOWN && !k.repeat) ToggleFullscreen(k.windowID);
      return;
    }
    if (int vk = VirtualKeyFromSdl(k.keysym.sym)) {
      // SDL stamps the event when it read it from the display server.
      const uint32_t now = uint32_t(SDL_GetTicks64());
      ProbeKeyArrived(k.type == SDL_KEYDOWN, now > k.timestamp ? now - k.timestamp : 0);
      PostKeyInput(vk, k.type == SDL_KEYDOWN);
    }
  }

  void OnMotion(const SDL_MouseMotionEvent& m) {
    if (HWND h = FromSdlWindow(m.windowID)) PostMouseInput(h, WM_MOUSEMOVE, ToClient(h, m.x, m.y));
  }

  void OnButton(const SDL_MouseButtonEvent& b) {
    HWND h = FromSdlWindow(b.windowID);
    if (!h) return;
    bool down = b.type == SDL_MOUSEBUTTONDOWN;
    uint32_t msg;
    if (b.button == SDL_BUTTON_LEFT) {
      msg = down ? (b.clicks == 2 ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN) : WM_LBUTTONUP;
    } else if (b.button == SDL_BUTTON_RIGHT) {
      msg = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
    } else {
      return;
    }
    PostMouseInput(h, msg, ToClient(h, b.x, b.y));
  }

  void OnWheel(const SDL_MouseWheelEvent& w) {
    HWND h = FromSdlWindow(w.windowID);
    if (!h || w.y == 0) return;
    int x = 0, y = 0;
    SDL_GetMouseState(&x, &y);
    PostMouseInput(h, WM_MOUSEWHEEL, ToClient(h, x, y), w.y * 120);
  }

  void OnWindow(const SDL_WindowEvent& w) {
    HWND h = FromSdlWindow(w.windowID);
    if (!h) return;
    switch (w.event) {
      case SDL_WINDOWEVENT_CLOSE: PostCloseRequest(h); break;
      case SDL_WINDOWEVENT_FOCUS_LOST:
        ReleaseAllInputKeys();
        gamepads_.Forget();
        break;
      case SDL_WINDOWEVENT_SIZE_CHANGED:
      case SDL_WINDOWEVENT_EXPOSED:
        if (auto it = windows_.find(h); it != windows_.end()) it->second.needsAll = true;
        if (const Surface* f = GetWindowFrame(h)) Present(h, *f);
        break;
      default: break;
    }
  }

  void OnQuit() {
    // SDL's Wayland driver reports a compositor that went away as a quit request.
    if (WaylandConnectionBroken()) LoseDisplay();
    // The session ending: ask every window to close.
    for (const auto& [h, w] : windows_) PostCloseRequest(h);
  }

  bool WaylandConnectionBroken() const {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || std::strcmp(driver, "wayland") != 0 || windows_.empty()) return false;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(windows_.begin()->second.window, &info) ||
        info.subsystem != SDL_SYSWM_WAYLAND || !info.info.wl.display)
      return false;
    // SDL loads the client library itself; ask the copy it loaded.
    using GetError = int (*)(void*);
    void* library = dlopen("libwayland-client.so.0", RTLD_LAZY | RTLD_NOLOAD);
    auto getError = library ? reinterpret_cast<GetError>(dlsym(library, "wl_display_get_error"))
                            : nullptr;
    const bool broken = getError && getError(info.info.wl.display) != 0;
    if (library) dlclose(library);
    return broken;
  }

 public:
  // The display is gone: the windows can no longer be destroyed or drawn, only forgotten.
  void ForgetWindows() {
    // The presenters' connections are as dead as SDL's; closing them would talk to them.
    for (auto& [h, w] : windows_) (void)w.x11.release();
    windows_.clear();
    presentedOnce_ = true;
  }

 private:

  int scale_;
  bool fullscreen_;
  uint64_t start_;
  uint64_t lastPump_ = 0;
  std::unique_ptr<X11InputProbe> xInput_;
  Gamepads gamepads_;
  uint32_t wakeEvent_ = uint32_t(-1);
  int wakeFd_ = -1;  // counts Wake() calls: the host's own waits sleep on it
  std::map<HWND, RealWindow> windows_;
};

// The display connection broke (the X server ended, the compositor went away, the
// session was logged out under the game). Nothing can be shown any more, so the game
// ends: the sound stops first, then the handler (the runtime's orderly end) writes what
// the user asked for, and the process exits 1 after one line. The windows are forgotten,
// not destroyed: that would talk to the display again. Should anything still reach the
// display while ending, its failure lands here again and ends at once, with the same
// status; so does a failure of the display on another thread.
void LoseDisplay() {
  static std::atomic<bool> ending{false};
  if (ending.exchange(true)) _exit(1);
  g_displayLost = true;
  const char* name = std::getenv("DISPLAY");
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver && std::strcmp(driver, "wayland") == 0) name = std::getenv("WAYLAND_DISPLAY");
  std::fprintf(stderr, "tolvaran: lost the connection to the display %s; exiting\n",
               name && *name ? name : "(default)");
  std::fflush(stderr);
  ShutdownAudio();
  if (HostStarted())
    if (auto* host = dynamic_cast<SdlHost*>(&GetHost())) host->ForgetWindows();
  if (g_displayLostHandler) g_displayLostHandler();
  ExitProcess(1);
}

// Xlib's own handler for a broken connection prints its message and calls exit(), whose
// clean-up then talks to the dead connection again and crashes.
int OnXConnectionBroken(void*) { LoseDisplay(); }

void WatchX11Connection() {
  const char* driver = SDL_GetCurrentVideoDriver();
  if (!driver || std::strcmp(driver, "x11") != 0) return;
  // SDL loads Xlib itself; the handler goes into the copy it loaded (and that stays).
  void* library = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
  if (!library) return;
  using Handler = int (*)(void*);
  using SetHandler = Handler (*)(Handler);
  if (auto set = reinterpret_cast<SetHandler>(dlsym(library, "XSetIOErrorHandler")))
    set(OnXConnectionBroken);
}

std::string OneLine(std::string s) {
  std::replace(s.begin(), s.end(), '\n', ' ');
  return s;
}

// SDL would fall back to its invisible "offscreen" driver when no display answers, and
// the game would then run unseen. Only real displays count, unless the user picked a
// driver with SDL_VIDEODRIVER.
bool StartVideo() {
  const char* chosen = std::getenv("SDL_VIDEODRIVER");
  if (chosen && *chosen) return SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) == 0;
  std::vector<const char*> drivers;
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if (x11 && *x11) drivers.push_back("x11");
  if (wayland && *wayland) drivers.push_back("wayland");
  if (drivers.empty()) drivers.push_back("KMSDRM");  // a bare console
  for (const char* d : drivers) {
    SDL_SetHint(SDL_HINT_VIDEODRIVER, d);
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) == 0) return true;
  }
  return false;
}

}  // namespace

std::unique_ptr<Host> MakeSdlHost(const HostOptions& options, std::string& error) {
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");
  // The software renderer draws into the window's own framebuffer; left to itself SDL
  // may back that framebuffer with a GL texture (and bring up GL just to find out).
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  // Should a GL renderer be used after all, its driver would otherwise keep a shader
  // cache in the home folder; the game writes nothing to disk unless asked to.
  setenv("MESA_SHADER_CACHE_DISABLE", "true", 0);
  setenv("MESA_GLSL_CACHE_DISABLE", "true", 0);
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  // Termination signals are the program's own (EndOnSignals), headless or not.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (!StartVideo()) {
    error = "no display available (" + OneLine(SDL_GetError()) + "): run with --headless";
    return nullptr;
  }
  g_sdlStarted = true;
  WatchX11Connection();
  // Face buttons by their place on the pad, so south is south on every maker's pad.
  SDL_SetHint(SDL_HINT_GAMECONTROLLER_USE_BUTTON_LABELS, "0");
  // Without controller support the keyboard still plays: not an error.
  SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER);
  return std::make_unique<SdlHost>(options.scale, options.fullscreen);
}

void ShutdownSdl() {
  // Closing a display that is gone would only fail again.
  if (!g_sdlStarted || g_displayLost) return;
  g_sdlStarted = false;
  SDL_Quit();
}

}  // namespace platform::detail

namespace platform {

void SetDisplayLostHandler(std::function<void()> fn) {
  detail::g_displayLostHandler = std::move(fn);
}

}  // namespace platform
