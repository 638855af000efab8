#include "runtime/forms/font_value.h"

#include <cstring>

#include "platform/text.h"

namespace rt {

namespace {
constexpr size_t kMaxFaceBytes = 31;
}

FontValue NormaliseFont(FontValue f) {
  f.angle %= 3600;
  if (f.size < 0) f.size = 0;
  if (f.face.empty() || f.face.size() > kMaxFaceBytes) f.face = platform::gbk("宋体");
  return f;
}

platform::LogFont LogFontFromFont(const FontValue& value) {
  FontValue f = NormaliseFont(value);
  platform::LogFont lf;
  lf.height = -int32_t(int64_t(f.size) * platform::kDotsPerInch / 72);
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
  f.angle = lf.escapement % 3600;
  f.bold = lf.weight >= 700;
  f.italic = lf.italic != 0;
  f.underline = lf.underline != 0;
  f.strikeOut = lf.strikeOut != 0;
  int64_t h = lf.height < 0 ? -int64_t(lf.height) : int64_t(lf.height);
  f.size = int((h * 72 + platform::kDotsPerInch / 2) / platform::kDotsPerInch);
  f.face.assign(lf.faceName, strnlen(lf.faceName, sizeof lf.faceName));
  return NormaliseFont(f);
}

}  // namespace rt
