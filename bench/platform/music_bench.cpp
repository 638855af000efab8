// The game's tune on the audio thread: FluidSynth synthesising it (the first two passes
// of every start without a recording) against the kept pass played back (every later
// pass) and the recording file played (every pass where the recording fits), in one run. An
// iteration makes the tune's first 30 s, stereo at 44.1 kHz; the "share_of_core" counter
// is the share of one core it takes to keep up with playing them (CPU time over audio
// time). The synthesiser
// is set up as the mixer sets it up; without chorus and reverb it shows what those cost.
#include <benchmark/benchmark.h>
#include <fluidsynth.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "game/assets/builtin_assets.h"
#include "platform/audio.h"
#include "platform/audio_kept_pass.h"
#include "platform/audio_recording.h"

namespace {

constexpr int kRate = platform::AudioMixer::kSampleRate;
constexpr int kChunk = 64 * 16;
constexpr size_t kIterationFrames = size_t(kRate) * 30;

// The tune playing in a loop, from the top.
class Tune {
 public:
  explicit Tune(bool effects) {
    fluid_set_log_function(FLUID_WARN, nullptr, nullptr);
    fluid_set_log_function(FLUID_INFO, nullptr, nullptr);
    settings_ = new_fluid_settings();
    fluid_settings_setnum(settings_, "synth.sample-rate", kRate);
    fluid_settings_setint(settings_, "synth.cpu-cores", 1);
    fluid_settings_setint(settings_, "synth.chorus.active", effects ? 1 : 0);
    fluid_settings_setint(settings_, "synth.reverb.active", effects ? 1 : 0);
    fluid_settings_setstr(settings_, "player.timing-source", "sample");
    synth_ = new_fluid_synth(settings_);
    const std::string font = platform::FindSoundFont();
    ready_ = !font.empty() && fluid_synth_sfload(synth_, font.c_str(), 1) != FLUID_FAILED;
    player_ = new_fluid_player(synth_);
    const auto tune = game::assets::Music();
    fluid_player_add_mem(player_, tune.data(), tune.size());
    fluid_player_set_loop(player_, -1);
    fluid_player_play(player_);
  }
  ~Tune() {
    delete_fluid_player(player_);
    delete_fluid_synth(synth_);
    delete_fluid_settings(settings_);
  }
  bool Ready() const { return ready_; }
  // Back to the top, with nothing sounding.
  void Rewind() {
    fluid_synth_all_sounds_off(synth_, -1);
    fluid_player_seek(player_, 0);
  }
  void Render(float* out, size_t frames) {
    for (size_t done = 0; done < frames; done += kChunk) {
      const int n = int(std::min<size_t>(kChunk, frames - done));
      fluid_synth_write_float(synth_, n, out + 2 * done, 0, 2, out + 2 * done, 1, 2);
    }
  }

 private:
  fluid_settings_t* settings_ = nullptr;
  fluid_synth_t* synth_ = nullptr;
  fluid_player_t* player_ = nullptr;
  bool ready_ = false;
};

void ReportCore(benchmark::State& state) {
  state.counters["share_of_core"] = benchmark::Counter(double(state.iterations()) * kIterationFrames / kRate,
                                              benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_SynthesiseTune(benchmark::State& state) {
  Tune tune(state.range(0) != 0);
  if (!tune.Ready()) {
    state.SkipWithError("no sound font");
    return;
  }
  std::vector<float> out(kIterationFrames * 2);
  for (auto _ : state) {
    state.PauseTiming();
    tune.Rewind();
    state.ResumeTiming();
    tune.Render(out.data(), kIterationFrames);
    benchmark::DoNotOptimize(out.data());
  }
  ReportCore(state);
}
BENCHMARK(BM_SynthesiseTune)->ArgName("effects")->Arg(1)->Arg(0)->Iterations(3)->Unit(benchmark::kMillisecond);

// Thirty seconds of the tune, kept as the mixer keeps its second pass; false without a
// sound font (the benchmark is then skipped).
constexpr size_t kKept = size_t(kRate) * 30;
bool KeepThirtySeconds(benchmark::State& state, platform::audio::KeptPass& kept) {
  Tune tune(true);
  if (!tune.Ready()) {
    state.SkipWithError("no sound font");
    return false;
  }
  std::vector<float> pcm(kKept * 2);
  tune.Render(pcm.data(), kKept);
  kept.Append(pcm.data(), kKept);
  kept.Finish();
  return true;
}

// Plays `source` (an AddInto(out, at, frames) of kKept frames) round and round in the
// audio device's 2,048-frame buffers, an iteration's worth at a time.
template <typename Source>
void PlayInDeviceBuffers(benchmark::State& state, Source& source) {
  std::vector<float> out(kIterationFrames * 2);
  size_t at = 0;
  for (auto _ : state) {
    std::fill(out.begin(), out.end(), 0.0f);
    for (size_t done = 0; done < kIterationFrames; done += 2048) {
      const size_t n = std::min<size_t>(2048, kIterationFrames - done);
      source.AddInto(out.data() + 2 * done, at, n);
      at = (at + n) % kKept;
    }
    benchmark::DoNotOptimize(out.data());
  }
  ReportCore(state);
}

void BM_ReplayKeptPass(benchmark::State& state) {
  platform::audio::KeptPass kept(16u << 20);
  if (KeepThirtySeconds(state, kept)) PlayInDeviceBuffers(state, kept);
}
BENCHMARK(BM_ReplayKeptPass)->Unit(benchmark::kMillisecond);

// The same thirty seconds as a recording file, read a block at a time as the mixer plays it.
void BM_PlayRecordingFile(benchmark::State& state) {
  platform::audio::KeptPass kept(16u << 20);
  if (!KeepThirtySeconds(state, kept)) return;
  const std::vector<uint8_t> bytes = platform::audio::EncodeRecording(1, 1, kKept / 2, kept);
  char path[] = "/tmp/music-bench-XXXXXX";
  const int fd = mkstemp(path);
  const bool written = fd >= 0 && write(fd, bytes.data(), bytes.size()) == ssize_t(bytes.size());
  if (fd >= 0) close(fd);
  auto file = written ? platform::audio::RecordingFile::Open(path) : nullptr;
  if (fd >= 0) std::remove(path);
  if (!file) {
    state.SkipWithError("cannot write and open the recording");
    return;
  }
  PlayInDeviceBuffers(state, *file);
}
BENCHMARK(BM_PlayRecordingFile)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
