// Number conversions of the value runtime and the date-time calendar.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "platform/text.h"
#include "runtime/values/values.h"

namespace rt {

int64_t DoubleToInt(double d) {
  // The plain cast is undefined for NaN and out-of-range values; those get a defined
  // answer instead of whatever the hardware makes of them.
  if (std::isnan(d)) return 0;
  if (d >= 9223372036854775808.0) return std::numeric_limits<int64_t>::max();
  if (d < -9223372036854775808.0) return std::numeric_limits<int64_t>::min();
  return int64_t(d);
}

double NumberArg(const ArgRecord& a) {
  switch (a.type) {
    case 0: return 0;
    case kTypeByte: return uint8_t(a.Low());
    case kTypeShort: return int16_t(a.Low());
    case kTypeInt: return AsInt(a);
    case kTypeBool: return AsInt(a);
    case kTypeInt64: return double(AsInt64(a));
    case kTypeFloat: return AsFloat(a);
    case kTypeDouble: case kTypeDateTime: return AsDouble(a);
    default: break;
  }
  static const std::string message = platform::gbk("欲转换数据类型不是数值");
  RuntimeErrorMessage(message);
}

int32_t IntArg(const ArgRecord& a) {
  if (a.type == kTypeInt || a.type == kTypeBool) return AsInt(a);
  const int64_t v = DoubleToInt(NumberArg(a));
  if (v > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (v < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return int32_t(v);
}

ArgRecord CallCommand(CommandRoutine routine, std::initializer_list<ArgRecord> args) {
  ArgRecord result{};
  // Commands may write to their records; they get a private copy, as game code passes
  // records of its own.
  std::vector<ArgRecord> records(args);
  routine(&result, int(records.size()), records.empty() ? nullptr : records.data());
  return result;
}

// ---- date-time --------------------------------------------------------------------------
// Day 0 is 30 December 1899. Conversions go through days since 1 January 1970 with the
// proleptic Gregorian calendar (Howard Hinnant's civil-date algorithms).
namespace {

constexpr int64_t kEpochOffset = 25569;  // days from 1899-12-30 to 1970-01-01

void CivilFromDays(int64_t z, int& y, int& m, int& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  d = int(doy - (153 * mp + 2) / 5 + 1);
  m = int(mp < 10 ? mp + 3 : mp - 9);
  y = int(yoe + era * 400 + (m <= 2 ? 1 : 0));
}

int64_t DaysFromCivil(int y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

}  // namespace

DateTimeParts SplitDateTime(double days) {
  if (std::isnan(days)) days = 0;
  days = std::clamp(days, kMinDateTime, kMaxDateTime);
  double whole = std::trunc(days);
  // The time of day is the fraction's magnitude on either side of day 0, rounded to the
  // second; a fraction that rounds up to midnight moves on to the next day.
  int64_t seconds = std::llround(std::fabs(days - whole) * 86400.0);
  int64_t day = int64_t(whole);
  if (seconds >= 86400) {
    seconds -= 86400;
    ++day;
  }
  DateTimeParts p;
  CivilFromDays(day - kEpochOffset, p.year, p.month, p.day);
  p.hour = int(seconds / 3600);
  p.minute = int(seconds / 60 % 60);
  p.second = int(seconds % 60);
  return p;
}

double MakeDateTime(const DateTimeParts& p) {
  const double day = double(DaysFromCivil(p.year, p.month, p.day) + kEpochOffset);
  const double fraction = (p.hour * 3600.0 + p.minute * 60.0 + p.second) / 86400.0;
  return day >= 0 ? day + fraction : day - fraction;
}

}  // namespace rt
