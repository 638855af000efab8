// The offline renderer behind tolvaran-soundrender.
#include "tools/soundrender/render.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/audio.h"
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
