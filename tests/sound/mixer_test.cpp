// The software mixer, rendered offline: rate conversion of wave outputs, buffer
// completion, MIDI timing on the audio clock and the synthesiser's level.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <thread>

#include "null_audio.h"
#include "platform/audio.h"
#include "platform/audio_recording.h"
#include "runtime/sound/midi_file.h"
#include "runtime/sound/sound.h"
#include "test_data.h"

namespace {

using namespace sound_test;
using platform::AudioMixer;
using platform::MidiStreamEvent;

Bytes Sine16(uint32_t rate, int channels, double hz, size_t frames, double amplitude) {
  Bytes b;
  for (size_t i = 0; i < frames; ++i) {
    auto v = int16_t(std::lrint(amplitude * 32767 * std::sin(2 * M_PI * hz * double(i) / rate)));
    for (int c = 0; c < channels; ++c) Le16(b, uint16_t(v));
  }
  return b;
}

double Peak(const std::vector<float>& v, size_t from = 0, size_t to = SIZE_MAX) {
  double p = 0;
  for (size_t i = from; i < std::min(to, v.size()); ++i) p = std::max(p, double(std::fabs(v[i])));
  return p;
}

TEST(AudioMixer, ConvertsAWaveToTheOutputRateAndHandsBuffersBackInOrder) {
  AudioMixer mixer(AudioMixer::Completion::Inline, "");
  std::vector<uintptr_t> done;
  platform::WaveFormat fmt;  // 22,050 Hz 16-bit stereo
  auto out = mixer.OpenWaveOut(fmt, [&](void* c) { done.push_back(reinterpret_cast<uintptr_t>(c)); });
  ASSERT_TRUE(out);
  Bytes a = Sine16(22050, 2, 441, 11025, 0.5);  // half a second each
  Bytes b = Sine16(22050, 2, 441, 11025, 0.5);
  out->Write(a.data(), a.size(), reinterpret_cast<void*>(1));
  out->Write(b.data(), b.size(), reinterpret_cast<void*>(2));

  std::vector<float> block(2 * 4410);
  std::vector<float> all;
  for (int i = 0; i < 12; ++i) {  // 1.2 s
    mixer.Render(block.data(), 4410);
    all.insert(all.end(), block.begin(), block.end());
    if (i == 3) {
      EXPECT_TRUE(done.empty()) << "first buffer back before it was heard";
    }
  }
  EXPECT_EQ(done, (std::vector<uintptr_t>{1, 2}));
  EXPECT_NEAR(Peak(all, 0, 2 * 44100), 0.5, 0.02);
  EXPECT_LT(Peak(all, 2 * 44100 + 2000), 0.01) << "sound after the data ended";
  // 441 Hz at 44,100 Hz: 100 frames per cycle, so the sample 100 frames on matches.
  EXPECT_NEAR(all[2 * 20000], all[2 * 20100], 0.01);
}

TEST(AudioMixer, ABufferWrittenAfterTheQueueRanDryStillPlays) {
  AudioMixer mixer(AudioMixer::Completion::Inline, "");
  int done = 0;
  auto out = mixer.OpenWaveOut({1, 1, 22050, 44100, 2, 16}, [&](void*) { ++done; });
  ASSERT_TRUE(out);
  Bytes tone = Sine16(22050, 1, 441, 2205, 0.5);  // 0.1 s
  std::vector<float> block(2 * 8820);
  for (int round = 0; round < 3; ++round) {
    out->Write(tone.data(), tone.size(), nullptr);
    mixer.Render(block.data(), 8820);  // 0.2 s: the tone, then silence
    EXPECT_EQ(done, round + 1);
    EXPECT_NEAR(Peak(block, 0, 2 * 4000), 0.5, 0.02) << round;
    EXPECT_LT(Peak(block, 2 * 4500), 0.01) << round;
  }
}

TEST(AudioMixer, MonoEightBitIsCentredAndResetReturnsEverything) {
  AudioMixer mixer(AudioMixer::Completion::Inline, "");
  int done = 0;
  auto out = mixer.OpenWaveOut({1, 1, 11025, 11025, 1, 8}, [&](void*) { ++done; });
  ASSERT_TRUE(out);
  Bytes silence(11025, 0x80);
  out->Write(silence.data(), silence.size(), nullptr);
  out->Write(silence.data(), silence.size(), nullptr);
  std::vector<float> block(2 * 1024);
  mixer.Render(block.data(), 1024);
  EXPECT_LT(Peak(block), 0.01);
  out->Reset();
  EXPECT_EQ(done, 2);
  EXPECT_FALSE(mixer.OpenWaveOut({1, 2, 44100, 44100 * 6, 6, 24}, [](void*) {}));
}

TEST(AudioMixer, MidiEventsPlayOnTheAudioClock) {
  // Without a sound font the stream is silent but keeps time, so completion marks when
  // the last event of a buffer played.
  AudioMixer mixer(AudioMixer::Completion::Inline, "");
  size_t renderedWhenDone = 0, rendered = 0;
  auto stream = mixer.OpenMidiStream([&](void*) { renderedWhenDone = rendered; });
  stream->SetTimeDivision(480);
  MidiStreamEvent events[3];
  events[0].deltaTicks = 480;  // 0.5 s at 120 beats per minute
  events[0].kind = MidiStreamEvent::Tempo;
  events[0].tempo = 250000;
  events[1].deltaTicks = 480;  // 0.25 s at the new tempo
  events[1].status = 0x90;
  events[2].deltaTicks = 960;  // 0.5 s
  events[2].kind = MidiStreamEvent::Nop;
  stream->Queue(events, 3, nullptr);
  std::vector<float> block(2 * 256);
  mixer.Render(block.data(), 256);
  rendered += 256;
  EXPECT_EQ(renderedWhenDone, 0u) << "played before Restart";
  stream->Restart();
  while (rendered < 2 * 44100 && renderedWhenDone == 0) {
    mixer.Render(block.data(), 256);
    rendered += 256;
  }
  EXPECT_NEAR(double(renderedWhenDone), 1.25 * 44100, 256);
}

TEST(AudioMixer, RendersATuneThroughTheSynthesiserAudiblyAndUnclipped) {
  std::string font = platform::FindSoundFont();
  if (font.empty()) GTEST_SKIP() << "no General MIDI sound font installed";
  AudioMixer mixer(AudioMixer::Completion::Inline, font);
  auto song = rt::MidiSong::Open(Tune(8));
  ASSERT_TRUE(song);
  MidiStreamEvent buffers[2][85];
  std::unique_ptr<platform::MidiStream> stream;
  stream = mixer.OpenMidiStream([&](void* cookie) {
    auto slot = reinterpret_cast<uintptr_t>(cookie);
    if (size_t n = song->Fill(buffers[slot], 85, false)) stream->Queue(buffers[slot], n, cookie);
  });
  stream->SetTimeDivision(song->TimeDivision());
  for (uintptr_t slot = 0; slot < 2; ++slot)
    if (size_t n = song->Fill(buffers[slot], 85, false))
      stream->Queue(buffers[slot], n, reinterpret_cast<void*>(slot));
  stream->Restart();
  std::vector<float> all(2 * 44100 * 4);  // the tune lasts 4 s
  for (size_t at = 0; at < all.size() / 2; at += 512)
    mixer.Render(all.data() + 2 * at, std::min<size_t>(512, all.size() / 2 - at));
  double sum = 0;
  for (float s : all) sum += double(s) * s;
  double rms = std::sqrt(sum / double(all.size()));
  EXPECT_GT(rms, 0.01) << "silent";
  EXPECT_LT(Peak(all), 0.99) << "clipped";
  EXPECT_GT(Peak(all, 0, 2 * 4410), 0.01) << "the first note is late";
}

TEST(AudioDevice, DummyDriverPlaysAndShutsDownCleanly) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  platform::UseAudioDeviceForTesting(true);
  EXPECT_FALSE(platform::AudioUsesNullDevices());
  std::atomic<int> done{0};
  Bytes samples = Sine16(22050, 2, 440, 2205, 0.3);  // 0.1 s
  auto out = platform::OpenWaveOut({}, [&](void*) { ++done; });
  ASSERT_TRUE(out);
  out->Write(samples.data(), samples.size(), nullptr);
  EXPECT_TRUE(WaitFor([&] { return done == 1; }));
  out.reset();

