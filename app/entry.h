// The program's entry after the command line is parsed and the host is up: runs the
// game's start-up and message loop and returns the exit code.
#pragma once

namespace app {

int RunGame();
// A plain 640 x 480 window in the button-face colour with the message loop; Esc or
// closing it ends the run. Stands in for the game until its start-up is wired here.
int RunPlaceholderWindow();

}  // namespace app
