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
constexpr int kStepsPerFrame = 10;

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

// ---- walking ----------------------------------------------------------------------------
// Where heroX and heroY put the box (the stage's own box may lag behind after a landing).
double BoxLeft() { return state[heroX] + state[boxOffset]; }
double BoxRight() { return BoxLeft() + state[boxWidth]; }
double Feet() { return state[heroY] + state[boxHeight]; }
double StageWidth() { return MainStage.StageWidth(); }

// One direction of walking. The two directions' tests are the rules' own and not exact
// mirrors of each other (which side is inclusive, which edge is measured how), so each
// direction spells its own.
struct Way {
  int step;          // the change of heroX per key event
  int flip;          // the way the hero faces afterwards
  HeroFlag blocked;  // set when this way is blocked
  HeroFlag other;    // cleared by a step this way
  // A level-1 platform's near side is within a step (its top above the feet).
  bool (*sideInTheWay)(const Platform& p);
  // One more step would leave the stage.
  bool (*atStageEdge)();
  // The sprite stands beyond the stage edge behind it, facing away: it is nudged back.
  bool (*beyondEdgeBehind)();
  // In the air: the step would bring the box over the platform.
  bool (*stepOver)(const Platform& p);
  // The box has left the standing platform's side.
  bool (*offTheSide)(const Platform& standing);
};

constexpr Way kLeftward{
    -kStep, kFaceLeft, blockedLeft, blockedRight,
    [](const Platform& p) {
      return AtLeast(BoxRight(), p.right) && AtMost(BoxLeft(), p.right) && AtLeast(Feet(), p.top);
    },
    [] { return AtMost(state[heroX] - kStep, 0); },
    [] {
      const int sprite = state[heroSprite];
      return MainStage.X(sprite) > StageWidth() - MainStage.Width(sprite) && MainStage.Flip(sprite) == kFaceRight;
    },
    [](const Platform& p) { return AtMost(BoxLeft() - kStep, p.right) && AtLeast(BoxLeft() - kStep, p.left); },
    [](const Platform& standing) {
      const int box = state[heroBox];
      return MainStage.X(box) >= 1 && MainStage.X(box) + MainStage.Width(box) < standing.left;
    },
};

constexpr Way kRightward{
    kStep, kFaceRight, blockedRight, blockedLeft,
    [](const Platform& p) {
      return AtLeast(BoxRight(), p.left - kStep) && Below(BoxRight(), p.left) && AtLeast(Feet(), p.top);
    },
    [] { return AtLeast(BoxRight() + state[boxOffset], StageWidth()); },
    [] {
      const int sprite = state[heroSprite];
      return MainStage.X(sprite) < 0 && MainStage.Flip(sprite) == kFaceLeft;
    },
    [](const Platform& p) { return AtLeast(BoxRight() + kStep, p.left) && AtMost(BoxRight(), p.right); },
    [](const Platform& standing) {
      const int box = state[heroBox];
      return MainStage.X(box) + MainStage.Width(box) < StageWidth() && MainStage.X(box) > standing.right;
    },
};

// Only the ground and platform 2 (level 1) block walking; the platforms above never do.
template <class F>
void ForEachBlockingPlatform(F f) {
  RecordList<Platform> platforms = state.Platforms();
  for (int64_t i = 1; i <= platforms.Count(); ++i)
    if (platforms[i].level == 1) f(platforms[i]);
}

// A block holds until a step the other way or a landing clears it.
void CheckBlocked(const Way& way) {
  ForEachBlockingPlatform([&](const Platform& p) {
    if (!way.sideInTheWay(p) && !way.atStageEdge()) return;
    state[way.blocked] = 1;
    state[way.other] = 0;
  });
}

// Edge correction: both sprites move 2 pixels back toward the stage; heroX stays.
void NudgeBack(const Way& way) {
  const int dx = way.step < 0 ? -2 : 2;
  for (HeroRef s : {heroSprite, heroBox})
    MainStage.Move(state[s], MainStage.X(state[s]) + dx, MainStage.Y(state[s]));
}

// The walking animation advances one frame every kStepsPerFrame steps.
void WalkStep(int dx) {
  state[heroX] += dx;
  MoveHeroToItsPlace();
  if (++state[walkFrameCount] == kStepsPerFrame) {
    MainStage.NextFrame(state[heroSprite]);
    state[walkFrameCount] = 0;
  }
}

// In the air a step is held back only where the box would come over a level-1 platform
// whose top its bottom has reached, or at the stage edge.
bool AirStepAllowed(const Way& way) {
  if (way.atStageEdge()) return false;
  bool over = false, reached = false;
  ForEachBlockingPlatform([&](const Platform& p) {
    over = over || way.stepOver(p);
    reached = reached || AtLeast(MainStage.Y(state[heroBox]) + MainStage.Height(state[heroBox]), p.top - 2);
  });
  return !(over && reached);
}

void StepSideways(const Way& way) {
  if (state.Airborne == 0) {
    if (state[way.blocked] == 0) WalkStep(way.step);
  } else if (AirStepAllowed(way)) {
    state[heroX] += way.step;  // no animation in the air
    MoveHeroToItsPlace();
  }
  state[way.other] = 0;
}

void FallIfWalkedOff(const Way& way) {
  const Platform& standing = state.Platforms()[state[platformIndex]];
  if (way.offTheSide(standing) && state[edgeLock] == 0 && state.Airborne == 0) StartFall();
}

void Walk(const Way& way) {
  CheckBlocked(way);
  if (way.beyondEdgeBehind())
    NudgeBack(way);
  else
    StepSideways(way);
  MainStage.SetFlip(state[heroSprite], way.flip);
  FallIfWalkedOff(way);
}

}  // namespace

void ActOnHeldKeys(int key) {
  UseHeldInventoryKey();
  if (!HeroCanAct()) return;
  WakeUp();
  if (key == kKeySpace && state.Airborne == 0) {
    StartJump();
    return;
  }
  if (Held(kKeyLeft)) Walk(kLeftward);
  if (Held(kKeyRight)) Walk(kRightward);
  if (Held(kKeyZ) && state[attacking] == 0) HeroAttack();
  if (Held(kKeyX)) StartPickUp();
}

void ActOnKeyRelease(int key) {
  if ((key == kKeyLeft || key == kKeyRight) && state.Airborne == 0)
    MainStage.SetPicture(state[heroSprite], StandPicture());
  if (key == kKeySpace) CutJumpShort();
  if (key == kKeyEnter && MainStage.Exists(state[splashSprite])) SkipSplash();
}

}  // namespace game
