// The software mixer: wave outputs converted to 44,100 Hz stereo float by SDL audio
// streams, MIDI streams rendered by FluidSynth with their events placed on the audio
// clock, everything summed into one block.
#include <SDL.h>
#include <fluidsynth.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/audio.h"
#include "platform/audio_kept_pass.h"
#include "platform/audio_recording.h"
#include "platform/audio_sink.h"
#include "platform/process.h"

namespace platform {

using audio::PendingDone;
using audio::CompletionSink;

namespace {

// Loudness of the synthesiser. FluidSynth's default (0.2) is quiet next to the game's
// effects; at 0.7 a full General MIDI arrangement sits some 10 dB under full scale,
// leaving room for the effects mixed over it.
constexpr double kSynthGain = 0.7;
constexpr size_t kScratchFrames = 1024;

class Source {
 public:
  virtual ~Source() = default;
  // Adds `frames` stereo frames to `out`; finished buffers go to `done` in order.
  // Called with the mixer's lock held.
  virtual void MixInto(float* out, size_t frames, std::deque<PendingDone>& done) = 0;
};

}  // namespace

struct AudioMixer::Impl {
  AudioMixer::Completion mode;
  std::string soundFont;
  std::mutex mutex;  // guards `sources` and every source's state
  std::vector<Source*> sources;
  std::mutex threadMutex;  // guards `thread`
  std::unique_ptr<audio::CompletionThread> thread;
  std::string recordings;         // the folder of tune recordings; guarded by `mutex`
  bool recordTunes = false;       // guarded by `mutex`
  std::vector<uint8_t> recorded;  // the last finished recording; guarded by `mutex`
  std::atomic<int> synthLoads{0};
  std::once_flag synthKeyOnce;
  uint64_t synthKey = 0;  // 0: no sound font to play or to record with

  // What the synthesiser's sound depends on: FluidSynth's version, how the mixer sets
  // it up, and the sound font (its size, first and last 64 KB). Read once.
  uint64_t SynthKey();
  std::unique_ptr<audio::RecordingFile> FindRecording(uint64_t songKey);

  void Add(Source* s) {
    std::lock_guard lock(mutex);
    sources.push_back(s);
  }
  void Remove(Source* s) {
    std::lock_guard lock(mutex);
    std::erase(sources, s);
  }
  // Hands finished buffers to their callbacks; never called with `mutex` held. Once
  // the completion thread has ended (audio shut down), callbacks run on the caller.
  void Deliver(std::deque<PendingDone>& done) {
    if (done.empty()) return;
    {
      std::lock_guard lock(threadMutex);
      if (thread) {
        thread->Post(done);
        return;
      }
    }
    for (auto& c : done) c.sink->Deliver(c.cookie);
    done.clear();
  }
};

namespace {

using ImplPtr = std::shared_ptr<AudioMixer::Impl>;

}  // namespace

uint64_t AudioMixer::Impl::SynthKey() {
  std::call_once(synthKeyOnce, [this] {
    std::ifstream font(soundFont, std::ios::binary | std::ios::ate);
    if (soundFont.empty() || !font) return;
    const std::streamoff size = font.tellg();
    if (size <= 0) return;
    const std::string version = fluid_version_str();
    const double setup[] = {double(AudioMixer::kSampleRate), kSynthGain, double(size)};
    std::vector<uint8_t> what(version.begin(), version.end());
    const auto* setupBytes = reinterpret_cast<const uint8_t*>(setup);
    what.insert(what.end(), setupBytes, setupBytes + sizeof setup);
    std::vector<char> part(size_t(std::min<std::streamoff>(size, 64 * 1024)));
    for (std::streamoff from : {std::streamoff(0), size - std::streamoff(part.size())}) {
      if (!font.seekg(from) || !font.read(part.data(), std::streamsize(part.size()))) return;
      what.insert(what.end(), part.begin(), part.end());
    }
    synthKey = ContentKey(what);
  });
  return synthKey;
}

std::unique_ptr<audio::RecordingFile> AudioMixer::Impl::FindRecording(uint64_t songKey) {
  std::string folder;
  {
    std::lock_guard lock(mutex);
    if (recordTunes) return nullptr;
    folder = recordings;
  }
  if (folder.empty()) return nullptr;
  auto file = audio::RecordingFile::Open(audio::RecordingPath(folder, songKey));
  if (!file || file->SongKey() != songKey || SynthKey() == 0 || file->SynthKey() != SynthKey())
    return nullptr;
  return file;
}

namespace {

// ---------------------------------------------------------------------------------
// Wave output

SDL_AudioFormat SdlFormatOf(const WaveFormat& fmt) {
  return fmt.bitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16LSB;
}

class WaveSource final : public Source, public WaveOut {
 public:
  WaveSource(ImplPtr mixer, const WaveFormat& fmt, SDL_AudioStream* stream, WaveDone done)
      : mixer_(std::move(mixer)),
        fmt_(fmt),
        stream_(stream),
        sink_(std::make_shared<CompletionSink>(std::move(done))) {
    mixer_->Add(this);
  }
  ~WaveSource() override {
    mixer_->Remove(this);
    sink_->Close();
    SDL_FreeAudioStream(stream_);
  }

