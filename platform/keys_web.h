// The page's keys (KeyboardEvent.code, the key's place on a US keyboard) to the desktop's
// virtual-key codes: the SDL host's key table, for the browser.
#pragma once
#include <string_view>

namespace platform::detail {

// 0 for keys the desktop ignores.
int VirtualKeyFromDomCode(std::string_view code);

}  // namespace platform::detail