  // The players on the real mixer: a short tune ends by itself, a looping sound stops.
  {
    rt::MidiPlayer player;
    ASSERT_TRUE(player.Play(Tune(2), false));  // one second
    EXPECT_TRUE(player.Playing());
    EXPECT_TRUE(WaitFor([&] { return !player.Playing(); }));
    ASSERT_TRUE(player.Play(Tune(8), true));
    ASSERT_TRUE(rt::PlayWave(SimpleWave(30000), 1));
    rt::StopAllWaves(true);
    EXPECT_EQ(rt::ActiveWaveCount(), 0u);
  }  // closes the stream while it plays
  platform::ShutdownAudio();
  platform::ShutdownAudio();
  platform::UseAudioDeviceForTesting(false);
  EXPECT_TRUE(platform::AudioUsesNullDevices());
}

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// A headset pulled out while a sound plays: the game goes on, the sound keeps its place
// in time without being heard, and once an output is back it is heard from where playing
// has got to, neither from where it stopped being heard nor cut off.
TEST(AudioDevice, PlaysOnSilentlyWhenTheDeviceGoesAndComesBackWhereItHasGot) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  platform::UseAudioDeviceForTesting(true);
  std::atomic<bool> done{false};
  Clock::time_point doneAt;
  auto out = platform::OpenWaveOut({}, [&](void*) {
    doneAt = Clock::now();
    done = true;
  });
  ASSERT_TRUE(out);
  const uint32_t first = platform::AudioDeviceInUse();
  ASSERT_NE(first, 0u);
  Bytes samples = Sine16(22050, 2, 440, 2 * 22050, 0.3);  // 2 s
  const auto start = Clock::now();
  out->Write(samples.data(), samples.size(), nullptr);

  std::this_thread::sleep_for(milliseconds(300));
  platform::AudioDeviceRemoved(first + 1000);  // some other device: nothing happens
  EXPECT_EQ(platform::AudioDeviceInUse(), first);
  platform::AudioDeviceRemoved(first);
  EXPECT_EQ(platform::AudioDeviceInUse(), 0u);
  EXPECT_FALSE(done) << "the sound was dropped with the device";
  // A second without a device, then one is back.
  std::this_thread::sleep_for(milliseconds(1000));
  EXPECT_FALSE(done) << "the sound was dropped while there was no device";
  platform::AudioDeviceAdded();
  EXPECT_TRUE(WaitFor([] { return platform::AudioDeviceInUse() != 0; })) << "no new device";
  ASSERT_TRUE(WaitFor([&] { return done.load(); }));
  // Paused while unheard, it would have ended a second later than this.
  const auto took = doneAt - start;
  EXPECT_GE(took, milliseconds(1950));
  EXPECT_LT(took, milliseconds(2800));

  // A tune started with no device plays through to its end, unheard.
  platform::AudioDeviceRemoved(platform::AudioDeviceInUse());
  rt::MidiPlayer tune;
  ASSERT_TRUE(tune.Play(Tune(2), false));  // one second, after the sound font has loaded
  EXPECT_TRUE(tune.Playing());
  EXPECT_TRUE(WaitFor([&] { return !tune.Playing(); }));
  out.reset();
  platform::ShutdownAudio();
  platform::UseAudioDeviceForTesting(false);
}

