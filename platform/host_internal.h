// The two host implementations, as the host selection sees them.
#pragma once
#include <memory>
#include <string>

#include "platform/host.h"

namespace platform::detail {

std::unique_ptr<Host> MakeHeadlessHost();
// nullptr with `error` set (one line) when SDL cannot open a display.
std::unique_ptr<Host> MakeSdlHost(const HostOptions& options, std::string& error);
// Ends SDL before the process exits (no-op when the SDL host never started).
void ShutdownSdl();

}  // namespace platform::detail

namespace platform::detail {

// SDL key symbol (SDL_Keycode) -> virtual-key code; 0 for keys the desktop ignores.
int VirtualKeyFromSdl(int32_t sdlKeycode);
// The host lost the keyboard: every key it still reports as held goes up, so nothing
// stays pressed forever in the game.
void ReleaseAllInputKeys();

}  // namespace platform::detail
