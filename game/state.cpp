#include "game/state.h"

namespace game {

GameState state;

void CreateGameState() {
  state = GameState{};
  state.MonsterList = nullptr;  // lists start empty: no block at all
  state.HeroRefs = rt::NewArray(kHeroRefsSize, sizeof(int32_t));
  state.HeroStats = rt::NewArray(kHeroStatsSize, sizeof(int32_t));
  state.HeroFlags = rt::NewArray(kHeroFlagsSize, sizeof(int32_t));
  state.PlatformList = nullptr;
  state.Inventory = nullptr;
  state.ScreenRefs = rt::NewArray(kScreenRefsSize, sizeof(int32_t));
  state.GroundItemList = nullptr;
  state.DamageDigitList = nullptr;
  state.Airborne = 0;
  state.JumpState = rt::NewArray(kJumpStateSize, sizeof(int32_t));
}

namespace {

template <class R>
void ReleaseList(void*& list) {
  const int64_t n = Count(list);
  for (int64_t i = 1; i <= n; ++i) {
    R* record = rt::At<R*>(list, i);
    if (!record) continue;
    ReleaseOwned(*record);
    rt::Free(record);
  }
  rt::Free(list);
  list = nullptr;
}

void ReleaseArray(void*& block) {
  rt::Free(block);
  block = nullptr;
}

}  // namespace

void ReleaseText(char*& text) {
  if (text) rt::Free(text);  // empty owned values are skipped
  text = nullptr;
}

void ReleaseOwned(Monster& m) { ReleaseText(m.pictureFolder); }
void ReleaseOwned(Item& item) {
  ReleaseText(item.name);
  ReleaseText(item.description);
}
void ReleaseOwned(InventorySlot& slot) {
  ReleaseText(slot.description);
  ReleaseText(slot.name);
}

void ReleaseGameState() {
  WriteStateDumpIfAsked();
  ReleaseList<Monster>(state.MonsterList);
  ReleaseArray(state.HeroRefs);
  ReleaseArray(state.HeroStats);
  ReleaseArray(state.HeroFlags);
  ReleaseList<Platform>(state.PlatformList);
  ReleaseList<InventorySlot>(state.Inventory);
  ReleaseArray(state.ScreenRefs);
  ReleaseList<Item>(state.GroundItemList);
  ReleaseArray(state.DamageDigitList);
  ReleaseArray(state.JumpState);
}

}  // namespace game
