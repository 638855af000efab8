// The `font` value and the 60-byte logical-font record it becomes when drawn. Labels,
// hyperlinks, the stage and its objects all convert through these two functions, so a
// font set anywhere measures and draws the same everywhere.
#pragma once
#include "platform/draw.h"
#include "runtime/forms/component.h"

namespace rt {

// Angle taken modulo 3600 into 0..3599, a negative size as 0, an empty face or one
// longer than 31 bytes as "宋体".
FontValue NormaliseFont(FontValue f);
// Height -(size x 96 / 72) rounded to the nearest pixel, weight 700 when bold and 400
// otherwise, escapement and orientation both the angle.
platform::LogFont LogFontFromFont(const FontValue& f);
// The inverse: size from the height's magnitude, rounded to the nearest point.
FontValue FontFromLogFont(const platform::LogFont& lf);

}  // namespace rt
