// The field table of a component kind: one row per own field, in stored order, giving
// the name form sources use for it, its kind, the own property it is read and written
// as, and the first block version that stores it; its default is the settings struct's
// initial value. The stored-block reader and writer, the property registration and the
// form builder all work from this one table, so a field is added by adding its row (and
// the struct member the row names).
//
// An own block is a version word followed by the fields in stored order: the word kinds
// as 32-bit little-endian words, the others as length-prefixed bytes.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "runtime/forms/component.h"
#include "runtime/forms/form_description.h"

namespace rt {

enum class FieldKind { Int, Colour, Bool, Text, Bytes, Font };
constexpr bool IsWordKind(FieldKind k) {
  return k == FieldKind::Int || k == FieldKind::Colour || k == FieldKind::Bool;
}

// One field's value as stored: a word, or the bytes of a length-prefixed block.
struct StoredValue {
  int64_t word = 0;
  std::vector<uint8_t> bytes;
};

// What a block that ends before its last field gives.
enum class CutShort {
  KeepsWhatWasRead,  // the fields read so far stand, the rest keep their defaults
  Refused,           // nothing: the unit is not created
};

struct FieldFacts {
  std::string_view name;  // as form sources name it
  FieldKind kind;
  int property;           // own property number (property index - 8)
  int propType;           // PropType
  uint32_t since = 1;     // the first block version that stores it
};

struct EventFacts {
  std::string_view name;
  int32_t index;
};

// A component kind's stored facts, for code that knows no settings struct.
struct UnitKindFacts {
  std::string_view englishName;  // as form sources name the kind
  uint32_t typeCode = 0;
  uint32_t version = 1;          // the version written; a higher one is refused
  uint32_t defaultFlags = 0;     // the record's flags when a source gives none
  CutShort cutShort = CutShort::KeepsWhatWasRead;
  std::vector<FieldFacts> fields;     // in stored order
  std::vector<StoredValue> defaults;  // one per field
  std::vector<EventFacts> events;     // own events by name
};

// The whole property table of the kind: the eight common properties, then the own ones
// by property number.
std::vector<PropertyInfo> PropertyTableOf(const UnitKindFacts& kind);
// A registration with the kind's names, type code and property table; the caller adds
// the display name, the flags and the create operation.
UnitType UnitTypeOf(const UnitKindFacts& kind);

// A block at the kind's version, of one value per field.
std::vector<uint8_t> WriteStoredBlock(const UnitKindFacts& kind, std::span<const StoredValue> values);

struct StoredBlock {
  uint32_t version = 0;
  std::vector<StoredValue> values;  // one per field; the defaults where the block has none
};
// nullopt for a version above the kind's, or a block cut short of a kind that refuses
// that. An empty block gives the defaults at the kind's version.
std::optional<StoredBlock> ReadStoredBlock(const UnitKindFacts& kind, std::span<const uint8_t> block);

// ---- a kind's table over its settings struct S ----------------------------------------

template <class S>
struct Field {
  using Member = std::variant<int32_t S::*, uint32_t S::*, bool S::*, std::string S::*,
                              std::vector<uint8_t> S::*>;
  template <class M>
  Field(std::string_view name, FieldKind kind, int property, int propType, M S::*member,
        uint32_t since = 1)
      : facts{name, kind, property, propType, since}, member(member), get(&GetAs<M>),
        set(&SetAs<M>) {}
  FieldFacts facts;
  Member member;
  StoredValue (*get)(const S& s, const Member& member);
  void (*set)(S& s, const Member& member, StoredValue v);

 private:
  // One pair per member type, so that only the member's own type is ever accessed.
  template <class M>
  static StoredValue GetAs(const S& s, const Member& member) {
    const M& m = s.*std::get<M S::*>(member);
    StoredValue v;
    if constexpr (std::is_same_v<M, std::string>) v.bytes.assign(m.begin(), m.end());
    else if constexpr (std::is_same_v<M, std::vector<uint8_t>>) v.bytes = m;
    else v.word = int64_t(m);
    return v;
  }
  template <class M>
  static void SetAs(S& s, const Member& member, StoredValue v) {
    M& m = s.*std::get<M S::*>(member);
    if constexpr (std::is_same_v<M, std::string>) m.assign(v.bytes.begin(), v.bytes.end());
    else if constexpr (std::is_same_v<M, std::vector<uint8_t>>) m = std::move(v.bytes);
    else if constexpr (std::is_same_v<M, bool>) m = v.word != 0;
    else m = M(v.word);
  }
};

template <class S>
class FieldTable {
 public:
  struct Kind {
    std::string_view englishName;
    uint32_t typeCode;
    uint32_t version;
    uint32_t defaultFlags;
    CutShort cutShort;
  };
  FieldTable(Kind kind, std::initializer_list<Field<S>> fields,
             std::initializer_list<EventFacts> events = {})
      : fields_(fields) {
    facts_.englishName = kind.englishName;
    facts_.typeCode = kind.typeCode;
    facts_.version = kind.version;
    facts_.defaultFlags = kind.defaultFlags;
    facts_.cutShort = kind.cutShort;
    facts_.events.assign(events.begin(), events.end());
    const S defaults{};
    for (const Field<S>& f : fields_) {
      facts_.fields.push_back(f.facts);
      facts_.defaults.push_back(f.get(defaults, f.member));
    }
  }

  const UnitKindFacts& Facts() const { return facts_; }

  std::vector<uint8_t> Write(const S& s) const {
    std::vector<StoredValue> values;
    for (const Field<S>& f : fields_) values.push_back(f.get(s, f.member));
    return WriteStoredBlock(facts_, values);
  }
  // The settings of a block, with the version it was stored at; nullopt as for
  // ReadStoredBlock.
  std::optional<std::pair<S, uint32_t>> Read(std::span<const uint8_t> block) const {
    auto stored = ReadStoredBlock(facts_, block);
    if (!stored) return std::nullopt;
    S s{};
    for (size_t i = 0; i < fields_.size(); ++i)
      fields_[i].set(s, fields_[i].member, std::move(stored->values[i]));
    return std::pair{std::move(s), stored->version};
  }
  std::optional<S> ReadSettings(std::span<const uint8_t> block) const {
    auto read = Read(block);
    if (!read) return std::nullopt;
    return std::move(read->first);
  }

 private:
  std::vector<Field<S>> fields_;
  UnitKindFacts facts_;
};

}  // namespace rt
