#include "runtime/sound/wave_file.h"

#include <algorithm>
#include <cstring>

#include "platform/byte_reader.h"

namespace rt {
namespace {

// A WAVE file shorter than this cannot hold a RIFF header, a "fmt " chunk and the
// header of a "data" chunk.
constexpr size_t kMinWaveBytes = 36;

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

FmtChunk ReadFmt(platform::ByteReader& r) {
  FmtChunk f{};
  platform::ReadAll(r, f.formatTag, f.channels, f.samplesPerSec, f.avgBytesPerSec, f.blockAlign,
          f.bitsPerSample);
  return f;
}

}  // namespace

std::optional<WaveData> ParseWave(std::span<const uint8_t> file) {
  if (file.size() < kMinWaveBytes) return std::nullopt;
  platform::ByteReader r(file);
  if (!r.Tag("RIFF")) return std::nullopt;
  const uint32_t riffSize = r.U32Le();
  if (!r.Tag("WAVE")) return std::nullopt;
  // The walk ends at the RIFF size or at the end of the bytes, whichever comes first.
  const uint64_t riffEnd = std::min<uint64_t>(uint64_t(8) + riffSize, file.size());

  std::optional<FmtChunk> fmt;
  std::span<const uint8_t> samples;
  bool haveData = false;
  while (r.Position() + 8 <= riffEnd && !(fmt && haveData)) {
    const auto id = r.Bytes(4);
    const uint64_t chunkSize = r.U32Le();
    const uint64_t body = r.Position();
    auto is = [&](const char* name) { return std::memcmp(id.data(), name, 4) == 0; };
    if (is("fmt ") && !fmt) {
      if (chunkSize < kFmtBytes || r.Remaining() < kFmtBytes) return std::nullopt;
      fmt = ReadFmt(r);
    } else if (is("data") && !haveData) {
      // Tolerance: recorders that were cut off leave a "data" size larger than what
      // follows. Those samples are played as far as they go.
      haveData = true;
      samples = r.Bytes(size_t(std::min<uint64_t>(chunkSize, r.Remaining())));
    }
    const uint64_t next = body + chunkSize + (chunkSize & 1);  // chunks are padded to even sizes
    if (next + 8 > riffEnd) break;
    r.Seek(size_t(next));
  }
  if (!fmt || !haveData || samples.empty()) return std::nullopt;

  WaveData out;
  out.format.formatTag = fmt->formatTag;
  out.format.channels = fmt->channels;
  out.format.samplesPerSec = fmt->samplesPerSec;
  out.format.avgBytesPerSec = fmt->avgBytesPerSec;
  out.format.blockAlign = fmt->blockAlign;
  out.format.bitsPerSample = fmt->bitsPerSample;
  out.samples = samples;
  return out;
}

}  // namespace rt
