#include "platform/x11_display.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <dlfcn.h>
#include <poll.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <unistd.h>

#include <bit>
#include <chrono>
#include <vector>

namespace platform::detail {
namespace {

// SDL loads Xlib and its extension library at run time, so the program does not need
// them to start (on Wayland, say); these are the same copies, looked up by name.
struct XFunctions {
  decltype(&XOpenDisplay) openDisplay;
  decltype(&XCloseDisplay) closeDisplay;
  decltype(&XDisplayString) displayString;
  decltype(&XCreateGC) createGC;
  decltype(&XFreeGC) freeGC;
  decltype(&XFlush) flush;
  decltype(&XSync) sync;
  decltype(&XPending) pending;
  decltype(&XNextEvent) nextEvent;
  decltype(&XConnectionNumber) connectionNumber;
  decltype(&XGetWindowAttributes) getWindowAttributes;
  decltype(&XSetErrorHandler) setErrorHandler;
  decltype(&XShmQueryExtension) shmQueryExtension;
  decltype(&XShmGetEventBase) shmGetEventBase;
  decltype(&XShmCreateImage) shmCreateImage;
  decltype(&XShmAttach) shmAttach;
  decltype(&XShmDetach) shmDetach;
  decltype(&XShmPutImage) shmPutImage;
  decltype(&XEventsQueued) eventsQueued;
};

const XFunctions* LoadX() {
  static const XFunctions* loaded = [] () -> const XFunctions* {
    void* x11 = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
    void* xext = dlopen("libXext.so.6", RTLD_LAZY | RTLD_NOLOAD);
    if (!xext) xext = dlopen("libXext.so.6", RTLD_LAZY);
    if (!x11 || !xext) return nullptr;
    static XFunctions f;
    bool all = true;
    auto get = [&](void* library, const char* name, auto& to) {
      to = reinterpret_cast<std::remove_reference_t<decltype(to)>>(dlsym(library, name));
      all = all && to;
    };
    get(x11, "XOpenDisplay", f.openDisplay);
    get(x11, "XCloseDisplay", f.closeDisplay);
    get(x11, "XDisplayString", f.displayString);
    get(x11, "XCreateGC", f.createGC);
    get(x11, "XFreeGC", f.freeGC);
    get(x11, "XFlush", f.flush);
    get(x11, "XSync", f.sync);
    get(x11, "XPending", f.pending);
    get(x11, "XNextEvent", f.nextEvent);
    get(x11, "XConnectionNumber", f.connectionNumber);
    get(x11, "XGetWindowAttributes", f.getWindowAttributes);
    get(x11, "XSetErrorHandler", f.setErrorHandler);
    get(xext, "XShmQueryExtension", f.shmQueryExtension);
    get(xext, "XShmGetEventBase", f.shmGetEventBase);
    get(xext, "XShmCreateImage", f.shmCreateImage);
    get(xext, "XShmAttach", f.shmAttach);
    get(xext, "XShmDetach", f.shmDetach);
    get(xext, "XShmPutImage", f.shmPutImage);
    get(x11, "XEventsQueued", f.eventsQueued);
    return all ? &f : nullptr;
  }();
  return loaded;
}

// Xlib has one error handler for every connection. Errors on the presenters' own
// connections (a window gone under a put, a server that will not attach the memory) are
// noted here and end that way of presenting; all others go on to the handler that was
// there before (SDL's, which ends the program as Xlib's default would).
struct OwnDisplay {
  Display* display;
  bool erred;
};
std::vector<OwnDisplay> g_ownDisplays;
XErrorHandler g_previousHandler = nullptr;

int OnXError(Display* display, XErrorEvent* error) {
  for (OwnDisplay& own : g_ownDisplays)
    if (own.display == display) {
      own.erred = true;
      return 0;
    }
  return g_previousHandler ? g_previousHandler(display, error) : 0;
}

bool Erred(Display* display) {
  for (const OwnDisplay& own : g_ownDisplays)
    if (own.display == display) return own.erred;
  return true;
}

}  // namespace

struct X11ShmPresenter::Connection {
  const XFunctions& x;
  Display* display;
  Visual* visual = nullptr;
  int depth = 0;
  int completionType = 0;