// The device closed under the mixer again and again, while other threads open, write,
// reset and close sounds and play tunes: nothing waits for a device that is not there,
// and the audio shuts down while silent.
TEST(AudioDevice, NothingBlocksWhenTheDeviceIsClosedUnderTheMixer) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  platform::UseAudioDeviceForTesting(true);
  std::atomic<bool> stop{false};
  std::atomic<int> rounds{0};
  auto player = std::async(std::launch::async, [&] {
    Bytes samples = Sine16(22050, 2, 440, 2205, 0.3);
    rt::MidiPlayer tune;
    while (!stop) {
      auto out = platform::OpenWaveOut({}, [](void*) {});
      if (out) {
        out->Write(samples.data(), samples.size(), nullptr);
        out->Write(samples.data(), samples.size(), nullptr);
        std::this_thread::sleep_for(milliseconds(3));
        out->Reset();
      }
      tune.Play(Tune(4), true);
      std::this_thread::sleep_for(milliseconds(2));
      tune.Stop();
      ++rounds;
    }
    // SDL keeps an error buffer for every thread that used it; one it did not start
    // must hand it back itself.
    SDL_TLSCleanup();
  });
  for (int i = 0; i < 20; ++i) {
    const uint32_t id = platform::AudioDeviceInUse();
    if (id != 0) platform::AudioDeviceRemoved(id);
    std::this_thread::sleep_for(milliseconds(15));
    platform::AudioDeviceAdded();
    WaitFor([] { return platform::AudioDeviceInUse() != 0; });
  }
  platform::AudioDeviceRemoved(platform::AudioDeviceInUse());
  stop = true;
  ASSERT_EQ(player.wait_for(std::chrono::seconds(20)), std::future_status::ready)
      << "a sound call blocked with the device closed";
  EXPECT_GT(rounds.load(), 0);
  auto shutdown = std::async(std::launch::async, [] { platform::ShutdownAudio(); });
  ASSERT_EQ(shutdown.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  platform::UseAudioDeviceForTesting(false);
}

}  // namespace

