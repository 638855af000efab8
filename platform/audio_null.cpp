#include "platform/audio_null.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/audio_sink.h"

namespace platform {
namespace audio {
namespace {

using Clock = std::chrono::steady_clock;

// One buffer waiting to come back.
struct Pending {
  Clock::time_point due;
  uint64_t seq = 0;  // queue order, across all devices
  const void* owner = nullptr;
  std::shared_ptr<CompletionSink> sink;
  void* cookie = nullptr;
  bool held = false;
};

// The device thread and the shared schedule of every null device. Never destroyed:
// devices may be closed from threads that outlive static destruction.
class NullDevices {
 public:
  static NullDevices& Get() {
    static NullDevices* devices = new NullDevices;
    return *devices;
  }

  NullAudioHooks Hooks() {
    std::lock_guard lock(mutex_);
    return hooks_;
  }
  void SetHooks(NullAudioHooks hooks) {
    std::lock_guard lock(mutex_);
    hooks_ = std::move(hooks);
    if (!hooks_.holdWaveBuffers) ReleaseLocked(SIZE_MAX);
    wake_.notify_all();
  }

  // Schedules a buffer `seconds` of playing time after the owner's previous one.
  void Schedule(const void* owner, Clock::time_point& ownerLast, double seconds,
                const std::shared_ptr<CompletionSink>& sink, void* cookie, bool mayHold) {
    std::lock_guard lock(mutex_);
    Clock::time_point now = Clock::now();
    Clock::time_point start = std::max(now, ownerLast);
    auto length = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(std::max(0.0, seconds * hooks_.timeScale)));
    ownerLast = start + length;
    pending_.push_back({ownerLast, nextSeq_++, owner, sink, cookie,
                        mayHold && hooks_.holdWaveBuffers});
    StartThreadLocked();
    wake_.notify_all();
  }

  // Everything the owner has queued comes back now, in order.
  void Flush(const void* owner, Clock::time_point& ownerLast) {
    std::lock_guard lock(mutex_);
    Clock::time_point now = Clock::now();
    for (auto& p : pending_) {
      if (p.owner != owner) continue;
      p.held = false;
      p.due = now;
    }
    ownerLast = now;
    wake_.notify_all();
  }

  // The owner is closing: nothing of it comes back any more.
  void Forget(const void* owner) {
    std::lock_guard lock(mutex_);
    std::erase_if(pending_, [owner](const Pending& p) { return p.owner == owner; });
  }

  size_t Release(size_t count) {
    std::lock_guard lock(mutex_);
    size_t n = ReleaseLocked(count);
    wake_.notify_all();
    return n;
  }
  size_t HeldCount() {
    std::lock_guard lock(mutex_);
    return size_t(std::count_if(pending_.begin(), pending_.end(),
                                [](const Pending& p) { return p.held; }));
  }

  std::atomic<size_t> openWaves{0};

 private:
  size_t ReleaseLocked(size_t count) {
    size_t n = 0;
    Clock::time_point now = Clock::now();
    // `pending_` is in queue order, so the oldest held buffers come first.
    for (auto& p : pending_) {
      if (n == count) break;
      if (!p.held) continue;
      p.held = false;
      p.due = now;
      ++n;
    }
    return n;
  }

  void StartThreadLocked() {
    if (started_) return;
    started_ = true;
    std::thread([this] { Run(); }).detach();
  }

  void Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
      auto next = pending_.end();
      for (auto it = pending_.begin(); it != pending_.end(); ++it) {
        if (it->held) continue;
        if (next == pending_.end() || it->due < next->due ||
            (it->due == next->due && it->seq < next->seq))
          next = it;
      }
      if (next == pending_.end()) {
        wake_.wait(lock);
        continue;
      }
      if (next->due > Clock::now()) {
        // wait_until reads its deadline again after waking, when `pending_` may have
        // grown and moved: wait on a copy, never on the element.
        const Clock::time_point due = next->due;
        wake_.wait_until(lock, due);
        continue;
      }
      Pending p = std::move(*next);
      pending_.erase(next);
      lock.unlock();
      p.sink->Deliver(p.cookie);
      p.sink.reset();
      lock.lock();
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  std::vector<Pending> pending_;
  uint64_t nextSeq_ = 0;
  NullAudioHooks hooks_;
  bool started_ = false;
};

class NullWaveOut final : public WaveOut {
 public:
  NullWaveOut(const WaveFormat& fmt, WaveDone done)
      : fmt_(fmt), sink_(std::make_shared<CompletionSink>(std::move(done))) {
    ++NullDevices::Get().openWaves;
  }
  ~NullWaveOut() override {
    NullDevices::Get().Forget(this);
    sink_->Close();
    --NullDevices::Get().openWaves;
  }
  bool Write(const uint8_t* data, size_t size, void* cookie) override {
    NullDevices& devices = NullDevices::Get();
    if (auto hook = devices.Hooks().onWaveWrite) hook(fmt_, {data, size});
    double seconds = double(size) / (double(fmt_.samplesPerSec) * fmt_.blockAlign);
    std::lock_guard lock(mutex_);
    devices.Schedule(this, last_, seconds, sink_, cookie, true);
    return true;
  }
  void Reset() override {
    std::lock_guard lock(mutex_);
    NullDevices::Get().Flush(this, last_);
  }

