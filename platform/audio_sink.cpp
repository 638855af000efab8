#include "platform/audio_sink.h"

namespace platform::audio {

CompletionThread::CompletionThread() : thread_([this] { Run(); }) {}

CompletionThread::~CompletionThread() {
  {
    std::lock_guard lock(mutex_);
    quit_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void CompletionThread::Post(PendingDone c) {
  {
    std::lock_guard lock(mutex_);
    queue_.push_back(std::move(c));
  }
  wake_.notify_one();
}

void CompletionThread::Post(std::deque<PendingDone>& batch) {
  if (batch.empty()) return;
  {
    std::lock_guard lock(mutex_);
    for (auto& c : batch) queue_.push_back(std::move(c));
  }
  batch.clear();
  wake_.notify_one();
}

void CompletionThread::Run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return quit_ || !queue_.empty(); });
    if (queue_.empty()) return;  // quit with nothing left to deliver
    PendingDone c = std::move(queue_.front());
    queue_.pop_front();
    lock.unlock();
    c.sink->Deliver(c.cookie);
    c.sink.reset();
    lock.lock();
  }
}

}  // namespace platform::audio
