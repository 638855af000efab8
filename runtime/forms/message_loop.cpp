// The message loop, DoEvents and idle callbacks.
#include <algorithm>
#include "platform/window.h"
#include "runtime/forms/runtime_state.h"

namespace rt {

using namespace detail;

namespace {

// How deep dispatching is nested (DoEvents inside a handler inside a dispatch ...).
// Released units are dropped only at depth 0, when none of their procedures can still
// be running below us.
int dispatchDepth = 0;

void Dispatch(platform::Message& m) {
  ++dispatchDepth;
  if (!PreFilterMessage(m)) platform::DispatchMessage(m);
  --dispatchDepth;
  if (dispatchDepth == 0) CollectReleased();
}

void RunIdleCallbacks() {
  // A callback may add or remove entries; work on a snapshot, last registered first.
  std::vector<IdleEntry> snapshot = State().idle;
  for (auto it = snapshot.rbegin(); it != snapshot.rend(); ++it) {
    auto& live = State().idle;
    auto pos = std::find_if(live.begin(), live.end(), [&](const IdleEntry& e) {
      return e.window == it->window && e.routine == it->routine && e.param == it->param;
    });
    if (pos == live.end()) continue;  // removed by an earlier callback
    if (!platform::IsWindow(it->window)) {
      live.erase(pos);
      continue;
    }
    it->routine(it->param);
  }
  if (dispatchDepth == 0) CollectReleased();
}

bool AnyWindowLive() {
  for (auto& w : State().windows)
    if (w->hwnd != 0 && platform::IsWindow(w->hwnd)) return true;
  return false;
}

}  // namespace

void AddIdleCallback(platform::HWND window, IdleRoutine routine, void* param) {
  if (routine) State().idle.push_back({window, routine, param});
}

void RemoveIdleCallback(platform::HWND window, IdleRoutine routine, void* param) {
  auto& idle = State().idle;
  std::erase_if(idle, [&](const IdleEntry& e) {
    return e.window == window && e.routine == routine && e.param == param;
  });
}

void RunMessageLoop() {
  State().loopStarted = true;
  if (!AnyWindowLive()) return;
  platform::Message m;
  for (;;) {
    if (!platform::HasPendingInput()) RunIdleCallbacks();
    if (!platform::GetMessage(m)) break;
    Dispatch(m);
  }
}

void DoEvents() {
  // The cap only guards against a queue that never runs dry (say, a window that never
  // validates its paint); a real program returns long before it.
  constexpr int kMaxMessages = 100000;
  platform::Message m;
  for (int n = 0; n < kMaxMessages; ++n) {
    if (!platform::PeekMessage(m, platform::PM_NOREMOVE) || m.message == platform::WM_QUIT) return;
    if (!platform::PeekMessage(m, platform::PM_REMOVE)) return;
    if (m.message == platform::WM_QUIT) {
      platform::PostQuitMessage(int(m.wParam));  // stays queued for the loop
      return;
    }
    Dispatch(m);
  }
}

}  // namespace rt
