// The host implementations, as the host selection sees them.
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
// The browser's host (platform/host_web.cpp), in the Emscripten build.
std::unique_ptr<Host> MakeWebHost();
// The window that stands for the program: the first shown top-level window, by creation
// order (the game's main window), or 0.
HWND FirstShownTopLevel();

}  // namespace platform::detail

namespace platform::detail {

// SDL key symbol (SDL_Keycode) -> virtual-key code; 0 for keys the desktop ignores.
int VirtualKeyFromSdl(int32_t sdlKeycode);
// The host lost the keyboard: every key it still reports as held goes up, so nothing
// stays pressed forever in the game.
void ReleaseAllInputKeys();

}  // namespace platform::detail
