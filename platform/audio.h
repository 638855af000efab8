// Sound devices of the emulated desktop: wave output and MIDI stream output, mixed in
// software into the host's audio output. Completion callbacks run on a device thread.
// The headless host (and --mute) gets null devices that complete buffers on time
// without sound, so the players above run their full logic in tests.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

namespace platform {

struct WaveFormat {
  uint16_t formatTag = 1;  // 1 PCM
  uint16_t channels = 2;
  uint32_t samplesPerSec = 22050;
  uint32_t avgBytesPerSec = 88200;
  uint16_t blockAlign = 4;
  uint16_t bitsPerSample = 16;
};

class WaveOut {
 public:
  virtual ~WaveOut() = default;
  // Queues a buffer; `done(cookie)` runs on a device thread when it has been played.
  // The bytes must stay valid until then.
  virtual bool Write(const uint8_t* data, size_t size, void* cookie) = 0;
  // Stops playback and returns every queued buffer (their callbacks run).
  virtual void Reset() = 0;
};
using WaveDone = std::function<void(void* cookie)>;
// nullptr when the format is not playable or no device exists.
std::unique_ptr<WaveOut> OpenWaveOut(const WaveFormat& fmt, WaveDone done);

// MIDI stream events, as queued: delta time in ticks, then either a short message
// (status, data1, data2) or a tempo change (microseconds per quarter note).
struct MidiStreamEvent {
  uint32_t deltaTicks = 0;
  enum Kind : uint8_t { Short, Tempo, Nop } kind = Short;
  uint8_t status = 0, data1 = 0, data2 = 0;
  uint32_t tempo = 500000;
};

class MidiStream {
 public:
  virtual ~MidiStream() = default;
  virtual void SetTimeDivision(uint16_t ticksPerQuarter) = 0;
  // Queues a buffer of events; `done(cookie)` runs when they have all been played.
  virtual bool Queue(const MidiStreamEvent* events, size_t count, void* cookie) = 0;
  virtual void Restart() = 0;  // starts or resumes playing the queue
  virtual void Stop() = 0;     // stops and returns every queued buffer
  virtual void Reset() = 0;    // all notes off
};
using MidiDone = std::function<void(void* cookie)>;
std::unique_ptr<MidiStream> OpenMidiStream(MidiDone done);

}  // namespace platform
