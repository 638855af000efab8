#include "runtime/sound/midi_file.h"

#include <algorithm>
#include <limits>

#include "platform/byte_reader.h"

namespace rt {

using platform::MidiStreamEvent;

namespace {

constexpr uint32_t kDefaultTempo = 500000;  // 120 beats per minute
// Frame-based files run at one "quarter note" per second so that the division can be
// the number of ticks per second.
constexpr uint32_t kSmpteTempo = 1000000;

// "MThd" and its fields, as stored (big-endian).
struct HeaderChunk {
  uint16_t format;
  uint16_t trackCount;
  uint16_t division;  // ticks per quarter note, or -frames per second and ticks per frame
};
constexpr size_t kHeaderFields = 6;

}  // namespace

std::optional<MidiSong> MidiSong::Open(std::span<const uint8_t> file) {
  platform::ByteReader r(file);
  if (file.size() < 8 + kHeaderFields || !r.Tag("MThd")) return std::nullopt;
  const uint64_t headerLength = r.U32Be();
  // Longer headers are allowed; later versions may add fields after the first three.
  if (headerLength < kHeaderFields || 8 + headerLength > file.size()) return std::nullopt;
  HeaderChunk h{r.U16Be(), r.U16Be(), r.U16Be()};
  r.Seek(size_t(8 + headerLength));
  if (h.format > 1 || h.trackCount == 0) return std::nullopt;

  MidiSong song;
  if (h.division & 0x8000) {
    int fps = -int(int8_t(h.division >> 8));
    int ticksPerFrame = h.division & 0xFF;
    if ((fps != 24 && fps != 25 && fps != 29 && fps != 30) || ticksPerFrame == 0)
      return std::nullopt;
    if (fps == 29) fps = 30;  // 29.97 drop-frame: close enough for music
    song.smpte_ = true;
    song.division_ = uint16_t(fps * ticksPerFrame);
  } else {
    if (h.division == 0) return std::nullopt;
    song.division_ = h.division;
  }

  while (song.tracks_.size() < h.trackCount) {
    // Chunks of other kinds may sit between tracks; readers skip them.
    const bool isTrack = r.Tag("MTrk");
    if (!isTrack) r.Skip(4);
    const uint32_t length = r.U32Be();
    Track t;
    t.start = r.Position();
    if (!r.Skip(length)) return std::nullopt;
    t.end = r.Position();
    if (isTrack) song.tracks_.push_back(t);
  }
  song.data_.assign(file.begin(), file.end());
  song.Rewind();
  return song;
}

void MidiSong::Rewind() {
  lastEmit_ = 0;
  over_ = false;
  tempoChanged_ = false;
  StartPass(0);
}

void MidiSong::StartPass(uint64_t base) {
  passStart_ = passEnd_ = base;
  passHadNotes_ = false;
  markPass_ = true;
  prologue_.clear();
  MidiStreamEvent tempo;
  tempo.kind = MidiStreamEvent::Tempo;
  if (smpte_) {
    tempo.tempo = kSmpteTempo;
    prologue_.push_back(tempo);
  } else if (tempoChanged_) {
    // A repeat starts at the tempo the file starts with, not where it ended.
    tempo.tempo = kDefaultTempo;
    prologue_.push_back(tempo);
    tempoChanged_ = false;
  }
  playing_.clear();
  for (uint32_t i = 0; i < tracks_.size(); ++i) {
    Track& t = tracks_[i];
    t.pos = t.start;
    t.runningStatus = 0;
    t.nextTime = base;
    t.ended = t.start == t.end;
    if (!t.ended) ReadDelta(t);
    if (!t.ended) playing_.push_back(i);
  }
  std::make_heap(playing_.begin(), playing_.end(),
                 [this](uint32_t a, uint32_t b) { return PlaysAfter(a, b); });
}

bool MidiSong::PlaysAfter(uint32_t a, uint32_t b) const {
  const uint64_t ta = tracks_[a].nextTime, tb = tracks_[b].nextTime;
  return ta != tb ? ta > tb : a > b;
}

// The first track has moved on to its next event: it sinks to its place, which for a
// track with events close together is often where it already is.
void MidiSong::SiftFirstDown() {
  const size_t count = playing_.size();
  size_t i = 0;
  for (;;) {
    size_t child = 2 * i + 1;
    if (child >= count) return;
    if (child + 1 < count && PlaysAfter(playing_[child], playing_[child + 1])) ++child;
    if (!PlaysAfter(playing_[i], playing_[child])) return;
    std::swap(playing_[i], playing_[child]);
    i = child;
  }
}

platform::ByteReader MidiSong::TrackReader(const Track& t) const {
  platform::ByteReader r({data_.data() + t.start, t.end - t.start});
  r.Seek(t.pos - t.start);
  return r;
}

namespace {

// Variable-length quantity: at most four bytes of seven bits. A longer one, or one cut
// off by the end of the track, is nullopt.
std::optional<uint32_t> ReadVariableLength(platform::ByteReader& r) {
  uint32_t value = 0;
  for (int i = 0; i < 4; ++i) {
    const uint8_t b = r.U8();
    if (!r.Ok()) return std::nullopt;
    value = (value << 7) | (b & 0x7F);
    if (!(b & 0x80)) return value;
  }
  return std::nullopt;
}

// The length in front of a sysex or meta event's body; nullopt unless the body fits in
// the track.
std::optional<uint32_t> ReadBodyLength(platform::ByteReader& r) {
  auto length = ReadVariableLength(r);
  if (!length || *length > r.Remaining()) return std::nullopt;
  return length;
}

}  // namespace

// A bad delta ends the track where it stands.
bool MidiSong::ReadDelta(Track& t) {
  platform::ByteReader r = TrackReader(t);
  auto delta = ReadVariableLength(r);
  t.pos = t.start + r.Position();
  if (!delta) {
    EndTrack(t, t.nextTime);
    return false;
  }
  t.nextTime += *delta;
  return true;
}

void MidiSong::EndTrack(Track& t, uint64_t time) {
  t.ended = true;
  passEnd_ = std::max(passEnd_, time);
}

MidiSong::EventRead MidiSong::ReadChannelEvent(platform::ByteReader& r, uint8_t status,
                                               MidiStreamEvent& out) {
  const uint8_t kind = status & 0xF0;
  const bool oneDataByte = kind == 0xC0 || kind == 0xD0;
  const uint8_t data1 = r.U8();
  const uint8_t data2 = oneDataByte ? 0 : r.U8();
  if (!r.Ok()) return EventRead::TrackEnd;
  out = MidiStreamEvent{};
  out.kind = MidiStreamEvent::Short;
  out.status = status;
  out.data1 = data1 & 0x7F;
  out.data2 = data2 & 0x7F;
  passHadNotes_ = true;
  return EventRead::Emitted;
}

// System exclusive: nothing the synthesiser needs; skipped whole.
MidiSong::EventRead MidiSong::SkipSysexEvent(platform::ByteReader& r) {
  auto length = ReadBodyLength(r);
  if (!length) return EventRead::TrackEnd;
  r.Skip(*length);
  return EventRead::Skipped;
}

// Of the meta events only the end of the track and tempo changes matter for playing.
MidiSong::EventRead MidiSong::ReadMetaEvent(platform::ByteReader& r, MidiStreamEvent& out) {
  const uint8_t type = r.U8();
  if (!r.Ok()) return EventRead::TrackEnd;
  auto length = ReadBodyLength(r);
  if (!length) return EventRead::TrackEnd;
  platform::ByteReader body(r.Bytes(*length));
  if (type == 0x2F) return EventRead::TrackEnd;
  if (type != 0x51 || *length < 3 || smpte_) return EventRead::Skipped;
  const uint32_t tempo = body.U24Be();
  if (tempo == 0) return EventRead::Skipped;
  out = MidiStreamEvent{};
  out.kind = MidiStreamEvent::Tempo;
  out.tempo = tempo;
  tempoChanged_ = tempo != kDefaultTempo;
  return EventRead::Emitted;
}

bool MidiSong::ReadEvent(Track& t, MidiStreamEvent& out) {
  const uint64_t time = t.nextTime;
  platform::ByteReader r = TrackReader(t);
  uint8_t status = r.U8();
  if (!r.Ok()) {
    EndTrack(t, time);
    return false;
  }
  if (!(status & 0x80)) {
    if (!t.runningStatus) {
      EndTrack(t, time);  // data byte with no status to run on
      return false;
    }
    status = t.runningStatus;  // running status: the byte is already data
    r.Seek(r.Position() - 1);
  }

  EventRead result;
  if (status < 0xF0) {
    t.runningStatus = status;
    result = ReadChannelEvent(r, status, out);
  } else if (status == 0xF0 || status == 0xF7) {
    t.runningStatus = 0;
    result = SkipSysexEvent(r);
  } else if (status == 0xFF) {
    t.runningStatus = 0;
    result = ReadMetaEvent(r, out);
  } else {
    result = EventRead::TrackEnd;  // real-time and common messages do not belong in a file
  }
  t.pos = t.start + r.Position();
  if (result == EventRead::TrackEnd) {
    EndTrack(t, time);
    return false;
  }
  ReadDelta(t);
  return result == EventRead::Emitted;
}

void MidiSong::Emit(uint64_t time, MidiStreamEvent e, MidiStreamEvent* out, size_t& n) {
  uint64_t delta = time > lastEmit_ ? time - lastEmit_ : 0;
  e.deltaTicks = uint32_t(std::min<uint64_t>(delta, std::numeric_limits<uint32_t>::max()));
  lastEmit_ = time;
  e.passStart = markPass_;
  markPass_ = false;
  out[n++] = e;
}

size_t MidiSong::Fill(MidiStreamEvent* out, size_t max, bool loop) {
  size_t n = 0;
  while (n < max && !over_) {
    if (!prologue_.empty()) {
      Emit(lastEmit_, prologue_.front(), out, n);
      prologue_.erase(prologue_.begin());
      continue;
    }
    // The track whose event comes next (on a tie, the earlier track). A file may hold
    // thousands of tracks: a heap keeps the choice from costing a pass over all of them
    // per event.
    if (!playing_.empty()) {
      Track& next = tracks_[playing_.front()];
      MidiStreamEvent e;
      const uint64_t time = next.nextTime;
      if (ReadEvent(next, e)) Emit(time, e, out, n);
      if (next.ended) {
        std::pop_heap(playing_.begin(), playing_.end(),
                      [this](uint32_t a, uint32_t b) { return PlaysAfter(a, b); });
        playing_.pop_back();
      } else {
        SiftFirstDown();
      }
      continue;
    }
    // Every track has ended. Hold the stream until the last end-of-track so that a
    // repeat keeps the bar.
    if (passEnd_ > lastEmit_) {
      MidiStreamEvent hold;
      hold.kind = MidiStreamEvent::Nop;
      Emit(passEnd_, hold, out, n);
      continue;
    }
    // A pass without notes or without length would repeat forever without playing.
    if (loop && passHadNotes_ && passEnd_ > passStart_) {
      StartPass(passEnd_);
    } else {
      over_ = true;
    }
  }
  return n;
}

}  // namespace rt
