// Slicing and searching GBK texts. Positions and lengths count bytes, as the game's
// paths and numbers are built with them; only the reverse search knows about two-byte
// characters, so that it never finds a '\' that is really the second half of one.
#include <algorithm>

#include "platform/text.h"
#include "runtime/commands/commands.h"

namespace rt::commands {
namespace {

std::string_view TextArg(int argc, const ArgRecord* args, int i) {
  return i < argc ? TextView(AsText(args[i])) : std::string_view();
}
int32_t IntArgAt(int argc, const ArgRecord* args, int i) { return i < argc ? IntArg(args[i]) : 0; }

uint8_t FoldAscii(uint8_t b) { return b >= 'A' && b <= 'Z' ? uint8_t(b - 'A' + 'a') : b; }

// Compares `what` with the text at `at`; two-byte characters compare as units, exactly,
// so folding never touches a second byte that happens to look like a letter.
bool MatchesAt(std::string_view text, size_t at, std::string_view what, bool ignoreCase) {
  if (!ignoreCase) return text.compare(at, what.size(), what) == 0;
  for (size_t i = 0; i < what.size(); ++i) {
    const uint8_t a = uint8_t(text[at + i]), b = uint8_t(what[i]);
    if (platform::IsGbkLeadByte(b)) {
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

void TextLength(ArgRecord* result, int argc, ArgRecord* args) {
  *result = ArgInt(int32_t(std::min<size_t>(TextArg(argc, args, 0).size(), INT32_MAX)));
}

void LeftText(ArgRecord* result, int argc, ArgRecord* args) {
  const std::string_view s = TextArg(argc, args, 0);
  const int32_t n = IntArgAt(argc, args, 1);
  *result = ArgText(n <= 0 ? nullptr : MakeText(s.substr(0, size_t(n))));
}

void RightText(ArgRecord* result, int argc, ArgRecord* args) {
  const std::string_view s = TextArg(argc, args, 0);
  const int32_t n = IntArgAt(argc, args, 1);
  if (n <= 0) {
    *result = ArgText(nullptr);
    return;
  }
  const size_t take = std::min(size_t(n), s.size());
  *result = ArgText(MakeText(s.substr(s.size() - take)));
}

void MidText(ArgRecord* result, int argc, ArgRecord* args) {
  const std::string_view s = TextArg(argc, args, 0);
  const int64_t p = int64_t(IntArgAt(argc, args, 1)) - 1;
  const int32_t n = IntArgAt(argc, args, 2);
  if (p < 0 || p >= int64_t(s.size()) || n <= 0) {
    *result = ArgText(nullptr);
    return;
  }
  *result = ArgText(MakeText(s.substr(size_t(p), size_t(n))));
}

void FindTextReverse(ArgRecord* result, int argc, ArgRecord* args) {
  const std::string_view s = TextArg(argc, args, 0);
  const std::string_view what = TextArg(argc, args, 1);
  size_t region = s.size();
  if (argc > 2 && Present(args[2])) {
    const int64_t start = IntArg(args[2]);
    region = start <= 1 ? 0 : std::min(size_t(start - 1), s.size());
  }
  const bool ignoreCase = argc > 3 && Present(args[3]) && IntArg(args[3]) == 1;
  if (what.empty()) {
    *result = ArgInt(region > 0 ? 1 : -1);
    return;
  }
  int32_t found = -1;
  for (size_t at = 0; at < region && region - at >= what.size(); ++at) {
    if (MatchesAt(s, at, what, ignoreCase)) found = int32_t(at + 1);
    if (platform::IsGbkLeadByte(uint8_t(s[at]))) {
      // s[at + 1] exists: at most it is the terminating zero, which ends the walk.
      if (at + 1 >= s.size()) break;
      ++at;
    }
  }
  *result = ArgInt(found);
}

}  // namespace rt::commands
