// Sound in the browser. The devices keep the null devices' pacing (buffers come back when
// they would have finished playing, on a device thread, as on the desktop), and what they
// are given is heard through the page's WebAudio (web/tolvaran_pre.js): wave buffers as
// they are written, and for the MIDI stream the tune as PCM, rendered at build time from
// the same MIDI file by the native sound renderer with FluidSynth and the same sound font,
// since there is no synthesiser in the page.
#include <emscripten.h>
#include <emscripten/threading.h>

#include <atomic>
#include <cstdlib>
#include <cstring>

#include "platform/audio.h"
#include "platform/audio_null.h"
#include "platform/host.h"

namespace platform {

namespace {

std::atomic<int> g_nextWave{1};

class WebWaveOut final : public WaveOut {
 public:
  WebWaveOut(const WaveFormat& fmt, std::unique_ptr<WaveOut> paced)
      : fmt_(fmt), paced_(std::move(paced)), id_(g_nextWave++) {}
  ~WebWaveOut() override {
    MAIN_THREAD_ASYNC_EM_ASM({ Module.tolvaranPage.audio.forget($0); }, id_);
  }

  bool Write(const uint8_t* data, size_t size, void* cookie) override {
    // The page plays its own copy: the writer may reuse the buffer once it comes back,
    // and the page may still be playing it then.
    if (size > 0) {
      if (void* copy = std::malloc(size)) {
        std::memcpy(copy, data, size);
        MAIN_THREAD_ASYNC_EM_ASM(
            { Module.tolvaranPage.audio.queueWave($0, $1, $2, $3, $4, $5); }, id_, copy,
            int(size), int(fmt_.channels), int(fmt_.samplesPerSec), int(fmt_.bitsPerSample));
      }
    }
    return paced_->Write(data, size, cookie);
  }

  void Reset() override {
    MAIN_THREAD_ASYNC_EM_ASM({ Module.tolvaranPage.audio.stopWave($0); }, id_);
    paced_->Reset();
  }

 private:
  WaveFormat fmt_;
  std::unique_ptr<WaveOut> paced_;
  int id_;
};

class WebMidiStream final : public MidiStream {
 public:
  explicit WebMidiStream(std::unique_ptr<MidiStream> paced) : paced_(std::move(paced)) {}
  ~WebMidiStream() override { Tune(false); }

  void SetTimeDivision(uint16_t ticks) override { paced_->SetTimeDivision(ticks); }
  bool Queue(const MidiStreamEvent* events, size_t count, void* cookie) override {
    return paced_->Queue(events, count, cookie);
  }
  void Restart() override {
    paced_->Restart();
    Tune(true);
  }
  void Stop() override {
    Tune(false);
    paced_->Stop();
  }
  void Reset() override { paced_->Reset(); }

 private:
  // The page's tune loops on its own for as long as the stream plays.
  void Tune(bool on) {
    if (on == playing_) return;
    playing_ = on;
    MAIN_THREAD_ASYNC_EM_ASM({ Module.tolvaranPage.audio.tune($0); }, on ? 1 : 0);
  }

  std::unique_ptr<MidiStream> paced_;
  bool playing_ = false;
};

}  // namespace

bool AudioUsesNullDevices() {
  if (!HostStarted()) return true;
  const HostOptions& options = GetHostOptions();
  return options.headless || options.mute;
}

std::unique_ptr<WaveOut> OpenWaveOut(const WaveFormat& fmt, WaveDone done) {
  if (!IsPlayableWaveFormat(fmt)) return nullptr;
  auto paced = audio::OpenNullWaveOut(fmt, std::move(done));
  if (!paced || AudioUsesNullDevices()) return paced;
  return std::make_unique<WebWaveOut>(fmt, std::move(paced));
}

std::unique_ptr<MidiStream> OpenMidiStream(MidiDone done) {
  auto paced = audio::OpenNullMidiStream(std::move(done));
  if (!paced || AudioUsesNullDevices()) return paced;
  return std::make_unique<WebMidiStream>(std::move(paced));
}

void ShutdownAudio() {
  if (!AudioUsesNullDevices()) MAIN_THREAD_ASYNC_EM_ASM({ Module.tolvaranPage.audio.stopAll(); });
}

// The page's WebAudio is the only device; there is nothing else to force.
void UseAudioDeviceForTesting(bool) {}

}  // namespace platform
