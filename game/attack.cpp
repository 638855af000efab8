// The hero's swing (a swing sprite and a blade light in place of the hero, each played
// once) and the red flash that shows the hero was hurt.
#include "game/components.h"
#include "game/rules.h"
#include "game/state.h"

namespace game {
namespace {

using enum HeroRef;
using enum HeroStat;
using enum HeroFlag;

// One part of the swing, from the template as it stands, where the hero stands. Facing
// left the swing reaches out to the left of the hero by half its width.
int CreateSwingPart(std::span<const uint8_t> picture, int flip) {
  SpriteTemplate.SetPicture(picture);
  const double x = flip == kFaceRight ? state[heroX] : state[heroX] - SpriteTemplate.PictureWidth() / 2.0;
  return MainStage.Create(SpriteTemplate, x, state[heroY] + 3);
}

void PlayOnceAndGo(int id) { MainStage.Play(id, 1, /*destroyWhenDone=*/true, /*loopDelayMs=*/1); }

}  // namespace

// The hero's place and facing decide where the swing and the blade light stand; both
// play once in place of the hero. `attacking` holds until the swing has ended.
void HeroAttack() {
  state[attacking] = 1;
  PlaySound(AttackSound());
  if (MainStage.Exists(state[attackSprite])) MainStage.Destroy(state[attackSprite]);
  MainStage.Hide(state[heroSprite]);
  const int flip = MainStage.Flip(state[heroSprite]);
  SpriteTemplate.SetFlip(flip);
  SpriteTemplate.SetTypeValue(kTypeAttack);
  state[attackSprite] = CreateSwingPart(AttackPicture(), flip);
  state[bladeSprite] = CreateSwingPart(BladePicture(), flip);
  if (state[cloakOn] == 1) MainStage.SetAlpha(state[attackSprite], 50);
  MainStage.SetTag(state[bladeSprite], Gbk(Tag::Blade));
  MainStage.SetTag(state[attackSprite], Gbk(Tag::Attack));
  MainStage.SetTypeValue(state[bladeSprite], kTypeBlade);
  PlayOnceAndGo(state[attackSprite]);
  PlayOnceAndGo(state[bladeSprite]);
  SpriteTemplate.SetTypeValue(kTypePlatform);
}

// The swing is over: the hero is back. Keys wait for the blade light to end as well.
void EndHeroSwing(int objectId) {
  if (objectId != state[attackSprite] && objectId != state[idleSprite]) return;
  MainStage.Show(state[heroSprite]);
  state[attacking] = 0;
}

// The depth rises 22..50 and falls back to 20 over 30 ticks, then the tint goes. A dead
// hero's flash freezes at its last depth.
void StepHurtFlash() {
  if (state[heroDead] != 0) return;
  state[flashPhase] += 2;
  if (state[flashPhase] >= 62) {
    state[flashPhase] = 0;
    state[hitFlag] = 0;
    HeroFlashTimer.Stop();
    MainStage.Tint(state[idleSprite], kRed, 0);
    MainStage.Tint(state[heroSprite], kRed, 0);
    return;
  }
  const int phase = state[flashPhase];
  const int depth = phase <= 30 ? phase + 20 : 60 - phase + 20;
  if (state[idleShown] == 1) MainStage.Tint(state[idleSprite], kRed, depth);
  if (state[idleShown] == 0) MainStage.Tint(state[heroSprite], kRed, depth);
  if (state[attacking] == 1) {
    MainStage.Tint(state[attackSprite], kRed, depth);
    MainStage.Tint(state[bladeSprite], kRed, depth);
  }
}

}  // namespace game
