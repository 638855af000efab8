// Reading a command's argument records by position. Every command routine, general or
// a component's, decodes its records through this one reader, so an omitted optional
// argument (type 0, or a record beyond argc) reads the same way everywhere: as the
// fallback the command gives it.
#pragma once
#include <optional>
#include <span>
#include <string_view>

#include "runtime/values/values.h"

namespace rt {

class ArgList {
 public:
  ArgList(int argc, const ArgRecord* args) : argc_(argc > 0 ? argc : 0), args_(args) {}

  int Count() const { return argc_; }
  // The records from position `first` on (a component's command skips its reference).
  ArgList From(int first) const {
    return first >= argc_ ? ArgList(0, nullptr) : ArgList(argc_ - first, args_ + first);
  }

  // The record at i; an absent record (type 0) beyond the end.
  const ArgRecord& operator[](int i) const {
    static const ArgRecord kAbsent{};
    return i >= 0 && i < argc_ ? args_[i] : kAbsent;
  }
  bool Has(int i) const { return Present((*this)[i]); }

  // Numbers convert by their type code (a text or other non-number is the runtime's
  // "not numeric" error, as in every command call); absent arguments take the fallback.
  int32_t Int(int i, int32_t fallback = 0) const { return Has(i) ? IntArg((*this)[i]) : fallback; }
  std::optional<int32_t> OptInt(int i) const {
    return Has(i) ? std::optional<int32_t>(IntArg((*this)[i])) : std::nullopt;
  }
  double Number(int i, double fallback = 0.0) const {
    return Has(i) ? NumberArg((*this)[i]) : fallback;
  }
  bool Bool(int i, bool fallback = false) const { return Has(i) ? AsBool((*this)[i]) : fallback; }
  // Texts and byte sets are views of the caller's blocks, valid for the call.
  std::string_view Text(int i) const { return Has(i) ? TextView(AsText((*this)[i])) : std::string_view(); }
  std::span<const uint8_t> Bytes(int i) const {
    return Has(i) ? BytesView(AsAddress((*this)[i])) : std::span<const uint8_t>();
  }

 private:
  int argc_;
  const ArgRecord* args_;
};

}  // namespace rt
