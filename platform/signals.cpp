// Termination signals (kill, Ctrl+C in the terminal, the terminal closing) end the game
// the way closing its window does, so what the user asked to have written is written.
// The handler only writes a byte into a pipe; a small thread turns that into a flag
// the message loop reads and wakes the loop, because nothing else a handler could do
// is safe at an arbitrary point of the program.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <thread>

#include "platform/host.h"
#include "platform/process.h"
#include "platform/window_internal.h"

namespace platform {
namespace {

constexpr int kEndingSignals[] = {SIGTERM, SIGINT, SIGHUP};

int g_pipe[2] = {-1, -1};
std::atomic<bool> g_signalled{false};
std::atomic<bool> g_endAsked{false};
static_assert(std::atomic<bool>::is_always_lock_free, "used from a signal handler");

void OnEndingSignal(int sig) {
  if (g_signalled.exchange(true)) {
    // The orderly end is under way and the user insists: end now, the way the signal
    // would have without us, so the parent sees what ended the program.
    signal(sig, SIG_DFL);
    raise(sig);
    return;
  }
  const int saved = errno;
  const char byte = char(sig);
  ssize_t written = write(g_pipe[1], &byte, 1);
  (void)written;
  errno = saved;
}

void Watch() {
  char byte = 0;
  for (;;) {
    const ssize_t n = read(g_pipe[0], &byte, 1);
    if (n == 1) break;
    if (n < 0 && errno == EINTR) continue;
    return;
  }
  g_endAsked = true;
  // An empty message wakes a waiting loop; it is dropped at dispatch.
  PostMessage(0, WM_NULL, 0, 0);
}

}  // namespace

void EndOnSignals() {
  if (g_pipe[0] >= 0 || pipe2(g_pipe, O_CLOEXEC) != 0) return;
  std::thread(Watch).detach();
  for (int sig : kEndingSignals) {
    struct sigaction now {};
    // A signal ignored when the program started (nohup, a background job of a
    // non-interactive shell) stays ignored, as the one who started it meant.
    if (sigaction(sig, nullptr, &now) == 0 && now.sa_handler == SIG_IGN) continue;
    struct sigaction act {};
    act.sa_handler = OnEndingSignal;
    sigemptyset(&act.sa_mask);
    act.sa_flags = SA_RESTART;
    sigaction(sig, &act, nullptr);
  }
}

namespace detail {

bool TakeSignalledEnd() {
  return g_endAsked.load(std::memory_order_relaxed) && g_endAsked.exchange(false);
}

}  // namespace detail
}  // namespace platform
