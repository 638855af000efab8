// The stage uses the form runtime and the platform, but SDL only through the platform.
#include <SDL2/SDL.h>
#include <vector>
#include "runtime/forms/component.h"
#include "platform/host.h"
#include "sprite.h"
