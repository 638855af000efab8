#include "runtime/sound/midi_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "test_data.h"

namespace {

using namespace sound_test;
using platform::MidiStreamEvent;
using ::testing::ElementsAre;

// Events as short readable strings: "+delta kind ...".
std::string Show(const MidiStreamEvent& e) {
  char text[64];
  switch (e.kind) {
    case MidiStreamEvent::Short:
      std::snprintf(text, sizeof text, "+%u %02X %02X %02X", e.deltaTicks, e.status, e.data1,
                    e.data2);
      break;
    case MidiStreamEvent::Tempo:
      std::snprintf(text, sizeof text, "+%u tempo %u", e.deltaTicks, e.tempo);
      break;
    case MidiStreamEvent::Nop: std::snprintf(text, sizeof text, "+%u nop", e.deltaTicks); break;
  }
  return text;
}

std::vector<std::string> Drain(rt::MidiSong& song, bool loop, size_t limit, size_t chunk = 85) {
  std::vector<std::string> out;
  std::vector<MidiStreamEvent> buffer(chunk);
  while (out.size() < limit) {
    size_t n = song.Fill(buffer.data(), std::min(chunk, limit - out.size()), loop);
    if (n == 0) break;
    for (size_t i = 0; i < n; ++i) out.push_back(Show(buffer[i]));
  }
  return out;
}

// Three tracks whose events interleave, with tempo changes, running status, a
// system-exclusive message and a text meta event that must be skipped.
Bytes MergeSong() {
  return Smf(1, 96,
             {Track({{0, Tempo(600000)}, {192, Tempo(400000)}, {96, EndOfTrack()}}),
              Track({{0, {0xC0, 0x05}},
                     {96, {0x90, 0x3C, 0x64}},
                     {96, {0x3C, 0x00}},  // running status: note on, velocity 0
                     {0, EndOfTrack()}}),
              Track({{96, {0x91, 0x40, 0x50}},
                     {0, {0xF0, 0x03, 0x7E, 0x7F, 0xF7}},  // system exclusive, 3 bytes
                     {96, {0x81, 0x40, 0x00}},
                     {0, {0xFF, 0x01, 0x02, 'h', 'i'}},  // text
                     {0, EndOfTrack()}})});
}

TEST(MidiSong, MergesTracksByTimeWithTiesToTheEarlierTrack) {
  auto song = rt::MidiSong::Open(MergeSong());
  ASSERT_TRUE(song);
  EXPECT_EQ(song->TimeDivision(), 96);
  EXPECT_EQ(song->TrackCount(), 3u);
  EXPECT_THAT(Drain(*song, false, 100),
              ElementsAre("+0 tempo 600000", "+0 C0 05 00", "+96 90 3C 64", "+0 91 40 50",
                          "+96 tempo 400000", "+0 90 3C 00", "+0 81 40 00",
                          "+96 nop"));  // held to the conductor's end of track
  EXPECT_TRUE(song->Over());
  MidiStreamEvent e;
  EXPECT_EQ(song->Fill(&e, 1, false), 0u);
}

// Many tracks with uneven spacing and ties: whatever order the tracks are kept in
// while they wait, the events come out by time, a tie going to the earlier track.
TEST(MidiSong, ManyTracksMergeByTimeThenTrack) {
  constexpr int kTracks = 37;
  std::vector<Bytes> tracks;
  std::vector<std::pair<uint32_t, int>> expected;  // (absolute time, track)
  uint32_t seed = 12345;
  for (int t = 0; t < kTracks; ++t) {
    std::vector<Ev> events;
    uint32_t time = 0;
    for (int k = 0; k < 6; ++k) {
      seed = seed * 1103515245u + 12345u;
      const uint32_t delta = (seed >> 16) % 5 * 24;  // 0..96, ties frequent
      time += delta;
      events.push_back({delta, {uint8_t(0x90 | (t % 16)), uint8_t(t), uint8_t(k + 1)}});
      expected.push_back({time, t});
    }
    events.push_back({0, EndOfTrack()});
    tracks.push_back(Track(events));
  }
  std::stable_sort(expected.begin(), expected.end());
  auto song = rt::MidiSong::Open(Smf(1, 96, tracks));
  ASSERT_TRUE(song);
  std::vector<MidiStreamEvent> out(expected.size() + 4);
  size_t n = 0;
  while (n < out.size()) {
    const size_t got = song->Fill(out.data() + n, std::min<size_t>(7, out.size() - n), false);
    if (got == 0) break;
    n += got;
  }
  ASSERT_GE(n, expected.size());
  uint32_t time = 0;
  for (size_t i = 0; i < expected.size(); ++i) {
    time += out[i].deltaTicks;
    EXPECT_EQ(time, expected[i].first) << "event " << i;
    EXPECT_EQ(out[i].data1, expected[i].second) << "event " << i;
  }
}

TEST(MidiSong, LoopingRewindsEveryTrackAndRestoresTheStartingTempo) {
  auto song = rt::MidiSong::Open(MergeSong());
  ASSERT_TRUE(song);
  auto events = Drain(*song, true, 13);
  EXPECT_THAT(std::vector(events.begin() + 8, events.end()),
              ElementsAre("+0 tempo 500000", "+0 tempo 600000", "+0 C0 05 00", "+96 90 3C 64",
                          "+0 91 40 50"));
  EXPECT_FALSE(song->Over());
}

TEST(MidiSong, BufferSizeDoesNotChangeTheEvents) {
  auto a = rt::MidiSong::Open(Tune(60));
  auto b = rt::MidiSong::Open(Tune(60));
  ASSERT_TRUE(a && b);
  auto whole = Drain(*a, true, 400, 400);
  auto pieces = Drain(*b, true, 400, 7);
  EXPECT_EQ(whole, pieces);
  EXPECT_EQ(whole.size(), 400u);
}

TEST(MidiSong, HeaderAndTrackChecks) {
  Bytes good = Tune(2);
  EXPECT_TRUE(rt::MidiSong::Open(good));

  Bytes shortHeader = good;
  shortHeader[7] = 5;  // header length 5
  EXPECT_FALSE(rt::MidiSong::Open(shortHeader));

  Bytes format2 = good;
  format2[9] = 2;
  EXPECT_FALSE(rt::MidiSong::Open(format2));

  Bytes noDivision = good;
  noDivision[12] = noDivision[13] = 0;
  EXPECT_FALSE(rt::MidiSong::Open(noDivision));

  Bytes missingTrack = good;
  missingTrack[11] = 3;  // announces three tracks, holds two
  EXPECT_FALSE(rt::MidiSong::Open(missingTrack));

  Bytes cutShort = good;
  cutShort.pop_back();  // the last track's length now runs past the end
  EXPECT_FALSE(rt::MidiSong::Open(cutShort));

  // A longer header and an unknown chunk between the tracks are read past.
  Bytes longer;
  Put(longer, "MThd");
  Be32(longer, 8);
  Be16(longer, 0);
  Be16(longer, 1);
  Be16(longer, 96);
  Be16(longer, 0xABCD);
  Put(longer, "XYZW");
  Be32(longer, 2);
  longer.insert(longer.end(), {1, 2});
  Bytes track = Track({{0, {0x90, 60, 100}}, {96, {0x80, 60, 0}}, {0, EndOfTrack()}});
  longer.insert(longer.end(), track.begin(), track.end());
  auto song = rt::MidiSong::Open(longer);
  ASSERT_TRUE(song);
  EXPECT_THAT(Drain(*song, false, 10), ElementsAre("+0 90 3C 64", "+96 80 3C 00"));
}

TEST(MidiSong, GarbleEndsTheTrackButKeepsWhatCameBefore) {
  auto song = rt::MidiSong::Open(Smf(
      0, 96, {Track({{0, {0x90, 60, 100}}, {10, {0xF3, 0x01}}, {10, {0x80, 60, 0}}})}));
  ASSERT_TRUE(song);
  EXPECT_THAT(Drain(*song, true, 10), ElementsAre("+0 90 3C 64", "+10 nop", "+0 90 3C 64",
                                                  "+10 nop", "+0 90 3C 64", "+10 nop",
                                                  "+0 90 3C 64", "+10 nop", "+0 90 3C 64",
                                                  "+10 nop"));

  // A delta of five bytes is not a delta: the track ends there.
  Bytes track;
  Put(track, "MTrk");
  Bytes body = {0x00, 0x90, 60, 100, 0x81, 0x80, 0x80, 0x80, 0x00, 0x80, 60, 0};
  Be32(track, uint32_t(body.size()));
  track.insert(track.end(), body.begin(), body.end());
  auto vlq = rt::MidiSong::Open(Smf(0, 96, {track}));
  ASSERT_TRUE(vlq);
  EXPECT_THAT(Drain(*vlq, false, 10), ElementsAre("+0 90 3C 64"));

  // Data bytes before any status byte.
  auto noStatus = rt::MidiSong::Open(Smf(0, 96, {Track({{0, {0x3C, 0x40}}})}));
  ASSERT_TRUE(noStatus);
  EXPECT_THAT(Drain(*noStatus, true, 10), ElementsAre());
}

TEST(MidiSong, AnEmptyOrInstantSongDoesNotRepeatForever) {
  auto empty = rt::MidiSong::Open(Smf(1, 96, {Track({}), Track({{0, EndOfTrack()}})}));
  ASSERT_TRUE(empty);
  EXPECT_THAT(Drain(*empty, true, 1000), ElementsAre());
  EXPECT_TRUE(empty->Over());

  auto instant = rt::MidiSong::Open(Smf(0, 96, {Track({{0, {0x90, 60, 100}}, {0, EndOfTrack()}})}));
  ASSERT_TRUE(instant);
  EXPECT_THAT(Drain(*instant, true, 1000), ElementsAre("+0 90 3C 64"));

  auto onlyMeta = rt::MidiSong::Open(Smf(0, 96, {Track({{0, Tempo(300000)}, {500, EndOfTrack()}})}));
  ASSERT_TRUE(onlyMeta);
  EXPECT_THAT(Drain(*onlyMeta, true, 1000), ElementsAre("+0 tempo 300000", "+500 nop"));
}

TEST(MidiSong, FrameTimedFilesRunOnAFixedTempo) {
  // -25 frames per second, 40 ticks per frame: 1,000 ticks per second.
  auto song = rt::MidiSong::Open(Smf(
      0, 0xE728, {Track({{0, Tempo(250000)}, {1000, {0x90, 60, 1}}, {0, EndOfTrack()}})}));
  ASSERT_TRUE(song);
  EXPECT_EQ(song->TimeDivision(), 1000);
  EXPECT_THAT(Drain(*song, false, 10), ElementsAre("+0 tempo 1000000", "+1000 90 3C 01"));
}

}  // namespace
