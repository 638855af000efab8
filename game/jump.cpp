// Jumping and falling: 3 pixels a tick of the 10 ms JumpTimer, up for 11 to 30 ticks as
// long as space is held, then down until the feet meet a platform the box lies over.
#include "game/components.h"
#include "game/rules.h"
#include "game/state.h"

namespace game {
namespace {

using enum HeroRef;
using enum HeroStat;
using enum HeroFlag;
using enum JumpSlot;

constexpr int kStep = 3;
constexpr int kShortestRise = 11, kLongestRise = 30;
// riseLimit grows by one a tick from kFirstRiseLimit to kLongestRise while the jump key is
// held; these two values stop it growing.
constexpr int kNoFlight = 0;       // nothing in flight (cleared at a landing)
constexpr int kKeyReleased = -1;   // the rise ends at kShortestRise or now, the later
constexpr int kFirstRiseLimit = 1;
// A walk-off enters the flight as if it had risen this far, well past any limit.
constexpr int kWalkOffRise = 50;

void ClearJump() {
  for (JumpSlot s : {riseTicks, falling, edgeLock}) state[s] = 0;
  state[riseLimit] = kNoFlight;
  state[blockedRight] = 0;
  state[blockedLeft] = 0;
}

// The sprite moves forward (its borders are checked), the box plainly; swing and blade
// keep their x and follow the box.
void MoveHeroBy(int dy) {
  state[heroY] += dy;
  MainStage.MoveForward(state[heroSprite], state[heroX], state[heroY]);
  MainStage.Move(state[heroBox], state[heroX] + state[boxOffset], state[heroY]);
  if (!MainStage.Exists(state[attackSprite]) || state[idleShown] != 0) return;
  const int y = MainStage.Y(state[heroBox]) + 3;
  for (HeroRef s : {attackSprite, bladeSprite}) MainStage.Move(state[s], MainStage.X(state[s]), y);
}

// The feet line may lie 1, 2 or 3 pixels above a top: a key event can move the hero
// sideways between two ticks, so the box's overlap is tested afresh on every tick.
bool LandsOn(const Platform& p) {
  const double feet = state[heroY] + state[boxHeight];
  const bool atTop = Same(feet, p.top - 1) || Same(feet, p.top - 2) || Same(feet, p.top - 3);
  const double left = state[heroX] + state[boxOffset];
  return atTop && AtLeast(left + state[boxWidth], p.left) && AtMost(left, p.right);
}

// Landing puts the sprites on the platform but leaves heroY where the fall found it:
// the next walking step moves the sprite back to heroY.
void Land(int64_t index, const Platform& p) {
  state[platformIndex] = int32_t(index);
  state[edgeLock] = 0;
  ClearJump();
  state[riseCut] = 0;
  const int sprite = state[heroSprite];
  MainStage.Move(sprite, MainStage.X(sprite), p.top - MainStage.Height(sprite) - 1);
  MainStage.Move(state[heroBox], state[heroX] + state[boxOffset], p.top - state[boxHeight] - 1);
  state.Airborne = 0;
  JumpTimer.Stop();
  MainStage.SetPicture(sprite, StandPicture());
}

// The rise ends once it has reached its limit and the shortest rise.
void PassThePeak() {
  if (state[riseTicks] < state[riseLimit] || state[riseTicks] < kShortestRise) return;
  state[falling] = 1;
  state[riseCut] = 1;
}

void GrowRiseLimit() {
  const int limit = state[riseLimit];
  if (limit < kLongestRise && limit != kNoFlight && limit != kKeyReleased) state[riseLimit] += 1;
}

// The first platform in list order that the feet meet.
bool LandIfOnPlatform() {
  RecordList<Platform> platforms = state.Platforms();
  for (int64_t i = 1; i <= platforms.Count(); ++i) {
    if (!LandsOn(platforms[i])) continue;
    Land(i, platforms[i]);
    return true;
  }
  return false;
}

void StopFlight() {
  JumpTimer.Stop();
  ClearJump();
  state.Airborne = 0;
}

}  // namespace

void StartJump() {
  state.Airborne = 1;
  state[riseTicks] = 0;
  state[falling] = 0;
  state[edgeLock] = 1;
  state[riseLimit] = kFirstRiseLimit;
  state[riseCut] = 0;
  MainStage.SetPicture(state[heroSprite], JumpPicture());
  JumpTimer.Start(10);
}

// Walking off a platform: straight into the fall.
void StartFall() {
  state.Airborne = 1;
  state[riseTicks] = kWalkOffRise;
  state[falling] = 1;
  state[edgeLock] = 1;
  state[riseLimit] = kFirstRiseLimit;
  state[blockedRight] = 0;
  state[blockedLeft] = 0;
  JumpTimer.Start(10);
}

void StepFlight() {
  PassThePeak();
  GrowRiseLimit();
  if (state[falling] == 0) {
    MoveHeroBy(-kStep);
    state[riseTicks] += 1;
  } else if (LandIfOnPlatform()) {
    return;
  } else {
    MoveHeroBy(kStep);
  }
  if (state[riseTicks] == 0) StopFlight();  // nothing in flight: never leave the timer running
}

// The jump key is up: the rise ends after at least kShortestRise steps. Only the first
// release of a jump counts, and none once the fall has begun.
void CutJumpShort() {
  if (state[riseCut] != 0) return;
  state[riseLimit] = kKeyReleased;
  state[riseCut] = 1;
}

}  // namespace game