  bool Write(const uint8_t* data, size_t size, void* cookie) override {
    std::lock_guard lock(mixer_->mutex);
    // The converter takes whole sample frames only; a stray partial frame at the end of
    // a sound is dropped.
    size_t whole = size - size % fmt_.blockAlign;
    queue_.push_back({data, whole, cookie, 0});
    return true;
  }

  void Reset() override {
    std::deque<PendingDone> done;
    {
      std::lock_guard lock(mixer_->mutex);
      for (auto& b : queue_) done.push_back({sink_, b.cookie});
      queue_.clear();
      put_ = 0;
      SDL_AudioStreamClear(stream_);
      inFrames_ = outFrames_ = 0;
      flushed_ = true;
    }
    mixer_->Deliver(done);
  }

  void MixInto(float* out, size_t frames, std::deque<PendingDone>& done) override {
    float scratch[kScratchFrames * 2];
    size_t produced = 0;
    while (produced < frames) {
      int avail = SDL_AudioStreamAvailable(stream_) / int(sizeof(float) * 2);
      if (avail <= 0) {
        if (put_ < queue_.size()) {
          PutNext();
          continue;
        }
        if (!flushed_) {
          // Nothing more is queued: let the resampler give up the samples it holds back
          // so the end of the sound plays and its last buffer can come back.
          SDL_AudioStreamFlush(stream_);
          flushed_ = true;
          continue;
        }
        break;
      }
      size_t n = std::min({size_t(avail), frames - produced, kScratchFrames});
      int got = SDL_AudioStreamGet(stream_, scratch, int(n * sizeof(float) * 2));
      if (got <= 0) break;
      size_t gotFrames = size_t(got) / (sizeof(float) * 2);
      float* dst = out + produced * 2;
      for (size_t i = 0; i < gotFrames * 2; ++i) dst[i] += scratch[i];
      produced += gotFrames;
      outFrames_ += gotFrames;
    }
    bool drained = flushed_ && put_ == queue_.size() && SDL_AudioStreamAvailable(stream_) <= 0;
    while (put_ > 0 && (drained || queue_.front().endOut <= outFrames_)) {
      done.push_back({sink_, queue_.front().cookie});
      queue_.pop_front();
      --put_;
    }
  }

 private:
  struct Buffer {
    const uint8_t* data;
    size_t size;
    void* cookie;
    uint64_t endOut;  // output frame count at which this buffer has been heard
  };

  void PutNext() {
    Buffer& b = queue_[put_++];
    if (b.size > 0 && SDL_AudioStreamPut(stream_, b.data, int(b.size)) == 0) {
      inFrames_ += b.size / fmt_.blockAlign;
      flushed_ = false;
    }
    b.endOut = inFrames_ * AudioMixer::kSampleRate / fmt_.samplesPerSec;
  }

