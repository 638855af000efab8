// The level on the live game form, with the game's own handlers, on the headless host:
// the splash and its skip, the layout, items, the inventory, figures, bars, game over.
#include <gmock/gmock.h>

#include <array>

#include "level_fixture.h"

namespace {

using namespace gametest;
using Level = LevelTest;
using ::testing::ElementsAre;

TEST_F(Level, EnterSkipsTheSplashAndBuildsTheLevelOnce) {
  ASSERT_TRUE(MainStage.Exists(state[splashSprite]));
  EXPECT_EQ(MainStage.Layer(state[splashSprite]), 10006);
  EXPECT_EQ(MainStage.Layer(state[coverSprite]), 10005);
  EXPECT_EQ(MainStage.Alpha(state[coverSprite]), 0);
  // Keys are not watched during the splash.
  EXPECT_TRUE(stage::CartoonBox::Find(form::GameForm, form::MainStage)->WatchedKeys().empty());
  StartLevel();
  EXPECT_FALSE(MainStage.Exists(state[splashSprite]));
  EXPECT_EQ(MainStage.Alpha(state[coverSprite]), 100);
  std::vector<int> watched;
  for (const auto& k : stage::CartoonBox::Find(form::GameForm, form::MainStage)->WatchedKeys()) {
    watched.push_back(k.key);
    EXPECT_EQ(k.interval, 10);
  }
  EXPECT_EQ(watched, (std::vector<int>{32, 37, 39, 90, 88, 49, 50, 51, 52, 53}));
  EXPECT_EQ(TimerInterval(form::IdleTimer), 1000);

  // Neither a late end of the splash's play nor a second Enter builds anything again.
  BuildLevelAfterSplash();
  Tap(kKeyEnter);
  EXPECT_EQ(state.Platforms().Count(), 5);
  EXPECT_EQ(state.Monsters().Count(), 2);
  EXPECT_EQ(state.Slots().Count(), 5);
  EXPECT_EQ(CountTagged("主角"), 1);
  EXPECT_EQ(CountTagged("物品"), 3);
}

TEST_F(Level, TheLevelIsLaidOutAsDescribed) {
  StartLevel();
  EXPECT_EQ(MainStage.X(state[heroSprite]), 0);
  EXPECT_EQ(MainStage.Y(state[heroSprite]), 376);
  EXPECT_EQ(MainStage.X(state[heroBox]), 19);
  EXPECT_EQ(MainStage.Width(state[heroBox]), 16);
  EXPECT_EQ(MainStage.Height(state[heroBox]), 96);
  EXPECT_EQ(MainStage.Alpha(state[heroBox]), 99);
  EXPECT_EQ(Object(state[heroSprite])->type, 1);
  EXPECT_EQ(Object(state[heroBox])->type, 5);
  EXPECT_EQ(state[boxOffset], 19);
  EXPECT_EQ(state[heroY], 376);
  EXPECT_EQ(state[hp], 150);
  EXPECT_EQ(state[HeroFlag::platformIndex], 1);

  const int expected[5][5] = {{0, 473, 640, 480, 1},   {272, 457, 368, 473, 1},
                              {544, 400, 640, 416, 2}, {322, 352, 418, 368, 2},
                              {544, 320, 640, 336, 2}};
  for (int i = 1; i <= 5; ++i) {
    const Platform& p = state.Platforms()[i];
    const int* e = expected[i - 1];
    EXPECT_EQ((std::vector<int>{p.left, p.top, p.right, p.bottom, p.level}),
              (std::vector<int>{e[0], e[1], e[2], e[3], e[4]}))
        << "platform " << i;
  }
  const Platform& ground = state.Platforms()[1];
  EXPECT_EQ(MainStage.Y(ground.spriteId), 472);
  EXPECT_EQ(MainStage.Height(ground.spriteId), 8);
  EXPECT_EQ(MainStage.Alpha(ground.spriteId), 30);

  const Monster& ogre = state.Monsters()[1];
  EXPECT_EQ((std::vector<int>{ogre.y, ogre.kind, ogre.hp, ogre.maxHp}), (std::vector<int>{343, 4, 200, 200}));
  EXPECT_NEAR(ogre.x, 490, 2);  // it has taken its first steps
  EXPECT_EQ(Object(ogre.spriteId)->type, 6);
  EXPECT_EQ(MainStage.Layer(ogre.barBackId), 10002);
  EXPECT_EQ(MainStage.Layer(ogre.barFillId), 10003);
  EXPECT_EQ(MainStage.X(ogre.barFillId), MainStage.X(ogre.barBackId) + 1);
  EXPECT_EQ(platform::GbkToUtf8(rt::TextView(ogre.pictureFolder)),
            platform::GbkToUtf8(rt::RunDirectory()) + "\\怪物图片\\");
  const Monster& dragon = state.Monsters()[2];
  EXPECT_EQ((std::vector<int>{dragon.x, dragon.y, dragon.kind, dragon.hp, dragon.barBackId}),
            (std::vector<int>{320, 20, 5, 0, 0}));

  // Items rest 25 above their platforms and bob out of step.
  const int items[3][3] = {{332, 327, 1}, {282, 432, 2}, {559, 295, 3}};
  for (int i = 1; i <= 3; ++i) {
    const Item& item = state.GroundItems()[i];
    EXPECT_EQ((std::vector<int>{item.x, item.y, item.kind}),
              (std::vector<int>{items[i - 1][0], items[i - 1][1], items[i - 1][2]}));
    EXPECT_EQ(MainStage.Layer(item.spriteId), 10001);
  }
  for (int i = 1; i <= 5; ++i) {
    const InventorySlot& s = state.Slots()[i];
    EXPECT_EQ(MainStage.X(s.slotSpriteId), 70 + (i - 1) * 43);
    EXPECT_EQ(MainStage.X(s.numberLabelId), 74 + (i - 1) * 43);
    EXPECT_EQ(Object(s.numberLabelId)->text, std::to_string(i));
    EXPECT_EQ(MainStage.Alpha(s.slotSpriteId), 20);
  }
  // The bob: glow phases 0, 5 and 3 advance one per 200 ms item tick.
  const int before[3] = {state.GroundItems()[1].glowPhase, state.GroundItems()[2].glowPhase,
                         state.GroundItems()[3].glowPhase};
  RunFor(400);
  for (int i = 1; i <= 3; ++i) EXPECT_EQ(state.GroundItems()[i].glowPhase, (before[i - 1] + 2) % 11) << i;
  // Over one whole round of eleven phases the leg rises five pixels, glowing brighter,
  // and comes back.
  std::array<int, 11> lift{}, glow{};
  for (int tick = 0; tick < 11; ++tick) {
    const Item& leg = state.GroundItems()[2];
    lift[size_t(leg.glowPhase)] = leg.y - MainStage.Y(leg.spriteId);
    glow[size_t(leg.glowPhase)] = Object(leg.spriteId)->trendDepth;
    RunFor(200);
  }
  EXPECT_THAT(lift, ElementsAre(0, 1, 2, 3, 4, 5, 4, 3, 2, 1, 0));
  EXPECT_THAT(glow, ElementsAre(0, 5, 10, 15, 20, 25, 20, 15, 10, 5, 0));
}

TEST_F(Level, PickedItemsFlyToTheHeroAndLandInTheInventory) {
  StartLevel();
  // The hero sprite over the chicken leg; the flight aims at the box's middle (8, 424).
  MainStage.Move(state[heroSprite], 270, 380);
  platform::PostKeyInput(kKeyX, true);
  RunFor(40);
  platform::PostKeyInput(kKeyX, false);
  Item& leg = state.GroundItems()[2];
  const int legSprite = leg.spriteId;
  ASSERT_EQ(leg.pickState, 1);
  EXPECT_EQ(Object(legSprite)->trendDepth, 0);
  EXPECT_EQ(state.GroundItems()[1].pickState, 0);

  RunFor(3000);
  ASSERT_EQ(state.GroundItems().Count(), 2);
  const InventorySlot& slot = state.Slots()[1];
  EXPECT_EQ((std::vector<int>{slot.kind, slot.count, slot.value, slot.iconSpriteId}),
            (std::vector<int>{2, 1, 100, legSprite}));
  EXPECT_EQ(platform::GbkToUtf8(rt::TextView(slot.name)), "鸡腿");
  EXPECT_EQ(MainStage.X(legSprite), 78);
  EXPECT_EQ(MainStage.Y(legSprite), 18);
  EXPECT_EQ(MainStage.Alpha(legSprite), 0);
  EXPECT_EQ(Object(slot.countLabelId)->text, "1");
  EXPECT_EQ(Object(slot.countLabelId)->textColour, 0xFF0000u);
  EXPECT_EQ(MainStage.X(slot.countLabelId), 100);
  EXPECT_EQ(MainStage.Layer(slot.countLabelId), 10002);

  // A second leg stacks on the first and its sprite goes.
  CreateItem(200, 300, *FindItemKind(kChickenLeg));
  Item& second = state.GroundItems()[3];
  const int secondSprite = second.spriteId;
  second.pickState = 1;
  RunFor(3000);
  EXPECT_EQ(state.Slots()[1].count, 2);
  EXPECT_EQ(Object(state.Slots()[1].countLabelId)->text, "2");
  EXPECT_FALSE(MainStage.Exists(secondSprite));

  // With every slot taken by other kinds, a picked potion is lost: it leaves the list and
  // its fully faded sprite stays where it landed.
  for (int i = 2; i <= 5; ++i) FillSlot(i, 9, 0, 1);
  Item& potion = state.GroundItems()[1];
  const int potionSprite = potion.spriteId;
  potion.pickState = 1;
  RunFor(3000);
  EXPECT_EQ(state.GroundItems().Count(), 1);
  EXPECT_TRUE(MainStage.Exists(potionSprite));
  EXPECT_EQ(MainStage.Alpha(potionSprite), 100);
  EXPECT_EQ(MainStage.X(potionSprite), 8);
  EXPECT_EQ(MainStage.Y(potionSprite), 424);
}

TEST_F(Level, UsingItemsHealsWithinTheLimitAndEmptiesTheStack) {
  StartLevel();
  FillSlot(1, 1, 50, 1);  // a blue potion
  FillSlot(2, 2, 100, 3);  // three chicken legs
  // At full health the potion is refused: nothing changes, the use timer stays stopped.
  Tap(kKeyDigit0 + 1);
  EXPECT_EQ(state.Slots()[1].count, 1);
  EXPECT_EQ(state.Slots()[1].inUse, 0);
  EXPECT_EQ(TimerInterval(form::UseItemTimer), 0);

  // At 130 of 150 the potion heals to 150 (not 180) and shows 50 in the healing row,
  // centred over the box (19, 16 wide): digits at 9 and 27, 32 below its top.
  state[hp] = 130;
  Tap(kKeyDigit0 + 1);
  EXPECT_EQ(state[hp], 150);
  ASSERT_EQ(state.DamageDigits().Count(), 2);
  EXPECT_EQ(MainStage.X(state.DamageDigits()[1]), 9);
  EXPECT_EQ(MainStage.X(state.DamageDigits()[2]), 27);
  EXPECT_EQ(MainStage.Width(state.DamageDigits()[1]), 18);
  EXPECT_EQ(MainStage.Layer(state.DamageDigits()[1]), 10004);
  RunFor(300);
  const InventorySlot& potion = state.Slots()[1];
  EXPECT_EQ((std::vector<int>{potion.kind, potion.count, potion.inUse}), (std::vector<int>{0, 0, 0}));
  EXPECT_EQ(TimerInterval(form::UseItemTimer), 0);

  // Two digits held: only the lower slot is used. One of three legs leaves "2".
  state[hp] = 10;
  platform::PostKeyInput(kKeyDigit0 + 2, true);
  platform::PostKeyInput(kKeyDigit0 + 3, true);
  RunFor(30);
  platform::PostKeyInput(kKeyDigit0 + 2, false);
  platform::PostKeyInput(kKeyDigit0 + 3, false);
  EXPECT_EQ(state[hp], 110);
  RunFor(300);
  EXPECT_EQ(state.Slots()[2].count, 2);
  EXPECT_EQ(Object(state.Slots()[2].countLabelId)->text, "2");
  EXPECT_EQ(MainStage.Alpha(state.Slots()[2].iconSpriteId), 0);

  // The cloak switches the cloak on without touching its running count.
  FillSlot(3, 3, 1, 1);
  state[cloakTicks] = 40;
  Tap(kKeyDigit0 + 3);
  EXPECT_EQ(state[cloakOn], 1);
  EXPECT_GE(state[cloakTicks], 40);  // counting on from where it was
  EXPECT_LE(state[cloakTicks], 42);
}

TEST_F(Level, DamageFiguresRiseFadeAndLeaveTheList) {
  StartLevel();
  ShowDamageFigure(state[heroBox], 5, FigureRow::Damage);  // one digit, centred: 19 + (16 - 18) / 2
  ASSERT_EQ(state.DamageDigits().Count(), 1);
  const int digit = state.DamageDigits()[1];
  EXPECT_EQ(MainStage.X(digit), 18);
  EXPECT_EQ(MainStage.Y(digit), 408);
  EXPECT_EQ(MainStage.Height(digit), 32);
  // 51 single and 25 double steps of transparency, one pixel up per 15 ms tick: gone after
  // 76 ticks.
  RunFor(15 * 70);
  ASSERT_TRUE(MainStage.Exists(digit));
  const int rise = 408 - MainStage.Y(digit);
  EXPECT_GE(rise, 66);
  EXPECT_EQ(MainStage.Alpha(digit), rise <= 51 ? rise : 51 + 2 * (rise - 51));
  RunFor(15 * 12);
  EXPECT_FALSE(MainStage.Exists(digit));
  EXPECT_EQ(state.DamageDigits().Count(), 0);
  // The scratch stage is left magenta for the bars.
  EXPECT_EQ(rt::ReadProperty(form::GameForm, form::ScratchStage, 8 + stage::kStBackColor), 0xFF00FF);
}

TEST_F(Level, BarsAreCroppedToTheHitPoints) {
  StartLevel();
  state[hp] = 75;
  RefreshHeroBar();
  EXPECT_EQ(MainStage.Width(state[hpBarFill]), 35);
  EXPECT_EQ(MainStage.Height(state[hpBarFill]), 20);
  state[hp] = 400;
  RefreshHeroBar();
  EXPECT_EQ(state[hp], 150);
  EXPECT_EQ(MainStage.Width(state[hpBarFill]), 70);
  state[hp] = 0;
  RefreshHeroBar();
  EXPECT_EQ(MainStage.Width(state[hpBarFill]), 0);

  Monster& ogre = state.Monsters()[1];
  ogre.hp = 100;
  UpdateMonsterHealthBar(1);
  EXPECT_EQ(MainStage.Width(ogre.barFillId), 26);
  ogre.hp = -3;
  UpdateMonsterHealthBar(1);
  EXPECT_EQ(MainStage.Width(ogre.barFillId), 0);

  // The probe counts every sprite, the transparent start cover over the whole stage too;
  // beside the stage it finds nothing. It leaves nothing behind.
  const size_t objects = stage::CartoonBox::Find(form::GameForm, form::MainStage)->ObjectIdsInOrder().size();
  EXPECT_TRUE(IsAreaOccupied(100, 150, 20, 20));
  EXPECT_FALSE(IsAreaOccupied(700, 150, 20, 20));
  EXPECT_EQ(stage::CartoonBox::Find(form::GameForm, form::MainStage)->ObjectIdsInOrder().size(), objects);
}

TEST_F(Level, OnlyTheHeroBoxLeavingTheStageEndsTheGame) {
  StartLevel();
  MainStage.MoveForward(state[heroSprite], 0, -300);
  EXPECT_EQ(state[gameOver], 0);
  MainStage.MoveForward(state[heroBox], 19, -200);
  EXPECT_EQ(state[gameOver], 1);
  EXPECT_EQ(MainStage.Alpha(state[coverSprite]), 0);
  EXPECT_EQ(Object(state[coverSprite])->trendColour, 0u);
  EXPECT_EQ(Object(state[coverSprite])->trendDepth, 100);
  const stage::CartoonBox* box = stage::CartoonBox::Find(form::GameForm, form::MainStage);
  const int text = box->ObjectIdsInOrder().back();
  const stage::StageObject& t = *box->FindObject(text);
  EXPECT_EQ(t.text, Gbk("游戏结束"));
  EXPECT_GT(t.layer, 10005);
  EXPECT_EQ(t.alpha, 0);
  EXPECT_TRUE(t.visible);
  const int w = MainStage.Width(text), h = MainStage.Height(text);
  EXPECT_GT(w, 150);  // four characters of a 50-point face
  EXPECT_EQ(MainStage.X(text), (640 - w) / 2);
  EXPECT_EQ(MainStage.Y(text), (480 - h) / 2);
}

}  // namespace
