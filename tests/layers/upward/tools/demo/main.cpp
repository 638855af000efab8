// A tool may use the stage but not the program or the game.
#include "stage/pictures/sprite.h"
#include "app/options.h"
