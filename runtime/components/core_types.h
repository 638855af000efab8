// The runtime's core component types: `window` and `HyperLinker` from this library,
// `Label` and `Timer` from the form runtime.
#pragma once

namespace rt {

// Registers all four; call after InitRuntime (or before; repeating is harmless).
void RegisterCoreUnitTypes();

}  // namespace rt
