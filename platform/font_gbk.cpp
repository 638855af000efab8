// GBK to Unicode for text output and face names.
#include <iconv.h>

#include <cerrno>

#include "platform/font_internal.h"

namespace platform {

namespace {

class Converter {
 public:
  Converter() : cd_(iconv_open("UTF-32LE", "GB18030")) {}
  ~Converter() {
    if (cd_ != iconv_t(-1)) iconv_close(cd_);
  }
  iconv_t Get() const { return cd_; }

 private:
  iconv_t cd_;
};

}  // namespace

std::u32string DecodeGbk(std::string_view gbk) {
  std::u32string out;
  out.reserve(gbk.size());
  thread_local Converter converter;
  const iconv_t cd = converter.Get();
  size_t i = 0;
  while (i < gbk.size()) {
    const uint8_t b = uint8_t(gbk[i]);
    if (b < 0x80) {  // ASCII needs no converter
      out.push_back(b);
      ++i;
      continue;
    }
    if (cd == iconv_t(-1)) {
      out.push_back(U'\uFFFD');
      ++i;
      continue;
    }
    // One character at a time: GB18030 characters are 2 or 4 bytes.
    char32_t ch = 0;
    bool ok = false;
    for (size_t len : {size_t(2), size_t(4)}) {
      if (i + len > gbk.size()) break;
      char* in = const_cast<char*>(gbk.data() + i);
      size_t inLeft = len, outLeft = sizeof(ch);
      char* o = reinterpret_cast<char*>(&ch);
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
      if (iconv(cd, &in, &inLeft, &o, &outLeft) != size_t(-1) && inLeft == 0 && outLeft == 0) {
        ok = true;
        i += len;
        break;
      }
    }
    if (!ok) {
      ch = U'\uFFFD';
      ++i;
    }
    out.push_back(ch);
  }
  return out;
}

std::string EncodeUtf8(std::u32string_view text) {
  std::string out;
  for (char32_t c : text) {
    if (c < 0x80) {
      out.push_back(char(c));
    } else if (c < 0x800) {
      out.push_back(char(0xC0 | (c >> 6)));
      out.push_back(char(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.push_back(char(0xE0 | (c >> 12)));
      out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(char(0x80 | (c & 0x3F)));
    } else {
      out.push_back(char(0xF0 | (c >> 18)));
      out.push_back(char(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(char(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

}  // namespace platform
