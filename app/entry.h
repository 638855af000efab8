// The program's entry after the command line is parsed and the host is up: runs the
// game's start-up and message loop and returns the exit code.
#pragma once

namespace app {

int RunGame();

}  // namespace app
