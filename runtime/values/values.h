// The value runtime: type codes, GBK texts, byte sets, checked arrays, the argument
// records of command calls, the runtime heap with its read-only constant ranges, and
// the runtime error report. Lowest layer of the runtime; knows nothing of windows.
//
// Memory layouts on this (64-bit) platform:
//   text      char*, zero-terminated GBK; null is the empty text.
//   byte set  heap block {int32 dims = 1, int32 length > 0, bytes}; null is empty.
//   array     heap block {int32 N, int32 size[N], elements}; null has no elements.
//             Numbers and bools are stored in place; texts, byte sets, arrays and
//             records are stored as addresses, which are 8 bytes wide here
//             (kAddressSize), not 4 as on the 32-bit desktop the layouts come from.
//   argument  ArgRecord, 16 bytes: a 64-bit value, the type code, a spare word.
#pragma once
#include <bit>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
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

inline constexpr size_t kAddressSize = sizeof(void*);

constexpr bool IsArrayType(uint32_t type) { return (type & kTypeArrayFlag) != 0; }
constexpr uint32_t ElementTypeOf(uint32_t arrayType) { return arrayType & ~uint32_t(kTypeArrayFlag); }
constexpr bool IsNumericType(uint32_t type) {
  return type == kTypeByte || type == kTypeShort || type == kTypeInt || type == kTypeInt64 ||
         type == kTypeFloat || type == kTypeDouble;
}
// Bytes one value of the type takes in an array (address-sized for texts, byte sets,
// subroutines, arrays, records and component references' blocks).
size_t ElementSizeOf(uint32_t type);

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
static_assert(sizeof(ArgRecord) == 16);
using CommandRoutine = void (*)(ArgRecord* result, int argc, ArgRecord* args);

// Building records. Float and int-sized values sit in the low half, zero-extended.
inline ArgRecord ArgAbsent() { return {}; }
inline ArgRecord ArgByte(uint8_t v) { return {v, kTypeByte}; }
inline ArgRecord ArgShort(int16_t v) { return {uint16_t(v), kTypeShort}; }
inline ArgRecord ArgInt(int32_t v) { return {uint32_t(v), kTypeInt}; }
inline ArgRecord ArgInt64(int64_t v) { return {uint64_t(v), kTypeInt64}; }
inline ArgRecord ArgFloat(float v) { return {std::bit_cast<uint32_t>(v), kTypeFloat}; }
inline ArgRecord ArgDouble(double v) { return {std::bit_cast<uint64_t>(v), kTypeDouble}; }
inline ArgRecord ArgBool(bool v) { return {v ? 1u : 0u, kTypeBool}; }
inline ArgRecord ArgDateTime(double days) { return {std::bit_cast<uint64_t>(days), kTypeDateTime}; }
inline ArgRecord ArgText(const char* text) { return {uint64_t(uintptr_t(text)), kTypeText}; }
inline ArgRecord ArgBytes(const void* byteSet) { return {uint64_t(uintptr_t(byteSet)), kTypeBytes}; }
inline ArgRecord ArgArray(const void* block, uint32_t elementType) {
  return {uint64_t(uintptr_t(block)), elementType | kTypeArrayFlag};
}
inline ArgRecord ArgComponent(uint32_t windowId, uint32_t componentId, uint32_t typeCode) {
  return {uint64_t(windowId) | (uint64_t(componentId) << 32), typeCode};
}

// Reading records.
inline bool Present(const ArgRecord& a) { return a.type != 0; }
inline int32_t AsInt(const ArgRecord& a) { return int32_t(a.Low()); }
inline int64_t AsInt64(const ArgRecord& a) { return int64_t(a.value); }
inline bool AsBool(const ArgRecord& a) { return a.Low() != 0; }
inline double AsDouble(const ArgRecord& a) { return std::bit_cast<double>(a.value); }
inline float AsFloat(const ArgRecord& a) { return std::bit_cast<float>(a.Low()); }
inline void* AsAddress(const ArgRecord& a) { return reinterpret_cast<void*>(uintptr_t(a.value)); }
// A text argument; never null (a null address reads as "").
inline const char* AsText(const ArgRecord& a) {
  const char* s = static_cast<const char*>(AsAddress(a));
  return s ? s : "";
}
// Any numeric (or bool, or date-time) record as a number, converted by its type; an
// absent record is 0. Anything else is the runtime error "欲转换数据类型不是数值".
double NumberArg(const ArgRecord& a);
// As NumberArg, truncated toward zero and saturated to the int range.
int32_t IntArg(const ArgRecord& a);

// Calls a command as game code does: the result record zeroed, the records in order.
ArgRecord CallCommand(CommandRoutine routine, std::initializer_list<ArgRecord> args);

// ---- runtime errors ------------------------------------------------------------------
// Shows the report box ("错误") and ends the program with exit code -1, cleanup not run.
[[noreturn]] void RuntimeError(int code);
// A component's own message (GBK), reported without a code.
[[noreturn]] void RuntimeErrorMessage(std::string_view gbkMessage);
// The text of the report (GBK) for a code (0: none) and/or a message; what the box shows.
std::string ComposeErrorReport(int code, std::string_view gbkMessage);
// The message of an error code (GBK); empty for an unknown code.
std::string ErrorCodeMessage(int code);

