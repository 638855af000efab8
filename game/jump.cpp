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

void ClearJump() {
  for (JumpSlot s : {riseTicks, falling, edgeLock, riseLimit}) state[s] = 0;
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

}  // namespace

void StartJump() {
  state.Airborne = 1;
  state[riseTicks] = 0;
  state[falling] = 0;
  state[edgeLock] = 1;
  state[riseLimit] = 1;
  state[riseCut] = 0;
  MainStage.SetPicture(state[heroSprite], JumpPicture());
  JumpTimer.Start(10);
}

// Walking off a platform: straight into the fall.
void StartFall() {
  state.Airborne = 1;
  state[riseTicks] = 50;
  state[falling] = 1;
  state[edgeLock] = 1;
  state[riseLimit] = 1;
  state[blockedRight] = 0;
  state[blockedLeft] = 0;
  JumpTimer.Start(10);
}

void OnJumpTick() {
  if (state[riseTicks] >= state[riseLimit] && state[riseTicks] >= kShortestRise) {
    state[falling] = 1;
    state[riseCut] = 1;
  }
  if (state[riseLimit] < kLongestRise && state[riseLimit] != 0 && state[riseLimit] != -1)
    state[riseLimit] += 1;

  if (state[falling] == 0) {
    MoveHeroBy(-kStep);
    state[riseTicks] += 1;
  } else {
    RecordList<Platform> platforms = state.Platforms();
    for (int64_t i = 1; i <= platforms.Count(); ++i) {
      if (!LandsOn(platforms[i])) continue;
      Land(i, platforms[i]);
      return;
    }
    MoveHeroBy(kStep);
  }

  if (state[riseTicks] == 0) {  // nothing in flight: never leave the timer running
    JumpTimer.Stop();
    ClearJump();
    state.Airborne = 0;
  }
}

}  // namespace game
