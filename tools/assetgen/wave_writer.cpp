#include <fstream>

#include "tools/assetgen/encoders.h"

namespace assetgen {
namespace {
void U32(Bytes& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
}
void U16(Bytes& b, uint16_t v) {
  b.push_back(uint8_t(v));
  b.push_back(uint8_t(v >> 8));
}
void Tag(Bytes& b, const char* t) { b.insert(b.end(), t, t + 4); }
}  // namespace

Bytes EncodeWave(const std::vector<int16_t>& samples, int channels, int rate) {
  Bytes b;
  const uint32_t dataBytes = uint32_t(samples.size() * 2);
  Tag(b, "RIFF");
  U32(b, 36 + dataBytes);
  Tag(b, "WAVE");
  Tag(b, "fmt ");
  U32(b, 16);
  U16(b, 1);  // PCM
  U16(b, uint16_t(channels));
  U32(b, uint32_t(rate));
  U32(b, uint32_t(rate * channels * 2));
  U16(b, uint16_t(channels * 2));
  U16(b, 16);
  Tag(b, "data");
  U32(b, dataBytes);
  for (int16_t s : samples) U16(b, uint16_t(s));
  return b;
}

bool WriteFile(const std::string& path, const Bytes& bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return bool(f);
}

}  // namespace assetgen
