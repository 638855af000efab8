// The hero's hit-point bar under the portrait, and the game-over screen.
#include "game/components.h"
#include "game/rules.h"
#include "game/state.h"
#include "runtime/forms/component.h"

namespace game {
namespace {

using enum HeroRef;
using enum HeroStat;
using enum ScreenRef;

}  // namespace

// The fill is the full bar cropped to hp / maxHp on the scratch stage, keyed by its
// top-left pixel (the scratch stage's magenta); no hit points leave no picture at all.
void RefreshHeroBar() {
  if (state[hp] > state[maxHp]) state[hp] = state[maxHp];
  ScratchStage.Clear();
  ScratchStage.DestroyAll();
  ScratchStage.Resize(70, 20);
  const int full = ScratchStage.CreatePlain(0, 0);
  ScratchStage.SetPicture(full, ReadProgramFile(kHeroBarFillPicture));
  const double w = double(ScratchStage.StageWidth()) / state[maxHp] * state[hp];
  const Bytes crop = ScratchStage.Capture(0, 0, Trunc(w), ScratchStage.StageHeight());
  MainStage.SetPicture(state[hpBarFill], crop, kTopLeftKey);
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
