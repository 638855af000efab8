// GBK conversions through iconv. Lenient conversions keep bytes that do not convert as
// they are, so a damaged name still names the same file and a round trip loses nothing
// it had.
#include "platform/text.h"

#include <iconv.h>

#include <cerrno>
#include <unordered_map>

namespace platform {

namespace {

// The texts are GBK (code page 936) and are written under that name, so they are read
// under it too: every conversion then has the same table both ways. GB18030 decodes
// GBK's two-byte characters alike but also accepts its four-byte sequences and the
// user-defined areas, which no text of ours holds; damaged bytes that happened to form
// one would draw as some character instead of showing as damage. Under "GBK" the
// single byte 0x80 is the euro sign, as in code page 936, and never a lead byte.
constexpr const char* kGbk = "GBK";

class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (Usable()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool Usable() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // With `exact`, nullopt at the first byte that does not convert; otherwise that byte
  // is copied and the conversion goes on after it.
  std::optional<std::string> Run(std::string_view in, bool exact) {
    if (!Usable()) return exact ? std::nullopt : std::optional<std::string>(in);
    std::string out;
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
      // EILSEQ or a sequence cut off at the end.
      if (exact) return std::nullopt;
      out.push_back(*src);
      ++src;
      --srcLeft;
      iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    }
    return out;
  }

  // Exactly `bytes` to one UTF-32 code point; nullopt when they are not one character.
  std::optional<char32_t> One(std::string_view bytes) {
    if (!Usable()) return std::nullopt;
    char32_t ch = 0;
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size(), outLeft = sizeof ch;
    char* o = reinterpret_cast<char*>(&ch);
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd_, &in, &inLeft, &o, &outLeft) == size_t(-1) || inLeft != 0 || outLeft != 0)
      return std::nullopt;
    return ch;
  }

 private:
  iconv_t cd_;
};

bool IsAscii(std::string_view s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

Converter& GbkToUtf8Converter() {
  thread_local Converter converter("UTF-8", kGbk);
  return converter;
}

Converter& Utf8ToGbkConverter() {
  thread_local Converter converter(kGbk, "UTF-8");
  return converter;
}

// Some C libraries decode GBK but cannot encode it (musl, under the browser build). There
// the encoder is the decoder's table turned round, made once: every GBK character and
// the code point it decodes to.
class TableEncoder {
 public:
  static const TableEncoder& Get() {
    static const TableEncoder encoder;
    return encoder;
  }

  // As Converter::Run, from UTF-8.
  std::optional<std::string> Run(std::string_view utf8, bool exact) const {
    std::string out;
    size_t i = 0;
    while (i < utf8.size()) {
      const uint8_t b = uint8_t(utf8[i]);
      const size_t len = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
      std::optional<uint16_t> gbk;
      if (len == 1) {
        out.push_back(char(b));
        ++i;
        continue;
      }
      if (len > 0 && i + len <= utf8.size()) {
        char32_t c = b & (0x7F >> len);
        bool ok = true;
        for (size_t k = 1; k < len; ++k) {
          const uint8_t t = uint8_t(utf8[i + k]);
          ok = ok && (t >> 6) == 2;
          c = (c << 6) | (t & 0x3F);
        }
        if (auto it = table_.find(c); ok && it != table_.end()) gbk = it->second;
      }
      if (!gbk) {
        if (exact) return std::nullopt;
        out.push_back(char(b));
        ++i;
        continue;
      }
      if (*gbk > 0xFF) out.push_back(char(*gbk >> 8));
      out.push_back(char(*gbk & 0xFF));
      i += len;
    }
    return out;
  }

 private:
  TableEncoder() {
    Converter decode("UTF-32LE", kGbk);
    if (auto euro = decode.One("\x80")) table_.emplace(*euro, 0x80);
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
      for (int trail = 0x40; trail <= 0xFE; ++trail) {
        if (trail == 0x7F) continue;
        const char pair[2] = {char(lead), char(trail)};
        if (auto c = decode.One(std::string_view(pair, 2))) table_.emplace(*c, uint16_t(lead << 8 | trail));
      }
    }
  }
  std::unordered_map<char32_t, uint16_t> table_;
};

// Whether iconv encodes GBK here ("中" is D6 D0).
bool IconvEncodesGbk() {
  static const bool works = [] {
    Converter probe(kGbk, "UTF-8");
    return probe.Run("\xE4\xB8\xAD", true) == std::optional<std::string>("\xD6\xD0");
  }();
  return works;
}

std::optional<std::string> EncodeGbk(std::string_view utf8, bool exact) {
  if (IsAscii(utf8)) return std::string(utf8);
  if (!IconvEncodesGbk()) return TableEncoder::Get().Run(utf8, exact);
  return Utf8ToGbkConverter().Run(utf8, exact);
}

}  // namespace

std::string GbkToUtf8(std::string_view gbk) {
  if (IsAscii(gbk)) return std::string(gbk);
  return *GbkToUtf8Converter().Run(gbk, false);
}

std::string Utf8ToGbk(std::string_view utf8) { return *EncodeGbk(utf8, false); }

std::optional<std::string> Utf8ToGbkExact(std::string_view utf8) { return EncodeGbk(utf8, true); }

std::u32string GbkToCodePoints(std::string_view gbk) {
  thread_local Converter converter("UTF-32LE", kGbk);
  std::u32string out;
  out.reserve(gbk.size());
  size_t i = 0;
  while (i < gbk.size()) {
    const uint8_t b = uint8_t(gbk[i]);
    if (b < 0x80) {  // ASCII needs no converter
      out.push_back(b);
      ++i;
      continue;
    }
    // A character is one byte or a lead byte and its trail; a lead byte whose pair does
    // not convert is damage of one byte, and the byte after it is read afresh.
    const size_t len = IsGbkLeadByte(b) ? 2 : 1;
    std::optional<char32_t> ch;
    if (i + len <= gbk.size()) ch = converter.One(gbk.substr(i, len));
    out.push_back(ch ? *ch : U'\uFFFD');
    i += ch ? len : 1;
  }
  return out;
}

std::string CodePointsToUtf8(std::u32string_view text) {
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

std::string HostPath(std::string_view gbkPath) {
  std::string slashed(gbkPath);
  for (size_t i = 0; i < slashed.size(); ++i) {
    const uint8_t c = static_cast<uint8_t>(slashed[i]);
    // A lead byte takes the next byte with it: its trail may be 0x5C, which is not a
    // backslash there but half of a character such as "数".
    if (IsGbkLeadByte(c) && i + 1 < slashed.size()) {
      ++i;
      continue;
    }
    if (c == '\\') slashed[i] = '/';
  }
  return GbkToUtf8(slashed);
}

}  // namespace platform
