// The offline renderer behind tolvaran-soundrender.
#include "tools/soundrender/render.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>

#include "platform/audio.h"
#include "platform/audio_recording.h"
#include "platform/process.h"
#include "test_data.h"

namespace {

using namespace sound_test;

TEST(SoundRender, MidiRendersOnePlayThroughOrLoopsToTheAskedLength) {
  const std::string font = platform::FindSoundFont();
  auto once = soundrender::Render(Tune(8), std::nullopt, font);
  ASSERT_TRUE(once);
  EXPECT_EQ(once->kind, "midi");
  EXPECT_DOUBLE_EQ(once->contentSeconds, 4.0);  // eight quarter notes at 120 bpm
  EXPECT_EQ(once->samples.size(), 2u * 4 * 44100);

  auto longer = soundrender::Render(Tune(8), 10.0, font);
  ASSERT_TRUE(longer);
  EXPECT_EQ(longer->samples.size(), 2u * 10 * 44100);
  if (font.empty()) GTEST_SKIP() << "no General MIDI sound font installed";
  auto levels = soundrender::Measure(
      std::span(longer->samples).subspan(2 * 44100 * 8, 2 * 44100));  // the third pass
  EXPECT_GT(levels.rms, 0.01) << "the repeat is silent";
  EXPECT_EQ(levels.clipped, 0u);
}

TEST(SoundRender, WaveRendersAtTheOutputRate) {
  Bytes samples;
  for (int i = 0; i < 11025; ++i) Le16(samples, uint16_t(int16_t(i % 2 ? 16000 : -16000)));
  auto r = soundrender::Render(Riff({FmtChunk({.channels = 1, .rate = 11025}), DataChunk(samples)}),
                               std::nullopt, "");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->kind, "wave");
  EXPECT_DOUBLE_EQ(r->contentSeconds, 1.0);
  EXPECT_EQ(r->samples.size(), 2u * 44100);
  EXPECT_FALSE(soundrender::Render(Bytes{'n', 'o', 'p', 'e', 0, 0}, std::nullopt, ""));
}

TEST(SoundRender, MeasureAndEncode) {
  std::vector<float> s = {0.5f, -0.5f, 1.0f, -1.25f};
  auto l = soundrender::Measure(s);
  EXPECT_DOUBLE_EQ(l.peak, 1.25);
  EXPECT_EQ(l.clipped, 2u);
  EXPECT_NEAR(l.rms, std::sqrt((0.25 + 0.25 + 1 + 1.5625) / 4), 1e-9);

  Bytes wav = soundrender::EncodeWave(s);
  ASSERT_EQ(wav.size(), 44u + 8);
  EXPECT_EQ(Bytes(wav.begin(), wav.begin() + 4), (Bytes{'R', 'I', 'F', 'F'}));
  EXPECT_EQ(wav[40], 8);  // data size
  auto sample = [&](int i) { return int16_t(wav[44 + 2 * i] | (wav[45 + 2 * i] << 8)); };
  EXPECT_EQ(sample(0), 16384);
  EXPECT_EQ(sample(2), 32767);
  EXPECT_EQ(sample(3), -32767);  // clamped
}

}  // namespace

// The recording the build made of the game's tune, which the game plays instead of
// synthesising it, holds exactly the synthesised first two passes rounded to 16 bits,
// its second pass starting on the synthesiser's first block after the song's end.
TEST(SoundRender, TheGamesTuneRecordingIsItsFirstTwoPassesSynthesised) {
  const std::string font = platform::FindSoundFont();
  if (font.empty()) GTEST_SKIP() << "no General MIDI sound font installed";
  std::ifstream in(TOLVARAN_MUSIC_FILE, std::ios::binary);
  const Bytes music((std::istreambuf_iterator<char>(in)), {});
  ASSERT_FALSE(music.empty());
  auto file = platform::audio::RecordingFile::Open(platform::audio::RecordingPath(
      platform::ProgramFolder() + "/music", platform::ContentKey(music)));
  ASSERT_TRUE(file) << "the build did not record the tune";

  const size_t frames = file->Frames();
  auto live = soundrender::Render(music, double(frames) / 44100, font);
  ASSERT_TRUE(live);
  ASSERT_GE(live->samples.size(), 2 * frames);
  const double end = live->contentSeconds * 44100;
  EXPECT_GE(double(file->SecondPassAt()), end);
  EXPECT_LT(double(file->SecondPassAt()), end + 64);
  EXPECT_EQ(file->SecondPassAt() % 64, 0u);
  EXPECT_EQ(frames - file->SecondPassAt(), file->SecondPassAt()) << "two passes of the same length";

  std::vector<float> recorded(2 * frames, 0.0f);
  file->AddInto(recorded.data(), 0, frames);
  size_t off = 0;
  for (size_t i = 0; i < 2 * frames; ++i) {
    const float rounded =
        std::clamp(std::nearbyint(live->samples[i] * 32768.0f), -32768.0f, 32767.0f) / 32768.0f;
    off += recorded[i] != rounded;
  }
  EXPECT_EQ(off, 0u) << "samples that are not the synthesised ones rounded to 16 bits";
  EXPECT_GT(soundrender::Measure(recorded).rms, 0.01);
}
