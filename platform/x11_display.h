// The SDL host's own dealings with an X display, where SDL's would cost a system call or
// a round trip every frame.
//
// Showing a real window's pixels without waiting for the server.
//
// SDL's window surface ends every update with a round trip to the X server (XSync): the
// game sleeps until the server has drawn, then wakes again, for every frame. Here the
// window's pixels go through a shared-memory image on a connection of the host's own,
// whose puts return at once; the server reports when it has read an image (a completion
// event), and only the next frame that would write into it waits for that, by which time
// the server has long finished. Drawing into SDL's window from a second connection is
// what any X client may do; the window stays SDL's in every other way.
#pragma once
#include <cstdint>
#include <memory>
#include <span>

#include "platform/types.h"

struct SDL_Window;

namespace platform::detail {

class X11ShmPresenter {
 public:
  // Null unless `window` is on an X display that shares memory with this process and
  // whose pixels are 32-bit XRGB, as the game's frames are.
  static std::unique_ptr<X11ShmPresenter> Open(SDL_Window* window);
  // Makes sure the server is done with the image and the window before they go: the
  // caller destroys the window next, on another connection.
  ~X11ShmPresenter();
  X11ShmPresenter(const X11ShmPresenter&) = delete;
  X11ShmPresenter& operator=(const X11ShmPresenter&) = delete;

  // The `width` x `height` image to draw the next frame into, once the server has read
  // what the last Put gave it; `pitch` is its row length in pixels. `fresh` is set when
  // the image is new (the first frame, or the window's size changed): every pixel of it
  // must be drawn. Null when the display refused this way of presenting (the caller
  // goes back to SDL's surface).
  uint32_t* Begin(int width, int height, int& pitch, bool& fresh);
  // Hands the server these rectangles of the image and returns without waiting.
  bool Put(std::span<const Rect> rects);

 private:
  struct Connection;
  struct Image;
  X11ShmPresenter(std::shared_ptr<Connection> connection, unsigned long window, void* gc);
  bool WaitUntilRead();
  void FreeImage();

  std::shared_ptr<Connection> connection_;
  unsigned long window_;  // the X window
  void* gc_;              // its graphics context on our connection
  std::unique_ptr<Image> image_;
  bool failed_ = false;
};

// Whether SDL's X connection has anything for SDL_PumpEvents to read: events Xlib has
// queued already, or bytes waiting on the socket. One poll() answers it, where the pump
// itself reads the socket, the device monitors and the controllers, some ten system
// calls, and finds nothing nearly every time.
class X11InputProbe {
 public:
  // Null unless `window` is on X.
  static std::unique_ptr<X11InputProbe> Open(SDL_Window* window);
  bool HasInput() const;
  // Sleeps until the display sends something, `wakeFd` (an eventfd) is written, or
  // `timeoutMs` (-1: no limit) passes; true when the display has something to read.
  // Resets `wakeFd`.
  bool Wait(int timeoutMs, int wakeFd) const;

 private:
  X11InputProbe(void* display, int fd) : display_(display), fd_(fd) {}
  void* display_;  // SDL's
  int fd_;
};

}  // namespace platform::detail
