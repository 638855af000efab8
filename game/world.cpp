// The one level: hero and collision box, ground, heads-up display, platforms, monsters,
// items, inventory bar and statue, built once under the start cover. Most sprites come
// from SpriteTemplate, so the order matters: each creation copies what it holds then.
#include "game/components.h"
#include "game/rules.h"
#include "game/state.h"
#include "runtime/commands/commands.h"

namespace game {
namespace {

using enum HeroRef;
using enum HeroStat;
using enum HeroFlag;

// A rectangle drawn on the main stage (white in a black frame), captured as the
// template's picture.
void TemplateFromRectangle(int left, int top, int right, int bottom, int width, int height) {
  MainStage.DrawRectangle(left, top, right, bottom);
  SpriteTemplate.SetPicture(MainStage.Capture(left, top, width, height));
}

void CreateHero(double H, double bh) {
  double tw = SpriteTemplate.PictureWidth(), th = SpriteTemplate.PictureHeight();
  state[heroSprite] = MainStage.Create(SpriteTemplate, 0, H - th - bh / 2);
  MainStage.SetTag(state[heroSprite], Gbk(Tag::Hero));

  TemplateFromRectangle(0, 0, Trunc(tw - tw / 3 - 20), Trunc(th), Trunc(tw - tw / 3 - 20), Trunc(th));
  state[boxOffset] = Trunc(tw / 6 + 10);
  tw = SpriteTemplate.PictureWidth();
  th = SpriteTemplate.PictureHeight();
  state[heroBox] = MainStage.Create(SpriteTemplate, state[boxOffset], H - th - bh / 2);
  MainStage.ClearArea(0, 0, Trunc(tw), Trunc(th));
  MainStage.SetAlpha(state[heroBox], 99);

  state[heroX] = 0;
  state[heroY] = MainStage.Y(state[heroBox]);
  MainStage.SetTag(state[heroBox], Gbk(Tag::HeroBox));
  state[boxWidth] = Trunc(tw);
  state[boxHeight] = Trunc(th);
  state[hp] = 150;
  state[maxHp] = 150;
}

void CreateGround(double W, double H, double bh) {
  TemplateFromRectangle(0, Trunc(H - bh / 2), Trunc(W), Trunc(H), Trunc(W), Trunc(H));
  SpriteTemplate.SetTypeValue(kTypePlatform);
  const int ground = MainStage.Create(SpriteTemplate, 0, H - bh / 2);
  MainStage.Clear();
  MainStage.SetAlpha(ground, 30);
  state.Platforms().Append() = {.left = 0, .top = Trunc(H - bh / 2 + 1), .right = Trunc(W),
                                .bottom = Trunc(H), .spriteId = ground, .level = 1};
}

void CreateHud() {
  SpriteTemplate.SetPicture(PortraitPicture());
  SpriteTemplate.SetFlip(kFaceLeft);
  state[portraitSprite] = MainStage.Create(SpriteTemplate, 0, 0);
  SpriteTemplate.SetPicture(ReadProgramFile(kHeroBarBackPicture));
  state[hpBarBack] = MainStage.Create(SpriteTemplate, 0,
                                      MainStage.Y(state[portraitSprite]) + MainStage.Height(state[portraitSprite]));
  SpriteTemplate.SetPicture(ReadProgramFile(kHeroBarFillPicture));
  state[hpBarFill] = MainStage.Create(SpriteTemplate, 1, MainStage.Y(state[hpBarBack]));
  for (HeroRef s : {portraitSprite, hpBarBack, hpBarFill}) MainStage.SetLayer(state[s], kLayerHud);
}

// An item of the kind lying on a platform, `dx` in from its left, its top 25 above.
void PlaceItem(ItemKind kind, int64_t platform, int dx) {
  const Platform& p = state.Platforms()[platform];
  CreateItem(p.left + dx, p.top - 25, *FindItemKind(kind));
}

void CreateItems() {
  PlaceItem(kBluePotion, 4, 10);
  PlaceItem(kChickenLeg, 2, 10);
  PlaceItem(kCloak, 5, 15);
}

void CreateStatue(double H) {
  const int ph = PictureFileHeight(kStatuePicture);
  const int statue = MainStage.CreatePlain(150, H - ph);
  MainStage.SetPicture(statue, ReadProgramFile(kStatuePicture), kTopLeftKey);
}

}  // namespace

void WorldSetUp() {
  const double W = MainStage.StageWidth(), H = MainStage.StageHeight();
  const double bw = BlockTemplate.PictureWidth(), bh = BlockTemplate.PictureHeight();
  CreateHero(H, bh);
  CreateGround(W, H, bh);
  state[walkFrameCount] = 0;
  state[platformIndex] = 1;
  CreateHud();
  MainStage.SetTypeValue(state[heroSprite], kTypeHero);
  MainStage.SetTypeValue(state[heroBox], kTypeHeroBox);

  const Platform& ground = state.Platforms()[1];
  CreatePlatform((W - bw) / 2, H - bh - (ground.bottom - ground.top), 1);
  CreatePlatform(W - bw, H - 5 * bh, 2);
  CreatePlatform((W - bw) / 2 + 50, H - 8 * bh, 2);
  CreatePlatform(W - bw, H - 10 * bh, 2);

  CreateMonster(W - 150, H - 150 + 13, *FindMonsterKind(kOgre));
  CreateMonster(Trunc(W / 2), 20, *FindMonsterKind(kDragon));
  CreateItems();
  CreateInventoryBar();
  state.GroundItems()[2].glowPhase = 5;
  state.GroundItems()[3].glowPhase = 3;
  CreateStatue(H);

  MainStage.Focus();
  IdleTimer.Start(1000);
}

}  // namespace game
