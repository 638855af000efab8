// Array and byte-set blocks: {int32 N, int32 size[N], elements}. Every index the game
// uses is checked here against the element count of the whole block.
#include <algorithm>
#include <cstring>
#include <limits>

#include "runtime/values/values.h"

namespace rt {
namespace {

int32_t ReadInt32(const void* p) {
  int32_t v;
  std::memcpy(&v, p, 4);
  return v;
}
void WriteInt32(void* p, int32_t v) { std::memcpy(p, &v, 4); }

uint8_t* Bytes(void* p) { return static_cast<uint8_t*>(p); }

// The byte size of a block holding `count` elements after `header` bytes. A size that
// does not fit saturates, so the heap refuses it with the usual allocation error.
size_t BlockSize(size_t header, size_t count, size_t elementSize) {
  constexpr size_t kMax = std::numeric_limits<size_t>::max();
  if (elementSize && count > (kMax - header) / elementSize) return kMax;
  return header + count * elementSize;
}

}  // namespace

size_t ElementSizeOf(uint32_t type) {
  if (IsArrayType(type)) return kAddressSize;
  switch (type) {
    case kTypeByte: return 1;
    case kTypeShort: return 2;
    case kTypeInt: case kTypeBool: case kTypeFloat: return 4;
    case kTypeInt64: case kTypeDouble: case kTypeDateTime: return 8;
    default: return kAddressSize;  // texts, byte sets, subroutines, records
  }
}

size_t ArrayHeaderSize(const void* block) {
  if (!block) return 0;
  const int32_t n = ReadInt32(block);
  return 4 + 4 * size_t(std::max(n, 0));
}

size_t ElementCount(const void* block, void** firstElement) {
  if (firstElement) *firstElement = nullptr;
  if (!block) return 0;
  const int32_t n = ReadInt32(block);
  if (firstElement) *firstElement = const_cast<uint8_t*>(static_cast<const uint8_t*>(block)) + ArrayHeaderSize(block);
  if (n <= 0) return 0;
  // Sizes are int32 each; the product is kept within int32 as array sizes are, and a
  // damaged (negative) size means no elements rather than a wild count.
  uint64_t count = 1;
  const auto* dims = static_cast<const uint8_t*>(block) + 4;
  for (int32_t i = 0; i < n; ++i) {
    const int32_t d = ReadInt32(dims + 4 * size_t(i));
    if (d <= 0) return 0;
    count *= uint64_t(d);
    if (count > uint64_t(std::numeric_limits<int32_t>::max())) return 0;
  }
  return size_t(count);
}

void* NewArray(std::span<const int32_t> dims, size_t elementSize) {
  // An element count beyond int32 cannot be described by the block; asking the heap
  // for it anyway reports it as the allocation failure it would be.
  uint64_t count = 1;
  bool tooMany = false;
  for (int32_t d : dims)
    if (d < 0) RuntimeError(kErrRedefineSize);
  for (int32_t d : dims) {
    count *= uint64_t(d);
    if (count > uint64_t(std::numeric_limits<int32_t>::max())) tooMany = true;
    if (count == 0) tooMany = false;
    count = std::min<uint64_t>(count, uint64_t(std::numeric_limits<int32_t>::max()) + 1);
  }
  const size_t header = 4 + 4 * dims.size();
  const size_t bytes = tooMany ? std::numeric_limits<size_t>::max() : BlockSize(header, size_t(count), elementSize);
  void* block = Allocate(bytes);
  std::memset(block, 0, bytes);
  WriteInt32(block, int32_t(dims.size()));
  for (size_t i = 0; i < dims.size(); ++i) WriteInt32(Bytes(block) + 4 + 4 * i, dims[i]);
  return block;
}

void RedefineArray(void** arrayVariable, int32_t n, size_t elementSize, bool keep) {
  if (n < 0) RuntimeError(kErrRedefineSize);
  void* old = *arrayVariable;
  void* fresh = NewArray(n, elementSize);
  if (keep && old) {
    void* oldFirst = nullptr;
    const size_t oldCount = ElementCount(old, &oldFirst);
    const size_t kept = std::min(oldCount, size_t(n));
    if (kept) std::memcpy(Bytes(fresh) + 8, oldFirst, kept * elementSize);
  }
  Free(old);
  *arrayVariable = fresh;
}

void* ElementAt(void* block, int64_t index, size_t elementSize) {
  const int64_t i = index - 1;
  if (i < 0) RuntimeError(kErrIndexBelowOne);
  void* first = nullptr;
  const size_t count = ElementCount(block, &first);
  if (uint64_t(i) >= count) RuntimeError(kErrIndexTooLarge);
  return Bytes(first) + size_t(i) * elementSize;
}

void* AppendElement(void** arrayVariable, const void* element, size_t elementSize) {
  void* block = *arrayVariable;
  void* first = nullptr;
  const size_t count = ElementCount(block, &first);
  if (count >= size_t(std::numeric_limits<int32_t>::max())) RuntimeError(kErrRedefineSize);
  const size_t bytes = BlockSize(8, count + 1, elementSize);
  void* grown;
  if (block && ReadInt32(block) == 1 && !IsConstant(block)) {
    // The common case, a list growing one record at a time: let the heap extend it.
    grown = Resize(block, bytes);
  } else {
    grown = Allocate(bytes);
    if (count) std::memcpy(Bytes(grown) + 8, first, count * elementSize);
    Free(block);
  }
  WriteInt32(grown, 1);
  WriteInt32(Bytes(grown) + 4, int32_t(count + 1));
  uint8_t* slot = Bytes(grown) + 8 + count * elementSize;
  if (element)
    std::memcpy(slot, element, elementSize);
  else
    std::memset(slot, 0, elementSize);
  *arrayVariable = grown;
  return slot;
}

void RemoveElements(void** arrayVariable, int64_t position, int64_t count, size_t elementSize) {
  ElementAt(*arrayVariable, position, elementSize);  // checks the position
  if (count <= 0) return;
  MakeArrayWritable(elementSize, arrayVariable);
  void* block = *arrayVariable;
  void* first = nullptr;
  const size_t total = ElementCount(block, &first);
  const size_t start = size_t(position - 1);
  const size_t removed = std::min(size_t(count), total - start);
  std::memmove(Bytes(first) + start * elementSize, Bytes(first) + (start + removed) * elementSize,
               (total - start - removed) * elementSize);
  // The list is one-dimensional from here on, as after any change of its length.
  const size_t remaining = total - removed;
  if (ReadInt32(block) != 1) {
    void* flat = Allocate(BlockSize(8, remaining, elementSize));
    std::memcpy(Bytes(flat) + 8, first, remaining * elementSize);
    Free(block);
    block = flat;
    *arrayVariable = block;
  }
  WriteInt32(block, 1);
  WriteInt32(Bytes(block) + 4, int32_t(remaining));
}

void* MakeBytes(std::span<const uint8_t> bytes) {
  if (bytes.empty() || bytes.size() > size_t(std::numeric_limits<int32_t>::max())) return nullptr;
  void* block = Allocate(8 + bytes.size());
  WriteInt32(block, 1);
  WriteInt32(Bytes(block) + 4, int32_t(bytes.size()));
  std::memcpy(Bytes(block) + 8, bytes.data(), bytes.size());
  return block;
}

std::span<const uint8_t> BytesView(const void* byteSet) {
  if (!byteSet || ReadInt32(byteSet) != 1) return {};
  const int32_t n = ReadInt32(static_cast<const uint8_t*>(byteSet) + 4);
  if (n <= 0) return {};
  return {static_cast<const uint8_t*>(byteSet) + 8, size_t(n)};
}

}  // namespace rt
