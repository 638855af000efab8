// A value-layer file reaching up into the game.
#include "game/state.h"
