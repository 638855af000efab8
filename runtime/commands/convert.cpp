// ToInt and ToText: conversions chosen by the argument's type code.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "platform/text.h"
#include "runtime/commands/commands.h"

namespace rt::commands {
namespace {

// Full-width forms the game's texts may carry (typed with a Chinese input method)
// folded to their ASCII counterparts, two bytes to one.
std::string FoldFullWidth(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    const uint8_t b = uint8_t(s[i]);
    if (!platform::IsGbkLeadByte(b) || i + 1 >= s.size()) {
      out += char(b);
      continue;
    }
    const uint8_t t = uint8_t(s[i + 1]);
    if (b == 0xA3 && t >= 0xA1 && t <= 0xFE)
      out += char(t - 0x80);
    else if (b == 0xA1 && t == 0xA1)
      out += ' ';
    else if (b == 0xA1 && t == 0xAB)
      out += '~';
    else if (b == 0xA1 && (t == 0xEE || t == 0xEF))
      out += '*';
    else
      out.append(s.substr(i, 2));
    ++i;
  }
  return out;
}

// Leading blanks, an optional sign, the digits up to the first non-digit. Values beyond
// the int range saturate instead of wrapping.
int32_t ParseDecimal(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || (s[i] >= '\t' && s[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  int64_t v = 0;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
    v = v * 10 + (s[i] - '0');
    if (v > int64_t(std::numeric_limits<int32_t>::max()) + 1) v = int64_t(std::numeric_limits<int32_t>::max()) + 1;
  }
  if (negative) v = -v;
  return int32_t(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

int32_t DoubleToInt32(double d) {
  return int32_t(std::clamp<int64_t>(DoubleToInt(d), std::numeric_limits<int32_t>::min(),
                                     std::numeric_limits<int32_t>::max()));
}

template <class... T>
std::string Format(const char* format, T... values) {
  char buffer[64];
  const int n = std::snprintf(buffer, sizeof buffer, format, values...);
  return std::string(buffer, size_t(std::clamp(n, 0, int(sizeof buffer) - 1)));
}

std::string FormatDateTime(double days) {
  static const std::string year = platform::gbk("年"), month = platform::gbk("月"),
                           day = platform::gbk("日"), hour = platform::gbk("时"),
                           minute = platform::gbk("分"), second = platform::gbk("秒");
  const DateTimeParts p = SplitDateTime(days);
  std::string s = std::to_string(p.year) + year + std::to_string(p.month) + month + std::to_string(p.day) + day;
  if (p.second != 0)
    s += std::to_string(p.hour) + hour + std::to_string(p.minute) + minute + std::to_string(p.second) + second;
  else if (p.minute != 0)
    s += std::to_string(p.hour) + hour + std::to_string(p.minute) + minute;
  else if (p.hour != 0)
    s += std::to_string(p.hour) + hour;
  return s;
}

// The raw bytes of an array of numbers, up to the first zero byte.
std::string NumericArrayText(const void* block, uint32_t elementType) {
  if (!IsNumericType(elementType)) return {};
  void* first = nullptr;
  const size_t count = ElementCount(block, &first);
  const std::string_view bytes(static_cast<const char*>(first), count * ElementSizeOf(elementType));
  return std::string(bytes.substr(0, bytes.find('\0')));
}

}  // namespace

void ToInt(ArgRecord* result, int argc, ArgRecord* args) {
  int32_t v = 0;
  if (argc > 0) {
    const ArgRecord& a = args[0];
    switch (a.type) {
      case kTypeText: v = ParseDecimal(FoldFullWidth(TextView(AsText(a)))); break;
      case kTypeByte: v = uint8_t(a.Low()); break;
      case kTypeShort: v = int16_t(a.Low()); break;
      case kTypeInt: case kTypeBool: case kTypeInt64: case kTypeSubroutine: v = AsInt(a); break;
      case kTypeFloat: v = DoubleToInt32(AsFloat(a)); break;
      case kTypeDouble: v = DoubleToInt32(AsDouble(a)); break;
      default: break;
    }
  }
  *result = ArgInt(v);
}

void ToText(ArgRecord* result, int argc, ArgRecord* args) {
  std::string s;
  if (argc > 0) {
    const ArgRecord& a = args[0];
    switch (a.type) {
      case kTypeByte: s = Format("%u", unsigned(uint8_t(a.Low()))); break;
      case kTypeShort: s = Format("%d", int(int16_t(a.Low()))); break;
      case kTypeInt: s = Format("%d", AsInt(a)); break;
      case kTypeInt64: s = Format("%lld", static_cast<long long>(AsInt64(a))); break;
      // A float prints with the six significant digits it reliably holds.
      case kTypeFloat: s = Format("%.6g", double(AsFloat(a))); break;
      case kTypeDouble: s = Format("%.13g", AsDouble(a)); break;
      case kTypeBool: {
        static const std::string yes = platform::gbk("真"), no = platform::gbk("假");
        s = AsBool(a) ? yes : no;
        break;
      }
      case kTypeDateTime: s = FormatDateTime(AsDouble(a)); break;
      case kTypeText: s = TextView(AsText(a)); break;
      case kTypeBytes: {
        const auto bytes = BytesView(AsAddress(a));
        const std::string_view view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        s = view.substr(0, view.find('\0'));
        break;
      }
      default:
        if (IsArrayType(a.type)) s = NumericArrayText(AsAddress(a), ElementTypeOf(a.type));
        break;
    }
  }
  *result = ArgText(MakeText(s));
}

}  // namespace rt::commands
