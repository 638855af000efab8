// A small form built by tolvaran-formbuild: a window with a coloured client area, a
// label, a hyperlink and a timer. Shows the form runtime end to end.
#pragma once

namespace formdemo {

inline constexpr unsigned kDemoWindowId = 0x52020001;

// Starts the runtime with the demo form and runs it until the window is closed; the
// host must already be started (platform::Init). Does not return: the program ends
// through rt::EndProgram.
[[noreturn]] void RunDemoForm();

}  // namespace formdemo

// The entry the app can call, like the game's.
int RunDemoForm();
