#include "render.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/audio.h"
#include "runtime/sound/midi_file.h"
#include "runtime/sound/wave_file.h"
#include "tools/encoders/encoders.h"

namespace soundrender {
namespace {

using platform::AudioMixer;
using platform::MidiStreamEvent;

constexpr size_t kBlockFrames = 512;  // the size SDL typically asks for
constexpr size_t kEventsPerBuffer = 1024 / 12;

size_t FramesFor(double seconds) {
  return size_t(std::ceil(std::max(0.0, seconds) * AudioMixer::kSampleRate));
}

void RenderFrames(AudioMixer& mixer, std::vector<float>& out, size_t frames) {
  out.assign(frames * 2, 0.0f);
  for (size_t at = 0; at < frames; at += kBlockFrames)
    mixer.Render(out.data() + at * 2, std::min(kBlockFrames, frames - at));
}

// One pass of the song, in seconds, by walking its events with their tempo changes.
double SongSeconds(rt::MidiSong song) {
  song.Rewind();
  MidiStreamEvent events[kEventsPerBuffer];
  double seconds = 0;
  uint32_t tempo = 500000;
  while (size_t n = song.Fill(events, kEventsPerBuffer, false)) {
    for (size_t i = 0; i < n; ++i) {
      seconds += double(events[i].deltaTicks) * tempo / (1e6 * song.TimeDivision());
      if (events[i].kind == MidiStreamEvent::Tempo && events[i].tempo > 0)
        tempo = events[i].tempo;
    }
  }
  return seconds;
}

std::optional<Rendered> RenderWave(std::span<const uint8_t> data, std::optional<double> seconds,
                                   const std::string& soundFont) {
  auto wave = rt::ParseWave(data);
  if (!wave || !platform::IsPlayableWaveFormat(wave->format)) return std::nullopt;
  Rendered r;
  r.kind = "wave";
  const auto& fmt = wave->format;
  r.contentSeconds = double(wave->samples.size() / fmt.blockAlign) / fmt.samplesPerSec;
  AudioMixer mixer(AudioMixer::Completion::Inline, soundFont);
  auto out = mixer.OpenWaveOut(fmt, [](void*) {});
  if (!out) return std::nullopt;
  // The same 15,360-byte pieces the WAVE player hands to the device.
  for (size_t at = 0; at < wave->samples.size(); at += 15360)
    out->Write(wave->samples.data() + at, std::min<size_t>(15360, wave->samples.size() - at),
               nullptr);
  RenderFrames(mixer, r.samples, FramesFor(seconds.value_or(r.contentSeconds)));
  return r;
}

// A song fed to one of the mixer's streams as the MIDI player feeds its device: two
// buffers of events, each refilled as it comes back (completions run inline, after
// each block, so the stream never starves).
class FedSong {
 public:
  FedSong(AudioMixer& mixer, rt::MidiSong& song, bool loop, uint64_t songKey) : song_(song), loop_(loop) {
    stream_ = mixer.OpenMidiStream([this](void* cookie) {
      auto slot = reinterpret_cast<uintptr_t>(cookie);
      if (size_t n = song_.Fill(buffers_[slot], kEventsPerBuffer, loop_))
        stream_->Queue(buffers_[slot], n, cookie);
    });
    stream_->SetTimeDivision(song_.TimeDivision());
    stream_->Identify(songKey);
    for (uintptr_t slot = 0; slot < 2; ++slot)
      if (size_t n = song_.Fill(buffers_[slot], kEventsPerBuffer, loop_))
        stream_->Queue(buffers_[slot], n, reinterpret_cast<void*>(slot));
    stream_->Restart();
  }

 private:
  rt::MidiSong& song_;
  const bool loop_;
  MidiStreamEvent buffers_[2][kEventsPerBuffer];
  std::unique_ptr<platform::MidiStream> stream_;
};

std::optional<Rendered> RenderMidi(std::span<const uint8_t> data, std::optional<double> seconds,
                                   const std::string& soundFont) {
  auto song = rt::MidiSong::Open(data);
  if (!song) return std::nullopt;
  Rendered r;
  r.kind = "midi";
  r.contentSeconds = SongSeconds(*song);
  const bool loop = seconds && *seconds > r.contentSeconds;

  AudioMixer mixer(AudioMixer::Completion::Inline, soundFont);
  mixer.PlayRecordingsFrom("");  // always the synthesiser itself
  FedSong fed(mixer, *song, loop, 0);
  RenderFrames(mixer, r.samples, FramesFor(seconds.value_or(r.contentSeconds)));
  return r;
}

}  // namespace

std::vector<uint8_t> RecordMidi(std::span<const uint8_t> data, const std::string& soundFont) {
  auto song = rt::MidiSong::Open(data);
  if (!song || soundFont.empty()) return {};
  AudioMixer mixer(AudioMixer::Completion::Inline, soundFont);
  mixer.RecordTunes();
  FedSong fed(mixer, *song, true, platform::ContentKey(data));
  // The recording is there once the third pass has started.
  const size_t limit = FramesFor(2 * SongSeconds(*song) + 10);
  std::vector<float> block(kBlockFrames * 2);
  for (size_t at = 0; at < limit; at += kBlockFrames) {
    mixer.Render(block.data(), kBlockFrames);
    std::vector<uint8_t> recording = mixer.TakeRecording();
    if (!recording.empty()) return recording;
  }
  return {};
}

std::optional<Rendered> Render(std::span<const uint8_t> data, std::optional<double> seconds,
                               const std::string& soundFont) {
  if (data.size() > 11 && std::memcmp(data.data(), "RIFF", 4) == 0 &&
      std::memcmp(data.data() + 8, "WAVE", 4) == 0)
    return RenderWave(data, seconds, soundFont);
  if (data.size() > 4 && std::memcmp(data.data(), "MThd", 4) == 0)
    return RenderMidi(data, seconds, soundFont);
  return std::nullopt;
}

Levels Measure(std::span<const float> samples) {
  Levels l;
  double sum = 0;
  for (float s : samples) {
    double a = std::fabs(double(s));
    l.peak = std::max(l.peak, a);
    sum += double(s) * s;
    if (a >= 1.0) ++l.clipped;
  }
  if (!samples.empty()) l.rms = std::sqrt(sum / double(samples.size()));
  return l;
}

std::vector<uint8_t> EncodeWave(std::span<const float> samples) {
  std::vector<int16_t> pcm;
  pcm.reserve(samples.size());
  for (float s : samples) pcm.push_back(int16_t(std::lrint(std::clamp(s, -1.0f, 1.0f) * 32767.0f)));
  return encoders::EncodeWave(pcm, 2, AudioMixer::kSampleRate);
}

}  // namespace soundrender
