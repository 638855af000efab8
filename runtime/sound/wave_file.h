// Reading a RIFF WAVE file held in memory: its format and where its samples are.
#pragma once
#include <cstdint>
#include <optional>
#include <span>

#include "platform/audio.h"

namespace rt {

struct WaveData {
  platform::WaveFormat format;
  std::span<const uint8_t> samples;  // points into the file's bytes
};

// The first "fmt " and the first "data" chunk, in either order. nullopt when the bytes
// are not RIFF WAVE, have no usable "fmt ", or no samples.
std::optional<WaveData> ParseWave(std::span<const uint8_t> file);

}  // namespace rt