  ImplPtr mixer_;
  WaveFormat fmt_;
  SDL_AudioStream* stream_;
  std::shared_ptr<CompletionSink> sink_;
  std::deque<Buffer> queue_;
  size_t put_ = 0;  // buffers [0, put_) are in the converter
  uint64_t inFrames_ = 0, outFrames_ = 0;
  bool flushed_ = true;
};

// ---------------------------------------------------------------------------------
// MIDI stream

void QuietFluidLog() {
  static std::once_flag once;
  std::call_once(once, [] {
    fluid_set_log_function(FLUID_DBG, nullptr, nullptr);
    fluid_set_log_function(FLUID_INFO, nullptr, nullptr);
    fluid_set_log_function(FLUID_WARN, nullptr, nullptr);
    // A font that fails to load is reported once, in our own words (NoteSilentMusic).
    fluid_set_log_function(FLUID_ERR, nullptr, nullptr);
  });
}

#if defined(__SANITIZE_THREAD__)
// FluidSynth loads sound fonts with OpenMP's thread pool, whose own synchronisation
// ThreadSanitizer cannot see (libgomp is not instrumented): its reports there are noise.
extern "C" const char* __tsan_default_suppressions() { return "race:libgomp.so.1\n"; }
#endif

class Synth {
 public:
  Synth() = default;
  Synth(const Synth&) = delete;
  Synth& operator=(const Synth&) = delete;
  void Swap(Synth& other) {
    std::swap(settings_, other.settings_);
    std::swap(synth_, other.synth_);
  }
  // Loading the General MIDI font takes a good part of a second.
  void Load(const std::string& soundFont) {
    if (soundFont.empty() || synth_) return;
    QuietFluidLog();
    settings_ = new_fluid_settings();
    if (!settings_) return;
    fluid_settings_setnum(settings_, "synth.sample-rate", AudioMixer::kSampleRate);
    fluid_settings_setnum(settings_, "synth.gain", kSynthGain);
    fluid_settings_setint(settings_, "synth.cpu-cores", 1);
    synth_ = new_fluid_synth(settings_);
    if (synth_ && fluid_synth_sfload(synth_, soundFont.c_str(), 1) == FLUID_FAILED) {
      delete_fluid_synth(synth_);
      synth_ = nullptr;
      NoteSilentMusic("cannot load the sound font " + soundFont);
    }
  }
  ~Synth() {
    if (synth_) delete_fluid_synth(synth_);
    if (settings_) delete_fluid_settings(settings_);
  }
  bool Ready() const { return synth_ != nullptr; }

  void Send(uint8_t status, uint8_t d1, uint8_t d2) {
    if (!synth_) return;
    int ch = status & 0x0F;
    d1 &= 0x7F;
    d2 &= 0x7F;
    switch (status & 0xF0) {
      case 0x80: fluid_synth_noteoff(synth_, ch, d1); break;
      case 0x90:
        if (d2 == 0) fluid_synth_noteoff(synth_, ch, d1);
        else fluid_synth_noteon(synth_, ch, d1, d2);
        break;
      case 0xA0: fluid_synth_key_pressure(synth_, ch, d1, d2); break;
      case 0xB0: fluid_synth_cc(synth_, ch, d1, d2); break;
      case 0xC0: fluid_synth_program_change(synth_, ch, d1); break;
      case 0xD0: fluid_synth_channel_pressure(synth_, ch, d1); break;
      case 0xE0: fluid_synth_pitch_bend(synth_, ch, d1 | (d2 << 7)); break;
      default: break;  // system messages have no meaning for the synthesiser here
    }
  }
  void AllNotesOff() {
    if (synth_) fluid_synth_all_notes_off(synth_, -1);
  }
  void SystemReset() {
    if (synth_) fluid_synth_system_reset(synth_);
  }
  int ActiveVoices() const { return synth_ ? fluid_synth_get_active_voice_count(synth_) : 0; }
  // Adds the next `frames` to `out`; with `keep`, also appends them there. False when
  // `keep` gave up (the pass is too long to keep).
  bool AddInto(float* out, size_t frames, audio::KeptPass* keep = nullptr) {
    if (!synth_) return true;
    bool kept = true;
    float scratch[kScratchFrames * 2];
    while (frames > 0) {
      size_t n = std::min(frames, kScratchFrames);
      fluid_synth_write_float(synth_, int(n), scratch, 0, 2, scratch, 1, 2);
      for (size_t i = 0; i < n * 2; ++i) out[i] += scratch[i];
      if (keep && kept) kept = keep->Append(scratch, n);
      out += 2 * n;
      frames -= n;
    }
    return kept;
  }

