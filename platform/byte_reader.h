// The one bounded reader every decoder and record parser reads bytes through (form
// descriptions, stored blocks, pictures, WAVE and MIDI, the font record, the sound-font
// walk), and the matching little-endian writer.
//
// Failure is sticky: the first read that runs past the end fails the reader, and from
// then on every read fails too and yields zero or an empty span. A parser can therefore
// read a whole structure field by field and check Ok() once, and a truncated file can
// never be read beyond its last byte.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace platform {

class ByteReader {
 public:
  ByteReader() = default;
  explicit ByteReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  bool Ok() const { return ok_; }
  size_t Position() const { return pos_; }
  size_t Size() const { return bytes_.size(); }
  // 0 once the reader has failed, so a loop over the remaining bytes ends.
  size_t Remaining() const { return ok_ ? bytes_.size() - pos_ : 0; }
  bool AtEnd() const { return Remaining() == 0; }
  std::span<const uint8_t> Data() const { return bytes_; }

  // ---- integers ------------------------------------------------------------------
  uint8_t U8() { return uint8_t(Take(1, false)); }
  uint16_t U16Le() { return uint16_t(Take(2, false)); }
  uint32_t U32Le() { return uint32_t(Take(4, false)); }
  uint16_t U16Be() { return uint16_t(Take(2, true)); }
  uint32_t U24Be() { return uint32_t(Take(3, true)); }
  uint32_t U32Be() { return uint32_t(Take(4, true)); }
  int16_t I16Le() { return int16_t(U16Le()); }
  int32_t I32Le() { return int32_t(U32Le()); }

  // A little-endian field of a file structure, sized by its type; false once failed.
  template <typename T>
    requires std::is_integral_v<T> && (sizeof(T) <= 4)
  bool Read(T& field) {
    field = T(Take(sizeof(T), false));
    return ok_;
  }

  // ---- moving ----------------------------------------------------------------------
  bool Skip(size_t n) {
    if (!Need(n)) return false;
    pos_ += n;
    return true;
  }
  // To an absolute position, at most the end.
  bool Seek(size_t pos) {
    if (!ok_ || pos > bytes_.size()) return Fail();
    pos_ = pos;
    return true;
  }

  // ---- spans and texts -------------------------------------------------------------
  // The next n bytes as a sub-span; empty (and failed) when they are not all there.
  std::span<const uint8_t> Bytes(size_t n) {
    if (!Need(n)) return {};
    auto s = bytes_.subspan(pos_, n);
    pos_ += n;
    return s;
  }
  // Everything that is left.
  std::span<const uint8_t> Rest() { return Bytes(Remaining()); }
  // True, and the bytes consumed, when the next bytes are exactly `tag` (a four-letter
  // chunk name, a signature); false without failing when they differ.
  bool Tag(std::string_view tag) {
    if (!ok_ || tag.size() > bytes_.size() - pos_) return Fail();
    if (std::memcmp(bytes_.data() + pos_, tag.data(), tag.size()) != 0) return false;
    pos_ += tag.size();
    return true;
  }

  // A zero-terminated text; the terminator must lie inside the span.
  std::string CString() {
    if (!ok_) return {};
    const void* end = std::memchr(bytes_.data() + pos_, 0, bytes_.size() - pos_);
    if (!end) {
      Fail();
      return {};
    }
    const size_t len = size_t(static_cast<const uint8_t*>(end) - (bytes_.data() + pos_));
    std::string s(reinterpret_cast<const char*>(bytes_.data() + pos_), len);
    pos_ += len + 1;
    return s;
  }
  // A 32-bit little-endian length followed by that many bytes.
  std::span<const uint8_t> LengthPrefixed() { return Bytes(U32Le()); }
  std::string LengthPrefixedText() {
    auto s = LengthPrefixed();
    return std::string(reinterpret_cast<const char*>(s.data()), s.size());
  }

 private:
  bool Fail() {
    ok_ = false;
    return false;
  }
  bool Need(size_t n) {
    if (!ok_ || n > bytes_.size() - pos_) return Fail();
    return true;
  }
  uint64_t Take(size_t n, bool bigEndian) {
    if (!Need(n)) return 0;
    uint64_t v = 0;
    for (size_t i = 0; i < n; ++i) {
      const uint64_t b = bytes_[pos_ + i];
      v |= bigEndian ? b << (8 * (n - 1 - i)) : b << (8 * i);
    }
    pos_ += n;
    return v;
  }

  std::span<const uint8_t> bytes_;
  size_t pos_ = 0;
  bool ok_ = true;
};

// Reads several little-endian fields in order; false as soon as one is missing.
template <typename... T>
bool ReadAll(ByteReader& r, T&... fields) {
  return (r.Read(fields) && ...);
}

// The matching writer, used by the form builder, stored blocks, the font record and the
// tools and tests that build files. It fills a vector of its own, or appends to one the
// caller keeps (which must outlive the writer).
class ByteWriter {
 public:
  ByteWriter() : out_(&own_) {}
  explicit ByteWriter(std::vector<uint8_t>& out) : out_(&out) {}
  ByteWriter(const ByteWriter&) = delete;
  ByteWriter& operator=(const ByteWriter&) = delete;

  void U8(uint8_t v) { out_->push_back(v); }
  void U16Le(uint16_t v) {
    for (int i = 0; i < 2; ++i) out_->push_back(uint8_t(v >> (8 * i)));
  }
  void U32Le(uint32_t v) {
    for (int i = 0; i < 4; ++i) out_->push_back(uint8_t(v >> (8 * i)));
  }
  void I32Le(int32_t v) { U32Le(uint32_t(v)); }
  void Zeros(size_t n) { out_->insert(out_->end(), n, 0); }
  void Bytes(std::span<const uint8_t> b) { out_->insert(out_->end(), b.begin(), b.end()); }
  void CString(const std::string& s) {
    // A text with an embedded zero would end early when read back; store what is read.
    const char* text = s.c_str();
    out_->insert(out_->end(), text, text + std::strlen(text) + 1);
  }
  void LengthPrefixed(std::span<const uint8_t> b) {
    U32Le(uint32_t(b.size()));
    Bytes(b);
  }
  void LengthPrefixedText(const std::string& s) {
    LengthPrefixed({reinterpret_cast<const uint8_t*>(s.data()), s.size()});
  }
  void PatchU32Le(size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) (*out_)[at + i] = uint8_t(v >> (8 * i));
  }
  size_t Size() const { return out_->size(); }
  std::vector<uint8_t>& Data() { return *out_; }

 private:
  std::vector<uint8_t> own_;
  std::vector<uint8_t>* out_;
};

}  // namespace platform
