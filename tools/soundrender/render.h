// Offline rendering of WAVE and MIDI data through the game's own mixer and synthesiser.
#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace soundrender {

struct Rendered {
  std::string kind;         // "wave" or "midi"
  double contentSeconds = 0;  // how long the data plays once
  std::vector<float> samples;  // interleaved stereo at 44,100 Hz
};

// Renders `seconds` of the data, or exactly one play-through when `seconds` is empty
// (a MIDI song repeats when asked for more than one play). nullopt when the data is
// neither playable WAVE nor MIDI.
std::optional<Rendered> Render(std::span<const uint8_t> data, std::optional<double> seconds,
                               const std::string& soundFont);

// A recording of a looping song's first two passes (platform/audio_recording.h), as
// the game plays it instead of synthesising; empty without a sound font or song.
std::vector<uint8_t> RecordMidi(std::span<const uint8_t> data, const std::string& soundFont);

struct Levels {
  double peak = 0;  // largest absolute sample, 1.0 = full scale
  double rms = 0;
  size_t clipped = 0;  // samples at or beyond full scale
};
Levels Measure(std::span<const float> samples);

// A 44,100 Hz stereo 16-bit WAVE file image of the samples (clamped to full scale).
std::vector<uint8_t> EncodeWave(std::span<const float> samples);

}  // namespace soundrender
