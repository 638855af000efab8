// The game form loaded in this process on the headless host, with counting handlers in
// place of the game's, so the wiring and the running timers can be watched.
#include <gtest/gtest.h>

#include <array>
#include <utility>

#include "game/form_ids.h"
#include "platform/host.h"
#include "platform/window.h"
#include "runtime/components/core_types.h"
#include "runtime/forms/runtime.h"
#include "stage/cartoon_box.h"
#include "tv_game_form.h"

namespace {

// Table order of game/game.form.
enum Slot {
  kStartSplash, kEndGame, kHeroKeyDown, kHeroKeyUp, kStageAnimationFinished,
  kIgnoreCollision, kIgnoreBorderHit, kStageOutOfBorder, kJumpStep, kHeroFlashStep,
  kItemUseDone, kPickUpStep, kItemGlowStep, kContactStep, kMonsterStep, kIdleStep, kSlots
};

std::array<int, kSlots> calls;
bool visibleAtCreated = true;

template <int I>
std::optional<int64_t> Count(const rt::EventRecord&) {
  ++calls[I];
  if (I == kStartSplash) visibleAtCreated = platform::IsWindowVisible(rt::FormWindow(game::GameForm));
  return std::nullopt;
}

template <int... I>
constexpr std::array<rt::Handler, sizeof...(I)> MakeTable(std::integer_sequence<int, I...>) {
  return {&Count<I>...};
}
const auto kTable = MakeTable(std::make_integer_sequence<int, kSlots>{});

TEST(GameFormLive, CreatedRunsHiddenAndTheFourRunningTimersTick) {
  ASSERT_EQ(game::FormProgram().handlers.size(), size_t(kSlots));
  platform::ResetForTesting();
  rt::ResetRuntimeForTesting();
  calls.fill(0);
  rt::InitRuntime({game::FormProgram().formDescription, kTable});
  rt::RegisterCoreUnitTypes();
  stage::RegisterStageUnitTypes();
  const uint32_t start = platform::GetHost().Now();
  rt::LoadWindow(game::GameForm);
  EXPECT_EQ(calls[kStartSplash], 1);
  EXPECT_FALSE(visibleAtCreated);
  EXPECT_TRUE(platform::IsWindowVisible(rt::FormWindow(game::GameForm)));

  platform::RunMessagesUntil(start + 1000);
  // 15, 200, 50 and 50 ms; the stopped timers stay silent. Ticks merge while the thread
  // is busy, so allow for a few lost ones, never for extra ones.
  EXPECT_GE(calls[kPickUpStep], 60);
  EXPECT_LE(calls[kPickUpStep], 67);
  EXPECT_EQ(calls[kItemGlowStep], 5);
  EXPECT_EQ(calls[kContactStep], 20);
  EXPECT_EQ(calls[kMonsterStep], 20);
  for (Slot s : {kJumpStep, kHeroFlashStep, kItemUseDone, kIdleStep}) EXPECT_EQ(calls[s], 0) << s;

  // Writing an interval starts a stopped timer.
  rt::WriteProperty(game::GameForm, game::JumpTimer, game::kTimerInterval, -1, 10);
  platform::RunMessagesUntil(start + 1100);
  EXPECT_EQ(calls[kJumpStep], 10);
  EXPECT_EQ(calls[kEndGame], 0);
}

}  // namespace
