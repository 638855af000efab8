// Pictures and sound share a rank and stay apart.
#include "runtime/sound/sound.h"
#include "runtime/values/values.h"
