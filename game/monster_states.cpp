// How a monster enters each of its states, as a table in the manner of the classic state
// tables: one row per way in, giving the picture it shows from then on, which way the
// picture faces and the layer it goes to; EnterState applies a row. The end of a
// monster's one-time animation ends its hurt, attack or death.
#include <optional>

#include "game/components.h"
#include "game/rules.h"
#include "game/state.h"
#include "runtime/commands/commands.h"

namespace game {
namespace {

using enum HeroRef;

enum class Facing { Unchanged, Heading, TowardHero };

struct EntryRow {
  MonsterState state;        // the state entered
  Pose pose;                 // the picture from then on
  int64_t key;               // its transparent colour
  Facing facing;             // Heading is the walking direction
  std::optional<int> layer;  // none keeps the monster's own
  bool playsOnce;            // the picture plays once, and its end ends the state
  // An attack's swing is played as if to go when done; the picture that ends the attack
  // clears that, so the monster survives it.
  bool destroyWhenDone;
  int loopDelayMs;
};

constexpr EntryRow Row(MonsterEntry entry) {
  switch (entry) {
    case MonsterEntry::Attack:
      return {Attacking, Pose::Attacking, kTopLeftKey, Facing::TowardHero, {}, true, true, 1};
    case MonsterEntry::Flinch: return {Hurt, Pose::Hurt, kNoKey, Facing::Unchanged, {}, true, false, 0};
    case MonsterEntry::Die: return {Dying, Pose::Hurt, kNoKey, Facing::Unchanged, {}, true, false, 0};
    case MonsterEntry::WalkOn: return {Walking, Pose::Walking, kNoKey, Facing::Heading, {}, false, false, 0};
    case MonsterEntry::StepBack:
      return {Walking, Pose::Walking, kNoKey, Facing::Heading, kLayerMonster, false, false, 0};
  }
  return {};
}

int RandomDirection() {
  rt::SetRandomSeed();
  return rt::Random(0, 1);
}

// A hurt monster walks on in a fresh random direction, on a fresh leg.
void RecoverFromHurt(Monster& m) {
  m.direction = RandomDirection();
  m.stepCounter = 1;
  EnterState(m, MonsterEntry::WalkOn);
}

// The attack kept the record's place: the monster steps back to it once its walking
// picture is on. The order shows: the stage repaints the areas each change uncovers.
void EndAttack(Monster& m) {
  EnterState(m, MonsterEntry::StepBack);
  MainStage.Move(m.spriteId, m.x, m.y);
}

void Remove(int64_t index) {
  const Monster& m = state.Monsters()[index];
  for (int id : {m.spriteId, m.barFillId, m.barBackId}) MainStage.Destroy(id);
  state.Monsters().RemoveAt(index);
}

}  // namespace

bool HeroToTheRight(const Monster& m) { return MainStage.X(m.spriteId) < MainStage.X(state[heroBox]); }

void EnterState(Monster& m, MonsterEntry entry) {
  const EntryRow row = Row(entry);
  const int towardHero = HeroToTheRight(m) ? kFaceRight : kFaceLeft;
  m.state = row.state;
  MainStage.SetPicture(m.spriteId, MonsterPicture(m, row.pose), row.key);
  if (row.facing == Facing::Heading) MainStage.SetFlip(m.spriteId, m.direction);
  if (row.facing == Facing::TowardHero) MainStage.SetFlip(m.spriteId, towardHero);
  if (row.layer) MainStage.SetLayer(m.spriteId, *row.layer);
  if (row.playsOnce) MainStage.Play(m.spriteId, 1, row.destroyWhenDone, row.loopDelayMs);
}

void EndMonsterState(int objectId) {
  RecordList<Monster> monsters = state.Monsters();
  for (int64_t i = 1; i <= monsters.Count(); ++i) {
    Monster& m = monsters[i];
    if (m.spriteId != objectId) continue;
    switch (m.state) {
      case Hurt: RecoverFromHurt(m); break;
      case Attacking: EndAttack(m); break;
      case Dying: Remove(i); break;
      default: break;
    }
    return;
  }
}

}  // namespace game
