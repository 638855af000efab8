#include <fstream>

#include "platform/byte_reader.h"
#include "tools/encoders/encoders.h"

namespace encoders {

Bytes EncodeWave(std::span<const int16_t> samples, int channels, int sampleRate) {
  const uint32_t dataBytes = uint32_t(samples.size() * 2);
  platform::ByteWriter w;
  auto tag = [&](const char* t) { w.Bytes({reinterpret_cast<const uint8_t*>(t), 4}); };
  tag("RIFF");
  w.U32Le(36 + dataBytes);
  tag("WAVE");
  tag("fmt ");
  w.U32Le(16);
  w.U16Le(1);  // PCM
  w.U16Le(uint16_t(channels));
  w.U32Le(uint32_t(sampleRate));
  w.U32Le(uint32_t(sampleRate * channels * 2));
  w.U16Le(uint16_t(channels * 2));
  w.U16Le(16);
  tag("data");
  w.U32Le(dataBytes);
  for (int16_t s : samples) w.U16Le(uint16_t(s));
  return std::move(w.Data());
}

bool WriteFile(const std::string& path, std::span<const uint8_t> bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return bool(f);
}

}  // namespace encoders
