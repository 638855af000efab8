#include "game/state.h"

namespace game {

GameState g;

void CreateGameState() {
  g = GameState{};
  g.MonsterList = nullptr;  // lists start empty: no block at all
  g.HeroRefs = rt::NewArray(kHeroRefsSize, sizeof(int32_t));
  g.HeroStats = rt::NewArray(kHeroStatsSize, sizeof(int32_t));
  g.HeroFlags = rt::NewArray(kHeroFlagsSize, sizeof(int32_t));
  g.PlatformList = nullptr;
  g.Inventory = nullptr;
  g.ScreenRefs = rt::NewArray(kScreenRefsSize, sizeof(int32_t));
  g.GroundItemList = nullptr;
  g.DamageDigitList = nullptr;
  g.Airborne = 0;
  g.JumpState = rt::NewArray(kJumpStateSize, sizeof(int32_t));
}

namespace {

template <class R, class ReleaseOwned>
void ReleaseList(void*& list, ReleaseOwned releaseOwned) {
  const int64_t n = Count(list);
  for (int64_t i = 1; i <= n; ++i) {
    R* record = rt::At<R*>(list, i);
    if (!record) continue;
    releaseOwned(*record);
    rt::Free(record);
  }
  rt::Free(list);
  list = nullptr;
}

void ReleaseArray(void*& block) {
  rt::Free(block);
  block = nullptr;
}

void FreeText(char*& text) {
  if (text) rt::Free(text);  // empty owned values are skipped
  text = nullptr;
}
}  // namespace

void ReleaseGameState() {
  WriteStateDumpIfAsked();
  ReleaseList<Monster>(g.MonsterList, [](Monster& m) { FreeText(m.pictureFolder); });
  ReleaseArray(g.HeroRefs);
  ReleaseArray(g.HeroStats);
  ReleaseArray(g.HeroFlags);
  ReleaseList<Platform>(g.PlatformList, [](Platform&) {});
  ReleaseList<InventorySlot>(g.Inventory, [](InventorySlot& s) {
    FreeText(s.description);
    FreeText(s.name);
  });
  ReleaseArray(g.ScreenRefs);
  ReleaseList<Item>(g.GroundItemList, [](Item& item) {
    FreeText(item.name);
    FreeText(item.description);
  });
  ReleaseArray(g.DamageDigitList);
  ReleaseArray(g.JumpState);
}

}  // namespace game