 private:
  WaveFormat fmt_;
  std::shared_ptr<CompletionSink> sink_;
  std::mutex mutex_;  // guards last_
  Clock::time_point last_{};
};

class NullMidiStream final : public MidiStream {
 public:
  explicit NullMidiStream(MidiDone done)
      : sink_(std::make_shared<CompletionSink>(std::move(done))) {
    Notify("open", {});
  }
  ~NullMidiStream() override {
    NullDevices::Get().Forget(this);
    sink_->Close();
    Notify("close", {});
  }
  void SetTimeDivision(uint16_t ticksPerQuarter) override {
    Notify("division", {});
    std::lock_guard lock(mutex_);
    if (ticksPerQuarter > 0) division_ = ticksPerQuarter;
  }
  bool Queue(const MidiStreamEvent* events, size_t count, void* cookie) override {
    Notify("queue", {events, count});
    std::lock_guard lock(mutex_);
    waiting_.push_back({std::vector<MidiStreamEvent>(events, events + count), cookie});
    if (running_) ScheduleWaitingLocked();
    return true;
  }
  void Restart() override {
    Notify("restart", {});
    std::lock_guard lock(mutex_);
    running_ = true;
    ScheduleWaitingLocked();
  }
  void Stop() override {
    Notify("stop", {});
    std::lock_guard lock(mutex_);
    running_ = false;
    tempo_ = 500000;
    NullDevices& devices = NullDevices::Get();
    for (auto& b : waiting_) devices.Schedule(this, last_, 0, sink_, b.cookie, false);
    waiting_.clear();
    devices.Flush(this, last_);
  }
  void Reset() override { Notify("reset", {}); }

 private:
  struct Buffer {
    std::vector<MidiStreamEvent> events;
    void* cookie;
  };

  void Notify(const char* what, std::span<const MidiStreamEvent> events) {
    if (auto hook = NullDevices::Get().Hooks().onMidi) hook(this, what, events);
  }

  // A buffer lasts as long as its deltas at the tempo in force when each is reached.
  void ScheduleWaitingLocked() {
    for (auto& b : waiting_) {
      double seconds = 0;
      for (const auto& e : b.events) {
        seconds += double(e.deltaTicks) * tempo_ / (1e6 * division_);
        if (e.kind == MidiStreamEvent::Tempo && e.tempo > 0) tempo_ = e.tempo;
      }
      NullDevices::Get().Schedule(this, last_, seconds, sink_, b.cookie, false);
    }
    waiting_.clear();
  }

  std::shared_ptr<CompletionSink> sink_;
  std::mutex mutex_;
  std::deque<Buffer> waiting_;  // queued while stopped
  bool running_ = false;
  uint16_t division_ = 96;
  uint32_t tempo_ = 500000;
  Clock::time_point last_{};
};

}  // namespace

std::unique_ptr<WaveOut> OpenNullWaveOut(const WaveFormat& fmt, WaveDone done) {
  if (!IsPlayableWaveFormat(fmt)) return nullptr;
  return std::make_unique<NullWaveOut>(fmt, std::move(done));
}

std::unique_ptr<MidiStream> OpenNullMidiStream(MidiDone done) {
  return std::make_unique<NullMidiStream>(std::move(done));
}

}  // namespace audio

void SetNullAudioHooksForTesting(NullAudioHooks hooks) {
  audio::NullDevices::Get().SetHooks(std::move(hooks));
}
size_t ReleaseHeldWaveBuffers(size_t count) { return audio::NullDevices::Get().Release(count); }
size_t HeldWaveBufferCount() { return audio::NullDevices::Get().HeldCount(); }
size_t OpenNullWaveCount() { return audio::NullDevices::Get().openWaves; }

}  // namespace platform
