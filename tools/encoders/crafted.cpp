#include "tools/encoders/crafted.h"

#include <algorithm>
#include <unordered_map>

#include "platform/byte_reader.h"

namespace encoders {
namespace {

void PutTable(Bytes& b, const std::vector<uint32_t>& table) {
  for (uint32_t c : table) {
    b.push_back(uint8_t(c >> 16));
    b.push_back(uint8_t(c >> 8));
    b.push_back(uint8_t(c));
  }
}

// The packed-field size code of a table: 2^(n+1) entries; the table is padded to it.
int TableCode(std::vector<uint32_t>& table) {
  int n = 0;
  while ((2u << n) < table.size()) ++n;
  table.resize(2u << n, 0);
  return n;
}

class BitWriter {
 public:
  void Put(unsigned code, int width) {
    acc_ |= uint64_t(code) << bits_;
    bits_ += width;
    while (bits_ >= 8) {
      out.push_back(uint8_t(acc_));
      acc_ >>= 8;
      bits_ -= 8;
    }
  }
  void Flush() {
    if (bits_ > 0) out.push_back(uint8_t(acc_));
    acc_ = 0;
    bits_ = 0;
  }
  Bytes out;

 private:
  uint64_t acc_ = 0;
  int bits_ = 0;
};

}  // namespace

Bytes LzwEncode(int minCodeSize, const std::vector<uint8_t>& indices) {
  const unsigned clear = 1u << minCodeSize, end = clear + 1;
  std::unordered_map<uint32_t, unsigned> dict;
  BitWriter w;
  int width = minCodeSize + 1;
  unsigned next = clear + 2;
  w.Put(clear, width);
  if (indices.empty()) {
    w.Put(end, width);
    w.Flush();
    return w.out;
  }
  unsigned cur = indices[0];
  for (size_t i = 1; i < indices.size(); ++i) {
    const uint8_t k = indices[i];
    auto it = dict.find((cur << 8) | k);
    if (it != dict.end()) {
      cur = it->second;
      continue;
    }
    w.Put(cur, width);
    if (next < 4096) {
      dict[(cur << 8) | k] = next++;
      if (next > (1u << width) && width < 12) ++width;
    } else {
      w.Put(clear, width);
      dict.clear();
      width = minCodeSize + 1;
      next = clear + 2;
    }
    cur = k;
  }
  w.Put(cur, width);
  // The decoder grows its table after this last code too; the end code may need the
  // wider width.
  if (next < 4096) {
    ++next;
    if (next > (1u << width) && width < 12) ++width;
  }
  w.Put(end, width);
  w.Flush();
  return w.out;
}

GifBuilder::GifBuilder(int width, int height, const std::vector<uint32_t>& globalTable,
                       const char* signature) {
  bytes.assign(signature, signature + 6);
  platform::ByteWriter w(bytes);
  w.U16Le(uint16_t(width));
  w.U16Le(uint16_t(height));
  std::vector<uint32_t> table = globalTable;
  uint8_t packed = 0;
  if (!table.empty()) packed = uint8_t(0x80 | TableCode(table));
  bytes.push_back(packed);
  bytes.push_back(0);  // background index
  bytes.push_back(0);  // aspect
  PutTable(bytes, table);
}

GifBuilder& GifBuilder::Control(int disposalMethod, bool transparent, int delayCs,
                                int transparentIndex) {
  const uint8_t packed = uint8_t((disposalMethod & 7) << 2 | (transparent ? 1 : 0));
  bytes.insert(bytes.end(), {0x21, 0xF9, 4, packed});
  platform::ByteWriter(bytes).U16Le(uint16_t(delayCs));
  bytes.push_back(uint8_t(transparentIndex));
  bytes.push_back(0);
  return *this;
}

GifBuilder& GifBuilder::Comment(const std::string& text) {
  bytes.insert(bytes.end(), {0x21, 0xFE, uint8_t(text.size())});
  bytes.insert(bytes.end(), text.begin(), text.end());
  bytes.push_back(0);
  return *this;
}

GifBuilder& GifBuilder::Netscape(int loops) {
  const char* app = "NETSCAPE2.0";
  bytes.insert(bytes.end(), {0x21, 0xFF, 11});
  bytes.insert(bytes.end(), app, app + 11);
  bytes.insert(bytes.end(), {3, 1});
  platform::ByteWriter(bytes).U16Le(uint16_t(loops));
  bytes.push_back(0);
  return *this;
}

GifBuilder& GifBuilder::Image(int left, int top, int width, int height,
                              const std::vector<uint8_t>& indices, bool interlaced,
                              const std::vector<uint32_t>& localTable, int minCodeSize) {
  bytes.push_back(0x2C);
  platform::ByteWriter w(bytes);
  for (int v : {left, top, width, height}) w.U16Le(uint16_t(v));
  std::vector<uint32_t> table = localTable;
  uint8_t packed = interlaced ? 0x40 : 0;
  if (!table.empty()) packed |= uint8_t(0x80 | TableCode(table));
  bytes.push_back(packed);
  PutTable(bytes, table);

  std::vector<uint8_t> stored = indices;
  if (interlaced) {
    stored.clear();
    const int starts[4] = {0, 4, 2, 1}, steps[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
      for (int y = starts[pass]; y < height; y += steps[pass])
        stored.insert(stored.end(), indices.begin() + y * width,
                      indices.begin() + (y + 1) * width);
  }
  if (minCodeSize == 0) {
    minCodeSize = 2;
    for (uint8_t i : indices)
      while (i >= (1u << minCodeSize)) ++minCodeSize;
  }
  bytes.push_back(uint8_t(minCodeSize));
  const Bytes data = LzwEncode(minCodeSize, stored);
  for (size_t pos = 0; pos < data.size(); pos += 255) {
    const size_t n = std::min<size_t>(255, data.size() - pos);
    bytes.push_back(uint8_t(n));
    bytes.insert(bytes.end(), data.begin() + long(pos), data.begin() + long(pos + n));
  }
  bytes.push_back(0);
  return *this;
}

GifBuilder& GifBuilder::Trailer() {
  bytes.push_back(0x3B);
  return *this;
}

Bytes DibBytes(const BmpLayout& s, const std::vector<uint8_t>* andMask) {
  Bytes b;
  platform::ByteWriter w(b);
  const int storedHeight = (andMask ? 2 * s.height : s.height) * (s.topDown ? -1 : 1);
  if (s.headerSize == 12) {
    w.U32Le(12);
    w.U16Le(uint16_t(s.width));
    w.U16Le(uint16_t(storedHeight));
    w.U16Le(1);
    w.U16Le(uint16_t(s.bitCount));
  } else {
    w.U32Le(uint32_t(s.headerSize));
    w.U32Le(uint32_t(s.width));
    w.U32Le(uint32_t(storedHeight));
    w.U16Le(1);  // planes
    w.U16Le(uint16_t(s.bitCount));
    w.U32Le(s.compression);
    w.U32Le(0);  // image size
    w.U32Le(2835);  // resolution
    w.U32Le(2835);
    w.U32Le(uint32_t(s.palette.size()));
    w.U32Le(0);  // important colours
    if (s.headerSize > 40) {
      for (size_t i = 0; i < 4; ++i) w.U32Le(i < s.masks.size() ? s.masks[i] : 0);
      while (b.size() < size_t(s.headerSize)) b.push_back(0);
    } else if (s.compression == 3) {
      for (uint32_t m : s.masks) w.U32Le(m);
    }
  }
  for (uint32_t c : s.palette) {
    b.push_back(uint8_t(c));
    b.push_back(uint8_t(c >> 8));
    b.push_back(uint8_t(c >> 16));
    if (s.headerSize != 12) b.push_back(0);
  }
  const size_t stride = ((size_t(s.width) * s.bitCount + 31) / 32) * 4;
  for (int row = 0; row < s.height; ++row) {
    const int y = s.topDown ? row : s.height - 1 - row;
    Bytes line(stride, 0);
    for (int x = 0; x < s.width; ++x) {
      const uint32_t v = s.pixels[size_t(y) * s.width + x];
      switch (s.bitCount) {
        case 1: case 4: case 8: {
          const int bit = x * s.bitCount;
          line[size_t(bit / 8)] |= uint8_t(v << (8 - s.bitCount - bit % 8));
          break;
        }
        case 16:
          line[size_t(x) * 2] = uint8_t(v);
          line[size_t(x) * 2 + 1] = uint8_t(v >> 8);
          break;
        case 24:
          line[size_t(x) * 3] = uint8_t(v);
          line[size_t(x) * 3 + 1] = uint8_t(v >> 8);
          line[size_t(x) * 3 + 2] = uint8_t(v >> 16);
          break;
        case 32:
          for (int i = 0; i < 4; ++i) line[size_t(x) * 4 + i] = uint8_t(v >> (8 * i));
          break;
      }
    }
    b.insert(b.end(), line.begin(), line.end());
  }
  if (andMask) {
    const size_t maskStride = ((size_t(s.width) + 31) / 32) * 4;
    for (int row = 0; row < s.height; ++row) {
      const int y = s.topDown ? row : s.height - 1 - row;
      Bytes line(maskStride, 0);
      for (int x = 0; x < s.width; ++x)
        if ((*andMask)[size_t(y) * s.width + x]) line[size_t(x / 8)] |= uint8_t(0x80 >> (x % 8));
      b.insert(b.end(), line.begin(), line.end());
    }
  }
  return b;
}

Bytes BmpFile(const BmpLayout& layout) {
  const Bytes dib = DibBytes(layout);
  const size_t stride = ((size_t(layout.width) * layout.bitCount + 31) / 32) * 4;
  const size_t offBits = 14 + dib.size() - stride * layout.height;
  Bytes b = {'B', 'M'};
  platform::ByteWriter w(b);
  w.U32Le(uint32_t(14 + dib.size()));  // file size
  w.U32Le(0);  // reserved
  w.U32Le(uint32_t(offBits));
  b.insert(b.end(), dib.begin(), dib.end());
  return b;
}

Bytes IconFile(const std::vector<IconEntry>& entries, int type) {
  Bytes b;
  platform::ByteWriter w(b);
  w.U16Le(0);
  w.U16Le(uint16_t(type));
  w.U16Le(uint16_t(entries.size()));
  uint32_t offset = uint32_t(6 + 16 * entries.size());
  for (const IconEntry& e : entries) {
    b.push_back(uint8_t(e.width >= 256 ? 0 : e.width));
    b.push_back(uint8_t(e.height >= 256 ? 0 : e.height));
    b.push_back(0);  // colour count
    b.push_back(0);  // reserved
    w.U16Le(1);  // planes
    w.U16Le(uint16_t(e.bitCount));
    w.U32Le(uint32_t(e.data.size()));
    w.U32Le(offset);
    offset += uint32_t(e.data.size());
  }
  for (const IconEntry& e : entries) b.insert(b.end(), e.data.begin(), e.data.end());
  return b;
}

Bytes PcxFile(int width, int height, int bitsPerPixel, const std::vector<uint8_t>& indices,
              const std::vector<uint32_t>& palette) {
  Bytes b = {0x0A, uint8_t(bitsPerPixel == 1 ? 3 : 5), 1, uint8_t(bitsPerPixel)};
  platform::ByteWriter w(b);
  w.U16Le(0);
  w.U16Le(0);
  w.U16Le(uint16_t(width - 1));
  w.U16Le(uint16_t(height - 1));
  w.U16Le(72);
  w.U16Le(72);
  b.resize(b.size() + 48 + 1, 0);  // 16-colour palette, reserved
  b.push_back(1);                  // planes
  const int bytesPerLine = ((width * bitsPerPixel + 7) / 8 + 1) & ~1;
  w.U16Le(uint16_t(bytesPerLine));
  w.U16Le(1);
  b.resize(128, 0);
  for (int y = 0; y < height; ++y) {
    Bytes line(size_t(bytesPerLine), 0);
    for (int x = 0; x < width; ++x) {
      const uint8_t v = indices[size_t(y) * width + x];
      if (bitsPerPixel == 8) line[size_t(x)] = v;
      else if (v) line[size_t(x / 8)] |= uint8_t(0x80 >> (x % 8));
    }
    for (size_t i = 0; i < line.size();) {  // runs of up to 63
      size_t n = 1;
      while (i + n < line.size() && n < 63 && line[i + n] == line[i]) ++n;
      if (n > 1 || (line[i] & 0xC0) == 0xC0) b.push_back(uint8_t(0xC0 | n));
      b.push_back(line[i]);
      i += n;
    }
  }
  if (bitsPerPixel == 8) {
    b.push_back(0x0C);
    for (size_t i = 0; i < 256; ++i) {
      const uint32_t c = i < palette.size() ? palette[i] : 0;
      b.insert(b.end(), {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c)});
    }
  }
  return b;
}

}  // namespace encoders
