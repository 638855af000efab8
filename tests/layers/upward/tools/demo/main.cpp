// A tool may use the stage but not the program or the game.
#include "stage/sprite.h"
#include "app/options.h"
