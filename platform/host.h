// The host under the emulated desktop: either a real SDL2 window with a real clock and
// audio, or a headless one with a virtual clock. Exactly one host is chosen, once, by
// Init(); everything in platform/ asks the host for time, input and presentation.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/types.h"

namespace platform {

class Surface;

// One line of a --script file: at `timeMs` press or release `vk`.
struct ScriptedKey {
  uint32_t timeMs = 0;
  int vk = 0;
  bool down = true;
};
struct ScheduledScreenshot {
  uint32_t timeMs = 0;
  std::string path;  // UTF-8
};

// Keys made up while the run goes (the random player). The schedule asks for the next key
// once the one before it has been posted, so a source may go on for ever; its keys come
// in time order, and nullopt means there are no more.
class KeySource {
 public:
  virtual ~KeySource() = default;
  virtual std::optional<ScriptedKey> Next() = 0;
};

struct HostOptions {
  bool headless = false;
  bool mute = false;
  int scale = 1;
  bool fullscreen = false;  // SDL host: start in borderless fullscreen (F11 toggles)
  // Headless runs: nobody sees a frame until something reads it (GetWindowFrame, a
  // screenshot), so painting waits until then; the areas owed are kept per window.
  bool deferPaint = false;
  std::optional<uint32_t> runForMs;
  std::vector<ScriptedKey> script;
  std::vector<ScheduledScreenshot> screenshots;
  // Merged with `script` by time; shared because the options are copied.
  std::shared_ptr<KeySource> keySource;
};

inline HostOptions HeadlessOptions() {
  HostOptions o;
  o.headless = true;
  return o;
}

class Host {
 public:
  virtual ~Host() = default;
  virtual bool IsHeadless() const = 0;
  // Milliseconds since Init (virtual for the headless host).
  virtual uint32_t Now() = 0;
  // Moves pending host input into the queue (PostKeyInput, PostMouseInput ...).
  virtual void PumpInput() = 0;
  // The same, asked by the queue before every message it hands out: a host whose reading
  // of the system is costly may read it once a millisecond and take only what it has
  // already read in between.
  virtual void PumpInputBeforeMessage() { PumpInput(); }
  // Blocks until host input arrives or `deadline` (a Now() value) is reached. The
  // queue passes the earliest of the next timer expiry and the next scheduled item
  // (script key, screenshot, run-for end). The headless host instead sets its clock to
  // the deadline at once; with no deadline it waits briefly (real time) for another
  // thread to post, else returns false ("nothing will ever happen"), and the queue then
  // ends the run: WM_CLOSE to the shown top-level windows, then WM_QUIT, then exit 0.
  virtual bool WaitUntil(std::optional<uint32_t> deadline) = 0;
  // A top-level window was created, shown, hidden, moved, re-titled or destroyed.
  virtual void TopLevelChanged(HWND h) = 0;
  // A top-level window's frame was repainted; show it.
  virtual void Present(HWND h, const Surface& frame) = 0;
  // The same, knowing which areas (frame pixels) were painted since the last present;
  // a host that can show just those does so.
  virtual void PresentRects(HWND h, const Surface& frame, std::span<const Rect> dirty) {
    (void)dirty;
    Present(h, frame);
  }
  // The size of the screen (for centring top-level windows).
  virtual Rect ScreenRect() = 0;
  virtual void ShowMessageBox(const std::string& text, const std::string& caption, int icon) = 0;
  // Another thread posted a message: end a WaitUntil early. May be called from any thread.
  virtual void Wake() {}
};

// Chooses and starts the host. Returns an error text (one line) on failure, e.g. the SDL
// host without a display: "no display available: run with --headless".
std::optional<std::string> Init(const HostOptions& options);
Host& GetHost();
const HostOptions& GetHostOptions();
bool HostStarted();
// Called when --run-for elapses; the app installs the runtime's orderly end here.
// Default: ExitProcess(0).
void SetRunForHandler(std::function<void()> fn);
// Called once when the real window's display connection breaks (the X server or the
// Wayland compositor went away), after the sound has stopped and before the process
// exits with status 1; the app installs the runtime's orderly end here so that what was
// asked to be written is written. Should it return, the process exits 1 all the same.
void SetDisplayLostHandler(std::function<void()> fn);

// Tests only: destroys every window, empties the queue, kills timers, clears key
// state, focus and capture, and starts a fresh headless host at virtual time 0.
void ResetForTesting(const HostOptions& options = HeadlessOptions());

// Parsing of the --script file format: each line "MS down|up KEY", KEY one of Left
// Right Up Down Space Return Escape Tab Z X A..Z 0..9 F1..F12 or a decimal key code.
// Blank lines and lines starting with '#' are ignored. On error returns a one-line
// message naming the line number.
std::optional<std::string> ParseScript(const std::string& text, std::vector<ScriptedKey>& out);
// Key name used in scripts -> virtual-key code; 0 if unknown.
int KeyNameToVk(const std::string& name);

}  // namespace platform
