// A Standard MIDI File read for playing: the tracks of a format 0 or 1 file merged by
// time into the stream events the MIDI stream device plays.
#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/audio.h"
#include "platform/byte_reader.h"

namespace rt {

class MidiSong {
 public:
  // Copies the file. nullopt unless it has a "MThd" header of at least 6 bytes, format
  // 0 or 1, a usable time division and every announced "MTrk" chunk inside the bytes.
  static std::optional<MidiSong> Open(std::span<const uint8_t> file);

  // Ticks per quarter note to give the stream.
  uint16_t TimeDivision() const { return division_; }
  size_t TrackCount() const { return tracks_.size(); }

  // Converts the next events, at most `max`, into `out`; returns how many. With `loop`,
  // the song starts over when every track has ended. 0 means the song is over.
  size_t Fill(platform::MidiStreamEvent* out, size_t max, bool loop);
  bool Over() const { return over_; }
  // Back to the first event of every track.
  void Rewind();

 private:
  struct Track {
    size_t start = 0, end = 0;  // the track's event bytes
    size_t pos = 0;             // read position
    uint64_t nextTime = 0;      // absolute tick of the next event
    uint8_t runningStatus = 0;
    bool ended = false;
  };

  enum class EventRead { Emitted, Skipped, TrackEnd };

  MidiSong() = default;
  void StartPass(uint64_t base);
  // A reader over the track's bytes, at its read position.
  platform::ByteReader TrackReader(const Track& t) const;
  bool ReadDelta(Track& t);
  void EndTrack(Track& t, uint64_t time);
  // Reads one event of the track; true and `out` set when it becomes a stream event.
  bool ReadEvent(Track& t, platform::MidiStreamEvent& out);
  // The event after its status byte, by kind.
  EventRead ReadChannelEvent(platform::ByteReader& r, uint8_t status, platform::MidiStreamEvent& out);
  EventRead SkipSysexEvent(platform::ByteReader& r);
  EventRead ReadMetaEvent(platform::ByteReader& r, platform::MidiStreamEvent& out);
  void Emit(uint64_t time, platform::MidiStreamEvent e, platform::MidiStreamEvent* out,
            size_t& n);

  // Whether track `a` plays before track `b`: the earlier next event, the earlier track
  // on a tie. For the heap of tracks still playing, whose top is the next to play.
  bool PlaysAfter(uint32_t a, uint32_t b) const;
  void SiftFirstDown();

  std::vector<uint8_t> data_;
  std::vector<Track> tracks_;
  std::vector<uint32_t> playing_;  // heap of the indices of the tracks not ended
  uint16_t division_ = 96;
  bool smpte_ = false;  // frame-based timing: fixed tempo, tempo events ignored
  uint64_t lastEmit_ = 0;  // absolute tick of the last stream event
  uint64_t passStart_ = 0, passEnd_ = 0;
  bool passHadNotes_ = false;
  bool tempoChanged_ = false;
  std::vector<platform::MidiStreamEvent> prologue_;  // sent before the pass's events
  bool markPass_ = false;  // the next event emitted starts a pass
  bool over_ = false;
};

}  // namespace rt
