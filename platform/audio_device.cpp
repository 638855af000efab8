// Chooses between the host's audio device (one SDL output driven by the software mixer)
// and the null devices, and opens the SDL output lazily on the first sound.
#include <SDL.h>

#include <mutex>

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

// The mixer on the opened SDL output, or nullptr when there is no audio device.
AudioMixer* DeviceMixer() {
  OutputDevice& out = Output();
  std::lock_guard lock(out.mutex);
  if (out.tried) return out.mixer;
  out.tried = true;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return nullptr;
  auto* mixer = new AudioMixer(AudioMixer::Completion::OnDeviceThread);
  SDL_AudioSpec want{};
  want.freq = AudioMixer::kSampleRate;
  want.format = AUDIO_F32SYS;
  want.channels = 2;
  want.samples = 1024;  // about 23 ms: low latency for effects, little wake-up cost
  want.callback = FillAudio;
  want.userdata = mixer;
  SDL_AudioSpec have{};
  // No allowed changes: SDL converts to whatever the hardware wants.
  out.id = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (out.id == 0) {
    delete mixer;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return nullptr;
  }
  out.mixer = mixer;
  if (!mixer->HasSoundFont())
    NoteSilentMusic("no usable General MIDI sound font (install timgm6mb-soundfont or set TOLVARAN_SOUNDFONT)");
  SDL_PauseAudioDevice(out.id, 0);
  AtExit(ShutdownAudio);
  return mixer;
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

void ShutdownAudio() {
  OutputDevice& out = Output();
  std::lock_guard lock(out.mutex);
  if (out.id != 0) {
    SDL_CloseAudioDevice(out.id);  // returns after the last callback has finished
    out.id = 0;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
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
