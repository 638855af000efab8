// The opening: a white cover over the stage with the splash picture on it, the level
// built underneath, both faded out, then the game keys watched.
#include "game/components.h"
#include "game/rules.h"
#include "game/state.h"
#include "runtime/forms/component.h"

namespace game {
namespace {

using enum ScreenRef;

// The splash ends either by its one play or by Enter. Its fade lets pending events run
// while the splash sprite still exists, so an Enter released then would find the splash
// and build the level a second time: the level is built once, whichever way comes first,
// and it exists as soon as it has its ground.
bool LevelBuilt() { return state.Platforms().Count() > 0; }

void WatchGameKeys() {
  MainStage.WatchKeys(10, {kKeySpace, kKeyLeft, kKeyRight, kKeyZ, kKeyX, kKeyDigit0 + 1,
                           kKeyDigit0 + 2, kKeyDigit0 + 3, kKeyDigit0 + 4, kKeyDigit0 + 5});
}

}  // namespace

void ShowSplash() {
  const int W = MainStage.StageWidth(), H = MainStage.StageHeight();
  MainStage.DrawRectangle(0, 0, W, H);
  state[coverSprite] = MainStage.CreatePlain(0, 0);
  MainStage.SetPicture(state[coverSprite], MainStage.Capture(0, 0, W, H));
  MainStage.SetLayer(state[coverSprite], kLayerCover);
  MainStage.Clear();

  const int w = PictureFileWidth(kSplashPicture), h = PictureFileHeight(kSplashPicture);
  state[splashSprite] = MainStage.CreatePlain(Trunc((W - w) / 2.0), Trunc((H - h) / 2.0));
  MainStage.SetPicture(state[splashSprite], ReadProgramFile(kSplashPicture), kTopLeftKey);
  MainStage.SetLayer(state[splashSprite], kLayerSplash);
  MainStage.Play(state[splashSprite], 1, /*destroyWhenDone=*/true);
}

void BuildLevelAfterSplash() {
  if (LevelBuilt()) return;
  WorldSetUp();
  for (int i = 1; i <= 10; ++i) {
    rt::DoEvents();
    MainStage.SetAlpha(state[splashSprite], 20 * i);
    MainStage.SetAlpha(state[coverSprite], 10 * i);
  }
  MainStage.Destroy(state[splashSprite]);
  WatchGameKeys();
}

void SkipSplash() {
  if (LevelBuilt() || !MainStage.Exists(state[splashSprite])) return;
  MainStage.Destroy(state[splashSprite]);
  MainStage.SetAlpha(state[coverSprite], 100);
  WatchGameKeys();
  WorldSetUp();
}

}  // namespace game
