// The five-slot inventory bar and the use of what lies in it: potions and the chicken
// leg heal, the cloak hides the hero; the use ends 200 ms later, one off the stack.
#include "game/components.h"
#include "game/rules.h"
#include "game/state.h"
#include "runtime/commands/commands.h"

namespace game {
namespace {

using enum HeroRef;
using enum HeroStat;

constexpr int kSlots = 5;
constexpr int kSlotLeft = 70, kSlotTop = 10, kSlotPitch = 43;

}  // namespace

void CreateInventoryBar() {
  for (int i = 1; i <= kSlots; ++i) {
    InventorySlot& s = state.Slots().Append();
    s.slotSpriteId = MainStage.CreatePlain(0, 0);
    MainStage.SetPicture(s.slotSpriteId, ReadProgramFile(kSlotPicture));
    MainStage.Move(s.slotSpriteId, kSlotLeft + (i - 1) * kSlotPitch, kSlotTop);
    MainStage.SetAlpha(s.slotSpriteId, 20);
    MainStage.SetLayer(s.slotSpriteId, kLayerHud);
    s.numberLabelId = MainStage.CreatePlain(kSlotLeft + 4 + (i - 1) * kSlotPitch, kSlotTop + 3);
    MainStage.SetText(s.numberLabelId, rt::ToText(i), nullptr, kBlack);
    MainStage.SetAlpha(s.numberLabelId, 20);
    MainStage.SetLayer(s.numberLabelId, kLayerLabels);
  }
}

void UseInventorySlot(int slot) {
  InventorySlot& r = state.Slots()[slot];
  const ItemKindRow* kind = FindItemKind(r.kind);
  if (kind && kind->use == ItemUse::Heal) {
    if (state[maxHp] <= state[hp]) {
      r.inUse = 0;  // refused at full health
      return;
    }
    state[hp] += r.value;
    RefreshHeroBar();
    ShowDamageFigure(state[heroBox], r.value, FigureRow::Healing);
  } else if (kind && kind->use == ItemUse::Hide) {
    state[cloakOn] = 1;  // a cloak already running keeps its tick count
  }
  MainStage.SetAlpha(r.iconSpriteId, 80);
  UseItemTimer.Start(200);
}

void FinishItemUse() {
  RecordList<InventorySlot> slots = state.Slots();
  for (int64_t i = 1; i <= slots.Count(); ++i) {
    InventorySlot& s = slots[i];
    if (s.inUse != 1) continue;
    s.count -= 1;
    if (s.count == 0) {
      MainStage.Destroy(s.iconSpriteId);
      MainStage.Destroy(s.countLabelId);
      s.kind = kNoItem;
      s.count = 0;
      ReleaseText(s.description);
      ReleaseText(s.name);
    } else {
      MainStage.SetAlpha(s.iconSpriteId, 0);
      MainStage.SetText(s.countLabelId, rt::ToText(s.count));
    }
    s.inUse = 0;
  }
  UseItemTimer.Stop();
}

}  // namespace game
