// Creating and releasing the game's global state.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "dump_reader.h"
#include "game/state.h"

namespace {

using namespace game;
using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::Field;
using ::testing::IsEmpty;
using ::testing::SizeIs;

TEST(GameState, CreatedEmptyWithZeroedSlots) {
  CreateGameState();
  for (int i = 1; i <= kHeroRefsSize; ++i) EXPECT_EQ(state[HeroRef(i)], 0);
  for (int i = 1; i <= kHeroStatsSize; ++i) EXPECT_EQ(state[HeroStat(i)], 0);
  EXPECT_EQ(Count(state.MonsterList), 0);
  EXPECT_EQ(Count(state.PlatformList), 0);
  EXPECT_EQ(Count(state.Inventory), 0);
  EXPECT_EQ(Count(state.GroundItemList), 0);
  EXPECT_EQ(Count(state.DamageDigitList), 0);
  EXPECT_EQ(state.Airborne, 0);
  ReleaseGameState();
  EXPECT_EQ(state.HeroRefs, nullptr);
  EXPECT_EQ(state.JumpState, nullptr);
}

TEST(GameState, RecordsAndTheirTextsAreReleased) {
  CreateGameState();
  Monster& m = state.Monsters().Append();
  m.kind = 4;
  m.pictureFolder = rt::MakeText("/x/monsters\\");
  Platform& p = state.Platforms().Append();
  p.right = 640;
  Item& item = state.GroundItems().Append();
  item.name = rt::MakeText("potion");
  state.Slots().Append().description = rt::MakeText("heals");
  state.DamageDigits().Append(7);
  EXPECT_EQ(Count(state.MonsterList), 1);
  EXPECT_EQ(state.Platforms()[1].right, 640);
  EXPECT_EQ(rt::At<int32_t>(state.DamageDigitList, 1), 7);
  ReleaseGameState();  // under ASan a leaked text or record fails the run
  EXPECT_EQ(state.MonsterList, nullptr);
  EXPECT_EQ(state.GroundItemList, nullptr);
  EXPECT_EQ(state.Inventory, nullptr);
}

// Removal in a pass: the rules note positions and remove the j-th at its noted position
// minus (j - 1); the list must close up and release each record's texts.
TEST(GameState, RemovingRecordsClosesTheListAndReleasesTheirTexts) {
  CreateGameState();
  RecordList<Item> items = state.GroundItems();
  for (int kind = 1; kind <= 4; ++kind) {
    Item& item = items.Append();
    item.kind = kind;
    item.name = rt::MakeText("item");
  }
  items.RemoveAt(2);      // noted at 2
  items.RemoveAt(3 - 1);  // noted at 3, one removed before it
  ASSERT_EQ(items.Count(), 2);
  EXPECT_EQ(items[1].kind, 1);
  EXPECT_EQ(items[2].kind, 4);
  IntList digits = state.DamageDigits();
  for (int id : {5, 6, 7}) digits.Append(id);
  digits.RemoveAt(1);
  EXPECT_EQ(digits.Count(), 2);
  EXPECT_EQ(digits[1], 6);
  ReleaseGameState();  // under ASan a text left behind by RemoveAt fails the run
}

TEST(GameState, SlotIndexOutOfRangeIsARuntimeError) {
  CreateGameState();
  EXPECT_EXIT(state[HeroRef(11)], testing::ExitedWithCode(255), "");
  EXPECT_EXIT(state[HeroStat(0)], testing::ExitedWithCode(255), "");
  EXPECT_EXIT(state.Platforms()[1], testing::ExitedWithCode(255), "");
  ReleaseGameState();
}

TEST(GameState, DumpReadsBackSlotsAndRecordsWithoutAStage) {
  CreateGameState();
  state[HeroRef::heroX] = 120;
  state[HeroStat::hp] = 150;
  Platform& p = state.Platforms().Append();
  p.top = 473;
  p.level = 1;
  const auto d = dump::Dump::Parse(DumpStateJson());
  ASSERT_TRUE(d.has_value());
  EXPECT_EQ(d->Slot("heroX"), 120);
  EXPECT_EQ(d->Slot("hp"), 150);
  EXPECT_EQ(d->Slot("riseCut"), 0);
  EXPECT_THAT(d->Platforms(), ElementsAre(AllOf(Field(&dump::Platform::top, 473), Field(&dump::Platform::level, 1))));
  // No form is loaded: the stages are empty, the timers stopped, nothing watched.
  EXPECT_THAT(d->Objects("MainStage"), IsEmpty());
  EXPECT_THAT(d->Objects("ScratchStage"), IsEmpty());
  EXPECT_EQ(d->TimerInterval("JumpTimer"), 0);
  EXPECT_EQ(d->WatchInterval(), 0);
  EXPECT_EQ(d->PeakObjects(), 0);
  ReleaseGameState();
}

TEST(GameState, DumpKeepsTextsThatDoNotConvertCleanly) {
  CreateGameState();
  InventorySlot& slot = state.Slots().Append();
  // GBK with a lead byte at the very end: half a character.
  slot.name = rt::MakeText("\xB6\xFE\xB6");
  const auto d = dump::Dump::Parse(DumpStateJson());
  ASSERT_TRUE(d.has_value()) << "still one JSON document";
  EXPECT_THAT(d->Inventory(), SizeIs(1));
  ReleaseGameState();
}

}  // namespace
