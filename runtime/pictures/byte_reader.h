// A little-endian byte reader over a span where every read can fail. Decoders read
// file structures only through it, so truncated input ends as a failed read and never
// as a read past the buffer.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace rt::pictures {

class ByteReader {
 public:
  explicit ByteReader(std::span<const uint8_t> data) : data_(data) {}

  size_t Position() const { return pos_; }
  size_t Remaining() const { return data_.size() - pos_; }
  size_t Size() const { return data_.size(); }
  std::span<const uint8_t> Data() const { return data_; }

  bool Seek(size_t pos) {
    if (pos > data_.size()) return false;
    pos_ = pos;
    return true;
  }
  bool Skip(size_t n) {
    if (n > Remaining()) return false;
    pos_ += n;
    return true;
  }
  bool Read(uint8_t& out) {
    if (Remaining() < 1) return false;
    out = data_[pos_++];
    return true;
  }
  bool Read(uint16_t& out) {
    if (Remaining() < 2) return false;
    out = uint16_t(data_[pos_] | (data_[pos_ + 1] << 8));
    pos_ += 2;
    return true;
  }
  bool Read(uint32_t& out) {
    if (Remaining() < 4) return false;
    out = uint32_t(data_[pos_]) | (uint32_t(data_[pos_ + 1]) << 8) |
          (uint32_t(data_[pos_ + 2]) << 16) | (uint32_t(data_[pos_ + 3]) << 24);
    pos_ += 4;
    return true;
  }
  bool Read(int32_t& out) {
    uint32_t u;
    if (!Read(u)) return false;
    out = int32_t(u);
    return true;
  }
  bool Read(int16_t& out) {
    uint16_t u;
    if (!Read(u)) return false;
    out = int16_t(u);
    return true;
  }
  // A view of the next n bytes, consumed.
  std::optional<std::span<const uint8_t>> Bytes(size_t n) {
    if (n > Remaining()) return std::nullopt;
    auto s = data_.subspan(pos_, n);
    pos_ += n;
    return s;
  }

 private:
  std::span<const uint8_t> data_;
  size_t pos_ = 0;
};

// Reads several fields in order; false as soon as one is missing.
template <typename... T>
bool ReadAll(ByteReader& r, T&... fields) {
  return (r.Read(fields) && ...);
}

}  // namespace rt::pictures