 private:
  fluid_settings_t* settings_ = nullptr;
  fluid_synth_t* synth_ = nullptr;
};

// A repeating tune plays the same notes on every pass from the second on, each starting
// with the reverb tail of the pass before, provided every pass starts at the same place
// of the synthesiser's 64-frame blocks, on which it applies events: so a pass start
// waits for the next block (at most 1.5 ms). The second pass is kept, at the 16 bits a
// sound card gets, and played from the third on, with the synthesiser and its sound font
// let go; the next start (a new tune, or the same one from the top) loads them again.
// What is replayed is not what the synthesiser would have played to the sample: its
// chorus and reverb modulate their delays with oscillators that run on from pass to
// pass, so each pass it synthesises meets them at another phase (with both turned off
// its passes are identical to the bit). TOLVARAN_MUSIC_LIVE=1 synthesises every pass.
//
// A song with a recording (audio_recording.h) made by this synthesiser is not
// synthesised at all: its first two passes play from the recording as they are, and
// every later pass plays the recording's second, as a kept pass would.
constexpr size_t kMaxKeptPassBytes = 16u << 20;
constexpr size_t kMaxRecordingBytes = 64u << 20;
constexpr uint64_t kSynthBlockFrames = 64;

bool MusicAlwaysLive() {
  const char* v = std::getenv("TOLVARAN_MUSIC_LIVE");
  return v && *v && std::strcmp(v, "0") != 0;
}

class MidiSource final : public Source, public MidiStream {
 public:
  MidiSource(ImplPtr mixer, MidiDone done)
      : mixer_(std::move(mixer)),
        sink_(std::make_shared<CompletionSink>(std::move(done))),
        live_(MusicAlwaysLive()) {
    std::lock_guard lock(mixer_->mutex);
    mixer_->sources.push_back(this);
  }
  ~MidiSource() override {
    if (loader_.joinable()) loader_.join();
    mixer_->Remove(this);
    sink_->Close();
  }

  void SetTimeDivision(uint16_t ticksPerQuarter) override {
    std::lock_guard lock(mixer_->mutex);
    if (ticksPerQuarter > 0) division_ = ticksPerQuarter;
  }
  bool Queue(const MidiStreamEvent* events, size_t count, void* cookie) override {
    std::lock_guard lock(mixer_->mutex);
    queue_.push_back({std::vector<MidiStreamEvent>(events, events + count), cookie});
    return true;
  }
  void Identify(uint64_t songKey) override {
    std::lock_guard lock(mixer_->mutex);
    songKey_ = songKey;
  }
  void Restart() override {
    uint64_t song = 0;
    {
      std::lock_guard lock(mixer_->mutex);
      if (pass_ == 0 && !recorded_ && !live_) song = songKey_;
    }
    // Opening the file and reading the font's key stay outside the mixer's lock, which
    // the audio thread takes for every buffer.
    std::unique_ptr<audio::RecordingFile> recording;
    if (song != 0) recording = mixer_->FindRecording(song);
    std::lock_guard lock(mixer_->mutex);
    running_ = true;
    if (recording && pass_ == 0 && !recorded_ && songKey_ == song) {
      recorded_ = std::move(recording);
      blockFrames_ = 0;  // the first pass starts at once, as it did in the recording
      return;
    }
    if (!recorded_) LoadSynth();  // let go while a kept pass played
  }
  void Stop() override {
    std::deque<PendingDone> done;
    {
      std::lock_guard lock(mixer_->mutex);
      running_ = false;
      armed_ = false;
      wait_ = 0;
      next_ = 0;
      tempo_ = 500000;
      for (auto& b : queue_) done.push_back({sink_, b.cookie});
      queue_.clear();
      synth_.AllNotesOff();
      ForgetPasses();
    }
    mixer_->Deliver(done);
  }
  void Reset() override {
    std::lock_guard lock(mixer_->mutex);
    synth_.SystemReset();
    // What was kept sounds as the synthesiser did before the reset.
    ForgetPasses();
    if (running_) LoadSynth();
  }

  void MixInto(float* out, size_t frames, std::deque<PendingDone>& done) override {
    if (loading_) return;
    // A stopped synthesiser with no voices left only renders its reverb dying away; a
    // few seconds after that it is skipped, so an idle stream costs nothing.
    if (!running_ && synth_.ActiveVoices() == 0) {
      if (idleFrames_ > kIdleFrames) return;
      idleFrames_ += frames;
    } else {
      idleFrames_ = 0;
    }
    size_t produced = 0;
    while (produced < frames) {
      if (!armed_) Arm(done);
      if (armed_ && wait_ <= 0) {
        const MidiStreamEvent& e = queue_.front().events[next_];
        const uint64_t offGrid = blockFrames_ % kSynthBlockFrames;
        if (e.passStart && offGrid != 0) {
          wait_ = double(kSynthBlockFrames - offGrid);
        } else {
          if (e.passStart) {
            wait_ = 0;  // and the pass's events count from exactly here
            PassStarts();
          }
          Dispatch(e);
          armed_ = false;
          ++next_;
          continue;
        }
      }
      size_t n = frames - produced;
      if (armed_) n = std::min(n, size_t(std::ceil(wait_)));
      float* at = out + produced * 2;
      if (replaying_ && recorded_) {
        // A pass that runs longer than recorded goes on in silence.
        const size_t from = replayFrom_ + replayAt_;
        if (from < replayEnd_) recorded_->AddInto(at, from, std::min(n, replayEnd_ - from));
        replayAt_ += n;
      } else if (replaying_) {
        kept_.AddInto(at, replayAt_, n);
        replayAt_ += n;
      } else if (recording_) {
        if (!synth_.AddInto(at, n, &record_)) {
          recording_ = false;  // too long to record
          record_.Clear();
        }
      } else if (!synth_.AddInto(at, n, keeping_ ? &kept_ : nullptr)) {
        keeping_ = false;  // too long to keep: every pass is synthesised
        kept_.Clear();
      }
      produced += n;
      blockFrames_ += n;
      if (armed_) wait_ -= double(n);
    }
  }

