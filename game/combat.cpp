// Contact handling every 50 ms: depth layers for the hero and the ogre, a monster's
// attack effect landing on the hero, the hero's blade hitting a monster, and the
// invisibility cloak running down. The monsters' hit cool-down runs on the item timer.
#include "game/components.h"
#include "game/rules.h"
#include "game/state.h"
#include "runtime/commands/commands.h"

namespace game {
namespace {

using enum HeroRef;
using enum HeroStat;
using enum HeroFlag;

constexpr int kCloakTicks = 300;

// The hero's body as shown: the swing, else the idle pose, else the hero sprite.
HeroRef ShownBody() {
  if (state[attacking] == 1) return attackSprite;
  if (state[idleShown] == 1) return idleSprite;
  return heroSprite;
}

const std::string& TagOf(HeroRef body) {
  return Gbk(body == attackSprite ? Tag::Attack : body == idleSprite ? Tag::Idle : Tag::Hero);
}

void HurtHero() {
  state[hitFlag] = 1;
  HeroFlashTimer.Start(20);
  const int d = rt::Random(5, 30);
  state[hp] -= d;
  ShowDamageFigure(state[heroBox], d, FigureRow::Damage);
  if (state[hp] < 1) {
    state[hp] = 0;
    state[heroDead] = 1;
    if (state[idleShown] == 1) {
      MainStage.Destroy(state[idleSprite]);
      MainStage.SetPicture(state[heroSprite], StandPicture());
      MainStage.Show(state[heroSprite]);
      state[idleShown] = 0;
    }
  }
  RefreshHeroBar();
}

// A monster that loses hit points loses 5 to 30 and dies below 1; the others only flinch.
Contact HurtMonster(int64_t index) {
  Monster& m = state.Monsters()[index];
  const bool loses = LosesHitPoints(m);
  const int d = loses ? rt::Random(5, 30) : 0;
  const bool killed = m.hp - d < 1 && loses;
  EnterState(m, killed ? MonsterEntry::Die : MonsterEntry::Flinch);
  if (loses) {
    m.hp -= d;
    UpdateMonsterHealthBar(index);
    ShowDamageFigure(m.spriteId, d, FigureRow::Damage);
  }
  if (killed) return Contact::MonsterKilled;
  m.hitCooldown = 1;
  return Contact::MonsterHurt;
}

}  // namespace

// Before the level is built there is no hero to sort and nothing to fight.
bool CombatQuiet() {
  return !MainStage.Exists(state[ShownBody()]) && state.Monsters().Count() == 0 && state[cloakOn] != 1;
}

// Whoever stands lower is drawn in front.
void SortByDepth() {
  const int body = state[ShownBody()];
  MainStage.SetLayer(body, Trunc(state[heroY] + double(state[boxHeight])));
  RecordList<Monster> monsters = state.Monsters();
  for (int64_t i = 1; i <= monsters.Count(); ++i) {
    const Monster& m = monsters[i];
    if (!SortedByDepth(m)) continue;
    MainStage.SetLayer(m.spriteId, m.y + MainStage.Height(m.spriteId));
    if (m.state == Attacking) MainStage.SetLayer(m.attackEffectId, MainStage.Layer(body));
  }
}

void RunDownCloak() {
  if (state[cloakOn] != 1) return;
  state[cloakTicks] += 1;
  const bool over = state[cloakTicks] == kCloakTicks;
  for (HeroRef s : {heroSprite, attackSprite, idleSprite, bladeSprite})
    if (MainStage.Exists(state[s])) MainStage.SetAlpha(state[s], over ? 0 : 50);
  if (!over) return;
  state[cloakTicks] = 0;
  state[cloakOn] = 0;
}

// A monster's attack effect on the hero's shown body, or the blade on a walking monster
// that has cooled down: the first in list order is the only one handled on this tick.
Contact ResolveFirstContact() {
  const HeroRef body = ShownBody();
  RecordList<Monster> monsters = state.Monsters();
  for (int64_t i = 1; i <= monsters.Count(); ++i) {
    const Monster& m = monsters[i];
    if (m.state == Attacking && state[hitFlag] == 0 &&
        MainStage.FindOverlapping(m.attackEffectId, TagOf(body)) == state[body]) {
      HurtHero();
      return Contact::HeroHurt;
    }
    if (m.state == Walking && m.hitCooldown == 0 &&
        MainStage.FindOverlapping(m.spriteId, Gbk(Tag::Blade)) == state[bladeSprite])
      return HurtMonster(i);
  }
  return Contact::None;
}

// A hurt monster pulses yellow, 20 to 70 percent every two seconds, and can be hurt
// again after 30 item ticks.
bool MonstersCoolingDown() {
  RecordList<Monster> monsters = state.Monsters();
  for (int64_t i = 1; i <= monsters.Count(); ++i)
    if (monsters[i].hitCooldown > 0) return true;
  return false;
}

void CoolDownMonsters() {
  RecordList<Monster> monsters = state.Monsters();
  for (int64_t i = 1; i <= monsters.Count(); ++i) {
    Monster& m = monsters[i];
    if (m.hitCooldown <= 0) continue;
    m.hitCooldown += 1;
    if (m.hitCooldown == 31) {
      m.hitCooldown = 0;
      MainStage.Tint(m.spriteId, kYellow, 0);
      continue;
    }
    const int u = m.hitCooldown % 10;
    MainStage.Tint(m.spriteId, kYellow, u < 6 ? u * 10 + 20 : 100 - u * 10 + 30);
  }
}

}  // namespace game
