// The component kinds the builder knows: their field tables, taken from the components
// themselves, so the builder writes each own block as the runtime reads it.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/forms/stored_fields.h"

namespace formbuild {

// Every kind, in a fixed order.
const std::vector<const rt::UnitKindFacts*>& KnownTypes();
// By its English name, in any case; nullptr when unknown.
const rt::UnitKindFacts* FindType(std::string_view name);
// The common events every window component has (KeyDown -9 ...).
int32_t CommonEventIndex(std::string_view name, bool& found);
bool SameName(std::string_view a, std::string_view b);  // ignoring ASCII case

}  // namespace formbuild
