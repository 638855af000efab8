#include "runtime/pictures/lzw.h"

#include <cstring>

namespace rt::pictures {
namespace {

// Pulls codes LSB-first out of a byte span. Refills eight bytes at a time while enough
// input remains, then byte by byte near the end.
class BitReader {
 public:
  explicit BitReader(std::span<const uint8_t> d) : data_(d.data()), size_(d.size()) {}

  // False when fewer than `width` bits are left.
  bool Get(int width, unsigned& code) {
    if (bits_ < width) {
      Refill();
      if (bits_ < width) return false;
    }
    code = unsigned(acc_ & ((uint64_t(1) << width) - 1));
    acc_ >>= width;
    bits_ -= width;
    return true;
  }

 private:
  void Refill() {
    if (pos_ + 8 <= size_) {
      uint64_t v;
      std::memcpy(&v, data_ + pos_, 8);  // the code stream is little-endian
      int take = (63 - bits_) >> 3;
      acc_ |= v << bits_;
      if (take < 8) acc_ &= (uint64_t(1) << (bits_ + take * 8)) - 1;
      pos_ += size_t(take);
      bits_ += take * 8;
      return;
    }
    while (bits_ <= 56 && pos_ < size_) {
      acc_ |= uint64_t(data_[pos_++]) << bits_;
      bits_ += 8;
    }
  }

  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
  uint64_t acc_ = 0;
  int bits_ = 0;
};

}  // namespace

size_t LzwDecoder::Decode(int minCodeSize, std::span<const uint8_t> codes, uint8_t* out,
                          size_t count) {
  if (minCodeSize < 1 || minCodeSize > 8 || count == 0) return 0;
  const unsigned clear = 1u << minCodeSize;
  const unsigned end = clear + 1;
  for (unsigned i = 0; i < clear; ++i) {
    length_[i] = 1;
    suffix_[i] = uint8_t(i);
    first_[i] = uint8_t(i);
    prefix_[i] = 0;
  }
  BitReader bits(codes);
  int width = minCodeSize + 1;
  unsigned next = clear + 2;
  unsigned prev = kLzwMaxCodes;  // none since the last clear
  size_t pos = 0;

  unsigned code;
  while (pos < count && bits.Get(width, code)) {
    if (code == clear) {
      width = minCodeSize + 1;
      next = clear + 2;
      prev = kLzwMaxCodes;
      continue;
    }
    if (code == end) break;
    if (prev == kLzwMaxCodes) {
      if (code >= clear) break;  // the first code after a clear must be a root
      out[pos++] = uint8_t(code);
      prev = code;
      if (next >= (1u << width)) ++width;  // only with a minimum code size of 1
      continue;
    }
    unsigned string;  // the code whose string is written now
    uint8_t firstByte;
    if (code < next) {
      string = code;
      firstByte = first_[code];
    } else if (code == next && next < kLzwMaxCodes) {
      string = prev;  // the KwKwK case: prev's string followed by its own first byte
      firstByte = first_[prev];
    } else {
      break;
    }

    // Write the string back to front. Only the final string of an image can overrun
    // `count`; its tail is dropped by walking past it first.
    size_t len = length_[string];
    size_t room = count - pos;
    unsigned c = string;
    size_t written = len < room ? len : room;
    for (size_t skip = len - written; skip > 0; --skip) c = prefix_[c];
    uint8_t* p = out + pos + written;
    for (size_t i = 0; i < written; ++i) {
      *--p = suffix_[c];
      c = prefix_[c];
    }
    pos += written;
    if (code == next && pos < count) out[pos++] = firstByte;

    if (next < kLzwMaxCodes) {
      prefix_[next] = uint16_t(prev);
      suffix_[next] = firstByte;
      first_[next] = first_[prev];
      length_[next] = uint16_t(length_[prev] + 1);
      ++next;
    }
    // The width grows once the next free code needs another bit (as giflib counts).
    if (next >= (1u << width) && width < 12) ++width;
    prev = code;
  }
  return pos;
}

}  // namespace rt::pictures
