// Damaged WAVE and MIDI data: every prefix of a good file and random byte flips. None
// may crash, read out of bounds (run under the sanitizers) or hang, and what cannot be
// played is not played.
#include <gtest/gtest.h>

#include <random>

#include "null_audio.h"
#include "runtime/sound/midi_file.h"
#include "runtime/sound/wave_file.h"
#include "test_data.h"

namespace {

using namespace sound_test;

// Reads a song to its end (or far enough into a repeat) the way the player does.
void PlayThrough(rt::MidiSong& song) {
  platform::MidiStreamEvent buffer[85];
  for (int i = 0; i < 200 && song.Fill(buffer, 85, true) > 0; ++i) {
  }
}

Bytes RichSong() {
  return Smf(1, 480,
             {Track({{0, Tempo(450000)}, {0, {0xFF, 0x58, 0x04, 4, 2, 24, 8}},
                     {1920, Tempo(520000)}, {1920, EndOfTrack()}}),
              Track({{0, {0xC0, 0x10}}, {0, {0xB0, 0x07, 0x64}}, {0, {0x90, 60, 90}},
                     {240, {62, 90}}, {240, {0xE0, 0x00, 0x40}}, {0, {0x80, 60, 0}},
                     {0, {0xF0, 0x02, 0x01, 0xF7}}, {480, {0x80, 62, 0}},
                     {0, {0xD0, 0x20}}, {0, {0xA0, 60, 10}}, {0, EndOfTrack()}})});
}

TEST(SoundRobustness, EveryPrefixOfAWaveFile) {
  Bytes file = Riff({FmtChunk({}), DataChunk(Ramp(600))});
  for (size_t n = 0; n <= file.size(); ++n) {
    auto wave = rt::ParseWave({file.data(), n});
    // Only prefixes that reach into the "data" samples have anything to play.
    EXPECT_EQ(bool(wave), n > 44) << n;
    if (wave) {
      EXPECT_EQ(wave->samples.size(), n - 44);
      EXPECT_LE(wave->samples.data() + wave->samples.size(), file.data() + n);
    }
  }
}

TEST(SoundRobustness, EveryPrefixOfAMidiFileIsRefused) {
  Bytes file = RichSong();
  for (size_t n = 0; n < file.size(); ++n)
    EXPECT_FALSE(rt::MidiSong::Open({file.data(), n})) << n;
  auto whole = rt::MidiSong::Open(file);
  ASSERT_TRUE(whole);
  PlayThrough(*whole);
}

TEST(SoundRobustness, RandomByteFlips) {
  std::mt19937 random(20261207);
  const Bytes wave = Riff({FmtChunk({}), DataChunk(Ramp(300))});
  const Bytes midi = RichSong();
  for (int round = 0; round < 4000; ++round) {
    const Bytes& original = round % 2 ? midi : wave;
    Bytes damaged = original;
    int flips = 1 + int(random() % 6);
    for (int i = 0; i < flips; ++i) {
      size_t at = random() % damaged.size();
      damaged[at] = (random() % 3 == 0) ? uint8_t(random()) : uint8_t(damaged[at] ^ (1u << (random() % 8)));
    }
    if (round % 7 == 0) damaged.resize(random() % damaged.size());
    if (auto w = rt::ParseWave(damaged)) {
      ASSERT_GE(w->samples.data(), damaged.data());
      ASSERT_LE(w->samples.data() + w->samples.size(), damaged.data() + damaged.size());
    }
    if (auto song = rt::MidiSong::Open(damaged)) PlayThrough(*song);
  }
}

class SoundRobustnessPlayers : public NullAudioTest {};

TEST_F(SoundRobustnessPlayers, DamagedDataThroughThePlayers) {
  std::mt19937 random(7);
  const Bytes wave = Riff({FmtChunk({}), DataChunk(Ramp(3000))});
  const Bytes midi = RichSong();
  rt::MidiPlayer window;
  for (int round = 0; round < 300; ++round) {
    Bytes damaged = round % 2 ? midi : wave;
    for (int i = 0; i < 3; ++i) damaged[random() % damaged.size()] = uint8_t(random());
    if (round % 5 == 0) damaged.resize(random() % damaged.size());
    rt::PlaySoundData(damaged, int(random() % 2));
    window.Play(damaged, random() % 2);
  }
  rt::StopAllSounds();
  window.Stop();
  EXPECT_EQ(rt::ActiveWaveCount(), 0u);
}

}  // namespace
