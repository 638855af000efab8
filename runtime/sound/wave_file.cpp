#include "runtime/sound/wave_file.h"

#include <algorithm>
#include <cstring>

namespace rt {
namespace {

// A WAVE file shorter than this cannot hold a RIFF header, a "fmt " chunk and the
// header of a "data" chunk.
constexpr size_t kMinWaveBytes = 36;

uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) |
         (uint32_t(p[3]) << 24);
}

// The PCM part of a "fmt " chunk (PCMWAVEFORMAT); anything after it is ignored.
struct FmtChunk {
  uint16_t formatTag;
  uint16_t channels;
  uint32_t samplesPerSec;
  uint32_t avgBytesPerSec;
  uint16_t blockAlign;
  uint16_t bitsPerSample;
};
constexpr size_t kFmtBytes = 16;

FmtChunk ReadFmt(const uint8_t* p) {
  return {Le16(p), Le16(p + 2), Le32(p + 4), Le32(p + 8), Le16(p + 12), Le16(p + 14)};
}

}  // namespace

std::optional<WaveData> ParseWave(std::span<const uint8_t> file) {
  const uint8_t* d = file.data();
  const size_t size = file.size();
  if (size < kMinWaveBytes || std::memcmp(d, "RIFF", 4) != 0 ||
      std::memcmp(d + 8, "WAVE", 4) != 0)
    return std::nullopt;
  // The walk ends at the RIFF size or at the end of the bytes, whichever comes first.
  const uint64_t riffEnd = std::min<uint64_t>(uint64_t(8) + Le32(d + 4), size);

  std::optional<FmtChunk> fmt;
  const uint8_t* samples = nullptr;
  uint64_t sampleBytes = 0;
  bool haveData = false;
  uint64_t off = 12;
  while (off + 8 <= riffEnd && !(fmt && haveData)) {
    const uint8_t* id = d + off;
    const uint64_t chunkSize = Le32(d + off + 4);
    const uint64_t body = off + 8;
    const uint64_t avail = size - body;
    if (std::memcmp(id, "fmt ", 4) == 0 && !fmt) {
      if (chunkSize < kFmtBytes || avail < kFmtBytes) return std::nullopt;
      fmt = ReadFmt(d + body);
    } else if (std::memcmp(id, "data", 4) == 0 && !haveData) {
      // Tolerance: recorders that were cut off leave a "data" size larger than what
      // follows. Those samples are played as far as they go.
      haveData = true;
      samples = d + body;
      sampleBytes = std::min(chunkSize, avail);
    }
    off = body + chunkSize + (chunkSize & 1);  // chunks are padded to even sizes
  }
  if (!fmt || !haveData || sampleBytes == 0) return std::nullopt;

  WaveData out;
  out.format.formatTag = fmt->formatTag;
  out.format.channels = fmt->channels;
  out.format.samplesPerSec = fmt->samplesPerSec;
  out.format.avgBytesPerSec = fmt->avgBytesPerSec;
  out.format.blockAlign = fmt->blockAlign;
  out.format.bitsPerSample = fmt->bitsPerSample;
  out.samples = {samples, size_t(sampleBytes)};
  return out;
}

}  // namespace rt
