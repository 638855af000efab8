// Host selection and the scheduled items of the command line: scripted keys,
// screenshots and the end of a --run-for run. They are deadlines like timers, so the
// headless clock stops exactly at them.
#include <algorithm>
#include <cstdio>

#include "platform/host_internal.h"
#include "platform/latency_probe.h"
#include "platform/process.h"
#include "platform/surface.h"
#include "platform/window_internal.h"

namespace platform {
namespace detail {

HWND FirstShownTopLevel() {
  HWND best = 0;
  // Creation order (handles grow), not z-order: the game's main window comes first.
  for (HWND h : GetTopLevelWindows()) {
    if (!IsWindowVisible(h) || (GetStyle(h) & WS_MESSAGEONLY)) continue;
    if (!best || h < best) best = h;
  }
  return best;
}

namespace {

std::unique_ptr<Host> g_host;
HostOptions g_options;
std::function<void()> g_runForHandler;

struct Schedule {
  std::vector<ScriptedKey> keys;
  size_t nextKey = 0;
  std::shared_ptr<KeySource> source;
  std::optional<ScriptedKey> nextMadeUp;  // the source's next key, asked for ahead
  std::vector<ScheduledScreenshot> shots;
  size_t nextShot = 0;
  std::optional<uint32_t> runFor;
  bool running = false;
};
Schedule g_schedule;


void TakeScreenshot(const ScheduledScreenshot& shot) {
  UpdateAllWindows();
  HWND h = FirstShownTopLevel();
  const Surface* frame = h ? GetWindowFrame(h) : nullptr;
  if (!frame || frame->Empty()) {
    std::fprintf(stderr, "tolvaran: no window to capture at %u ms for %s\n", shot.timeMs,
                 shot.path.c_str());
    return;
  }
  if (!WritePng(*frame, shot.path))
    std::fprintf(stderr, "tolvaran: cannot write screenshot %s\n", shot.path.c_str());
}

}  // namespace

void ResetSchedule(const HostOptions& options) {
  g_schedule = Schedule{};
  g_schedule.keys = options.script;
  std::stable_sort(g_schedule.keys.begin(), g_schedule.keys.end(),
                   [](const ScriptedKey& a, const ScriptedKey& b) { return a.timeMs < b.timeMs; });
  g_schedule.shots = options.screenshots;
  std::stable_sort(g_schedule.shots.begin(), g_schedule.shots.end(),
                   [](const auto& a, const auto& b) { return a.timeMs < b.timeMs; });
  g_schedule.runFor = options.runForMs;
  g_schedule.source = options.keySource;
  if (g_schedule.source) g_schedule.nextMadeUp = g_schedule.source->Next();
}

namespace {

// The earliest due key of the script and the source (the script's first on a tie), or
// nullopt when neither has one due by `now`.
std::optional<ScriptedKey> TakeDueKey(Schedule& s, uint32_t now) {
  const bool scripted = s.nextKey < s.keys.size() && s.keys[s.nextKey].timeMs <= now;
  const bool madeUp = s.nextMadeUp && s.nextMadeUp->timeMs <= now;
  if (scripted && (!madeUp || s.keys[s.nextKey].timeMs <= s.nextMadeUp->timeMs))
    return s.keys[s.nextKey++];
  if (!madeUp) return std::nullopt;
  ScriptedKey k = *s.nextMadeUp;
  s.nextMadeUp = s.source->Next();
  return k;
}

}  // namespace

void RunDueSchedule() {
  Schedule& s = g_schedule;
  // A screenshot paints, and a painting procedure may pump messages itself.
  if (s.running) return;
  s.running = true;
  uint32_t now = GetHost().Now();
  while (auto k = TakeDueKey(s, now)) {
    ProbeKeyArrived(k->down, now - k->timeMs);
    PostKeyInput(k->vk, k->down);
  }
  while (s.nextShot < s.shots.size() && s.shots[s.nextShot].timeMs <= now)
    TakeScreenshot(s.shots[s.nextShot++]);
  if (s.runFor && *s.runFor <= now) {
    s.runFor.reset();
    s.running = false;
    if (g_runForHandler) {
      g_runForHandler();
    } else {
      ExitProcess(0);
    }
    return;
  }
  s.running = false;
}

std::optional<uint32_t> NextScheduleDue() {
  const Schedule& s = g_schedule;
  std::optional<uint32_t> next = s.runFor;
  // While the schedule itself is running (a screenshot's paint pumping messages), items
  // already due wait for it to finish; offering them as deadlines would spin the wait.
  uint32_t now = s.running ? GetHost().Now() : 0;
  auto consider = [&](uint32_t t) {
    if (s.running && t <= now) return;
    if (!next || t < *next) next = t;
  };
  if (s.nextKey < s.keys.size()) consider(s.keys[s.nextKey].timeMs);
  if (s.nextMadeUp) consider(s.nextMadeUp->timeMs);
  if (s.nextShot < s.shots.size()) consider(s.shots[s.nextShot].timeMs);
  return next;
}

}  // namespace detail

using namespace detail;

std::optional<std::string> Init(const HostOptions& options) {
  std::unique_ptr<Host> host;
  if (options.headless) {
    host = MakeHeadlessHost();
  } else {
#ifdef __EMSCRIPTEN__
    host = MakeWebHost();
#else
    std::string error;
    host = MakeSdlHost(options, error);
    if (!host) return error;
#endif
  }
  g_options = options;
  g_host = std::move(host);
  ResetQueue();
  ResetSchedule(options);
  return std::nullopt;
}

Host& GetHost() {
  // Code that never chose a host (a unit test, a tool) gets the headless one.
  if (!g_host) g_host = MakeHeadlessHost();
  return *g_host;
}

const HostOptions& GetHostOptions() { return g_options; }

bool HostStarted() { return g_host != nullptr; }

void SetRunForHandler(std::function<void()> fn) { g_runForHandler = std::move(fn); }

void ResetForTesting(const HostOptions& options) {
  ResetDesktop();
  ResetTimers();
  ResetQueue();
  g_options = options;
  g_options.headless = true;
  g_host = MakeHeadlessHost();
  ResetSchedule(g_options);
}

}  // namespace platform
