#include "runtime/components/core_types.h"

#include "runtime/components/hyperlinker.h"
#include "runtime/components/window_component.h"
#include "runtime/forms/runtime.h"

namespace rt {

void RegisterCoreUnitTypes() {
  RegisterFormUnitTypes();
  RegisterUnitType(WindowUnitType());
  RegisterUnitType(HyperLinkerUnitType());
}

}  // namespace rt
