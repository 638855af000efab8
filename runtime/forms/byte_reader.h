// A bounded little-endian reader over a byte span. Every read can fail; once a read has
// failed the reader stays failed, so a parser can read a whole structure and check once.
#pragma once
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

namespace rt {

class ByteReader {
 public:
  explicit ByteReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  bool Ok() const { return ok_; }
  size_t Position() const { return pos_; }
  size_t Remaining() const { return ok_ ? bytes_.size() - pos_ : 0; }
  bool AtEnd() const { return Remaining() == 0; }

  uint32_t U32() {
    uint8_t b[4];
    if (!Take(b, 4)) return 0;
    return uint32_t(b[0]) | (uint32_t(b[1]) << 8) | (uint32_t(b[2]) << 16) |
           (uint32_t(b[3]) << 24);
  }
  int32_t I32() { return int32_t(U32()); }

  bool Skip(size_t n) {
    if (!Need(n)) return false;
    pos_ += n;
    return true;
  }

  // n bytes as a sub-span; empty (and failed) when they are not all there.
  std::span<const uint8_t> Bytes(size_t n) {
    if (!Need(n)) return {};
    auto s = bytes_.subspan(pos_, n);
    pos_ += n;
    return s;
  }

  // Everything that is left.
  std::span<const uint8_t> Rest() { return Bytes(Remaining()); }

  // A zero-terminated text; the terminator must lie inside the span.
  std::string CString() {
    if (!ok_) return {};
    const void* end = std::memchr(bytes_.data() + pos_, 0, bytes_.size() - pos_);
    if (!end) {
      ok_ = false;
      return {};
    }
    size_t len = static_cast<const uint8_t*>(end) - (bytes_.data() + pos_);
    std::string s(reinterpret_cast<const char*>(bytes_.data() + pos_), len);
    pos_ += len + 1;
    return s;
  }

  // A 32-bit length followed by that many bytes.
  std::span<const uint8_t> LengthPrefixed() {
    uint32_t n = U32();
    return Bytes(n);
  }
  std::string LengthPrefixedText() {
    auto s = LengthPrefixed();
    return std::string(reinterpret_cast<const char*>(s.data()), s.size());
  }

 private:
  bool Need(size_t n) {
    if (!ok_ || n > bytes_.size() - pos_) {
      ok_ = false;
      return false;
    }
    return true;
  }
  bool Take(uint8_t* out, size_t n) {
    if (!Need(n)) return false;
    std::memcpy(out, bytes_.data() + pos_, n);
    pos_ += n;
    return true;
  }

  std::span<const uint8_t> bytes_;
  size_t pos_ = 0;
  bool ok_ = true;
};

// The matching writer, used by the form builder and by tests that build descriptions.
class ByteWriter {
 public:
  void U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) out_.push_back(uint8_t(v >> (8 * i)));
  }
  void I32(int32_t v) { U32(uint32_t(v)); }
  void Zeros(size_t n) { out_.insert(out_.end(), n, 0); }
  void Bytes(std::span<const uint8_t> b) { out_.insert(out_.end(), b.begin(), b.end()); }
  void CString(const std::string& s) {
    // A text with an embedded zero would end early when read back; store what is read.
    out_.insert(out_.end(), s.begin(), s.begin() + std::strlen(s.c_str()));
    out_.push_back(0);
  }
  void LengthPrefixed(std::span<const uint8_t> b) {
    U32(uint32_t(b.size()));
    Bytes(b);
  }
  void LengthPrefixedText(const std::string& s) {
    LengthPrefixed({reinterpret_cast<const uint8_t*>(s.data()), s.size()});
  }
  void PatchU32(size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) out_[at + i] = uint8_t(v >> (8 * i));
  }
  size_t Size() const { return out_.size(); }
  std::vector<uint8_t>& Data() { return out_; }

 private:
  std::vector<uint8_t> out_;
};

}  // namespace rt
