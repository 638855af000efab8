// The game form loaded in this process on the headless host, with counting handlers in
// place of the game's, so the wiring and the running timers can be watched.
#include <gtest/gtest.h>

#include <array>
#include <utility>

#include "game/components.h"
#include "platform/host.h"
#include "platform/window.h"
#include "runtime/components/core_types.h"
#include "runtime/forms/runtime.h"
#include "runtime/forms/timer.h"
#include "stage/component/cartoon_box.h"
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
  if (I == kStartSplash) visibleAtCreated = platform::IsWindowVisible(rt::FormWindow(game::form::GameForm));
  return std::nullopt;
}

template <int... I>
constexpr std::array<rt::Handler, sizeof...(I)> MakeTable(std::integer_sequence<int, I...>) {
  return {&Count<I>...};
}
const auto kTable = MakeTable(std::make_integer_sequence<int, kSlots>{});

// Loads the game form with the counting handlers; returns the virtual time it started.
uint32_t LoadCountingForm() {
  platform::ResetForTesting();
  rt::ResetRuntimeForTesting();
  calls.fill(0);
  rt::InitRuntime({game::FormProgram().formDescription, kTable});
  rt::RegisterCoreUnitTypes();
  stage::RegisterStageUnitTypes();
  const uint32_t start = platform::GetHost().Now();
  rt::LoadWindow(game::form::GameForm);
  return start;
}

TEST(GameFormLive, CreatedRunsHiddenAndTheFourRunningTimersTick) {
  ASSERT_EQ(game::FormProgram().handlers.size(), size_t(kSlots));
  const uint32_t start = LoadCountingForm();
  EXPECT_EQ(calls[kStartSplash], 1);
  EXPECT_FALSE(visibleAtCreated);
  EXPECT_TRUE(platform::IsWindowVisible(rt::FormWindow(game::form::GameForm)));

  platform::RunMessagesUntil(start + 1000);
  // 15, 200, 50 and 50 ms; the stopped timers stay silent. Ticks merge while the thread
  // is busy, so allow for a few lost ones, never for extra ones.
  EXPECT_GE(calls[kPickUpStep], 60);
  EXPECT_LE(calls[kPickUpStep], 67);
  EXPECT_EQ(calls[kItemGlowStep], 5);
  EXPECT_EQ(calls[kContactStep], 20);
  EXPECT_EQ(calls[kMonsterStep], 20);
  for (Slot s : {kJumpStep, kHeroFlashStep, kItemUseDone, kIdleStep}) EXPECT_EQ(calls[s], 0) << s;

  // Writing an interval starts a stopped timer; interval 0 stops it again.
  game::JumpTimer.Start(10);
  platform::RunMessagesUntil(start + 1100);
  EXPECT_EQ(calls[kJumpStep], 10);
  game::JumpTimer.Stop();
  platform::RunMessagesUntil(start + 1200);
  EXPECT_EQ(calls[kJumpStep], 10);
  EXPECT_EQ(calls[kEndGame], 0);
}

// The game's typed layer on the live form: each call must reach the right component and
// the right property (template properties are numbered after the eight common ones).
TEST(GameFormLive, TheGameLayerDrivesTheStagesAndTemplates) {
  using namespace game;
  LoadCountingForm();
  // The hero's collision box: a rectangle drawn, captured, made the template's picture.
  MainStage.DrawRectangle(0, 0, 16, 96);
  SpriteTemplate.SetPicture(MainStage.Capture(0, 0, 16, 96));
  MainStage.Clear();
  EXPECT_EQ(SpriteTemplate.PictureWidth(), 16);
  EXPECT_EQ(SpriteTemplate.PictureHeight(), 96);
  SpriteTemplate.SetFlip(kFaceRight);
  SpriteTemplate.SetTypeValue(5);
  const int box = MainStage.Create(SpriteTemplate, 19, 376, true, "box");
  EXPECT_EQ(MainStage.Width(box), 16);
  EXPECT_EQ(MainStage.Flip(box), kFaceRight);
  EXPECT_EQ(BlockTemplate.PictureWidth(), 96);

  // Plain moves truncate; alpha, layer and zoom read back.
  MainStage.Move(box, 30.9, -2.5);
  EXPECT_EQ(MainStage.X(box), 30);
  EXPECT_EQ(MainStage.Y(box), -2);
  MainStage.SetAlpha(box, 99);
  MainStage.SetLayer(box, 10000);
  MainStage.SetZoom(box, 500, 1000);
  EXPECT_EQ(MainStage.Alpha(box), 99);
  EXPECT_EQ(MainStage.Layer(box), 10000);
  EXPECT_EQ(MainStage.Zoom(box), 500);

  // Overlap by tag, at the object's place or at a given one.
  const int other = MainStage.Create(SpriteTemplate, 30, 0, true, "item");
  EXPECT_EQ(MainStage.FindOverlapping(box, "item"), other);
  EXPECT_EQ(MainStage.FindOverlapping(box, "item", 300, 300), -1);
  MainStage.Destroy(other);
  EXPECT_FALSE(MainStage.Exists(other));

  // The scratch stage: resized in place and its background colour under a capture.
  ScratchStage.Resize(70, 20);
  EXPECT_EQ(ScratchStage.StageWidth(), 70);
  EXPECT_EQ(ScratchStage.StageHeight(), 20);
  ScratchStage.SetBackColour(0xFF00FF);
  const Bytes crop = ScratchStage.Capture(0, 0, 70, 20);
  ASSERT_EQ(crop.size(), 54u + 70 * 20 * 4);
  EXPECT_EQ(crop[54], 0xFF);  // blue
  EXPECT_EQ(crop[55], 0x00);  // green
  EXPECT_EQ(crop[56], 0xFF);  // red

  // Program files: the picture folders lie beside the executable.
  EXPECT_EQ(PictureFileHeight("\\怪物图片\\武士雕像.jpg"), 136);
  EXPECT_EQ(PictureFileWidth("\\图片集合\\物品底图.png"), 0);  // the loader knows no PNG
  EXPECT_TRUE(ReadProgramFile("\\图片集合\\no such file.png").empty());
  MainStage.Focus();
  EXPECT_TRUE(MainStage.HasFocus());
}

}  // namespace
