#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "null_audio.h"
#include "runtime/sound/midi_file.h"
#include "test_data.h"

namespace {

using namespace sound_test;
using ::testing::ElementsAre;

class MidiPlayerTest : public NullAudioTest {
 protected:
  std::vector<std::string> CallsOf(const void* stream) {
    std::vector<std::string> out;
    for (const auto& c : MidiCalls())
      if (c.stream == stream) out.push_back(c.what);
    return out;
  }
  // The stream that received the first "queue" with a note-on of `note`.
  const void* StreamPlaying(uint8_t note) {
    for (const auto& c : MidiCalls())
      for (const auto& e : c.events)
        if (e.kind == platform::MidiStreamEvent::Short && e.status == 0x90 && e.data1 == note)
          return c.stream;
    return nullptr;
  }
};

TEST_F(MidiPlayerTest, RuntimePlayerStopsItsOldTuneWhileAWindowsTunePlaysOn) {
  Use(1.0, false);  // real pacing: looping tunes keep playing during the test
  rt::MidiPlayer window;
  ASSERT_TRUE(window.Play(Tune(8, 40), true));
  ASSERT_TRUE(rt::PlaySoundData(Tune(8, 60), 1));
  ASSERT_TRUE(rt::PlaySoundData(Tune(8, 80), 1));
  EXPECT_TRUE(window.Playing());
  EXPECT_TRUE(rt::RuntimeMidiPlayer().Playing());

  const void* windowStream = StreamPlaying(40);
  const void* runtimeStream = StreamPlaying(60);
  ASSERT_NE(windowStream, nullptr);
  ASSERT_NE(runtimeStream, nullptr);
  EXPECT_NE(windowStream, runtimeStream);
  EXPECT_EQ(StreamPlaying(80), runtimeStream) << "the runtime player keeps its one stream";
  auto runtimeCalls = CallsOf(runtimeStream);
  // The runtime player may have opened its stream in an earlier test; look at the end.
  ASSERT_GE(runtimeCalls.size(), 10u);
  EXPECT_THAT(std::vector(runtimeCalls.end() - 10, runtimeCalls.end()),
              ElementsAre("division", "queue", "queue", "restart", "stop", "reset", "division",
                          "queue", "queue", "restart"))
      << "the old tune stops before the new one is queued";
  for (const auto& what : CallsOf(windowStream)) EXPECT_NE(what, "stop");
}

TEST_F(MidiPlayerTest, FeedsTheWholeSongInBuffersOf85Events) {
  Bytes file = Tune(150);
  rt::MidiPlayer player;
  ASSERT_TRUE(player.Play(file, false));
  ASSERT_TRUE(WaitFor([&] { return !player.Playing(); }));

  std::vector<platform::MidiStreamEvent> queued;
  size_t queues = 0;
  for (const auto& c : MidiCalls()) {
    if (c.what != "queue") continue;
    ++queues;
    EXPECT_LE(c.events.size(), 85u);
    queued.insert(queued.end(), c.events.begin(), c.events.end());
  }
  auto song = rt::MidiSong::Open(file);
  std::vector<platform::MidiStreamEvent> expected(1000);
  expected.resize(song->Fill(expected.data(), expected.size(), false));
  ASSERT_EQ(queued.size(), expected.size());
  EXPECT_EQ(queues, (expected.size() + 84) / 85);
  for (size_t i = 0; i < queued.size(); ++i) {
    EXPECT_EQ(queued[i].deltaTicks, expected[i].deltaTicks) << i;
    EXPECT_EQ(queued[i].status, expected[i].status) << i;
    EXPECT_EQ(queued[i].data1, expected[i].data1) << i;
  }
}

TEST_F(MidiPlayerTest, StopEndsALoopingTuneAndPlayingAgainWorks) {
  Use(1.0, false);
  rt::MidiPlayer player;
  ASSERT_TRUE(player.Play(Tune(4), true));
  EXPECT_TRUE(player.Playing());
  player.Stop();
  EXPECT_FALSE(player.Playing());
  player.Stop();  // stopping twice is harmless
  ASSERT_TRUE(player.Play(Tune(4), true));
  EXPECT_TRUE(player.Playing());
}

TEST_F(MidiPlayerTest, BadDataIsRefusedAndNotQueued) {
  rt::MidiPlayer player;
  Bytes bad = Tune(4);
  bad[9] = 2;  // format 2
  EXPECT_FALSE(player.Play(bad, true));
  EXPECT_FALSE(player.Playing());
  Bytes tiny = {'M', 'T', 'h', 'd', 0};
  EXPECT_FALSE(rt::PlaySoundData(tiny, 0));
  for (const auto& c : MidiCalls()) EXPECT_NE(c.what, "queue");
}

TEST_F(MidiPlayerTest, AWindowsPlayerClosesItsStreamWhenDestroyed) {
  Use(1.0, false);
  const void* stream = nullptr;
  {
    rt::MidiPlayer player;
    ASSERT_TRUE(player.Play(Tune(4), true));
    stream = StreamPlaying(60);
  }
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(CallsOf(stream).back(), "close");
}

TEST_F(MidiPlayerTest, StopAllSoundsStopsTheRuntimeTuneAndEveryWave) {
  Use(1.0, false);
  ASSERT_TRUE(rt::PlaySoundData(Tune(4), 1));
  ASSERT_TRUE(rt::PlaySoundData(SimpleWave(15360 * 25), 1));
  rt::StopAllSounds();
  EXPECT_FALSE(rt::RuntimeMidiPlayer().Playing());
  EXPECT_EQ(rt::ActiveWaveCount(), 0u);
}

}  // namespace
