#include "game/startup.h"

#include <cfenv>

#include "game/form_ids.h"
#include "game/state.h"
#include "runtime/components/core_types.h"
#include "runtime/forms/runtime.h"
#include "stage/component/cartoon_box.h"
#include "tv_game_form.h"

namespace game {

int GameMain() {
  rt::InitRuntime(FormProgram());
  // Positions are computed in double precision, truncated toward zero and compared with
  // a 1e-7 tolerance; that holds only under the default environment (round to nearest,
  // no traps), whatever a library initialised before us (a sound or video driver) left.
  std::fesetenv(FE_DFL_ENV);
  rt::RegisterCoreUnitTypes();
  stage::RegisterStageUnitTypes();
  CreateGameState();
  rt::RegisterCleanup(ReleaseGameState);
  rt::LoadWindow(form::GameForm);
  rt::RunMessageLoop();
  return 0;
}

}  // namespace game