namespace {

// How a LoopingTune's mixer and stream are set up.
enum TuneSetup {
  kLive = 1,      // every pass synthesised, as TOLVARAN_MUSIC_LIVE=1 does
  kIdentify = 2,  // the stream is told which song it plays, as the player does
  kRecord = 4,    // the mixer records the song's first two passes
};

// A tune looping on a mixer of its own, rendered in blocks of `block` frames.
class LoopingTune {
 public:
  // `setup` is TuneSetup flags; recordings are looked for in `recordings` (none: nowhere).
  LoopingTune(const Bytes& tune, int setup, const std::string& recordings = "")
      : song_(*rt::MidiSong::Open(tune)), key_(setup & kIdentify ? platform::ContentKey(tune) : 0) {
    mixer_.PlayRecordingsFrom(recordings);
    if (setup & kRecord) mixer_.RecordTunes();
    if (setup & kLive) setenv("TOLVARAN_MUSIC_LIVE", "1", 1);
    stream_ = mixer_.OpenMidiStream([this](void* cookie) { Fill(reinterpret_cast<uintptr_t>(cookie)); });
    unsetenv("TOLVARAN_MUSIC_LIVE");
    stream_->SetTimeDivision(song_.TimeDivision());
    Start();
  }
  AudioMixer& Mixer() { return mixer_; }
  ~LoopingTune() { stream_->Stop(); }

  std::vector<float> Render(double seconds, size_t block = 512) {
    std::vector<float> all(2 * size_t(44100 * seconds));
    for (size_t at = 0; at < all.size() / 2; at += block)
      mixer_.Render(all.data() + 2 * at, std::min(block, all.size() / 2 - at));
    return all;
  }
  // From the top, as a player does when it plays the tune again.
  void Start() {
    stopping_ = true;  // the buffers handed back are not refilled
    stream_->Stop();
    stopping_ = false;
    song_.Rewind();
    Fill(0);
    Fill(1);
    stream_->Identify(key_);
    stream_->Restart();
  }

 private:
  void Fill(uintptr_t slot) {
    if (stopping_) return;
    if (size_t n = song_.Fill(buffers_[slot], 85, true))
      stream_->Queue(buffers_[slot], n, reinterpret_cast<void*>(slot));
  }
  AudioMixer mixer_{AudioMixer::Completion::Inline, platform::FindSoundFont()};
  rt::MidiSong song_;
  uint64_t key_;
  MidiStreamEvent buffers_[2][85];
  std::unique_ptr<platform::MidiStream> stream_;
  bool stopping_ = false;
};

bool OnSixteenBitSteps(const std::vector<float>& v, size_t from, size_t to) {
  for (size_t i = from; i < to; ++i)
    if (v[i] * 32768.0f != std::nearbyint(v[i] * 32768.0f)) return false;
  return true;
}

}  // namespace

// Tune(8) is 4 s a pass (176,400 frames); each pass starts on the synthesiser's next
// 64-frame block, 176,448 frames after the one before.
constexpr size_t kPassFrames = 176448;

// How far a replayed third pass is from the synthesised one, in 16-bit steps: as
// float, and as a sound card gets both (rounded to 16 bits).
struct Drift {
  double worst = 0, worstAtCard = 0;
  size_t differing = 0;
};
Drift DriftOf(const std::vector<float>& replayed, const std::vector<float>& live, size_t from,
              size_t to) {
  Drift d;
  for (size_t i = from; i < to; ++i) {
    const double a = double(replayed[i]) * 32768, b = double(live[i]) * 32768;
    d.worst = std::max(d.worst, std::fabs(a - b));
    d.worstAtCard = std::max(d.worstAtCard, std::fabs(std::nearbyint(a) - std::nearbyint(b)));
    d.differing += a != b;
  }
  return d;
}

