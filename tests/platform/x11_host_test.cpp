// The SDL host on a private X server: what each present leaves in the window, read back
// from the server; a present that does not wait for the server; and the host's own wait,
// which ends on what the display sends and on another thread's wake-up.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "message_log.h"
#include "platform/host_internal.h"
#include "platform/surface.h"
// Last: Xlib's macros (None, Bool, Status) would trip the headers above.
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

using namespace platform;
using namespace platform::testing;
using Clock = std::chrono::steady_clock;

namespace {

class X11Host : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::system("command -v Xvfb >/dev/null 2>&1") != 0) GTEST_SKIP() << "no Xvfb";
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    xvfb_ = fork();
    if (xvfb_ == 0) {
      for (int fd = 3; fd < 256; ++fd)
        if (fd != ready[1]) close(fd);
      execlp("Xvfb", "Xvfb", "-displayfd", std::to_string(ready[1]).c_str(), "-nolisten",
             "tcp", "-screen", "0", "2048x1536x24", static_cast<char*>(nullptr));
      _exit(127);
    }
    close(ready[1]);
    pollfd p{ready[0], POLLIN, 0};
    std::string number;
    char c;
    while (poll(&p, 1, 20000) == 1 && read(ready[0], &c, 1) == 1 && c != '\n') number += c;
    close(ready[0]);
    ASSERT_FALSE(number.empty()) << "Xvfb did not start";
    setenv("DISPLAY", (":" + number).c_str(), 1);
    setenv("SDL_VIDEODRIVER", "x11", 1);
    unsetenv("TOLVARAN_SDL_SURFACE");
    HostOptions options;
    options.scale = 2;
    auto failure = Init(options);
    ASSERT_FALSE(failure) << *failure;
    top_ = MakeTop(log_.Proc(), {0, 0, 640, 480});
    window_ = SDL_GetWindowFromID(1);
    ASSERT_NE(window_, nullptr);
    reader_ = XOpenDisplay(nullptr);
    ASSERT_NE(reader_, nullptr);
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    ASSERT_TRUE(SDL_GetWindowWMInfo(window_, &info));
    xwindow_ = info.info.x11.window;
    // The server maps the window in its own time; nothing can be read back before.
    const auto end = Clock::now() + std::chrono::seconds(10);
    XWindowAttributes a{};
    while (XGetWindowAttributes(reader_, xwindow_, &a) && a.map_state != IsViewable &&
           Clock::now() < end) {
      SDL_PumpEvents();
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_EQ(a.map_state, IsViewable);
    frame_ = Surface(640, 480);
    for (int y = 0; y < 480; ++y)
      for (int x = 0; x < 640; ++x) frame_.At(x, y) = 0xFF000000u | uint32_t(x * 397 + y * 7919);
  }
  void TearDown() override {
    if (reader_) XCloseDisplay(reader_);
    ResetForTesting();
    detail::ShutdownSdl();
    if (xvfb_ > 0) {
      kill(xvfb_, SIGCONT);
      kill(xvfb_, SIGKILL);
      waitpid(xvfb_, nullptr, 0);
    }
  }

  // Presents and returns once the server has drawn it: a present waits for the one before
  // to have been read, so an empty one after it does.
  void PresentAndSettle(std::span<const Rect> dirty) {
    GetHost().PresentRects(top_, frame_, dirty);
    GetHost().PresentRects(top_, frame_, {});
  }

  // The window's pixels as the server has them, XRGB (all of the window must be on the
  // screen).
  std::vector<uint32_t> Shown(int& w, int& h) {
    XWindowAttributes a{};
    XGetWindowAttributes(reader_, xwindow_, &a);
    w = a.width;
    h = a.height;
    std::vector<uint32_t> pixels(size_t(w) * size_t(h));
    XImage* image =
        XGetImage(reader_, xwindow_, 0, 0, unsigned(w), unsigned(h), AllPlanes, ZPixmap);
    if (!image) return {};
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        pixels[size_t(y) * size_t(w) + size_t(x)] = uint32_t(XGetPixel(image, x, y)) & 0xFFFFFFu;
    XDestroyImage(image);
    return pixels;
  }

  // Counts the window's pixels that differ from the frame scaled by `k` at (left, top),
  // black around it.
  int Mismatches(int k, int left, int top) {
    int w = 0, h = 0;
    const std::vector<uint32_t> shown = Shown(w, h);
    if (shown.empty()) return -1;
    int wrong = 0;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const int fx = (x - left) / k, fy = (y - top) / k;
        const bool inside = x >= left && y >= top && fx < frame_.Width() && fy < frame_.Height();
        const uint32_t want = inside ? frame_.At(fx, fy) & 0xFFFFFFu : 0u;
        wrong += shown[size_t(y) * size_t(w) + size_t(x)] != want;
      }
    return wrong;
  }

  pid_t xvfb_ = -1;
  MessageLog log_;
  HWND top_ = 0;
  SDL_Window* window_ = nullptr;
  Display* reader_ = nullptr;
  ::Window xwindow_ = 0;
  Surface frame_;
};

