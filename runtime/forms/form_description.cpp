#include "runtime/forms/form_description.h"

#include <set>

#include "platform/byte_reader.h"

namespace rt {

namespace {

constexpr size_t kReservedBytes = 20;

// Counts are checked against what is left before anything is reserved, so a count of
// four thousand million in a ten-byte description costs nothing.
bool CountFits(const platform::ByteReader& r, uint32_t count, size_t bytesPerItem) {
  return r.Ok() && count <= r.Remaining() / bytesPerItem;
}

std::optional<WindowDescription> ParseWindow(platform::ByteReader& r) {
  WindowDescription w;
  w.windowId = r.U32Le();
  uint32_t recordCount = r.U32Le();
  uint32_t dataSize = r.U32Le();
  if (!r.Ok() || recordCount == 0 || !CountFits(r, recordCount, 8)) return std::nullopt;

  std::vector<uint32_t> keys(recordCount), offsets(recordCount);
  for (auto& k : keys) k = r.U32Le();
  for (auto& o : offsets) o = r.U32Le();
  std::span<const uint8_t> data = r.Bytes(dataSize);
  if (!r.Ok()) return std::nullopt;

  std::set<uint32_t> seenKeys;
  w.records.reserve(recordCount);
  for (uint32_t i = 0; i < recordCount; ++i) {
    if (!seenKeys.insert(keys[i]).second) return std::nullopt;
    if (offsets[i] > data.size()) return std::nullopt;
    platform::ByteReader rr(data.subspan(offsets[i]));
    std::span<const uint8_t> content = rr.LengthPrefixed();
    if (!rr.Ok()) return std::nullopt;
    auto rec = ParseUnitRecord(content);
    if (!rec) return std::nullopt;
    rec->key = keys[i];
    w.records.push_back(std::move(*rec));
  }
  return w;
}

}  // namespace

std::optional<UnitRecord> ParseUnitRecord(std::span<const uint8_t> content) {
  platform::ByteReader r(content);
  UnitRecord u;
  u.typeCode = r.U32Le();
  r.Skip(kReservedBytes);
  u.name = r.CString();
  u.name2 = r.CString();
  r.U32Le();  // live-object slot: the runtime keeps live objects elsewhere
  u.left = r.I32Le();
  u.top = r.I32Le();
  u.width = r.I32Le();
  u.height = r.I32Le();
  u.eventLink = r.U32Le();
  u.container = r.U32Le();
  uint32_t followCount = r.U32Le();
  if (!CountFits(r, followCount, 4)) return std::nullopt;
  u.followIds.resize(followCount);
  for (auto& id : u.followIds) id = r.U32Le();
  auto extra = r.LengthPrefixed();
  u.extraBlock.assign(extra.begin(), extra.end());
  u.remark = r.CString();
  for (auto& word : u.words) word = r.U32Le();
  uint32_t eventCount = r.U32Le();
  if (!CountFits(r, eventCount, 8)) return std::nullopt;
  u.events.resize(eventCount);
  for (auto& e : u.events) {
    e.eventIndex = r.I32Le();
    e.handlerRef = r.I32Le();
  }
  r.Skip(kReservedBytes);
  auto own = r.Rest();
  if (!r.Ok()) return std::nullopt;
  u.ownBlock.assign(own.begin(), own.end());
  return u;
}

std::optional<std::vector<WindowDescription>> ParseFormDescription(std::span<const uint8_t> bytes) {
  platform::ByteReader r(bytes);
  uint32_t windowCount = r.U32Le();
  // The smallest window is a 12-byte header, one key, one offset and one empty record.
  if (!CountFits(r, windowCount, 24)) return std::nullopt;
  std::vector<WindowDescription> windows;
  std::set<uint32_t> seenIds;
  for (uint32_t i = 0; i < windowCount; ++i) {
    auto w = ParseWindow(r);
    if (!w || !seenIds.insert(w->windowId).second) return std::nullopt;
    windows.push_back(std::move(*w));
  }
  if (!r.Ok() || !r.AtEnd()) return std::nullopt;
  return windows;
}

std::vector<uint8_t> EncodeUnitRecord(const UnitRecord& u) {
  platform::ByteWriter w;
  w.U32Le(u.typeCode);
  w.Zeros(kReservedBytes);
  w.CString(u.name);
  w.CString(u.name2);
  w.U32Le(0);
  w.I32Le(u.left);
  w.I32Le(u.top);
  w.I32Le(u.width);
  w.I32Le(u.height);
  w.U32Le(u.eventLink);
  w.U32Le(u.container);
  w.U32Le(uint32_t(u.followIds.size()));
  for (uint32_t id : u.followIds) w.U32Le(id);
  w.LengthPrefixed(u.extraBlock);
  w.CString(u.remark);
  for (uint32_t word : u.words) w.U32Le(word);
  w.U32Le(uint32_t(u.events.size()));
  for (const auto& e : u.events) {
    w.I32Le(e.eventIndex);
    w.I32Le(e.handlerRef);
  }
  w.Zeros(kReservedBytes);
  w.Bytes(u.ownBlock);
  return std::move(w.Data());
}

std::vector<uint8_t> EncodeFormDescription(const std::vector<WindowDescription>& windows) {
  platform::ByteWriter w;
  w.U32Le(uint32_t(windows.size()));
  for (const auto& win : windows) {
    platform::ByteWriter data;
    std::vector<uint32_t> offsets;
    for (const auto& rec : win.records) {
      offsets.push_back(uint32_t(data.Size()));
      data.LengthPrefixed(EncodeUnitRecord(rec));
    }
    w.U32Le(win.windowId);
    w.U32Le(uint32_t(win.records.size()));
    w.U32Le(uint32_t(data.Size()));
    for (const auto& rec : win.records) w.U32Le(rec.key);
    for (uint32_t o : offsets) w.U32Le(o);
    w.Bytes(data.Data());
  }
  return std::move(w.Data());
}

}  // namespace rt
