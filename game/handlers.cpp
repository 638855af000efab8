// What runs on each tick and event, in order: the form wires each timer and stage event
// to one of these handlers (their names are the form's), and each hands over to the
// game's routines. The timers run only while started; the intervals are the form's or
// the starter's.
#include <cstdint>
#include <optional>

#include "game/components.h"
#include "game/rules.h"
#include "game/state.h"
#include "runtime/forms/runtime.h"
#include "stage/model/stage_events.h"
#include "tv_game_form.h"

namespace game {

using Result = std::optional<int64_t>;

// ---- the window ---------------------------------------------------------------------

namespace {

// The timers that run from the start have nothing to do until the level is built (and
// some not for long stretches after): their ticks are left out while so, each exactly
// where its handler below would change nothing.
bool PickUpTimerIdle() { return !AnyItemInPickState(1) && !DamageFiguresShown() && !DeathExitRunning(); }
bool ItemTimerIdle() { return !AnyItemInPickState(0) && !MonstersCoolingDown(); }
bool CollisionTimerIdle() { return CombatQuiet(); }
bool MonsterTimerIdle() { return !MonstersWalking(); }

}  // namespace

Result StartSplash(const rt::EventRecord&) {  // `GameForm` Created
  PickUpTimer.SleepWhile(PickUpTimerIdle);
  ItemTimer.SleepWhile(ItemTimerIdle);
  CollisionTimer.SleepWhile(CollisionTimerIdle);
  MonsterTimer.SleepWhile(MonsterTimerIdle);
  ShowSplash();
  return std::nullopt;
}

// `GameForm` CloseRequested (also raised by Esc): the program ends here, in order.
Result EndGame(const rt::EventRecord&) { rt::EndProgram(0); }

// ---- the main stage ---------------------------------------------------------------------

Result HeroKeyDown(const rt::EventRecord& ev) {  // WatchedKeyDown, every 10 ms a held key
  ActOnHeldKeys(stage::WatchedKeyEvent::From(ev).key);
  return std::nullopt;
}

Result HeroKeyUp(const rt::EventRecord& ev) {  // KeyUp, a common event: the key code
  ActOnKeyRelease(ev.args[0]);
  return std::nullopt;
}

// The splash, the hero's swing and the monsters' one-time animations end here.
Result StageAnimationFinished(const rt::EventRecord& ev) {
  const int id = stage::ObjectEvent::From(ev).object;
  if (id != 0 && id == state[ScreenRef::splashSprite]) BuildLevelAfterSplash();
  EndHeroSwing(id);
  EndMonsterState(id);
  return std::nullopt;
}

// Combat is decided by the collision timer, not by the stage's own events.
Result IgnoreCollision(const rt::EventRecord&) { return std::nullopt; }
Result IgnoreBorderHit(const rt::EventRecord&) { return std::nullopt; }

Result StageOutOfBorder(const rt::EventRecord& ev) {
  GameOver(stage::ObjectEvent::From(ev).object);
  return std::nullopt;
}

// ---- the timers ---------------------------------------------------------------------------

Result JumpTimerTick(const rt::EventRecord&) {  // `JumpTimer`, 10 ms while in the air
  StepFlight();
  return std::nullopt;
}

Result HeroFlashTimerTick(const rt::EventRecord&) {  // `HeroFlashTimer`, 20 ms while hurt
  StepHurtFlash();
  return std::nullopt;
}

Result CollisionTimerTick(const rt::EventRecord&) {  // `CollisionTimer`, 50 ms
  SortByDepth();
  // A kill ends the tick: the cloak misses this one.
  if (ResolveFirstContact() != Contact::MonsterKilled) RunDownCloak();
  return std::nullopt;
}

Result MonsterTimerTick(const rt::EventRecord&) {  // `MonsterTimer`, 50 ms
  MonstersAttackOrWalk();
  return std::nullopt;
}

Result IdleTimerTick(const rt::EventRecord&) {  // `IdleTimer`, 1 s once the level is built
  ShowIdlePoseWhenQuiet();
  return std::nullopt;
}

Result UseItemTimerTick(const rt::EventRecord&) {  // `UseItemTimer`, once, 200 ms after a use
  FinishItemUse();
  return std::nullopt;
}

Result PickUpTimerTick(const rt::EventRecord&) {  // `PickUpTimer`, 15 ms
  FlyPickedItems();
  DriftDamageFigures();
  StepDeathExit();
  return std::nullopt;
}

Result ItemTimerTick(const rt::EventRecord&) {  // `ItemTimer`, 200 ms
  BobAndGlowItems();
  CoolDownMonsters();
  return std::nullopt;
}

}  // namespace game
