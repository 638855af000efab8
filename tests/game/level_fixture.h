// The live game form with the game's own handlers on the headless host, for tests that
// drive the level and its play in this process.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "game/components.h"
#include "game/rules.h"
#include "game/state.h"
#include "platform/host.h"
#include "platform/process.h"
#include "platform/text.h"
#include "platform/window.h"
#include "runtime/commands/commands.h"
#include "runtime/components/core_types.h"
#include "runtime/forms/component.h"
#include "runtime/forms/runtime.h"
#include "runtime/forms/timer.h"
#include "stage/component/cartoon_box.h"
#include "tv_game_form.h"

namespace gametest {

using namespace game;
using enum HeroRef;
using enum HeroStat;
using enum HeroFlag;
using enum JumpSlot;
using enum ScreenRef;

class LevelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::ResetForTesting();
    rt::ResetRuntimeForTesting();
    rt::InitRuntime(FormProgram());
    rt::RegisterCoreUnitTypes();
    stage::RegisterStageUnitTypes();
    CreateGameState();
    now_ = platform::GetHost().Now();
    rt::LoadWindow(form::GameForm);
  }
  void TearDown() override { ReleaseGameState(); }

  // Runs the game's messages as its loop does (keys through the form's pre-filter) for
  // `ms` of virtual time; ends once the time is up, whether or not a timer woke.
  void RunFor(uint32_t ms) {
    now_ += ms;
    platform::Message m;
    while (platform::GetTickCount() < now_ && platform::WaitMessageUntil(now_) && platform::GetMessage(m)) {
      if (m.message == platform::WM_TIMER) ticks_.push_back({m.hwnd, platform::GetTickCount()});
      if (!rt::PreFilterMessage(m)) platform::DispatchMessage(m);
    }
  }
  // The times at which RunFor's loop took a tick of the timer (or stage) component.
  std::vector<uint32_t> TicksOf(uint32_t componentId) const {
    const platform::HWND h = rt::FindComponent(form::GameForm, componentId)->Hwnd();
    std::vector<uint32_t> times;
    for (const auto& [hwnd, time] : ticks_)
      if (hwnd == h) times.push_back(time);
    return times;
  }
  void Tap(int vk) {
    platform::PostKeyInput(vk, true);
    RunFor(30);
    platform::PostKeyInput(vk, false);
    RunFor(30);
  }
  void StartLevel() {
    Tap(kKeyEnter);
    ASSERT_EQ(state.Platforms().Count(), 5);
  }
  const stage::StageObject* Object(int id) {
    return stage::CartoonBox::Find(form::GameForm, form::MainStage)->FindObject(id);
  }
  int TimerInterval(uint32_t timer) {
    return int(rt::ReadProperty(form::GameForm, timer, rt::kTimerInterval));
  }
  int CountTagged(const char* utf8Tag) {
    const stage::CartoonBox* box = stage::CartoonBox::Find(form::GameForm, form::MainStage);
    int n = 0;
    for (int id : box->ObjectIdsInOrder()) n += box->FindObject(id)->tag == Gbk(utf8Tag);
    return n;
  }
  // Puts `count` items of a kind into inventory slot i as a pick-up would.
  void FillSlot(int i, int kind, int value, int count) {
    InventorySlot& s = state.Slots()[i];
    s.kind = kind;
    s.value = value;
    s.count = count;
    s.iconSpriteId = MainStage.CreatePlain(MainStage.X(s.slotSpriteId) + 8, 18);
    s.countLabelId = MainStage.CreatePlain(MainStage.X(s.slotSpriteId) + 30, 35);
    MainStage.SetText(s.countLabelId, std::to_string(count));
  }

  uint32_t now_ = 0;
  std::vector<std::pair<platform::HWND, uint32_t>> ticks_;  // every tick RunFor took
};

}  // namespace gametest
