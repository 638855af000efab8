#include "tools/assetgen/smf_writer.h"

#include <algorithm>

namespace assetgen {
namespace {
void VarLen(Bytes& b, uint32_t v) {
  uint8_t tmp[5];
  int n = 0;
  tmp[n++] = uint8_t(v & 0x7F);
  while (v >>= 7) tmp[n++] = uint8_t(0x80 | (v & 0x7F));
  while (n) b.push_back(tmp[--n]);
}
void Be32(Bytes& b, uint32_t v) {
  for (int i = 3; i >= 0; --i) b.push_back(uint8_t(v >> (8 * i)));
}
void Be16(Bytes& b, uint16_t v) {
  b.push_back(uint8_t(v >> 8));
  b.push_back(uint8_t(v));
}
}  // namespace

void SmfTrack::Tempo(uint32_t tick, int bpm) {
  uint32_t us = 60000000u / uint32_t(bpm);
  Meta(tick, 0x51, {uint8_t(us >> 16), uint8_t(us >> 8), uint8_t(us)});
}

void SmfTrack::TimeSignature(uint32_t tick, int num, int denPow2) {
  Meta(tick, 0x58, {uint8_t(num), uint8_t(denPow2), 24, 8});
}

void SmfTrack::Note(uint32_t tick, uint32_t len, int ch, int key, int vel) {
  Event(tick, {uint8_t(0x90 | ch), uint8_t(key), uint8_t(vel)}, 2);
  Event(tick + len, {uint8_t(0x80 | ch), uint8_t(key), 0}, 1);
}

void SmfTrack::Meta(uint32_t tick, int type, const std::vector<uint8_t>& data) {
  std::vector<uint8_t> b = {0xFF, uint8_t(type)};
  VarLen(b, uint32_t(data.size()));
  b.insert(b.end(), data.begin(), data.end());
  Event(tick, std::move(b));
}

Bytes SmfTrack::Encode(uint32_t endTick) const {
  std::vector<Ev> ev = events_;
  std::stable_sort(ev.begin(), ev.end(), [](const Ev& a, const Ev& b) {
    return a.tick != b.tick ? a.tick < b.tick : a.order != b.order ? a.order < b.order : a.seq < b.seq;
  });
  Bytes body;
  uint32_t now = 0;
  for (const Ev& e : ev) {
    VarLen(body, e.tick - now);
    now = e.tick;
    body.insert(body.end(), e.bytes.begin(), e.bytes.end());
  }
  // Every track ends on the same tick: the loop point.
  VarLen(body, endTick > now ? endTick - now : 0);
  body.insert(body.end(), {0xFF, 0x2F, 0x00});
  Bytes out = {'M', 'T', 'r', 'k'};
  Be32(out, uint32_t(body.size()));
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

Bytes EncodeSmf(const std::vector<SmfTrack>& tracks, int ppq, uint32_t endTick) {
  Bytes out = {'M', 'T', 'h', 'd'};
  Be32(out, 6);
  Be16(out, 1);
  Be16(out, uint16_t(tracks.size()));
  Be16(out, uint16_t(ppq));
  for (const auto& t : tracks) {
    Bytes b = t.Encode(endTick);
    out.insert(out.end(), b.begin(), b.end());
  }
  return out;
}

}  // namespace assetgen
