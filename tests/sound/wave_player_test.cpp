#include <gtest/gtest.h>

#include "null_audio.h"
#include "test_data.h"

namespace {

using namespace sound_test;
constexpr size_t kBuffer = 15360;

class WavePlayerTest : public NullAudioTest {};

Bytes Joined(const std::vector<WaveWrite>& writes) {
  Bytes all;
  for (const auto& w : writes) all.insert(all.end(), w.bytes.begin(), w.bytes.end());
  return all;
}

TEST_F(WavePlayerTest, DataBeforeFmtPlaysEverySampleOnceAndEnds) {
  Bytes samples = Ramp(kBuffer * 2 + 1000);
  Bytes file = Riff({DataChunk(samples), FmtChunk({})});
  ASSERT_TRUE(rt::PlayWave(file, 0));
  file.assign(file.size(), 0xEE);  // the player keeps its own copy
  ASSERT_TRUE(WaitFor([] { return rt::ActiveWaveCount() == 0; }));
  auto writes = Writes();
  ASSERT_EQ(writes.size(), 3u);
  EXPECT_EQ(writes[0].bytes.size(), kBuffer);
  EXPECT_EQ(writes[2].bytes.size(), 1000u);
  EXPECT_EQ(Joined(writes), samples);
  // The feeder leaves the active list before it closes its device.
  EXPECT_TRUE(WaitFor([] { return platform::OpenNullWaveCount() == 0; })) << "a device stays open";
}

TEST_F(WavePlayerTest, RefusedDataStartsNothing) {
  const Bytes refused[] = {
      Riff({FmtChunk({}), DataChunk({})}),                  // empty "data"
      Riff({DataChunk(Ramp(5000))}),                        // no "fmt "
      SimpleWave(5000, {.bits = 24}),                       // 24-bit
      SimpleWave(5000, {.channels = 6}),                    // surround
      SimpleWave(5000, {.tag = 3, .bits = 32}),             // float
      SimpleWave(5000, {.rate = 1000}),                     // far too slow
      Bytes{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 0, 0},  // header only
  };
  for (const Bytes& file : refused) {
    EXPECT_FALSE(rt::PlayWave(file, 0));
    EXPECT_FALSE(rt::PlaySoundData(file, 0));
  }
  EXPECT_EQ(rt::ActiveWaveCount(), 0u);
  EXPECT_EQ(platform::OpenNullWaveCount(), 0u);
  EXPECT_EQ(WriteCount(), 0u);
}

TEST_F(WavePlayerTest, TwentyBuffersUsedRoundRobin) {
  Use(0, true);
  ASSERT_TRUE(rt::PlayWave(SimpleWave(kBuffer * 23), 0));
  ASSERT_TRUE(WaitFor([this] { return WriteCount() == 20; }));
  Settle();
  EXPECT_EQ(WriteCount(), 20u) << "at most 20 buffers may be queued";
  EXPECT_EQ(platform::ReleaseHeldWaveBuffers(2), 2u);
  ASSERT_TRUE(WaitFor([this] { return WriteCount() == 22; }));
  auto writes = Writes();
  EXPECT_EQ(writes[20].buffer, writes[0].buffer);
  EXPECT_EQ(writes[21].buffer, writes[1].buffer);
  for (int i = 1; i < 20; ++i) EXPECT_NE(writes[i].buffer, writes[0].buffer);
}

TEST_F(WavePlayerTest, LoopRestartsOnlyAfterEveryBufferIsBack) {
  Use(0, true);
  Bytes samples = Ramp(kBuffer * 2 + kBuffer / 2);
  ASSERT_TRUE(rt::PlayWave(SimpleWave(samples.size()), 1));
  ASSERT_TRUE(WaitFor([this] { return WriteCount() == 3; }));
  platform::ReleaseHeldWaveBuffers(2);
  Settle();
  EXPECT_EQ(WriteCount(), 3u) << "restarted while a buffer was still out";
  platform::ReleaseHeldWaveBuffers(1);
  ASSERT_TRUE(WaitFor([this] { return WriteCount() == 6; }));
  auto writes = Writes();
  EXPECT_EQ(Joined({writes.begin() + 3, writes.end()}), samples);
  EXPECT_EQ(writes[3].buffer, writes[0].buffer) << "a repeat starts again at slot 0";
  EXPECT_EQ(rt::ActiveWaveCount(), 1u);
}

TEST_F(WavePlayerTest, LoopKeepsRepeatingUntilStopped) {
  ASSERT_TRUE(rt::PlayWave(SimpleWave(1000), 1));
  ASSERT_TRUE(WaitFor([this] { return WriteCount() >= 50; }));
  rt::StopAllWaves(true);
  size_t after = WriteCount();
  Settle();
  EXPECT_EQ(WriteCount(), after);
}

TEST_F(WavePlayerTest, StopAllWithWaitReturnsWhenEveryFeederHasEnded) {
  Use(0, true);
  for (int i = 0; i < 4; ++i) ASSERT_TRUE(rt::PlayWave(SimpleWave(kBuffer * 30), i % 2));
  ASSERT_TRUE(WaitFor([this] { return WriteCount() == 80; }));
  EXPECT_EQ(rt::ActiveWaveCount(), 4u);
  EXPECT_EQ(platform::OpenNullWaveCount(), 4u);
  rt::StopAllWaves(true);
  EXPECT_EQ(rt::ActiveWaveCount(), 0u);
  EXPECT_EQ(platform::OpenNullWaveCount(), 0u) << "a device was still open";
  EXPECT_EQ(platform::HeldWaveBufferCount(), 0u);
}

TEST_F(WavePlayerTest, StopAllWithoutWaitStillEndsEverySound) {
  Use(0, true);
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(rt::PlayWave(SimpleWave(kBuffer * 30), 1));
  rt::StopAllWaves(false);
  EXPECT_TRUE(WaitFor([] { return rt::ActiveWaveCount() == 0; }));
}

TEST_F(WavePlayerTest, ASoundWhoseBuffersNeverComeBackIsGivenUp) {
  Use(0, true);
  rt::SetWaveStallForTesting(100);
  ASSERT_TRUE(rt::PlayWave(SimpleWave(kBuffer * 30), 1));
  EXPECT_TRUE(WaitFor([] { return rt::ActiveWaveCount() == 0; }));
  EXPECT_EQ(WriteCount(), 20u);
}

TEST_F(WavePlayerTest, PlaysOnTheNullDeviceClock) {
  Use(1.0, false);
  // 8,000 Hz 8-bit mono: 15,360 bytes last almost 2 s, so no buffer can have come
  // back for another to be asked for yet.
  ASSERT_TRUE(rt::PlayWave(SimpleWave(kBuffer * 25, {.channels = 1, .rate = 8000, .bits = 8}), 0));
  ASSERT_TRUE(WaitFor([this] { return WriteCount() == 20; }));
  Settle();
  EXPECT_EQ(WriteCount(), 20u);
}

}  // namespace
