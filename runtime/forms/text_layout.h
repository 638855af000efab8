// Breaking GBK text into lines for drawing.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "platform/draw.h"

namespace rt {

// Length in bytes of the GBK character at the start of `s` (1 or 2).
size_t GbkCharLength(std::string_view s);

// Removes single '&' (mnemonic markers) and turns "&&" into '&'.
std::string StripMnemonics(std::string_view gbk);

// Splits at line feeds (a carriage return before one is dropped) and, when `wrap` is
// set and `width` > 0, breaks lines that are wider than `width` in the DC's font: after
// the last blank that fits, else between characters (never inside one).
std::vector<std::string> LayoutLines(platform::DC& dc, std::string_view gbk, int width, bool wrap);

}  // namespace rt
