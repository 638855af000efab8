#include <algorithm>
#include <cstdlib>
#include <map>
#include <stdexcept>

#include "tools/assetgen/encoders.h"

namespace assetgen {
namespace {

// The transparent entry's colour. No art colour may equal it, because the stage's
// decoder skips every pixel of the key colour, not only the transparent index.
constexpr uint32_t kTransparentRgb = 0xFF00FF;

uint32_t Rgb(Rgba c) { return (uint32_t(c.r) << 16) | (uint32_t(c.g) << 8) | c.b; }

class BitWriter {
 public:
  explicit BitWriter(Bytes& out) : out_(out) {}
  void Code(int code, int width) {
    acc_ |= uint32_t(code) << bits_;
    bits_ += width;
    while (bits_ >= 8) {
      Byte(uint8_t(acc_ & 0xFF));
      acc_ >>= 8;
      bits_ -= 8;
    }
  }
  void Finish() {
    if (bits_ > 0) Byte(uint8_t(acc_ & 0xFF));
    FlushBlock();
    out_.push_back(0);  // block terminator
  }

 private:
  void Byte(uint8_t b) {
    block_.push_back(b);
    if (block_.size() == 255) FlushBlock();
  }
  void FlushBlock() {
    if (block_.empty()) return;
    out_.push_back(uint8_t(block_.size()));
    out_.insert(out_.end(), block_.begin(), block_.end());
    block_.clear();
  }
  Bytes& out_;
  Bytes block_;
  uint32_t acc_ = 0;
  int bits_ = 0;
};

void Lzw(Bytes& out, const std::vector<uint8_t>& indices, int minCodeSize) {
  out.push_back(uint8_t(minCodeSize));
  BitWriter bw(out);
  const int clear = 1 << minCodeSize, eoi = clear + 1;
  std::vector<int> next(4096 * 256, -1);  // (prefix code, byte) -> code
  auto reset = [&] { std::fill(next.begin(), next.end(), -1); };
  int codeSize = minCodeSize + 1, maxCode = eoi;
  bw.Code(clear, codeSize);
  int cur = -1;
  for (uint8_t v : indices) {
    if (cur < 0) {
      cur = v;
      continue;
    }
    int& slot = next[size_t(cur) * 256 + v];
    if (slot >= 0) {
      cur = slot;
      continue;
    }
    bw.Code(cur, codeSize);
    slot = ++maxCode;
    if (maxCode >= (1 << codeSize) && codeSize < 12) ++codeSize;
    if (maxCode == 4095) {
      bw.Code(clear, codeSize);
      reset();
      codeSize = minCodeSize + 1;
      maxCode = eoi;
    }
    cur = v;
  }
  if (cur >= 0) {
    bw.Code(cur, codeSize);
    // The decoder adds one more entry on reading that code; follow its width.
    if (maxCode + 1 >= (1 << codeSize) && codeSize < 12 && maxCode != eoi) ++codeSize;
  }
  bw.Code(eoi, codeSize);
  bw.Finish();
}

void U16(Bytes& b, int v) {
  b.push_back(uint8_t(v & 0xFF));
  b.push_back(uint8_t((v >> 8) & 0xFF));
}

// Exact palette when the art stays within 255 colours (it should); otherwise the most
// used colours win and the rest map to their nearest.
std::vector<uint32_t> BuildPalette(const std::vector<GifFrame>& frames) {
  std::map<uint32_t, long> count;
  for (const auto& f : frames)
    for (const Rgba& p : f.image.Pixels())
      if (p.a >= 128) ++count[Rgb(p)];
  std::vector<std::pair<long, uint32_t>> byUse;
  for (auto [c, n] : count) {
    if (c == kTransparentRgb) throw std::runtime_error("art uses the GIF transparent colour");
    byUse.push_back({-n, c});
  }
  std::sort(byUse.begin(), byUse.end());
  std::vector<uint32_t> pal;
  for (size_t i = 0; i < byUse.size() && i < 255; ++i) pal.push_back(byUse[i].second);
  std::sort(pal.begin(), pal.end());
  return pal;
}

}  // namespace

Bytes EncodeGif(const std::vector<GifFrame>& frames) {
  if (frames.empty()) throw std::runtime_error("GIF without frames");
  const int w = frames[0].image.Width(), h = frames[0].image.Height();
  std::vector<uint32_t> pal = BuildPalette(frames);
  const int transparentIndex = int(pal.size());
  pal.push_back(kTransparentRgb);
  int bits = 1;
  while ((1 << bits) < int(pal.size())) ++bits;
  std::map<uint32_t, uint8_t> lookup;
  for (size_t i = 0; i + 1 < pal.size(); ++i) lookup[pal[i]] = uint8_t(i);
  auto nearest = [&](uint32_t c) {
    auto it = lookup.find(c);
    if (it != lookup.end()) return it->second;
    int best = 0;
    long bestD = 1L << 40;
    for (size_t i = 0; i + 1 < pal.size(); ++i) {
      long dr = long(c >> 16) - long(pal[i] >> 16), dg = long((c >> 8) & 255) - long((pal[i] >> 8) & 255),
           db = long(c & 255) - long(pal[i] & 255);
      long d = dr * dr + dg * dg + db * db;
      if (d < bestD) bestD = d, best = int(i);
    }
    lookup[c] = uint8_t(best);
    return uint8_t(best);
  };

  Bytes out = {'G', 'I', 'F', '8', '9', 'a'};
  U16(out, w);
  U16(out, h);
  out.push_back(uint8_t(0x80 | ((bits - 1) << 4) | (bits - 1)));  // global table, depth
  out.push_back(uint8_t(transparentIndex));                       // background index
  out.push_back(0);                                               // no aspect ratio
  for (int i = 0; i < (1 << bits); ++i) {
    uint32_t c = i < int(pal.size()) ? pal[i] : 0;
    out.push_back(uint8_t(c >> 16));
    out.push_back(uint8_t(c >> 8));
    out.push_back(uint8_t(c));
  }
  if (frames.size() > 1) {
    const char app[] = "NETSCAPE2.0";
    out.insert(out.end(), {0x21, 0xFF, 11});
    out.insert(out.end(), app, app + 11);
    out.insert(out.end(), {3, 1});
    U16(out, 0);  // loop for ever
    out.push_back(0);
  }
  for (const auto& f : frames) {
    if (f.image.Width() != w || f.image.Height() != h) throw std::runtime_error("GIF frame size differs");
    out.insert(out.end(), {0x21, 0xF9, 4});
    out.push_back(uint8_t((2 << 2) | 1));  // dispose to background, transparent index set
    U16(out, std::max(1, (f.delayMs + 5) / 10));
    out.push_back(uint8_t(transparentIndex));
    out.push_back(0);
    out.push_back(0x2C);
    U16(out, 0);
    U16(out, 0);
    U16(out, w);
    U16(out, h);
    out.push_back(0);  // no local table, not interlaced
    std::vector<uint8_t> idx(size_t(w) * h);
    for (size_t i = 0; i < idx.size(); ++i) {
      const Rgba& p = f.image.Pixels()[i];
      idx[i] = p.a >= 128 ? nearest(Rgb(p)) : uint8_t(transparentIndex);
    }
    Lzw(out, idx, std::max(2, bits));
  }
  out.push_back(0x3B);
  return out;
}

}  // namespace assetgen
