#include "runtime/forms/font_value.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "platform/text.h"

namespace rt {

namespace {
constexpr size_t kMaxFaceBytes = 31;
constexpr int kTenthsPerTurn = 3600;

int NormaliseAngle(int tenths) {
  return ((tenths % kTenthsPerTurn) + kTenthsPerTurn) % kTenthsPerTurn;
}

// value x numerator / denominator rounded half up; value is never negative here, and a
// result beyond the record's 32 bits is held at its largest value.
int32_t RoundedRatio(int64_t value, int64_t numerator, int64_t denominator) {
  return int32_t(std::min<int64_t>((value * numerator + denominator / 2) / denominator,
                                   std::numeric_limits<int32_t>::max()));
}
}  // namespace

FontValue NormaliseFont(FontValue f) {
  f.angle = NormaliseAngle(f.angle);
  if (f.size < 0) f.size = 0;
  if (f.face.empty() || f.face.size() > kMaxFaceBytes) f.face = platform::gbk("宋体");
  return f;
}

platform::LogFont LogFontFromFont(const FontValue& value) {
  const FontValue f = NormaliseFont(value);
  platform::LogFont lf;
  lf.height = -RoundedRatio(f.size, platform::kDotsPerInch, 72);
  lf.escapement = f.angle;
  lf.orientation = f.angle;
  lf.weight = f.bold ? 700 : 400;
  lf.italic = f.italic;
  lf.underline = f.underline;
  lf.strikeOut = f.strikeOut;
  std::memcpy(lf.faceName, f.face.data(), f.face.size());
  lf.faceName[f.face.size()] = 0;
  return lf;
}

FontValue FontFromLogFont(const platform::LogFont& lf) {
  FontValue f;
  f.angle = lf.escapement;
  f.bold = lf.weight >= 700;
  f.italic = lf.italic != 0;
  f.underline = lf.underline != 0;
  f.strikeOut = lf.strikeOut != 0;
  const int64_t h = lf.height < 0 ? -int64_t(lf.height) : int64_t(lf.height);
  f.size = RoundedRatio(h, 72, platform::kDotsPerInch);
  f.face.assign(lf.faceName, strnlen(lf.faceName, sizeof lf.faceName));
  return NormaliseFont(f);
}

}  // namespace rt