  Connection(const XFunctions& functions, Display* d) : x(functions), display(d) {
    g_ownDisplays.push_back({d, false});
    // Again for every connection: SDL puts back the handler it found when it shuts down.
    const XErrorHandler previous = x.setErrorHandler(OnXError);
    if (previous != OnXError) g_previousHandler = previous;
  }
  ~Connection() {
    x.closeDisplay(display);  // after everything sent on it has been done
    std::erase_if(g_ownDisplays, [&](const OwnDisplay& o) { return o.display == display; });
  }
};

struct X11ShmPresenter::Image {
  XImage* image = nullptr;
  XShmSegmentInfo shm{};
  int width = 0, height = 0;
  bool attached = false;
  bool beingRead = false;  // a put went out and its completion has not come back
};

namespace {

// SDL's X display and window behind `window`, and Xlib; null unless it is on X.
const XFunctions* OnX(SDL_Window* window, SDL_SysWMinfo& info) {
  SDL_VERSION(&info.version);
  if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
    return nullptr;
  return LoadX();
}

}  // namespace

std::unique_ptr<X11ShmPresenter> X11ShmPresenter::Open(SDL_Window* window) {
  SDL_SysWMinfo info;
  const XFunctions* x = OnX(window, info);
  if (!x) return nullptr;
  Display* display = x->openDisplay(x->displayString(info.info.x11.display));
  if (!display) return nullptr;
  auto connection = std::make_shared<Connection>(*x, display);
  if (!x->shmQueryExtension(display)) return nullptr;
  XWindowAttributes attributes{};
  if (!x->getWindowAttributes(display, info.info.x11.window, &attributes) || Erred(display))
    return nullptr;
  const Visual* v = attributes.visual;
  if (!v || (attributes.depth != 24 && attributes.depth != 32) || v->red_mask != 0xFF0000u ||
      v->green_mask != 0x00FF00u || v->blue_mask != 0x0000FFu)
    return nullptr;
  connection->visual = attributes.visual;
  connection->depth = attributes.depth;
  connection->completionType = x->shmGetEventBase(display) + ShmCompletion;
  GC gc = x->createGC(display, info.info.x11.window, 0, nullptr);
  if (!gc) return nullptr;
  return std::unique_ptr<X11ShmPresenter>(
      new X11ShmPresenter(std::move(connection), info.info.x11.window, gc));
}

X11ShmPresenter::X11ShmPresenter(std::shared_ptr<Connection> connection,
                                 unsigned long window, void* gc)
    : connection_(std::move(connection)), window_(window), gc_(gc) {}

X11ShmPresenter::~X11ShmPresenter() {
  FreeImage();
  connection_->x.freeGC(connection_->display, static_cast<GC>(gc_));
}

void X11ShmPresenter::FreeImage() {
  if (!image_) return;
  const XFunctions& x = connection_->x;
  // The server keeps its own mapping until it has done the detach, after any put still
  // queued before it; this side's may go at once.
  if (image_->attached) x.shmDetach(connection_->display, &image_->shm);
  if (image_->image) XDestroyImage(image_->image);
  if (image_->shm.shmaddr && image_->shm.shmaddr != reinterpret_cast<char*>(-1))
    shmdt(image_->shm.shmaddr);
  image_.reset();
}

bool X11ShmPresenter::WaitUntilRead() {
  if (!image_ || !image_->beingRead) return true;
  const XFunctions& x = connection_->x;
  Display* d = connection_->display;
  using Clock = std::chrono::steady_clock;
  // A server that has not read a frame in a second is stuck or gone; SDL's way will
  // tell which.
  const auto deadline = Clock::now() + std::chrono::seconds(1);
  for (;;) {
    while (x.pending(d) > 0) {
      XEvent e;
      x.nextEvent(d, &e);
      if (e.type == connection_->completionType &&
          reinterpret_cast<XShmCompletionEvent&>(e).shmseg == image_->shm.shmseg)
        image_->beingRead = false;
    }
    if (!image_->beingRead) return true;
    if (Erred(d)) return false;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) return false;
    pollfd p{x.connectionNumber(d), POLLIN, 0};
    poll(&p, 1, int(left.count()));
  }
}

