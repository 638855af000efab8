// Chooses between the host's audio device (one SDL output driven by the software mixer)
// and the null devices, and opens the SDL output lazily on the first sound.
#include <SDL.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/audio.h"
#include "platform/audio_null.h"
#include "platform/host.h"
#include "platform/process.h"

namespace platform {
namespace {

struct OutputDevice {
  std::mutex mutex;
  bool tried = false;  // one attempt per run: a missing device stays missing
  bool forced = false;
  SDL_AudioDeviceID id = 0;
  AudioMixer* mixer = nullptr;
  // While the output in use is lost: the thread that keeps the mixer going and looks
  // for a new output; it ends once one opens.
  std::thread silent;
  std::condition_variable wake;  // with `mutex`
  bool stopSilent = false;
  bool retryNow = false;
};

// Never destroyed: the audio thread and the completion thread may still run while
// static objects are torn down at exit.
OutputDevice& Output() {
  static OutputDevice* output = new OutputDevice;
  return *output;
}

void SDLCALL FillAudio(void* userdata, Uint8* stream, int len) {
  auto* mixer = static_cast<AudioMixer*>(userdata);
  mixer->Render(reinterpret_cast<float*>(stream), size_t(len) / (sizeof(float) * 2));
}

// About 46 ms a buffer. The audio thread wakes once a buffer for as long as anything
// plays, music included, so this sets the wake-ups of a quiet screen with music (22 a
// second); an effect starts within one buffer of its cue, which is still well under the
// time a swing or a jump takes to show.
constexpr int kDeviceFrames = 2048;

// Opens the default output on `out.mixer` and starts it. With `out.mutex` held.
bool OpenOutput(OutputDevice& out) {
  SDL_AudioSpec want{};
  want.freq = AudioMixer::kSampleRate;
  want.format = AUDIO_F32SYS;
  want.channels = 2;
  want.samples = kDeviceFrames;
  want.callback = FillAudio;
  want.userdata = out.mixer;
  SDL_AudioSpec have{};
  // No allowed changes: SDL converts to whatever the hardware wants.
  out.id = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (out.id == 0) return false;
  SDL_PauseAudioDevice(out.id, 0);
  return true;
}

// The mixer without a device: rendered at the device's pace into nothing, so that every
// buffer completes when it would have been heard.
void KeepPlayingSilently(OutputDevice& out) {
  using Clock = std::chrono::steady_clock;
  constexpr auto kBlock = std::chrono::microseconds(int64_t(kDeviceFrames) * 1000000 /
                                                    AudioMixer::kSampleRate);
  constexpr auto kRetry = std::chrono::seconds(3);
  std::vector<float> nowhere(size_t(kDeviceFrames) * 2);
  auto next = Clock::now();
  auto nextTry = next + kRetry;
  std::unique_lock lock(out.mutex);
  while (!out.stopSilent) {
    lock.unlock();
    // The mixer's own lock guards its sources; ShutdownAudio ends this thread before it
    // deletes the mixer.
    out.mixer->Render(nowhere.data(), kDeviceFrames);
    lock.lock();
    const auto now = Clock::now();
    next += kBlock;
    // After a stall (a suspended machine) go on from now rather than rush to catch up.
    if (now - next > std::chrono::seconds(1)) next = now;
    if (out.retryNow || now >= nextTry) {
      out.retryNow = false;
      nextTry = now + kRetry;
      if (OpenOutput(out)) {
        std::fprintf(stderr, "tolvaran: sound is back\n");
        return;
      }
    }
    out.wake.wait_until(lock, next, [&] { return out.stopSilent || out.retryNow; });
  }
}

// The mixer on the opened SDL output, or nullptr when there is no audio device.
AudioMixer* DeviceMixer() {
  OutputDevice& out = Output();
  std::lock_guard lock(out.mutex);
  if (out.tried) return out.mixer;
  out.tried = true;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return nullptr;
  out.mixer = new AudioMixer(AudioMixer::Completion::OnDeviceThread);
  if (!OpenOutput(out)) {
    delete out.mixer;
    out.mixer = nullptr;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return nullptr;
  }
  if (!out.mixer->HasSoundFont())
    NoteSilentMusic("no usable General MIDI sound font (install timgm6mb-soundfont or set TOLVARAN_SOUNDFONT)");
  AtExit(ShutdownAudio);
  return out.mixer;
}

}  // namespace

bool AudioUsesNullDevices() {
  if (Output().forced) return false;
  if (!HostStarted()) return true;
  const HostOptions& options = GetHostOptions();
  return options.headless || options.mute;
}

std::unique_ptr<WaveOut> OpenWaveOut(const WaveFormat& fmt, WaveDone done) {
  if (!IsPlayableWaveFormat(fmt)) return nullptr;
  if (!AudioUsesNullDevices())
    if (AudioMixer* mixer = DeviceMixer()) return mixer->OpenWaveOut(fmt, std::move(done));
  return audio::OpenNullWaveOut(fmt, std::move(done));
}

std::unique_ptr<MidiStream> OpenMidiStream(MidiDone done) {
  if (!AudioUsesNullDevices())
    if (AudioMixer* mixer = DeviceMixer()) return mixer->OpenMidiStream(std::move(done));
  return audio::OpenNullMidiStream(std::move(done));
}

void AudioDeviceRemoved(uint32_t deviceId) {
  OutputDevice& out = Output();
  std::thread finished;
  {
    std::lock_guard lock(out.mutex);
    if (out.id == 0 || out.id != deviceId) return;
    // Returns after the callback in progress; the mixer and its sources stay as they are.
    SDL_CloseAudioDevice(out.id);
    out.id = 0;
    std::fprintf(stderr, "tolvaran: the sound device went away; playing on silently\n");
    finished = std::move(out.silent);  // one that found the device before, and has ended
    out.stopSilent = false;
    out.retryNow = false;
    out.silent = std::thread(KeepPlayingSilently, std::ref(out));
  }
  if (finished.joinable()) finished.join();
}

void AudioDeviceAdded() {
  OutputDevice& out = Output();
  {
    std::lock_guard lock(out.mutex);
    if (out.id != 0 || !out.silent.joinable()) return;
    out.retryNow = true;
  }
  out.wake.notify_all();
}

uint32_t AudioDeviceInUse() {
  OutputDevice& out = Output();
  std::lock_guard lock(out.mutex);
  return out.id;
}

void ShutdownAudio() {
  OutputDevice& out = Output();
  std::thread silent;
  {
    std::lock_guard lock(out.mutex);
    out.stopSilent = true;
    silent = std::move(out.silent);
  }
  out.wake.notify_all();
  if (silent.joinable()) silent.join();
  std::lock_guard lock(out.mutex);
  if (out.id != 0) {
    SDL_CloseAudioDevice(out.id);  // returns after the last callback has finished
    out.id = 0;
  }
  if (out.mixer) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  // Devices still open keep the mixer's sources alive; only its thread ends here.
  delete out.mixer;
  out.mixer = nullptr;
}

void UseAudioDeviceForTesting(bool on) {
  OutputDevice& out = Output();
  std::lock_guard lock(out.mutex);
  out.forced = on;
  if (on && !out.mixer) out.tried = false;
}

}  // namespace platform
