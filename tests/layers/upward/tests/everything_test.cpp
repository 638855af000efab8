// Tests may use every layer.
#include "app/options.h"
#include "game/state.h"
#include "tools/demo/main.h"
