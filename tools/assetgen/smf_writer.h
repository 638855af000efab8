// A small Standard MIDI File writer: format 1, one MTrk per Track, no running status.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "tools/assetgen/canvas_files.h"

namespace assetgen {

class SmfTrack {
 public:
  void Name(const std::string& s) { Meta(0, 0x03, {s.begin(), s.end()}); }
  void Tempo(uint32_t tick, int bpm);
  void TimeSignature(uint32_t tick, int num, int denPow2);
  void Program(uint32_t tick, int ch, int program) { Event(tick, {uint8_t(0xC0 | ch), uint8_t(program)}); }
  void Control(uint32_t tick, int ch, int cc, int v) { Event(tick, {uint8_t(0xB0 | ch), uint8_t(cc), uint8_t(v)}); }
  // Note off lands before a note on of the same tick, so repeated notes re-strike.
  void Note(uint32_t tick, uint32_t len, int ch, int key, int vel);
  void Meta(uint32_t tick, int type, const std::vector<uint8_t>& data);
  Bytes Encode(uint32_t endTick) const;

 private:
  struct Ev {
    uint32_t tick;
    int order;  // 0 meta/control, 1 note off, 2 note on
    uint32_t seq;
    std::vector<uint8_t> bytes;
  };
  void Event(uint32_t tick, std::vector<uint8_t> b, int order = 0) { events_.push_back({tick, order, seq_++, std::move(b)}); }
  std::vector<Ev> events_;
  uint32_t seq_ = 0;
};

Bytes EncodeSmf(const std::vector<SmfTrack>& tracks, int ticksPerQuarter, uint32_t endTick);

}  // namespace assetgen
