// The hero's hit-point bar under the portrait.
#include "game/components.h"
#include "game/rules.h"
#include "game/state.h"

namespace game {
namespace {

using enum HeroRef;
using enum HeroStat;

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

}  // namespace game
