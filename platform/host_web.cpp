// The browser's host. The game runs on a worker thread of its own (Emscripten's
// PROXY_TO_PTHREAD), where its message loop may block while it waits, exactly as on the
// desktop; the page's thread owns the canvas, the keyboard, the gamepads and WebAudio.
// The two meet here: the page's events go into an inbox that PumpInput empties on the
// game's thread, and each presented frame goes to the page as the rectangles that changed
// since the last one (web/tolvaran_pre.js draws them with putImageData).
#include <emscripten.h>
#include <emscripten/threading.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <string>
#include <variant>
#include <vector>

#include "platform/gamepad_keys.h"
#include "platform/host_internal.h"
#include "platform/keys_web.h"
#include "platform/surface.h"
#include "platform/web.h"
#include "platform/window.h"

namespace platform {
namespace detail {

namespace {

struct KeyEvent { int vk; bool down; };
struct MouseEvent { uint32_t msg; Point at; int wheel; };
struct PadEvent { int pad, kind, index, value; };  // kind: 0 button, 1 axis, 2 removed
struct FocusLost {};
struct DumpRequest {};
using PageEvent = std::variant<KeyEvent, MouseEvent, PadEvent, FocusLost, DumpRequest>;

// What the page's thread hands to the game's. Never destroyed: the page may call in
// while the game's thread ends.
struct Inbox {
  std::mutex mutex;
  std::condition_variable arrived;
  std::deque<PageEvent> events;
  bool woken = false;
  std::function<std::string()> dumper;
};
Inbox& TheInbox() {
  static Inbox* inbox = new Inbox;
  return *inbox;
}

void Deliver(PageEvent e) {
  Inbox& in = TheInbox();
  {
    std::lock_guard lock(in.mutex);
    in.events.push_back(std::move(e));
  }
  in.arrived.notify_one();
}

class WebHost final : public Host {
 public:
  WebHost() : start_(Clock::now()), pads_(PostKeyInput) {}

  bool IsHeadless() const override { return false; }
  uint32_t Now() override {
    return uint32_t(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start_).count());
  }

  void PumpInput() override {
    std::deque<PageEvent> events;
    {
      Inbox& in = TheInbox();
      std::lock_guard lock(in.mutex);
      events.swap(in.events);
    }
    for (const PageEvent& e : events) std::visit([this](const auto& v) { Handle(v); }, e);
  }

  bool WaitUntil(std::optional<uint32_t> deadline) override {
    Inbox& in = TheInbox();
    std::unique_lock lock(in.mutex);
    auto ready = [&] { return in.woken || !in.events.empty(); };
    if (deadline) {
      const uint32_t now = Now();
      if (*deadline > now)
        in.arrived.wait_for(lock, std::chrono::milliseconds(*deadline - now), ready);
    } else {
      in.arrived.wait(lock, ready);
    }
    in.woken = false;
    return true;
  }

  void Wake() override {
    Inbox& in = TheInbox();
    {
      std::lock_guard lock(in.mutex);
      in.woken = true;
    }
    in.arrived.notify_one();
  }

  void TopLevelChanged(HWND) override {
    const HWND shown = FirstShownTopLevel();
    if (shown != canvasWindow_) {
      canvasWindow_ = shown;
      wholeSent_ = false;  // a new window starts with a whole frame
    }
    if (!shown) return;
    const std::string title = GetWindowTitle(shown);
    char* copy = strdup(title.c_str());
    MAIN_THREAD_ASYNC_EM_ASM({ Module.tolvaranPage.setTitle(UTF8ToString($0)); _free($0); }, copy);
  }

  void Present(HWND h, const Surface& frame) override {
    const Rect all{0, 0, frame.Width(), frame.Height()};
    PresentRects(h, frame, std::span<const Rect>(&all, 1));
  }

  // The window tree hands over the areas painted since the last present: only those go
  // to the canvas, with the whole frame after a new window or a new size.
  void PresentRects(HWND h, const Surface& frame, std::span<const Rect> dirty) override {
    if (h != canvasWindow_ || frame.Empty()) return;
    const int w = frame.Width(), ht = frame.Height();
    const Rect bounds{0, 0, w, ht};
    std::vector<Rect> rects;
    if (!wholeSent_ || shownW_ != w || shownH_ != ht) {
      rects.push_back(bounds);
    } else {
      for (const Rect& r : dirty) {
        const Rect c = Intersect(r, bounds);
        if (!c.Empty()) rects.push_back(c);
      }
    }
    if (rects.empty()) return;
    wholeSent_ = true;
    shownW_ = w;
    shownH_ = ht;
    // One block for the page: the frame size and the rectangle count, each rectangle's
    // x, y, width and height, then its pixels as RGBA (what ImageData holds).
    size_t words = 3 + rects.size() * 4;
    for (const Rect& r : rects) words += size_t(r.Width()) * size_t(r.Height());
    auto* block = static_cast<uint32_t*>(std::malloc(words * sizeof(uint32_t)));
    if (!block) return;
    uint32_t* p = block;
    *p++ = uint32_t(w);
    *p++ = uint32_t(ht);
    *p++ = uint32_t(rects.size());
    for (const Rect& r : rects) {
      *p++ = uint32_t(r.left);
      *p++ = uint32_t(r.top);
      *p++ = uint32_t(r.Width());
      *p++ = uint32_t(r.Height());
    }
    for (const Rect& r : rects) {
      for (int y = r.top; y < r.bottom; ++y) {
        const uint32_t* row = frame.Row(y);
        for (int x = r.left; x < r.right; ++x) {
          const uint32_t bgra = row[x];  // B, G, R, A in memory; the page wants R, G, B, A
          *p++ = ((bgra >> 16) & 0xFF) | (bgra & 0xFF00) | ((bgra & 0xFF) << 16) | 0xFF000000u;
        }
      }
    }
    MAIN_THREAD_ASYNC_EM_ASM({ Module.tolvaranPage.paint($0); }, block);
  }

