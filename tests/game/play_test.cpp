// Play on the live game form: walking and its blocks, jumps and landings, the swing, the
// monsters, combat, the cloak, the idle pose and the death exit.
#include <algorithm>

#include "level_fixture.h"

namespace {

using namespace gametest;

class Play : public LevelTest {
 protected:
  void SetUp() override {
    LevelTest::SetUp();
    StartLevel();
  }
  // Holds a key for `ms`, then releases it.
  void Hold(int vk, uint32_t ms) {
    platform::PostKeyInput(vk, true);
    RunFor(ms);
    platform::PostKeyInput(vk, false);
    RunFor(20);
  }
  // Puts the hero at (x, y) as the game keeps it, sprites included.
  void PlaceHero(int x, int y, int platform) {
    state[heroX] = x;
    state[heroY] = y;
    state[platformIndex] = platform;
    MainStage.Move(state[heroSprite], x, y);
    MainStage.Move(state[heroBox], x + state[boxOffset], y);
  }
  // Runs in 10 ms steps while the hero is in the air; the highest and the last heroY.
  std::pair<int, int> FlightHeights(uint32_t limitMs) {
    int top = state[heroY];
    for (uint32_t t = 0; t < limitMs && state.Airborne == 1; t += 10) {
      RunFor(10);
      top = std::min(top, int(state[heroY]));
    }
    return {top, state[heroY]};
  }
  Monster& Ogre() { return state.Monsters()[1]; }
  // Keeps the monsters from walking or attacking on their own: a kind outside the kind
  // table stands still.
  void FreezeMonsters() {
    for (int64_t i = 1; i <= state.Monsters().Count(); ++i) state.Monsters()[i].kind = kNoMonsterKind;
  }
};

TEST_F(Play, WalkingStopsAtPlatformTwoAndAtTheLeftEdge) {
  Hold(kKeyRight, 2000);
  EXPECT_EQ(state[heroX], 234);  // the box's right edge within 3 pixels of 272
  EXPECT_EQ(state[blockedRight], 1);
  EXPECT_EQ(MainStage.X(state[heroBox]), 253);
  EXPECT_EQ(MainStage.Flip(state[heroSprite]), kFaceRight);
  Hold(kKeyLeft, 2000);
  EXPECT_EQ(state[heroX], 3);  // one more step would reach 0
  EXPECT_EQ(state[blockedLeft], 1);
  EXPECT_EQ(state[blockedRight], 0);
  EXPECT_EQ(MainStage.X(state[heroSprite]), 3);
  EXPECT_EQ(MainStage.Flip(state[heroSprite]), kFaceLeft);
  EXPECT_LT(state[walkFrameCount], 10);
}

TEST_F(Play, AHeldJumpRisesThirtyStepsAndLandsWhereItStarted) {
  platform::PostKeyInput(kKeySpace, true);
  RunFor(20);
  ASSERT_EQ(state.Airborne, 1);
  const auto [top, end] = FlightHeights(2000);
  platform::PostKeyInput(kKeySpace, false);
  EXPECT_EQ(top, 376 - 90);
  EXPECT_EQ(end, 376);
  EXPECT_EQ(state.Airborne, 0);
  EXPECT_EQ(state[platformIndex], 1);
  EXPECT_EQ(TimerInterval(form::JumpTimer), 0);
  // Released at once, the jump still rises 11 steps.
  Hold(kKeySpace, 20);
  EXPECT_EQ(FlightHeights(2000).first, 376 - 33);
}

TEST_F(Play, LandingOnPlatformTwoMovesTheSpritesButNotHeroY) {
  PlaceHero(250, 376, 1);  // the box (269..285) lies over platform 2 (272..368)
  platform::PostKeyInput(kKeySpace, true);
  RunFor(20);
  FlightHeights(2000);
  platform::PostKeyInput(kKeySpace, false);
  EXPECT_EQ(state[platformIndex], 2);
  EXPECT_EQ(state[heroY], 358);  // the feet line at 454, 3 above the top
  EXPECT_EQ(MainStage.Y(state[heroSprite]), 360);
  EXPECT_EQ(MainStage.Y(state[heroBox]), 360);
  // The next step puts the sprite back at heroY.
  Hold(kKeyRight, 5);
  EXPECT_EQ(MainStage.Y(state[heroSprite]), 358);
}

TEST_F(Play, WalkingOffAHighPlatformFallsToTheGround) {
  PlaceHero(360, 255, 4);  // standing on platform 4 (322..418, top 352)
  Hold(kKeyRight, 300);
  FlightHeights(3000);
  EXPECT_EQ(state.Airborne, 0);
  EXPECT_EQ(state[platformIndex], 1);
  EXPECT_EQ(MainStage.Y(state[heroBox]), 473 - 96 - 1);
}

TEST_F(Play, TheSwingStandsByTheHeroAndTheKeysWaitForTheBlade) {
  FreezeMonsters();
  MainStage.SetFlip(state[heroSprite], kFaceLeft);
  PlaceHero(200, 376, 1);
  platform::PostKeyInput(kKeyZ, true);
  RunFor(15);
  platform::PostKeyInput(kKeyZ, false);
  ASSERT_EQ(state[attacking], 1);
  EXPECT_EQ(MainStage.X(state[attackSprite]), 200 - 56);
  EXPECT_EQ(MainStage.X(state[bladeSprite]), 200 - 56);
  EXPECT_EQ(MainStage.Y(state[bladeSprite]), 379);
  EXPECT_EQ(Object(state[bladeSprite])->tag, Gbk("刀光"));
  EXPECT_EQ(Object(state[bladeSprite])->type, 4);
  EXPECT_EQ(Object(state[attackSprite])->type, 2);
  EXPECT_FALSE(Object(state[heroSprite])->visible);
  // While the blade shows, walking does nothing.
  Hold(kKeyRight, 100);
  EXPECT_EQ(state[heroX], 200);
  RunFor(3000);
  EXPECT_EQ(state[attacking], 0);
  EXPECT_TRUE(Object(state[heroSprite])->visible);
  EXPECT_FALSE(MainStage.Exists(state[bladeSprite]));
  // Facing right the swing starts at heroX.
  MainStage.SetFlip(state[heroSprite], kFaceRight);
  Hold(kKeyZ, 15);
  EXPECT_EQ(MainStage.X(state[attackSprite]), 200);
}

TEST_F(Play, TheBladeHurtsTheOgreAndTheDragonOnlyFlinches) {
  FreezeMonsters();  // standing still for the test, kinds restored before the hits
  PlaceHero(430, 376, 1);
  MainStage.SetFlip(state[heroSprite], kFaceRight);
  Ogre().kind = kOgre;
  Hold(kKeyZ, 15);
  RunFor(200);
  ASSERT_EQ(Ogre().state, Hurt);
  EXPECT_GE(Ogre().hp, 200 - 30);
  EXPECT_LE(Ogre().hp, 200 - 5);
  EXPECT_GE(Ogre().hitCooldown, 1);
  EXPECT_GE(state.DamageDigits().Count(), 1);
  // The cool-down pulses yellow on the item timer and ends after 30 of its ticks.
  RunFor(400);
  EXPECT_GT(Object(Ogre().spriteId)->trendDepth, 0);
  RunFor(6000);
  EXPECT_EQ(Ogre().hitCooldown, 0);
  EXPECT_EQ(Object(Ogre().spriteId)->trendDepth, 0);

  // The dragon (kind 5) never loses hit points.
  Monster& dragon = state.Monsters()[2];
  dragon.kind = kDragon;
  PlaceHero(dragon.x, dragon.y, 1);
  Hold(kKeyZ, 15);
  RunFor(200);
  EXPECT_EQ(state.Monsters()[2].state == Hurt || state.Monsters()[2].hitCooldown > 0, true);
  EXPECT_EQ(state.Monsters()[2].hp, 0);
}

TEST_F(Play, AKillingBlowRemovesTheOgreWithItsBar) {
  FreezeMonsters();
  Monster& ogre = Ogre();
  ogre.kind = kOgre;
  ogre.hp = 1;
  const int sprite = ogre.spriteId, back = ogre.barBackId, fill = ogre.barFillId;
  PlaceHero(430, 376, 1);
  MainStage.SetFlip(state[heroSprite], kFaceRight);
  Hold(kKeyZ, 15);
  RunFor(4000);
  ASSERT_EQ(state.Monsters().Count(), 1);
  EXPECT_EQ(state.Monsters()[1].y, 20);  // the dragon moved up into first place
  for (int id : {sprite, back, fill}) EXPECT_FALSE(MainStage.Exists(id)) << id;
}

TEST_F(Play, TheOgreAttacksAHeroWithinReachAndItsEffectHurts) {
  state.Monsters()[2].kind = kNoMonsterKind;  // the dragon stands still
  PlaceHero(420, 376, 1);  // box at 439: the ogre at 490 is 51 away
  const Monster before = Ogre();
  for (int t = 0; t < 400 && Ogre().state != Attacking; ++t) RunFor(50);
  ASSERT_EQ(Ogre().state, Attacking);
  const Monster& ogre = Ogre();
  // The hero is to the left: the swing and its effect stand 67 left, 12 up; the record
  // keeps its walking place.
  EXPECT_EQ(MainStage.X(ogre.spriteId), ogre.x - 67);
  EXPECT_EQ(MainStage.Y(ogre.attackEffectId), ogre.y - 12);
  EXPECT_EQ(Object(ogre.attackEffectId)->type, 107);
  EXPECT_EQ(ogre.y, before.y);
  for (int t = 0; t < 100 && state[hitFlag] == 0; ++t) RunFor(10);
  ASSERT_EQ(state[hitFlag], 1);
  EXPECT_GE(state[hp], 150 - 30);
  EXPECT_LE(state[hp], 150 - 5);
  EXPECT_EQ(TimerInterval(form::HeroFlashTimer), 20);
  EXPECT_EQ(MainStage.Width(state[hpBarFill]), Trunc(70.0 / 150 * state[hp]));
  // After the swing the ogre walks again from its own place, on layer 1 until sorted.
  for (int t = 0; t < 300 && Ogre().state != Walking; ++t) RunFor(10);
  EXPECT_EQ(MainStage.Y(Ogre().spriteId), Ogre().y);
  // The flash ends by itself and clears hitFlag.
  RunFor(700);
  EXPECT_EQ(state[hitFlag], 0);
  EXPECT_EQ(TimerInterval(form::HeroFlashTimer), 0);
}

TEST_F(Play, AHeroOutOfReachOrCloakedIsNeverAttacked) {
  PlaceHero(100, 376, 1);  // box at 119: far beyond 150 of the ogre
  Ogre().stepCounter = -1000;  // no new leg within the test: the ogre keeps walking left
  RunFor(3000);
  EXPECT_NE(Ogre().state, Attacking);
  PlaceHero(380, 376, 1);
  state[cloakOn] = 1;
  RunFor(3000);
  EXPECT_NE(Ogre().state, Attacking);
  EXPECT_EQ(MainStage.Alpha(state[heroSprite]), 50);
}

TEST_F(Play, TheCloakLastsThreeHundredContactTicks) {
  FreezeMonsters();
  state[cloakOn] = 1;
  RunFor(50 * 150);
  EXPECT_EQ(state[cloakOn], 1);
  EXPECT_EQ(MainStage.Alpha(state[heroSprite]), 50);
  RunFor(50 * 160);
  EXPECT_EQ(state[cloakOn], 0);
  EXPECT_EQ(state[cloakTicks], 0);
  EXPECT_EQ(MainStage.Alpha(state[heroSprite]), 0);
}

TEST_F(Play, QuietSecondsBringTheIdlePoseAndAKeyEndsIt) {
  FreezeMonsters();
  RunFor(5500);
  EXPECT_EQ(state[idleShown], 0);
  RunFor(1000);
  ASSERT_EQ(state[idleShown], 1);
  const int idle = state[idleSprite];
  EXPECT_EQ(MainStage.X(idle), 19 - 19 - 10);
  EXPECT_EQ(MainStage.Y(idle), 376 + 12);
  EXPECT_EQ(Object(idle)->tag, Gbk("主角待机"));
  EXPECT_FALSE(Object(state[heroSprite])->visible);
  Hold(kKeyRight, 15);
  EXPECT_EQ(state[idleShown], 0);
  EXPECT_FALSE(MainStage.Exists(idle));
  EXPECT_TRUE(Object(state[heroSprite])->visible);
  EXPECT_EQ(state[idleTicks], 0);
}

TEST_F(Play, TheDeadHeroIsSqueezedThenRisesAndTheGameEnds) {
  FreezeMonsters();
  state[hp] = 3;
  state[heroDead] = 1;
  state[hp] = 0;
  // 90 squeeze ticks of 15 ms from 1000 to 100 per mille, whitening to 90 percent.
  RunFor(15 * 85);
  EXPECT_GT(MainStage.Zoom(state[heroSprite]), 100);
  EXPECT_EQ(state[heroY], 376);
  RunFor(15 * 10);
  EXPECT_EQ(MainStage.Zoom(state[heroSprite]), 100);
  EXPECT_EQ(Object(state[heroSprite])->trendDepth, 90);
  EXPECT_LT(state[heroY], 376);
  EXPECT_EQ(state[gameOver], 0);
  // Then 10 pixels a tick until the box has left through the top: 48 rises.
  RunFor(15 * 60);
  EXPECT_EQ(state[gameOver], 1);
  EXPECT_EQ(state[heroY], 376 - 480);
}

}  // namespace