// The second pass is kept and played from the third on. It differs from what the
// synthesiser would play by its rounding to 16 bits (half a step) and by the phase of
// the reverb's modulated delays, which run on from pass to pass: for this piano tune,
// without chorus, most of a step, so at the sound card's 16 bits the two are never more
// than one step apart. (A tune with chorus differs far more; see the mixer.)
TEST(AudioMixer, ALoopingTunesThirdPassReplaysTheSecondWithinAStepAtTheCard) {
  if (platform::FindSoundFont().empty()) GTEST_SKIP() << "no General MIDI sound font installed";
  const Bytes tune = Tune(8);
  const std::vector<float> replayed = LoopingTune(tune, false).Render(17);
  const std::vector<float> live = LoopingTune(tune, true).Render(17);
  ASSERT_EQ(replayed.size(), live.size());
  const size_t third = 2 * 2 * kPassFrames, fourth = third + 2 * kPassFrames;
  EXPECT_TRUE(std::equal(live.begin(), live.begin() + third, replayed.begin()))
      << "the first two passes are synthesised in both";
  const Drift d = DriftOf(replayed, live, third, fourth);
  EXPECT_LE(d.worstAtCard, 1.0);
  EXPECT_LT(d.worst, 1.5);
  // What plays from the third pass on is the kept pass, not the synthesiser.
  EXPECT_TRUE(OnSixteenBitSteps(replayed, third, replayed.size()));
  EXPECT_FALSE(OnSixteenBitSteps(live, third, live.size()));
  EXPECT_GT(Peak(replayed, fourth), 0.01) << "the fourth pass is silent";
  RecordProperty("differing_samples", int(d.differing));
  RecordProperty("largest_difference_in_steps", std::to_string(d.worst));
}

// Where the device's blocks fall changes nothing, neither the synthesised passes nor the
// place in the kept one.
TEST(AudioMixer, AReplayedTuneDoesNotDependOnTheDevicesBlockSize) {
  if (platform::FindSoundFont().empty()) GTEST_SKIP() << "no General MIDI sound font installed";
  const Bytes tune = Tune(8);
  const std::vector<float> in512 = LoopingTune(tune, false).Render(13, 512);
  const std::vector<float> in333 = LoopingTune(tune, false).Render(13, 333);
  EXPECT_TRUE(in512 == in333);
  EXPECT_TRUE(OnSixteenBitSteps(in333, 2 * 2 * kPassFrames, in333.size()));
}

// A stop forgets the kept pass and brings the synthesiser back: the tune played again
// from the top is synthesised for two passes and kept and replayed anew.
TEST(AudioMixer, AStopForgetsTheKeptPass) {
  if (platform::FindSoundFont().empty()) GTEST_SKIP() << "no General MIDI sound font installed";
  const size_t third = 2 * 2 * kPassFrames;
  LoopingTune tune(Tune(8), false);
  const std::vector<float> first = tune.Render(13);
  tune.Start();  // while replaying, with no synthesiser
  const std::vector<float> again = tune.Render(13);
  EXPECT_LT(DriftOf(again, first, 0, third).worst, 0.01);
  EXPECT_FALSE(OnSixteenBitSteps(again, 0, third));
  EXPECT_TRUE(OnSixteenBitSteps(again, third, again.size()));
  EXPECT_GT(Peak(again, third), 0.01);

  // Stopped while keeping the second pass, at 6 s: the tune played again starts on the
  // synthesiser's next block, keeps its own second pass and replays it from its third.
  LoopingTune replayed(Tune(8, 67), false), live(Tune(8, 67), true);
  replayed.Render(6);
  live.Render(6);
  replayed.Start();
  live.Start();
  const std::vector<float> a = replayed.Render(13), b = live.Render(13);
  const size_t late = 2 * ((64 - 6 * 44100 % 64) % 64);
  EXPECT_TRUE(std::equal(a.begin(), a.begin() + std::ptrdiff_t(late + third), b.begin()));
  EXPECT_FALSE(OnSixteenBitSteps(a, late + third - 2 * 64, late + third));
  EXPECT_TRUE(OnSixteenBitSteps(a, late + third, a.size()));
  EXPECT_LE(DriftOf(a, b, late + third, late + third + 2 * kPassFrames).worstAtCard, 1.0);
}

