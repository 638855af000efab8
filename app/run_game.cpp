#include "app/entry.h"

namespace app {

// FIXME: call the game's start-up here once the form runtime can load the game form.
int RunGame() { return RunPlaceholderWindow(); }

}  // namespace app
