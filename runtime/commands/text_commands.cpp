// Slicing and searching GBK texts. Positions and lengths count bytes, as the game's
// paths and numbers are built with them; only the reverse search knows about two-byte
// characters, so that it never finds a '\' that is really the second half of one.
#include <algorithm>

#include "platform/text.h"
#include "runtime/commands/commands.h"
#include "runtime/values/arg_list.h"

namespace rt {
namespace {

using platform::IsGbkLeadByte;
uint8_t FoldAscii(uint8_t b) { return b >= 'A' && b <= 'Z' ? uint8_t(b - 'A' + 'a') : b; }

// Compares `what` with the text at `at`; two-byte characters compare as units, exactly,
// so folding never touches a second byte that happens to look like a letter.
bool MatchesAt(std::string_view text, size_t at, std::string_view what, bool ignoreCase) {
  if (!ignoreCase) return text.compare(at, what.size(), what) == 0;
  for (size_t i = 0; i < what.size(); ++i) {
    const uint8_t a = uint8_t(text[at + i]), b = uint8_t(what[i]);
    if (IsGbkLeadByte(b)) {
      if (a != b) return false;
      if (i + 1 < what.size()) {
        ++i;
        if (text[at + i] != what[i]) return false;
      }
    } else if (FoldAscii(a) != FoldAscii(b)) {
      return false;
    }
  }
  return true;
}

}  // namespace

int32_t TextLength(std::string_view s) { return int32_t(std::min<size_t>(s.size(), INT32_MAX)); }

std::string LeftText(std::string_view s, int32_t n) {
  return n <= 0 ? std::string() : std::string(s.substr(0, size_t(n)));
}

std::string RightText(std::string_view s, int32_t n) {
  if (n <= 0) return {};
  const size_t take = std::min(size_t(n), s.size());
  return std::string(s.substr(s.size() - take));
}

std::string MidText(std::string_view s, int32_t start, int32_t n) {
  const int64_t p = int64_t(start) - 1;
  if (p < 0 || p >= int64_t(s.size()) || n <= 0) return {};
  return std::string(s.substr(size_t(p), size_t(n)));
}

int32_t FindTextReverse(std::string_view s, std::string_view what, std::optional<int32_t> start,
                        bool ignoreCase) {
  size_t region = s.size();
  if (start) region = *start <= 1 ? 0 : std::min(size_t(*start - 1), s.size());
  if (what.empty()) return region > 0 ? 1 : -1;
  int32_t found = -1;
  for (size_t at = 0; at < region && region - at >= what.size(); ++at) {
    if (MatchesAt(s, at, what, ignoreCase)) found = int32_t(at + 1);
    if (IsGbkLeadByte(uint8_t(s[at]))) {
      // s[at + 1] exists: at most it is the terminating zero, which ends the walk.
      if (at + 1 >= s.size()) break;
      ++at;
    }
  }
  return found;
}

namespace commands {

void TextLength(ArgRecord* result, int argc, ArgRecord* args) {
  *result = ArgInt(rt::TextLength(ArgList(argc, args).Text(0)));
}

void LeftText(ArgRecord* result, int argc, ArgRecord* args) {
  const ArgList a(argc, args);
  *result = ArgText(MakeText(rt::LeftText(a.Text(0), a.Int(1))));
}

void RightText(ArgRecord* result, int argc, ArgRecord* args) {
  const ArgList a(argc, args);
  *result = ArgText(MakeText(rt::RightText(a.Text(0), a.Int(1))));
}

void MidText(ArgRecord* result, int argc, ArgRecord* args) {
  const ArgList a(argc, args);
  *result = ArgText(MakeText(rt::MidText(a.Text(0), a.Int(1), a.Int(2))));
}

void FindTextReverse(ArgRecord* result, int argc, ArgRecord* args) {
  const ArgList a(argc, args);
  *result = ArgInt(rt::FindTextReverse(a.Text(0), a.Text(1), a.OptInt(2), a.Int(3) == 1));
}

}  // namespace commands
}  // namespace rt
