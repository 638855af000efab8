#include "game/startup.h"

#include <cfenv>

#include "game/form_ids.h"
#include "game/state.h"
#include "runtime/components/core_types.h"
#include "runtime/forms/runtime.h"
#include "stage/cartoon_box.h"
#include "tv_game_form.h"

namespace game {

int GameMain() {
  rt::InitRuntime(FormProgram());
  std::fesetenv(FE_DFL_ENV);
  rt::RegisterCoreUnitTypes();
  stage::RegisterStageUnitTypes();
  CreateGameState();
  rt::RegisterCleanup(ReleaseGameState);
  rt::LoadWindow(GameForm);
  rt::RunMessageLoop();
  return 0;
}

}  // namespace game
