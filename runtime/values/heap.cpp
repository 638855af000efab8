// The runtime heap: process-heap blocks for every text, byte set, array and record the
// game makes, and the read-only constant ranges whose blocks are shared and never owned.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/text.h"
#include "runtime/values/values.h"

namespace rt {
namespace {

struct ConstantRange {
  uintptr_t start, end;  // half-open
};

// Used from the main thread only, like the rest of the value runtime.
std::vector<ConstantRange> g_constants;
// Requests beyond this are refused before they reach the heap: no block of the game
// comes near it, and a wild size must give the allocation error rather than whatever
// the heap (or a checking allocator) does with it. A 32-bit address space (WebAssembly)
// caps it at half of all addresses.
constexpr size_t kLargestBlock = size_t(std::min<uint64_t>(uint64_t(1) << 40, SIZE_MAX / 2));
HeapFunctions g_heap{&std::malloc, &std::realloc, &std::free};

const ConstantRange* FindRange(const void* p) {
  const uintptr_t a = uintptr_t(p);
  for (const ConstantRange& r : g_constants)
    if (a >= r.start && a < r.end) return &r;
  return nullptr;
}

[[noreturn]] void AllocationFailed(size_t size) {
  // The size is printed in full rather than through an int, so an absurd request is
  // reported as what it was.
  char digits[32];
  std::snprintf(digits, sizeof digits, "%zu", size);
  static const std::string before = platform::gbk("分配 ");
  static const std::string after = platform::gbk(" 字节内存失败!");
  RuntimeErrorMessage(before + digits + after);
}

}  // namespace

void* Allocate(size_t size) {
  // A zero-byte request still yields a distinct block, as the process heap gives one.
  void* p = size <= kLargestBlock ? g_heap.allocate(size ? size : 1) : nullptr;
  if (!p) AllocationFailed(size);
  return p;
}

void* Resize(void* block, size_t newSize) {
  if (!block) return Allocate(newSize);
  if (const ConstantRange* r = FindRange(block)) {
    void* copy = Allocate(newSize);
    const size_t available = r->end - uintptr_t(block);
    std::memcpy(copy, block, std::min(newSize, available));
    return copy;
  }
  void* p = newSize <= kLargestBlock ? g_heap.resize(block, newSize ? newSize : 1) : nullptr;
  if (!p) AllocationFailed(newSize);
  return p;
}

void Free(void* block) {
  if (!block || FindRange(block)) return;
  g_heap.release(block);
}

void RegisterConstantRange(const void* start, const void* end) {
  if (uintptr_t(end) <= uintptr_t(start)) return;
  g_constants.push_back({uintptr_t(start), uintptr_t(end)});
}

bool IsConstant(const void* block) { return block && FindRange(block); }

void MakeArrayWritable(size_t elementSize, void** arrayVariable) {
  void* block = *arrayVariable;
  const ConstantRange* r = block ? FindRange(block) : nullptr;
  if (!r) return;
  const size_t bytes = ArrayHeaderSize(block) + elementSize * ElementCount(block);
  // Copy no further than the constant range reaches; a block that claims more is
  // completed with zeros instead of reading past the data.
  const size_t available = std::min(bytes, size_t(r->end - uintptr_t(block)));
  auto* copy = static_cast<uint8_t*>(Allocate(bytes));
  std::memcpy(copy, block, available);
  std::memset(copy + available, 0, bytes - available);
  *arrayVariable = copy;
}

void SetHeapForTesting(const HeapFunctions* heap) {
  g_heap = heap ? *heap : HeapFunctions{&std::malloc, &std::realloc, &std::free};
}

void ClearConstantRangesForTesting() { g_constants.clear(); }

}  // namespace rt
