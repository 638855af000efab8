// The hero's keys. Every held watched key acts on every WatchedKeyDown event, because the
// handler asks the stage about each key instead of looking at the one that raised it;
// releases stand the hero up, cut a jump short, or skip the splash.
#include "game/components.h"
#include "game/rules.h"
#include "game/state.h"

namespace game {
namespace {

using enum HeroRef;
using enum HeroStat;
using enum HeroFlag;
using enum JumpSlot;
using enum ScreenRef;

constexpr int kStep = 3;  // pixels per key event

bool Held(int key) { return Stage::IsKeyDown(key); }

// The lowest held digit whose slot holds something and is not in use already.
void UseHeldInventoryKey() {
  if (state[heroDead] != 0) return;
  for (int i = 1; i <= 5; ++i) {
    if (!Held(kKeyDigit0 + i)) continue;
    InventorySlot& slot = state.Slots()[i];
    if (slot.inUse != 0 || slot.kind == kNoItem) continue;
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

void WakeUp() {
  state[idleTicks] = 0;
  if (state[idleShown] != 1) return;
  MainStage.Destroy(state[idleSprite]);
  MainStage.SetPicture(state[heroSprite], StandPicture());
  MainStage.Show(state[heroSprite]);
  state[idleShown] = 0;
}

// The sprite walks by forward moves (the stage checks its borders); the box follows it
// plainly, so walking never ends the game by leaving the stage.
void MoveHeroToItsPlace() {
  MainStage.MoveForward(state[heroSprite], state[heroX], state[heroY]);
  MainStage.Move(state[heroBox], state[heroX] + state[boxOffset], state[heroY]);
}

// Moves both sprites sideways without touching heroX: the way back from beyond an edge.
void NudgeHero(int dx) {
  for (HeroRef s : {heroSprite, heroBox})
    MainStage.Move(state[s], MainStage.X(state[s]) + dx, MainStage.Y(state[s]));
}

void WalkStep(int dx) {
  state[heroX] += dx;
  MoveHeroToItsPlace();
  if (++state[walkFrameCount] == 10) {
    MainStage.NextFrame(state[heroSprite]);
    state[walkFrameCount] = 0;
  }
}

bool BoxBottomReaches(const Platform& p) {
  return AtLeast(MainStage.Y(state[heroBox]) + MainStage.Height(state[heroBox]), p.top - 2);
}

void WalkLeft() {
  RecordList<Platform> platforms = state.Platforms();
  const double x = state[heroX], off = state[boxOffset], bw = state[boxWidth];
  for (int64_t i = 1; i <= platforms.Count(); ++i) {
    const Platform& p = platforms[i];
    if (p.level != 1) continue;
    if ((AtLeast(x + off + bw, p.right) && AtMost(x + off, p.right) &&
         AtLeast(state[heroY] + state[boxHeight], p.top)) ||
        AtMost(x - kStep, 0)) {
      state[blockedLeft] = 1;
      state[blockedRight] = 0;
    }
  }

  const double W = MainStage.StageWidth();
  const int sprite = state[heroSprite];
  if (Above(MainStage.X(sprite), W - MainStage.Width(sprite)) && MainStage.Flip(sprite) == kFaceRight) {
    NudgeHero(-2);
  } else {
    if (state.Airborne == 0) {
      if (state[blockedLeft] == 0) WalkStep(-kStep);
    } else {
      bool a = false, b = false;
      if (Above(x - kStep, 0)) {
        for (int64_t i = 1; i <= platforms.Count(); ++i) {
          const Platform& p = platforms[i];
          if (p.level != 1) continue;
          if (AtMost(x + off - kStep, p.right) && AtLeast(x + off - kStep, p.left)) a = true;
          if (BoxBottomReaches(p)) b = true;
        }
      } else {
        a = b = true;
      }
      if (!(a && b)) {
        state[heroX] -= kStep;
        MoveHeroToItsPlace();
      }
    }
    state[blockedRight] = 0;
  }
  MainStage.SetFlip(sprite, kFaceLeft);

  const int box = state[heroBox];
  const Platform& standing = platforms[state[platformIndex]];
  if (MainStage.X(box) >= 1 && MainStage.X(box) + MainStage.Width(box) < standing.left &&
      state[edgeLock] == 0 && state.Airborne == 0)
    StartFall();
}

void WalkRight() {
  RecordList<Platform> platforms = state.Platforms();
  const double x = state[heroX], off = state[boxOffset], bw = state[boxWidth];
  const double W = MainStage.StageWidth();
  for (int64_t i = 1; i <= platforms.Count(); ++i) {
    const Platform& p = platforms[i];
    if (p.level != 1) continue;
    if ((AtLeast(x + off + bw, p.left - kStep) && Below(x + off + bw, p.left) &&
         AtLeast(state[heroY] + state[boxHeight], p.top)) ||
        AtLeast(x + bw + 2 * off, W)) {
      state[blockedRight] = 1;
      state[blockedLeft] = 0;
    }
  }

  const int sprite = state[heroSprite];
  if (MainStage.X(sprite) < 0 && MainStage.Flip(sprite) == kFaceLeft) {
    NudgeHero(2);
  } else {
    if (state.Airborne == 0) {
      if (state[blockedRight] == 0) WalkStep(kStep);
    } else {
      bool a = false, b = false;
      if (Below(x + bw + 2 * off, W)) {
        for (int64_t i = 1; i <= platforms.Count(); ++i) {
          const Platform& p = platforms[i];
          if (p.level != 1) continue;
          if (AtLeast(x + bw + off + kStep, p.left) && AtMost(x + bw + off, p.right)) a = true;
          if (BoxBottomReaches(p)) b = true;
        }
      } else {
        a = b = true;
      }
      if (!(a && b)) {
        state[heroX] += kStep;
        MoveHeroToItsPlace();
      }
    }
    state[blockedLeft] = 0;
  }
  MainStage.SetFlip(sprite, kFaceRight);

  const int box = state[heroBox];
  const Platform& standing = platforms[state[platformIndex]];
  if (MainStage.X(box) + MainStage.Width(box) < W && MainStage.X(box) > standing.right &&
      state[edgeLock] == 0 && state.Airborne == 0)
    StartFall();
}

void Attack() {
  state[attacking] = 1;
  PlaySound(AttackSound());
  HeroAttack(MainStage.Flip(state[heroSprite]), AttackPicture(), BladePicture(),
             state[heroX], state[heroY]);
}

}  // namespace

void OnWatchedKeyDown(int key) {
  UseHeldInventoryKey();
  if (!HeroCanAct()) return;
  WakeUp();
  if (key == kKeySpace && state.Airborne == 0) {
    StartJump();
    return;
  }
  if (Held(kKeyLeft)) WalkLeft();
  if (Held(kKeyRight)) WalkRight();
  if (Held(kKeyZ) && state[attacking] == 0) Attack();
  if (Held(kKeyX)) StartPickUp();
}

void OnKeyUp(int key) {
  if ((key == kKeyLeft || key == kKeyRight) && state.Airborne == 0)
    MainStage.SetPicture(state[heroSprite], StandPicture());
  if (key == kKeySpace && state[riseCut] == 0) {
    state[riseLimit] = -1;  // the rise ends after at least 11 steps
    state[riseCut] = 1;
  }
  if (key == kKeyEnter && MainStage.Exists(state[splashSprite])) SkipSplash();
}

}  // namespace game