  Rect ScreenRect() override { return {0, 0, 1920, 1080}; }

  void ShowMessageBox(const std::string& text, const std::string& caption, int) override {
    // Modal, as on the desktop: the game waits until the player has read it.
    MAIN_THREAD_EM_ASM({ Module.tolvaranPage.messageBox(UTF8ToString($0), UTF8ToString($1)); },
                       caption.c_str(), text.c_str());
  }

 private:
  using Clock = std::chrono::steady_clock;

  void Handle(const KeyEvent& k) { PostKeyInput(k.vk, k.down); }
  void Handle(const MouseEvent& m) {
    if (canvasWindow_) PostMouseInput(canvasWindow_, m.msg, m.at, m.wheel);
  }
  void Handle(const PadEvent& e) {
    switch (e.kind) {
      case 0: pads_.Button(e.pad, e.index, e.value != 0); break;
      case 1: pads_.Axis(e.pad, e.index, e.value); break;
      default: pads_.Removed(e.pad); break;
    }
  }
  void Handle(const FocusLost&) {
    ReleaseAllInputKeys();
    pads_.Forget();
  }
  void Handle(const DumpRequest&) {
    std::function<std::string()> dumper;
    {
      Inbox& in = TheInbox();
      std::lock_guard lock(in.mutex);
      dumper = in.dumper;
    }
    char* json = strdup(dumper ? dumper().c_str() : "{}");
    MAIN_THREAD_ASYNC_EM_ASM({ Module.tolvaranPage.dumpReady(UTF8ToString($0)); _free($0); }, json);
  }

  Clock::time_point start_;
  PadKeys pads_;
  HWND canvasWindow_ = 0;
  bool wholeSent_ = false;  // the page shows a whole frame of shownW_ x shownH_
  int shownW_ = 0, shownH_ = 0;
};

}  // namespace

std::unique_ptr<Host> MakeWebHost() { return std::make_unique<WebHost>(); }

// There is no SDL in the browser.
void ShutdownSdl() {}

}  // namespace detail

// A page has no display connection that could break under it: closing the tab ends it.
void SetDisplayLostHandler(std::function<void()>) {}

void SetStateDumper(std::function<std::string()> dumper) {
  detail::Inbox& in = detail::TheInbox();
  std::lock_guard lock(in.mutex);
  in.dumper = std::move(dumper);
}

}  // namespace platform

// Called by the page (web/tolvaran_pre.js) on its own thread.
extern "C" {

// A key by its KeyboardEvent.code; 1 when the game takes it (the page then keeps the
// browser from scrolling or searching with it).
EMSCRIPTEN_KEEPALIVE int tolvaran_web_key(const char* code, int down) {
  const int vk = platform::detail::VirtualKeyFromDomCode(code ? code : "");
  if (!vk) return 0;
  platform::detail::Deliver(platform::detail::KeyEvent{vk, down != 0});
  return 1;
}

// A mouse message (WM_MOUSEMOVE ...) at a point of the canvas, in frame pixels.
EMSCRIPTEN_KEEPALIVE void tolvaran_web_mouse(int msg, int x, int y, int wheel) {
  platform::detail::Deliver(platform::detail::MouseEvent{uint32_t(msg), {x, y}, wheel});
}

// A gamepad change, buttons and axes numbered as SDL's game controller numbers them.
EMSCRIPTEN_KEEPALIVE void tolvaran_web_pad(int pad, int kind, int index, int value) {
  platform::detail::Deliver(platform::detail::PadEvent{pad, kind, index, value});
}

// The page lost the keyboard: nothing stays held.
EMSCRIPTEN_KEEPALIVE void tolvaran_web_blur() { platform::detail::Deliver(platform::detail::FocusLost{}); }

// Module.tolvaranPage.dumpReady receives the answer.
EMSCRIPTEN_KEEPALIVE void tolvaran_web_request_dump() {
  platform::detail::Deliver(platform::detail::DumpRequest{});
}

}  // extern "C"
