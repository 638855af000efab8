// CartoonBox: watched keys and the 5 ms stage clock that drives them, the cursor's
// leaving and the model's lifetimes and animations.
#include <algorithm>

#include "platform/process.h"
#include "platform/window.h"
#include "stage/component/cartoon_box.h"

namespace stage {

namespace {

// One time for all stages: the clock forces pending repaints at most every 100 ms.
uint32_t g_lastForcedRepaint = 0;

}  // namespace

void CartoonBox::MonitorKeys(std::optional<int> interval, std::span<const int> keys) {
  const int every = interval ? std::max(*interval, 0) : 10;
  for (int key : keys)
    if (key != 0) watched_.push_back({key, every, 0});
}

bool CartoonBox::IsKeyDown(int key) { return (platform::GetKeyState(key) & 0x8000) != 0; }

std::optional<uint32_t> CartoonBox::NextDue(uint32_t now) const {
  if (CursorLeftWhileOver()) return now;
  std::optional<uint32_t> in;  // from now
  auto consider = [&in](uint32_t wait) {
    if (!in || wait < *in) in = wait;
  };
  for (const WatchedKey& k : watched_) {
    if (!IsKeyDown(k.key)) continue;
    const uint32_t elapsed = now - k.lastReport;
    consider(elapsed >= uint32_t(k.interval) ? 0 : uint32_t(k.interval) - elapsed);
  }
  if (in != 0u) {
    if (auto objects = model_.NextDueIn(now)) consider(*objects);
  }
  if (!in) return std::nullopt;
  return now + *in;
}

void CartoonBox::StepSkipped(uint32_t time) {
  if (time - g_lastForcedRepaint > 100) g_lastForcedRepaint = time;
}

bool CartoonBox::CursorLeftWhileOver() const {
  if (hoverId_ <= 0 || !platform::IsWindow(hwnd_)) return false;
  const platform::Point c = platform::ScreenToClient(hwnd_, platform::GetCursorPos());
  return !platform::GetClientRect(hwnd_).Contains(c);
}

void CartoonBox::StageTick() {
  // 1. The cursor left the window while over an object.
  if (CursorLeftWhileOver() && MouseLeft() == kStageGone) return;

  // 2. Watched keys: at most one event per tick.
  const uint32_t keyNow = platform::GetTickCount();
  for (size_t i = 0; i < watched_.size(); ++i) {
    WatchedKey& k = watched_[i];
    if (keyNow - k.lastReport < uint32_t(k.interval) || !IsKeyDown(k.key)) continue;
    k.lastReport = keyNow;
    const int key = k.key;
    if (Raise(kWatchedKeyDown, WatchedKeyEvent{key, platform::GetModifiers()}) == kStageGone) return;
    break;
  }

  // 3. Lifetimes and animation.
  if (model_.Step() == kStageGone) return;

  // 4. Forced repaint.
  const uint32_t now = platform::GetTickCount();
  if (now - g_lastForcedRepaint > 100) {
    g_lastForcedRepaint = now;
    platform::UpdateAllWindows();
  }
}

}  // namespace stage
