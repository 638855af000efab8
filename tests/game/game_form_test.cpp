// The built game form: what the runtime will create from it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>

#include "game/form_ids.h"
#include "runtime/forms/form_description.h"
#include "tv_game_form.h"

namespace {

using game::FormProgram;

const rt::WindowDescription& GameWindow() {
  static const auto windows = rt::ParseFormDescription(FormProgram().formDescription);
  EXPECT_TRUE(windows.has_value());
  EXPECT_EQ(windows->size(), 1u);
  return windows->front();
}

int32_t Word(const std::vector<uint8_t>& block, size_t index) {
  int32_t v = 0;
  if (block.size() >= (index + 1) * 4) std::memcpy(&v, block.data() + index * 4, 4);
  return v;
}

rt::Handler HandlerFor(const rt::UnitRecord& r, int32_t eventIndex) {
  for (const auto& e : r.events)
    if (e.eventIndex == eventIndex && e.handlerRef >= 0)
      return FormProgram().handlers[size_t(e.handlerRef)];
  return nullptr;
}

TEST(GameForm, HoldsTheWindowAndFourteenComponentsInStoredOrder) {
  const auto& w = GameWindow();
  EXPECT_EQ(w.windowId, game::form::GameForm);
  ASSERT_EQ(w.records.size(), 15u);
  const uint32_t keys[] = {game::form::GameForm, game::form::HomeLink, game::form::HelpLabel, game::form::UseItemTimer,
                           game::form::PickUpTimer, game::form::ItemTimer, game::form::HeroFlashTimer,
                           game::form::CollisionTimer, game::form::MonsterTimer, game::form::IdleTimer,
                           game::form::JumpTimer, game::form::BlockTemplate, game::form::SpriteTemplate,
                           game::form::ScratchStage, game::form::MainStage};
  const uint32_t types[] = {game::form::kTypeWindow, game::form::kTypeHyperLinker, game::form::kTypeLabel,
                            game::form::kTypeTimer, game::form::kTypeTimer, game::form::kTypeTimer,
                            game::form::kTypeTimer, game::form::kTypeTimer, game::form::kTypeTimer,
                            game::form::kTypeTimer, game::form::kTypeTimer, game::form::kTypeCartoonObject,
                            game::form::kTypeCartoonObject, game::form::kTypeCartoonBox,
                            game::form::kTypeCartoonBox};
  for (size_t i = 0; i < 15; ++i) {
    EXPECT_EQ(w.records[i].key, keys[i]) << i;
    EXPECT_EQ(w.records[i].typeCode, types[i]) << i;
  }
}

TEST(GameForm, EveryEventIsWiredToItsHandler) {
  const auto& w = GameWindow();
  EXPECT_EQ(HandlerFor(w.records[0], 0), &game::StartSplash);
  EXPECT_EQ(HandlerFor(w.records[0], 1), &game::EndGame);
  const auto& stage = w.records[14];
  EXPECT_EQ(HandlerFor(stage, 17), &game::HeroKeyDown);
  EXPECT_EQ(HandlerFor(stage, -10), &game::HeroKeyUp);
  EXPECT_EQ(HandlerFor(stage, 16), &game::StageAnimationFinished);
  EXPECT_EQ(HandlerFor(stage, 11), &game::IgnoreCollision);
  EXPECT_EQ(HandlerFor(stage, 12), &game::IgnoreBorderHit);
  EXPECT_EQ(HandlerFor(stage, 13), &game::StageOutOfBorder);
  const rt::Handler ticks[] = {&game::UseItemTimerTick, &game::PickUpTimerTick, &game::ItemTimerTick,
                               &game::HeroFlashTimerTick, &game::CollisionTimerTick, &game::MonsterTimerTick,
                               &game::IdleTimerTick, &game::JumpTimerTick};
  for (size_t i = 0; i < 8; ++i) EXPECT_EQ(HandlerFor(w.records[3 + i], 0), ticks[i]) << i;
  // Nothing else is wired: the scratch stage, the templates, the link and the label.
  for (size_t i : {1, 2, 11, 12, 13}) EXPECT_TRUE(w.records[i].events.empty()) << i;
}

TEST(GameForm, TemplatesCarryTheirPictures) {
  const auto& w = GameWindow();
  // Template block: 17 words before `type` and `TurnType`, then six length-prefixed blocks.
  const auto& sprite = w.records[12].ownBlock;
  EXPECT_EQ(Word(sprite, 0), 3);     // version
  EXPECT_EQ(Word(sprite, 5), 1000);  // zoom
  EXPECT_EQ(Word(sprite, 6), 0);     // PlayGIF off
  EXPECT_EQ(Word(sprite, 12), 1);    // layer
  EXPECT_EQ(Word(sprite, 16), 1);    // CollideAllowed
  EXPECT_EQ(Word(sprite, 17), 1);    // type value
  EXPECT_EQ(Word(sprite, 18), 1);    // TurnType: mirrored
  // text (empty), font (empty), then the picture: a GIF.
  EXPECT_EQ(Word(sprite, 19), 0);
  EXPECT_EQ(Word(sprite, 20), 0);
  const int32_t pictureLength = Word(sprite, 21);
  ASSERT_GT(pictureLength, 6);
  EXPECT_EQ(std::memcmp(sprite.data() + 22 * 4, "GIF8", 4), 0);
  const auto& block = w.records[11].ownBlock;
  ASSERT_GT(Word(block, 21), 2);
  EXPECT_EQ(block[22 * 4], 0xFF);  // a JPEG
  EXPECT_EQ(block[22 * 4 + 1], 0xD8);
}

}  // namespace
