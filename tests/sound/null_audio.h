// Test fixture support: the null sound devices, recording what the players give them.
#pragma once
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/audio.h"
#include "runtime/sound/sound.h"

namespace sound_test {

// Polls until `done` holds or five seconds pass (a generous bound for a loaded machine;
// the conditions normally hold within milliseconds).
inline bool WaitFor(const std::function<bool()>& done) {
  auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!done()) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

// Long enough for a feeder thread that could act to have acted.
inline void Settle() { std::this_thread::sleep_for(std::chrono::milliseconds(60)); }

struct WaveWrite {
  const uint8_t* buffer;
  std::vector<uint8_t> bytes;
};
struct MidiCall {
  const void* stream;
  std::string what;
  std::vector<platform::MidiStreamEvent> events;
};

class NullAudioTest : public ::testing::Test {
 protected:
  void Use(double timeScale, bool hold) {
    platform::NullAudioHooks hooks;
    hooks.timeScale = timeScale;
    hooks.holdWaveBuffers = hold;
    hooks.onWaveWrite = [this](const platform::WaveFormat&, std::span<const uint8_t> b) {
      std::lock_guard lock(mutex_);
      writes_.push_back({b.data(), {b.begin(), b.end()}});
    };
    hooks.onMidi = [this](const void* stream, const char* what,
                          std::span<const platform::MidiStreamEvent> events) {
      std::lock_guard lock(mutex_);
      midi_.push_back({stream, what, {events.begin(), events.end()}});
    };
    platform::SetNullAudioHooksForTesting(hooks);
  }
  void SetUp() override { Use(0, false); }
  void TearDown() override {
    rt::StopAllWaves(true);
    rt::RuntimeMidiPlayer().Stop();
    platform::SetNullAudioHooksForTesting({});
    rt::SetWaveStallForTesting(0);
  }
  size_t WriteCount() {
    std::lock_guard lock(mutex_);
    return writes_.size();
  }
  std::vector<WaveWrite> Writes() {
    std::lock_guard lock(mutex_);
    return writes_;
  }
  std::vector<MidiCall> MidiCalls() {
    std::lock_guard lock(mutex_);
    return midi_;
  }
  void ClearMidiCalls() {
    std::lock_guard lock(mutex_);
    midi_.clear();
  }

 private:
  std::mutex mutex_;
  std::vector<WaveWrite> writes_;
  std::vector<MidiCall> midi_;
};

}  // namespace sound_test
