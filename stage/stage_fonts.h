// Font values (the runtime's seven-member `font`) to and from the 60-byte LOGFONT the
// stage stores and shares.
#pragma once
#include <cstdint>
#include <vector>

#include "platform/draw.h"
#include "runtime/forms/component.h"

namespace stage {

platform::LogFont LogFontFromValue(const rt::FontValue& f);
rt::FontValue ValueFromLogFont(const platform::LogFont& lf);
std::vector<uint8_t> LogFontBytes(const platform::LogFont& lf);
// The stored LOGFONT, or nullopt-like false when the block is not exactly 60 bytes.
bool ReadLogFont(const std::vector<uint8_t>& bytes, platform::LogFont& out);

}  // namespace stage
