// The MIDI player: a song converted into stream events and fed to a MIDI stream in two
// 1,024-byte buffers, each refilled as it comes back.
#include <array>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>

#include "runtime/sound/midi_file.h"
#include "runtime/sound/sound.h"

namespace rt {
namespace {

// A classic stream buffer holds 1,024 bytes of 12-byte events (delta, stream id,
// event); keeping that granularity keeps the refill rhythm the tune was made for.
constexpr size_t kEventsPerBuffer = 1024 / 12;
constexpr int kBufferCount = 2;
constexpr auto kStopWait = std::chrono::milliseconds(2000);

}  // namespace

struct MidiPlayer::State {
  std::mutex mutex;
  std::condition_variable stopped;
  std::unique_ptr<platform::MidiStream> stream;
  bool streamOpened = false;  // one attempt per player
  std::optional<MidiSong> song;
  bool loop = false;
  std::array<std::array<platform::MidiStreamEvent, kEventsPerBuffer>, kBufferCount> buffers;
  int outstanding = 0;  // buffers queued at the stream
  bool stopping = false;
  bool playing = false;
  // Cookies carry the generation they were queued in, so a buffer that comes back
  // after a stop gave up waiting for it cannot refill into the next tune.
  uintptr_t generation = 0;

  static void* Cookie(uintptr_t generation, int slot) {
    return reinterpret_cast<void*>((generation << 1) | uintptr_t(slot));
  }

  // Caller holds `mutex`. True when the buffer went to the stream.
  bool FillAndQueue(int slot) {
    size_t n = song ? song->Fill(buffers[slot].data(), kEventsPerBuffer, loop) : 0;
    if (n == 0) return false;
    return stream->Queue(buffers[slot].data(), n, Cookie(generation, slot));
  }

  void BufferDone(void* cookie) {
    std::lock_guard lock(mutex);
    const uintptr_t value = reinterpret_cast<uintptr_t>(cookie);
    if ((value >> 1) != generation || outstanding == 0) return;
    if (!stopping && FillAndQueue(int(value & 1))) return;
    if (--outstanding == 0) {
      playing = false;
      stopped.notify_all();
    }
  }
};

MidiPlayer::MidiPlayer() : state_(std::make_unique<State>()) {}

MidiPlayer::~MidiPlayer() {
  Stop();
  std::unique_ptr<platform::MidiStream> stream;
  {
    std::lock_guard lock(state_->mutex);
    stream = std::move(state_->stream);
  }
  stream.reset();  // outside the lock: closing waits for a running callback
}

bool MidiPlayer::Play(std::span<const uint8_t> data, bool loop) {
  Stop();
  std::optional<MidiSong> song = MidiSong::Open(data);
  if (!song) return false;

  State& s = *state_;
  if (!s.streamOpened) {
    s.streamOpened = true;
    State* self = &s;
    auto stream = platform::OpenMidiStream([self](void* cookie) { self->BufferDone(cookie); });
    std::lock_guard lock(s.mutex);
    s.stream = std::move(stream);
  }
  std::lock_guard lock(s.mutex);
  s.song = std::move(song);
  s.loop = loop;
  if (!s.stream) return true;  // no device: the data was still good MIDI
  ++s.generation;
  s.stopping = false;
  s.stream->SetTimeDivision(s.song->TimeDivision());
  s.stream->Identify(loop ? platform::ContentKey(data) : 0);
  for (int slot = 0; slot < kBufferCount; ++slot)
    if (s.FillAndQueue(slot)) ++s.outstanding;
  if (s.outstanding > 0) {
    s.playing = true;
    s.stream->Restart();
  }
  return true;
}

void MidiPlayer::Stop() {
  State& s = *state_;
  std::unique_lock lock(s.mutex);
  if (!s.stream || s.outstanding == 0) {
    s.playing = false;
    return;
  }
  s.stopping = true;
  lock.unlock();
  // The stream hands back both buffers; the callback sees `stopping` and lets them go.
  s.stream->Stop();
  s.stream->Reset();
  lock.lock();
  s.stopped.wait_for(lock, kStopWait, [&s] { return s.outstanding == 0; });
  s.outstanding = 0;
  ++s.generation;
  s.stopping = false;
  s.playing = false;
}

bool MidiPlayer::Playing() const {
  std::lock_guard lock(state_->mutex);
  return state_->playing;
}

}  // namespace rt
