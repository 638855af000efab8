// The monsters' behaviour: on every MonsterTimer tick each walking monster either starts
// an attack on a hero close by (by chance) or takes a step of its leg.
#include "game/components.h"
#include "game/rules.h"
#include "game/state.h"
#include "runtime/commands/commands.h"
#include "runtime/forms/component.h"

namespace game {
namespace {

using enum HeroRef;
using enum HeroStat;
using enum HeroFlag;

constexpr int kAttackReach = 150;
constexpr int kLookAhead = 40;
constexpr int kLegTicks = 40;

bool CanAttack(const Monster& m) {
  const double dx = MainStage.X(m.spriteId) - MainStage.X(state[heroBox]);
  if (!AtMost(std::fabs(dx) - kAttackReach, 0)) return false;
  if (state[heroDead] != 0 || state[cloakOn] != 0 || state[hitFlag] != 0) return false;
  const double top = state[heroY], bottom = state[heroY] + state[boxHeight];
  return Above(bottom - m.y, 0) && Below(top - (m.y + MainStage.Height(m.spriteId)), 0);
}

// The monster swings toward the hero and sends out its effect sprite, the one that hurts.
// Its record keeps x and y, so it returns to its walking place afterwards.
void StartAttack(Monster& m) {
  const bool right = HeroToTheRight(m);
  const int ax = right ? m.x - 10 : m.x - 67, ay = m.y - 12;
  EnterState(m, MonsterEntry::Attack);
  MainStage.Move(m.spriteId, ax, ay);
  m.attackEffectId = MainStage.CreatePlain(ax, ay);
  MainStage.SetFlip(m.attackEffectId, right ? kFaceRight : kFaceLeft);
  MainStage.SetPicture(m.attackEffectId, MonsterPicture(m, Pose::AttackEffect), kTopLeftKey);
  MainStage.SetCollision(m.attackEffectId, true);
  MainStage.SetTypeValue(m.attackEffectId, kTypeAttackEffect);
  MainStage.Play(m.attackEffectId, 1, /*destroyWhenDone=*/true, /*loopDelayMs=*/1);
}

// The first platform within reach ahead whose body spans the monster's feet.
bool PlatformAhead(const Monster& m, int direction) {
  const double feet = m.y + MainStage.Height(m.spriteId);
  const double w = MainStage.Width(m.spriteId);
  RecordList<Platform> platforms = state.Platforms();
  for (int64_t i = 1; i <= platforms.Count(); ++i) {
    const Platform& p = platforms[i];
    if (!Below(p.top, feet) || !AtLeast(p.bottom, feet)) continue;
    if (direction == 0 && AtLeast(p.right, m.x - kLookAhead) && Below(p.left, m.x)) return true;
    if (direction == 1 && AtMost(m.x + w, p.left) && AtMost(p.left, m.x + w + kLookAhead)) return true;
  }
  return false;
}

// A new leg: a fresh direction, turned round at a stage edge or a platform ahead.
void ChooseDirection(Monster& m) {
  m.stepCounter = 1;
  rt::SetRandomSeed();
  m.direction = rt::Random(0, 1);
  const double W = MainStage.StageWidth();
  if (m.direction == 0) {
    if (Below(m.x - kLookAhead, 0) || PlatformAhead(m, 0)) m.direction = 1;
  } else {
    if (Above(m.x + MainStage.Width(m.spriteId) + kLookAhead, W) || PlatformAhead(m, 1)) m.direction = 0;
  }
  MainStage.SetFlip(m.spriteId, m.direction);
}

// One pixel every fourth tick, as a forward move; the bar follows.
void Walk(Monster& m) {
  if (m.stepCounter == kLegTicks) ChooseDirection(m);
  m.stepCounter += 1;
  if (m.stepCounter % 4 != 0) return;
  MainStage.NextFrame(m.spriteId);
  m.x += m.direction == 0 ? -1 : 1;
  MainStage.MoveForward(m.spriteId, m.x, m.y);
  if (HasBar(m)) PlaceMonsterBar(m);
}

// Only a walking monster of a known kind acts on a tick.
bool Acts(const Monster& m) { return m.state == Walking && FindMonsterKind(m.kind); }

}  // namespace

bool MonstersWalking() {
  RecordList<Monster> monsters = state.Monsters();
  for (int64_t i = 1; i <= monsters.Count(); ++i)
    if (Acts(monsters[i])) return true;
  return false;
}

void MonstersAttackOrWalk() {
  RecordList<Monster> monsters = state.Monsters();
  const int64_t n = monsters.Count();
  // An attack lets pending events run, which may remove monsters: the list is read
  // afresh for every monster and never through a record held across that.
  for (int64_t i = 1; i <= n && i <= monsters.Count(); ++i) {
    Monster& m = monsters[i];
    if (!Acts(m)) continue;
    if (CanAttack(m)) {
      rt::SetRandomSeed();
      if (rt::Random(1, m.hitCooldown == 0 ? 30 : 20) == 10) {
        StartAttack(m);
        rt::DoEvents();
        continue;
      }
    }
    Walk(m);
  }
}

}  // namespace game