 private:
  struct Buffer {
    std::vector<MidiStreamEvent> events;
    void* cookie;
  };

  // Makes the next event current and sets how many samples remain until it plays.
  void Arm(std::deque<PendingDone>& done) {
    if (!running_) return;
    while (!queue_.empty() && next_ >= queue_.front().events.size()) {
      done.push_back({sink_, queue_.front().cookie});
      queue_.pop_front();
      next_ = 0;
    }
    if (queue_.empty()) {
      wait_ = 0;  // starved: the next buffer starts counting from now
      if (keeping_) {
        // The pass being kept is late from here on, unlike those to come.
        keeping_ = false;
        kept_.Clear();
      }
      return;
    }
    const MidiStreamEvent& e = queue_.front().events[next_];
    wait_ += double(e.deltaTicks) * double(tempo_) * AudioMixer::kSampleRate /
             (1e6 * double(division_));
    armed_ = true;
  }

  // Caller holds the mixer's lock. Starts the font loading unless the synthesiser is
  // there or coming: at once offline (every sample must be there from the start), else
  // beside the game, so that opening a tune does not hold up the window. The stream's
  // clock waits for it: the tune starts late rather than without its first notes.
  void LoadSynth() {
    const std::string& font = mixer_->soundFont;
    if (synth_.Ready() || loading_ || font.empty()) return;
    ++mixer_->synthLoads;
    if (mixer_->mode == AudioMixer::Completion::Inline) {
      synth_.Load(font);
      blockFrames_ = 0;
      return;
    }
    // An earlier loader has cleared loading_, so it is past the lock and ending.
    if (loader_.joinable()) loader_.join();
    loading_ = true;
    loader_ = std::thread([this, font] {
      Synth loaded;
      loaded.Load(font);
      std::lock_guard lock(mixer_->mutex);
      synth_.Swap(loaded);
      blockFrames_ = 0;
      loading_ = false;
    });
  }

  // A pass of a repeating song begins here, at this very sample.
  void PassStarts() {
    ++pass_;
    replayAt_ = 0;
    if (recorded_) {
      replaying_ = true;
      replayFrom_ = pass_ == 1 ? 0 : recorded_->SecondPassAt();
      replayEnd_ = pass_ == 1 ? recorded_->SecondPassAt() : recorded_->Frames();
      return;
    }
    if (mixer_->recordTunes && songKey_ != 0) {
      Record();
      return;
    }
    if (live_) return;
    if (pass_ == 2) {
      kept_.Clear();
      keeping_ = true;
    } else if (keeping_) {
      keeping_ = false;
      kept_.Finish();
      if (kept_.Frames() == 0) return;
      replaying_ = true;
      Synth none;
      synth_.Swap(none);  // the synthesiser and its font go with `none`
    }
  }

  // Caller holds the mixer's lock. The first two passes of a song go to `record_`, and
  // at the start of the third they become the mixer's recording.
  void Record() {
    if (pass_ == 1) {
      record_.Clear();
      recording_ = true;
    } else if (pass_ == 2 && recording_) {
      secondPassAt_ = record_.Frames();
    } else if (recording_) {
      recording_ = false;
      record_.Finish();
      if (secondPassAt_ > 0 && record_.Frames() > secondPassAt_)
        mixer_->recorded = audio::EncodeRecording(songKey_, mixer_->SynthKey(), secondPassAt_, record_);
      record_.Clear();
    }
  }

  void ForgetPasses() {
    pass_ = 0;
    keeping_ = replaying_ = recording_ = false;
    replayAt_ = 0;
    kept_.Clear();
    record_.Clear();
    recorded_.reset();
  }

