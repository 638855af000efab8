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

}  // namespace

void HeroAttack(int flip, std::span<const uint8_t> attackPicture, std::span<const uint8_t> bladePicture,
                int x, int y) {
  if (MainStage.Exists(state[attackSprite])) MainStage.Destroy(state[attackSprite]);
  state[attacking] = 1;
  MainStage.Hide(state[heroSprite]);
  SpriteTemplate.SetPicture(attackPicture);
  SpriteTemplate.SetFlip(flip);
  SpriteTemplate.SetTypeValue(kTypeAttack);
  if (flip == kFaceRight) {
    state[attackSprite] = MainStage.Create(SpriteTemplate, x, y + 3);
    SpriteTemplate.SetPicture(bladePicture);
    state[bladeSprite] = MainStage.Create(SpriteTemplate, x, y + 3);
  } else {
    // Facing left the swing reaches out to the left of the hero.
    state[attackSprite] = MainStage.Create(SpriteTemplate, x - SpriteTemplate.PictureWidth() / 2.0, y + 3);
    SpriteTemplate.SetPicture(bladePicture);
    state[bladeSprite] = MainStage.Create(SpriteTemplate, x - SpriteTemplate.PictureWidth() / 2.0, y + 3);
  }
  if (state[cloakOn] == 1) MainStage.SetAlpha(state[attackSprite], 50);
  MainStage.SetTag(state[bladeSprite], Gbk(Tag::Blade));
  MainStage.SetTag(state[attackSprite], Gbk(Tag::Attack));
  MainStage.SetTypeValue(state[bladeSprite], kTypeBlade);
  MainStage.Play(state[attackSprite], 1, /*destroyWhenDone=*/true, /*loopDelayMs=*/1);
  MainStage.Play(state[bladeSprite], 1, /*destroyWhenDone=*/true, /*loopDelayMs=*/1);
  SpriteTemplate.SetTypeValue(kTypePlatform);
}

// The swing is over: the hero is back. Keys wait for the blade light to end as well.
void OnAttackFinished(int objectId) {
  if (objectId != state[attackSprite] && objectId != state[idleSprite]) return;
  MainStage.Show(state[heroSprite]);
  state[attacking] = 0;
}

// The depth rises 22..50 and falls back to 20 over 30 ticks, then the tint goes. A dead
// hero's flash freezes at its last depth.
void OnHeroFlashTick() {
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