uint32_t* X11ShmPresenter::Begin(int width, int height, int& pitch, bool& fresh) {
  fresh = false;
  if (failed_ || width <= 0 || height <= 0 || Erred(connection_->display) || !WaitUntilRead()) {
    failed_ = true;
    return nullptr;
  }
  if (!image_ || image_->width != width || image_->height != height) {
    FreeImage();
    const XFunctions& x = connection_->x;
    Display* d = connection_->display;
    image_ = std::make_unique<Image>();
    image_->width = width;
    image_->height = height;
    image_->shm.shmaddr = reinterpret_cast<char*>(-1);
    XImage* xi = x.shmCreateImage(d, connection_->visual, unsigned(connection_->depth), ZPixmap,
                                  nullptr, &image_->shm, unsigned(width), unsigned(height));
    image_->image = xi;
    const int nativeOrder = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;
    if (!xi || xi->bits_per_pixel != 32 || xi->byte_order != nativeOrder ||
        xi->bytes_per_line < width * 4) {
      FreeImage();
      failed_ = true;
      return nullptr;
    }
    image_->shm.shmid = shmget(IPC_PRIVATE, size_t(xi->bytes_per_line) * size_t(height),
                               IPC_CREAT | 0600);
    if (image_->shm.shmid >= 0) {
      image_->shm.shmaddr = static_cast<char*>(shmat(image_->shm.shmid, nullptr, 0));
      image_->shm.readOnly = True;
      if (image_->shm.shmaddr != reinterpret_cast<char*>(-1)) {
        xi->data = image_->shm.shmaddr;
        image_->attached = x.shmAttach(d, &image_->shm);
        // Once, to learn whether the server could attach it (a remote one cannot).
        x.sync(d, False);
      }
      // The segment goes once both sides have let go of it, even if the program dies.
      shmctl(image_->shm.shmid, IPC_RMID, nullptr);
    }
    if (!image_->attached || Erred(d)) {
      FreeImage();
      failed_ = true;
      return nullptr;
    }
    fresh = true;
  }
  pitch = image_->image->bytes_per_line / 4;
  return reinterpret_cast<uint32_t*>(image_->image->data);
}

bool X11ShmPresenter::Put(std::span<const Rect> rects) {
  if (failed_ || !image_) return false;
  const XFunctions& x = connection_->x;
  Display* d = connection_->display;
  for (size_t i = 0; i < rects.size(); ++i) {
    const Rect& r = rects[i];
    // The server answers the last put alone: it reads the puts in order.
    x.shmPutImage(d, window_, static_cast<GC>(gc_), image_->image, r.left, r.top, r.left,
                  r.top, unsigned(r.Width()), unsigned(r.Height()), i + 1 == rects.size());
  }
  if (!rects.empty()) image_->beingRead = true;
  x.flush(d);
  return !Erred(d);
}

std::unique_ptr<X11InputProbe> X11InputProbe::Open(SDL_Window* window) {
  SDL_SysWMinfo info;
  const XFunctions* x = OnX(window, info);
  if (!x) return nullptr;
  Display* display = info.info.x11.display;
  return std::unique_ptr<X11InputProbe>(new X11InputProbe(display, x->connectionNumber(display)));
}

bool X11InputProbe::HasInput() const {
  if (LoadX()->eventsQueued(static_cast<Display*>(display_), QueuedAlready) > 0) return true;
  pollfd p{fd_, POLLIN, 0};
  return poll(&p, 1, 0) != 0;  // an error too: the pump will find out what it is
}

bool X11InputProbe::Wait(int timeoutMs, int wakeFd) const {
  // The socket is in the poll below; only what Xlib has queued already needs a look.
  if (LoadX()->eventsQueued(static_cast<Display*>(display_), QueuedAlready) > 0) return true;
  pollfd p[2] = {{fd_, POLLIN, 0}, {wakeFd, POLLIN, 0}};
  if (poll(p, 2, timeoutMs) <= 0) return false;
  if (p[1].revents & POLLIN) {
    uint64_t count = 0;
    [[maybe_unused]] const ssize_t n = read(wakeFd, &count, sizeof count);
  }
  return p[0].revents != 0;
}

}  // namespace platform::detail
