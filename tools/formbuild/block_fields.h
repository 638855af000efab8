// The own property blocks the builder writes, per unit type: a version, 32-bit settings
// in stored order, then length-prefixed texts, byte blocks and fonts in stored order.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace formbuild {

enum class FieldKind { Int, Colour, Bool, Text, Bytes, Font };

struct Field {
  const char* name;
  FieldKind kind;
  int64_t defaultValue = 0;  // for the 32-bit kinds
};

struct TypeInfo {
  const char* name;        // English type name as written in sources
  uint32_t typeCode;
  uint32_t version;        // written as the block's first word
  uint32_t defaultFlags;   // flags word when the source gives none
  std::vector<Field> fields;
  std::vector<std::pair<const char*, int32_t>> events;  // own events by name
};

// Every type the builder knows, in a fixed order.
const std::vector<TypeInfo>& KnownTypes();
const TypeInfo* FindType(const std::string& name);
// The common events every window component has (KeyDown -9 ...).
int32_t CommonEventIndex(const std::string& name, bool& found);

}  // namespace formbuild