  void Dispatch(const MidiStreamEvent& e) {
    switch (e.kind) {
      case MidiStreamEvent::Short: synth_.Send(e.status, e.data1, e.data2); break;
      case MidiStreamEvent::Tempo:
        if (e.tempo > 0) tempo_ = e.tempo;
        break;
      case MidiStreamEvent::Nop: break;
    }
  }

  ImplPtr mixer_;
  Synth synth_;
  bool loading_ = false;
  std::thread loader_;
  std::shared_ptr<CompletionSink> sink_;
  std::deque<Buffer> queue_;
  size_t next_ = 0;  // index of the next event in the front buffer
  bool running_ = false;
  bool armed_ = false;
  double wait_ = 0;  // samples until the armed event
  uint16_t division_ = 96;
  uint32_t tempo_ = 500000;
  size_t idleFrames_ = 0;
  static constexpr size_t kIdleFrames = 3 * AudioMixer::kSampleRate;
  uint64_t blockFrames_ = 0;  // frames since the synthesiser was made: its block grid
  const bool live_;           // every pass synthesised
  int pass_ = 0;              // passes begun since the stream last started
  bool keeping_ = false;      // the second pass is being kept
  bool replaying_ = false;    // later passes play what was kept
  audio::KeptPass kept_{kMaxKeptPassBytes};
  size_t replayAt_ = 0;  // frames into the pass
  uint64_t songKey_ = 0;  // the song the stream was told it plays (0: unknown)
  std::unique_ptr<audio::RecordingFile> recorded_;  // the song's recording, playing
  size_t replayFrom_ = 0, replayEnd_ = 0;  // the pass being played, in the recording
  bool recording_ = false;  // the first two passes are being recorded
  audio::KeptPass record_{kMaxRecordingBytes};
  size_t secondPassAt_ = 0;
};

}  // namespace

// ---------------------------------------------------------------------------------

AudioMixer::AudioMixer(Completion completion, std::string soundFont)
    : impl_(std::make_shared<Impl>()) {
  impl_->mode = completion;
  impl_->soundFont = std::move(soundFont);
  impl_->recordings = ProgramFolder() + "/music";
  if (completion == Completion::OnDeviceThread)
    impl_->thread = std::make_unique<audio::CompletionThread>();
}

AudioMixer::~AudioMixer() {
  // Devices still open keep the shared state alive; only the thread ends here, after
  // delivering what it holds.
  std::unique_ptr<audio::CompletionThread> thread;
  {
    std::lock_guard lock(impl_->threadMutex);
    thread = std::move(impl_->thread);
  }
  thread.reset();  // outside the lock: its last callbacks may queue more buffers
}

std::unique_ptr<WaveOut> AudioMixer::OpenWaveOut(const WaveFormat& fmt, WaveDone done) {
  if (!IsPlayableWaveFormat(fmt)) return nullptr;
  SDL_AudioStream* stream = SDL_NewAudioStream(SdlFormatOf(fmt), uint8_t(fmt.channels),
                                               int(fmt.samplesPerSec), AUDIO_F32SYS, 2,
                                               kSampleRate);
  if (!stream) return nullptr;
  return std::make_unique<WaveSource>(impl_, fmt, stream, std::move(done));
}

std::unique_ptr<MidiStream> AudioMixer::OpenMidiStream(MidiDone done) {
  return std::make_unique<MidiSource>(impl_, std::move(done));
}

void AudioMixer::Render(float* out, size_t frames) {
  std::fill(out, out + frames * 2, 0.0f);
  std::deque<PendingDone> done;
  {
    std::lock_guard lock(impl_->mutex);
    for (Source* s : impl_->sources) s->MixInto(out, frames, done);
  }
  impl_->Deliver(done);
}

bool AudioMixer::HasSoundFont() const { return !impl_->soundFont.empty(); }

void AudioMixer::PlayRecordingsFrom(std::string folder) {
  std::lock_guard lock(impl_->mutex);
  impl_->recordings = std::move(folder);
}

void AudioMixer::RecordTunes() {
  std::lock_guard lock(impl_->mutex);
  impl_->recordTunes = true;
}

std::vector<uint8_t> AudioMixer::TakeRecording() {
  std::lock_guard lock(impl_->mutex);
  return std::move(impl_->recorded);
}

int AudioMixer::SynthesisersLoaded() const { return impl_->synthLoads.load(); }

}  // namespace platform
