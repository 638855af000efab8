// The value runtime: type codes, GBK texts, byte sets, checked arrays, the argument
// records of command calls, the runtime heap with its read-only constant ranges, and
// the runtime error report. Lowest layer of the runtime; knows nothing of windows.
//
// NOTE for the first implementer: the declarations below are the contract the layers
// above are already written against; extend freely, keep these signatures.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace rt {

// ---- type codes ------------------------------------------------------------------------
enum TypeCode : uint32_t {
  kTypeByte = 0x80000101,
  kTypeShort = 0x80000201,
  kTypeInt = 0x80000301,
  kTypeInt64 = 0x80000401,
  kTypeFloat = 0x80000501,
  kTypeDouble = 0x80000601,
  kTypeBool = 0x80000002,
  kTypeDateTime = 0x80000003,
  kTypeText = 0x80000004,
  kTypeBytes = 0x80000005,
  kTypeSubroutine = 0x80000006,
  kTypeArrayFlag = 0x20000000,
};

// ---- argument records and command calls ------------------------------------------------
// One typed argument (or result). The value is 64 bits wide: the low half holds 32-bit
// values (and a component reference's window id), the high half the upper word (and a
// component reference's component id); addresses of texts, byte sets and arrays use
// all 64 bits on this platform. type 0 marks an omitted optional argument.
struct ArgRecord {
  uint64_t value = 0;
  uint32_t type = 0;
  uint32_t reserved = 0;
  uint32_t Low() const { return uint32_t(value); }
  uint32_t High() const { return uint32_t(value >> 32); }
};
using CommandRoutine = void (*)(ArgRecord* result, int argc, ArgRecord* args);

// ---- runtime errors ------------------------------------------------------------------
// Shows the report box ("错误") and ends the program with exit code -1, cleanup not run.
[[noreturn]] void RuntimeError(int code);
// A component's own message (GBK), reported without a code.
[[noreturn]] void RuntimeErrorMessage(std::string_view gbkMessage);
// The text of the report (GBK) for a code (0: none) and/or a message; what the box shows.
std::string ComposeErrorReport(int code, std::string_view gbkMessage);

// The form runtime installs its orderly end (EndProgram) and its exit counter here, so
// the value layer need not know about windows. Until then errors exit directly.
struct ErrorHooks {
  void (*incrementExitCounter)() = nullptr;
  void (*forgetCleanup)() = nullptr;
  [[noreturn]] void (*endProgram)(int code) = nullptr;
};
void SetErrorHooks(const ErrorHooks& hooks);

// ---- conversions --------------------------------------------------------------------
int64_t DoubleToInt(double d);  // truncation toward zero

}  // namespace rt
