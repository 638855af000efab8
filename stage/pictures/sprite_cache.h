// Pictures a stage has decoded or rendered, kept for the next time the same bytes are
// loaded or the same picture is rendered with the same transforms. A monster swings and
// is hurt with the same few GIFs over and over, and the hero's hurt pulse tints the same
// frames with the same few depths on every pulse; both used to be done afresh each time.
//
// Entries are found by their key bytes: the whole file for a decoded picture (so a file
// whose bytes changed is a different entry, never a stale one), or the source sprite and
// the transform settings for a rendered one. The sprites are immutable and shared, so a
// hit gives exactly the pixels a fresh decode or render would.
//
// The cache is bounded by a byte budget: the key bytes plus the memory of the sprites it
// holds (pixels and masks). Storing past the budget drops the least recently used entries
// first; an entry larger than the whole budget is not kept. One cache per stage, used on
// the stage's own thread.
#pragma once
#include <cstddef>
#include <cstdint>
#include <list>
#include <span>
#include <unordered_map>
#include <vector>

#include "stage/pictures/picture.h"
#include "stage/pictures/resource_pool.h"
#include "stage/pictures/sprite.h"

namespace stage {

// What a sprite costs to keep: its pixels, masks and bookkeeping.
size_t SpriteBytes(const Sprite& sprite);

class SpriteCache {
 public:
  static constexpr size_t kDefaultBudget = size_t(16) << 20;

  explicit SpriteCache(size_t budgetBytes = kDefaultBudget) : budget_(budgetBytes) {}

  // The sprite stored under `key`, now the most recently used; nullptr when absent.
  SpritePtr Find(std::span<const uint8_t> key);
  // Stores `sprite` under `key` (replacing an entry with the same key). `pinned` is
  // kept alive with the entry: a key that names a sprite by its address holds that
  // sprite, so the address cannot be reused for another picture while the entry lives.
  void Store(std::span<const uint8_t> key, SpritePtr sprite, SpritePtr pinned = nullptr);
  void Clear();

  size_t Count() const { return lru_.size(); }
  size_t Bytes() const { return bytes_; }
  size_t Budget() const { return budget_; }

 private:
  struct Entry {
    std::vector<uint8_t> key;
    uint64_t hash = 0;
    size_t cost = 0;
    SpritePtr sprite, pinned;
  };
  using Lru = std::list<Entry>;  // most recently used first

  Lru::iterator Lookup(std::span<const uint8_t> key, uint64_t hash);
  void Erase(Lru::iterator it);

  size_t budget_;
  size_t bytes_ = 0;
  Lru lru_;
  std::unordered_multimap<uint64_t, Lru::iterator> index_;
};

// DecodePicture through the cache: the sprite of `bytes` decoded with `key`, interned in
// `pool` when decoded afresh; nullptr when nothing valid comes out (failures are not kept).
SpritePtr DecodeSpriteCached(SpriteCache& cache, ResourcePool& pool,
                             std::span<const uint8_t> bytes, KeyRequest key);

// The transforms an object's picture is rendered with, as the renderer applies them;
// settings that leave the picture alone are given as their neutral values
// (turnType 0, angle 0, zoom 1000, depth 0, light 0).
struct RenderSettings {
  int turnType = 0;
  int angle = 0;
  int zoomX = 1000, zoomY = 1000;
  uint32_t trendColour = 0;
  int trendDepth = 0;
  int light = 0;
};
// The cache key of `source` rendered with `settings`; store with `source` pinned.
std::vector<uint8_t> RenderKey(const Sprite& source, const RenderSettings& settings);

}  // namespace stage
