// The form description: the compiled-in block that describes every window of the program
// with its units (the window itself and its components), their geometry, flags, event
// wiring and own property blocks. This file pair is pure data handling (no windows), so
// the form builder tool compiles it on its own.
//
// Layout of a whole description (all integers 32-bit little-endian):
//
//   window count W
//   W times:
//     window id
//     record count R            (the window's own record first, then one per component)
//     data-area size D
//     R record keys             (first the window record's key, then the component ids)
//     R record offsets          (from the start of this window's data area)
//     D bytes of data area      (the records)
//
// A record at its offset is a 32-bit length L followed by L bytes of content:
//
//   TypeCode
//   20 reserved bytes
//   name (zero-terminated GBK), second text (zero-terminated)
//   live-object slot (0 when stored)
//   left, top, width, height
//   event link: id of a unit of the same window whose event table this one uses (0: own)
//   container id (0: the window)
//   F, then F component ids
//   a length-prefixed block (4 bytes as stored)
//   remark (zero-terminated)
//   three words; the second is the flags word (bit 0 visible, 1 disabled, 2 tab stop)
//   N, then N pairs (signed event index, handler reference; -1 = no handler)
//   20 reserved bytes
//   the own property block: everything up to the record's end
//
// Handler references are offsets into the program's handler table, counted in entries.
#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace rt {

enum UnitFlags : uint32_t {
  kUnitVisible = 1u << 0,
  kUnitDisabled = 1u << 1,
  kUnitTabStop = 1u << 2,
};

inline constexpr int32_t kNoHandler = -1;

struct EventBinding {
  int32_t eventIndex = 0;
  int32_t handlerRef = kNoHandler;
  friend bool operator==(const EventBinding&, const EventBinding&) = default;
};

struct UnitRecord {
  uint32_t key = 0;  // the window id for the window's record, else the component id
  uint32_t typeCode = 0;
  std::string name;   // GBK
  std::string name2;  // GBK, empty as stored
  int32_t left = 0, top = 0, width = 0, height = 0;
  uint32_t eventLink = 0;
  uint32_t container = 0;
  std::vector<uint32_t> followIds;
  std::vector<uint8_t> extraBlock{0, 0, 0, 0};
  std::string remark;  // GBK, design-time comment
  uint32_t words[3] = {0, 0, 0};
  std::vector<EventBinding> events;
  std::vector<uint8_t> ownBlock;

  uint32_t Flags() const { return words[1]; }
  void SetFlags(uint32_t f) { words[1] = f; }
  friend bool operator==(const UnitRecord&, const UnitRecord&) = default;
};

struct WindowDescription {
  uint32_t windowId = 0;
  std::vector<UnitRecord> records;  // records[0] is the window itself
  friend bool operator==(const WindowDescription&, const WindowDescription&) = default;
};

// Reads a whole description. nullopt when it is truncated or inconsistent: offsets or
// lengths past the end, counts that cannot fit, bytes left over, duplicate window ids or
// record keys, a window without records. Never reads outside `bytes`.
std::optional<std::vector<WindowDescription>> ParseFormDescription(std::span<const uint8_t> bytes);

// One record's content (without its length prefix).
std::optional<UnitRecord> ParseUnitRecord(std::span<const uint8_t> content);

std::vector<uint8_t> EncodeFormDescription(const std::vector<WindowDescription>& windows);
std::vector<uint8_t> EncodeUnitRecord(const UnitRecord& record);

}  // namespace rt
