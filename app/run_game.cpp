#include "app/entry.h"
#include "app/options.h"
#include "game/startup.h"
#include "game/state.h"
#include "platform/host.h"
#include "runtime/forms/runtime.h"
#ifdef __EMSCRIPTEN__
#include "platform/web.h"
#endif

namespace app {

int RunGame() {
  const CommandLine& cl = GetCommandLine();
  if (!cl.dumpStatePath.empty()) game::SetDumpStatePath(cl.dumpStatePath);
  // --run-for ends the game as closing it would: the cleanup runs (and writes the dump).
  platform::SetRunForHandler([] { rt::EndProgram(0); });
  // A display that went away ends the game too, with status 1, once the sound is off.
  platform::SetDisplayLostHandler([] { rt::EndProgram(1); });
#ifdef __EMSCRIPTEN__
  // The page's dumpState(): what --dump-state would write, at the moment it is asked.
  platform::SetStateDumper(game::DumpStateJson);
#endif
  const int code = game::GameMain();
  rt::EndProgram(code);
}

}  // namespace app
