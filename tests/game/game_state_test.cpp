// Creating and releasing the game's global state.
#include <gtest/gtest.h>

#include "game/state.h"

namespace {

using namespace game;

TEST(GameState, CreatedEmptyWithZeroedSlots) {
  CreateGameState();
  EXPECT_EQ(Count(g.HeroRefs), 10);
  EXPECT_EQ(Count(g.HeroStats), 9);
  EXPECT_EQ(Count(g.HeroFlags), 10);
  EXPECT_EQ(Count(g.ScreenRefs), 3);
  EXPECT_EQ(Count(g.JumpState), 5);
  for (int i = 1; i <= 10; ++i) EXPECT_EQ(HeroRef(i), 0);
  for (int i = 1; i <= 9; ++i) EXPECT_EQ(HeroStat(i), 0);
  EXPECT_EQ(Count(g.MonsterList), 0);
  EXPECT_EQ(Count(g.PlatformList), 0);
  EXPECT_EQ(Count(g.Inventory), 0);
  EXPECT_EQ(Count(g.GroundItemList), 0);
  EXPECT_EQ(Count(g.DamageDigitList), 0);
  EXPECT_EQ(g.Airborne, 0);
  ReleaseGameState();
  EXPECT_EQ(g.HeroRefs, nullptr);
  EXPECT_EQ(g.JumpState, nullptr);
}

TEST(GameState, RecordsAndTheirTextsAreReleased) {
  CreateGameState();
  Monster& m = AppendRecord<Monster>(&g.MonsterList);
  m.kind = 4;
  m.pictureFolder = rt::MakeText("/x/monsters\\");
  Platform& p = AppendRecord<Platform>(&g.PlatformList);
  p.right = 640;
  Item& item = AppendRecord<Item>(&g.GroundItemList);
  item.name = rt::MakeText("potion");
  AppendRecord<InventorySlot>(&g.Inventory).description = rt::MakeText("heals");
  AppendInt(&g.DamageDigitList, 7);
  EXPECT_EQ(Count(g.MonsterList), 1);
  EXPECT_EQ(Record<Platform>(g.PlatformList, 1).right, 640);
  EXPECT_EQ(rt::At<int32_t>(g.DamageDigitList, 1), 7);
  ReleaseGameState();  // under ASan a leaked text or record fails the run
  EXPECT_EQ(g.MonsterList, nullptr);
  EXPECT_EQ(g.GroundItemList, nullptr);
  EXPECT_EQ(g.Inventory, nullptr);
}

TEST(GameState, SlotIndexOutOfRangeIsARuntimeError) {
  CreateGameState();
  EXPECT_EXIT(HeroRef(11), testing::ExitedWithCode(255), "");
  EXPECT_EXIT(HeroStat(0), testing::ExitedWithCode(255), "");
  EXPECT_EXIT(Record<Platform>(g.PlatformList, 1), testing::ExitedWithCode(255), "");
  ReleaseGameState();
}

TEST(GameState, DumpNamesEverySlotAndField) {
  CreateGameState();
  HeroRef(heroX) = 120;
  HeroStat(hp) = 150;
  Platform& p = AppendRecord<Platform>(&g.PlatformList);
  p.top = 473;
  p.level = 1;
  const std::string json = DumpStateJson();
  EXPECT_NE(json.find("\"heroX\":120"), std::string::npos) << json;
  EXPECT_NE(json.find("\"hp\":150"), std::string::npos);
  EXPECT_NE(json.find("\"PlatformList\":[{\"left\":0,\"top\":473"), std::string::npos);
  EXPECT_NE(json.find("\"Airborne\":0"), std::string::npos);
  EXPECT_NE(json.find("\"riseCut\":0"), std::string::npos);
  ReleaseGameState();
}

}  // namespace
