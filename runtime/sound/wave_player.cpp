// The WAVE player: one record and one feeder thread per sound, streaming a private copy
// of the samples to a wave output in 20 buffers of 15,360 bytes used round-robin.
#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "runtime/sound/sound.h"
#include "runtime/sound/wave_file.h"

namespace rt {
namespace {

constexpr int kBufferCount = 20;
constexpr size_t kBufferBytes = 15360;

std::atomic<int> stallMs{8888};

// Set by a feeder as its very last act; what StopAllWaves(true) waits on.
struct FeederEnd {
  std::mutex mutex;
  std::condition_variable cv;
  bool ended = false;
  void Signal() {
    std::lock_guard lock(mutex);
    ended = true;
    cv.notify_all();
  }
  void Wait() {
    std::unique_lock lock(mutex);
    cv.wait(lock, [this] { return ended; });
  }
};

struct WaveRecord {
  std::vector<uint8_t> samples;
  size_t position = 0;  // bytes already handed to the device
  bool loop = false;
  std::unique_ptr<platform::WaveOut> device;
  std::vector<uint8_t> buffers = std::vector<uint8_t>(kBufferCount * kBufferBytes);
  int nextSlot = 0;

  // The record's lock guards the free count, the semaphore and the stop event: the
  // three things the device callback and StopAllWaves touch.
  std::mutex lock;
  std::condition_variable signalled;
  int freeCount = kBufferCount;
  int semaphore = 0;  // counting, at most kBufferCount
  bool stop = false;

  std::shared_ptr<FeederEnd> end = std::make_shared<FeederEnd>();

  void Signal(int times) {  // caller holds `lock`
    semaphore = std::min(semaphore + times, kBufferCount);
    signalled.notify_one();
  }
  uint8_t* Buffer(int slot) { return buffers.data() + size_t(slot) * kBufferBytes; }
};

// The active list and its lock live for the whole process: a feeder may still be
// ending while static objects are destroyed.
struct ActiveList {
  std::mutex lock;
  std::vector<WaveRecord*> records;
};
ActiveList& Active() {
  static ActiveList* list = new ActiveList;
  return *list;
}

void BufferDone(WaveRecord* r) {
  std::lock_guard guard(r->lock);
  ++r->freeCount;
  r->Signal(1);
}

// Hands the next piece of the samples to the device. False when the device refused it.
bool QueueNext(WaveRecord* r, std::unique_lock<std::mutex>& guard, size_t n) {
  const int slot = r->nextSlot;
  const size_t from = r->position;
  r->position += n;
  r->nextSlot = (slot + 1) % kBufferCount;
  --r->freeCount;
  guard.unlock();
  // Only the feeder touches positions, slots and buffer bytes, so no lock is needed
  // while copying.
  uint8_t* buffer = r->Buffer(slot);
  std::memcpy(buffer, r->samples.data() + from, n);
  bool ok = r->device->Write(buffer, n, reinterpret_cast<void*>(uintptr_t(slot)));
  guard.lock();
  if (!ok) ++r->freeCount;
  return ok;
}

void Feed(WaveRecord* r) {
  std::unique_lock guard(r->lock);
  for (;;) {
    bool woke = r->signalled.wait_for(guard, std::chrono::milliseconds(stallMs.load()),
                                      [r] { return r->stop || r->semaphore > 0; });
    // Stop wins over a pending buffer so that stopping is prompt. A device that has
    // stopped handing buffers back (no sound device, a hung driver) ends the sound too.
    if (r->stop || !woke) {
      guard.unlock();
      r->device->Reset();
      break;
    }
    --r->semaphore;
    if (r->freeCount < 1) continue;
    const size_t n = std::min(r->samples.size() - r->position, kBufferBytes);
    if (n > 0) {
      if (!QueueNext(r, guard, n)) {
        guard.unlock();
        r->device->Reset();
        break;
      }
      continue;
    }
    if (r->freeCount < kBufferCount) continue;  // draining: wait for the rest to come back
    if (!r->loop) {
      guard.unlock();
      break;
    }
    // Everything has been heard; start over. The short gap here is the price of never
    // touching a buffer the device may still read.
    r->position = 0;
    r->nextSlot = 0;
    r->freeCount = kBufferCount;
    r->Signal(kBufferCount);
  }

  {
    std::lock_guard list(Active().lock);
    std::erase(Active().records, r);
  }
  std::shared_ptr<FeederEnd> end = r->end;
  r->device.reset();  // no callback reaches the record after this
  delete r;
  end->Signal();
}

}  // namespace

bool PlayWave(std::span<const uint8_t> data, int loop) {
  std::optional<WaveData> wave = ParseWave(data);
  if (!wave || !platform::IsPlayableWaveFormat(wave->format)) return false;

  auto record = std::make_unique<WaveRecord>();
  record->samples.assign(wave->samples.begin(), wave->samples.end());
  record->loop = loop != 0;
  WaveRecord* r = record.get();
  record->device = platform::OpenWaveOut(wave->format, [r](void*) { BufferDone(r); });
  // Refused by the device: reported as not started rather than stalling silently.
  if (!record->device) return false;

  // Every buffer is free at the start; the feeder fills them as soon as it runs.
  record->semaphore = kBufferCount;
  {
    std::lock_guard list(Active().lock);
    Active().records.push_back(r);
  }
  try {
    std::thread(Feed, r).detach();
  } catch (const std::system_error&) {
    std::lock_guard list(Active().lock);
    std::erase(Active().records, r);
    return false;
  }
  record.release();  // the feeder owns it now
  return true;
}

void StopAllWaves(bool wait) {
  std::vector<std::shared_ptr<FeederEnd>> ends;
  {
    std::lock_guard list(Active().lock);
    for (WaveRecord* r : Active().records) {
      std::lock_guard guard(r->lock);
      r->stop = true;
      r->signalled.notify_one();
      if (wait) ends.push_back(r->end);
    }
  }
  for (auto& end : ends) end->Wait();
}

size_t ActiveWaveCount() {
  std::lock_guard list(Active().lock);
  return Active().records.size();
}

void SetWaveStallForTesting(int ms) { stallMs = ms > 0 ? ms : 8888; }

}  // namespace rt
