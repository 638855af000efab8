#include "runtime/sound/wave_file.h"

#include <gtest/gtest.h>

#include "test_data.h"

namespace {

using namespace sound_test;

TEST(ParseWave, FindsFormatAndSamplesInEitherOrder) {
  Bytes samples = Ramp(1000);
  for (bool dataFirst : {false, true}) {
    Bytes file = dataFirst ? Riff({DataChunk(samples), FmtChunk({})})
                           : Riff({FmtChunk({}), DataChunk(samples)});
    auto wave = rt::ParseWave(file);
    ASSERT_TRUE(wave) << dataFirst;
    EXPECT_EQ(wave->format.samplesPerSec, 22050u);
    EXPECT_EQ(wave->format.channels, 2);
    EXPECT_EQ(wave->format.bitsPerSample, 16);
    EXPECT_EQ(wave->format.blockAlign, 4);
    EXPECT_EQ(Bytes(wave->samples.begin(), wave->samples.end()), samples);
  }
}

TEST(ParseWave, SkipsOtherChunksIncludingTheirPadByte) {
  Bytes list;
  Put(list, "LIST");
  Le32(list, 3);  // odd size: one pad byte follows
  list.insert(list.end(), {'a', 'b', 'c', 0});
  auto wave = rt::ParseWave(Riff({list, FmtChunk({.channels = 1, .rate = 8000, .bits = 8}),
                                  DataChunk(Ramp(77))}));
  ASSERT_TRUE(wave);
  EXPECT_EQ(wave->format.bitsPerSample, 8);
  EXPECT_EQ(wave->samples.size(), 77u);
}

TEST(ParseWave, RefusesWhatCannotPlay) {
  EXPECT_FALSE(rt::ParseWave(Riff({FmtChunk({}), DataChunk({})})));  // empty "data"
  EXPECT_FALSE(rt::ParseWave(Riff({DataChunk(Ramp(100)), DataChunk(Ramp(100))})));  // no "fmt "
  EXPECT_FALSE(rt::ParseWave(Riff({FmtChunk({})})));  // no "data"

  Bytes shortFmt;
  Put(shortFmt, "fmt ");
  Le32(shortFmt, 14);  // WAVEFORMAT without the bits per sample
  Bytes full = FmtChunk({});
  shortFmt.insert(shortFmt.end(), full.begin() + 8, full.begin() + 22);
  EXPECT_FALSE(rt::ParseWave(Riff({shortFmt, DataChunk(Ramp(100))})));

  Bytes notWave = SimpleWave(100);
  notWave[8] = 'A';
  EXPECT_FALSE(rt::ParseWave(notWave));
  Bytes tooShort = SimpleWave(100);
  tooShort.resize(35);
  EXPECT_FALSE(rt::ParseWave(tooShort));
}

TEST(ParseWave, StopsWalkingAtTheRiffSize) {
  Bytes file = Riff({FmtChunk({})});
  Bytes data = DataChunk(Ramp(64));
  file.insert(file.end(), data.begin(), data.end());  // outside the RIFF size
  EXPECT_FALSE(rt::ParseWave(file));
}

TEST(ParseWave, PlaysACutOffDataChunkAsFarAsItGoes) {
  Bytes file = SimpleWave(1000);
  file.erase(file.end() - 400, file.end());
  auto wave = rt::ParseWave(file);
  ASSERT_TRUE(wave);
  EXPECT_EQ(wave->samples.size(), 600u);
  EXPECT_EQ(wave->samples.data() + 600, file.data() + file.size());
}

}  // namespace
