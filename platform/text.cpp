// GBK <-> UTF-8 through iconv. Bytes that do not convert are kept as they are, so a
// damaged name still names the same file and a round trip loses nothing it had.
#include "platform/text.h"

#include <iconv.h>

#include <cerrno>

namespace platform {

namespace {

class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  std::string Run(std::string_view in) {
    std::string out;
    if (cd_ == reinterpret_cast<iconv_t>(-1)) return std::string(in);
    out.reserve(in.size() * 3 / 2 + 4);
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char buffer[512];
    while (srcLeft > 0) {
      char* dst = buffer;
      size_t dstLeft = sizeof buffer;
      size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
      out.append(buffer, size_t(dst - buffer));
      if (r != size_t(-1)) continue;
      if (errno == E2BIG) continue;
      // EILSEQ or a sequence cut off at the end: keep the byte and go on after it.
      out.push_back(*src);
      ++src;
      --srcLeft;
      iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    }
    return out;
  }

 private:
  iconv_t cd_;
};

bool IsAscii(std::string_view s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

}  // namespace

std::string GbkToUtf8(std::string_view gbk) {
  if (IsAscii(gbk)) return std::string(gbk);
  thread_local Converter converter("UTF-8", "GBK");
  return converter.Run(gbk);
}

std::string Utf8ToGbk(std::string_view utf8) {
  if (IsAscii(utf8)) return std::string(utf8);
  thread_local Converter converter("GBK", "UTF-8");
  return converter.Run(utf8);
}

std::string HostPath(std::string_view gbkPath) {
  std::string slashed(gbkPath);
  for (size_t i = 0; i < slashed.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(slashed[i]);
    // A lead byte takes the next byte with it: its trail may be 0x5C, which is not a
    // backslash there but half of a character such as "数".
    if (c >= 0x81 && c <= 0xFE && i + 1 < slashed.size()) {
      ++i;
      continue;
    }
    if (c == '\\') slashed[i] = '/';
  }
  return GbkToUtf8(slashed);
}

}  // namespace platform
