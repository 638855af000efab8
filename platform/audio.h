// Sound devices of the emulated desktop: wave output and MIDI stream output, mixed in
// software into the host's audio output. Completion callbacks run on a device thread.
// The headless host (and --mute) gets null devices that complete buffers on time
// without sound, so the players above run their full logic in tests.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

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
  // The first event of a pass of a repeating song (the first pass too): a device may
  // keep what one pass sounded like and play it again instead of synthesising anew.
  bool passStart = false;
};

class MidiStream {
 public:
  virtual ~MidiStream() = default;
  virtual void SetTimeDivision(uint16_t ticksPerQuarter) = 0;
  // Queues a buffer of events; `done(cookie)` runs when they have all been played.
  virtual bool Queue(const MidiStreamEvent* events, size_t count, void* cookie) = 0;
  virtual void Restart() = 0;  // starts or resumes playing the queue
  // Names the song the next Restart starts from its top, looping (the ContentKey of its
  // file), or none (0): a device may then play a recording of it instead of
  // synthesising it.
  virtual void Identify(uint64_t songKey) { (void)songKey; }
  virtual void Stop() = 0;     // stops and returns every queued buffer
  virtual void Reset() = 0;    // all notes off
};
using MidiDone = std::function<void(void* cookie)>;
std::unique_ptr<MidiStream> OpenMidiStream(MidiDone done);
// A 64-bit hash of `bytes` (FNV-1a), never 0; a song's file's is its key for Identify.
uint64_t ContentKey(std::span<const uint8_t> bytes);

// --- Device rules ------------------------------------------------------------------
//
// Callbacks: every `done` runs on a device thread, never on the caller's thread and
// never inside the audio callback. Reset and Stop hand their buffers back the same way,
// so a callback may still arrive shortly after they return; none arrives once the
// device object has been destroyed. Destroying a device waits for a callback of that
// device that is running on another thread, so do not destroy it while holding a lock
// that its callback takes.
//
// Wave formats the devices play: PCM (tag 1), 8-bit unsigned or 16-bit signed samples,
// 1 or 2 channels, 4,000 to 192,000 samples per second, block align equal to
// channels * bits / 8. Everything else is refused by OpenWaveOut.
bool IsPlayableWaveFormat(const WaveFormat& fmt);

// Which output the Open functions use: the real mixer on the host's audio device, or
// the null devices (headless host, --mute, no host started, or no audio device).
bool AudioUsesNullDevices();
// Closes the host audio device and ends the device threads. Installed as an exit hook
// the first time the device opens; safe to call more than once.
void ShutdownAudio();

// The host's audio events. A removed output (SDL's device id; a USB headset pulled out)
// that is the one in use is closed, and the mixer goes on at the pace of the clock with
// nobody listening: buffers complete on time, music moves on, the game does not notice.
// From then on a new output (AudioDeviceAdded, and a retry every few seconds, as not
// every system announces one) is tried as the default device; once it opens, the sound
// is heard again from where playing has got to. Both are safe on any thread.
void AudioDeviceRemoved(uint32_t deviceId);
void AudioDeviceAdded();
// The SDL id of the output in use; 0 when there is none (not opened yet, or lost).
uint32_t AudioDeviceInUse();

// The General MIDI sound font: the file named by TOLVARAN_SOUNDFONT when that is set,
// else the first of a few standard places; empty when there is none (MIDI then plays
// silently but on time).
std::string FindSoundFont();
// One line on stderr, the first time only, that the music cannot be heard and why.
void NoteSilentMusic(const std::string& why);

// --- The software mixer --------------------------------------------------------------
//
// Every open wave output and MIDI stream of one mixer is mixed into 44,100 Hz
// interleaved stereo float. The host's audio device drives one mixer from its callback;
// tools render offline with a mixer of their own.
class AudioMixer {
 public:
  static constexpr int kSampleRate = 44100;
  // OnDeviceThread: callbacks run on the mixer's completion thread (device use).
  // Inline: callbacks run on the thread calling Render, just before it returns, so
  // offline rendering is deterministic and a player can refill before the next block.
  enum class Completion { OnDeviceThread, Inline };
  explicit AudioMixer(Completion completion, std::string soundFont = FindSoundFont());
  ~AudioMixer();
  AudioMixer(const AudioMixer&) = delete;
  AudioMixer& operator=(const AudioMixer&) = delete;

  std::unique_ptr<WaveOut> OpenWaveOut(const WaveFormat& fmt, WaveDone done);
  std::unique_ptr<MidiStream> OpenMidiStream(MidiDone done);
  // Replaces `out` with the next `frames` stereo frames (2 * frames floats).
  void Render(float* out, size_t frames);
  bool HasSoundFont() const;

  // Recordings of tunes (platform/audio_recording.h) are looked for in `folder`, by
  // default "music" in the program's folder. A stream plays one, instead of
  // synthesising, when its song was identified and the recording was made with this
  // mixer's synthesiser and sound font; TOLVARAN_MUSIC_LIVE=1 synthesises anyway.
  void PlayRecordingsFrom(std::string folder);
  // Makes streams opened from now on record the first two passes of an identified song;
  // the recording is taken once the third pass starts (empty until then).
  void RecordTunes();
  std::vector<uint8_t> TakeRecording();
  // How many times a synthesiser and its sound font were loaded.
  int SynthesisersLoaded() const;

  struct Impl;

 private:
  std::shared_ptr<Impl> impl_;
};

// --- Tests only: pacing of the null devices and a look at what they were given --------
struct NullAudioHooks {
  // Wave buffers and MIDI buffers complete after their playing time times this factor;
  // 0 completes them at once, in queue order.
  double timeScale = 1.0;
  // Wave buffers wait until ReleaseHeldWaveBuffers hands them back (Reset still
  // returns them at once).
  bool holdWaveBuffers = false;
  // Called on the writer's thread for every accepted wave buffer.
  std::function<void(const WaveFormat&, std::span<const uint8_t>)> onWaveWrite;
  // Called for every MIDI stream operation: `what` is "open", "division", "queue",
  // "restart", "stop", "reset" or "close"; `stream` tells the streams apart.
  std::function<void(const void* stream, const char* what,
                     std::span<const MidiStreamEvent> events)>
      onMidi;
};
void SetNullAudioHooksForTesting(NullAudioHooks hooks);
// Hands back up to `count` held wave buffers, oldest first. Returns how many.
size_t ReleaseHeldWaveBuffers(size_t count = SIZE_MAX);
size_t HeldWaveBufferCount();
size_t OpenNullWaveCount();
// Makes the Open functions use the host's audio device (SDL) even without a started
// host, e.g. with SDL_AUDIODRIVER=dummy.
void UseAudioDeviceForTesting(bool on);

}  // namespace platform
