// The game's counted and ranged rules at their edges, on the live game form: a count that
// ends at N is seen still running at N - 1 and ended at N, a pace is checked over a whole
// leg, and a random draw is seen to reach both ends of its range and never to leave it.
// Each check fails when its rule's number moves by one.
#include <gmock/gmock.h>

#include <map>
#include <vector>

#include "level_fixture.h"

namespace {

using namespace gametest;

class RuleEdges : public LevelTest {
 protected:
  void SetUp() override {
    LevelTest::SetUp();
    StartLevel();
  }
  void FreezeMonsters() {
    for (int64_t i = 1; i <= state.Monsters().Count(); ++i) state.Monsters()[i].kind = kNoMonsterKind;
  }
  // Runs until `value` changes, at most `limitMs`; false when it never did.
  template <class F>
  bool RunUntilChanged(F value, uint32_t limitMs) {
    const auto before = value();
    for (uint32_t t = 0; t < limitMs; ++t) {
      RunFor(1);
      if (value() != before) return true;
    }
    return false;
  }
  Monster& Ogre() { return state.Monsters()[1]; }
  // Draws of 5..30 counted by value: each of the 26 came up, none outside.
  static void ExpectFiveToThirty(const std::map<int, int>& seen) {
    EXPECT_EQ(seen.begin()->first, 5);
    EXPECT_EQ(seen.rbegin()->first, 30);
    EXPECT_EQ(seen.size(), 26u);
  }
  // One monster tick for the ogre at its place with the hero's box at `heroBoxX`, from
  // walking and, after an attack, back to walking; true when it attacked.
  bool OgreTick(int heroBoxX, int hitCooldown) {
    MainStage.Move(state[heroBox], heroBoxX, state[heroY]);
    Monster& m = Ogre();
    m.state = Walking;
    m.stepCounter = 1;  // mid-leg: the tick draws no new direction
    m.hitCooldown = hitCooldown;
    MonstersAttackOrWalk();
    if (Ogre().state != Attacking) return false;
    MainStage.Destroy(Ogre().attackEffectId);
    EnterState(Ogre(), MonsterEntry::StepBack);
    MainStage.Move(Ogre().spriteId, Ogre().x, Ogre().y);
    return true;
  }
  // The value the runtime's generator gave last (its state's high 15 bits): the die the
  // monster just cast.
  static int LastDraw() { return int((rt::RandomState() >> 16) & 0x7FFF); }
  // The hero on the ground facing right, its swing reaching over the ogre.
  void PlaceHeroBesideOgre() {
    state[heroX] = 430;
    MainStage.Move(state[heroSprite], 430, state[heroY]);
    MainStage.Move(state[heroBox], 430 + state[boxOffset], state[heroY]);
    MainStage.SetFlip(state[heroSprite], kFaceRight);
  }
};

// The cloak runs for 300 contact ticks: still on after 299, off at 300, and the hero
// opaque again.
TEST_F(RuleEdges, TheCloakEndsOnItsThreeHundredthTick) {
  FreezeMonsters();
  state[cloakOn] = 1;
  state[cloakTicks] = 297;
  auto ticks = [&] { return state[cloakTicks]; };
  ASSERT_TRUE(RunUntilChanged(ticks, 200));
  ASSERT_EQ(state[cloakTicks], 298);
  ASSERT_TRUE(RunUntilChanged(ticks, 200));
  EXPECT_EQ(state[cloakTicks], 299);
  EXPECT_EQ(state[cloakOn], 1);
  EXPECT_EQ(MainStage.Alpha(state[heroSprite]), 50);
  ASSERT_TRUE(RunUntilChanged(ticks, 200));
  EXPECT_EQ(state[cloakTicks], 0);
  EXPECT_EQ(state[cloakOn], 0);
  EXPECT_EQ(MainStage.Alpha(state[heroSprite]), 0);
}

// The walking animation advances one frame every ten steps of 3 pixels: not after nine.
TEST_F(RuleEdges, TheWalkingAnimationAdvancesEveryTenthStep) {
  FreezeMonsters();
  ASSERT_EQ(state[walkFrameCount], 0);
  const int x0 = state[heroX];
  const int frame0 = Object(state[heroSprite])->frameIndex;
  platform::PostKeyInput(kKeyRight, true);
  auto x = [&] { return state[heroX]; };
  for (int step = 1; step <= 9; ++step) ASSERT_TRUE(RunUntilChanged(x, 100)) << step;
  EXPECT_EQ(state[heroX], x0 + 27);
  EXPECT_EQ(state[walkFrameCount], 9);
  EXPECT_EQ(Object(state[heroSprite])->frameIndex, frame0);
  ASSERT_TRUE(RunUntilChanged(x, 100));
  platform::PostKeyInput(kKeyRight, false);
  EXPECT_EQ(state[heroX], x0 + 30);
  EXPECT_EQ(state[walkFrameCount], 0);
  EXPECT_NE(Object(state[heroSprite])->frameIndex, frame0);
}

// A walking monster moves one pixel every fourth monster tick, ten pixels a leg of 39
// ticks, its step counter running 2..40 before the next leg starts it again at 2.
TEST_F(RuleEdges, AMonsterWalksOnePixelEveryFourthTickTenALeg) {
  state.Monsters()[2].kind = kNoMonsterKind;  // the dragon stands still
  Monster& ogre = Ogre();
  ASSERT_EQ(ogre.state, Walking);  // the hero at x 0 is out of the ogre's reach
  auto counter = [&] { return Ogre().stepCounter; };
  // To the start of a leg.
  for (int t = 0; t < 45 && counter() != 2; ++t) ASSERT_TRUE(RunUntilChanged(counter, 100));
  ASSERT_EQ(counter(), 2);
  int ticks = 0, steps = 0, highest = 0;
  do {
    const int before = Ogre().x;
    ASSERT_TRUE(RunUntilChanged(counter, 100));
    ++ticks;
    highest = std::max(highest, counter());
    if (Ogre().x == before) continue;
    ++steps;
    EXPECT_EQ(std::abs(Ogre().x - before), 1);
    EXPECT_EQ(counter() % 4, 0) << "a step on counter " << counter();
  } while (counter() != 2 && ticks < 60);
  EXPECT_EQ(ticks, 39);
  EXPECT_EQ(highest, 40);
  EXPECT_EQ(steps, 10);
}

// A hurt monster cools down for 30 item ticks: still cooling (and tinted) at 30, ready
// and untinted at the 31st.
TEST_F(RuleEdges, AHurtMonsterCanBeHurtAgainAfterThirtyItemTicks) {
  FreezeMonsters();
  Ogre().hitCooldown = 28;
  CoolDownMonsters();
  ASSERT_EQ(Ogre().hitCooldown, 29);
  CoolDownMonsters();
  EXPECT_EQ(Ogre().hitCooldown, 30);
  EXPECT_EQ(Object(Ogre().spriteId)->trendDepth, 20);  // the pulse's low point
  CoolDownMonsters();
  EXPECT_EQ(Ogre().hitCooldown, 0);
  EXPECT_EQ(Object(Ogre().spriteId)->trendDepth, 0);
}

// The red flash steps its phase by 2 and ends when the phase reaches 62: at 60 it still
// tints, at 62 the tint and hitFlag go.
TEST_F(RuleEdges, TheHurtFlashEndsWhenItsPhaseReachesSixtyTwo) {
  FreezeMonsters();
  state[hitFlag] = 1;
  state[flashPhase] = 58;
  StepHurtFlash();
  EXPECT_EQ(state[flashPhase], 60);
  EXPECT_EQ(state[hitFlag], 1);
  EXPECT_EQ(Object(state[heroSprite])->trendDepth, 20);
  StepHurtFlash();
  EXPECT_EQ(state[flashPhase], 0);
  EXPECT_EQ(state[hitFlag], 0);
  EXPECT_EQ(Object(state[heroSprite])->trendDepth, 0);
  // The depth peaks at 50 on phase 30 and is 48 either side of it.
  state[hitFlag] = 1;
  for (int phase : {28, 30, 32}) {
    state[flashPhase] = phase - 2;
    StepHurtFlash();
    EXPECT_EQ(Object(state[heroSprite])->trendDepth, phase == 30 ? 50 : 48) << phase;
  }
}

// Five quiet idle ticks are counted; the sixth shows the idle pose.
TEST_F(RuleEdges, TheIdlePoseComesOnTheSixthQuietTick) {
  FreezeMonsters();
  state[idleTicks] = 0;
  for (int t = 1; t <= 5; ++t) ShowIdlePoseWhenQuiet();
  EXPECT_EQ(state[idleTicks], 5);
  EXPECT_EQ(state[idleShown], 0);
  EXPECT_TRUE(Object(state[heroSprite])->visible);
  ShowIdlePoseWhenQuiet();
  EXPECT_EQ(state[idleShown], 1);
  EXPECT_FALSE(Object(state[heroSprite])->visible);
}

// The dead hero squeezes for 90 ticks, 10 per mille each, and only then rises 10 pixels a
// tick.
TEST_F(RuleEdges, TheDeadHeroSqueezesNinetyTicksBeforeRising) {
  FreezeMonsters();
  state[heroDead] = 1;
  const int y = state[heroY];
  for (int t = 1; t <= 89; ++t) StepDeathExit();
  EXPECT_EQ(MainStage.Zoom(state[heroSprite]), 110);
  EXPECT_EQ(Object(state[heroSprite])->trendDepth, 89);
  StepDeathExit();
  EXPECT_EQ(MainStage.Zoom(state[heroSprite]), 100);
  EXPECT_EQ(state[heroY], y);
  StepDeathExit();
  EXPECT_EQ(state[heroY], y - 10);
}

// The blade takes 5 to 30 hit points from the ogre: over enough draws both ends come up
// and nothing outside them.
TEST_F(RuleEdges, TheBladeTakesFiveToThirtyHitPoints) {
  FreezeMonsters();
  Ogre().kind = kOgre;
  PlaceHeroBesideOgre();
  HeroAttack();  // the blade light stays while no time passes
  // On to the frame of the swing where the light reaches the ogre.
  for (int f = 0; f < 20 && MainStage.FindOverlapping(Ogre().spriteId, Gbk(Tag::Blade)) != state[bladeSprite]; ++f)
    MainStage.NextFrame(state[bladeSprite]);
  std::map<int, int> seen;
  for (int hit = 0; hit < 300; ++hit) {
    Monster& m = Ogre();
    m.state = Walking;
    m.hitCooldown = 0;
    m.hp = m.maxHp = 100000;
    ASSERT_EQ(ResolveFirstContact(), Contact::MonsterHurt) << hit;
    seen[100000 - Ogre().hp] += 1;
  }
  ExpectFiveToThirty(seen);
}

// A monster's attack effect takes 5 to 30 hit points from the hero: both ends come up
// over enough draws, and nothing outside them.
TEST_F(RuleEdges, AMonsterAttackTakesFiveToThirtyHitPoints) {
  FreezeMonsters();
  // An effect sprite lying over the hero stands in for the ogre's swing.
  Ogre().attackEffectId = MainStage.CreatePlain(MainStage.X(state[heroSprite]), MainStage.Y(state[heroSprite]));
  MainStage.SetPicture(Ogre().attackEffectId, StandPicture());
  std::map<int, int> seen;
  for (int hit = 0; hit < 300; ++hit) {
    Ogre().state = Attacking;
    state[hitFlag] = 0;
    state[hp] = state[maxHp] = 100000;
    ASSERT_EQ(ResolveFirstContact(), Contact::HeroHurt) << hit;
    seen[100000 - state[hp]] += 1;
  }
  ExpectFiveToThirty(seen);
}

// A monster in reach attacks on one face of a thirty-sided die, and of a twenty-sided one
// while it cools down from a hit: over many ticks the attacks fall on exactly one value of
// the draw modulo the die's size, and on every tick that drew it. A die one face larger or
// smaller spreads them over several values.
TEST_F(RuleEdges, AMonsterInReachAttacksOnOneFaceOfItsDie) {
  FreezeMonsters();
  Ogre().kind = kOgre;
  const int heroBoxX = MainStage.X(Ogre().spriteId) - 100;
  for (const auto& [cooldown, faces] : {std::pair{0, 30}, std::pair{5, 20}}) {
    std::map<int, int> attacksByFace, ticksByFace;
    int attacks = 0;
    for (int tick = 0; tick < 3000; ++tick) {
      const bool attacked = OgreTick(heroBoxX, cooldown);
      const int face = LastDraw() % faces;
      ticksByFace[face] += 1;
      if (attacked) attacksByFace[face] += 1, ++attacks;
    }
    SCOPED_TRACE(testing::Message() << "1 in " << faces);
    ASSERT_EQ(ticksByFace.size(), size_t(faces));  // every face came up
    ASSERT_EQ(attacksByFace.size(), 1u);
    const auto [face, count] = *attacksByFace.begin();
    EXPECT_EQ(count, ticksByFace[face]);
    EXPECT_NEAR(attacks, 3000 / faces, 3000 / faces / 3);
  }
}

// A monster reaches 150 pixels from its sprite's left edge to the hero's box, either way:
// at 150 it attacks now and then, at 151 never.
TEST_F(RuleEdges, AMonsterReachesOneHundredFiftyPixels) {
  FreezeMonsters();
  Ogre().kind = kOgre;
  const int x = MainStage.X(Ogre().spriteId);
  auto attacksOver600Ticks = [&](int heroBoxX) {
    int attacks = 0;
    for (int tick = 0; tick < 600; ++tick) attacks += OgreTick(heroBoxX, 0);
    return attacks;
  };
  EXPECT_GT(attacksOver600Ticks(x - 150), 0);
  EXPECT_GT(attacksOver600Ticks(x + 150), 0);
  EXPECT_EQ(attacksOver600Ticks(x - 151), 0);
  EXPECT_EQ(attacksOver600Ticks(x + 151), 0);
}

// A picked item flies 5 pixels a tick on each axis toward the hero's middle, the last step
// on each axis as short as it needs to be; there it fades 5 per mille a tick and goes into
// the inventory on the twentieth.
TEST_F(RuleEdges, APickedItemFliesFivePixelsATickAndFadesInTwentyTicks) {
  FreezeMonsters();
  const int midX = Trunc(state[heroX] + state[boxWidth] / 2.0);
  const int midY = Trunc(state[heroY] + state[boxHeight] / 2.0);
  CreateItem(midX - 23, midY + 12, *FindItemKind(kChickenLeg));
  const int64_t index = state.GroundItems().Count();
  const int sprite = state.GroundItems()[index].spriteId;
  state.GroundItems()[index].pickState = 1;
  std::vector<int> xs, ys;
  for (int tick = 0; tick < 6; ++tick) {
    FlyPickedItems();
    xs.push_back(MainStage.X(sprite) - midX);
    ys.push_back(MainStage.Y(sprite) - midY);
  }
  EXPECT_THAT(xs, testing::ElementsAre(-18, -13, -8, -3, 0, 0));
  EXPECT_THAT(ys, testing::ElementsAre(7, 2, 0, 0, 0, 0));
  // Landed on the fifth tick, faded once on it and once on the sixth.
  EXPECT_EQ(MainStage.Alpha(sprite), 10);
  for (int fade = 3; fade <= 19; ++fade) FlyPickedItems();
  EXPECT_EQ(state.GroundItems().Count(), index);
  EXPECT_EQ(MainStage.Alpha(sprite), 95);
  FlyPickedItems();
  EXPECT_EQ(state.GroundItems().Count(), index - 1);
  EXPECT_EQ(state.Slots()[1].iconSpriteId, sprite);
}

}  // namespace
