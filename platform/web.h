// What the browser build adds to the platform: the page asks the game for its state.
#pragma once
#include <functional>
#include <string>

namespace platform {

// The page's dumpState() returns what `dumper` gives, computed on the game's thread
// between two messages. Without a dumper it returns "{}".
void SetStateDumper(std::function<std::string()> dumper);

}  // namespace platform
