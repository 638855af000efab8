// The pick-up, item, collision and monster timers sleep while their tick would change
// nothing. Asleep, none of their ticks is taken; once a handler (or a test between two
// pumps) gives one work, it ticks on its own grid from its start, as if it had never slept.
#include <gmock/gmock.h>

#include "level_fixture.h"

namespace gametest {
namespace {

using ::testing::Each;
using ::testing::IsEmpty;

class SleepingTimers : public LevelTest {
 protected:
  void SetUp() override {
    LevelTest::SetUp();
    start_ = now_;  // the running timers' grids count from the form's loading
  }
  bool OnGrid(uint32_t time, uint32_t period) const { return (time - start_) % period == 0; }
  // The ticks of `timer` follow one another on its grid, without a gap.
  void ExpectUnbroken(const std::vector<uint32_t>& ticks, uint32_t period) {
    for (size_t i = 0; i < ticks.size(); ++i) {
      EXPECT_TRUE(OnGrid(ticks[i], period)) << ticks[i];
      if (i > 0) {
        EXPECT_EQ(ticks[i] - ticks[i - 1], period) << ticks[i];
      }
    }
  }
  uint32_t start_ = 0;
};

TEST_F(SleepingTimers, OnTheSplashTheRunningTimersTakeNoTick) {
  RunFor(600);
  ASSERT_TRUE(MainStage.Exists(state[splashSprite]));  // still playing
  EXPECT_EQ(platform::GetTickCount(), start_ + 600);
  for (uint32_t timer : {form::PickUpTimer, form::ItemTimer, form::CollisionTimer, form::MonsterTimer})
    EXPECT_THAT(TicksOf(timer), IsEmpty()) << timer;
  // Still running all the while: asleep is not stopped.
  EXPECT_EQ(TimerInterval(form::PickUpTimer), 15);
  EXPECT_EQ(TimerInterval(form::CollisionTimer), 50);
}

TEST_F(SleepingTimers, AFigureShownByAKeyHandlerDriftsOnEveryPickUpTickFromTheNextGridPoint) {
  StartLevel();
  RunFor(300);
  ticks_.clear();
  RunFor(300);
  // In play the collision timer always has the hero to sort; the pick-up timer has
  // nothing flying, drifting or leaving.
  EXPECT_EQ(TicksOf(form::CollisionTimer).size(), 6u);
  EXPECT_THAT(TicksOf(form::PickUpTimer), IsEmpty());

  FillSlot(1, 1, 50, 1);  // a blue potion, drunk at 130 of 150: a healing figure
  state[hp] = 130;
  const uint32_t pressed = platform::GetTickCount();
  Tap(kKeyDigit0 + 1);
  ASSERT_EQ(state.DamageDigits().Count(), 2);
  const int digit = state.DamageDigits()[1];
  const int shownAt = 408;  // 32 below the box's top
  RunFor(600);
  const std::vector<uint32_t> ticks = TicksOf(form::PickUpTimer);
  ASSERT_FALSE(ticks.empty());
  // Woken within one period of the key's handling, then not one tick missed: one pixel
  // up per tick.
  EXPECT_LE(ticks.front(), pressed + 30 + 15);
  ExpectUnbroken(ticks, 15);
  EXPECT_EQ(ticks.back(), platform::GetTickCount() - (platform::GetTickCount() - start_) % 15);
  EXPECT_EQ(shownAt - MainStage.Y(digit), int(ticks.size()));

  // Gone after 76 ticks: asleep again, with nothing taken after the last step.
  RunFor(1000);
  EXPECT_EQ(state.DamageDigits().Count(), 0);
  const std::vector<uint32_t> all = TicksOf(form::PickUpTimer);
  ExpectUnbroken(all, 15);
  EXPECT_EQ(all.size(), 76u);
}

TEST_F(SleepingTimers, WorkGivenBetweenTwoPumpsIsTakenOnTheNextGridPoint) {
  StartLevel();
  RunFor(295);
  ticks_.clear();
  // A figure put up outside any handler: the next pick-up grid point moves it.
  ShowDamageFigure(state[heroBox], 5, FigureRow::Damage);
  const int digit = state.DamageDigits()[1];
  const uint32_t at = platform::GetTickCount();
  RunFor(100);
  const std::vector<uint32_t> ticks = TicksOf(form::PickUpTimer);
  ASSERT_FALSE(ticks.empty());
  EXPECT_GT(ticks.front(), at);
  EXPECT_LE(ticks.front(), at + 15);
  ExpectUnbroken(ticks, 15);
  EXPECT_EQ(408 - MainStage.Y(digit), int(ticks.size()));
}

}  // namespace
}  // namespace gametest
