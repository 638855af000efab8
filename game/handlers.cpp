// The game's event handlers as the form wires them: each reads its event's arguments and
// hands over to the game's routines.
#include <cstdint>
#include <optional>

#include "game/rules.h"
#include "game/state.h"
#include "runtime/forms/runtime.h"
#include "stage/stage_events.h"
#include "tv_game_form.h"

namespace game {

using Result = std::optional<int64_t>;

// `GameForm` `CloseRequested` (also raised by Esc): the program ends here, in order.
Result EndGame(const rt::EventRecord&) { rt::EndProgram(0); }

Result StartSplash(const rt::EventRecord&) {
  ShowSplash();
  return std::nullopt;
}

Result HeroKeyDown(const rt::EventRecord& ev) {
  OnWatchedKeyDown(stage::WatchedKeyEvent::From(ev).key);
  return std::nullopt;
}

// `KeyUp` is a common event; its one argument is the key code.
Result HeroKeyUp(const rt::EventRecord& ev) {
  OnKeyUp(ev.args[0]);
  return std::nullopt;
}

// The splash, the hero's swing and the monsters' one-time animations end here.
Result StageAnimationFinished(const rt::EventRecord& ev) {
  const int id = stage::ObjectEvent::From(ev).object;
  if (id != 0 && id == state[ScreenRef::splashSprite]) OnSplashFinished();
  OnAttackFinished(id);
  OnMonsterAnimationFinished(id);
  return std::nullopt;
}

Result IgnoreCollision(const rt::EventRecord&) { return std::nullopt; }
Result IgnoreBorderHit(const rt::EventRecord&) { return std::nullopt; }

Result StageOutOfBorder(const rt::EventRecord& ev) {
  GameOver(stage::ObjectEvent::From(ev).object);
  return std::nullopt;
}

Result JumpStep(const rt::EventRecord&) {
  OnJumpTick();
  return std::nullopt;
}

Result HeroFlashStep(const rt::EventRecord&) {
  OnHeroFlashTick();
  return std::nullopt;
}

Result ContactStep(const rt::EventRecord&) {
  OnContactTick();
  return std::nullopt;
}

Result MonsterStep(const rt::EventRecord&) {
  OnMonsterTick();
  return std::nullopt;
}

Result IdleStep(const rt::EventRecord&) {
  OnIdleTick();
  return std::nullopt;
}

Result ItemUseDone(const rt::EventRecord&) {
  FinishItemUse();
  return std::nullopt;
}

Result PickUpStep(const rt::EventRecord&) {
  FlyPickedItems();
  DriftDamageFigures();
  DeathExit();
  return std::nullopt;
}

Result ItemGlowStep(const rt::EventRecord&) {
  BobAndGlowItems();
  CoolDownMonsters();
  return std::nullopt;
}

}  // namespace game
