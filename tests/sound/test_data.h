// Small WAVE and Standard MIDI File images built in the tests, field by field.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/byte_reader.h"

namespace sound_test {

using Bytes = std::vector<uint8_t>;

// Byte by byte: GCC 12 warns falsely about a range insert into an empty vector once this
// is inlined into the chunk builders.
inline void Put(Bytes& b, const std::string& s) {
  for (char c : s) b.push_back(uint8_t(c));
}
inline void Le16(Bytes& b, uint32_t v) { platform::ByteWriter(b).U16Le(uint16_t(v)); }
inline void Le32(Bytes& b, uint32_t v) { platform::ByteWriter(b).U32Le(v); }
inline void Be16(Bytes& b, uint32_t v) {
  b.push_back(uint8_t(v >> 8));
  b.push_back(uint8_t(v));
}
inline void Be32(Bytes& b, uint32_t v) {
  Be16(b, v >> 16);
  Be16(b, v & 0xFFFF);
}

struct Pcm {
  uint16_t tag = 1, channels = 2;
  uint32_t rate = 22050;
  uint16_t bits = 16;
};

inline Bytes FmtChunk(const Pcm& p) {
  Bytes b;
  Put(b, "fmt ");
  Le32(b, 16);
  Le16(b, p.tag);
  Le16(b, p.channels);
  Le32(b, p.rate);
  Le32(b, p.rate * p.channels * p.bits / 8);  // bytes per second
  Le16(b, p.channels * p.bits / 8);           // block align
  Le16(b, p.bits);
  return b;
}
inline Bytes DataChunk(const Bytes& samples) {
  Bytes b;
  Put(b, "data");
  Le32(b, uint32_t(samples.size()));
  b.insert(b.end(), samples.begin(), samples.end());
  if (samples.size() & 1) b.push_back(0);  // pad byte
  return b;
}
// "RIFF" size "WAVE" followed by the chunks as given.
inline Bytes Riff(std::initializer_list<Bytes> chunks) {
  Bytes body;
  Put(body, "WAVE");
  for (const Bytes& c : chunks) body.insert(body.end(), c.begin(), c.end());
  Bytes b;
  Put(b, "RIFF");
  Le32(b, uint32_t(body.size()));
  b.insert(b.end(), body.begin(), body.end());
  return b;
}
// Counting bytes, so that every position of the sound is recognisable.
inline Bytes Ramp(size_t n) {
  Bytes b(n);
  for (size_t i = 0; i < n; ++i) b[i] = uint8_t(i * 7 + (i >> 8));
  return b;
}
inline Bytes SimpleWave(size_t sampleBytes, Pcm p = {}) {
  return Riff({FmtChunk(p), DataChunk(Ramp(sampleBytes))});
}

// --- MIDI ---
inline void Vlq(Bytes& b, uint32_t v) {
  uint8_t tmp[5];
  int n = 0;
  tmp[n++] = v & 0x7F;
  while (v >>= 7) tmp[n++] = uint8_t(0x80 | (v & 0x7F));
  while (n) b.push_back(tmp[--n]);
}
// One track event: delta then raw bytes (status and data as given, so running status
// and odd events can be written as they are).
struct Ev {
  uint32_t delta;
  Bytes bytes;
};
inline Bytes Track(const std::vector<Ev>& events) {
  Bytes body;
  for (const Ev& e : events) {
    Vlq(body, e.delta);
    body.insert(body.end(), e.bytes.begin(), e.bytes.end());
  }
  Bytes b;
  Put(b, "MTrk");
  Be32(b, uint32_t(body.size()));
  b.insert(b.end(), body.begin(), body.end());
  return b;
}
inline Bytes Smf(uint16_t format, uint16_t division, const std::vector<Bytes>& tracks) {
  Bytes b;
  Put(b, "MThd");
  Be32(b, 6);
  Be16(b, format);
  Be16(b, uint16_t(tracks.size()));
  Be16(b, division);
  for (const Bytes& t : tracks) b.insert(b.end(), t.begin(), t.end());
  return b;
}
inline Bytes Tempo(uint32_t us) {
  return {0xFF, 0x51, 0x03, uint8_t(us >> 16), uint8_t(us >> 8), uint8_t(us)};
}
inline Bytes EndOfTrack() { return {0xFF, 0x2F, 0x00}; }

// A short two-track tune: a conductor track and a melody of `notes` quarter notes.
inline Bytes Tune(int notes, uint8_t firstNote = 60) {
  Bytes melody;
  Put(melody, "MTrk");
  Bytes body;
  Vlq(body, 0);
  body.insert(body.end(), {0xC0, 0x00});
  for (int i = 0; i < notes; ++i) {
    uint8_t n = uint8_t(firstNote + (i * 5) % 12);
    Vlq(body, 0);
    body.insert(body.end(), {0x90, n, 100});
    Vlq(body, 96);
    body.insert(body.end(), {0x80, n, 0});
  }
  Vlq(body, 0);
  body.insert(body.end(), {0xFF, 0x2F, 0x00});
  Be32(melody, uint32_t(body.size()));
  melody.insert(melody.end(), body.begin(), body.end());
  return Smf(1, 96, {Track({{0, Tempo(500000)}, {0, EndOfTrack()}}), melody});
}

}  // namespace sound_test
