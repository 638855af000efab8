#include "stage/pictures/resource_pool.h"

#include <algorithm>
#include <cstring>

namespace stage {

namespace {

template <typename T>
void DropExpired(std::vector<std::weak_ptr<const T>>& bucket) {
  std::erase_if(bucket, [](const std::weak_ptr<const T>& w) { return w.expired(); });
}

template <typename Map>
size_t CountLive(const Map& m) {
  size_t n = 0;
  for (const auto& [hash, bucket] : m)
    for (const auto& w : bucket) n += w.expired() ? 0 : 1;
  return n;
}

uint64_t HashBytes(std::span<const uint8_t> b) {
  uint64_t h = 1469598103934665603ull ^ b.size();
  for (uint8_t v : b) {
    h ^= v;
    h *= 1099511628211ull;
  }
  return h;
}

}  // namespace

SpritePtr ResourcePool::Intern(SpritePtr sprite) {
  if (!sprite) return nullptr;
  auto& bucket = pictures_[sprite->hash];
  DropExpired(bucket);
  for (const auto& w : bucket) {
    SpritePtr live = w.lock();
    if (live && (live == sprite || live->SameContent(*sprite))) return live;
  }
  bucket.push_back(sprite);
  return sprite;
}

BytesPtr ResourcePool::InternBytes(std::span<const uint8_t> bytes) {
  if (bytes.empty()) return nullptr;
  auto& bucket = blocks_[HashBytes(bytes)];
  DropExpired(bucket);
  for (const auto& w : bucket) {
    BytesPtr live = w.lock();
    if (live && live->size() == bytes.size() &&
        std::memcmp(live->data(), bytes.data(), bytes.size()) == 0)
      return live;
  }
  auto block = std::make_shared<const Bytes>(bytes.begin(), bytes.end());
  bucket.push_back(block);
  return block;
}

size_t ResourcePool::PictureCount() const { return CountLive(pictures_); }
size_t ResourcePool::ByteBlockCount() const { return CountLive(blocks_); }

void ResourcePool::Clear() {
  pictures_.clear();
  blocks_.clear();
}

}  // namespace stage
