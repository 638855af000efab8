// The game's entry point: runtime start, state, cleanup, the start window, the loop.
#pragma once

namespace game {

// Returns 0 when the message loop ends (the program then ends in order).
int GameMain();

}  // namespace game
