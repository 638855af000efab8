#include "stage/stage_fonts.h"

#include <cmath>
#include <cstring>

#include "platform/text.h"

namespace stage {

platform::LogFont LogFontFromValue(const rt::FontValue& f) {
  platform::LogFont lf;
  const int size = f.size < 0 ? 0 : f.size;
  lf.height = -int(std::lround(double(size) * platform::kDotsPerInch / 72.0));
  lf.weight = f.bold ? 700 : 0;
  lf.italic = f.italic;
  lf.underline = f.underline;
  lf.strikeOut = f.strikeOut;
  const int angle = ((f.angle % 3600) + 3600) % 3600;
  lf.escapement = lf.orientation = angle;
  const std::string face =
      (!f.face.empty() && f.face.size() < 32) ? f.face : platform::gbk("宋体");
  std::memcpy(lf.faceName, face.data(), std::min(face.size(), sizeof(lf.faceName) - 1));
  return lf;
}

rt::FontValue ValueFromLogFont(const platform::LogFont& lf) {
  rt::FontValue f;
  f.angle = lf.escapement;
  f.bold = lf.weight >= 700;
  f.italic = lf.italic != 0;
  f.underline = lf.underline != 0;
  f.strikeOut = lf.strikeOut != 0;
  const int h = lf.height < 0 ? -lf.height : lf.height;
  f.size = int(std::lround(double(h) * 72.0 / platform::kDotsPerInch));
  f.face.assign(lf.faceName, strnlen(lf.faceName, sizeof(lf.faceName)));
  return f;
}

std::vector<uint8_t> LogFontBytes(const platform::LogFont& lf) {
  std::vector<uint8_t> out(sizeof(lf));
  std::memcpy(out.data(), &lf, sizeof(lf));
  return out;
}

bool ReadLogFont(const std::vector<uint8_t>& bytes, platform::LogFont& out) {
  if (bytes.size() != sizeof(platform::LogFont)) return false;
  std::memcpy(&out, bytes.data(), sizeof(out));
  out.faceName[sizeof(out.faceName) - 1] = 0;
  return true;
}

}  // namespace stage
