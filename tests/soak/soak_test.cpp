// Random play for an hour of virtual time, and a handful of shorter games by other seeds:
// the game keeps running, shows no runtime error and piles nothing up on its stage.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "child_run.h"

namespace {

using soak::GameRun;

// The level holds about 30 objects for good (the ground and four platforms, the hero and
// his box, portrait and bars, five inventory slots with their labels, two monsters and
// the ogre's bar, three items, the cover). A swing adds two, a monster's attack one, a
// damage figure two or three digits that fade within a second or two. 64 leaves room for
// all of those at once and still catches anything that piles up: an hour of play holds
// hundreds of swings, attacks and hits, and even one object left over from each would
// pass the bound within minutes.
constexpr int kObjectBound = 64;
constexpr int kOgre = 4;

GameRun Play(uint64_t seed, uint32_t ms) {
  return soak::RunGame(TOLVARAN_EXE, {"--headless", "--random-play", std::to_string(seed),
                                      "--run-for", std::to_string(ms)});
}

void ExpectRanClean(const GameRun& r) {
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_THAT(r.err, ::testing::Not(::testing::HasSubstr(soak::kRuntimeErrorText)));
  const auto d = r.State();
  ASSERT_TRUE(d.has_value()) << "the cleanup did not run";
  // The level was built: the ground and the four platforms.
  EXPECT_THAT(d->Platforms(), ::testing::SizeIs(5));
  EXPECT_GT(d->PeakObjects(), 25);
  EXPECT_LT(d->PeakObjects(), kObjectBound);
}

// The hero does not live the hour (a random player lasts a few minutes); the rest of it
// runs the game-over screen with its timers and the player still at the keys.
TEST(Soak, AnHourOfRandomPlay) {
  const GameRun r = Play(2024, 3'600'000);
  ExpectRanClean(r);
  EXPECT_EQ(r.State()->Slot("gameOver"), 1);
}

// Shorter games, mostly played alive: between them they fight, get hurt and use items.
TEST(Soak, GamesOfSixMinutesByManySeeds) {
  int hurt = 0, itemsTaken = 0, ogreHit = 0;
  for (uint64_t seed = 1; seed <= 8; ++seed) {
    SCOPED_TRACE(seed);
    const GameRun r = Play(seed, 360'000);
    ExpectRanClean(r);
    const auto d = r.State();
    if (!d) continue;
    if (d->Slot("hp") < d->Slot("maxHp")) ++hurt;
    if (d->GroundItems().size() < 3) ++itemsTaken;
    if (d->Monster(kOgre).hp < 200) ++ogreHit;
  }
  EXPECT_EQ(hurt, 8);
  EXPECT_GE(itemsTaken, 4);
  EXPECT_GE(ogreHit, 1);
}

}  // namespace
