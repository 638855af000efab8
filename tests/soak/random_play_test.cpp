// The random player's keys: the same for a seed, shaped like a person's play, and never
// leaving a key held.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "app/random_play.h"
#include "platform/types.h"

namespace {

using platform::ScriptedKey;

constexpr uint32_t kHour = 3'600'000;

std::vector<ScriptedKey> KeysUntil(uint64_t seed, uint32_t endMs) {
  app::RandomPlayer player(seed);
  std::vector<ScriptedKey> keys;
  while (auto k = player.Next()) {
    if (k->timeMs > endMs) break;
    keys.push_back(*k);
  }
  return keys;
}

bool SameKeys(const std::vector<ScriptedKey>& a, const std::vector<ScriptedKey>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i].timeMs != b[i].timeMs || a[i].vk != b[i].vk || a[i].down != b[i].down) return false;
  return true;
}

TEST(RandomPlayer, ASeedAlwaysPlaysTheSameKeys) {
  const auto a = KeysUntil(5, 600'000), b = KeysUntil(5, 600'000), c = KeysUntil(6, 600'000);
  ASSERT_GT(a.size(), 100u);
  EXPECT_TRUE(SameKeys(a, b));
  EXPECT_FALSE(SameKeys(a, c));
}

TEST(RandomPlayer, PlaysAnHourLikeAPerson) {
  const std::set<int> gameKeys = {platform::VK_LEFT, platform::VK_RIGHT, platform::VK_SPACE,
                                  platform::VK_RETURN, 'Z', 'X', '1', '2', '3', '4', '5'};
  for (uint64_t seed : {0ull, 1ull, 2ull, 3ull, 77ull, 0xFFFFFFFFFFFFFFFFull}) {
    SCOPED_TRACE(seed);
    const auto keys = KeysUntil(seed, kHour);
    // Enter first, on the splash, and never again.
    ASSERT_GE(keys.size(), 2u);
    EXPECT_EQ(keys[0].vk, platform::VK_RETURN);
    EXPECT_TRUE(keys[0].down);
    EXPECT_THAT(keys[0].timeMs, ::testing::AllOf(::testing::Ge(300u), ::testing::Le(600u)));
    std::map<int, int> presses;
    std::map<int, uint32_t> heldSince;
    uint32_t last = 0, longestHold = 0, longestQuiet = 0;
    for (const ScriptedKey& k : keys) {
      ASSERT_TRUE(gameKeys.count(k.vk)) << k.vk;
      ASSERT_GE(k.timeMs, last) << "keys come in time order";
      longestQuiet = std::max(longestQuiet, k.timeMs - last);
      last = k.timeMs;
      if (k.down) {
        ASSERT_FALSE(heldSince.count(k.vk)) << "pressed again while held: " << k.vk << " at " << k.timeMs;
        heldSince[k.vk] = k.timeMs;
        ++presses[k.vk];
      } else {
        ASSERT_TRUE(heldSince.count(k.vk)) << "let go without a press: " << k.vk;
        longestHold = std::max(longestHold, k.timeMs - heldSince[k.vk]);
        heldSince.erase(k.vk);
      }
    }
    EXPECT_EQ(presses[platform::VK_RETURN], 1);
    EXPECT_LE(longestHold, 3000u) << "a walk lasts at most three seconds";
    EXPECT_LE(longestQuiet, 15000u) << "the player never leaves the keyboard for long";
    EXPECT_LE(heldSince.size(), 3u) << "keys held over the hour's end belong to one move";
    // A person's pace (tens of presses a minute), with every kind of move in it.
    int total = 0;
    for (const auto& [vk, n] : presses) total += n;
    EXPECT_THAT(total / 60, ::testing::AllOf(::testing::Ge(20), ::testing::Le(200)));
    for (int vk : {int(platform::VK_LEFT), int(platform::VK_RIGHT), int(platform::VK_SPACE), int('Z'), int('X')})
      EXPECT_GT(presses[vk], total / 20) << "key " << vk;
    for (int vk = '1'; vk <= '5'; ++vk) EXPECT_GT(presses[vk], 0) << "digit " << char(vk);
    EXPECT_GT(presses['1'], presses['5']) << "the first slots fill first";
  }
}

}  // namespace