TEST_F(X11Host, EachPresentLeavesTheFrameInTheWindow) {
  const Rect all = frame_.Bounds();
  PresentAndSettle(std::span<const Rect>(&all, 1));
  EXPECT_EQ(Mismatches(2, 0, 0), 0);

  // Only the changed areas are handed over; the rest of the window keeps what it showed.
  const std::vector<Rect> changed = {{0, 0, 1, 1}, {100, 50, 260, 90}, {639, 479, 640, 480}};
  for (const Rect& r : changed) frame_.Fill(r, 0xFF123456u);
  PresentAndSettle(changed);
  EXPECT_EQ(Mismatches(2, 0, 0), 0);

  // A window made larger starts a new image: the frame centred at the largest whole
  // factor, on black.
  SDL_SetWindowSize(window_, 1500, 1000);
  const auto end = Clock::now() + std::chrono::seconds(5);
  int w = 0, h = 0;
  while ((w != 1500 || h != 1000) && Clock::now() < end) {
    SDL_PumpEvents();
    SDL_GetWindowSize(window_, &w, &h);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ASSERT_EQ(w, 1500);
  frame_.Fill({300, 200, 310, 210}, 0xFFABCDEFu);
  const Rect spot{300, 200, 310, 210};
  PresentAndSettle(std::span<const Rect>(&spot, 1));
  EXPECT_EQ(Mismatches(2, (1500 - 1280) / 2, (1000 - 960) / 2), 0);
}

TEST_F(X11Host, APresentDoesNotWaitForTheServer) {
  const Rect all = frame_.Bounds();
  PresentAndSettle(std::span<const Rect>(&all, 1));
  // A server that does nothing for a while: the present hands over its pixels and
  // returns. One that waited for the server's answer would return only once it goes on.
  kill(xvfb_, SIGSTOP);
  std::thread resume([pid = xvfb_] {
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    kill(pid, SIGCONT);
  });
  frame_.Fill({10, 10, 50, 50}, 0xFF00FF00u);
  const Rect spot{10, 10, 50, 50};
  const auto start = Clock::now();
  GetHost().PresentRects(top_, frame_, std::span<const Rect>(&spot, 1));
  const auto took = Clock::now() - start;
  resume.join();
  EXPECT_LT(took, std::chrono::milliseconds(500));
  GetHost().PresentRects(top_, frame_, {});
  EXPECT_EQ(Mismatches(2, 0, 0), 0);
}

TEST_F(X11Host, AWaitEndsOnWhatTheDisplaySendsOrAWakeAndElseSleepsToItsTime) {
  Drain();
  auto waitAtMost = [](uint32_t ms) {
    const auto start = Clock::now();
    GetHost().WaitUntil(GetHost().Now() + ms);
    return Clock::now() - start;
  };

  // The window manager's close button, as the display delivers it.
  std::thread closer([this] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    Display* d = XOpenDisplay(nullptr);
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = xwindow_;
    e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = long(XInternAtom(d, "WM_DELETE_WINDOW", False));
    XSendEvent(d, xwindow_, False, 0, &e);
    XCloseDisplay(d);
  });
  const auto tookForClose = waitAtMost(5000);
  closer.join();
  EXPECT_LT(tookForClose, std::chrono::milliseconds(2500));
  GetHost().PumpInputBeforeMessage();
  bool closeAsked = false;
  for (const Message& m : Drain())
    closeAsked = closeAsked || (m.hwnd == top_ && m.message == WM_CLOSE);
  EXPECT_TRUE(closeAsked);

  // Whatever the close brought along is read first, so that the wake-up alone ends the
  // next wait.
  for (int i = 0; i < 20; ++i) {
    GetHost().PumpInputBeforeMessage();
    Drain();
    if (waitAtMost(50) >= std::chrono::milliseconds(45)) break;
  }
  std::thread waker([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    GetHost().Wake();
  });
  const auto tookForWake = waitAtMost(5000);
  waker.join();
  EXPECT_LT(tookForWake, std::chrono::milliseconds(2500));

  // Nothing more to hear: the loop's waits sleep to the deadline instead of spinning
  // (the wake-up above left an event in SDL's queue, which the first look takes).
  const uint32_t deadline = GetHost().Now() + 300;
  int waits = 0;
  while (GetHost().Now() < deadline) {
    GetHost().PumpInputBeforeMessage();
    Drain();
    GetHost().WaitUntil(deadline);
    ++waits;
  }
  EXPECT_LE(waits, 3);
}

}  // namespace
