// One per stage: pictures, fonts and sounds handed to objects are interned by content,
// so a hundred monsters made from one template hold one copy of their picture.
//
// Holders keep shared pointers; an entry lives while anyone holds it and the pool
// forgets it when the last holder lets go (the reference count of the entry is the
// pointer's use count).
#pragma once
#include <cstdint>
#include <memory>
#include <span>
#include <unordered_map>
#include <vector>

#include "stage/pictures/sprite.h"

namespace stage {

using Bytes = std::vector<uint8_t>;
using BytesPtr = std::shared_ptr<const Bytes>;

class ResourcePool {
 public:
  // Returns the pooled sprite with the same content, or adopts this one.
  SpritePtr Intern(SpritePtr sprite);
  SpritePtr InternPicture(Picture picture) { return Intern(MakeSprite(std::move(picture))); }
  // Byte blocks (fonts, sounds). Empty input gives nullptr ("none").
  BytesPtr InternBytes(std::span<const uint8_t> bytes);

  // Live entries, for tests and diagnostics.
  size_t PictureCount() const;
  size_t ByteBlockCount() const;
  void Clear();

 private:
  std::unordered_map<uint64_t, std::vector<std::weak_ptr<const Sprite>>> pictures_;
  std::unordered_map<uint64_t, std::vector<std::weak_ptr<const Bytes>>> blocks_;
};

}  // namespace stage
