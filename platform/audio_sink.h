// Delivery of buffer-done callbacks for the sound devices. A sink belongs to one device;
// closing it (when the device is destroyed) guarantees that no later callback runs, even
// one already waiting in a queue.
#pragma once
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace platform::audio {

class CompletionSink {
 public:
  explicit CompletionSink(std::function<void(void*)> done) : done_(std::move(done)) {}
  // Runs the callback unless the device is closed. Recursive lock: a callback may
  // destroy its own device.
  void Deliver(void* cookie) {
    std::lock_guard lock(mutex_);
    if (!closed_ && done_) done_(cookie);
  }
  // Waits for a callback running on another thread, then refuses all later ones.
  void Close() {
    std::lock_guard lock(mutex_);
    closed_ = true;
  }

 private:
  std::recursive_mutex mutex_;
  bool closed_ = false;
  std::function<void(void*)> done_;
};

struct PendingDone {
  std::shared_ptr<CompletionSink> sink;
  void* cookie = nullptr;
};

// A small thread that runs callbacks in the order they were posted, so the audio
// callback never calls player code.
class CompletionThread {
 public:
  CompletionThread();
  ~CompletionThread();  // runs what is queued, then ends the thread
  void Post(PendingDone c);
  void Post(std::deque<PendingDone>& batch);  // moves the whole batch, keeps order

 private:
  void Run();
  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<PendingDone> queue_;
  bool quit_ = false;
  std::thread thread_;
};

}  // namespace platform::audio