enum RuntimeErrorCode : int {
  kErrIndexTooLarge = 1,
  kErrNotNumeric = 2,
  kErrDimensionMismatch = 3,
  kErrIndexBelowOne = 4,
  kErrTypeMismatch = 5,
  kErrDllStack = 6,
  kErrSubStatementResult = 7,
  kErrCompareOnlyEqual = 8,
  kErrChoiceIndex = 9,
  kErrRedefineSize = 10,
  kErrArgumentType = 11,
};

// The form runtime installs its orderly end (EndProgram) and its exit counter here, so
// the value layer need not know about windows. Until then errors exit directly.
struct ErrorHooks {
  void (*incrementExitCounter)() = nullptr;
  void (*forgetCleanup)() = nullptr;
  void (*endProgram)(int code) = nullptr;  // does not return
};
void SetErrorHooks(const ErrorHooks& hooks);

// ---- runtime heap --------------------------------------------------------------------
// Blocks come from the process heap; contents are not cleared. Failure is the runtime
// error "分配 %d 字节内存失败!" with the size.
void* Allocate(size_t size);
// null: as Allocate. A constant block is copied into a new block (as many bytes as fit
// before the end of its constant range) and left alone; others are resized or moved.
void* Resize(void* block, size_t newSize);
// null and constant blocks are ignored.
void Free(void* block);
// The program's read-only data: blocks inside [start, end) are never freed, resized in
// place or written by the runtime.
void RegisterConstantRange(const void* start, const void* end);
bool IsConstant(const void* block);
// Copies the array variable's block to the heap when it still is constant data.
void MakeArrayWritable(size_t elementSize, void** arrayVariable);

// Tests: replace the heap (nullptr restores malloc/realloc/free) and drop the
// registered constant ranges.
struct HeapFunctions {
  void* (*allocate)(size_t) = nullptr;
  void* (*resize)(void*, size_t) = nullptr;
  void (*release)(void*) = nullptr;
};
void SetHeapForTesting(const HeapFunctions* heap);
void ClearConstantRangesForTesting();

// ---- texts -------------------------------------------------------------------------
// A fresh heap text, or null for the empty text.
char* MakeText(std::string_view gbk);
size_t TextLength(const char* text);  // 0 for null
inline std::string_view TextView(const char* text) {
  return text ? std::string_view(text) : std::string_view();
}
// Always a fresh block (at least the terminating zero); null parts count as empty.
char* ConcatTexts(std::span<const char* const> parts);
inline char* ConcatTexts(std::initializer_list<const char*> parts) {
  return ConcatTexts(std::span<const char* const>(parts.begin(), parts.size()));
}

// ---- byte sets -----------------------------------------------------------------------
// null for no bytes (and for more than an int32 length can describe).
void* MakeBytes(std::span<const uint8_t> bytes);
// The bytes of a byte set; empty for null or a block that is not a one-dimensional set.
std::span<const uint8_t> BytesView(const void* byteSet);

// ---- arrays --------------------------------------------------------------------------
// Element count (product of the dimensions; 0 for null or no dimensions) and, when
// asked, the address of the first element.
size_t ElementCount(const void* block, void** firstElement = nullptr);
size_t ArrayHeaderSize(const void* block);  // 4 + 4N (0 for null)
// A zero-filled array with the given dimensions; a negative size is runtime error 10.
void* NewArray(std::span<const int32_t> dims, size_t elementSize);
inline void* NewArray(int32_t count, size_t elementSize) {
  return NewArray(std::span<const int32_t>(&count, 1), elementSize);
}
// Redefines the variable's array as one dimension of n elements (n < 0: error 10). With
// keep, the first elements survive; new ones are zero. Elements that own blocks are the
// caller's to release before they are dropped.
void RedefineArray(void** arrayVariable, int32_t n, size_t elementSize, bool keep = false);
// The 1-based element `index` (through the flattened element number of a
// multi-dimensional array): index < 1 is runtime error 4, index > count error 1.
void* ElementAt(void* block, int64_t index, size_t elementSize);
// Elements follow a 4 + 4N byte header, so only one-dimensional arrays (and those with
// an odd N) keep 8-byte elements aligned; reach the others through ElementAt and memcpy.
template <class T>
T& At(void* block, int64_t index) {
  return *static_cast<T*>(ElementAt(block, index, sizeof(T)));
}
// Appends one element (copied from `element`, or zeroed when null); the array becomes
// one-dimensional. Returns the new element.
void* AppendElement(void** arrayVariable, const void* element, size_t elementSize);
// Removes `count` elements from the 1-based `position` (checked like ElementAt; the
// count is cut at the end). Later elements move up.
void RemoveElements(void** arrayVariable, int64_t position, int64_t count, size_t elementSize);

// ---- conversions --------------------------------------------------------------------
// Truncation toward zero. NaN is 0 and values beyond the int64 range saturate.
int64_t DoubleToInt(double d);

// Date-time: days since 30 December 1899 as a double; the time of day is the fraction's
// magnitude (so -1.25 is 29 December 1899, 06:00). Clamped to the valid range.
inline constexpr double kMinDateTime = -657434.0;  // 1 January 100
inline constexpr double kMaxDateTime = 2958465.0;  // 31 December 9999
struct DateTimeParts {
  int year = 1899, month = 12, day = 30, hour = 0, minute = 0, second = 0;
};
DateTimeParts SplitDateTime(double days);
double MakeDateTime(const DateTimeParts& parts);

}  // namespace rt
