// The background tune: an original, gentle 32-bar piece in C major at 88 beats a minute
// (about 87 s), in the form A A' B A''. Format 1 with a conductor track and seven
// instrument tracks: flute melody, vibraphone counter-line, string pad, acoustic bass,
// harp arpeggios, soft piano off-beats and light percussion on channel 10. Every track
// ends on the same bar line and every note is released before it, so the loop is clean.
#include <sstream>
#include <string>

#include "tools/assetgen/art.h"
#include "tools/assetgen/smf_writer.h"

namespace assetgen {
namespace {

constexpr int kPpq = 480;
constexpr uint32_t kBar = 4 * kPpq, kEighth = kPpq / 2;
constexpr int kBars = 32;

int Key(const std::string& n) {
  static const int base[7] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
  int pc = base[n[0] - 'A'];
  size_t i = 1;
  if (i < n.size() && n[i] == '#') pc += 1, ++i;
  if (i < n.size() && n[i] == 'b') pc -= 1, ++i;
  return 12 * (std::stoi(n.substr(i)) + 1) + pc;
}

// "E5:3 D5:1 R:2" -> notes in eighths from `start`; returns the end tick.
uint32_t Phrase(SmfTrack& t, int ch, uint32_t start, const std::string& text, int vel) {
  std::istringstream in(text);
  std::string tok;
  uint32_t at = start;
  while (in >> tok) {
    auto colon = tok.find(':');
    uint32_t len = uint32_t(std::stoi(tok.substr(colon + 1))) * kEighth;
    std::string n = tok.substr(0, colon);
    if (n != "R") t.Note(at, len - 20, ch, Key(n), vel);
    at += len;
  }
  return at;
}

const char* kMelodyA[8] = {"E5:3 D5:1 C5:2 G4:2", "A4:3 C5:1 E5:4", "F5:3 E5:1 D5:2 C5:2", "D5:6 R:2",
                           "E5:3 D5:1 C5:2 E5:2", "A5:3 G5:1 E5:4", "F5:2 E5:2 D5:2 B4:2", "C5:6 R:2"};
const char* kMelodyA2[4] = {"G5:3 E5:1 C5:2 E5:2", "A5:2 B5:2 C6:2 A5:2", "G5:2 F5:2 E5:2 D5:2", "C5:8"};
const char* kMelodyB[8] = {"A5:2 A5:1 G5:1 F5:2 C5:2", "D5:2 D5:1 E5:1 G5:4", "G5:2 G5:1 F5:1 E5:2 B4:2",
                           "C5:2 E5:2 A5:4", "A5:3 G5:1 F5:2 A5:2", "B5:3 A5:1 G5:2 D5:2",
                           "F5:3 E5:1 D5:2 F5:2", "G5:4 D5:2 B4:2"};

// Chords per bar (root, third, fifth as note names without octave); a "|" splits a bar.
const char* kChordsA[8] = {"C", "Am", "F", "G", "C", "Am", "F|G", "C"};
const char* kChordsB[8] = {"F", "G", "Em", "Am", "F", "G", "Dm|G", "G"};

struct Chord {
  int root;  // pitch class
  bool minor;
};
Chord Parse(const std::string& s) {
  static const int base[7] = {9, 11, 0, 2, 4, 5, 7};
  return {base[s[0] - 'A'], s.size() > 1 && s[1] == 'm'};
}

std::vector<std::pair<Chord, uint32_t>> Harmony() {  // chord and its length, bar by bar
  std::vector<std::pair<Chord, uint32_t>> out;
  const char* const* sections[4] = {kChordsA, kChordsA, kChordsB, kChordsA};
  for (auto sec : sections)
    for (int b = 0; b < 8; ++b) {
      std::string c = sec[b];
      auto bar = c.find('|');
      if (bar == std::string::npos)
        out.push_back({Parse(c), kBar});
      else
        out.push_back({Parse(c.substr(0, bar)), kBar / 2}), out.push_back({Parse(c.substr(bar + 1)), kBar / 2});
    }
  return out;
}

}  // namespace

Bytes Music() {
  std::vector<SmfTrack> tracks(8);
  SmfTrack& cond = tracks[0];
  cond.Name("Tolvaran");
  cond.TimeSignature(0, 4, 2);
  cond.Tempo(0, 88);
  struct Voice {
    const char* name;
    int ch, program, volume, pan, reverb;
  };
  const Voice voices[7] = {{"Flute", 0, 73, 96, 64, 50},   {"Vibraphone", 1, 11, 70, 84, 60},
                           {"Strings", 2, 48, 58, 44, 70}, {"Bass", 3, 32, 92, 64, 30},
                           {"Harp", 4, 46, 74, 34, 60},    {"Piano", 5, 0, 56, 90, 45},
                           {"Drums", 9, 0, 70, 64, 30}};
  for (int i = 0; i < 7; ++i) {
    SmfTrack& t = tracks[i + 1];
    const Voice& v = voices[i];
    t.Name(v.name);
    if (v.ch != 9) t.Program(0, v.ch, v.program);
    t.Control(0, v.ch, 7, v.volume);
    t.Control(0, v.ch, 10, v.pan);
    t.Control(0, v.ch, 91, v.reverb);
  }
  // Melody: A, A' (new second half), B, A'' (A with the A' ending).
  SmfTrack& mel = tracks[1];
  for (int b = 0; b < 8; ++b) Phrase(mel, 0, b * kBar, kMelodyA[b], 84);
  for (int b = 0; b < 8; ++b) Phrase(mel, 0, (8 + b) * kBar, b < 4 ? kMelodyA[b] : kMelodyA2[b - 4], 86);
  for (int b = 0; b < 8; ++b) Phrase(mel, 0, (16 + b) * kBar, kMelodyB[b], 88);
  for (int b = 0; b < 8; ++b) Phrase(mel, 0, (24 + b) * kBar, b < 4 ? kMelodyA[b] : kMelodyA2[b - 4], 82);

  uint32_t at = 0;
  int bar = 0;
  for (auto [ch, len] : Harmony()) {
    bar = int(at / kBar);
    const int third = ch.root + (ch.minor ? 3 : 4), fifth = ch.root + 7;
    // Pad: close triad around middle C, held.
    for (int n : {ch.root, third, fifth}) tracks[3].Note(at, len - 10, 2, 60 + (n % 12 < 5 ? n % 12 + 12 : n % 12) - 12 + 0, 52);
    // Bass: root, fifth pick-up, octave.
    int r = 36 + ch.root;
    if (len == kBar) {
      tracks[4].Note(at, 3 * kEighth - 20, 3, r, 88);
      tracks[4].Note(at + 3 * kEighth, kEighth - 20, 3, r + 7 > 52 ? r - 5 : r + 7, 70);
      tracks[4].Note(at + 4 * kEighth, 4 * kEighth - 20, 3, r, 80);
    } else {
      tracks[4].Note(at, len - 20, 3, r, 86);
    }
    // Harp: broken chord in eighths (from the second time through).
    if (bar >= 8) {
      const int pattern[8] = {ch.root + 48, fifth + 48, ch.root + 60, third + 60, fifth + 60, third + 60, ch.root + 60, fifth + 48};
      for (uint32_t k = 0; k < len / kEighth; ++k) tracks[5].Note(at + k * kEighth, kEighth, 4, pattern[k], k % 2 ? 50 : 62);
    }
    // Vibraphone counter-line: the chord's third, then its fifth, in A' and B.
    if (bar >= 8 && bar < 24)
      for (uint32_t k = 0; k < len / (2 * kPpq); ++k) tracks[2].Note(at + k * 2 * kPpq, 2 * kPpq - 30, 1, (k % 2 ? fifth : third) % 12 + 72, 58);
    // Piano: soft off-beat chords in B and A''.
    if (bar >= 16)
      for (uint32_t k = 1; k < len / kPpq; k += 2)
        for (int n : {third, fifth, ch.root + 12}) tracks[6].Note(at + k * kPpq, kPpq - 60, 5, 60 + n % 12, 40);
    at += len;
  }
  // Percussion: closed hi-hat eighths from bar 1, soft kick and side stick from bar 9, a
  // ride instead of the hat in B, a little fill before each section.
  SmfTrack& dr = tracks[7];
  for (int b = 0; b < kBars; ++b) {
    uint32_t s = uint32_t(b) * kBar;
    bool section2 = b >= 8, inB = b >= 16 && b < 24, fill = b % 8 == 7 && b != kBars - 1;
    for (int k = 0; k < 8; ++k) dr.Note(s + k * kEighth, 60, 9, inB ? 51 : 42, k % 2 ? 34 : 48);
    if (section2) {
      dr.Note(s, 120, 9, 36, 70);
      dr.Note(s + 2 * kPpq + kEighth, 120, 9, 36, 50);
      dr.Note(s + kPpq, 120, 9, 37, 46);
      if (!fill) dr.Note(s + 3 * kPpq, 120, 9, 37, 46);
    }
    if (fill)
      for (int k = 0; k < 4; ++k) dr.Note(s + 3 * kPpq + k * (kPpq / 4), 60, 9, k < 2 ? 45 : 43, 40 + 6 * k);
  }
  return EncodeSmf(tracks, kPpq, kBars * kBar);
}

}  // namespace assetgen
