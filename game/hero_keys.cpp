// The hero's keys: the watched keys while held (every held key acts on every event, as
// the stage is asked about each) and the key releases.
#include "game/components.h"
#include "game/rules.h"
#include "game/state.h"

namespace game {
namespace {

using enum HeroRef;
using enum HeroStat;
using enum HeroFlag;
using enum ScreenRef;

bool Held(int key) { return Stage::IsKeyDown(key); }

// The lowest held digit whose slot holds something and is not in use already.
void UseHeldInventoryKey() {
  if (state[heroDead] != 0) return;
  for (int i = 1; i <= 5; ++i) {
    if (!Held(kKeyDigit0 + i)) continue;
    InventorySlot& slot = state.Slots()[i];
    if (slot.inUse != 0 || slot.kind == 0) continue;
    slot.inUse = 1;
    UseInventorySlot(i);
    return;
  }
}

// Keys other than the digits are ignored without the keyboard focus, while an attack is
// under way, and once the hero is dead.
bool HeroCanAct() {
  if (!MainStage.HasFocus()) return false;
  if (MainStage.Exists(state[idleSprite]) && state[attacking] == 1) return false;
  if (MainStage.Exists(state[bladeSprite])) return false;
  return state[heroDead] != 1;
}

}  // namespace

void OnWatchedKeyDown(int key) {
  (void)key;
  UseHeldInventoryKey();
  if (!HeroCanAct()) return;
  if (Held(kKeyX)) StartPickUp();
}

void OnKeyUp(int key) {
  if (key == kKeyEnter && MainStage.Exists(state[splashSprite])) SkipSplash();
}

}  // namespace game
