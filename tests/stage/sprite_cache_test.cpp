// The stage's picture cache on its own: what a hit gives, what counts as the same key,
// the byte budget and eviction order, and the tint tables against the per-pixel rule.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "stage/pictures/sprite_cache.h"
#include "stage/pictures/transform_math.h"
#include "test_pictures.h"

using namespace stage;
using stagetest::SolidFramesGif;
using stagetest::SolidPicture;

namespace {

std::vector<uint8_t> KeyOf(int n) { return {uint8_t(n), uint8_t(n >> 8), 'k'}; }

SpritePtr Solid(int size, uint32_t pixel) { return MakeSprite(SolidPicture(size, size, pixel)); }

bool SamePixels(const Picture& a, const Picture& b) {
  if (a.width != b.width || a.height != b.height || a.frames.size() != b.frames.size())
    return false;
  const size_t n = size_t(a.width) * size_t(a.height);
  for (size_t f = 0; f < a.frames.size(); ++f) {
    if (a.frames[f].key != b.frames[f].key || a.frames[f].delayMs != b.frames[f].delayMs)
      return false;
    if (!std::equal(a.frames[f].pixels.Data(), a.frames[f].pixels.Data() + n,
                    b.frames[f].pixels.Data()))
      return false;
  }
  return true;
}

}  // namespace

TEST(SpriteCache, DecodedBytesAreFoundByTheirContentAndKeyRequest) {
  SpriteCache cache;
  ResourcePool pool;
  const std::vector<uint8_t> gif = SolidFramesGif(7, 5, 3, 4);
  const SpritePtr first = DecodeSpriteCached(cache, pool, gif, {});
  ASSERT_TRUE(first);
  // A hit is the same sprite, with the pixels a fresh decode gives.
  const std::vector<uint8_t> copy = gif;  // other storage, same bytes
  EXPECT_EQ(DecodeSpriteCached(cache, pool, copy, {}), first);
  const auto fresh = DecodePicture(gif, {});
  ASSERT_TRUE(fresh);
  EXPECT_TRUE(SamePixels(first->picture, *fresh));
  // A file rewritten with other bytes of the same length is decoded for itself.
  std::vector<uint8_t> changed = gif;
  changed[13] ^= 0x80;  // red of the first palette colour
  const SpritePtr other = DecodeSpriteCached(cache, pool, changed, {});
  ASSERT_TRUE(other);
  EXPECT_NE(other, first);
  EXPECT_NE(other->picture.frames[0].pixels.At(0, 0), first->picture.frames[0].pixels.At(0, 0));
  // The key request decides the frames' keys, so it is part of the key.
  const SpritePtr keyed = DecodeSpriteCached(cache, pool, gif, {KeyRequest::Automatic});
  ASSERT_TRUE(keyed);
  EXPECT_NE(keyed, first);
  EXPECT_NE(keyed->picture.frames[0].key, kDefaultColour);
  EXPECT_EQ(cache.Count(), 3u);
  // Bytes that decode to nothing give nothing and are not kept.
  const std::vector<uint8_t> junk = {'G', 'I', 'F', '8', '9', 'a', 1, 0};
  EXPECT_FALSE(DecodeSpriteCached(cache, pool, junk, {}));
  EXPECT_FALSE(DecodeSpriteCached(cache, pool, {}, {}));
  EXPECT_EQ(cache.Count(), 3u);
}

TEST(SpriteCache, BudgetEvictsTheLeastRecentlyUsedAndRefusesOversizedEntries) {
  const size_t each = SpriteBytes(*Solid(16, 0x112233));
  SpriteCache cache(each * 4 + 1024);  // room for four entries with their keys
  for (int i = 0; i < 4; ++i) cache.Store(KeyOf(i), Solid(16, uint32_t(i)));
  EXPECT_EQ(cache.Count(), 4u);
  ASSERT_TRUE(cache.Find(KeyOf(0)));  // 0 is now the most recent; 1 the least
  cache.Store(KeyOf(4), Solid(16, 4));
  EXPECT_LE(cache.Bytes(), cache.Budget());
  EXPECT_FALSE(cache.Find(KeyOf(1)));
  for (int i : {0, 2, 3, 4}) {
    const SpritePtr s = cache.Find(KeyOf(i));
    ASSERT_TRUE(s) << i;
    EXPECT_EQ(s->picture.frames[0].pixels.At(0, 0), uint32_t(i)) << i;
  }
  // Storing under a key already present replaces that entry.
  cache.Store(KeyOf(2), Solid(16, 0x99));
  EXPECT_EQ(cache.Count(), 4u);
  EXPECT_EQ(cache.Find(KeyOf(2))->picture.frames[0].pixels.At(0, 0), 0x99u);
  // A sprite bigger than the whole budget is not kept and evicts nothing.
  cache.Store(KeyOf(9), Solid(64, 0));
  EXPECT_FALSE(cache.Find(KeyOf(9)));
  EXPECT_EQ(cache.Count(), 4u);
  // Many more stores never pass the budget.
  for (int i = 10; i < 200; ++i) {
    cache.Store(KeyOf(i), Solid(8 + i % 12, uint32_t(i)));
    ASSERT_LE(cache.Bytes(), cache.Budget());
  }
  cache.Clear();
  EXPECT_EQ(cache.Count(), 0u);
  EXPECT_EQ(cache.Bytes(), 0u);
}

TEST(SpriteCache, RenderKeysNameTheSourceAndEverySettingAndPinTheSource) {
  SpriteCache cache;
  SpritePtr source = Solid(4, 0x102030);
  const SpritePtr otherSource = Solid(4, 0x102030);  // same content, another sprite
  RenderSettings tint;
  tint.trendColour = 0x0000FF;
  tint.trendDepth = 30;
  const auto key = RenderKey(*source, tint);
  EXPECT_NE(key, RenderKey(*otherSource, tint));
  EXPECT_EQ(key, RenderKey(*source, tint));
  for (auto change : {+[](RenderSettings& s) { s.trendDepth = 32; },
                      +[](RenderSettings& s) { s.trendColour = 0x00FF00; },
                      +[](RenderSettings& s) { s.turnType = 1; },
                      +[](RenderSettings& s) { s.angle = 90; },
                      +[](RenderSettings& s) { s.zoomX = 500; },
                      +[](RenderSettings& s) { s.zoomY = 500; },
                      +[](RenderSettings& s) { s.light = -20; }}) {
    RenderSettings s = tint;
    change(s);
    EXPECT_NE(RenderKey(*source, s), key);
  }
  // The entry holds its source, so the address in the key cannot name another picture.
  const std::weak_ptr<const Sprite> watch = source;
  cache.Store(key, Solid(4, 0x1020FF), source);
  source.reset();
  EXPECT_FALSE(watch.expired());
  cache.Clear();
  EXPECT_TRUE(watch.expired());
}

TEST(TintTables, MatchThePerPixelRuleForEveryDepthAndChannelValue) {
  std::mt19937 rng(18);
  for (int depth = 1; depth <= 100; ++depth) {
    for (int round = 0; round < 6; ++round) {
      const uint32_t target = round == 0 ? 0 : round == 1 ? 0xFFFFFF : (rng() & 0xFFFFFF);
      const TintTables tables(target, depth);
      for (uint32_t v = 0; v < 256; ++v) {
        const uint32_t px = (v * 0x010101u) ^ (rng() & 0xFF000000u) ^ ((rng() & 0x3) << 8);
        ASSERT_EQ(tables.Apply(px), TintPixel(px, target, depth))
            << "depth " << depth << " target " << target << " pixel " << px;
      }
    }
  }
}
