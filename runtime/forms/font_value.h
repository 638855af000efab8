// The `font` value and the 60-byte logical-font record it becomes when drawn.
#pragma once
#include "platform/draw.h"
#include "runtime/forms/component.h"

namespace rt {

// Angle taken modulo 3600, a negative size as 0, an empty face or one longer than 31
// bytes as "宋体".
FontValue NormaliseFont(FontValue f);
// Height -(size x 96 / 72), weight 700 when bold.
platform::LogFont LogFontFromFont(const FontValue& f);
FontValue FontFromLogFont(const platform::LogFont& lf);

}  // namespace rt
