// The headless host: a virtual clock that only moves when the queue has nothing to do,
// straight to the next deadline. Frames stay in the windows' surfaces (read them with
// GetWindowFrame or a --screenshot); nothing is shown and nothing is heard.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>

#include "platform/host_internal.h"

namespace platform::detail {

namespace {

class HeadlessHost final : public Host {
 public:
  bool IsHeadless() const override { return true; }
  uint32_t Now() override { return now_.load(std::memory_order_relaxed); }
  void PumpInput() override {}

  bool WaitUntil(std::optional<uint32_t> deadline) override {
    if (deadline) {
      if (*deadline > now_.load()) now_.store(*deadline);
      return true;
    }
    // Nothing is due on the clock; only another thread (a sound feeder finishing a
    // buffer) could still post something. Give it a short real-time grace period.
    std::unique_lock lock(mutex_);
    cv_.wait_for(lock, std::chrono::milliseconds(200), [this] { return woken_; });
    bool woken = woken_;
    woken_ = false;
    return woken;
  }

  void Wake() override {
    {
      std::lock_guard lock(mutex_);
      woken_ = true;
    }
    cv_.notify_one();
  }

  void TopLevelChanged(HWND) override {}
  void Present(HWND, const Surface&) override {}
  Rect ScreenRect() override { return {0, 0, 1920, 1080}; }

  void ShowMessageBox(const std::string& text, const std::string& caption, int) override {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    std::fflush(stderr);
  }

 private:
  std::atomic<uint32_t> now_{0};
  std::mutex mutex_;
  std::condition_variable cv_;
  bool woken_ = false;
};

}  // namespace

std::unique_ptr<Host> MakeHeadlessHost() { return std::make_unique<HeadlessHost>(); }

}  // namespace platform::detail
