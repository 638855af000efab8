// GBK texts: zero-terminated, null for empty, a fresh heap block per result.
#include <cstring>

#include "runtime/values/values.h"

namespace rt {

char* MakeText(std::string_view gbk) {
  // A text ends at its first zero byte whatever the source held after it.
  gbk = gbk.substr(0, std::min(gbk.size(), gbk.find('\0')));
  if (gbk.empty()) return nullptr;
  char* s = static_cast<char*>(Allocate(gbk.size() + 1));
  std::memcpy(s, gbk.data(), gbk.size());
  s[gbk.size()] = '\0';
  return s;
}

size_t TextLength(const char* text) { return text ? std::strlen(text) : 0; }

char* ConcatTexts(std::span<const char* const> parts) {
  size_t total = 0;
  for (const char* p : parts) total += TextLength(p);
  char* s = static_cast<char*>(Allocate(total + 1));
  size_t at = 0;
  for (const char* p : parts) {
    const size_t n = TextLength(p);
    if (n) std::memcpy(s + at, p, n);
    at += n;
  }
  s[at] = '\0';
  return s;
}

}  // namespace rt
