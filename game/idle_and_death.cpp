// Two timed hero effects outside the keys: the idle pose after five quiet seconds, and
// the dead hero's exit (squeezed thin and white, then lifted off the stage) with the
// game-over screen that its leaving the stage brings.
#include "game/components.h"
#include "game/rules.h"
#include "game/state.h"
#include "runtime/forms/component.h"

namespace game {
namespace {

using enum HeroRef;
using enum HeroStat;
using enum HeroFlag;
using enum ScreenRef;

constexpr int kQuietTicks = 5;

}  // namespace

void ShowIdlePoseWhenQuiet() {
  if (state[heroDead] != 0 || state.Airborne != 0) return;
  if (state[idleTicks] < kQuietTicks) {
    state[idleTicks] += 1;
    return;
  }
  if (state[idleShown] != 0) return;
  MainStage.Hide(state[heroSprite]);
  const int box = state[heroBox];
  state[idleSprite] = MainStage.CreatePlain(Trunc(MainStage.X(box) - state[boxOffset] - 10.0),
                                            Trunc(MainStage.Y(box) + 12.0));
  const int idle = state[idleSprite];
  MainStage.SetPicture(idle, IdlePicture());
  MainStage.SetTypeValue(idle, kTypeIdle);
  MainStage.SetCollision(idle, true);
  MainStage.SetTag(idle, Gbk(Tag::Idle));
  MainStage.SetFlip(idle, MainStage.Flip(state[heroSprite]));
  MainStage.Play(idle, 0);
  if (state[cloakOn] == 1) MainStage.SetAlpha(idle, 50);
  SpriteTemplate.SetPlayGIF(false);
  state[idleShown] = 1;
}

// 90 ticks of squeeze from 1000 to 100 per mille, whitening as it goes; then up 10
// pixels a tick by forward moves, until the box has left the stage and the game ends.
bool DeathExitRunning() { return state[heroDead] == 1 && state[gameOver] == 0; }

void StepDeathExit() {
  if (!DeathExitRunning()) return;
  const int sprite = state[heroSprite];
  const int z = MainStage.Zoom(sprite);
  if (z == 100) {
    state[heroY] -= 10;
    MainStage.MoveForward(state[heroBox], state[heroX], state[heroY]);
    MainStage.MoveForward(sprite, state[heroX], state[heroY]);
    return;
  }
  MainStage.SetZoom(sprite, z - 10, 1000);
  MainStage.Tint(sprite, kWhite, Trunc((1000 - MainStage.Zoom(sprite)) / 10.0));
}

// Runs when the hero's box has left the stage: only the dead hero's exit moves it
// forward, so this is the end of the game.
void GameOver(int objectId) {
  if (objectId != state[heroBox]) return;
  state[gameOver] = 1;
  MainStage.Tint(state[coverSprite], kBlack, 100);

  rt::FontValue font;
  font.face = Gbk(Text::GameOverFont);
  font.size = 50;
  const int text = MainStage.CreatePlain(0, 0, /*visible=*/false);
  MainStage.SetText(text, Gbk(Text::GameOver), &font, kWhite);
  const double W = MainStage.StageWidth(), H = MainStage.StageHeight();
  MainStage.Move(text, Trunc((W - MainStage.Width(text)) / 2), Trunc((H - MainStage.Height(text)) / 2));
  MainStage.SetAlpha(text, 100);
  MainStage.SetLayer(text, kLayerCover + 1);
  MainStage.Show(text);
  for (int i = 1; i <= 20; ++i) {
    rt::DoEvents();
    MainStage.SetAlpha(state[coverSprite], 100 - 5 * i);
    MainStage.SetAlpha(text, 100 - 5 * i);
  }
}

}  // namespace game