namespace {

// The samples rounded to 16 bits, as a recording holds them.
std::vector<float> AtSixteenBits(const std::vector<float>& v, size_t from, size_t to) {
  std::vector<float> out;
  for (size_t i = from; i < to; ++i)
    out.push_back(std::clamp(std::nearbyint(v[i] * 32768.0f), -32768.0f, 32767.0f) / 32768.0f);
  return out;
}

// A folder of its own for the recordings of one test.
class RecordingFolder {
 public:
  RecordingFolder() {
    char name[] = "/tmp/tolvaran-recordings-XXXXXX";
    if (mkdtemp(name)) path_ = name;
  }
  ~RecordingFolder() { std::filesystem::remove_all(path_); }
  const std::string& Path() const { return path_; }
  std::string FileOf(const Bytes& tune) const {
    return platform::audio::RecordingPath(path_, platform::ContentKey(tune));
  }
  void Write(const Bytes& tune, const std::vector<uint8_t>& bytes) const {
    std::ofstream(FileOf(tune), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  }

 private:
  std::string path_;
};

// Tune(8)'s recording, made as the build makes the game's: the first two passes.
std::vector<uint8_t> RecordingOf(const Bytes& tune) {
  LoopingTune recorder(tune, kIdentify | kRecord);
  recorder.Render(8.1);  // the third pass starts at 2 * kPassFrames (8.002 s)
  return recorder.Mixer().TakeRecording();
}

}  // namespace

// A song with a recording of its first two passes plays them from it and never loads the
// synthesiser: each sample is the synthesised one rounded to 16 bits, and every later
// pass is the recorded second again.
TEST(AudioMixer, AnIdentifiedSongWithARecordingPlaysItWithoutASynthesiser) {
  if (platform::FindSoundFont().empty()) GTEST_SKIP() << "no General MIDI sound font installed";
  const Bytes tune = Tune(8);
  RecordingFolder folder;
  const std::vector<uint8_t> recording = RecordingOf(tune);
  ASSERT_FALSE(recording.empty());
  folder.Write(tune, recording);
  auto file = platform::audio::RecordingFile::Open(folder.FileOf(tune));
  ASSERT_TRUE(file);
  EXPECT_EQ(file->SecondPassAt(), kPassFrames);
  EXPECT_EQ(file->Frames(), 2 * kPassFrames);

  LoopingTune played(tune, kIdentify, folder.Path());
  LoopingTune live(tune, true);
  const std::vector<float> a = played.Render(13, 2048), b = live.Render(13);
  const size_t third = 2 * 2 * kPassFrames, fourth = third + 2 * kPassFrames;
  EXPECT_TRUE(AtSixteenBits(b, 0, third) == std::vector<float>(a.begin(), a.begin() + third));
  EXPECT_TRUE(AtSixteenBits(b, third / 2, third) == std::vector<float>(a.begin() + third, a.begin() + fourth))
      << "the third pass is the recorded second";
  EXPECT_GT(Peak(a, fourth), 0.01) << "the fourth pass is silent";
  EXPECT_EQ(played.Mixer().SynthesisersLoaded(), 0);
  EXPECT_EQ(live.Mixer().SynthesisersLoaded(), 1);

  // Played again from the top, it is the recording again, from its first pass.
  played.Start();
  const std::vector<float> again = played.Render(9);
  EXPECT_TRUE(std::equal(again.begin(), again.end(), a.begin()));
  EXPECT_EQ(played.Mixer().SynthesisersLoaded(), 0);
}

// Anything but the song and the synthesiser it was made with is synthesised: another
// song, a song not named, a recording made with another sound font or FluidSynth, and
// every song when TOLVARAN_MUSIC_LIVE=1.
TEST(AudioMixer, ARecordingPlaysOnlyForItsSongAndItsSynthesiser) {
  if (platform::FindSoundFont().empty()) GTEST_SKIP() << "no General MIDI sound font installed";
  const Bytes tune = Tune(8), other = Tune(8, 67);
  RecordingFolder folder;
  std::vector<uint8_t> recording = RecordingOf(tune);
  ASSERT_GT(recording.size(), 24u);
  folder.Write(tune, recording);
  const std::vector<float> synthesised = LoopingTune(tune, false).Render(2);

  auto synthesises = [&](const Bytes& song, int setup) {
    LoopingTune t(song, setup, folder.Path());
    const std::vector<float> out = t.Render(2);
    EXPECT_EQ(t.Mixer().SynthesisersLoaded(), 1);
    return !OnSixteenBitSteps(out, 0, out.size()) &&
           (&song != &tune || out == synthesised);
  };
  EXPECT_TRUE(synthesises(other, kIdentify));
  EXPECT_TRUE(synthesises(tune, 0));
  EXPECT_TRUE(synthesises(tune, kLive | kIdentify));
  recording[16] ^= 1;  // the synthesiser's key
  folder.Write(tune, recording);
  EXPECT_TRUE(synthesises(tune, kIdentify));
  recording[16] ^= 1;
  recording[8] ^= 1;  // the song's key, in a file under the song's name
  folder.Write(tune, recording);
  EXPECT_TRUE(synthesises(tune, kIdentify));
}

// A recording file that does not hold together is refused whole (the song is
// synthesised); a block whose bytes were changed plays as silence, and only that block.
TEST(AudioMixer, ADamagedRecordingIsRefusedOrSilentWhereDamaged) {
  if (platform::FindSoundFont().empty()) GTEST_SKIP() << "no General MIDI sound font installed";
  using platform::audio::RecordingFile;
  const Bytes tune = Tune(8);
  RecordingFolder folder;
  const std::vector<uint8_t> recording = RecordingOf(tune);
  ASSERT_FALSE(recording.empty());
  const std::string path = folder.FileOf(tune);
  for (size_t cut : {size_t(0), size_t(7), size_t(35), size_t(36), size_t(100), recording.size() / 2,
                     recording.size() - 1}) {
    folder.Write(tune, std::vector<uint8_t>(recording.begin(), recording.begin() + cut));
    EXPECT_FALSE(RecordingFile::Open(path)) << "cut at " << cut;
  }
  std::vector<uint8_t> longer = recording;
  longer.push_back(0);
  folder.Write(tune, longer);
  EXPECT_FALSE(RecordingFile::Open(path));
  for (size_t field : {size_t(24), size_t(28), size_t(32)}) {  // frames, second pass, blocks
    std::vector<uint8_t> bad = recording;
    bad[field + 3] = 0x80;
    folder.Write(tune, bad);
    EXPECT_FALSE(RecordingFile::Open(path)) << "field at " << field;
  }
  std::vector<uint8_t> zeroSecond = recording;
  std::fill(zeroSecond.begin() + 28, zeroSecond.begin() + 32, 0);
  folder.Write(tune, zeroSecond);
  EXPECT_FALSE(RecordingFile::Open(path));

  folder.Write(tune, recording);
  auto whole = RecordingFile::Open(path);
  ASSERT_TRUE(whole);
  const size_t blockFrames = platform::audio::KeptPass::kBlockFrames;
  std::vector<float> good(2 * whole->Frames(), 0.0f);
  whole->AddInto(good.data(), 0, whole->Frames());
  // Block 10 starts where blocks 0 to 9 end, after the header and the index.
  const size_t blocks = (whole->Frames() + blockFrames - 1) / blockFrames;
  size_t at = 36 + 8 * blocks;
  for (size_t b = 0; b < 10; ++b)
    at += recording[36 + 8 * b] | recording[37 + 8 * b] << 8 | recording[38 + 8 * b] << 16;
  std::vector<uint8_t> damaged = recording;
  damaged[at + 5] ^= 0x10;
  folder.Write(tune, damaged);
  auto file = RecordingFile::Open(path);
  ASSERT_TRUE(file);
  std::vector<float> out(2 * file->Frames(), 0.0f);
  file->AddInto(out.data(), 0, file->Frames());
  const size_t from = 2 * 10 * blockFrames, to = 2 * 11 * blockFrames;
  EXPECT_EQ(Peak(out, from, to), 0.0) << "the damaged block";
  EXPECT_GT(Peak(good, from, to), 0.01) << "the block is silent anyway";
  EXPECT_TRUE(std::equal(out.begin(), out.begin() + from, good.begin()));
  EXPECT_TRUE(std::equal(out.begin() + to, out.end(), good.begin() + to));
}
