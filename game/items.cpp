// Items lying on the platforms: they bob and glow until the hero picks one up, then fly
// to the hero's middle, fade out and land in the inventory bar.
#include <cstdlib>
#include <vector>

#include "game/components.h"
#include "game/rules.h"
#include "game/state.h"
#include "runtime/commands/commands.h"

namespace game {
namespace {

using enum HeroRef;
using enum HeroStat;

constexpr int kFlightStep = 5;  // pixels a tick on each axis
constexpr int kFadeStep = 5;    // per mille a tick once landed; at 100 it is stored

// One step of the flight along one axis: up to kFlightStep pixels toward the target,
// landing on it.
int StepToward(int at, double target) {
  const int d = Trunc(at - target);
  if (d < 0) return std::abs(d) <= kFlightStep ? at + std::abs(d) : at + kFlightStep;
  if (d <= kFlightStep) return at - d;
  return at - kFlightStep;
}

// The item goes into the inventory: onto a stack of its kind, or into the first empty
// slot; with neither it is lost (its invisible sprite stays on the stage).
void StoreInInventory(Item& item) {
  RecordList<InventorySlot> slots = state.Slots();
  for (int64_t i = 1; i <= slots.Count(); ++i) {
    InventorySlot& s = slots[i];
    if (s.kind != item.kind) continue;
    s.count += 1;
    MainStage.SetText(s.countLabelId, rt::ToText(s.count));
    MainStage.Destroy(item.spriteId);
    return;
  }
  for (int64_t i = 1; i <= slots.Count(); ++i) {
    InventorySlot& s = slots[i];
    if (s.kind != kNoItem) continue;
    const int sx = MainStage.X(s.slotSpriteId), sy = MainStage.Y(s.slotSpriteId);
    s.iconSpriteId = item.spriteId;
    MainStage.Move(s.iconSpriteId, sx + 8, sy + 8);
    MainStage.SetAlpha(s.iconSpriteId, 0);
    s.count = 1;
    s.kind = item.kind;
    s.value = item.value;
    s.name = rt::MakeText(rt::TextView(item.name));
    s.description = rt::MakeText(rt::TextView(item.description));
    s.countLabelId = MainStage.CreatePlain(sx + 30, sy + 25);
    MainStage.SetText(s.countLabelId, "1", nullptr, kBlue);
    MainStage.SetLayer(s.countLabelId, kLayerLabels);
    return;
  }
}

}  // namespace

void CreateItem(double x, double y, const ItemKindRow& kind) {
  const int id = MainStage.CreatePlain(x, y);
  MainStage.SetPicture(id, ReadProgramFile(kind.picture), kTopLeftKey);
  MainStage.SetLayer(id, kLayerItems);
  MainStage.SetTag(id, Gbk(Tag::Item));
  Item& item = state.GroundItems().Append();
  item.name = rt::MakeText(Gbk(kind.name));
  item.kind = kind.kind;
  item.value = kind.value;
  item.description = rt::MakeText(Gbk(Text::ItemDescription));
  item.x = Trunc(x);
  item.y = Trunc(y);
  item.spriteId = id;
}

// The topmost item sprite the hero touches starts flying, if it lies on the ground.
void StartPickUp() {
  const int touched = MainStage.FindOverlapping(state[heroSprite], Gbk(Tag::Item));
  RecordList<Item> items = state.GroundItems();
  for (int64_t i = 1; i <= items.Count(); ++i) {
    Item& item = items[i];
    if (item.pickState != 0 || item.spriteId != touched) continue;
    item.pickState = 1;
    MainStage.Tint(item.spriteId, kWhite, 0);
    return;
  }
}

bool AnyItemInPickState(int pickState) {
  RecordList<Item> items = state.GroundItems();
  for (int64_t i = 1; i <= items.Count(); ++i)
    if (items[i].pickState == pickState) return true;
  return false;
}

void BobAndGlowItems() {
  RecordList<Item> items = state.GroundItems();
  for (int64_t i = 1; i <= items.Count(); ++i) {
    Item& item = items[i];
    if (item.pickState != 0) continue;
    item.glowPhase = item.glowPhase + 1 == 11 ? 0 : item.glowPhase + 1;
    if (item.glowPhase < 6) {
      MainStage.Move(item.spriteId, item.x, item.y - item.glowPhase);
      MainStage.Tint(item.spriteId, kWhite, item.glowPhase * 5);
    } else {
      MainStage.Move(item.spriteId, item.x, item.y - 10 + item.glowPhase);
      MainStage.Tint(item.spriteId, kWhite, 50 - item.glowPhase * 5);
    }
  }
}

void FlyPickedItems() {
  RecordList<Item> items = state.GroundItems();
  std::vector<int64_t> landed;
  for (int64_t i = 1; i <= items.Count(); ++i) {
    Item& item = items[i];
    if (item.pickState != 1) continue;
    const double tx = state[heroX] + state[boxWidth] / 2.0;
    const double ty = state[heroY] + state[boxHeight] / 2.0;
    item.x = StepToward(item.x, tx);
    item.y = StepToward(item.y, ty);
    MainStage.Move(item.spriteId, item.x, item.y);
    if (!Same(item.x, tx) || !Same(item.y, ty)) continue;
    item.fade += kFadeStep;
    MainStage.SetAlpha(item.spriteId, item.fade);
    if (item.fade < 100) continue;
    StoreInInventory(item);
    landed.push_back(i);
  }
  // Each removal moves the later records up by one.
  for (size_t j = 0; j < landed.size(); ++j) items.RemoveAt(landed[j] - int64_t(j));
}

}  // namespace game
