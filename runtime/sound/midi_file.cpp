#include "runtime/sound/midi_file.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace rt {

using platform::MidiStreamEvent;

namespace {

constexpr uint32_t kDefaultTempo = 500000;  // 120 beats per minute
// Frame-based files run at one "quarter note" per second so that the division can be
// the number of ticks per second.
constexpr uint32_t kSmpteTempo = 1000000;

uint16_t Be16(const uint8_t* p) { return uint16_t((p[0] << 8) | p[1]); }
uint32_t Be32(const uint8_t* p) {
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

// "MThd" and its fields, as stored (big-endian).
struct HeaderChunk {
  uint16_t format;
  uint16_t trackCount;
  uint16_t division;  // ticks per quarter note, or -frames per second and ticks per frame
};
constexpr size_t kHeaderFields = 6;

}  // namespace

std::optional<MidiSong> MidiSong::Open(std::span<const uint8_t> file) {
  const uint8_t* d = file.data();
  const size_t size = file.size();
  if (size < 8 + kHeaderFields || std::memcmp(d, "MThd", 4) != 0) return std::nullopt;
  const uint64_t headerLength = Be32(d + 4);
  // Longer headers are allowed; later versions may add fields after the first three.
  if (headerLength < kHeaderFields || 8 + headerLength > size) return std::nullopt;
  HeaderChunk h{Be16(d + 8), Be16(d + 10), Be16(d + 12)};
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

  uint64_t off = 8 + headerLength;
  while (song.tracks_.size() < h.trackCount) {
    if (off + 8 > size) return std::nullopt;
    const uint64_t length = Be32(d + off + 4);
    if (off + 8 + length > size) return std::nullopt;
    // Chunks of other kinds may sit between tracks; readers skip them.
    if (std::memcmp(d + off, "MTrk", 4) == 0) {
      Track t;
      t.start = size_t(off + 8);
      t.end = size_t(off + 8 + length);
      song.tracks_.push_back(t);
    }
    off += 8 + length;
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
  for (Track& t : tracks_) {
    t.pos = t.start;
    t.runningStatus = 0;
    t.nextTime = base;
    t.ended = t.start == t.end;
    if (!t.ended) ReadDelta(t);
  }
}

// Variable-length quantity: at most four bytes of seven bits. A longer one, or one cut
// off by the end of the track, ends the track.
bool MidiSong::ReadDelta(Track& t) {
  uint32_t value = 0;
  for (int i = 0; i < 4; ++i) {
    if (t.pos >= t.end) break;
    uint8_t b = data_[t.pos++];
    value = (value << 7) | (b & 0x7F);
    if (!(b & 0x80)) {
      t.nextTime += value;
      return true;
    }
  }
  EndTrack(t, t.nextTime);
  return false;
}

void MidiSong::EndTrack(Track& t, uint64_t time) {
  t.ended = true;
  passEnd_ = std::max(passEnd_, time);
}

bool MidiSong::ReadEvent(Track& t, MidiStreamEvent& out) {
  const uint64_t time = t.nextTime;
  auto readLength = [&](uint32_t& length) {
    uint64_t before = t.nextTime;
    t.nextTime = 0;
    bool ok = ReadDelta(t);
    length = uint32_t(t.nextTime);
    t.nextTime = before;
    return ok && length <= t.end - t.pos;
  };
  if (t.pos >= t.end) {
    EndTrack(t, time);
    return false;
  }
  uint8_t status = data_[t.pos];
  if (status & 0x80) {
    ++t.pos;
  } else if (t.runningStatus) {
    status = t.runningStatus;  // running status: the byte is already data
  } else {
    EndTrack(t, time);  // data byte with no status to run on
    return false;
  }

  bool emitted = false;
  if (status < 0xF0) {
    t.runningStatus = status;
    const uint8_t kind = status & 0xF0;
    const size_t need = (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
    if (t.end - t.pos < need) {
      EndTrack(t, time);
      return false;
    }
    out = MidiStreamEvent{};
    out.kind = MidiStreamEvent::Short;
    out.status = status;
    out.data1 = data_[t.pos] & 0x7F;
    out.data2 = need == 2 ? data_[t.pos + 1] & 0x7F : 0;
    t.pos += need;
    emitted = true;
    passHadNotes_ = true;
  } else if (status == 0xF0 || status == 0xF7) {
    // System exclusive: nothing the synthesiser needs; skipped whole.
    t.runningStatus = 0;
    uint32_t length;
    if (!readLength(length)) {
      EndTrack(t, time);
      return false;
    }
    t.pos += length;
  } else if (status == 0xFF) {
    t.runningStatus = 0;
    uint32_t length;
    if (t.pos >= t.end) {
      EndTrack(t, time);
      return false;
    }
    const uint8_t type = data_[t.pos++];
    if (!readLength(length)) {
      EndTrack(t, time);
      return false;
    }
    const uint8_t* body = data_.data() + t.pos;
    t.pos += length;
    if (type == 0x2F) {  // end of track
      EndTrack(t, time);
      return false;
    }
    if (type == 0x51 && length >= 3 && !smpte_) {
      uint32_t tempo = (uint32_t(body[0]) << 16) | (uint32_t(body[1]) << 8) | body[2];
      if (tempo > 0) {
        out = MidiStreamEvent{};
        out.kind = MidiStreamEvent::Tempo;
        out.tempo = tempo;
        emitted = true;
        tempoChanged_ = tempo != kDefaultTempo;
      }
    }
  } else {
    EndTrack(t, time);  // real-time and common messages do not belong in a file
    return false;
  }
  ReadDelta(t);
  return emitted;
}

void MidiSong::Emit(uint64_t time, MidiStreamEvent e, MidiStreamEvent* out, size_t& n) {
  uint64_t delta = time > lastEmit_ ? time - lastEmit_ : 0;
  e.deltaTicks = uint32_t(std::min<uint64_t>(delta, std::numeric_limits<uint32_t>::max()));
  lastEmit_ = time;
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
    Track* next = nullptr;
    for (Track& t : tracks_)
      if (!t.ended && (!next || t.nextTime < next->nextTime)) next = &t;  // ties: earlier
    if (next) {
      MidiStreamEvent e;
      uint64_t time = next->nextTime;
      if (ReadEvent(*next, e)) Emit(time, e, out, n);
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
