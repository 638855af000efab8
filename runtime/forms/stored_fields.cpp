#include "runtime/forms/stored_fields.h"

#include "platform/byte_reader.h"

namespace rt {

std::vector<PropertyInfo> PropertyTableOf(const UnitKindFacts& kind) {
  std::vector<int> types(kind.fields.size(), 0);
  for (const FieldFacts& f : kind.fields) types.at(size_t(f.property)) = f.propType;
  std::vector<PropertyInfo> table = PropertyTable({});
  for (int type : types) table.push_back({type, 0x8000});
  return table;
}

UnitType UnitTypeOf(const UnitKindFacts& kind) {
  UnitType t;
  t.englishName = std::string(kind.englishName);
  t.typeCode = kind.typeCode;
  t.properties = PropertyTableOf(kind);
  return t;
}

std::vector<uint8_t> WriteStoredBlock(const UnitKindFacts& kind, std::span<const StoredValue> values) {
  platform::ByteWriter w;
  w.U32Le(kind.version);
  for (size_t i = 0; i < kind.fields.size(); ++i) {
    if (IsWordKind(kind.fields[i].kind)) w.U32Le(uint32_t(values[i].word));
    else w.LengthPrefixed(values[i].bytes);
  }
  return std::move(w.Data());
}

// The reader is sticky: after the first read past the end every read fails, so one check
// after each field finds where a block was cut.
std::optional<StoredBlock> ReadStoredBlock(const UnitKindFacts& kind, std::span<const uint8_t> block) {
  StoredBlock out{kind.version, kind.defaults};
  if (block.empty()) return out;
  platform::ByteReader r(block);
  out.version = r.U32Le();
  if (!r.Ok() || out.version > kind.version) return std::nullopt;
  for (size_t i = 0; i < kind.fields.size(); ++i) {
    const FieldFacts& f = kind.fields[i];
    // An older block lacks the field, which keeps its default; the first fields are in
    // every version.
    if (f.since > 1 && out.version < f.since) continue;
    StoredValue v;
    if (IsWordKind(f.kind)) {
      v.word = f.kind == FieldKind::Colour ? int64_t(r.U32Le()) : int64_t(r.I32Le());
    } else {
      auto bytes = r.LengthPrefixed();
      v.bytes.assign(bytes.begin(), bytes.end());
    }
    if (!r.Ok()) {
      if (kind.cutShort == CutShort::Refused) return std::nullopt;
      return out;
    }
    out.values[i] = std::move(v);
  }
  return out;
}

}  // namespace rt
