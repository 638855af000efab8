#include "stage/pictures/sprite_cache.h"

#include <cstring>

namespace stage {

namespace {

// FNV-1a over 64-bit words (the tail byte by byte): a file is hashed on every load, so
// the hash must cost far less than the decode it saves.
uint64_t HashKey(std::span<const uint8_t> key) {
  uint64_t h = 1469598103934665603ull ^ key.size();
  size_t i = 0;
  for (; i + 8 <= key.size(); i += 8) {
    uint64_t word;
    std::memcpy(&word, key.data() + i, 8);
    h ^= word;
    h *= 1099511628211ull;
  }
  for (; i < key.size(); ++i) {
    h ^= key[i];
    h *= 1099511628211ull;
  }
  return h;
}

template <typename T>
void Append(std::vector<uint8_t>& out, T value) {
  const size_t at = out.size();
  out.resize(at + sizeof value);
  std::memcpy(out.data() + at, &value, sizeof value);
}

}  // namespace

size_t SpriteBytes(const Sprite& s) {
  size_t n = sizeof(Sprite) + s.frames.size() * (sizeof(FrameInfo) + sizeof(PictureFrame));
  const size_t w = size_t(s.picture.width), h = size_t(s.picture.height);
  const size_t maskWords = (w + 63) / 64 * h;
  // Per frame: the pixels, the solid mask's words and its row spans.
  n += s.frames.size() * (w * h * 4 + maskWords * 8 + h * 8);
  return n;
}

SpriteCache::Lru::iterator SpriteCache::Lookup(std::span<const uint8_t> key, uint64_t hash) {
  auto [first, last] = index_.equal_range(hash);
  for (auto it = first; it != last; ++it) {
    const Entry& e = *it->second;
    if (e.key.size() == key.size() && std::memcmp(e.key.data(), key.data(), key.size()) == 0)
      return it->second;
  }
  return lru_.end();
}

void SpriteCache::Erase(Lru::iterator entry) {
  auto [first, last] = index_.equal_range(entry->hash);
  for (auto it = first; it != last; ++it) {
    if (it->second == entry) {
      index_.erase(it);
      break;
    }
  }
  bytes_ -= entry->cost;
  lru_.erase(entry);
}

SpritePtr SpriteCache::Find(std::span<const uint8_t> key) {
  const auto it = Lookup(key, HashKey(key));
  if (it == lru_.end()) return nullptr;
  lru_.splice(lru_.begin(), lru_, it);
  return it->sprite;
}

void SpriteCache::Store(std::span<const uint8_t> key, SpritePtr sprite, SpritePtr pinned) {
  if (!sprite) return;
  const uint64_t hash = HashKey(key);
  if (auto old = Lookup(key, hash); old != lru_.end()) Erase(old);
  size_t cost = sizeof(Entry) + key.size() + SpriteBytes(*sprite);
  if (pinned && pinned != sprite) cost += SpriteBytes(*pinned);
  if (cost > budget_) return;
  while (bytes_ + cost > budget_) Erase(std::prev(lru_.end()));
  lru_.push_front(Entry{{key.begin(), key.end()}, hash, cost, std::move(sprite), std::move(pinned)});
  index_.emplace(hash, lru_.begin());
  bytes_ += cost;
}

void SpriteCache::Clear() {
  index_.clear();
  lru_.clear();
  bytes_ = 0;
}

SpritePtr DecodeSpriteCached(SpriteCache& cache, ResourcePool& pool,
                             std::span<const uint8_t> bytes, KeyRequest key) {
  // The key request decides the frames' keys, so it is part of the cache key.
  std::vector<uint8_t> cacheKey;
  cacheKey.reserve(8 + bytes.size());
  Append(cacheKey, uint32_t(key.mode));
  Append(cacheKey, key.colour);
  cacheKey.insert(cacheKey.end(), bytes.begin(), bytes.end());
  if (SpritePtr hit = cache.Find(cacheKey)) return hit;
  auto picture = DecodePicture(bytes, key);
  if (!picture) return nullptr;
  SpritePtr sprite = pool.InternPicture(std::move(*picture));
  cache.Store(cacheKey, sprite);
  return sprite;
}

std::vector<uint8_t> RenderKey(const Sprite& source, const RenderSettings& s) {
  std::vector<uint8_t> key;
  key.reserve(8 + 7 * 4);
  Append(key, reinterpret_cast<uintptr_t>(&source));
  Append(key, s.turnType);
  Append(key, s.angle);
  Append(key, s.zoomX);
  Append(key, s.zoomY);
  Append(key, s.trendColour);
  Append(key, s.trendDepth);
  Append(key, s.light);
  return key;
}

}  // namespace stage
